#pragma once

#include <cstddef>

namespace corvane::test
{
/** Counts heap allocations made on the calling thread while an instance lives; other threads (the message
    thread, a convolution loader) are not counted. Works only in an executable that links AllocationCounter.cpp,
    which replaces the global operator new. */
class ScopedAllocationCounter
{
public:
    ScopedAllocationCounter();
    ~ScopedAllocationCounter();

    std::size_t getCount() const;

    ScopedAllocationCounter (const ScopedAllocationCounter&) = delete;
    ScopedAllocationCounter& operator= (const ScopedAllocationCounter&) = delete;
};
} // namespace corvane::test
