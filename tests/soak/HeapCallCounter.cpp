#include "HeapCallCounter.h"

#include <cerrno>

// A sanitizer's runtime stands in front of glibc's allocator itself; built with one, nothing is counted.
#if ! defined(__SANITIZE_ADDRESS__) && ! defined(__SANITIZE_THREAD__)
// glibc's own entry points, which every process has; the definitions below sit in front of them.
extern "C"
{
    void* __libc_malloc (std::size_t);
    void* __libc_calloc (std::size_t, std::size_t);
    void* __libc_realloc (void*, std::size_t);
    void* __libc_memalign (std::size_t, std::size_t);
    void __libc_free (void*);
}

namespace
{
thread_local bool armed = false;
thread_local std::size_t count = 0;

inline void note()
{
    if (armed)
        ++count;
}
} // namespace

extern "C"
{
    void* malloc (std::size_t size)
    {
        note();
        return __libc_malloc (size);
    }

    void* calloc (std::size_t number, std::size_t size)
    {
        note();
        return __libc_calloc (number, size);
    }

    void* realloc (void* memory, std::size_t size)
    {
        note();
        return __libc_realloc (memory, size);
    }

    void* memalign (std::size_t alignment, std::size_t size)
    {
        note();
        return __libc_memalign (alignment, size);
    }

    void* aligned_alloc (std::size_t alignment, std::size_t size)
    {
        note();
        return __libc_memalign (alignment, size);
    }

    int posix_memalign (void** result, std::size_t alignment, std::size_t size)
    {
        note();

        if (alignment < sizeof (void*) || (alignment & (alignment - 1)) != 0)
            return EINVAL;

        auto* memory = __libc_memalign (alignment, size);

        if (memory == nullptr)
            return ENOMEM;

        *result = memory;
        return 0;
    }

    // A free on the audio thread takes the allocator's locks just as a malloc does.
    void free (void* memory)
    {
        if (memory != nullptr)
            note();

        __libc_free (memory);
    }
}
#endif

namespace corvane::test
{
ScopedHeapCallCounter::ScopedHeapCallCounter()
{
    count = 0;
    armed = true;
}

ScopedHeapCallCounter::~ScopedHeapCallCounter() { armed = false; }

std::size_t ScopedHeapCallCounter::getCount() const { return count; }
} // namespace corvane::test
