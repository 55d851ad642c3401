#pragma once

#include <cstddef>

namespace corvane::test
{
/** Counts calls into the C heap (malloc, calloc, realloc, the aligned forms and free) made on the calling thread
    while an instance lives. JUCE's buffers take their memory there directly, past operator new, so
    ScopedAllocationCounter does not see them. Works only in an executable that links HeapCallCounter.cpp, which
    stands in front of glibc's allocator. */
class ScopedHeapCallCounter
{
public:
    ScopedHeapCallCounter();
    ~ScopedHeapCallCounter();

    std::size_t getCount() const;

    ScopedHeapCallCounter (const ScopedHeapCallCounter&) = delete;
    ScopedHeapCallCounter& operator= (const ScopedHeapCallCounter&) = delete;
};
} // namespace corvane::test
