#include "CompuestosTestData.h"
#include "MainFormFixture.h"

#include <QCheckBox>
#include <QPushButton>

using namespace forms_testing;
using testing_support::ScriptedSeam;

namespace {

struct Commands {
    bool add, del, rename, quantity, up, down;
};

Commands commandsOf(TMainForm* f) {
    return {f->btnAddItem->isEnabled(), f->btnDelItem->isEnabled(),
            f->btnUpdate->isEnabled(),  f->frame1->btnEditCant->isEnabled(),
            f->btnUp->isEnabled(),      f->btnDown->isEnabled()};
}

void expectCommands(TMainForm* f, Commands want, const char* where) {
    const Commands got = commandsOf(f);
    EXPECT_EQ(got.add, want.add) << where << ": add";
    EXPECT_EQ(got.del, want.del) << where << ": delete";
    EXPECT_EQ(got.rename, want.rename) << where << ": rename";
    EXPECT_EQ(got.quantity, want.quantity) << where << ": quantity";
    EXPECT_EQ(got.up, want.up) << where << ": up";
    EXPECT_EQ(got.down, want.down) << where << ": down";
}

} // namespace

TEST_F(MainFormTest, ChoosingABudgetFillsTheTreeInLineOrder) {
    ScriptedSeam seam;
    openSample(seam);
    ASSERT_EQ(form->tvPresu->topLevelItemCount(), 1);
    TTreeNode* r = root();
    EXPECT_EQ(r->Line, form->RootItem.get());
    EXPECT_EQ(form->RootItem->Code, "P000001");
    EXPECT_EQ(form->RootItem->SubKind, 2);
    EXPECT_EQ(form->RootItem->Quantity, 1.0);
    ASSERT_EQ(r->childCount(), 4);
    EXPECT_EQ(r->child(0)->text(0), "Foundations");
    EXPECT_EQ(r->child(1)->text(0), "Wall");
    EXPECT_EQ(r->child(2)->text(0), "Mason");
    EXPECT_EQ(r->child(3)->text(0), "Roof");
    ASSERT_EQ(r->child(0)->childCount(), 2);
    EXPECT_EQ(r->child(0)->child(0)->text(0), "Concrete");
    EXPECT_EQ(r->child(3)->childCount(), 0);
    EXPECT_TRUE(r->isExpanded());
    EXPECT_FALSE(r->child(0)->isExpanded());
    EXPECT_EQ(form->tvPresu->currentItem(), r);
    EXPECT_EQ(form->SelectedInsumo, form->CurrentBudget);
    EXPECT_TRUE(form->btnClonar->isEnabled());
    EXPECT_TRUE(form->btnPropiedades->isEnabled());
    EXPECT_FALSE(form->frame1->stCant->isEnabled());
    EXPECT_EQ(form->stTipo->text(), "BUDGET");
    expectCommands(form, {true, false, false, false, false, false}, "root after choosing");
}

TEST_F(MainFormTest, CancellingTheListWithNoBudgetShownLeavesTheWindowEmpty) {
    ScriptedSeam seam;
    seam.expectOpenFile(writeSample(path("sample.cdb")));
    expectBudgetListCancelled(seam);
    form->FileOpen();
    EXPECT_EQ(form->tvPresu->topLevelItemCount(), 0);
    EXPECT_EQ(form->windowTitle(), "Obravel");
    EXPECT_EQ(form->CurrentBudget, nullptr);
}

TEST_F(MainFormTest, CancellingTheListKeepsTheBudgetShown) {
    ScriptedSeam seam;
    openSample(seam);
    expectBudgetListCancelled(seam);
    form->btnPresupuestos->click();
    EXPECT_EQ(form->windowTitle(), "Obravel - House");
    EXPECT_EQ(root()->text(0), "House");
}

TEST_F(MainFormTest, TheBudgetShownIsExcludedFromTheList) {
    ScriptedSeam seam;
    openSample(seam);
    const TInsumoCompuesto* shown = form->CurrentBudget;
    seam.expectDialog("TPresupuestosForm", [shown](QDialog& d) {
        EXPECT_EQ(static_cast<TPresupuestosForm&>(d).ExcludedBudget, shown);
        auto& list = static_cast<TPresupuestosForm&>(d);
        list.ChosenCode = "P000004";
        list.Cancelled = 0;
    });
    form->OpenPresupuestosClick();
    EXPECT_EQ(form->windowTitle(), "Obravel - Shed");
    EXPECT_EQ(root()->text(0), "Shed");
    ASSERT_EQ(root()->childCount(), 1);
}

TEST_F(MainFormTest, CommandsFollowTheKindOfTheClickedNode) {
    ScriptedSeam seam;
    openSample(seam);
    click(node({"Wall"}));
    expectCommands(form, {false, true, false, true, true, true}, "compound line");
    EXPECT_EQ(form->stTipo->text(), "COMPOUND");
    click(node({"Mason"}));
    expectCommands(form, {false, true, false, true, true, true}, "primary line");
    EXPECT_EQ(form->stTipo->text(), "PRIMARY");
    click(node({"Foundations"}));
    expectCommands(form, {true, true, true, false, false, true}, "first division");
    EXPECT_EQ(form->stTipo->text(), "DIVISION");
    click(node({"Roof"}));
    expectCommands(form, {true, true, true, false, true, false}, "last division");
    click(node({"Foundations", "Permit"}));
    expectCommands(form, {false, true, false, true, true, false}, "last child in a division");
    click(root());
    expectCommands(form, {true, false, false, false, false, false}, "root");
    EXPECT_EQ(form->stTipo->text(), "BUDGET");
}

TEST_F(MainFormTest, ASubBudgetLineCountsAsALine) {
    ScriptedSeam seam;
    const QString file = path("sub.cdb");
    {
        TDocument doc;
        buildSample(doc);
        addLine(*doc.Budgets.Find("P000001")->AsCompuesto(), *doc.Budgets.Find("P000004"), 2);
        doc.SetFileName(file.toStdString());
        doc.Save();
    }
    seam.expectOpenFile(file);
    expectBudgetChoice(seam, "P000001");
    form->FileOpen();
    TTreeNode* sub = node({"Shed"});
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->childCount(), 0);
    click(sub);
    expectCommands(form, {false, true, false, true, true, false}, "sub-budget line");
    EXPECT_EQ(form->stTipo->text(), "BUDGET");
}

TEST_F(MainFormTest, AClickBesideTheNodesChangesNothing) {
    ScriptedSeam seam;
    openSample(seam);
    click(node({"Wall"}));
    const QString name = form->frame1->stNombre->text();
    QTest::mouseClick(form->tvPresu->viewport(), Qt::LeftButton, {},
                      QPoint(5, form->tvPresu->viewport()->height() - 3));
    EXPECT_EQ(form->frame1->stNombre->text(), name);
    EXPECT_TRUE(form->btnDelItem->isEnabled());
    // The node the commands act on still looks selected, also after a Ctrl+click on it.
    EXPECT_TRUE(node({"Wall"})->isSelected());
    QTest::mouseClick(form->tvPresu->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      form->tvPresu->visualItemRect(node({"Wall"})).center());
    EXPECT_EQ(form->tvPresu->currentItem(), node({"Wall"}));
    EXPECT_TRUE(node({"Wall"})->isSelected());
}

TEST_F(MainFormTest, SelectingWithTheKeyboardActsAsAClick) {
    ScriptedSeam seam;
    openSample(seam);
    click(root());
    key(Qt::Key_Down);
    EXPECT_EQ(form->tvPresu->currentItem(), node({"Foundations"}));
    EXPECT_EQ(form->frame1->stNombre->text(), "Foundations");
    expectCommands(form, {true, true, true, false, false, true}, "division by keyboard");
    key(Qt::Key_Down);
    EXPECT_EQ(form->frame1->stNombre->text(), "Wall");
    EXPECT_EQ(form->SelectedInsumo, Document->Compounds.Find("C000002"));
}

TEST_F(MainFormTest, RefreshKeepsTheOpenStateOfRootAndDivisions) {
    ScriptedSeam seam;
    const QString file = path("nested.cdb");
    {
        TDocument doc;
        buildSample(doc);
        auto* roof = doc.Budgets.Find("D000003")->AsCompuesto();
        auto* tiles = addCompoundType(doc, 3, "Tiles", "Gl.");
        addLine(*tiles, *doc.Primaries.Find("S000001"), 1);
        addLine(*roof, *tiles, 1);
        doc.SetFileName(file.toStdString());
        doc.Save();
    }
    seam.expectOpenFile(file);
    expectBudgetChoice(seam, "P000001");
    form->FileOpen();
    node({"Foundations"})->setExpanded(false);
    node({"Roof"})->setExpanded(true);
    node({"Roof", "Tiles"})->setExpanded(true);
    click(node({"Wall"}));

    form->btnUpdateTree->click();

    EXPECT_TRUE(root()->isExpanded());
    EXPECT_FALSE(node({"Foundations"})->isExpanded());
    EXPECT_TRUE(node({"Roof"})->isExpanded());
    EXPECT_TRUE(node({"Roof", "Tiles"})->isExpanded());
    EXPECT_EQ(form->tvPresu->currentItem(), root());
    expectCommands(form, {true, false, false, false, false, false}, "root after a refresh");
    EXPECT_EQ(form->frame1->stNombre->text(), "House");
}

TEST_F(MainFormTest, RefreshAfterLinesWereDeletedNeverReachesTheOldLines) {
    ScriptedSeam seam;
    openSample(seam);
    click(node({"Foundations", "Concrete"}));
    root()->setExpanded(false);
    auto* foundations = Document->Budgets.Find("D000002")->AsCompuesto();
    foundations->Items().Clear();
    auto* house = Document->Budgets.Find("P000001")->AsCompuesto();
    house->Items().Delete("C000002");
    form->RefreshTree();
    EXPECT_EQ(root()->childCount(), 3);
    EXPECT_EQ(node({"Foundations"})->childCount(), 0);
    EXPECT_FALSE(root()->isExpanded());
}

TEST_F(MainFormTest, RenameTreeNodesRenamesEveryLineButTheRoot) {
    ScriptedSeam seam;
    const QString file = path("twice.cdb");
    {
        TDocument doc;
        buildSample(doc);
        addLine(*doc.Budgets.Find("P000001")->AsCompuesto(), *doc.Compounds.Find("C000001"), 1);
        doc.SetFileName(file.toStdString());
        doc.Save();
    }
    seam.expectOpenFile(file);
    expectBudgetChoice(seam, "P000001");
    form->FileOpen();
    form->RenameTreeNodes("C000001", "Beton");
    EXPECT_EQ(node({"Foundations", "Beton"})->Line->Code, "C000001");
    EXPECT_NE(node({"Beton"}), nullptr);
    EXPECT_EQ(node({"Beton"})->Line->Name, "Concrete");
    form->RenameTreeNodes("P000001", "Villa");
    EXPECT_EQ(root()->text(0), "House");
}

TEST_F(MainFormTest, ALineWhoseCodeIsMissingGetsNoNodeAndStays) {
    ScriptedSeam seam;
    const QString file = path("missing.cdb");
    {
        TDocument doc;
        buildSample(doc);
        TItem ghost;
        ghost.Kind = 0;
        ghost.Code = "S000099";
        ghost.Name = "Ghost";
        ghost.Quantity = 1;
        doc.Budgets.Find("P000001")->AsCompuesto()->Items().Add(ghost);
        doc.SetFileName(file.toStdString());
        doc.Save();
    }
    seam.expectOpenFile(file);
    expectBudgetChoice(seam, "P000001");
    form->FileOpen();
    EXPECT_EQ(root()->childCount(), 4);
    EXPECT_EQ(form->CurrentBudget->Items().Count(), 5);
    EXPECT_EQ(form->frame1->stTotal->text(), "976.00");
}

TEST_F(MainFormTest, NewDatabaseEmptiesTheTreeAndResetsTheCommands) {
    ScriptedSeam seam;
    openSample(seam);
    click(node({"Foundations"}));
    seam.expectInput("Input a name.", QString("fresh"));
    form->FileNew();
    EXPECT_EQ(form->tvPresu->topLevelItemCount(), 0);
    EXPECT_EQ(form->CurrentBudget, nullptr);
    EXPECT_EQ(form->SelectedInsumo, nullptr);
    EXPECT_EQ(form->RootItem->Insumo, nullptr);
    EXPECT_TRUE(form->frame1->stNombre->text().isEmpty());
    EXPECT_EQ(form->GridRowCount(), 2);
    expectCommands(form, {false, false, false, false, false, false}, "after New");
    EXPECT_FALSE(form->btnClonar->isEnabled());
}

TEST_F(MainFormTest, APressThatEndsOnAnotherNodeStillShowsTheSelectedNode) {
    ScriptedSeam seam;
    openSample(seam);
    showForm();
    QWidget* viewport = form->tvPresu->viewport();
    const QPoint wall = form->tvPresu->visualItemRect(node({"Wall"})).center();
    const QPoint roof = form->tvPresu->visualItemRect(node({"Roof"})).center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, wall);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, roof);
    QApplication::processEvents();
    EXPECT_EQ(form->tvPresu->currentItem(), node({"Wall"}));
    EXPECT_EQ(form->frame1->stNombre->text(), "Wall");
    expectCommands(form, {false, true, false, true, true, true}, "pressed, released elsewhere");
}

// A file the program never writes: a division inside itself, divisions nested past any use, and
// two compounds that use each other, Loop A = Cement (10) x 2 + Loop B x 3 and Loop B = Sand (3)
// x 5 + Loop A x 7, held by the budget Loops and the compound Both, Loop A before Loop B.
TEST_F(MainFormTest, CyclesAndEndlessNestingOfADamagedFileStillGiveATreeAndOwnPrices) {
    ScriptedSeam seam;
    const QString file = path("hostile.cdb");
    QString loops;
    {
        TDocument doc;
        buildSample(doc);
        auto* house = doc.Budgets.Find("P000001")->AsCompuesto();
        auto* roof = doc.Budgets.Find("D000003")->AsCompuesto();
        addLine(*roof, *roof, 1); // a division inside itself
        TInsumoCompuesto* outer = addCompoundType(doc, 3, "Level 0", "Gl.");
        addLine(*house, *outer, 1);
        for (int depth = 1; depth < 1000; ++depth) {
            TInsumoCompuesto* inner =
                addCompoundType(doc, 3, "Level " + std::to_string(depth), "Gl.");
            addLine(*outer, *inner, 1);
            outer = inner;
        }
        compounds_testing::addCategory(doc, "Cycles");
        compounds_testing::addSubcategory(doc, "Cycles", "Cycles");
        auto compound = [&doc](const char* name) {
            return compounds_testing::addCompound(doc, name, "m3", "Cycles", "Cycles");
        };
        TInsumoCompuesto* a = compound("Loop A");
        TInsumoCompuesto* b = compound("Loop B");
        addLine(*a, *doc.Primaries.Find("S000001"), 2);
        addLine(*a, *b, 3);
        addLine(*b, *addPrimary(doc, "Sand", "Labor", 3, "m3"), 5);
        addLine(*b, *a, 7);
        TInsumoCompuesto* budget = addCompoundType(doc, 2, "Loops");
        for (TInsumoCompuesto* holder : {budget, compound("Both")}) {
            addLine(*holder, *a, 1);
            addLine(*holder, *b, 1);
        }
        loops = QString::fromStdString(budget->Code());
        doc.SetFileName(file.toStdString());
        doc.Save();
    }
    seam.expectOpenFile(file);
    expectBudgetChoice(seam, "P000001");
    form->FileOpen();
    ASSERT_NE(node({"Roof", "Roof"}), nullptr);
    EXPECT_EQ(node({"Roof", "Roof"})->childCount(), 0);
    int depth = 0;
    for (QTreeWidgetItem* at = node({"Level 0"}); at && at->childCount() > 0; at = at->child(0))
        ++depth;
    EXPECT_GT(depth, 100);
    EXPECT_LT(depth, 999);
    click(node({"Roof"}));
    EXPECT_EQ(form->frame1->stNombre->text(), "Roof");

    // Each row shows its compound broken down on its own, as the panel shows it when selected.
    expectBudgetChoice(seam, loops);
    form->btnPresupuestos->click();
    EXPECT_EQ(form->frame1->stPU->text(), "220.00");
    EXPECT_EQ(QStringList({cell(1, 4), cell(1, 5), cell(2, 4), cell(2, 5), cell(2, 6)}),
              QStringList({"65.00", "65.00", "155.00", "155.00", "70.45"}));
    click(node({"Loop B"}));
    EXPECT_EQ(form->frame1->stPU->text(), "155.00");
    TCompuestosForm catalogue(form);
    compounds_testing::choose(*catalogue.cboCompuestos, "Both");
    EXPECT_EQ(catalogue.stPU->text(), "220.00");
    EXPECT_EQ(QStringList({catalogue.GridCell(1, 4).trimmed(), catalogue.GridCell(2, 4).trimmed()}),
              QStringList({"65.00", "155.00"}));
}

TEST_F(MainFormTest, ABudgetWithoutLinesShowsOnlyItsRoot) {
    ScriptedSeam seam;
    const QString file = path("bare.cdb");
    {
        TDocument doc;
        buildSample(doc);
        addCompoundType(doc, 2, "Bare", "Gl.");
        doc.SetFileName(file.toStdString());
        doc.Save();
    }
    seam.expectOpenFile(file);
    expectBudgetChoice(seam, "P000005");
    form->FileOpen();
    EXPECT_EQ(root()->text(0), "Bare");
    EXPECT_EQ(root()->childCount(), 0);
    EXPECT_EQ(form->GridRowCount(), 2);
    EXPECT_EQ(form->GridCell(1, 0), "");
    EXPECT_EQ(form->frame1->stTotal->text(), "0.00");
}
