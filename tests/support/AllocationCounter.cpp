#include "support/AllocationCounter.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <execinfo.h>
#include <new>

namespace
{
thread_local bool armed = false;
thread_local std::size_t allocations = 0;
thread_local const char* onlyFrom = nullptr;

// Whether code of the binary named onlyFrom is on this thread's call stack.
// Neither backtrace (once loaded) nor dladdr uses operator new.
bool fromWatchedBinary()
{
    void* frames[64];
    const int n = backtrace (frames, 64);
    const auto nameLength = std::strlen (onlyFrom);
    for (int i = 0; i < n; ++i)
    {
        Dl_info info {};
        if (dladdr (frames[i], &info) == 0 || info.dli_fname == nullptr)
            continue;
        const auto length = std::strlen (info.dli_fname);
        if (length >= nameLength && std::strcmp (info.dli_fname + length - nameLength, onlyFrom) == 0
            && (length == nameLength || info.dli_fname[length - nameLength - 1] == '/'))
            return true;
    }
    return false;
}

void* countedAlloc (std::size_t size)
{
    if (armed && (onlyFrom == nullptr || fromWatchedBinary()))
        ++allocations;
    if (size == 0)
        size = 1;
    if (void* p = std::malloc (size))
        return p;
    throw std::bad_alloc();
}

void* countedAlignedAlloc (std::size_t size, std::align_val_t alignment)
{
    if (armed && (onlyFrom == nullptr || fromWatchedBinary()))
        ++allocations;
    const auto align = static_cast<std::size_t> (alignment);
    const std::size_t rounded = ((size == 0 ? 1 : size) + align - 1) / align * align;
    if (void* p = std::aligned_alloc (align, rounded))
        return p;
    throw std::bad_alloc();
}
} // namespace

namespace testsupport
{
AllocationCounter::AllocationCounter()
{
    allocations = 0;
    onlyFrom = nullptr;
    armed = true;
}

AllocationCounter::AllocationCounter (const char* binaryFileName)
{
    // The first backtrace loads the unwinder, which allocates: done here,
    // before counting starts.
    void* frame[1];
    backtrace (frame, 1);
    allocations = 0;
    onlyFrom = binaryFileName;
    armed = true;
}

AllocationCounter::~AllocationCounter()
{
    armed = false;
    onlyFrom = nullptr;
}

std::size_t AllocationCounter::count() const
{
    return allocations;
}
} // namespace testsupport

void* operator new (std::size_t size)
{
    return countedAlloc (size);
}
void* operator new[] (std::size_t size)
{
    return countedAlloc (size);
}
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return countedAlloc (size);
    }
    catch (...)
    {
        return nullptr;
    }
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return countedAlloc (size);
    }
    catch (...)
    {
        return nullptr;
    }
}
void* operator new (std::size_t size, std::align_val_t a)
{
    return countedAlignedAlloc (size, a);
}
void* operator new[] (std::size_t size, std::align_val_t a)
{
    return countedAlignedAlloc (size, a);
}

// <new> declares the sized forms only where the compiler enables sized
// deallocation; elsewhere these declarations keep the definitions below
// prototyped.
#ifndef __cpp_sized_deallocation
void operator delete (void* p, std::size_t) noexcept;
void operator delete[] (void* p, std::size_t) noexcept;
void operator delete (void* p, std::size_t, std::align_val_t) noexcept;
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept;
#endif

void operator delete (void* p) noexcept
{
    std::free (p);
}
void operator delete[] (void* p) noexcept
{
    std::free (p);
}
void operator delete (void* p, std::size_t) noexcept
{
    std::free (p);
}
void operator delete[] (void* p, std::size_t) noexcept
{
    std::free (p);
}
void operator delete (void* p, std::align_val_t) noexcept
{
    std::free (p);
}
void operator delete[] (void* p, std::align_val_t) noexcept
{
    std::free (p);
}
void operator delete (void* p, std::size_t, std::align_val_t) noexcept
{
    std::free (p);
}
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept
{
    std::free (p);
}
