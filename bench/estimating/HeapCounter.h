#pragma once
// Heap use of the whole program, counted by its replaced operator new and delete (memory taken
// with malloc directly is not seen).

namespace estimating_bench {

long long heapLiveBytes();
long long heapAllocations();

} // namespace estimating_bench
