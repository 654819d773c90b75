#include "largest_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

// This test program's operator new records the largest request while a LargestAllocation
// watches. Arrays and the aligned forms keep their library versions, which call this one
// or do not matter here.

namespace {
std::atomic<bool> watching{false};
std::atomic<std::size_t> largest{0};
}  // namespace

void* operator new(std::size_t size) {
    if (watching.load(std::memory_order_relaxed)) {
        std::size_t seen = largest.load(std::memory_order_relaxed);
        while (size > seen && !largest.compare_exchange_weak(seen, size)) {
        }
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace dorvane::testing {

LargestAllocation::LargestAllocation() {
    largest = 0;
    watching = true;
}

LargestAllocation::~LargestAllocation() {
    watching = false;
}

std::size_t LargestAllocation::Bytes() const {
    return largest.load();
}

}  // namespace dorvane::testing
