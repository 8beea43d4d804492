// Allocations that fail on request, as they do where memory has run out.  The test program that
// links this replaces the global operator new and delete.
#pragma once

#include <cstddef>

namespace korvane::test {

// While it lives, every operator new of at least `bytes` throws std::bad_alloc.
class FailingAllocations {
public:
    explicit FailingAllocations(size_t bytes);
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;

    // How many allocations have failed since it was made.
    size_t failed() const;
};

}  // namespace korvane::test
