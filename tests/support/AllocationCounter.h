#pragma once

#include <cstddef>

// Counts heap allocations made by the current thread while armed. The test
// binaries replace the global operator new with a counting one, so a test can
// prove that a piece of audio code never allocates.
namespace testsupport
{
class AllocationCounter
{
public:
    AllocationCounter();
    ~AllocationCounter();

    AllocationCounter (const AllocationCounter&) = delete;
    AllocationCounter& operator= (const AllocationCounter&) = delete;

    // Allocations made by this thread since construction.
    std::size_t count() const;
};
} // namespace testsupport
