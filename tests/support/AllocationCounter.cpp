#include "AllocationCounter.h"

#include <cerrno>
#include <cstdlib>
#include <new>

namespace
{
thread_local bool armed = false;
thread_local std::size_t count = 0, countThroughNew = 0;

inline void note()
{
    if (armed)
        ++count;
}
} // namespace

// A sanitizer's runtime stands in front of glibc's allocator itself: built with one, only operator new and delete
// are counted, and they take their memory from the sanitizer.
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
void* takeMemory (std::size_t size, std::size_t alignment)
{
    return alignment == 0 ? __libc_malloc (size) : __libc_memalign (alignment, size);
}

void giveBack (void* memory) { __libc_free (memory); }
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
#else
namespace
{
void* takeMemory (std::size_t size, std::size_t alignment)
{
    return alignment == 0 ? std::malloc (size) : std::aligned_alloc (alignment, (size + alignment - 1) / alignment * alignment);
}

void giveBack (void* memory) { std::free (memory); }
} // namespace
#endif

// Operator new is counted apart as well, since OpenGL drivers written in C take the C heap inside the GL calls.
namespace
{
void* allocate (std::size_t size, std::size_t alignment = 0)
{
    if (armed)
    {
        ++count;
        ++countThroughNew;
    }

    if (auto* memory = takeMemory (size == 0 ? 1 : size, alignment))
        return memory;

    throw std::bad_alloc();
}

void* allocateOrNull (std::size_t size, std::size_t alignment = 0) noexcept
{
    try
    {
        return allocate (size, alignment);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void release (void* memory) noexcept
{
    if (armed && memory != nullptr)
    {
        ++count;
        ++countThroughNew;
    }

    giveBack (memory);
}
} // namespace

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, std::align_val_t alignment) { return allocate (size, static_cast<std::size_t> (alignment)); }
void* operator new[] (std::size_t size, std::align_val_t alignment) { return allocate (size, static_cast<std::size_t> (alignment)); }
// The nothrow forms too: a library calling one must not get the runtime's memory back through ours, or the other
// way round (AddressSanitizer reports the mismatch).
void* operator new (std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull (size); }
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull (size); }
void* operator new (std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept { return allocateOrNull (size, static_cast<std::size_t> (alignment)); }
void* operator new[] (std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept { return allocateOrNull (size, static_cast<std::size_t> (alignment)); }
void operator delete (void* memory, const std::nothrow_t&) noexcept { release (memory); }
void operator delete[] (void* memory, const std::nothrow_t&) noexcept { release (memory); }
void operator delete (void* memory, std::align_val_t, const std::nothrow_t&) noexcept { release (memory); }
void operator delete[] (void* memory, std::align_val_t, const std::nothrow_t&) noexcept { release (memory); }
void operator delete (void* memory) noexcept { release (memory); }
void operator delete[] (void* memory) noexcept { release (memory); }
void operator delete (void* memory, std::size_t) noexcept { release (memory); }
void operator delete[] (void* memory, std::size_t) noexcept { release (memory); }
void operator delete (void* memory, std::align_val_t) noexcept { release (memory); }
void operator delete[] (void* memory, std::align_val_t) noexcept { release (memory); }
void operator delete (void* memory, std::size_t, std::align_val_t) noexcept { release (memory); }
void operator delete[] (void* memory, std::size_t, std::align_val_t) noexcept { release (memory); }

namespace corvane::test
{
ScopedAllocationCounter::ScopedAllocationCounter()
{
    count = 0;
    countThroughNew = 0;
    armed = true;
}

ScopedAllocationCounter::~ScopedAllocationCounter() { armed = false; }

std::size_t ScopedAllocationCounter::getCount() const { return count; }

std::size_t ScopedAllocationCounter::getCountThroughNew() const { return countThroughNew; }
} // namespace corvane::test
