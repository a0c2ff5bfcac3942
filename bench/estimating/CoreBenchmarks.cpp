// Load, Save, memory and price break-down of the large generated price database, against the
// targets: Load and Save >= 150 MB/s of file size, loaded heap <= 4x the file size, ComputePrice
// of one budget <= 50 ms and >= 20x faster than the plain algorithm.
#include "Database.h"
#include "HeapCounter.h"
#include "LargeDatabase.h"
#include "LiteralAlgorithm.h"
#include "Seams.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace estimating;
using namespace estimating_bench;

namespace {

constexpr int kMeasuredBudgets = 5;

struct Fixture {
    fs::path folder;
    fs::path loadPath;
    fs::path savePath;
    std::size_t fileSize = 0;
    std::unique_ptr<TDocument> document; // loaded once, shared by the read-only benchmarks
    std::vector<TInsumoCompuesto*> budgets;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

std::unique_ptr<TDocument> loadDocument(const fs::path& path) {
    auto document = std::make_unique<TDocument>();
    document->SetFileName(path.string());
    if (!document->Load())
        throw std::runtime_error("the large database did not load");
    return document;
}

std::vector<TInsumoCompuesto*> topLevelBudgets(TDocument& document) {
    std::vector<TInsumoCompuesto*> budgets;
    for (const auto& entry : document.Budgets.List())
        if (entry->SubKind() == kSubKindBudget)
            budgets.push_back(entry->AsCompuesto());
    return budgets;
}

long long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

void BM_Load(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        auto document = loadDocument(f.loadPath);
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.fileSize));
}

void BM_Save(benchmark::State& state) {
    Fixture& f = fixture();
    f.document->SetFileName(f.savePath.string());
    for (auto _ : state) {
        if (!f.document->Save())
            state.SkipWithError("Save failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.fileSize));
}

void BM_ComputePrice_Core(benchmark::State& state) {
    const Fixture& f = fixture();
    std::size_t next = 0;
    for (auto _ : state) {
        TInsumoCompuesto* budget = f.budgets[next++ % kMeasuredBudgets];
        benchmark::DoNotOptimize(budget->ComputePrice());
    }
}

void BM_ComputePrice_Literal(benchmark::State& state) {
    const Fixture& f = fixture();
    std::size_t next = 0;
    for (auto _ : state) {
        const TInsumoCompuesto* budget = f.budgets[next++ % kMeasuredBudgets];
        benchmark::DoNotOptimize(literal::ComputePrice(*budget).total);
    }
}

// What deleting a primary costs on top of the delete itself: every compound's break-down rebuilt.
void BM_PurgeDeleted_Compounds(benchmark::State& state) {
    TDocument& document = *fixture().document;
    for (auto _ : state)
        document.Compounds.PurgeDeleted();
}

// The compounds catalogue prices every compound it lists.
void BM_ComputePrice_EveryCompound(benchmark::State& state) {
    const TInsumos& compounds = fixture().document->Compounds;
    for (auto _ : state)
        for (const auto& entry : compounds.List())
            benchmark::DoNotOptimize(entry->AsCompuesto()->ComputePrice());
}

// Every typed price, percentage, quantity or rate is checked against the whole database.
void BM_NonFinitePrices(benchmark::State& state) {
    TDocument& document = *fixture().document;
    for (auto _ : state)
        benchmark::DoNotOptimize(NonFinitePrices(document.Compounds, document.Budgets));
}

std::vector<std::string> sampleCodes(const TInsumos& collection, int count) {
    std::vector<std::string> codes;
    std::uint64_t x = 12345;
    for (int i = 0; i < count; ++i) {
        x = x * 6364136223846793005ULL + 1442695040888963407ULL;
        codes.push_back(collection.Insumo(static_cast<int>((x >> 33) % collection.Count())).Code());
    }
    return codes;
}

void BM_FindByCode_Core(benchmark::State& state) {
    const TInsumos& compounds = fixture().document->Compounds;
    const auto codes = sampleCodes(compounds, 1024);
    std::size_t next = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(compounds.Find(codes[next++ % codes.size()]));
}

void BM_FindByCode_Literal(benchmark::State& state) {
    const TInsumos& compounds = fixture().document->Compounds;
    const auto codes = sampleCodes(compounds, 1024);
    std::size_t next = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(literal::FindByCode(compounds, codes[next++ % codes.size()]));
}

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ComputePrice_Core)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ComputePrice_Literal)->Unit(benchmark::kMillisecond)->Iterations(kMeasuredBudgets);
BENCHMARK(BM_PurgeDeleted_Compounds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComputePrice_EveryCompound)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NonFinitePrices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindByCode_Core)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_FindByCode_Literal)->Unit(benchmark::kMicrosecond);

// Keeps the mean time per iteration of every benchmark for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
                const auto n = static_cast<double>(run.iterations);
                wall[run.run_name.function_name] = run.real_accumulated_time / n;
                cpu[run.run_name.function_name] = run.cpu_accumulated_time / n;
            }
    }
    std::map<std::string, double> wall;
    std::map<std::string, double> cpu;
};

struct MemoryFigures {
    long long heapBytes = 0;
    long long allocations = 0;
    long long residentBytes = 0;
};

MemoryFigures measureLoadedMemory(const fs::path& path) {
    malloc_trim(0);
    const long long heapBefore = heapLiveBytes();
    const long long allocationsBefore = heapAllocations();
    const long long residentBefore = residentBytes();
    auto document = loadDocument(path);
    malloc_trim(0); // what the file image took is given back; only the database stays
    MemoryFigures m;
    m.heapBytes = heapLiveBytes() - heapBefore;
    m.allocations = heapAllocations() - allocationsBefore;
    m.residentBytes = residentBytes() - residentBefore;
    return m;
}

void prepare() {
    Fixture& f = fixture();
    // Memory-backed when the system has it: the figures are about parsing and writing, and a
    // shared disk would only add noise.
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    f.folder = base / ("obravel-bench-" + std::to_string(getpid()));
    fs::create_directories(f.folder);
    f.loadPath = f.folder / "large.cdb";
    f.savePath = f.folder / "saved.cdb";
    {
        const std::string image = cdbImage(generateDatabase());
        writeFile(f.loadPath, image);
        f.fileSize = image.size();
    }
    malloc_trim(0);
}

void loadShared() {
    Fixture& f = fixture();
    f.document = loadDocument(f.loadPath);
    f.budgets = topLevelBudgets(*f.document);
    if (f.budgets.size() < kMeasuredBudgets)
        throw std::runtime_error("the large database holds too few budgets");
}

// The benchmarks only mean something when both break-downs agree.
bool pricesAgree() {
    for (int i = 0; i < kMeasuredBudgets; ++i) {
        TInsumoCompuesto* budget = fixture().budgets[static_cast<std::size_t>(i)];
        if (budget->ComputePrice() != literal::ComputePrice(*budget).total)
            return false;
    }
    return true;
}

using Times = std::map<std::string, double>;

double secondsOf(const Times& times, const std::string& name) {
    const auto it = times.find(name);
    return it == times.end() ? 0.0 : it->second;
}

double megabytesPerSecond(double megabytes, double seconds) {
    return seconds > 0 ? megabytes / seconds : 0.0;
}

const char* verdict(bool met, double measured) {
    if (measured <= 0)
        return "not run";
    return met ? "met" : "MISSED";
}

void printRate(const char* figure, double megabytes, const SummaryReporter& r,
               const std::string& name) {
    const double wall = megabytesPerSecond(megabytes, secondsOf(r.wall, name));
    const double cpu = megabytesPerSecond(megabytes, secondsOf(r.cpu, name));
    std::printf("%-36s %8.0f MB/s %8.0f MB/s %12s %8s\n", figure, wall, cpu, ">= 150 MB/s",
                verdict(cpu >= 150, cpu));
}

void printSummary(const MemoryFigures& memory, const SummaryReporter& r, bool agree) {
    const Fixture& f = fixture();
    const double mb = static_cast<double>(f.fileSize) / 1e6;
    const double heapRatio =
        static_cast<double>(memory.heapBytes) / static_cast<double>(f.fileSize);
    const double rssRatio =
        static_cast<double>(memory.residentBytes) / static_cast<double>(f.fileSize);
    const double coreWall = secondsOf(r.wall, "BM_ComputePrice_Core") * 1e3;
    const double coreCpu = secondsOf(r.cpu, "BM_ComputePrice_Core") * 1e3;
    const double literalWall = secondsOf(r.wall, "BM_ComputePrice_Literal") * 1e3;
    const double literalCpu = secondsOf(r.cpu, "BM_ComputePrice_Literal") * 1e3;
    const double speedupWall = coreWall > 0 ? literalWall / coreWall : 0.0;
    const double speedupCpu = coreCpu > 0 ? literalCpu / coreCpu : 0.0;

    std::printf("\nLarge database: %.1f MB file; loaded heap %.1f MB in %lld allocations, "
                "resident growth %.1f MB\n",
                mb, static_cast<double>(memory.heapBytes) / 1e6, memory.allocations,
                static_cast<double>(memory.residentBytes) / 1e6);
    std::printf("%-36s %13s %13s %12s %8s\n", "figure (verdict on CPU time)", "wall", "CPU",
                "target", "");
    printRate("Load", mb, r, "BM_Load");
    printRate("Save", mb, r, "BM_Save");
    std::printf("%-36s %13s %11.2f x %12s %8s\n", "Loaded heap / file size", "", heapRatio,
                "<= 4 x", verdict(heapRatio <= 4, heapRatio));
    std::printf("%-36s %13s %11.2f x %12s %8s\n", "Resident growth / file size", "", rssRatio,
                "<= 4 x", verdict(rssRatio <= 4, rssRatio));
    std::printf("%-36s %10.2f ms %10.2f ms %12s %8s\n", "ComputePrice of one budget", coreWall,
                coreCpu, "<= 50 ms", verdict(coreCpu <= 50, coreCpu));
    std::printf("%-36s %10.0f ms %10.0f ms\n", "Plain algorithm, same budgets", literalWall,
                literalCpu);
    std::printf("%-36s %11.0f x %11.0f x %12s %8s\n", "Speed-up over the plain algorithm",
                speedupWall, speedupCpu, ">= 20 x", verdict(speedupCpu >= 20, speedupCpu));
    std::printf("%-36s %10.2f ms %10.2f ms %12s\n", "Price check of the whole database",
                secondsOf(r.wall, "BM_NonFinitePrices") * 1e3,
                secondsOf(r.cpu, "BM_NonFinitePrices") * 1e3, "(reference)");
    std::printf("%-36s %13s %13s %12s %8s\n", "Same prices as the plain algorithm", "",
                agree ? "yes" : "NO", "yes", agree ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    // A fixed threshold keeps large buffers (file images) out of the heap, as in a fresh program,
    // instead of letting the first large free raise it.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    SetMessageSink([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        prepare();
        const MemoryFigures memory = measureLoadedMemory(fixture().loadPath);
        loadShared();
        const bool agree = pricesAgree();
        SummaryReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        printSummary(memory, reporter, agree);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        fs::remove_all(fixture().folder);
        return 1;
    }
    fixture().document.reset();
    fs::remove_all(fixture().folder);
    benchmark::Shutdown();
    return 0;
}
