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

    // Counts only allocations made with code of one loaded binary on the
    // call stack (a hosted plug-in's, by its file name), so that what a host
    // allocates around the plug-in's calls is not counted.
    explicit AllocationCounter (const char* binaryFileName);
    ~AllocationCounter();

    AllocationCounter (const AllocationCounter&) = delete;
    AllocationCounter& operator= (const AllocationCounter&) = delete;

    // Allocations made by this thread since construction.
    std::size_t count() const;
};
} // namespace testsupport
