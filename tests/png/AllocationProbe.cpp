// The replaced global operator new records the largest request while a probe
// runs. It lives in a file of its own, so that no new-expression is compiled
// beside the free() it pairs with.
#include "AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> probing{false};
std::atomic<std::size_t> largest{0};

}  // namespace

void* operator new(std::size_t size) {
    if (probing) {
        std::size_t seen = largest;
        while (seen < size && !largest.compare_exchange_weak(seen, size)) {
        }
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace imvexa::test {

std::size_t LargestAllocation(const std::function<void()>& operation) {
    largest = 0;
    probing = true;
    try {
        operation();
    } catch (...) {
        probing = false;
        throw;
    }
    probing = false;
    return largest;
}

}  // namespace imvexa::test
