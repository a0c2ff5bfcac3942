// Replaces the global allocation functions of the benchmark program to count the bytes the heap
// holds at any moment (as the allocator rounds them), so the memory of a loaded database can be
// told apart from the rest of the process.
#include "HeapCounter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<long long> liveBytes{0};
std::atomic<long long> allocationCount{0};
std::atomic<long long> peakBytes{0};

void raisePeak(long long live) {
    long long peak = peakBytes.load(std::memory_order_relaxed);
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
}

void* allocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    const auto bytes = static_cast<long long>(malloc_usable_size(p));
    raisePeak(liveBytes.fetch_add(bytes, std::memory_order_relaxed) + bytes);
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    return p;
}

void release(void* p) noexcept {
    if (p == nullptr)
        return;
    liveBytes.fetch_sub(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}

} // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}

namespace estimating_bench {

long long heapLiveBytes() {
    return liveBytes.load(std::memory_order_relaxed);
}
long long heapAllocations() {
    return allocationCount.load(std::memory_order_relaxed);
}
long long heapPeakBytes() {
    return peakBytes.load(std::memory_order_relaxed);
}
void resetHeapPeak() {
    peakBytes.store(heapLiveBytes(), std::memory_order_relaxed);
}

} // namespace estimating_bench
