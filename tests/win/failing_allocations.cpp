#include "failing_allocations.hpp"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> failing_from{0};  // 0: nothing fails
std::atomic<size_t> failures{0};

}  // namespace

void* operator new(size_t size) {
    const size_t from = failing_from.load();
    if (from != 0 && size >= from) {
        ++failures;
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }

namespace korvane::test {

FailingAllocations::FailingAllocations(size_t bytes) {
    failures = 0;
    failing_from = bytes;
}

FailingAllocations::~FailingAllocations() { failing_from = 0; }

size_t FailingAllocations::failed() const { return failures.load(); }

}  // namespace korvane::test
