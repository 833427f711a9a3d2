#include "tests/support/largest_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> g_largest{0};

void* allocate(size_t n) {
    size_t seen = g_largest.load(std::memory_order_relaxed);
    while (n > seen && !g_largest.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {}
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

} // namespace

void reset_largest_allocation() {
    g_largest = 0;
}

size_t largest_allocation() {
    return g_largest;
}

void* operator new(size_t n) {
    return allocate(n);
}

void* operator new[](size_t n) {
    return allocate(n);
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete[](void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}
