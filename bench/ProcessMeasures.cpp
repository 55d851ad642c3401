#include "ProcessMeasures.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace corvane::bench
{
namespace
{
    std::size_t readStatusKilobytes (const std::string& field)
    {
        std::ifstream status ("/proc/self/status");
        std::string line;

        while (std::getline (status, line))
            if (line.rfind (field + ":", 0) == 0)
                return static_cast<std::size_t> (std::stoull (line.substr (field.size() + 1))) * 1024;

        return 0;
    }
} // namespace

double processCpuSeconds()
{
    timespec now {};
    clock_gettime (CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double> (now.tv_sec) + static_cast<double> (now.tv_nsec) * 1.0e-9;
}

double callingThreadCpuSeconds()
{
    timespec now {};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double> (now.tv_sec) + static_cast<double> (now.tv_nsec) * 1.0e-9;
}

std::vector<int> threadIds()
{
    std::vector<int> ids;

    for (const auto& entry : std::filesystem::directory_iterator ("/proc/self/task"))
        ids.push_back (std::stoi (entry.path().filename().string()));

    std::sort (ids.begin(), ids.end());
    return ids;
}

std::vector<int> newThreadIds (const std::vector<int>& before, const std::vector<int>& after)
{
    std::vector<int> added;
    std::set_difference (after.begin(), after.end(), before.begin(), before.end(), std::back_inserter (added));
    return added;
}

double threadsCpuSeconds (const std::vector<int>& ids)
{
    auto total = 0.0;

    for (auto id : ids)
    {
        // The kernel's clock id for one thread's CPU time, as glibc's pthread_getcpuclockid builds it from the
        // thread id; it reaches threads that some library started without handing out their handles.
        const auto clock = static_cast<clockid_t> ((~static_cast<unsigned int> (id) << 3) | 6u);
        timespec used {};

        if (clock_gettime (clock, &used) == 0)
            total += static_cast<double> (used.tv_sec) + static_cast<double> (used.tv_nsec) * 1.0e-9;
    }

    return total;
}

std::size_t residentBytes()
{
    return readStatusKilobytes ("VmRSS");
}

std::size_t peakResidentBytes()
{
    return readStatusKilobytes ("VmHWM");
}

void resetPeakResident()
{
    // Writing 5 to clear_refs resets VmHWM to the current resident size.
    std::ofstream clearRefs ("/proc/self/clear_refs");
    clearRefs << "5";
}
} // namespace corvane::bench
