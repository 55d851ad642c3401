#pragma once

#include <cstddef>
#include <vector>

namespace corvane::bench
{
/** CPU time of every thread of this process, the convolvers' worker threads included. */
double processCpuSeconds();

/** CPU time of the calling thread. */
double callingThreadCpuSeconds();

/** The kernel's ids of this process's threads now; those that appear across a constructor are the threads the
    constructed object started. */
std::vector<int> threadIds();

/** Ids in after that are not in before. */
std::vector<int> newThreadIds (const std::vector<int>& before, const std::vector<int>& after);

/** The summed CPU time of the given threads of this process; threads that have ended count as nothing. */
double threadsCpuSeconds (const std::vector<int>& ids);

/** Pages of this process that are resident now, in bytes. */
std::size_t residentBytes();

/** The most this process has had resident since the last resetPeakResident(), in bytes. */
std::size_t peakResidentBytes();

/** Starts a new peak for peakResidentBytes(); without the kernel's support the peak stays the lifetime peak. */
void resetPeakResident();
} // namespace corvane::bench
