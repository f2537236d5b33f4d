#include "support/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local bool armed = false;
thread_local std::size_t allocations = 0;

void* countedAlloc (std::size_t size)
{
    if (armed)
        ++allocations;
    if (size == 0)
        size = 1;
    if (void* p = std::malloc (size))
        return p;
    throw std::bad_alloc();
}

void* countedAlignedAlloc (std::size_t size, std::align_val_t alignment)
{
    if (armed)
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
    armed = true;
}

AllocationCounter::~AllocationCounter()
{
    armed = false;
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
