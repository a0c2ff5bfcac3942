// The main window over the large generated price database: choosing a budget (tree, panel and
// grid) must take at most 200 ms, selecting any node at most 30 ms, a whole price change at most
// 200 ms. Over a damaged file of compounds tangled in cycles, choosing its budget, selecting a
// node and showing a compound in the compounds catalogue must each take at most 200 ms.
#include "CompuestosFrm.h"
#include "LargeDatabase.h"
#include "Main.h"
#include "ModificarPreciosFrm.h"
#include "ObravelApp.h"
#include "PresupuestosFrm.h"

#include "Database.h"
#include "ModalSeam.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Answers the program's questions: the file to open and the budget to choose.
class BenchSeam final : public modal::QuietSeam {
public:
    QString file;
    QString budget;
    bool quiet = false;
    modal::Answer message(const modal::Message& m) override {
        if (!quiet)
            std::fprintf(stderr, "message: %s\n", m.text.toUtf8().constData());
        return modal::Answer::No;
    }
    std::optional<QString> openFile(const modal::FileDialog&) override { return file; }
    int runModal(QDialog& dialog) override {
        if (auto* list = qobject_cast<TPresupuestosForm*>(&dialog)) {
            list->ChosenCode = budget;
            list->Cancelled = 0;
        }
        return QDialog::Accepted;
    }
};

BenchSeam& benchSeam() {
    static BenchSeam seam;
    return seam;
}

std::vector<QString>& budgetCodes() {
    static std::vector<QString> codes;
    return codes;
}

struct BenchFiles {
    fs::path large;
    fs::path tangle;
};

BenchFiles& benchFiles() {
    static BenchFiles files;
    return files;
}

// Opens the file unless it is the one open.
void useDatabase(const fs::path& file) {
    if (Document->FileName() == file.string())
        return;
    benchSeam().file = QString::fromStdString(file.string());
    benchSeam().budget.clear();
    MainForm->FileOpen();
}

void useLargeDatabase() {
    useDatabase(benchFiles().large);
}

void chooseBudget(const QString& code) {
    benchSeam().budget = code;
    MainForm->OpenPresupuestosClick();
}

// Selects a node as the keyboard does, which acts as a click.
void select(QTreeWidgetItem* node) {
    MainForm->tvPresu->setCurrentItem(nullptr);
    MainForm->tvPresu->setCurrentItem(node);
}

void setBreakdown(bool on) {
    MainForm->Explosion = on ? 1 : 0;
    MainForm->CategoryFilter.clear();
}

void BM_ChooseBudget(benchmark::State& state) {
    useLargeDatabase();
    setBreakdown(state.range(0) != 0);
    std::size_t next = 0;
    for (auto _ : state) {
        chooseBudget(budgetCodes()[next++ % budgetCodes().size()]);
        benchmark::DoNotOptimize(MainForm->tvPresu->topLevelItemCount());
    }
    state.counters["nodes"] = MainForm->tvPresu->topLevelItem(0)->childCount();
}
BENCHMARK(BM_ChooseBudget)->Arg(0)->Arg(1)->ArgName("breakdown")->Unit(benchmark::kMillisecond);

QTreeWidgetItem* nodeOfKind(int kind) {
    QTreeWidgetItem* root = MainForm->tvPresu->topLevelItem(0);
    switch (kind) {
    case 0:
        return root;
    case 1:
        return root->child(0); // a division
    default:
        return root->child(0)->child(0); // a line inside it
    }
}

void BM_SelectNode(benchmark::State& state) {
    useLargeDatabase();
    setBreakdown(state.range(1) != 0);
    chooseBudget(budgetCodes().front());
    QTreeWidgetItem* node = nodeOfKind(static_cast<int>(state.range(0)));
    for (auto _ : state)
        select(node);
    state.SetLabel(state.range(0) == 0 ? "root" : state.range(0) == 1 ? "division" : "line");
}
BENCHMARK(BM_SelectNode)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->ArgNames({"node", "breakdown"})
    ->Unit(benchmark::kMillisecond);

// For comparison: the price of the budget shown, as the panel and the grid ask for it.
void BM_BudgetPrice(benchmark::State& state) {
    useLargeDatabase();
    chooseBudget(budgetCodes().front());
    for (auto _ : state)
        benchmark::DoNotOptimize(MainForm->CurrentBudget->ComputePrice());
}
BENCHMARK(BM_BudgetPrice)->Unit(benchmark::kMillisecond);

// Every node of a budget in turn: the slowest one is what the user may meet.
void BM_SelectEveryNode(benchmark::State& state) {
    useLargeDatabase();
    setBreakdown(false);
    chooseBudget(budgetCodes().front());
    std::vector<QTreeWidgetItem*> nodes;
    QTreeWidgetItem* root = MainForm->tvPresu->topLevelItem(0);
    nodes.push_back(root);
    for (int d = 0; d < root->childCount(); ++d) {
        nodes.push_back(root->child(d));
        for (int i = 0; i < root->child(d)->childCount(); ++i)
            nodes.push_back(root->child(d)->child(i));
    }
    std::size_t next = 0;
    for (auto _ : state)
        select(nodes[next++ % nodes.size()]);
    state.counters["nodes"] = static_cast<double>(nodes.size());
}
BENCHMARK(BM_SelectEveryNode)->Unit(benchmark::kMicrosecond);

// A whole percentage price change: every cost type and subcategory ticked, one subcategory
// cleared and ticked again, every primary ticked, Accept (by 0 %, so the prices stay).
void BM_PriceChangeSession(benchmark::State& state) {
    useLargeDatabase();
    benchSeam().quiet = true;
    int listed = 0;
    for (auto _ : state) {
        TModificarPreciosForm form(MainForm);
        form.show();
        form.chbCategorias->click();
        form.chbSubcategorias->click();
        QListWidgetItem* again = form.chkSubcategorias->item(form.chkSubcategorias->count() / 2);
        again->setCheckState(Qt::Unchecked);
        again->setCheckState(Qt::Checked);
        form.chbSimples->click();
        form.edtPorcent->setText(QStringLiteral("0"));
        form.btnAccept->click();
        QApplication::processEvents();
        listed = form.chkSimples->count();
    }
    benchSeam().quiet = false;
    state.counters["primaries"] = listed;
}
BENCHMARK(BM_PriceChangeSession)->Unit(benchmark::kMillisecond);

// A damaged file of 16 compounds, each using 8 primaries and 4 others of the 16, and the budget
// P000001 holding them all: every break-down meets more paths through the cycles than it can
// follow.
const QString kTangleBudget = QStringLiteral("P000001");

void BM_TangleChooseBudget(benchmark::State& state) {
    useDatabase(benchFiles().tangle);
    for (auto _ : state)
        chooseBudget(kTangleBudget);
    state.counters["nodes"] = MainForm->tvPresu->topLevelItem(0)->childCount();
}
BENCHMARK(BM_TangleChooseBudget)->Unit(benchmark::kMillisecond);

// The root, or each compound line in turn.
void BM_TangleSelectNode(benchmark::State& state) {
    useDatabase(benchFiles().tangle);
    chooseBudget(kTangleBudget);
    QTreeWidgetItem* root = MainForm->tvPresu->topLevelItem(0);
    int next = 0;
    for (auto _ : state)
        select(state.range(0) == 0 ? root : root->child(next++ % root->childCount()));
    state.SetLabel(state.range(0) == 0 ? "root" : "line");
}
BENCHMARK(BM_TangleSelectNode)->Arg(0)->Arg(1)->ArgName("node")->Unit(benchmark::kMillisecond);

// Chooses an entry of a list as the user does.
void choose(QComboBox& list, int row) {
    list.setCurrentIndex(row);
    emit list.activated(row);
}

// Each compound in turn chosen in the catalogue's compound list: header, price, cost types and
// the grid of its lines.
void BM_TangleCatalogueCompound(benchmark::State& state) {
    useDatabase(benchFiles().tangle);
    TCompuestosForm catalogue(MainForm);
    choose(*catalogue.cboRubros, catalogue.cboRubros->findText(QStringLiteral("Tangle")));
    choose(*catalogue.cboSubrubros, catalogue.cboSubrubros->findText(QStringLiteral("Tangle")));
    QComboBox& compounds = *catalogue.cboCompuestos;
    if (compounds.count() == 0)
        throw std::runtime_error("the catalogue lists no tangled compound");
    int next = 0;
    for (auto _ : state)
        choose(compounds, next++ % compounds.count());
    state.counters["compounds"] = compounds.count();
}
BENCHMARK(BM_TangleCatalogueCompound)->Unit(benchmark::kMillisecond);

// The check every typed number of the tangled file goes through.
void BM_TanglePriceCheck(benchmark::State& state) {
    useDatabase(benchFiles().tangle);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            estimating::NonFinitePrices(Document->Compounds, Document->Budgets));
}
BENCHMARK(BM_TanglePriceCheck)->Unit(benchmark::kMillisecond);

void writeDatabases(const fs::path& folder) {
    fs::create_directories(folder);
    benchFiles().large = folder / "large.cdb";
    estimating_bench::writeFile(benchFiles().large,
                                estimating_bench::cdbImage(estimating_bench::generateDatabase()));
    benchFiles().tangle = folder / "tangle.cdb";
    estimating_bench::writeFile(
        benchFiles().tangle,
        estimating_bench::cdbImage(estimating_bench::tangledDatabase(16, 8, 4)));
    useLargeDatabase();
    for (const auto& entry : Document->Budgets.List())
        if (entry->SubKind() == 2)
            budgetCodes().push_back(QString::fromStdString(entry->Code()));
    if (budgetCodes().empty())
        throw std::runtime_error("the large database holds no budget");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    InitializeMainModule();
    ConnectCoreToUserInterface();
    modal::ScopedSeam seam(benchSeam());
    CreateApplicationForms();
    MainForm->resize(1200, 800);
    MainForm->show();
    const fs::path folder = fs::temp_directory_path() / "obravel-forms-bench";
    writeDatabases(folder);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DestroyApplicationForms();
    FinalizeMainModule();
    fs::remove_all(folder);
    return 0;
}
