#include "MainFormFixture.h"

#include <QCheckBox>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolTip>

using namespace forms_testing;
using testing_support::ScriptedSeam;

namespace {

struct Row {
    const char* code;
    const char* name;
    const char* unit;
    const char* qty;
    const char* price;
    const char* total;
    const char* percent;
};

} // namespace

class TreePanelTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        ScriptedSeam seam;
        openSample(seam);
    }
    void expectRows(std::initializer_list<Row> rows) {
        ASSERT_EQ(form->GridRowCount(), int(rows.size()) + 1);
        int r = 1;
        for (const Row& want : rows) {
            const char* cells[] = {want.code,  want.name,  want.unit,   want.qty,
                                   want.price, want.total, want.percent};
            for (int c = 0; c < 7; ++c)
                EXPECT_EQ(cell(r, c), QString::fromUtf8(cells[c] ? cells[c] : ""))
                    << "row " << r << " column " << c;
            ++r;
        }
    }
    void expectEmptyGrid() {
        ASSERT_EQ(form->GridRowCount(), 2);
        for (int c = 0; c < 7; ++c)
            EXPECT_EQ(form->GridCell(1, c), "");
    }
    void expectShares(std::initializer_list<const char*> amounts,
                      std::initializer_list<const char*> percents,
                      std::initializer_list<int> bars) {
        int k = 0;
        for (const char* a : amounts)
            EXPECT_EQ(form->frame1->costAmount(k++)->text(), a) << "amount " << k - 1;
        k = 0;
        for (const char* p : percents)
            EXPECT_EQ(form->frame1->costPercent(k++)->text(), p) << "percent " << k - 1;
        k = 0;
        for (int w : bars)
            EXPECT_EQ(form->frame1->costBar(k++)->width(), w) << "bar " << k - 1;
    }
    void breakdown(bool on) {
        if (form->frame1->chkExplosion->isChecked() != on)
            form->frame1->chkExplosion->click();
    }
};

TEST_F(TreePanelTest, TheRootShowsTheBudgetWithQuantityOne) {
    EXPECT_EQ(form->frame1->stNombre->text(), "House");
    EXPECT_EQ(form->frame1->stUnidad->text(), "Gl.");
    EXPECT_EQ(form->frame1->stCant->text(), "1.000");
    EXPECT_EQ(form->frame1->stPU->text(), "976.00");
    EXPECT_EQ(form->frame1->stTotal->text(), "976.00");
    expectShares({"300.00", "600.00", "50.00", "24.00", "2.00"},
                 {"30.74", "61.48", "5.12", "2.46", "0.20"}, {44, 89, 7, 3, 0});
    expectRows({{"D000002", "Foundations", "Gl.", "1.000", "302.00", "302.00", "30.94"},
                {"C000002", "Wall", "m2", "3.000", "158.00", "474.00", "48.57"},
                {"S000002", "Mason", "h", "10.000", "20.00", "200.00", "20.49"},
                {"D000003", "Roof", "Gl.", "1.000", "0.00", "0.00", "0.00"}});
    EXPECT_EQ(form->GridCell(1, 3), "    1.000");
    EXPECT_EQ(form->GridCell(1, 5), "      302.00");
}

TEST_F(TreePanelTest, ACompoundLineIsScaledByItsQuantity) {
    click(node({"Wall"}));
    EXPECT_EQ(form->frame1->stCant->text(), "3.000");
    EXPECT_EQ(form->frame1->stPU->text(), "158.00");
    EXPECT_EQ(form->frame1->stTotal->text(), "474.00");
    expectShares({"180.00", "240.00", "30.00", "24.00", "0.00"},
                 {"37.97", "50.63", "6.33", "5.06", "0.00"}, {55, 73, 9, 7, 0});
    expectRows({{"C000001", "Concrete", "m3", "6.000", "75.00", "450.00", "94.94"},
                {"S000004", "Painting", "m2", "3.000", "8.00", "24.00", "5.06"}});
}

TEST_F(TreePanelTest, APrimaryLineShowsItsFiguresOnly) {
    click(node({"Wall"}));
    click(node({"Mason"}));
    EXPECT_EQ(form->stTipo->text(), "PRIMARY");
    EXPECT_EQ(form->frame1->stNombre->text(), "Mason");
    EXPECT_EQ(form->frame1->stUnidad->text(), "h");
    EXPECT_EQ(form->frame1->stCant->text(), "10.000");
    EXPECT_EQ(form->frame1->stPU->text(), "20.00");
    EXPECT_EQ(form->frame1->stTotal->text(), "200.00");
    expectShares({"", "", "", "", ""}, {"", "", "", "", ""}, {0, 0, 0, 0, 0});
    expectEmptyGrid();
}

TEST_F(TreePanelTest, AnEmptyDivisionShowsZeroAndNoShares) {
    click(node({"Roof"}));
    EXPECT_EQ(form->stTipo->text(), "DIVISION");
    EXPECT_EQ(form->frame1->stPU->text(), "0.00");
    expectShares({"0.00", "0.00", "0.00", "0.00", "0.00"}, {"", "", "", "", ""}, {0, 0, 0, 0, 0});
    expectEmptyGrid();
}

TEST_F(TreePanelTest, ADivisionListsItsLines) {
    click(node({"Foundations"}));
    expectRows({{"C000001", "Concrete", "m3", "4.000", "75.00", "300.00", "99.34"},
                {"S000005", "Permit", "Gl.", "1.000", "2.00", "2.00", "0.66"}});
}

TEST_F(TreePanelTest, ACompoundOfZeroPricesShowsBlankSharesAndZeroPercentages) {
    for (int i = 0; i < Document->Primaries.Count(); ++i)
        Document->Primaries.Insumo(i).SetPrice(0);
    click(node({"Wall"}));
    EXPECT_EQ(form->frame1->stPU->text(), "0.00");
    expectShares({"0.00", "0.00", "0.00", "0.00", "0.00"}, {"", "", "", "", ""}, {0, 0, 0, 0, 0});
    EXPECT_EQ(cell(1, 6), "0.00");
    EXPECT_EQ(cell(2, 6), "0.00");
}

TEST_F(TreePanelTest, BreakdownListsThePrimariesScaledByTheLine) {
    click(node({"Wall"}));
    breakdown(true);
    EXPECT_EQ(form->Explosion, 1);
    for (int k = 0; k < 5; ++k)
        EXPECT_TRUE(form->frame1->costRadio(k)->isEnabled());
    expectRows({{"S000001", "Cement", "kg", "18.000", "10.00", "180.00", "37.97"},
                {"S000002", "Mason", "h", "12.000", "20.00", "240.00", "50.63"},
                {"S000003", "Mixer", "h", "6.000", "5.00", "30.00", "6.33"},
                {"S000004", "Painting", "m2", "3.000", "8.00", "24.00", "5.06"}});
}

TEST_F(TreePanelTest, EachCostTypeFilterKeepsItsPrimaries) {
    click(node({"Wall"}));
    breakdown(true);
    form->frame1->rbMao->click();
    EXPECT_EQ(form->CategoryFilter, "Labor");
    expectRows({{"S000002", "Mason", "h", "12.000", "20.00", "240.00", "50.63"}});
    form->frame1->rbMat->click();
    expectRows({{"S000001", "Cement", "kg", "18.000", "10.00", "180.00", "37.97"}});
    form->frame1->rbEqu->click();
    expectRows({{"S000003", "Mixer", "h", "6.000", "5.00", "30.00", "6.33"}});
    form->frame1->rbSub->click();
    expectRows({{"S000004", "Painting", "m2", "3.000", "8.00", "24.00", "5.06"}});
    form->frame1->rbOtros->click();
    EXPECT_EQ(form->CategoryFilter, "Others");
    expectEmptyGrid();
    form->frame1->rbTodos->click();
    EXPECT_TRUE(form->CategoryFilter.isEmpty());
    EXPECT_EQ(form->GridRowCount(), 5);
}

TEST_F(TreePanelTest, TurningBreakdownOnOrOffResetsTheFilter) {
    click(node({"Wall"}));
    breakdown(true);
    form->frame1->rbSub->click();
    breakdown(false);
    EXPECT_TRUE(form->CategoryFilter.isEmpty());
    EXPECT_TRUE(form->frame1->rbTodos->isChecked());
    EXPECT_FALSE(form->frame1->rbSub->isEnabled());
    EXPECT_EQ(form->GridRowCount(), 3);
    breakdown(true);
    form->frame1->rbSub->click();
    breakdown(true);
    EXPECT_EQ(form->CategoryFilter, "Subcontracts");
}

TEST_F(TreePanelTest, BreakdownAndFilterSurviveAnotherBudget) {
    breakdown(true);
    form->frame1->rbMat->click();
    ScriptedSeam seam;
    expectBudgetChoice(seam, "P000004");
    form->OpenPresupuestosClick();
    EXPECT_EQ(form->Explosion, 1);
    EXPECT_EQ(form->CategoryFilter, "Materials");
    expectRows({{"S000001", "Cement", "kg", "3.000", "10.00", "30.00", "40.00"}});
}

TEST_F(TreePanelTest, BreakdownOfTheRootMergesEveryPath) {
    breakdown(true);
    // Cement: 4x3 (Foundations) + 3x2x3 (Wall) = 30; Mason: 4x2 + 3x2x2 + 10 = 30.
    expectRows({{"S000001", "Cement", "kg", "30.000", "10.00", "300.00", "30.74"},
                {"S000002", "Mason", "h", "30.000", "20.00", "600.00", "61.48"},
                {"S000003", "Mixer", "h", "10.000", "5.00", "50.00", "5.12"},
                {"S000005", "Permit", "Gl.", "1.000", "2.00", "2.00", "0.20"},
                {"S000004", "Painting", "m2", "3.000", "8.00", "24.00", "2.46"}});
}

TEST_F(TreePanelTest, APrimaryDeletedElsewhereIsNeverReachedByTheBreakdown) {
    click(node({"Wall"}));
    breakdown(true);
    // A catalogue deletes the painting primary and purges the compounds that used it.
    TInsumo* painting = Document->Primaries.Find("S000004");
    painting->SetDeleted(1);
    Document->Compounds.PurgeDeleted();
    Document->Primaries.Delete("S000004");
    Document->PurgeBudgetItems();
    form->frame1->rbTodos->click();
    EXPECT_EQ(form->GridRowCount(), 4);
    EXPECT_EQ(cell(3, 0), "S000003");
}

// A long name shows as much as fits, the whole of it in the tooltip in lines the screen shows
// whole: the window stays narrower than the screen and the tree keeps its room.
TEST_F(TreePanelTest, ALongNameShowsWhatFitsAndNeverWidensTheWindow) {
    const std::string longName(170, 'W');
    Document->Budgets.Find("D000002")->SetName(longName);
    Document->Budgets.Find("D000002")->SetUnit(std::string(170, 'u'));
    showForm();
    const int narrowest = form->minimumSizeHint().width();
    form->RefreshTree();
    click(node({longName.c_str()}));
    QApplication::processEvents();
    EXPECT_EQ(form->minimumSizeHint().width(), narrowest);
    EXPECT_LT(narrowest, form->screen()->availableGeometry().width());
    EXPECT_GE(form->tvPresu->width(), 300);
    QLabel* name = form->frame1->stNombre;
    ASSERT_EQ(name->text(), QString::fromStdString(longName));
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), name->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(name, &help);
    const QStringList tipLines = QToolTip::text().split(QLatin1Char('\n'));
    EXPECT_EQ(tipLines.join(QString()), name->text());
    for (const QString& line : tipLines)
        EXPECT_LE(QFontMetrics(QToolTip::font()).horizontalAdvance(line),
                  name->screen()->availableGeometry().width());
}
