#include "Benchmarks.h"
#include "TableReporter.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

int main (int argc, char** argv)
{
    // This thread is JUCE's message thread, as a host's would be.
    juce::ScopedJuceInitialiser_GUI juce;

    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    corvane::bench::registerBenchmarks();
    corvane::bench::TableReporter reporter (corvane::bench::benchmarkSampleRates(), corvane::bench::benchmarkBlockSizes());
    benchmark::RunSpecifiedBenchmarks (&reporter);
    benchmark::Shutdown();
    return 0;
}
