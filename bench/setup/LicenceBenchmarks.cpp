// The wizard's licence page: from Next on the welcome page to the page shown with its text laid
// out must take at most 100 ms, for a long licence in one paragraph as for a richly styled one.
#include "PackageWriter.h"
#include "RootPlatform.h"
#include "setup_main.h"

#include "ModalSeam.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Any question means the wizard did not get where the benchmark leads it.
class FailingSeam final : public modal::QuietSeam {
public:
    modal::Answer message(const modal::Message& m) override {
        std::fprintf(stderr, "unexpected message: %s\n", m.text.toUtf8().constData());
        std::abort();
    }
};

const std::string RtfHeader =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\pard\\f0\\fs16 ";

// 1,000 clauses, each with a bold number, joined by line breaks: one paragraph of about 50 KB.
std::string NumberedClauses() {
    std::string rtf = RtfHeader;
    for (int clause = 1; clause <= 1000; ++clause)
        rtf += "{\\b " + std::to_string(clause) + ".} Do not rent or lend the Software " +
               std::to_string(clause % 7) + "\\line\r\n";
    return rtf + "\\par}";
}

// 4,000 pieces, each styled unlike the one before, in one paragraph with a line break every
// tenth piece.
std::string StyledPieces() {
    static const char* const styles[] = {"\\b ", "\\i ", "\\ul ", "\\b\\i "};
    std::string rtf = RtfHeader;
    for (int piece = 0; piece < 4000; ++piece) {
        if (piece % 2 == 0)
            rtf += std::string("{") + styles[(piece / 2) % 4] + "styled words} ";
        else
            rtf += "plain words " + std::to_string(piece) + (piece % 10 == 9 ? "\\line " : " ");
    }
    return rtf + "\\par}";
}

std::string Licence(int which) {
    return which == 0 ? NumberedClauses() : StyledPieces();
}

void BM_LicencePageAfterNext(benchmark::State& state) {
    FailingSeam seam;
    modal::ScopedSeam scopedSeam(seam);
    QTemporaryDir rootDir;
    winplatform::RootPlatform root(rootDir.filePath(QStringLiteral("windows")));
    winplatform::ScopedPlatform scopedPlatform(root);

    package_writer::Package package;
    package.header.AppName = "Sample";
    package.header.DefaultDestination = "<ProgramFiles>\\<AppName>";
    package.header.HasLicense = 1;
    package.componentNames = {"Program"};
    package.license = Licence(static_cast<int>(state.range(0)));
    QTemporaryDir packageDir;
    package_writer::Write(packageDir.path().toStdString(), package);

    TMainForm form(TMainForm::StartUp{{}, packageDir.path(), false});
    form.show();
    QApplication::processEvents();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        form.Button2->click();
        QApplication::processEvents();
        QTextDocument* text = form.Memo1->document();
        benchmark::DoNotOptimize(text->documentLayout()->blockBoundingRect(text->firstBlock()));
        benchmark::DoNotOptimize(text->documentLayout()->documentSize());
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
        if (form.CurrentPage() != TMainForm::Agree || text->isEmpty()) {
            state.SkipWithError("the licence page is not shown");
            break;
        }
        form.Button3->click();
        QApplication::processEvents();
    }
    state.counters["licence_kB"] = static_cast<double>(package.license->size()) / 1000.0;
    state.counters["characters"] = form.Memo1->document()->characterCount();
}
BENCHMARK(BM_LicencePageAfterNext)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("styled")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
