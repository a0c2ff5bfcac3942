// The compounds catalogue with the main window: its call-backs into the budget tree, and the
// editors it opens.

#include "CompuestosTestData.h"

#include <QLabel>

using compounds_testing::addCategory;
using compounds_testing::addSubcategory;
using compounds_testing::choose;
using compounds_testing::CompoundsTest;
using compounds_testing::entries;
using forms_testing::MainFormTest;
using modal::Answer;
using testing_support::ScriptedSeam;

namespace {

class CompoundsFromMainWindow : public MainFormTest {
protected:
    // The sample database with House shown; Concrete in Building / Masonry, Wall in Building /
    // Walls.
    void OpenSample(ScriptedSeam& seam) {
        openSample(seam);
        addCategory(*Document, "Building");
        addSubcategory(*Document, "Masonry", "Building");
        addSubcategory(*Document, "Walls", "Building");
        Compound("C000001")->SetCategory("Building");
        Compound("C000001")->SetSubcategory("Masonry");
        Compound("C000002")->SetCategory("Building");
        Compound("C000002")->SetSubcategory("Walls");
        ASSERT_NE(node({"Foundations", "Concrete"}), nullptr);
        ASSERT_NE(node({"Wall"}), nullptr);
    }
    static TInsumoCompuesto* Compound(const char* code) {
        TInsumo* found = Document->Compounds.Find(code);
        return found ? found->AsCompuesto() : nullptr;
    }
    static bool HoldsLine(const char* budgetCode, const char* code) {
        return Document->Budgets.Find(budgetCode)->AsCompuesto()->Items().Find(code) != nullptr;
    }
};

TEST_F(CompoundsFromMainWindow, RenameRenamesTheTreeNodesOfItsLines) {
    ScriptedSeam seam;
    OpenSample(seam);
    TCompuestosForm f(form);
    ASSERT_EQ(f.CurrentCompound(), Compound("C000001"));
    f.edtNombre->setText("Concrete B");
    f.btnAccept->click();
    EXPECT_EQ(node({"Foundations", "Concrete"}), nullptr);
    EXPECT_NE(node({"Foundations", "Concrete B"}), nullptr);
    EXPECT_NE(node({"Wall"}), nullptr);
    EXPECT_EQ(root()->text(0), "House");
}

TEST_F(CompoundsFromMainWindow, DeleteTakesTheCompoundOutOfBudgetsAndTheTree) {
    ScriptedSeam seam;
    OpenSample(seam);
    click(node({"Wall"}));
    ASSERT_EQ(form->SelectedInsumo, Compound("C000002"));
    TCompuestosForm f(form);
    choose(*f.cboSubrubros, "Walls");
    ASSERT_EQ(f.CurrentCompound(), Compound("C000002"));
    seam.expectMessage("Are you sure to delete this compound?.", Answer::Yes);
    f.btnDelete->click();

    EXPECT_EQ(Compound("C000002"), nullptr);
    EXPECT_FALSE(HoldsLine("P000001", "C000002"));
    EXPECT_EQ(node({"Wall"}), nullptr);
    EXPECT_NE(node({"Foundations", "Concrete"}), nullptr);
    EXPECT_EQ(Document->Saved, 0);
    click(node({"Foundations"}));
    EXPECT_EQ(form->GridCell(1, 1).trimmed(), "Concrete");
}

TEST_F(CompoundsFromMainWindow, DeleteOfANestedCompoundReachesEveryHolder) {
    ScriptedSeam seam;
    OpenSample(seam);
    TCompuestosForm f(form);
    seam.expectMessage("Are you sure to delete this compound?.", Answer::Yes);
    f.btnDelete->click();
    EXPECT_EQ(Compound("C000001"), nullptr);
    EXPECT_EQ(Compound("C000002")->Items().Count(), 1);
    EXPECT_FALSE(HoldsLine("D000002", "C000001"));
    EXPECT_FALSE(HoldsLine("P000004", "C000001"));
    EXPECT_EQ(node({"Foundations", "Concrete"}), nullptr);
    EXPECT_NE(node({"Foundations", "Permit"}), nullptr);
}

using CompoundsEditors = CompoundsTest;

TEST_F(CompoundsEditors, CategoriesEditorRefillsTheListsAndKeepsTheCompound) {
    ScriptedSeam seam;
    auto f = open();
    choose(*f->cboSubrubros, "Walls");
    seam.expectDialog("TRubrosForm", [owner = f.get()](QDialog& d) {
        EXPECT_EQ(d.parent(), owner);
        addCategory(*Document, "Aardvark");
        Document->Saved = 0;
    });
    f->btnRubros->click();
    EXPECT_EQ(entries(*f->cboRubros), QStringList({"Aardvark", "Building", "Finishes", "Others"}));
    EXPECT_EQ(f->cboRubros->currentText(), "Aardvark");
    EXPECT_EQ(f->cboCompuestos->count(), 0);
    EXPECT_EQ(f->CurrentCompound(), compound("C000002"));
    EXPECT_EQ(f->edtNombre->text(), "Wall");
    EXPECT_EQ(f->GridRowCount(), 3);
    EXPECT_TRUE(f->btnSave->isEnabled());
}

TEST_F(CompoundsEditors, PrimariesEditorChangesShowAtOnce) {
    ScriptedSeam seam;
    auto f = open();
    seam.expectDialog("TSimplesForm",
                      [](QDialog&) { Document->Primaries.Find("S000001")->SetPrice(20); });
    f->btnSimples->click();
    EXPECT_EQ(f->stPU->text(), "105.00");
    EXPECT_EQ(f->GridCell(1, 4), "    20.00");
    EXPECT_FALSE(f->btnSave->isEnabled()) << "the editor left the document saved";
}

TEST_F(CompoundsEditors, UnitsEditorReloadsTheUnitList) {
    ScriptedSeam seam;
    auto f = open();
    seam.expectDialog("TUnidadesForm", [](QDialog&) {
        Document->Units.Add("l");
        Document->Saved = 0;
    });
    f->btnUnidades->click();
    EXPECT_EQ(entries(*f->cboUnidad), QStringList({"h", "kg", "l", "m2", "m3"}));
    EXPECT_EQ(f->cboUnidad->currentText(), "m3");
    EXPECT_TRUE(f->btnSave->isEnabled());
    EXPECT_FALSE(f->Editing());
}

} // namespace
