// The primaries catalogue on its own: browsing, the price check, codes, adding, editing,
// deleting, the Ready flag and the dialogs it opens.

#include "ModificarPreciosFrm.h"
#include "ScriptedSeam.h"
#include "SimplesFrm.h"
#include "SimplesTestData.h"
#include "SubCategoriasInsumos.h"
#include "UnidadesFrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace simples_testing;
using modal::Answer;

namespace {

QStringList ComboTexts(const QComboBox& combo) {
    QStringList texts;
    for (int i = 0; i < combo.count(); ++i)
        texts << combo.itemText(i);
    return texts;
}

// Browse buttons: New, Edit, Delete on; Accept, Cancel off.
void ExpectBrowse(const TSimplesForm& form) {
    EXPECT_TRUE(form.btnAdd->isEnabled());
    EXPECT_TRUE(form.btnUpdate->isEnabled());
    EXPECT_TRUE(form.btnDelete->isEnabled());
    EXPECT_FALSE(form.btnAccept->isEnabled());
    EXPECT_FALSE(form.btnCancel->isEnabled());
}

void ExpectEntry(const TSimplesForm& form) {
    EXPECT_FALSE(form.btnAdd->isEnabled());
    EXPECT_FALSE(form.btnUpdate->isEnabled());
    EXPECT_FALSE(form.btnDelete->isEnabled());
    EXPECT_TRUE(form.btnAccept->isEnabled());
    EXPECT_TRUE(form.btnCancel->isEnabled());
}

class PrimariesCatalogue : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        doc.Units.Add("kg");
        doc.Units.Add("h");
        doc.Units.Add("Bag");
        AddSubcategory(doc, "Steel", "Materials");
        AddSubcategory(doc, "aggregates", "Materials");
        AddSubcategory(doc, "Masonry", "Labor");
        cement = AddPrimary(doc, "Cement", "Materials", "aggregates", 12.5, "Bag");
        sand = AddPrimary(doc, "sand", "Materials", "aggregates", 3);
        AddPrimary(doc, "Rebar", "Materials", "Steel", 900);
        AddPrimary(doc, "Mason", "Labor", "Masonry", 20, "h");
        AddPrimary(doc, "Mixer", "Equipment", "", 5, "h");
        AddPrimary(doc, "Crane", "Equipment", "Others", 50, "h");
        doc.Saved = 1;
    }
    // The user picks a row of a list.
    static void Pick(QListWidget& list, int row) { list.setCurrentRow(row); }
    // The user chooses an entry of a drop-down list.
    static void Choose(QComboBox& combo, const QString& text) {
        const int index = combo.findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        combo.setCurrentIndex(index);
        emit combo.activated(index);
    }

    TInsumo* cement = nullptr;
    TInsumo* sand = nullptr;
};

class EmptyCatalogue : public CatalogueTest {};

} // namespace

TEST_F(EmptyCatalogue, OpensOnMaterialsWithNothingToShow) {
    AddSubcategory(doc, "Wood", "Materials");
    AddSubcategory(doc, "Masonry", "Labor");
    TSimplesForm form;
    EXPECT_EQ(form.windowTitle(), "Primaries");
    EXPECT_EQ(Texts(*form.lbCategorias),
              QStringList({"Materials", "Labor", "Equipment", "Subcontracts", "Others"}));
    EXPECT_EQ(form.lbCategorias->currentRow(), 0);
    EXPECT_EQ(Texts(*form.lbSubcategorias), QStringList({"Others", "Wood"}));
    EXPECT_EQ(form.lbSubcategorias->currentItem()->text(), "Wood");
    EXPECT_EQ(form.lbSimples->count(), 0);
    EXPECT_EQ(form.CurrentPrimary(), nullptr);
    for (QLineEdit* edit : {form.edtCodigo, form.edtNombre, form.edtPU})
        EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_TRUE(form.edtDescripcion->toPlainText().isEmpty());
    EXPECT_EQ(form.cboCategoria->currentText(), "Materials");
    EXPECT_EQ(form.cboSubCategoria->currentText(), "Wood");
    EXPECT_FALSE(form.edtCodigo->isEnabled());
    ExpectBrowse(form);
    EXPECT_FALSE(form.btnSave->isEnabled());
    EXPECT_FALSE(form.IsAdding());
    EXPECT_FALSE(form.IsEditing());
    for (const char* name :
         {"lbCategorias",   "lbSubcategorias", "lbSimples", "edtCodigo",     "edtNombre",
          "cboUnidad",      "btnUnidades",     "edtPU",     "cboCategoria",  "cboSubCategoria",
          "edtDescripcion", "btnAdd",          "btnUpdate", "btnDelete",     "btnAccept",
          "btnCancel",      "btnSave",         "btnClose",  "btnOpenSubcat", "btnModificarPrecios"})
        EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
}

TEST_F(EmptyCatalogue, CodesComeFromTheCounterThatNeverFalls) {
    doc.Units.Add("kg");
    AddSubcategory(doc, "Wood", "Materials");
    testing_support::ScriptedSeam seam;
    TSimplesForm form;
    form.btnAddClick();
    EXPECT_EQ(form.edtCodigo->text(), "S000001");
    form.btnCancelClick();
    EXPECT_EQ(doc.Primaries.Counter(), 0);
    form.btnAddClick();
    EXPECT_EQ(form.edtCodigo->text(), "S000001");
    form.edtNombre->setText("Pine");
    form.cboUnidad->setCurrentIndex(0);
    form.cboCategoria->setCurrentIndex(0);
    form.cboSubCategoria->setCurrentIndex(form.cboSubCategoria->findText("Wood"));
    form.edtPU->setText("4");
    form.btnAcceptClick();
    ASSERT_EQ(doc.Primaries.Count(), 1);
    EXPECT_EQ(doc.Primaries.Insumo(0).Code(), "S000001");
    seam.expectMessage("Are you sure to delete this primary?", Answer::Yes);
    form.btnDeleteClick();
    EXPECT_EQ(doc.Primaries.Count(), 0);
    form.btnAddClick();
    EXPECT_EQ(form.edtCodigo->text(), "S000002");
    form.btnCancelClick();
    // A file can hold the largest counter: its next code would be given out twice.
    doc.Primaries.SetCounter(std::numeric_limits<std::int32_t>::max());
    seam.expectMessage("There is no code left for a new entry");
    form.btnAddClick();
    EXPECT_FALSE(form.IsAdding());
    EXPECT_EQ(doc.Primaries.Count(), 0);
}

TEST_F(PrimariesCatalogue, SubcategoryListsFollowTheCostType) {
    TSimplesForm form;
    // Sorted ignoring case, "Others" in its place, the first stored one selected.
    EXPECT_EQ(Texts(*form.lbSubcategorias), QStringList({"aggregates", "Others", "Steel"}));
    EXPECT_EQ(form.lbSubcategorias->currentItem()->text(), "aggregates");
    EXPECT_EQ(Texts(*form.lbSimples), QStringList({"Cement", "sand"}));
    EXPECT_EQ(form.CurrentPrimary(), cement);
    EXPECT_EQ(form.edtNombre->text(), "Cement");

    Pick(*form.lbCategorias, 2); // Equipment: no stored subcategories
    EXPECT_EQ(Texts(*form.lbSubcategorias), QStringList({"Others"}));
    EXPECT_EQ(form.lbSubcategorias->selectedItems().size(), 0);
    EXPECT_EQ(Texts(*form.lbSimples), QStringList({"Mixer"})); // empty subcategory
    EXPECT_EQ(form.cboCategoria->currentText(), "Equipment");
    EXPECT_EQ(form.cboSubCategoria->currentIndex(), -1);
    Pick(*form.lbSubcategorias, 0);
    EXPECT_EQ(Texts(*form.lbSimples), QStringList({"Crane"}));
    EXPECT_EQ(form.cboSubCategoria->currentText(), "Others");
    EXPECT_FALSE(form.IsEditing());
    ExpectBrowse(form);

    Pick(*form.lbCategorias, 3); // Subcontracts: nothing at all
    EXPECT_EQ(form.lbSimples->count(), 0);
    EXPECT_EQ(form.CurrentPrimary(), nullptr);
    EXPECT_TRUE(form.edtNombre->text().isEmpty());
}

TEST_F(PrimariesCatalogue, StoredOthersIsListedTwice) {
    AddSubcategory(doc, "Others", "Labor");
    TSimplesForm form;
    Pick(*form.lbCategorias, 1);
    EXPECT_EQ(Texts(*form.lbSubcategorias), QStringList({"Masonry", "Others", "Others"}));
}

TEST_F(PrimariesCatalogue, ShowsThePriceRightAlignedAndAcceptsItUntouched) {
    TSimplesForm form;
    EXPECT_EQ(form.edtPU->text(), "           12.50");
    EXPECT_EQ(form.edtCodigo->text(), "S000001");
    EXPECT_EQ(form.cboUnidad->currentText(), "Bag");
    EXPECT_EQ(form.cboSubCategoria->currentText(), "aggregates");
    EXPECT_EQ(ComboTexts(*form.cboUnidad), QStringList({"Bag", "h", "kg"}));
    form.btnUpdateClick();
    ExpectEntry(form);
    form.btnAcceptClick();
    EXPECT_DOUBLE_EQ(cement->Price(), 12.5);
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form.btnSave->isEnabled());
    ExpectBrowse(form);
}

TEST_F(PrimariesCatalogue, PriceCheckReadsAPeriodOnly) {
    for (const char* good : {"1e3", "+5", " 7.25", "0.5E-2", "-3"}) {
        testing_support::ScriptedSeam seam;
        TSimplesForm form;
        form.edtPU->setText(good);
        EXPECT_TRUE(form.IsEditing()) << good;
        form.btnAcceptClick();
        EXPECT_TRUE(seam.log().empty()) << good;
        EXPECT_FALSE(form.IsEditing());
    }
    EXPECT_DOUBLE_EQ(cement->Price(), -3);
    for (const char* bad : {"7.25 ", "7,25", "abc", "", "1e", ".", "0x10", "inf"}) {
        testing_support::ScriptedSeam seam;
        seam.expectMessage("Wrong or missing data.");
        TSimplesForm form;
        form.edtPU->setText(bad);
        form.btnAcceptClick();
        EXPECT_TRUE(form.IsEditing()) << bad;
        ExpectEntry(form);
    }
    EXPECT_DOUBLE_EQ(cement->Price(), -3);
}

TEST_F(PrimariesCatalogue, EveryRequiredFieldIsChecked) {
    auto refuse = [](auto&& spoil) {
        testing_support::ScriptedSeam seam;
        seam.expectMessage("Wrong or missing data.");
        TSimplesForm form;
        form.btnUpdateClick();
        spoil(form);
        form.btnAcceptClick();
    };
    refuse([](TSimplesForm& f) { f.edtNombre->clear(); });
    refuse([](TSimplesForm& f) { f.cboUnidad->setCurrentIndex(-1); });
    refuse([](TSimplesForm& f) { f.cboCategoria->setCurrentIndex(-1); });
    refuse([](TSimplesForm& f) { f.cboSubCategoria->setCurrentIndex(-1); });
    EXPECT_EQ(cement->Name(), "Cement");
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(PrimariesCatalogue, AcceptWithoutNewOrEditIsRefused) {
    testing_support::ScriptedSeam seam;
    seam.expectMessage("Wrong or missing data.");
    TSimplesForm form;
    form.btnAcceptClick();
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(PrimariesCatalogue, OnlyUserChangesEnterEditMode) {
    TSimplesForm form;
    EXPECT_TRUE(form.IsReady());
    Pick(*form.lbSimples, 1);
    EXPECT_EQ(form.edtNombre->text(), "sand");
    EXPECT_FALSE(form.IsEditing());
    ExpectBrowse(form);
    form.edtDescripcion->setPlainText("fine");
    EXPECT_TRUE(form.IsEditing());
    ExpectEntry(form);
    form.btnCancelClick();
    EXPECT_FALSE(form.IsEditing());
    EXPECT_TRUE(form.edtDescripcion->toPlainText().isEmpty());
    ExpectBrowse(form);
    EXPECT_EQ(sand->Description(), "");
}

TEST_F(PrimariesCatalogue, EditingRenamesTheEntryAndKeepsTheCode) {
    TSimplesForm form;
    Pick(*form.lbSimples, 1);
    form.edtNombre->setText("Coarse sand");
    form.edtDescripcion->setPlainText("washed\nsieved");
    form.cboUnidad->setCurrentIndex(form.cboUnidad->findText("Bag"));
    form.edtPU->setText("4.5");
    form.btnAcceptClick();
    EXPECT_EQ(sand->Name(), "Coarse sand");
    EXPECT_EQ(sand->Description(), "washed\r\nsieved");
    EXPECT_EQ(sand->Unit(), "Bag");
    EXPECT_DOUBLE_EQ(sand->Price(), 4.5);
    EXPECT_EQ(sand->Code(), "S000002");
    EXPECT_EQ(form.edtPU->text(), "            4.50");
    EXPECT_EQ(Texts(*form.lbSimples), QStringList({"Cement", "Coarse sand"}));
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_FALSE(form.IsEditing());
    ExpectBrowse(form);

    // Moved to another cost type, it stays listed until the list is filled again.
    form.btnUpdateClick();
    Choose(*form.cboCategoria, "Labor");
    Choose(*form.cboSubCategoria, "Masonry");
    form.btnAcceptClick();
    EXPECT_EQ(sand->Category(), "Labor");
    EXPECT_EQ(sand->Subcategory(), "Masonry");
    EXPECT_EQ(form.lbSimples->count(), 2);
    Pick(*form.lbCategorias, 1);
    EXPECT_EQ(Texts(*form.lbSimples), QStringList({"Coarse sand", "Mason"}));
}

TEST_F(PrimariesCatalogue, ChoosingACostTypeOffersOnlyItsStoredSubcategories) {
    testing_support::ScriptedSeam seam;
    TSimplesForm form;
    Choose(*form.cboCategoria, "Labor");
    EXPECT_TRUE(form.IsEditing());
    ExpectEntry(form);
    EXPECT_EQ(ComboTexts(*form.cboSubCategoria), QStringList({"Masonry"}));
    EXPECT_EQ(form.cboSubCategoria->currentIndex(), -1);

    Choose(*form.cboCategoria, "Subcontracts");
    EXPECT_EQ(form.cboSubCategoria->count(), 0);
    seam.expectMessage("Wrong or missing data.");
    form.btnAcceptClick();
    EXPECT_EQ(cement->Category(), "Materials");
    EXPECT_TRUE(form.IsEditing());
}

TEST_F(PrimariesCatalogue, NewPrimaryOfAnotherCostTypeIsListedUntilTheNextFill) {
    TSimplesForm form;
    form.show();
    form.btnAddClick();
    EXPECT_TRUE(form.IsAdding());
    ExpectEntry(form);
    EXPECT_EQ(form.edtCodigo->text(), "S000007");
    EXPECT_TRUE(form.edtNombre->text().isEmpty());
    form.edtNombre->setText("Carpenter");
    form.edtDescripcion->setPlainText("first line\nsecond");
    Choose(*form.cboUnidad, "h");
    Choose(*form.cboCategoria, "Labor");
    Choose(*form.cboSubCategoria, "Masonry");
    form.edtPU->setText("18");
    EXPECT_TRUE(form.IsEditing()); // a typed change while adding; Accept still adds
    form.btnAcceptClick();

    ASSERT_EQ(doc.Primaries.Count(), 7);
    const TInsumo* added = doc.Primaries.Find("S000007");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Name(), "Carpenter");
    EXPECT_EQ(added->Unit(), "h");
    EXPECT_EQ(added->Category(), "Labor");
    EXPECT_EQ(added->Subcategory(), "Masonry");
    EXPECT_EQ(added->Description(), "first line\r\nsecond");
    EXPECT_DOUBLE_EQ(added->Price(), 18);
    EXPECT_EQ(added->Kind(), 0);
    EXPECT_EQ(added->SubKind(), 0);
    EXPECT_EQ(doc.Primaries.Counter(), 7);
    EXPECT_EQ(form.edtPU->text(), "           18.00");
    EXPECT_EQ(Texts(*form.lbSimples), QStringList({"Carpenter", "Cement", "sand"}));
    EXPECT_EQ(form.lbSimples->currentItem()->text(), "Carpenter");
    EXPECT_EQ(form.CurrentPrimary(), added);
    EXPECT_FALSE(form.IsAdding());
    EXPECT_FALSE(form.IsEditing());
    ExpectBrowse(form);
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form.btnSave->isEnabled());

    // A click on the subcategory that is still chosen fills the list again.
    ASSERT_EQ(form.lbSubcategorias->currentItem()->text(), "aggregates");
    forms_testing::ClickRow(*form.lbSubcategorias, 0);
    EXPECT_EQ(Texts(*form.lbSimples), QStringList({"Cement", "sand"}));
    EXPECT_EQ(form.CurrentPrimary(), cement);
}

TEST_F(PrimariesCatalogue, ShowingAnotherPrimaryEndsAddModeWithoutADuplicateCode) {
    TSimplesForm form;
    form.btnAddClick();
    form.edtNombre->setText("Gravel");
    Pick(*form.lbSimples, 1);
    EXPECT_FALSE(form.IsAdding());
    ExpectBrowse(form);
    EXPECT_EQ(form.edtCodigo->text(), "S000002");
    form.btnUpdateClick();
    form.btnAcceptClick();
    EXPECT_EQ(doc.Primaries.Count(), 6);
    EXPECT_EQ(sand->Code(), "S000002");
}

TEST_F(PrimariesCatalogue, AConversionErrorChangesNothing) {
    testing_support::ScriptedSeam seam;
    TSimplesForm form;
    form.edtNombre->setText("Portland");
    form.edtPU->setText("1e999"); // passes the check, too large for a double
    seam.expectMessage("'1e999' is not a valid floating point value");
    form.btnAcceptClick();
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "'1e999' is not a valid floating point value");
    EXPECT_EQ(cement->Name(), "Cement");
    EXPECT_DOUBLE_EQ(cement->Price(), 12.5);
    EXPECT_EQ(doc.Saved, 1);
    ExpectBrowse(form);
    EXPECT_FALSE(form.btnSave->isEnabled());
    EXPECT_EQ(form.lbSimples->item(0)->text(), "Cement");

    form.btnAddClick();
    form.edtNombre->setText("Lime");
    form.cboUnidad->setCurrentIndex(0);
    form.cboCategoria->setCurrentIndex(0);
    form.cboSubCategoria->setCurrentIndex(0);
    form.edtPU->setText("-1e400");
    seam.expectMessage("is not a valid floating point value");
    form.btnAcceptClick();
    EXPECT_EQ(doc.Primaries.Count(), 6);
    EXPECT_EQ(doc.Primaries.Counter(), 6);
    EXPECT_FALSE(form.IsAdding());
    ExpectBrowse(form);
}

TEST_F(PrimariesCatalogue, APriceThatMakesALineAmountInfiniteChangesNothing) {
    auto budget = std::make_unique<estimating::TPresupuesto>();
    budget->SetSubKind(2);
    budget->SetCode("P000001");
    estimating::TItem line;
    line.Code = cement->Code();
    line.Insumo = cement;
    line.Quantity = 2;
    doc.Budgets.Add(std::move(budget))->AsCompuesto()->Items().Add(line);
    testing_support::ScriptedSeam seam;
    TSimplesForm form;
    form.edtNombre->setText("Portland");
    form.edtPU->setText("1e308");
    seam.expectMessage("'1e308' is not a valid floating point value");
    form.btnAcceptClick();
    // Nor one that leaves each line finite but not the budget's sum.
    line.Code = "S999999";
    doc.Budgets.Find("P000001")->AsCompuesto()->Items().Add(line);
    form.edtNombre->setText("Portland");
    form.edtPU->setText("6e307");
    seam.expectMessage("'6e307' is not a valid floating point value");
    form.btnAcceptClick();
    EXPECT_EQ(cement->Name(), "Cement");
    EXPECT_DOUBLE_EQ(cement->Price(), 12.5);
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(PrimariesCatalogue, EditWithNoPrimaryChangesNothing) {
    TSimplesForm form;
    Pick(*form.lbCategorias, 3);
    ASSERT_EQ(form.CurrentPrimary(), nullptr);
    form.btnUpdateClick();
    form.edtNombre->setText("Ghost");
    form.cboUnidad->setCurrentIndex(0);
    form.cboCategoria->setCurrentIndex(0);
    form.cboSubCategoria->setCurrentIndex(0);
    form.edtPU->setText("1");
    form.btnAcceptClick();
    EXPECT_EQ(doc.Primaries.Count(), 6);
    EXPECT_EQ(doc.Saved, 1);
    ExpectBrowse(form);
}

TEST_F(PrimariesCatalogue, DeleteAsksAndRefillsTheList) {
    testing_support::ScriptedSeam seam;
    TSimplesForm form;
    seam.expectMessage("Are you sure to delete this primary?", Answer::No);
    form.btnDeleteClick();
    EXPECT_EQ(doc.Primaries.Count(), 6);
    EXPECT_EQ(doc.Saved, 1);
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].icon, modal::Icon::Warning);
    EXPECT_EQ(seam.messages[0].buttons, modal::Buttons::YesNo);

    seam.expectMessage("Are you sure to delete this primary?", Answer::Yes);
    form.btnDeleteClick();
    EXPECT_EQ(doc.Primaries.Count(), 5);
    EXPECT_EQ(doc.Primaries.Find("S000001"), nullptr);
    EXPECT_EQ(Texts(*form.lbSimples), QStringList({"sand"}));
    EXPECT_EQ(form.CurrentPrimary(), sand);
    EXPECT_EQ(form.edtNombre->text(), "sand");
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form.btnSave->isEnabled());

    Pick(*form.lbCategorias, 3);
    form.btnDeleteClick(); // nothing current: asks nothing
}

TEST_F(PrimariesCatalogue, DeleteRemovesTheLinesThatUseIt) {
    auto compound = std::make_unique<estimating::TInsumoCompuesto>();
    compound->SetKind(1);
    compound->SetSubKind(1);
    compound->SetCode("C000001");
    compound->SetName("Mortar");
    auto* mortar = doc.Compounds.Add(std::move(compound))->AsCompuesto();
    auto budget = std::make_unique<estimating::TPresupuesto>();
    budget->SetKind(1);
    budget->SetSubKind(2);
    budget->SetCode("P000001");
    budget->SetName("House");
    auto* house = doc.Budgets.Add(std::move(budget))->AsCompuesto();
    for (TInsumo* input : {cement, sand}) {
        estimating::TItem line;
        line.Kind = 0;
        line.Code = input->Code();
        line.Insumo = input;
        line.Quantity = 2;
        mortar->Items().Add(line);
        house->Items().Add(line);
    }
    EXPECT_DOUBLE_EQ(mortar->ComputePrice(), 31);

    testing_support::ScriptedSeam seam;
    TSimplesForm form;
    seam.expectMessage("Are you sure", Answer::Yes);
    form.btnDeleteClick();
    EXPECT_FALSE(mortar->Items().Exists("S000001"));
    EXPECT_TRUE(mortar->Items().Exists("S000002"));
    EXPECT_DOUBLE_EQ(mortar->ComputePrice(), 6);
    EXPECT_EQ(house->Items().Count(), 1);
    EXPECT_EQ(house->Items().Item(0).Code, "S000002");
}

TEST_F(PrimariesCatalogue, SaveWritesTheFileOrReportsWhyNot) {
    QTemporaryDir dir;
    doc.SetFileName((dir.path() + "/prices.cdb").toStdString());
    doc.Saved = 0;
    TSimplesForm form;
    EXPECT_TRUE(form.btnSave->isEnabled());
    form.btnSaveClick();
    EXPECT_EQ(doc.Saved, 1);
    EXPECT_FALSE(form.btnSave->isEnabled());
    EXPECT_TRUE(QFile::exists(dir.path() + "/prices.cdb"));

    testing_support::ScriptedSeam seam;
    doc.SetFileName((dir.path() + "/missing/prices.cdb").toStdString());
    doc.Saved = 0;
    TSimplesForm failing;
    seam.expectMessage("Cannot create file");
    failing.btnSave->click();
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(failing.btnSave->isEnabled());
}

TEST_F(PrimariesCatalogue, UnderACommaLocaleTheShownPriceIsAcceptedAgain) {
    estimating::SetDecimalMark(",");
    testing_support::ScriptedSeam seam;
    TSimplesForm form;
    EXPECT_EQ(form.edtPU->text(), "           12,50");
    form.btnUpdateClick();
    form.btnAcceptClick();
    EXPECT_DOUBLE_EQ(cement->Price(), 12.5);
    form.edtPU->setText("7.25"); // a period still reads
    form.btnAcceptClick();
    EXPECT_DOUBLE_EQ(cement->Price(), 7.25);
    EXPECT_EQ(form.edtPU->text(), "            7,25");
    form.edtPU->setText("1.000,5");
    seam.expectMessage("Wrong or missing data.");
    form.btnAcceptClick();
    EXPECT_DOUBLE_EQ(cement->Price(), 7.25);
}

TEST_F(PrimariesCatalogue, PriceChangeRefillsTheListAndFollowsTheSavedFlag) {
    testing_support::ScriptedSeam seam;
    TSimplesForm form;
    seam.expectDialog("TModificarPreciosForm", [](QDialog& d) {
        auto& prices = static_cast<TModificarPreciosForm&>(d);
        prices.chkCategorias->item(0)->setCheckState(Qt::Checked);
        prices.chkSubcategorias->item(1)->setCheckState(Qt::Checked); // aggregates
        prices.chbSimples->click();
        prices.edtPorcent->setText("100");
    });
    form.btnModificarPreciosClick();
    // The dialog's Accept was not pressed: nothing changed.
    EXPECT_DOUBLE_EQ(cement->Price(), 12.5);

    seam.expectDialog("TModificarPreciosForm", [](QDialog& d) {
        auto& prices = static_cast<TModificarPreciosForm&>(d);
        prices.chkCategorias->item(0)->setCheckState(Qt::Checked);
        prices.chkSubcategorias->item(1)->setCheckState(Qt::Checked);
        prices.chbSimples->click();
        prices.edtPorcent->setText("100");
        prices.btnAccept->click();
    });
    seam.expectMessage("Modifications made successfully.");
    form.btnModificarPreciosClick();
    EXPECT_DOUBLE_EQ(cement->Price(), 25);
    EXPECT_DOUBLE_EQ(sand->Price(), 6);
    EXPECT_EQ(form.edtPU->text(), "           25.00");
    EXPECT_TRUE(form.btnSave->isEnabled());
}

TEST_F(PrimariesCatalogue, OtherDialogsRefreshUnitsAndSubcategories) {
    testing_support::ScriptedSeam seam;
    TSimplesForm form;
    doc.Units.Add("m3");
    AddSubcategory(doc, "Bricks", "Materials");
    doc.Saved = 0;
    seam.expectDialog("TUnidadesForm", [](QDialog& d) { EXPECT_EQ(UnidadesForm, &d); });
    form.btnUnidadesClick();
    EXPECT_EQ(ComboTexts(*form.cboUnidad), QStringList({"Bag", "h", "kg", "m3"}));
    EXPECT_EQ(form.cboUnidad->currentText(), "Bag");
    EXPECT_TRUE(form.btnSave->isEnabled());
    seam.expectDialog("TSubcategoriasSimplesForm",
                      [](QDialog& d) { EXPECT_EQ(SubcategoriasSimplesForm, &d); });
    form.btnOpenSubcatClick();
    EXPECT_EQ(Texts(*form.lbSubcategorias),
              QStringList({"aggregates", "Bricks", "Others", "Steel"}));
    EXPECT_EQ(form.CurrentPrimary(), cement);
    EXPECT_EQ(form.cboSubCategoria->currentText(), "aggregates");
    EXPECT_EQ(UnidadesForm, nullptr);
    EXPECT_EQ(SubcategoriasSimplesForm, nullptr);
}

TEST_F(PrimariesCatalogue, UnitsFormWhileAddingKeepsWhatIsTyped) {
    testing_support::ScriptedSeam seam;
    TSimplesForm form;
    form.btnAddClick();
    form.edtNombre->setText("Gravel");
    Choose(*form.cboUnidad, "kg");
    doc.Units.Add("t");
    seam.expectDialog("TUnidadesForm", [](QDialog&) {});
    form.btnUnidadesClick();
    EXPECT_TRUE(form.IsAdding());
    EXPECT_EQ(form.edtNombre->text(), "Gravel");
    EXPECT_EQ(form.edtCodigo->text(), "S000007");
    EXPECT_EQ(form.cboUnidad->currentText(), "kg");
    EXPECT_EQ(form.cboUnidad->count(), 4);
}
