// Figures of any length: every window keeps the size it has with ordinary figures, and each figure
// shows what fits with the whole of it in its tooltip.

#include "CompuestosTestData.h"
#include "DetallePresuFrm.h"
#include "SimplesFrm.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QToolTip>

using namespace forms_testing;

namespace {

// What the user sees of the windows: their widths and narrowest widths, and their figures' widths,
// texts and tooltips.
struct Seen {
    std::vector<int> widths;
    std::vector<std::string> texts;
    std::vector<std::string> tips;
};

// The tooltip shown over a point of a field, its lines joined.
QString tipOver(QWidget& field, QPoint at) {
    QHelpEvent help(QEvent::ToolTip, at, field.mapToGlobal(at));
    QApplication::sendEvent(&field, &help);
    return QToolTip::isVisible() ? QToolTip::text().remove(QLatin1Char('\n')) : QString();
}

} // namespace

class HugeFiguresTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        testing_support::ScriptedSeam seam;
        openSample(seam);
        // The catalogue shows a compound of a category and subcategory.
        compounds_testing::addCategory(*Document, "Building");
        compounds_testing::addSubcategory(*Document, "Masonry", "Building");
        TInsumo* concrete = Document->Compounds.Find("C000001");
        concrete->SetCategory("Building");
        concrete->SetSubcategory("Masonry");
        house = Document->Budgets.Find("P000001")->AsCompuesto();
        house->SetGeneralCostsRate(0.1);
        house->SetProfitRate(0.2);
        house->SetVatRate(0.21);
        house->SetOtherChargesRate(0.05);
    }

    Seen look() {
        Seen seen;
        auto measure = [&seen](QWidget& window) {
            QApplication::processEvents();
            seen.widths.push_back(window.width());
            seen.widths.push_back(window.minimumSizeHint().width());
        };
        auto see = [&seen](QWidget& field, const QString& text, QPoint at) {
            seen.widths.push_back(field.width());
            seen.texts.push_back(text.toStdString());
            seen.tips.push_back(tipOver(field, at).toStdString());
        };
        auto seeLabel = [&see](QLabel& label) { see(label, label.text(), label.rect().center()); };
        auto seeCell = [&see](QAbstractItemView& grid, int row, int column) {
            const QModelIndex cell = grid.model()->index(row, column);
            see(*grid.viewport(), cell.data().toString(), grid.visualRect(cell).center());
        };
        showForm();
        form->ShowItemDetails();
        form->FillItemGrid();
        measure(*form);
        seeLabel(*form->frame1->stTotal);
        seeCell(*form->gridItems, 0, 4);
        {
            TCompuestosForm compounds(form);
            compounds.show();
            measure(compounds);
            seeLabel(*compounds.stPU);
            seeCell(*compounds.gridItems, 0, 4);
        }
        {
            TSimplesForm primaries(form);
            primaries.show();
            measure(primaries);
            see(*primaries.edtPU, primaries.edtPU->text(), primaries.edtPU->rect().center());
        }
        {
            TDetallePresuForm details(form);
            details.Budget = house;
            details.show();
            measure(details);
            seeLabel(*details.stPrecio);
        }
        return seen;
    }

    TInsumoCompuesto* house = nullptr;
};

TEST_F(HugeFiguresTest, ShowWhatFitsAndNeverWidenAWindow) {
    const Seen ordinary = look();
    Document->Primaries.Find("S000001")->SetPrice(1e300);
    const Seen huge = look();
    EXPECT_EQ(huge.widths, ordinary.widths);
    for (std::size_t i = 0; i < huge.texts.size(); ++i) {
        EXPECT_GT(huge.texts[i].size(), 300) << i;
        EXPECT_EQ(huge.tips[i], huge.texts[i]) << i;
    }
}
