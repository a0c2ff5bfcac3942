#pragma once
// Heap use of the whole program, counted by its replaced operator new and delete (memory taken
// with malloc directly is not seen).

namespace estimating_bench {

long long heapLiveBytes();
long long heapAllocations();
// The most the heap held since the last resetHeapPeak.
long long heapPeakBytes();
void resetHeapPeak();

} // namespace estimating_bench
