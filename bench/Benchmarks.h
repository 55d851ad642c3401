#pragma once

#include <vector>

namespace corvane::bench
{
const std::vector<double>& benchmarkSampleRates();
const std::vector<int>& benchmarkBlockSizes();

/** Registers every measurement with Google Benchmark, in the order they must run: the per-instance costs first,
    while the heap is still fresh, then the agreement check, the worst blocks and the throughput. */
void registerBenchmarks();
} // namespace corvane::bench
