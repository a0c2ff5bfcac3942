// Installing a package of 2,000 LZH-packed files (200 MB) against decoding the same bodies alone.
// The install should be bound by the decoder, and its heap should stay within a few times the
// largest file. Installing packages of registry values only: time in step with their number.
#include "HeadlessWizard.h"
#include "PackageWriter.h"
#include "RootPlatform.h"
#include "lzh.h"
#include "setup_installer.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <stdexcept>
#include <thread>

namespace {

constexpr int FileCount = 2000;
constexpr std::size_t TotalBytes = 200u * 1000u * 1000u;
constexpr std::size_t LargestFile = 4u * 1024u * 1024u;

// Text-like content: words drawn from a small vocabulary, as source files and documents are.
std::string TextLike(std::size_t size, std::mt19937& random) {
    static const char* words[] = {"estimate ", "budget ", "price ",    "labour ", "material ",
                                  "the ",      "of ",     "and ",      "unit ",   "total ",
                                  "\r\n",      "42.50 ",  "concrete ", "steel ",  "division ",
                                  "compound ", "item "};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(words) - 1);
    std::string s;
    s.reserve(size + 16);
    while (s.size() < size)
        s += words[pick(random)];
    s.resize(size);
    return s;
}

struct BenchPackage {
    QTemporaryDir dir;
    std::vector<std::string> packedBodies;

    BenchPackage() {
        std::mt19937 random(20240601);
        package_writer::Package p;
        p.header.AppName = "Bench";
        p.header.AllowAnyWindows = 1;
        p.header.Unattended = 1;
        p.componentNames = {"All"};
        const std::size_t rest = (TotalBytes - LargestFile) / (FileCount - 1);
        std::size_t total = 0;
        for (int i = 0; i < FileCount; ++i) {
            // Sizes alternate around the mean; the last file takes what is left.
            std::size_t size = i == 0 ? LargestFile : (i % 2 ? rest / 2 : rest + rest / 2);
            if (i == FileCount - 1)
                size = TotalBytes - total;
            total += size;
            // Packed once here; the package stores the packed bodies and is then marked packed.
            packedBodies.push_back(package_writer::Pack(TextLike(size, random)));
            p.files.push_back(
                {"<InstallRoot>\\d" + std::to_string(i % 20) + "\\f" + std::to_string(i) + ".txt",
                 "All",
                 packedBodies.back(),
                 static_cast<std::int32_t>(size),
                 {},
                 {}});
        }
        package_writer::Bytes bytes = package_writer::Build(p);
        bytes.setupDat[1295] = 1; // FilesCompressed
        WriteAll(dir.filePath("setup.dat"), bytes.setupDat);
        WriteAll(dir.filePath("data.pak"), bytes.dataPak);
    }
    static void WriteAll(const QString& path, const std::string& bytes) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(bytes.data(), static_cast<qint64>(bytes.size())) != qint64(bytes.size()))
            throw std::runtime_error("cannot write the benchmark package");
    }
};

BenchPackage& Package() {
    static BenchPackage package;
    return package;
}

// Leaves the event loop of the run when the worker has finished.
class QuietWizard : public setup::HeadlessWizard {
public:
    void EnableEndSignal() override {
        HeadlessWizard::EnableEndSignal();
        loop.quit();
    }
    QEventLoop loop;
};

std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Samples the heap in use while it lives and keeps the highest figure.
class HeapPeak {
public:
    ~HeapPeak() { Stop(); }
    void Start() {
        stop_ = false;
        base_ = HeapInUse();
        peak_ = base_;
        sampler_ = std::thread([this] {
            while (!stop_) {
                const std::size_t now = HeapInUse();
                if (now > peak_)
                    peak_ = now;
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
        });
    }
    void Stop() {
        stop_ = true;
        if (sampler_.joinable())
            sampler_.join();
        growth_ = std::max(growth_, peak_ - std::min(base_, peak_));
    }
    double GrowthMB() const { return double(growth_) / 1e6; }

private:
    std::size_t base_ = 0;
    std::size_t peak_ = 0; // written by the sampler only while it runs
    std::size_t growth_ = 0;
    std::atomic<bool> stop_{false};
    std::thread sampler_;
};

// Decodes every packed body from memory, as the engine does for each file.
void BM_DecodeAlone(benchmark::State& state) {
    BenchPackage& package = Package();
    setup::TLzhMemoryStream out; // kept between bodies, as the engine keeps its own
    for (auto _ : state) {
        for (std::size_t i = 0; i < package.packedBodies.size(); ++i) {
            const std::string& body = package.packedBodies[i];
            setup::TCustom_lzh coder;
            coder.InputBuffer = reinterpret_cast<const std::uint8_t*>(body.data());
            coder.InputSize = static_cast<std::int32_t>(body.size());
            coder.OutputStream = &out;
            coder.Decompress();
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(TotalBytes));
}

// Where the Windows root of the installs lives: $SETUP_ENGINE_BENCH_DIR, else the system's
// temporary folder.
QString RootParent() {
    const QString chosen = qEnvironmentVariable("SETUP_ENGINE_BENCH_DIR");
    return chosen.isEmpty() ? QDir::tempPath() : chosen;
}

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Installs the package of `sourceDir` into `target` and gives back its status. Called with the
// timing paused; only the worker's run is timed.
std::uint8_t Install(benchmark::State& state, const QString& sourceDir, const QString& target,
                     HeapPeak* heap) {
    QuietWizard wizard;
    auto installer = std::make_unique<setup::TInstaller>(wizard);
    installer->SourceDir = sourceDir + "/";
    std::uint8_t status = setup::TInstaller::StatusNone;
    if (installer->LoadPackage()) {
        installer->InstallRoot = target;
        if (heap)
            heap->Start();
        state.ResumeTiming();
        installer->StartInstallThread();
        if (!wizard.ended)
            wizard.loop.exec();
        state.PauseTiming();
        if (heap)
            heap->Stop();
        status = installer->GetStatus();
    }
    installer.reset();
    state.ResumeTiming();
    return status;
}

// One installation of the package into a fresh folder; gives back its status.
std::uint8_t InstallOnce(benchmark::State& state, HeapPeak* heap) {
    state.PauseTiming();
    // A new folder each time: removing the last install first would make the file system pay
    // for reusing just-deleted inodes, which no real installation meets.
    static int installs = 0;
    const QString target = QStringLiteral("C:\\Bench%1").arg(++installs);
    return Install(state, Package().dir.path(), target, heap);
}

void BM_InstallPackage(benchmark::State& state) {
    QTemporaryDir rootDir(RootParent() + "/setup-engine-bench-XXXXXX");
    winplatform::RootPlatform root(rootDir.filePath("windows"));
    winplatform::ScopedPlatform scoped(root);
    double cpu = 0;
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        if (InstallOnce(state, nullptr) != setup::TInstaller::StatusCompleted)
            state.SkipWithError("install failed");
        cpu += ProcessCpuSeconds() - before;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(TotalBytes));
    state.counters["process_cpu_s"] = cpu / double(state.iterations());
}

// The heap of the whole process while one installation runs (sampled, so a separate run).
void BM_InstallHeapPeak(benchmark::State& state) {
    QTemporaryDir rootDir(RootParent() + "/setup-engine-bench-XXXXXX");
    winplatform::RootPlatform root(rootDir.filePath("windows"));
    winplatform::ScopedPlatform scoped(root);
    HeapPeak heap;
    for (auto _ : state)
        if (InstallOnce(state, &heap) != setup::TInstaller::StatusCompleted)
            state.SkipWithError("install failed");
    state.counters["heap_peak_MB"] = heap.GrowthMB();
    state.counters["largest_file_MB"] = double(LargestFile) / 1e6;
}

// A package of `count` registry values and no files: the five value types in turn, 64 values to
// a key, names and strings with placeholders to expand.
package_writer::Package RegistryPackage(int count) {
    package_writer::Package p;
    p.header.AppName = "Bench";
    p.header.AllowAnyWindows = 1;
    p.header.Unattended = 1;
    static const char* data[] = {"binary\x01\x02", "1", "36526.5", "-42", "<InstallRoot>\\f"};
    for (int i = 0; i < count; ++i) {
        const auto type = static_cast<std::uint8_t>(i % 5);
        p.registryEntries.push_back({package_writer::Root1,
                                     "Software\\<Company>\\<AppName>\\K" + std::to_string(i / 64),
                                     "V" + std::to_string(i), data[type], type});
    }
    return p;
}

// The registry step: `range(0)` values into a fresh Windows root each time. Its time should grow
// in step with the number of values.
void BM_InstallRegistryValues(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    QTemporaryDir packageDir;
    package_writer::Write(packageDir.path().toStdString(), RegistryPackage(count));
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir rootDir(RootParent() + "/setup-engine-bench-XXXXXX");
        winplatform::RootPlatform root(rootDir.filePath("windows"));
        winplatform::ScopedPlatform scoped(root);
        if (Install(state, packageDir.path(), QStringLiteral("C:\\Bench"), nullptr) !=
            setup::TInstaller::StatusCompleted)
            state.SkipWithError("install failed");
    }
    state.counters["values"] = count;
    state.counters["s_per_value"] =
        benchmark::Counter(double(count) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_DecodeAlone)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_InstallPackage)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_InstallHeapPeak)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_InstallRegistryValues)
    ->Arg(6553)
    ->Arg(65535)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
