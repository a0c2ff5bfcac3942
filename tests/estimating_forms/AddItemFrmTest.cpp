#include "AddItemFrm.h"
#include "MainFormFixture.h"
#include "MyUtils.h"
#include "TreeEditTestData.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace forms_testing;
using testing_support::ScriptedSeam;

namespace {

class AddItemFrmTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        buildSample(*Document);
        addCatalogue(*Document);
    }
    void TearDown() override {
        estimating::SetDecimalMark(".");
        MainFormTest::TearDown();
    }

    // Chooses a row as the user does: the selection changes, then the click arrives.
    static void choose(QComboBox* list, const QString& text) {
        const int at = list->findText(text);
        ASSERT_GE(at, 0) << text.toStdString();
        list->setCurrentIndex(at);
        emit list->activated(at);
    }
    static void pick(TAddSimpleForm& p, const QString& category, const QString& subcategory,
                     const QString& item) {
        choose(p.cboCategorias, category);
        choose(p.cboSubcategorias, subcategory);
        choose(p.cboSimples, item);
    }
    static std::string codeOf(const char* name) {
        for (const auto& p : Document->Primaries.List())
            if (p->Name() == name)
                return p->Code();
        for (const auto& c : Document->Compounds.List())
            if (c->Name() == name)
                return c->Code();
        return {};
    }
};

} // namespace

TEST_F(AddItemFrmTest, PrimaryModeOffersTheFiveCostTypesSortedAndNothingChosen) {
    TAddSimpleForm p(form);
    EXPECT_EQ(p.windowTitle(), "Add item");
    p.Mode = 0;
    p.PrepareChoices();
    EXPECT_EQ(p.windowTitle(), "Add primary");
    EXPECT_EQ(itemsOf(*p.cboCategorias),
              QStringList({"Equipment", "Labor", "Materials", "Others", "Subcontracts"}));
    EXPECT_EQ(p.cboCategorias->currentIndex(), -1);
    EXPECT_EQ(p.cboSubcategorias->count(), 0);
    EXPECT_EQ(p.cboSimples->count(), 0);
    EXPECT_TRUE(p.ChosenCode.isEmpty());
    EXPECT_EQ(p.Quantity, 0.0);
}

TEST_F(AddItemFrmTest, CategoryThenSubcategoryNarrowTheItems) {
    TAddSimpleForm p(form);
    p.PrepareChoices();
    choose(p.cboCategorias, "Materials");
    EXPECT_EQ(itemsOf(*p.cboSubcategorias), QStringList({"Binders", "Empty"}));
    EXPECT_EQ(p.cboSimples->count(), 0);
    choose(p.cboSubcategorias, "Binders");
    // Sorted without regard to letter case.
    EXPECT_EQ(itemsOf(*p.cboSimples), QStringList({"Cement", "lime"}));
    EXPECT_EQ(p.cboSimples->currentIndex(), -1);
    choose(p.cboSubcategorias, "Empty");
    EXPECT_EQ(p.cboSimples->count(), 0);
}

TEST_F(AddItemFrmTest, PrimaryWithoutSubcategoryIsNeverOffered) {
    TAddSimpleForm p(form);
    p.PrepareChoices();
    choose(p.cboCategorias, "Others");
    EXPECT_EQ(itemsOf(*p.cboSubcategorias), QStringList({"Fees"}));
    choose(p.cboSubcategorias, "Fees");
    EXPECT_EQ(itemsOf(*p.cboSimples), QStringList({"Permit"}));
    choose(p.cboCategorias, "Equipment");
    EXPECT_EQ(p.cboSubcategorias->count(), 0);
}

TEST_F(AddItemFrmTest, AcceptGivesCodeAndQuantity) {
    ScriptedSeam seam;
    TAddSimpleForm p(form);
    p.PrepareChoices();
    pick(p, "Materials", "Binders", "lime");
    p.edtCantidad->setText("2.5");
    p.btnAccept->click();
    EXPECT_EQ(p.result(), QDialog::Accepted);
    EXPECT_EQ(p.ChosenCode.toStdString(), codeOf("lime"));
    EXPECT_EQ(p.Quantity, 2.5);
    // Preparing again forgets the earlier choice.
    p.PrepareChoices();
    EXPECT_TRUE(p.ChosenCode.isEmpty());
    EXPECT_EQ(p.Quantity, 0.0);
}

TEST_F(AddItemFrmTest, MissingOrMalformedDataKeepsTheDialogOpen) {
    ScriptedSeam seam;
    TAddSimpleForm p(form);
    p.PrepareChoices();
    for (int i = 0; i < 5; ++i)
        seam.expectMessage("Error : Wrong or missing data.");
    p.edtCantidad->setText("2");
    p.btnAccept->click(); // no item
    pick(p, "Labor", "Crew", "Mason");
    for (const char* text : {"", "abc", "2,5", "1.5x"}) {
        p.edtCantidad->setText(text);
        p.btnAccept->click();
    }
    EXPECT_NE(p.result(), QDialog::Accepted);
    EXPECT_TRUE(p.ChosenCode.isEmpty());
    EXPECT_EQ(p.Quantity, 0.0);
    ASSERT_EQ(seam.messages.size(), 5u);
    EXPECT_EQ(seam.messages[0].text, "Error : Wrong or missing data.");
}

TEST_F(AddItemFrmTest, CommaLocaleAcceptsBothForms) {
    estimating::SetDecimalMark(",");
    ScriptedSeam seam;
    for (const char* text : {"2.5", "2,5"}) {
        TAddSimpleForm p(form);
        p.PrepareChoices();
        pick(p, "Labor", "Crew", "Mason");
        p.edtCantidad->setText(text);
        p.btnAccept->click();
        EXPECT_EQ(p.result(), QDialog::Accepted) << text;
        EXPECT_EQ(p.Quantity, 2.5) << text;
    }
}

TEST_F(AddItemFrmTest, AQuantityMakingAnInfiniteAmountIsRefused) {
    ScriptedSeam seam;
    TAddSimpleForm p(form);
    p.PrepareChoices();
    pick(p, "Labor", "Crew", "Mason");
    seam.expectMessage("Error : '1e308' is not a valid floating point value");
    p.edtCantidad->setText("1e308");
    p.btnAccept->click();
    // Nor one whose line is finite but not the price of the budget holding the division.
    estimating::TInsumoCompuesto* roof = Document->Budgets.Find("D000003")->AsCompuesto();
    p.Holder = roof;
    Document->Budgets.Find("P000001")->AsCompuesto()->Items().Find("C000002")->Quantity = 1e306;
    seam.expectMessage("Error : '5e306' is not a valid floating point value");
    p.edtCantidad->setText("5e306");
    p.btnAccept->click();
    EXPECT_EQ(roof->Items().Count(), 0);
    EXPECT_NE(p.result(), QDialog::Accepted);
    EXPECT_TRUE(p.ChosenCode.isEmpty());
    EXPECT_EQ(p.Quantity, 0.0);
    // A quantity that fits is tried there only: the opener adds the line.
    p.edtCantidad->setText("2");
    p.btnAccept->click();
    EXPECT_EQ(p.result(), QDialog::Accepted);
    EXPECT_EQ(roof->Items().Count(), 0);
}

TEST_F(AddItemFrmTest, OldItemRowsStayUntilANewSubcategoryIsChosen) {
    ScriptedSeam seam;
    TAddSimpleForm p(form);
    p.PrepareChoices();
    pick(p, "Materials", "Binders", "Cement");
    choose(p.cboCategorias, "Labor");
    EXPECT_EQ(itemsOf(*p.cboSubcategorias), QStringList({"Crew"}));
    EXPECT_EQ(itemsOf(*p.cboSimples), QStringList({"Cement", "lime"}));
    p.edtCantidad->setText("1");
    p.btnAccept->click();
    EXPECT_EQ(p.ChosenCode.toStdString(), codeOf("Cement"));
}

TEST_F(AddItemFrmTest, CancelForgetsTheChoice) {
    ScriptedSeam seam;
    TAddSimpleForm p(form);
    p.PrepareChoices();
    pick(p, "Materials", "Binders", "Cement");
    p.edtCantidad->setText("1");
    p.btnAccept->click();
    ASSERT_FALSE(p.ChosenCode.isEmpty());
    p.btnCancel->click();
    EXPECT_TRUE(p.ChosenCode.isEmpty());
    EXPECT_EQ(p.Quantity, 0.0);
    EXPECT_EQ(p.result(), QDialog::Rejected);
}

TEST_F(AddItemFrmTest, CompoundModeUsesCompoundCategories) {
    ScriptedSeam seam;
    TAddCompuestoForm p(form);
    p.Mode = 1;
    p.PrepareChoices();
    EXPECT_EQ(p.windowTitle(), "Add compound");
    EXPECT_EQ(itemsOf(*p.cboCategorias), QStringList({"Finishes", "Structure"}));
    choose(p.cboCategorias, "Structure");
    EXPECT_EQ(itemsOf(*p.cboSubcategorias), QStringList({"Mixes", "Walls"}));
    choose(p.cboSubcategorias, "Walls");
    EXPECT_EQ(itemsOf(*p.cboSimples), QStringList({"Wall"}));
    choose(p.cboSimples, "Wall");
    p.edtCantidad->setText("-1.5e1");
    p.btnAccept->click();
    EXPECT_EQ(p.ChosenCode.toStdString(), codeOf("Wall"));
    EXPECT_EQ(p.Quantity, -15.0);
}

TEST_F(AddItemFrmTest, OtherModeOffersNothingAndKeepsTheCaption) {
    TAddSimpleForm p(form);
    p.Mode = 7;
    p.PrepareChoices();
    EXPECT_EQ(p.windowTitle(), "Add item");
    EXPECT_EQ(p.cboCategorias->count(), 0);
}
