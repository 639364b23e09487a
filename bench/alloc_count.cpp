#include "alloc_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> zahl{0};

void* holen(std::size_t n)
{
    zahl.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

}  // namespace

std::uint64_t bench::allocations()
{
    return zahl.load(std::memory_order_relaxed);
}

// The array and nothrow forms of the library call these; aligned forms are
// left to the library (nothing here allocates over-aligned memory).
void* operator new(std::size_t n) { return holen(n); }
void* operator new[](std::size_t n) { return holen(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
