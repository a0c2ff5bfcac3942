// Throughput of the LZH coder (MB/s of original bytes) against the plain rendering of the
// classic loops, on 8 MiB of English-like text, of this program's own executable and of
// random bytes.
#include "LzhInputs.h"
#include "LzhTranscription.h"
#include "lzh.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kInputSize = 8u << 20;

enum Kind : int { kText, kExecutable, kRandom };

const Bytes& Input(int kind) {
    static std::map<int, Bytes> cache;
    auto it = cache.find(kind);
    if (it == cache.end()) {
        Bytes made = kind == kText         ? lzh_inputs::EnglishLikeText(kInputSize, 2024)
                     : kind == kExecutable ? lzh_inputs::ExecutableBytes(kInputSize)
                                           : lzh_inputs::RandomBytes(kInputSize, 2024);
        it = cache.emplace(kind, std::move(made)).first;
    }
    return it->second;
}

const Bytes& Packed(int kind) {
    static std::map<int, Bytes> cache;
    auto it = cache.find(kind);
    if (it == cache.end())
        it = cache.emplace(kind, setup::LzhCompress(Input(kind))).first;
    return it->second;
}

void Label(benchmark::State& state, int kind) {
    static const char* names[] = {"text", "executable", "random"};
    const double ratio = static_cast<double>(Packed(kind).size()) / static_cast<double>(kInputSize);
    state.SetLabel(names[kind]);
    state.counters["packed_ratio"] = ratio;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kInputSize));
}

void BM_Compress(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const Bytes& input = Input(kind);
    for (auto _ : state)
        benchmark::DoNotOptimize(setup::LzhCompress(input));
    Label(state, kind);
}

void BM_CompressClassic(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const Bytes& input = Input(kind);
    for (auto _ : state)
        benchmark::DoNotOptimize(lzh_transcription::Compress(input));
    Label(state, kind);
}

void BM_Decompress(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const Bytes& packed = Packed(kind);
    for (auto _ : state) {
        auto out = setup::LzhDecompress(packed);
        if (!out || out->size() != kInputSize)
            throw std::runtime_error("decoding failed");
        benchmark::DoNotOptimize(out);
    }
    Label(state, kind);
}

void BM_DecompressClassic(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const Bytes& packed = Packed(kind);
    Bytes out;
    for (auto _ : state) {
        lzh_transcription::Decompress(packed, out);
        benchmark::DoNotOptimize(out);
    }
    Label(state, kind);
}

// The machine may be shared: the fastest of several repetitions is the figure to compare.
double Fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}
double Slowest(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

void Kinds(benchmark::internal::Benchmark* b) {
    b->Arg(kText)->Arg(kExecutable)->Arg(kRandom);
    b->Unit(benchmark::kMillisecond)->MinTime(1.0);
    b->ComputeStatistics("min", Fastest)->ComputeStatistics("max", Slowest);
}

} // namespace

BENCHMARK(BM_Compress)->Apply(Kinds);
BENCHMARK(BM_CompressClassic)->Apply(Kinds);
BENCHMARK(BM_Decompress)->Apply(Kinds);
BENCHMARK(BM_DecompressClassic)->Apply(Kinds);

BENCHMARK_MAIN();
