#include "Benchmarks.h"

#include "NoiseSource.h"
#include "PreparedPlugin.h"
#include "ProcessMeasures.h"
#include "ZitaPeer.h"

#include "dsp/BinauralProcessor.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <malloc.h>
#include <memory>

namespace corvane::bench
{
namespace
{
    constexpr double throughputAudioSeconds = 60.0;
    constexpr double throughputChunkSeconds = 0.25;
    constexpr double worstBlockAudioSeconds = 60.0;
    constexpr double warmUpSeconds = 0.5;
    constexpr double idleSeconds = 3.0;
    constexpr int measuredInstances = 10;
    constexpr double instanceSampleRate = 48000.0;
    constexpr int instanceBlockSize = 256;

    template <typename Engine>
    void runFor (Engine& engine, NoiseSource& source, double seconds, double sampleRate, int blockSize)
    {
        const auto numBlocks = juce::roundToInt (seconds * sampleRate / blockSize);

        for (int i = 0; i < numBlocks; ++i)
            engine.process (source.next());
    }

    template <typename Engine>
    void reportLateCycles (benchmark::State& state, const Engine&)
    {
        state.counters["lateCycles"] = 0.0;
    }

    void reportLateCycles (benchmark::State& state, const ZitaPeer& peer)
    {
        state.counters["lateCycles"] = static_cast<double> (peer.getLateCycles());
    }

    template <typename Engine>
    void letBlocksRunLate (Engine&)
    {
    }

    void letBlocksRunLate (ZitaPeer& peer)
    {
        peer.setWaitsForWorkers (false);
    }

    /** Both sides alive and fed in alternating chunks of audio, so that they see the same load on a shared machine
        and their ratio holds still where absolute figures drift. Each side is charged with exactly its own
        threads' CPU time: the calling thread's while it runs that side's blocks, plus every thread the side
        started (zita's workers, the plug-in's loader threads), whenever they ran. */
    void measureThroughput (benchmark::State& state, double sampleRate, int blockSize)
    {
        juce::ScopedNoDenormals noDenormals;

        const auto threadsBefore = threadIds();
        PreparedPlugin plugin (sampleRate, blockSize);
        const auto threadsWithPlugin = threadIds();
        ZitaPeer peer (sampleRate, blockSize);
        const auto pluginThreads = newThreadIds (threadsBefore, threadsWithPlugin);
        const auto peerThreads = newThreadIds (threadsWithPlugin, threadIds());

        if (! plugin.isReady() || ! peer.isReady())
        {
            state.SkipWithError ("a convolver did not become ready");
            return;
        }

        NoiseSource pluginSource (sampleRate, blockSize), peerSource (sampleRate, blockSize);
        runFor (plugin, pluginSource, warmUpSeconds, sampleRate, blockSize);
        runFor (peer, peerSource, warmUpSeconds, sampleRate, blockSize);

        const auto blocksPerChunk = juce::jmax (1, juce::roundToInt (throughputChunkSeconds * sampleRate / blockSize));
        const auto numChunks = juce::roundToInt (throughputAudioSeconds / throughputChunkSeconds);
        auto pluginCallingCpu = 0.0, peerCallingCpu = 0.0;
        const auto pluginThreadsStart = threadsCpuSeconds (pluginThreads);
        const auto peerThreadsStart = threadsCpuSeconds (peerThreads);

        for (auto _ : state)
        {
            for (int chunk = 0; chunk < numChunks; ++chunk)
            {
                auto start = callingThreadCpuSeconds();

                for (int i = 0; i < blocksPerChunk; ++i)
                    plugin.process (pluginSource.next());

                pluginCallingCpu += callingThreadCpuSeconds() - start;
                start = callingThreadCpuSeconds();

                for (int i = 0; i < blocksPerChunk; ++i)
                    peer.process (peerSource.next());

                peerCallingCpu += callingThreadCpuSeconds() - start;
            }
        }

        const auto pluginThreadsCpu = threadsCpuSeconds (pluginThreads) - pluginThreadsStart;

        // Partitions that the last blocks triggered are still being worked on; that work belongs to those blocks.
        juce::Thread::sleep (100);
        const auto peerThreadsCpu = threadsCpuSeconds (peerThreads) - peerThreadsStart;

        const auto audioSeconds = static_cast<double> (numChunks * blocksPerChunk) * blockSize / sampleRate;
        state.counters["oursCpuPerAudioSecond"] = (pluginCallingCpu + pluginThreadsCpu) / audioSeconds;
        state.counters["zitaCpuPerAudioSecond"] = (peerCallingCpu + peerThreadsCpu) / audioSeconds;
        state.counters["oursThreadsCpuPerAudioSecond"] = pluginThreadsCpu / audioSeconds;
        state.counters["zitaThreadsCpuPerAudioSecond"] = peerThreadsCpu / audioSeconds;
        state.counters["audioSeconds"] = audioSeconds;
        state.counters["lateCycles"] = peer.getLateCycles();
    }

    /** Wall time of each block, since a late block is what a listener hears. */
    template <typename Engine>
    void measureWorstBlock (benchmark::State& state, double sampleRate, int blockSize)
    {
        using Clock = std::chrono::steady_clock;

        juce::ScopedNoDenormals noDenormals;
        Engine engine (sampleRate, blockSize);

        if (! engine.isReady())
        {
            state.SkipWithError ("the convolver did not become ready");
            return;
        }

        letBlocksRunLate (engine);
        NoiseSource source (sampleRate, blockSize);
        runFor (engine, source, warmUpSeconds, sampleRate, blockSize);

        const auto numBlocks = static_cast<size_t> (juce::roundToInt (worstBlockAudioSeconds * sampleRate / blockSize));
        std::vector<double> seconds;
        seconds.reserve (numBlocks);

        for (auto _ : state)
        {
            for (size_t i = 0; i < numBlocks; ++i)
            {
                auto& block = source.next();
                const auto start = Clock::now();
                engine.process (block);
                seconds.push_back (std::chrono::duration<double> (Clock::now() - start).count());
            }
        }

        std::sort (seconds.begin(), seconds.end());
        const auto period = blockSize / sampleRate;
        const auto rank = static_cast<size_t> (std::ceil (0.999 * static_cast<double> (seconds.size()))) - 1;

        state.counters["p999OfPeriod"] = seconds.at (rank) / period;
        state.counters["maxOfPeriod"] = seconds.back() / period;
        reportLateCycles (state, engine);
    }

    /** CPU that the process spends over a few seconds in which nothing is processed; JUCE's message loop runs,
        as it does in a host. */
    double idleCpuPerSecond()
    {
        const auto start = processCpuSeconds();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (juce::roundToInt (idleSeconds * 1000.0));
        return (processCpuSeconds() - start) / idleSeconds;
    }

    template <typename Engine>
    void measureInstanceCosts (benchmark::State& state)
    {
        juce::ScopedNoDenormals noDenormals;
        NoiseSource source (instanceSampleRate, instanceBlockSize);

        for (auto _ : state)
        {
            // The first instance carries the one-time costs (code pages, FFTW's tables, JUCE's singletons).
            std::vector<std::unique_ptr<Engine>> instances;
            instances.push_back (std::make_unique<Engine> (instanceSampleRate, instanceBlockSize));
            runFor (*instances.back(), source, 0.1, instanceSampleRate, instanceBlockSize);

            // Memory that earlier measurements freed would otherwise be handed out again without growing the
            // resident set.
            malloc_trim (0);

            const auto idleBefore = idleCpuPerSecond();
            const auto residentBefore = static_cast<double> (residentBytes());
            resetPeakResident();

            for (int i = 0; i < measuredInstances; ++i)
            {
                instances.push_back (std::make_unique<Engine> (instanceSampleRate, instanceBlockSize));

                if (! instances.back()->isReady())
                {
                    state.SkipWithError ("the convolver did not become ready");
                    return;
                }

                runFor (*instances.back(), source, 0.1, instanceSampleRate, instanceBlockSize);
            }

            const auto residentAfter = static_cast<double> (residentBytes());
            const auto peakAfter = static_cast<double> (peakResidentBytes());
            const auto idleAfter = idleCpuPerSecond();

            state.counters["idleCpuPerSecond"] = (idleAfter - idleBefore) / measuredInstances;
            state.counters["residentBytes"] = (residentAfter - residentBefore) / measuredInstances;
            state.counters["peakBytes"] = (peakAfter - residentBefore) / measuredInstances;
        }
    }

    /** The peer must compute what the plug-in computes, or the comparison means nothing: its output must be the
        plug-in's, delayed by the peer's latency. */
    void measureAgreement (benchmark::State& state, double sampleRate, int blockSize)
    {
        juce::ScopedNoDenormals noDenormals;
        PreparedPlugin plugin (sampleRate, blockSize);
        const auto responseGain = plugin.getProcessor().getMainProcessor().getProcessingGraph().binauralProcessor->getImpulseResponseGain();
        ZitaPeer peer (sampleRate, blockSize, static_cast<float> (responseGain));

        if (! plugin.isReady() || ! peer.isReady())
        {
            state.SkipWithError ("a convolver did not become ready");
            return;
        }

        const auto numBlocks = juce::roundToInt (sampleRate / blockSize);
        const auto length = numBlocks * blockSize;
        juce::AudioBuffer<float> viaPlugin (2, length), viaPeer (2, length);
        NoiseSource source (sampleRate, blockSize);

        for (auto _ : state)
        {
            for (int i = 0; i < numBlocks; ++i)
            {
                auto& block = source.next();
                juce::AudioBuffer<float> copy (block);
                plugin.process (block);
                peer.process (copy);

                for (int channel = 0; channel < 2; ++channel)
                {
                    viaPlugin.copyFrom (channel, i * blockSize, block, channel, 0, blockSize);
                    viaPeer.copyFrom (channel, i * blockSize, copy, channel, 0, blockSize);
                }
            }
        }

        // The lag is searched for rather than taken from the peer, so that a wrong idea of zita's latency shows.
        const auto maxDifferenceOfPeak = [&] (int lag) {
            auto peak = 0.0f, difference = 0.0f;

            for (int channel = 0; channel < 2; ++channel)
            {
                for (int i = 0; i + lag < length; ++i)
                {
                    const auto ours = viaPlugin.getSample (channel, i);
                    peak = juce::jmax (peak, std::abs (ours));
                    difference = juce::jmax (difference, std::abs (ours - viaPeer.getSample (channel, i + lag)));
                }
            }

            return peak > 0.0f ? difference / peak : 1.0f;
        };

        auto lag = 0;

        for (int candidate = 1; candidate <= 2 * juce::jmax (64, blockSize); ++candidate)
            if (maxDifferenceOfPeak (candidate) < maxDifferenceOfPeak (lag))
                lag = candidate;

        state.counters["maxDifferenceOfPeak"] = maxDifferenceOfPeak (lag);
        state.counters["expectedLatencySamples"] = peer.getLatencySamples();
        state.counters["latencySamples"] = lag;
    }

    std::string configurationName (const std::string& measure, const std::string& side, double sampleRate, int blockSize)
    {
        return measure + "/" + side + "/" + std::to_string (juce::roundToInt (sampleRate)) + "/" + std::to_string (blockSize);
    }
} // namespace

const std::vector<double>& benchmarkSampleRates()
{
    static const std::vector<double> rates { 44100.0, 48000.0, 96000.0 };
    return rates;
}

const std::vector<int>& benchmarkBlockSizes()
{
    static const std::vector<int> blocks { 32, 64, 128, 256, 512, 1024 };
    return blocks;
}

void registerBenchmarks()
{
    benchmark::RegisterBenchmark ("Instances/ours", measureInstanceCosts<PreparedPlugin>)->Iterations (1)->Unit (benchmark::kSecond);
    benchmark::RegisterBenchmark ("Instances/zita", measureInstanceCosts<ZitaPeer>)->Iterations (1)->Unit (benchmark::kSecond);

    for (int block : { 32, 256 })
        benchmark::RegisterBenchmark (("Agreement/48000/" + std::to_string (block)).c_str(), measureAgreement, 48000.0, block)
            ->Iterations (1);

    for (int block : { 64, 256 })
    {
        benchmark::RegisterBenchmark (configurationName ("WorstBlock", "ours", 48000.0, block).c_str(),
                                      measureWorstBlock<PreparedPlugin>, 48000.0, block)
            ->Iterations (1)
            ->Unit (benchmark::kMillisecond);
        benchmark::RegisterBenchmark (configurationName ("WorstBlock", "zita", 48000.0, block).c_str(),
                                      measureWorstBlock<ZitaPeer>, 48000.0, block)
            ->Iterations (1)
            ->Unit (benchmark::kMillisecond);
    }

    for (auto rate : benchmarkSampleRates())
        for (auto block : benchmarkBlockSizes())
            benchmark::RegisterBenchmark (("Throughput/" + std::to_string (juce::roundToInt (rate)) + "/" + std::to_string (block)).c_str(),
                                          measureThroughput, rate, block)
                ->Iterations (1)
                ->Unit (benchmark::kSecond);
}
} // namespace corvane::bench
