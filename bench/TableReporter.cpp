#include "TableReporter.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <iostream>
#include <limits>
#include <sstream>

namespace corvane::bench
{
namespace
{
    constexpr double notMeasured = std::numeric_limits<double>::quiet_NaN();
    constexpr double mebibyte = 1024.0 * 1024.0;

    std::string fixed (double value, int decimals, const std::string& unit = {})
    {
        if (std::isnan (value))
            return "n/a";

        // Noise around zero must not print as a negative zero.
        if (std::abs (value) < 0.5 * std::pow (10.0, -decimals))
            value = 0.0;

        std::ostringstream text;
        text << std::fixed << std::setprecision (decimals) << value << unit;
        return text.str();
    }

    /** The ratio target holds at or below its limit; a miss says by how much the ratio exceeds it. */
    std::string verdict (double measured, double limit, bool strictlyBelow)
    {
        if (std::isnan (measured))
            return "n/a";

        if (strictlyBelow ? measured < limit : measured <= limit)
            return "yes";

        return "no, " + fixed (measured / limit, 2) + "x the limit";
    }

    void printRow (const std::string& measure,
                   const std::string& ours,
                   const std::string& peer,
                   const std::string& ratio,
                   const std::string& target,
                   const std::string& holds)
    {
        std::cout << "| " << measure << " | " << ours << " | " << peer << " | " << ratio << " | " << target << " | "
                  << holds << " |\n";
    }
} // namespace

TableReporter::TableReporter (std::vector<double> rates, std::vector<int> blocks)
    : sampleRates (std::move (rates))
    , blockSizes (std::move (blocks))
{
}

bool TableReporter::ReportContext (const Context&)
{
    return true;
}

void TableReporter::ReportRuns (const std::vector<Run>& runs)
{
    for (const auto& run : runs)
    {
        const auto& name = run.run_name.function_name;

        if (run.error_occurred)
        {
            errors[name] = run.error_message;
            std::cerr << name << ": " << run.error_message << std::endl;
            continue;
        }

        if (run.run_type != Run::RT_Iteration)
            continue;

        auto& counters = results[name];

        for (const auto& [counterName, counter] : run.counters)
            counters[counterName] = counter.value;

        std::cerr << "measured " << name << std::endl;
    }
}

const TableReporter::Counters* TableReporter::find (const std::string& name) const
{
    const auto found = results.find (name);
    return found == results.end() ? nullptr : &found->second;
}

double TableReporter::value (const std::string& name, const std::string& counter) const
{
    if (const auto* counters = find (name))
        if (const auto found = counters->find (counter); found != counters->end())
            return found->second;

    return notMeasured;
}

void TableReporter::Finalize()
{
    std::cout << "| measure | ours | zita-convolver | ours / zita | target | holds |\n"
              << "|---|---:|---:|---:|---|---|\n";

    printThroughputRows();
    printWorstBlockRows();
    printInstanceRows();
    printFootnotes();
    std::cout.flush();
}

void TableReporter::printThroughputRows() const
{
    for (auto rate : sampleRates)
    {
        for (auto block : blockSizes)
        {
            const auto name = "Throughput/" + std::to_string (std::lround (rate)) + "/" + std::to_string (block);
            const auto ours = value (name, "oursCpuPerAudioSecond");
            const auto peer = value (name, "zitaCpuPerAudioSecond");
            const auto ratio = ours / peer;

            std::string target = "", holds = "";

            if (rate == 48000.0 && (block == 64 || block == 256))
                target = "ours / zita <= 0.8";
            else if (rate == 48000.0 && block == 1024)
                target = "ours / zita <= 2.5";

            if (! target.empty())
                holds = verdict (ratio, block == 1024 ? 2.5 : 0.8, false);

            printRow ("CPU s per audio s, " + std::to_string (std::lround (rate)) + " Hz, block "
                          + std::to_string (block) + (block < 64 ? " ²" : ""),
                      fixed (ours, 4),
                      fixed (peer, 4),
                      fixed (ratio, 2),
                      target,
                      holds);
        }
    }
}

void TableReporter::printWorstBlockRows() const
{
    for (int block : { 64, 256 })
    {
        const auto suffix = "/48000/" + std::to_string (block);
        const auto ours = value ("WorstBlock/ours" + suffix, "p999OfPeriod");
        const auto peer = value ("WorstBlock/zita" + suffix, "p999OfPeriod");

        printRow ("99.9th percentile block time / block period, 48000 Hz, block " + std::to_string (block) + " ³",
                  fixed (100.0 * ours, 1, " %"),
                  fixed (100.0 * peer, 1, " %"),
                  "",
                  "ours < 25 %",
                  verdict (ours, 0.25, true));
    }
}

void TableReporter::printInstanceRows() const
{
    const auto idleOurs = value ("Instances/ours", "idleCpuPerSecond");
    const auto idlePeer = value ("Instances/zita", "idleCpuPerSecond");

    printRow ("idle CPU s per s, per prepared instance ⁴", fixed (idleOurs, 5), fixed (idlePeer, 5), "", "reported", "");

    const std::pair<const char*, const char*> memoryRows[] = {
        { "resident memory per prepared instance ⁵", "residentBytes" },
        { "peak memory per instance while preparing ⁵", "peakBytes" },
    };

    for (const auto& [label, counter] : memoryRows)
        printRow (label,
                  fixed (value ("Instances/ours", counter) / mebibyte, 2, " MiB"),
                  fixed (value ("Instances/zita", counter) / mebibyte, 2, " MiB"),
                  "",
                  "reported",
                  "");
}

void TableReporter::printFootnotes() const
{
    auto lateCycles = 0.0;

    for (const auto& [name, counters] : results)
        if (name.rfind ("WorstBlock/zita", 0) == 0)
            lateCycles += value (name, "lateCycles");

    auto audioSeconds = notMeasured, pluginThreads = 0.0;

    for (const auto& [name, counters] : results)
    {
        if (name.rfind ("Throughput/", 0) == 0)
        {
            audioSeconds = value (name, "audioSeconds");
            pluginThreads = std::max (pluginThreads, value (name, "oursThreadsCpuPerAudioSecond"));
        }
    }

    std::cout << "\n"
              << "¹ CPU seconds per second of audio, each side charged with exactly its own threads' CPU time "
                 "(clock_gettime on per-thread CPU clocks): the calling thread's while it runs that side's blocks, plus "
                 "every thread the side started, whenever it ran: zita's workers; the plug-in's four loader threads, "
                 "which poll while idle (at most "
              << fixed (pluginThreads, 4) << " of ours; see the idle row). Both sides are alive together and fed "
                                             "alternately in chunks of 0.25 s of audio, "
              << fixed (audioSeconds, 0) << " s each, blocks back to back, so that both see the same load on a shared "
                                            "machine. Ours is the whole AudioPluginAudioProcessor::processBlock with the four responses installed. "
                                            "zita-convolver 4 runs the same 2 x 2 matrix with the same four responses, resampled with JUCE's "
                                            "ResamplingAudioSource as JUCE's convolution does: quantum = block, smallest partition = block (64 at "
                                            "block 32), largest 8192, density 1, FFTW_ESTIMATE as ours, worker threads at normal priority; each "
                                            "block waits for any late partition, so all the work is counted.\n"
              << "  Same output: the peer's output equals ours delayed by "
              << fixed (value ("Agreement/48000/256", "latencySamples"), 0) << " samples to within "
              << fixed (value ("Agreement/48000/256", "maxDifferenceOfPeak"), 7) << " of the peak at 48000 Hz / 256, and by "
              << fixed (value ("Agreement/48000/32", "latencySamples"), 0) << " samples to within "
              << fixed (value ("Agreement/48000/32", "maxDifferenceOfPeak"), 7) << " at 48000 Hz / 32: with its smallest "
                                                                                   "partition equal to the block, zita has no latency, like ours; at block 32 (partition 64) it lags.\n"
              << "² zita's smallest partition is 64: at block 32 it processes 32-sample quanta of 64-sample partitions.\n"
              << "³ Wall time of one block, 99.9th percentile over 60 s of audio fed back to back; zita's is one "
                 "process() on the calling thread, its later partitions run on worker threads and are not waited for ("
              << fixed (lateCycles, 0) << " late cycles).\n"
              << "⁴ Process CPU over 3 s with 10 more prepared instances alive than in the baseline, nothing processed, "
                 "JUCE's message loop running, minus the baseline's, over 10.\n"
              << "⁵ Growth of VmRSS (resident) and of VmHWM after resetting it (peak) over 10 instances, each prepared at "
                 "48000 Hz / 256 and run for 0.1 s; a first instance made beforehand keeps one-time costs out.\n";

    for (const auto& [name, message] : errors)
        std::cout << "error in " << name << ": " << message << "\n";
}
} // namespace corvane::bench
