#pragma once

#include <cstddef>

namespace corvane::test
{
/** Counts calls into the heap (allocations and frees) made on the calling thread while an instance lives; other
    threads (the message thread, a convolution loader) are not counted. Works only in an executable that links
    AllocationCounter.cpp, which replaces operator new and delete and stands in front of glibc's malloc family,
    where JUCE's buffers and FFTW take their memory. */
class ScopedAllocationCounter
{
public:
    ScopedAllocationCounter();
    ~ScopedAllocationCounter();

    std::size_t getCount() const;

    /** Only the calls of operator new and delete among them. */
    std::size_t getCountThroughNew() const;

    /** Built with a sanitizer, whose runtime owns the C heap, only operator new and delete are counted. */
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    static constexpr bool seesTheCHeap = false;
#else
    static constexpr bool seesTheCHeap = true;
#endif

    ScopedAllocationCounter (const ScopedAllocationCounter&) = delete;
    ScopedAllocationCounter& operator= (const ScopedAllocationCounter&) = delete;
};
} // namespace corvane::test
