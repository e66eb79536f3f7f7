#pragma once
#include <cstdint>

namespace vorpline::test {

// Counts heap allocations and releases made by the current thread while a scope is open:
// every malloc, calloc, realloc, free and operator new of this test program, its libraries
// included, goes through a counting layer. Used to prove that audio callbacks stay off the heap.
class AllocationScope {
public:
    AllocationScope();
    ~AllocationScope();
    AllocationScope(const AllocationScope&) = delete;
    AllocationScope& operator=(const AllocationScope&) = delete;

    // Heap calls made on this thread since the scope opened (always 0 when counting is not
    // Available()).
    int64_t Count() const;
    // Sanitizer builds own malloc themselves; there the counting layer is left out.
    static bool Available();

private:
    int64_t start;
};

} // namespace vorpline::test
