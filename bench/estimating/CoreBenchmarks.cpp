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
BENCHMARK(BM_FindByCode_Core)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_FindByCode_Literal)->Unit(benchmark::kMicrosecond);

// Keeps the mean time per iteration of every benchmark for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0)
                seconds[run.run_name.function_name] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
    }
    std::map<std::string, double> seconds;
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
    f.folder = fs::temp_directory_path() / ("obravel-bench-" + std::to_string(getpid()));
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

double perSecond(double amount, const std::map<std::string, double>& seconds,
                 const std::string& name) {
    const auto it = seconds.find(name);
    return it == seconds.end() || it->second <= 0 ? 0.0 : amount / it->second;
}

const char* verdict(bool met, double measured = 1.0) {
    if (measured <= 0)
        return "not run";
    return met ? "met" : "MISSED";
}

void printSummary(const MemoryFigures& memory, const std::map<std::string, double>& seconds,
                  bool agree) {
    const Fixture& f = fixture();
    const double mb = static_cast<double>(f.fileSize) / 1e6;
    const double loadRate = perSecond(mb, seconds, "BM_Load");
    const double saveRate = perSecond(mb, seconds, "BM_Save");
    const double heapRatio =
        static_cast<double>(memory.heapBytes) / static_cast<double>(f.fileSize);
    const double rssRatio =
        static_cast<double>(memory.residentBytes) / static_cast<double>(f.fileSize);
    const double coreMs =
        seconds.count("BM_ComputePrice_Core") != 0 ? seconds.at("BM_ComputePrice_Core") * 1e3 : 0.0;
    const double literalMs = seconds.count("BM_ComputePrice_Literal") != 0
                                 ? seconds.at("BM_ComputePrice_Literal") * 1e3
                                 : 0.0;
    const double speedup = coreMs > 0 ? literalMs / coreMs : 0.0;

    std::printf("\nLarge database: %.1f MB file; loaded heap %.1f MB in %lld allocations, "
                "resident growth %.1f MB\n",
                mb, static_cast<double>(memory.heapBytes) / 1e6, memory.allocations,
                static_cast<double>(memory.residentBytes) / 1e6);
    std::printf("%-34s %14s %14s %8s\n", "figure", "measured", "target", "");
    std::printf("%-34s %10.0f MB/s %9s MB/s %8s\n", "Load", loadRate, ">= 150",
                verdict(loadRate >= 150, loadRate));
    std::printf("%-34s %10.0f MB/s %9s MB/s %8s\n", "Save", saveRate, ">= 150",
                verdict(saveRate >= 150, saveRate));
    std::printf("%-34s %12.2f x %11s x %8s\n", "Loaded heap / file size", heapRatio, "<= 4",
                verdict(heapRatio <= 4));
    std::printf("%-34s %12.2f x %11s x %8s\n", "Resident growth / file size", rssRatio, "<= 4",
                verdict(rssRatio <= 4));
    std::printf("%-34s %11.2f ms %10s ms %8s\n", "ComputePrice of one budget", coreMs, "<= 50",
                verdict(coreMs <= 50, coreMs));
    std::printf("%-34s %11.0f ms %13s %8s\n", "Plain algorithm, same budget", literalMs, "", "");
    std::printf("%-34s %12.0f x %11s x %8s\n", "Speed-up over the plain algorithm", speedup,
                ">= 20", verdict(speedup >= 20, speedup));
    std::printf("%-34s %14s %14s %8s\n", "Same prices as the plain algorithm", agree ? "yes" : "NO",
                "yes", verdict(agree));
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
        printSummary(memory, reporter.seconds, agree);
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
