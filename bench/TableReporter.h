#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace corvane::bench
{
/** Collects the counters of every benchmark run and, once all have run, prints the single comparison table with
    the targets that the figures are held to. Progress goes to stderr. */
class TableReporter : public benchmark::BenchmarkReporter
{
public:
    TableReporter (std::vector<double> sampleRates, std::vector<int> blockSizes);

    bool ReportContext (const Context& context) override;
    void ReportRuns (const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    using Counters = std::map<std::string, double>;

    const Counters* find (const std::string& name) const;
    double value (const std::string& name, const std::string& counter) const;

    void printThroughputRows() const;
    void printWorstBlockRows() const;
    void printInstanceRows() const;
    void printFootnotes() const;

    std::vector<double> sampleRates;
    std::vector<int> blockSizes;
    std::map<std::string, Counters> results;
    std::map<std::string, std::string> errors;
};
} // namespace corvane::bench
