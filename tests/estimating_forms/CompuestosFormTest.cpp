// The compounds catalogue on its own: browsing, the header's modes, lines, breakdown mode.

#include "CompuestosTestData.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

using compounds_testing::choose;
using compounds_testing::CompoundsTest;
using compounds_testing::entries;
using compounds_testing::pick;
using compounds_testing::RecordingSeam;
using compounds_testing::ScopedDecimalMark;
using modal::Answer;
using testing_support::ScriptedSeam;

namespace {

using CompoundsCatalogue = CompoundsTest;

TEST_F(CompoundsCatalogue, OpensOnTheFirstCompoundOfTheFirstCategory) {
    ScriptedSeam seam;
    auto f = open();
    EXPECT_EQ(f->windowTitle(), "Compounds");
    EXPECT_EQ(entries(*f->cboRubros), QStringList({"Building", "Finishes", "Others"}));
    EXPECT_EQ(entries(*f->cboSubrubros), QStringList({"Masonry", "Others", "Walls"}));
    EXPECT_EQ(f->cboRubros->currentText(), "Building");
    EXPECT_EQ(f->cboSubrubros->currentText(), "Masonry");
    EXPECT_EQ(f->cboCompuestos->currentText(), "Concrete");
    ASSERT_EQ(f->CurrentCompound(), compound("C000001"));

    EXPECT_EQ(f->edtCodigo->text(), "C000001");
    EXPECT_FALSE(f->edtCodigo->isEnabled());
    EXPECT_EQ(f->edtNombre->text(), "Concrete");
    EXPECT_EQ(f->cboUnidad->currentText(), "m3");
    EXPECT_EQ(entries(*f->cboUnidad), QStringList({"h", "kg", "m2", "m3"}));
    EXPECT_EQ(f->cboRubro->currentText(), "Building");
    EXPECT_EQ(f->cboSubrubro->currentText(), "Masonry");
    EXPECT_EQ(f->stPU->text(), "75.00");
    EXPECT_EQ(f->stMat->text(), "30.00");
    EXPECT_EQ(f->stMao->text(), "40.00");
    EXPECT_EQ(f->stEqu->text(), "5.00");
    EXPECT_EQ(f->stSub->text(), "0.00");
    EXPECT_EQ(f->stOtros->text(), "0.00");
    EXPECT_EQ(f->stMatP->text(), "   40.00");
    EXPECT_EQ(f->stMaoP->text(), "   53.33");
    EXPECT_EQ(f->stEquP->text(), "    6.67");
    EXPECT_EQ(f->stSubP->text(), "    0.00");

    ASSERT_EQ(f->GridRowCount(), 4);
    EXPECT_EQ(gridRow(*f, 0),
              QStringList({"Code", "Component", "Un.", "Quant.", "U.P.", "Tot.", "Percent."}));
    EXPECT_EQ(gridRow(*f, 1), QStringList({"S000001", "Cement", "kg", "    3.000", "    10.00",
                                           "      30.00", "    40.00"}));
    EXPECT_EQ(gridRow(*f, 2), QStringList({"S000002", "Mason", "h", "    2.000", "    20.00",
                                           "      40.00", "    53.33"}));
    EXPECT_EQ(f->gridItems->columnWidth(1), 320);

    EXPECT_TRUE(f->Ready());
    EXPECT_FALSE(f->Adding());
    EXPECT_FALSE(f->Editing());
    for (QPushButton* b : {f->btnNew, f->btnUpdate, f->btnDelete, f->btnAddComp, f->btnAddSimple})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    for (QPushButton* b : {f->btnAccept, f->btnCancel, f->btnEditCant, f->btnDelComp, f->btnSave})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(f->rbMat->isChecked());
    EXPECT_FALSE(f->rbTodos->isEnabled());
    EXPECT_FALSE(f->Explosion());
    EXPECT_EQ(Document->Saved, 1);
}

TEST_F(CompoundsCatalogue, ControlsCarryTheirNamesAndCaptions) {
    ScriptedSeam seam;
    auto f = open();
    const std::pair<const char*, const char*> buttons[] = {{"btnRubros", "Edit categories"},
                                                           {"btnUnidades", "Units form"},
                                                           {"btnClonar", "Duplicate compound"},
                                                           {"btnNew", "New"},
                                                           {"btnUpdate", "Edit"},
                                                           {"btnDelete", "Delete"},
                                                           {"btnAccept", "Accept"},
                                                           {"btnCancel", "Cancel"},
                                                           {"btnAddComp", "Add comp."},
                                                           {"btnAddSimple", "Add primary"},
                                                           {"btnEditCant", "Modify qtty"},
                                                           {"btnDelComp", "Delete comp."},
                                                           {"btnSimples", "Primaries"},
                                                           {"btnSave", "Save"},
                                                           {"btnClose", "Close"}};
    for (const auto& [name, caption] : buttons) {
        auto* b = f->findChild<QPushButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->text(), caption);
    }
    EXPECT_EQ(f->chkExplosion->text(), "Primary components");
    for (const char* name : {"cboRubros", "cboSubrubros", "cboCompuestos", "edtCodigo", "edtNombre",
                             "cboUnidad", "cboRubro", "cboSubrubro", "edtDescripcion", "stPU",
                             "stMat", "stMaoP", "rbMat", "rbTodos", "gridItems"})
        EXPECT_NE(f->findChild<QWidget*>(name), nullptr) << name;
}

TEST_F(CompoundsCatalogue, BrowsingListsTheCompoundsOfTheChosenSubcategorySorted) {
    ScriptedSeam seam;
    auto f = open();
    choose(*f->cboRubros, "Finishes");
    EXPECT_EQ(entries(*f->cboSubrubros), QStringList({"Others", "Paint"}));
    EXPECT_EQ(f->cboSubrubros->currentText(), "Others");
    EXPECT_EQ(f->cboCompuestos->count(), 0);
    EXPECT_EQ(f->CurrentCompound(), nullptr);
    EXPECT_EQ(f->edtCodigo->text(), "");
    EXPECT_EQ(f->cboRubro->currentText(), "Finishes");
    EXPECT_EQ(f->cboSubrubro->currentText(), "Others");
    EXPECT_EQ(f->GridRowCount(), 2);

    choose(*f->cboSubrubros, "Paint");
    EXPECT_EQ(entries(*f->cboCompuestos), QStringList({"Coat", "Primer"}));
    EXPECT_EQ(f->CurrentCompound(), compound("C000004"));
    choose(*f->cboCompuestos, "Primer");
    EXPECT_EQ(f->CurrentCompound(), compound("C000003"));
    EXPECT_EQ(f->edtNombre->text(), "Primer");
    EXPECT_FALSE(f->Editing()) << "filling the header is no change of the user's";
    EXPECT_EQ(Document->Saved, 1);
}

TEST_F(CompoundsCatalogue, DatabaseWithoutSubcategoriesShowsNothingAndRefusesNew) {
    Document->CompoundSubcategories.Clear();
    ScriptedSeam seam;
    auto f = open();
    EXPECT_EQ(f->cboSubrubros->count(), 0);
    EXPECT_EQ(f->cboCompuestos->count(), 0);
    EXPECT_EQ(f->CurrentCompound(), nullptr);
    ASSERT_EQ(f->GridRowCount(), 2);
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(f->GridCell(1, c), "");

    f->btnNew->click();
    f->edtNombre->setText("Plaster");
    choose(*f->cboRubro, "Building");
    EXPECT_EQ(f->cboSubrubro->count(), 0);
    seam.expectMessage("Wrong or missing data.");
    f->btnAccept->click();
    EXPECT_TRUE(f->Adding());
    EXPECT_EQ(Document->Compounds.Count(), 4);
    EXPECT_EQ(Document->Saved, 1);
}

TEST_F(CompoundsCatalogue, HeaderCategoryOffersOnlyItsOwnSubcategories) {
    ScriptedSeam seam;
    auto f = open();
    f->btnNew->click();
    EXPECT_EQ(f->edtCodigo->text(), "C000005");
    EXPECT_EQ(f->edtNombre->text(), "");
    EXPECT_EQ(f->cboRubro->currentIndex(), -1);
    EXPECT_EQ(f->GridRowCount(), 2);
    f->edtNombre->setText("Plaster");
    choose(*f->cboRubro, "Building");
    EXPECT_EQ(entries(*f->cboSubrubro), QStringList({"Masonry", "Walls"}));
    EXPECT_EQ(f->cboSubrubro->currentIndex(), -1);

    seam.expectMessage("Wrong or missing data.");
    f->btnAccept->click();
    EXPECT_TRUE(f->btnAccept->isEnabled());
    EXPECT_EQ(Document->Compounds.Count(), 4);

    choose(*f->cboSubrubro, "Walls");
    f->btnAccept->click();
    ASSERT_EQ(Document->Compounds.Count(), 5);
    TInsumoCompuesto* added = compound("C000005");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Name(), "Plaster");
    EXPECT_EQ(added->Category(), "Building");
    EXPECT_EQ(added->Subcategory(), "Walls");
    EXPECT_EQ(added->Kind(), 1);
    EXPECT_EQ(added->SubKind(), 1);
    EXPECT_EQ(added->Items().Count(), 0);
}

TEST_F(CompoundsCatalogue, NewCompoundOutsideTheBrowsedListStaysCurrent) {
    ScriptedSeam seam;
    auto f = open();
    f->btnNew->click();
    f->edtNombre->setText("Plaster");
    choose(*f->cboUnidad, "m2");
    choose(*f->cboRubro, "Finishes");
    choose(*f->cboSubrubro, "Paint");
    f->edtDescripcion->setPlainText("two coats\nwhite");
    EXPECT_TRUE(f->Adding());
    EXPECT_TRUE(f->Editing()) << "a change in add mode also marks editing";
    f->btnAccept->click();

    TInsumoCompuesto* added = compound("C000005");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Unit(), "m2");
    EXPECT_EQ(added->Description(), "two coats\r\nwhite");
    EXPECT_EQ(f->CurrentCompound(), added);
    EXPECT_EQ(entries(*f->cboCompuestos), QStringList({"Concrete"}));
    EXPECT_EQ(f->edtNombre->text(), "Plaster");
    EXPECT_EQ(f->stPU->text(), "");
    EXPECT_EQ(f->GridRowCount(), 2);
    EXPECT_FALSE(f->Adding());
    EXPECT_TRUE(f->btnNew->isEnabled());
    EXPECT_FALSE(f->btnAccept->isEnabled());
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_TRUE(f->btnSave->isEnabled());

    seam.expectDialog("TAddSimpleForm", pick("S000004", 2));
    f->btnAddSimple->click();
    ASSERT_EQ(added->Items().Count(), 1);
    EXPECT_EQ(f->stPU->text(), "16.00");

    // The header lists hold the browsed subcategories only, so its own is not selected.
    EXPECT_EQ(f->cboRubro->currentText(), "Finishes");
    EXPECT_EQ(f->cboSubrubro->currentIndex(), -1);
    f->edtNombre->setText("Plaster 2");
    EXPECT_TRUE(f->Editing());
    seam.expectMessage("Wrong or missing data.");
    f->btnAccept->click();
    choose(*f->cboRubro, "Finishes");
    choose(*f->cboSubrubro, "Paint");
    f->btnAccept->click();
    EXPECT_EQ(added->Name(), "Plaster 2");
}

TEST_F(CompoundsCatalogue, CancelAfterNewLeavesTheCounterAndShowsTheCompoundAgain) {
    ScriptedSeam seam;
    auto f = open();
    const auto counter = Document->Compounds.Counter();
    f->btnNew->click();
    EXPECT_EQ(f->edtCodigo->text(), "C000005");
    f->edtNombre->setText("Typed");
    f->btnCancel->click();
    EXPECT_FALSE(f->Adding());
    EXPECT_FALSE(f->Editing());
    EXPECT_EQ(f->edtNombre->text(), "Concrete");
    EXPECT_EQ(f->GridRowCount(), 4);
    EXPECT_EQ(Document->Compounds.Counter(), counter);
    f->btnNew->click();
    EXPECT_EQ(f->edtCodigo->text(), "C000005");
    EXPECT_EQ(Document->Saved, 1);
}

TEST_F(CompoundsCatalogue, NewCompoundNeverTakesACodeInUse) {
    ScriptedSeam seam;
    auto f = open();
    f->btnNew->click();
    EXPECT_EQ(f->edtCodigo->text(), "C000005");
    // Showing another compound refills the header, its code included, and keeps add mode.
    choose(*f->cboCompuestos, "Concrete");
    EXPECT_EQ(f->edtCodigo->text(), "C000001");
    EXPECT_TRUE(f->Adding());
    f->edtNombre->setText("Concrete B");
    f->btnAccept->click();
    ASSERT_EQ(Document->Compounds.Count(), 5);
    EXPECT_EQ(compound("C000001")->Name(), "Concrete");
    ASSERT_NE(compound("C000005"), nullptr);
    EXPECT_EQ(compound("C000005")->Name(), "Concrete B");
    EXPECT_EQ(f->edtCodigo->text(), "C000005");

    // A duplicate made while adding takes the next code first.
    f->btnNew->click();
    seam.expectInput("Input a new name.", "Copy");
    f->btnClonar->click();
    ASSERT_NE(compound("C000006"), nullptr);
    f->edtNombre->setText("Another");
    f->btnAccept->click();
    ASSERT_NE(compound("C000007"), nullptr);
    EXPECT_EQ(compound("C000007")->Name(), "Another");
    EXPECT_EQ(compound("C000006")->Name(), "Copy");

    // At the largest counter New and Duplicate refuse rather than give a code twice.
    Document->Compounds.SetCounter(std::numeric_limits<std::int32_t>::max());
    seam.expectMessage("There is no code left").expectMessage("There is no code left");
    f->btnNew->click();
    EXPECT_FALSE(f->Adding());
    f->btnClonar->click();
    EXPECT_EQ(Document->Compounds.Count(), 7);
}

TEST_F(CompoundsCatalogue, EditModeRenamesTheEntryInPlace) {
    ScriptedSeam seam;
    auto f = open();
    choose(*f->cboRubros, "Finishes");
    choose(*f->cboSubrubros, "Paint");
    choose(*f->cboCompuestos, "Primer");
    f->btnUpdate->click();
    EXPECT_TRUE(f->Editing());
    EXPECT_FALSE(f->btnNew->isEnabled());
    f->edtNombre->setText("Aa primer");
    f->btnAccept->click();
    EXPECT_EQ(compound("C000003")->Name(), "Aa primer");
    EXPECT_EQ(entries(*f->cboCompuestos), QStringList({"Coat", "Aa primer"}));
    EXPECT_EQ(f->cboCompuestos->currentIndex(), 1);
    EXPECT_FALSE(f->Editing());
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_EQ(compound("C000003")->Code(), "C000003");
}

TEST_F(CompoundsCatalogue, EditMovedToAnotherSubcategoryStaysListedUntilTheNextBrowse) {
    ScriptedSeam seam;
    auto f = open();
    choose(*f->cboRubro, "Building");
    EXPECT_TRUE(f->Editing()) << "choosing in a header list enters edit mode";
    choose(*f->cboSubrubro, "Walls");
    f->btnAccept->click();
    EXPECT_EQ(compound("C000001")->Subcategory(), "Walls");
    EXPECT_EQ(entries(*f->cboCompuestos), QStringList({"Concrete"}));
    choose(*f->cboSubrubros, "Masonry");
    EXPECT_EQ(f->cboCompuestos->count(), 0);
}

TEST_F(CompoundsCatalogue, EditWithAnEmptyNameIsRefusedAndStaysInEditMode) {
    ScriptedSeam seam;
    auto f = open();
    f->edtNombre->setText("");
    EXPECT_TRUE(f->Editing());
    seam.expectMessage("Wrong or missing data.");
    f->btnAccept->click();
    EXPECT_TRUE(f->Editing());
    EXPECT_EQ(compound("C000001")->Name(), "Concrete");
    EXPECT_EQ(Document->Saved, 1);
    EXPECT_FALSE(f->btnSave->isEnabled());
    f->btnCancel->click();
    EXPECT_EQ(f->edtNombre->text(), "Concrete");
}

TEST_F(CompoundsCatalogue, ZeroPricedCompoundShowsZerosAndNoShares) {
    ScriptedSeam seam;
    auto f = open();
    choose(*f->cboRubros, "Finishes");
    choose(*f->cboSubrubros, "Paint");
    choose(*f->cboCompuestos, "Primer");
    EXPECT_EQ(f->stPU->text(), "0.00");
    for (QLabel* box : {f->stMat, f->stMao, f->stEqu, f->stSub, f->stOtros})
        EXPECT_EQ(box->text(), "0.00");
    for (QLabel* box : {f->stMatP, f->stMaoP, f->stEquP, f->stSubP, f->stOtrosP})
        EXPECT_EQ(box->text(), "");
    ASSERT_EQ(f->GridRowCount(), 2);
    EXPECT_EQ(f->GridCell(1, 6), "     0.00");
    EXPECT_EQ(f->GridCell(1, 5), "       0.00");
}

TEST_F(CompoundsCatalogue, BreakdownListsPrimariesFilteredByCostType) {
    ScriptedSeam seam;
    auto f = open();
    choose(*f->cboSubrubros, "Walls");
    ASSERT_EQ(f->CurrentCompound(), compound("C000002"));
    ASSERT_EQ(f->GridRowCount(), 3);
    EXPECT_EQ(f->GridCell(1, 1), "Concrete");
    EXPECT_EQ(f->GridCell(1, 4), "    75.00");
    EXPECT_EQ(f->GridCell(1, 6), "    94.94");

    f->chkExplosion->click();
    EXPECT_TRUE(f->Explosion());
    EXPECT_TRUE(f->rbTodos->isChecked());
    EXPECT_TRUE(f->rbMao->isEnabled());
    EXPECT_FALSE(f->btnAddSimple->isEnabled());
    EXPECT_FALSE(f->btnAddComp->isEnabled());
    ASSERT_EQ(f->GridRowCount(), 5);
    EXPECT_EQ(gridRow(*f, 1), QStringList({"S000001", "Cement", "kg", "    6.000", "    10.00",
                                           "      60.00", "    37.97"}));
    EXPECT_EQ(f->GridCell(4, 1), "Painting");

    f->rbMao->click();
    EXPECT_EQ(f->CategoryFilter(), "Labor");
    ASSERT_EQ(f->GridRowCount(), 2);
    EXPECT_EQ(f->GridCell(1, 1), "Mason");
    EXPECT_EQ(f->GridCell(1, 3), "    4.000");

    clickCell(*f, 1);
    EXPECT_EQ(f->SelectedCode(), "S000002");
    EXPECT_FALSE(f->btnEditCant->isEnabled());
    EXPECT_FALSE(f->btnDelComp->isEnabled());

    f->rbTodos->click();
    EXPECT_EQ(f->GridRowCount(), 5);

    f->chkExplosion->click();
    EXPECT_FALSE(f->Explosion());
    EXPECT_TRUE(f->rbTodos->isChecked());
    EXPECT_EQ(f->CategoryFilter(), "");
    EXPECT_EQ(f->SelectedCode(), "");
    EXPECT_TRUE(f->btnAddSimple->isEnabled());
    EXPECT_EQ(f->GridRowCount(), 3);
    EXPECT_EQ(Document->Saved, 1);
}

TEST_F(CompoundsCatalogue, LaborFilterWithoutLabourShowsOneBlankRow) {
    ScriptedSeam seam;
    auto f = open();
    choose(*f->cboRubros, "Finishes");
    choose(*f->cboSubrubros, "Paint");
    ASSERT_EQ(f->CurrentCompound(), compound("C000004"));
    f->chkExplosion->click();
    f->rbMao->click();
    ASSERT_EQ(f->GridRowCount(), 2);
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(f->GridCell(1, c), "");
    f->rbSub->click();
    EXPECT_EQ(f->GridCell(1, 1), "Painting");
}

TEST_F(CompoundsCatalogue, DuplicateCopiesLinesNestedCompoundsIncluded) {
    ScriptedSeam seam;
    auto f = open();
    choose(*f->cboSubrubros, "Walls");
    TInsumoCompuesto* wall = compound("C000002");
    wall->SetDescription("brick");
    seam.expectInput("Input a new name.", "Wall copy");
    f->btnClonar->click();

    TInsumoCompuesto* clone = compound("C000005");
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->Name(), "Wall copy");
    EXPECT_EQ(clone->Unit(), "m2");
    EXPECT_EQ(clone->Description(), "brick");
    EXPECT_EQ(clone->Category(), "Building");
    EXPECT_EQ(clone->Subcategory(), "Walls");
    ASSERT_EQ(clone->Items().Count(), 2);
    for (int i = 0; i < 2; ++i) {
        const TItem& copy = clone->Items().Item(i);
        const TItem& original = wall->Items().Item(i);
        EXPECT_EQ(copy.Code, original.Code);
        EXPECT_EQ(copy.Kind, original.Kind);
        EXPECT_EQ(copy.SubKind, original.SubKind);
        EXPECT_EQ(copy.Quantity, original.Quantity);
        EXPECT_EQ(copy.Insumo, original.Insumo);
        EXPECT_EQ(copy.ParentCode, "C000005");
        EXPECT_EQ(copy.Parent, clone);
    }
    EXPECT_EQ(clone->Items().Item(0).Name, "Concrete");
    EXPECT_DOUBLE_EQ(clone->ComputePrice(), wall->ComputePrice());
    EXPECT_EQ(f->CurrentCompound(), clone);
    EXPECT_EQ(f->stPU->text(), "158.00");
    EXPECT_EQ(entries(*f->cboCompuestos), QStringList({"Wall", "Wall copy"}));
    EXPECT_EQ(f->cboCompuestos->currentText(), "Wall copy");
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_TRUE(f->btnSave->isEnabled());
}

TEST_F(CompoundsCatalogue, DuplicateWithTheSameNameSelectsTheDuplicate) {
    ScriptedSeam seam;
    auto f = open();
    seam.expectInput("Input a new name.", "CONCRETE");
    f->btnClonar->click();
    ASSERT_EQ(f->cboCompuestos->count(), 2);
    const int row = f->cboCompuestos->currentIndex();
    EXPECT_EQ(f->cboCompuestos->itemText(row), "CONCRETE");
    EXPECT_EQ(f->CurrentCompound(), compound("C000005"));
}

TEST_F(CompoundsCatalogue, DuplicateWithoutANameDoesNothing) {
    ScriptedSeam seam;
    auto f = open();
    seam.expectInput("Input a new name.", QString());
    f->btnClonar->click();
    seam.expectInput("Input a new name.", std::nullopt); // Cancel gives back the empty default
    f->btnClonar->click();
    EXPECT_EQ(Document->Compounds.Count(), 4);
    EXPECT_EQ(Document->Saved, 1);
    EXPECT_EQ(seam.log().front(), "Clone compound.\nInput a new name.");
}

TEST_F(CompoundsCatalogue, CommandsWithoutACurrentCompoundDoNothing) {
    ScriptedSeam seam;
    auto f = open();
    choose(*f->cboRubros, "Others");
    ASSERT_EQ(f->CurrentCompound(), nullptr);
    f->btnDelete->click();
    f->btnClonar->click();
    f->btnAddSimple->click();
    f->btnAddComp->click();
    f->btnEditCant->click();
    f->btnDelComp->click();
    // Edit mode without a compound to change ends on Accept, as in the primaries catalogue.
    f->btnUpdate->click();
    f->edtNombre->setText("Nobody");
    choose(*f->cboRubro, "Building");
    choose(*f->cboSubrubro, "Walls");
    ASSERT_TRUE(f->Editing());
    f->btnAccept->click();
    EXPECT_FALSE(f->Editing());
    EXPECT_TRUE(f->btnNew->isEnabled());
    EXPECT_FALSE(f->btnAccept->isEnabled());
    EXPECT_EQ(Document->Compounds.Count(), 4);
    EXPECT_EQ(Document->Saved, 1);
    EXPECT_TRUE(seam.log().empty());
}

TEST_F(CompoundsCatalogue, AddingLinesOfPrimariesAndCompounds) {
    ScriptedSeam seam;
    auto f = open();
    choose(*f->cboRubros, "Finishes");
    choose(*f->cboSubrubros, "Paint");
    TInsumoCompuesto* coat = compound("C000004");
    ASSERT_EQ(f->CurrentCompound(), coat);

    seam.expectDialog("TAddSimpleForm", [owner = f.get()](QDialog& d) {
        auto& picker = static_cast<TAddSimpleForm&>(d);
        EXPECT_EQ(picker.Mode, 0);
        EXPECT_EQ(picker.parent(), owner);
        picker.ChosenCode = "S000002";
        picker.Quantity = 0.5;
    });
    f->btnAddSimple->click();
    seam.expectDialog("TAddCompuestoForm", [](QDialog& d) {
        auto& picker = static_cast<TAddSimpleForm&>(d);
        EXPECT_EQ(picker.Mode, 1);
        picker.ChosenCode = "C000001";
        picker.Quantity = 2;
    });
    f->btnAddComp->click();

    ASSERT_EQ(coat->Items().Count(), 3);
    const TItem& mason = coat->Items().Item(1);
    EXPECT_EQ(mason.Kind, 0);
    EXPECT_EQ(mason.Code, "S000002");
    EXPECT_EQ(mason.ParentCode, "C000004");
    EXPECT_EQ(mason.Parent, coat);
    EXPECT_EQ(mason.Quantity, 0.5);
    const TItem& concrete = coat->Items().Item(2);
    EXPECT_EQ(concrete.Kind, 1);
    EXPECT_EQ(concrete.SubKind, 1);
    EXPECT_EQ(concrete.Insumo, compound("C000001"));
    EXPECT_EQ(f->stPU->text(), "168.00");
    EXPECT_EQ(f->GridRowCount(), 4);
    EXPECT_EQ(f->GridCell(3, 1), "Concrete");
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_TRUE(f->btnSave->isEnabled());
}

TEST_F(CompoundsCatalogue, PickerCancelledOrPickedCodeGoneAddsNothing) {
    ScriptedSeam seam;
    auto f = open();
    seam.expectDialog("TAddSimpleForm", [](QDialog&) {});
    f->btnAddSimple->click();
    seam.expectDialog("TAddSimpleForm", pick("S999999", 1));
    f->btnAddSimple->click();
    EXPECT_EQ(compound("C000001")->Items().Count(), 3);
    EXPECT_EQ(Document->Saved, 1);
}

TEST_F(CompoundsCatalogue, CircularReferencesAreRefused) {
    ScriptedSeam seam;
    auto f = open();
    seam.expectDialog("TAddCompuestoForm", pick("C000002", 1)); // Wall holds Concrete
    seam.expectMessage("Error : Circular reference.");
    f->btnAddComp->click();
    seam.expectDialog("TAddCompuestoForm", pick("C000001", 1)); // itself
    seam.expectMessage("Error : Circular reference.");
    f->btnAddComp->click();
    EXPECT_EQ(compound("C000001")->Items().Count(), 3);
    EXPECT_EQ(Document->Saved, 1);
}

TEST_F(CompoundsCatalogue, ALineTwiceReachesTheErrorReport) {
    ScriptedSeam seam;
    auto f = open();
    seam.expectDialog("TAddSimpleForm", pick("S000001", 1));
    seam.expectMessage("Error : This item already exists in this compound.");
    f->btnAddSimple->click();
    EXPECT_EQ(compound("C000001")->Items().Count(), 3);
    EXPECT_EQ(f->findChildren<TAddSimpleForm*>().size(), 0u) << "the picker is freed";
}

TEST_F(CompoundsCatalogue, GridClickSelectsALineForTheLineCommands) {
    ScriptedSeam seam;
    auto f = open();
    clickCell(*f, 2, 3);
    EXPECT_EQ(f->SelectedCode(), "S000002");
    EXPECT_TRUE(f->btnEditCant->isEnabled());
    EXPECT_TRUE(f->btnDelComp->isEnabled());
    EXPECT_TRUE(f->gridItemsSelectCell(0, 3));
    EXPECT_EQ(f->SelectedCode(), "S000003");

    // Another compound shown: the code clicked in this one is forgotten.
    clickCell(*f, 1);
    choose(*f->cboSubrubros, "Walls");
    EXPECT_EQ(f->SelectedCode(), "");
    EXPECT_FALSE(f->btnEditCant->isEnabled());
    EXPECT_FALSE(f->btnDelComp->isEnabled());
}

TEST_F(CompoundsCatalogue, ModifyQuantity) {
    RecordingSeam seam;
    auto f = open();
    clickCell(*f, 2, 4);
    seam.expectInput("Input new value.", "2.75");
    f->btnEditCant->click();
    ASSERT_EQ(seam.shownValues.size(), 1u);
    EXPECT_EQ(seam.shownValues[0], "2");
    EXPECT_EQ(compound("C000001")->Items().Item(1).Quantity, 2.75);
    EXPECT_EQ(f->GridCell(2, 3), "    2.750");
    EXPECT_EQ(f->stPU->text(), "90.00");
    EXPECT_EQ(f->gridItems->currentRow(), 1);
    EXPECT_EQ(f->gridItems->currentColumn(), 4);
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_TRUE(f->btnSave->isEnabled());
    EXPECT_EQ(seam.log().back(), "Modify quantity.\nInput new value.");
}

TEST_F(CompoundsCatalogue, ModifyQuantityKeepsTheValueOnCancelAndTakesZeroOrNegative) {
    RecordingSeam seam;
    auto f = open();
    clickCell(*f, 1);
    seam.expectInput("Input new value.", std::nullopt);
    f->btnEditCant->click();
    EXPECT_EQ(Document->Saved, 1);
    seam.expectInput("Input new value.", "-1");
    f->btnEditCant->click();
    EXPECT_EQ(compound("C000001")->Items().Item(0).Quantity, -1.0);
    seam.expectInput("Input new value.", "0");
    f->btnEditCant->click();
    EXPECT_EQ(compound("C000001")->Items().Item(0).Quantity, 0.0);
}

TEST_F(CompoundsCatalogue, ModifyQuantityThatIsNoNumberChangesNothing) {
    ScriptedSeam seam;
    auto f = open();
    clickCell(*f, 1);
    seam.expectInput("Input new value.", "");
    seam.expectMessage("'' is not a valid floating point value");
    f->btnEditCant->click();
    seam.expectInput("Input new value.", "abc");
    seam.expectMessage("'abc' is not a valid floating point value");
    f->btnEditCant->click();
    seam.expectInput("Input new value.", "1e308"); // too large once multiplied by the price
    seam.expectMessage("'1e308' is not a valid floating point value");
    f->btnEditCant->click();
    // Each line's amount finite, their sum not.
    compound("C000001")->Items().Item(1).Quantity = 8.5e306;
    seam.expectInput("Input new value.", "1e307");
    seam.expectMessage("'1e307' is not a valid floating point value");
    f->btnEditCant->click();
    EXPECT_EQ(compound("C000001")->Items().Item(0).Quantity, 3.0);
    EXPECT_EQ(Document->Saved, 1);
}

TEST_F(CompoundsCatalogue, ModifyQuantityFollowsTheDecimalComma) {
    ScopedDecimalMark comma(",");
    RecordingSeam seam;
    auto f = open();
    EXPECT_EQ(f->stPU->text(), "75,00");
    compound("C000001")->Items().Item(0).Quantity = 2.5;
    clickCell(*f, 1);
    seam.expectInput("Input new value.", "1.5");
    seam.expectMessage("'1.5' is not a valid floating point value");
    f->btnEditCant->click();
    EXPECT_EQ(compound("C000001")->Items().Item(0).Quantity, 2.5);
    seam.expectInput("Input new value.", "1,5");
    f->btnEditCant->click();
    EXPECT_EQ(compound("C000001")->Items().Item(0).Quantity, 1.5);
    ASSERT_EQ(seam.shownValues.size(), 2u);
    EXPECT_EQ(seam.shownValues[0], "2,5");
    EXPECT_EQ(f->GridCell(1, 3), "    1,500");
}

TEST_F(CompoundsCatalogue, ModifyQuantityShowsTheShortestGeneralText) {
    const std::pair<double, const char*> cases[] = {{0.1 + 0.2, "0.3"},
                                                    {1e20, "1E20"},
                                                    {1.5e-7, "1.5E-7"},
                                                    {0.00001, "0.00001"},
                                                    {-12.5, "-12.5"},
                                                    {123456789012345.0, "123456789012345"},
                                                    {1234567890123456.0, "1.23456789012346E15"},
                                                    {100, "100"}};
    for (const auto& [quantity, text] : cases) {
        RecordingSeam seam;
        auto f = open();
        compound("C000001")->Items().Item(0).Quantity = quantity;
        clickCell(*f, 1);
        seam.expectInput("Input new value.", std::nullopt);
        f->btnEditCant->click();
        ASSERT_EQ(seam.shownValues.size(), 1u);
        EXPECT_EQ(seam.shownValues[0], text) << quantity;
    }
}

TEST_F(CompoundsCatalogue, DeleteLineAsksAndForgetsTheDeletedLine) {
    ScriptedSeam seam;
    auto f = open();
    clickCell(*f, 2);
    seam.expectMessage("Are you sure to delete this item?", Answer::No);
    f->btnDelComp->click();
    EXPECT_EQ(compound("C000001")->Items().Count(), 3);
    EXPECT_EQ(Document->Saved, 1);

    seam.expectMessage("Are you sure to delete this item?", Answer::Yes);
    f->btnDelComp->click();
    ASSERT_EQ(compound("C000001")->Items().Count(), 2);
    EXPECT_EQ(compound("C000001")->Items().Find("S000002"), nullptr);
    EXPECT_EQ(f->stPU->text(), "35.00");
    EXPECT_EQ(f->GridRowCount(), 3);
    EXPECT_EQ(f->SelectedCode(), "S000002");
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_TRUE(f->btnSave->isEnabled());
    EXPECT_FALSE(f->btnDelComp->isEnabled());
    f->btnDelCompClick(); // the line is gone: nothing to ask
    EXPECT_EQ(compound("C000001")->Items().Count(), 2);
    EXPECT_EQ(seam.messages.back().icon, modal::Icon::Warning);
    EXPECT_EQ(seam.messages.back().buttons, modal::Buttons::YesNo);
}

TEST_F(CompoundsCatalogue, DeleteCompoundAnsweredNoKeepsIt) {
    ScriptedSeam seam;
    auto f = open();
    seam.expectMessage("Are you sure to delete this compound?.", Answer::No);
    f->btnDelete->click();
    EXPECT_EQ(Document->Compounds.Count(), 4);
    EXPECT_EQ(f->CurrentCompound(), compound("C000001"));
    EXPECT_EQ(Document->Saved, 1);
}

TEST_F(CompoundsCatalogue, DeleteCompoundTakesItsLinesOutOfOtherCompounds) {
    ScriptedSeam seam;
    auto f = open();
    seam.expectMessage("Are you sure to delete this compound?.", Answer::Yes);
    f->btnDelete->click();
    EXPECT_EQ(compound("C000001"), nullptr);
    EXPECT_EQ(Document->Compounds.Count(), 3);
    TInsumoCompuesto* wall = compound("C000002");
    ASSERT_EQ(wall->Items().Count(), 1);
    EXPECT_DOUBLE_EQ(wall->ComputePrice(), 8.0);
    EXPECT_EQ(f->CurrentCompound(), nullptr);
    EXPECT_EQ(f->cboCompuestos->count(), 0);
    EXPECT_EQ(f->edtNombre->text(), "");
    EXPECT_EQ(f->GridRowCount(), 2);
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_TRUE(f->btnSave->isEnabled());

    choose(*f->cboSubrubros, "Walls");
    EXPECT_EQ(f->stPU->text(), "8.00");
}

TEST_F(CompoundsCatalogue, SaveWritesTheFileAndFollowsTheSavedFlag) {
    ScriptedSeam seam;
    auto f = open();
    Document->SetFileName(path("catalogue.cdb").toStdString());
    f->edtNombre->setText("Concrete mix");
    f->btnAccept->click();
    ASSERT_TRUE(f->btnSave->isEnabled());
    f->btnSave->click();
    EXPECT_EQ(Document->Saved, 1);
    EXPECT_FALSE(f->btnSave->isEnabled());
    TDocument reread;
    reread.SetFileName(path("catalogue.cdb").toStdString());
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(reread.Compounds.Find("C000001")->Name(), "Concrete mix");
}

TEST_F(CompoundsCatalogue, FailedSaveKeepsTheSaveButton) {
    ScriptedSeam seam;
    auto f = open();
    Document->SetFileName(path("missing/folder/catalogue.cdb").toStdString());
    f->edtNombre->setText("Concrete mix");
    f->btnAccept->click();
    seam.expectMessage("Cannot create file");
    f->btnSave->click();
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_TRUE(f->btnSave->isEnabled());
}

TEST_F(CompoundsCatalogue, CloseAsksNothingAndSavesNothing) {
    ScriptedSeam seam;
    auto f = open();
    f->edtNombre->setText("Unsaved");
    f->btnAccept->click();
    f->show();
    f->btnClose->click();
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(Document->Saved, 0);
}

TEST_F(CompoundsCatalogue, FiguresUseTheCommonFixedPointText) {
    EXPECT_EQ(TCompuestosForm::FormatFixed(2.5, 12, 3), "       2.500");
    EXPECT_EQ(TCompuestosForm::FormatFixed(1234.5, 0, 2), "1234.50");
    EXPECT_EQ(TCompuestosForm::FormatFixed(0.125, 0, 2), "0.13");
    EXPECT_EQ(TCompuestosForm::FormatFixed(-0.001, 9, 2), "     0.00");
}

} // namespace

namespace {

using CompoundsFromAnotherWriter = compounds_testing::CompoundsTest;

// A line whose input is not in the database, as a file written elsewhere can hold.
TItem* addLostLine(TInsumoCompuesto& holder) {
    TItem line;
    line.Kind = 0;
    line.Code = "S999999";
    line.Name = "Lost";
    line.Quantity = 4;
    return holder.Items().Add(line);
}

TEST_F(CompoundsFromAnotherWriter, LineWithoutItsInputShowsWhatItKnows) {
    addLostLine(*compound("C000001"));
    ScriptedSeam seam;
    auto f = open();
    EXPECT_EQ(f->stPU->text(), "75.00");
    ASSERT_EQ(f->GridRowCount(), 5);
    EXPECT_EQ(gridRow(*f, 4), QStringList({"S999999", "Lost", "", "    4.000", "", "", ""}));
    f->chkExplosion->click();
    EXPECT_EQ(f->GridRowCount(), 4);
}

TEST_F(CompoundsFromAnotherWriter, DuplicateKeepsALineWhoseInputIsGone) {
    addLostLine(*compound("C000001"));
    ScriptedSeam seam;
    auto f = open();
    seam.expectInput("Input a new name.", "Copy");
    f->btnClonar->click();
    TInsumoCompuesto* clone = compound("C000005");
    ASSERT_NE(clone, nullptr);
    ASSERT_EQ(clone->Items().Count(), 4);
    EXPECT_EQ(clone->Items().Item(3).Code, "S999999");
    EXPECT_EQ(clone->Items().Item(3).Name, "Lost");
    EXPECT_EQ(clone->Items().Item(3).Insumo, nullptr);
    EXPECT_EQ(f->stPU->text(), "75.00");
}

TEST_F(CompoundsFromAnotherWriter, CompoundsWithoutASubcategoryAreListedWhenNoneExist) {
    Document->CompoundSubcategories.Clear();
    compound("C000002")->SetSubcategory("");
    ScriptedSeam seam;
    auto f = open();
    EXPECT_EQ(f->cboSubrubros->count(), 0);
    EXPECT_EQ(entries(*f->cboCompuestos), QStringList({"Wall"}));
    EXPECT_EQ(f->CurrentCompound(), compound("C000002"));
}

TEST_F(CompoundsCatalogue, UnknownFilterSenderChangesNothing) {
    ScriptedSeam seam;
    auto f = open();
    f->chkExplosion->click();
    f->rbEqu->click();
    EXPECT_EQ(f->CategoryFilter(), "Equipment");
    f->rbCategoriasClick(f->btnSave);
    f->rbCategoriasClick(nullptr);
    EXPECT_EQ(f->CategoryFilter(), "Equipment");
    EXPECT_EQ(f->GridRowCount(), 2);
    EXPECT_EQ(f->GridCell(1, 1), "Mixer");
}

TEST_F(CompoundsCatalogue, KeyboardMovesInTheGridSelectLikeClicks) {
    ScriptedSeam seam;
    auto f = open();
    f->show();
    f->gridItems->setFocus();
    f->gridItems->setCurrentCell(0, 0);
    QTest::keyClick(f->gridItems, Qt::Key_Down);
    EXPECT_EQ(f->SelectedCode(), "S000002");
    EXPECT_TRUE(f->btnDelComp->isEnabled());
}

TEST_F(CompoundsCatalogue, EditedValuesAreDroppedByCancelAndByBrowsing) {
    ScriptedSeam seam;
    auto f = open();
    f->edtNombre->setText("Typed");
    f->edtDescripcion->setPlainText("typed too");
    f->btnCancel->click();
    EXPECT_EQ(f->edtNombre->text(), "Concrete");
    EXPECT_EQ(f->edtDescripcion->toPlainText(), "");
    EXPECT_TRUE(f->btnUpdate->isEnabled());

    f->btnUpdate->click();
    f->edtNombre->setText("Typed");
    choose(*f->cboSubrubros, "Walls");
    EXPECT_TRUE(f->Editing()) << "browsing keeps the mode";
    EXPECT_EQ(f->edtNombre->text(), "Wall");
    EXPECT_EQ(compound("C000001")->Name(), "Concrete");
}

} // namespace
