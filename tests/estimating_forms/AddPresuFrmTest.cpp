#include "AddPresuFrm.h"
#include "MainFormFixture.h"
#include "MyUtils.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace forms_testing;
using testing_support::ScriptedSeam;

namespace {

// House P000001 and Shed P000004 from the sample, and:
//   Annex: division "Wing" holding House; Block: Annex as a sub-budget; free "arbour".
class AddPresuFrmTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        buildSample(*Document);
        TInsumo* house = Document->Budgets.Find("P000001");
        TInsumoCompuesto* annex = addCompoundType(*Document, 2, "Annex", "Gl.");
        TInsumoCompuesto* wing = addCompoundType(*Document, 3, "Wing", "Gl.");
        addLine(*wing, *house, 1);
        addLine(*annex, *wing, 1);
        TInsumoCompuesto* block = addCompoundType(*Document, 2, "Block", "Gl.");
        addLine(*block, *annex, 2);
        addCompoundType(*Document, 2, "arbour", "Gl.");
    }
    void TearDown() override {
        estimating::SetDecimalMark(".");
        MainFormTest::TearDown();
    }
    static QStringList rows(const TAddPresuForm& d) {
        QStringList texts;
        for (int i = 0; i < d.lbPresupuestos->count(); ++i)
            texts.append(d.lbPresupuestos->item(i)->text());
        return texts;
    }
    static void select(TAddPresuForm& d, const QString& name) {
        const auto found = d.lbPresupuestos->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        d.lbPresupuestos->setCurrentItem(found.front());
    }
};

} // namespace

TEST_F(AddPresuFrmTest, NeverOffersTheShownBudgetNorAnyBudgetReachingIt) {
    TAddPresuForm d(form);
    EXPECT_EQ(d.windowTitle(), "Agregar subpresupuesto");
    d.ExcludedCode = "P000001";
    d.FormShow();
    EXPECT_EQ(rows(d), QStringList({"arbour", "Shed"}));
    EXPECT_EQ(d.Cancelled, 1);
    EXPECT_TRUE(d.ChosenCode.isEmpty());

    // From Annex, House is still offered (it does not contain Annex), Block is not.
    ASSERT_EQ(Document->Budgets.Find("P000005")->Name(), "Annex");
    d.ExcludedCode = "P000005";
    d.FormShow();
    EXPECT_EQ(rows(d), QStringList({"arbour", "House", "Shed"}));
}

TEST_F(AddPresuFrmTest, AcceptWithoutARowDoesNothing) {
    ScriptedSeam seam;
    TAddPresuForm d(form);
    d.ExcludedCode = "P000001";
    d.FormShow();
    d.edtCant->setText("1");
    d.btnAccept->click();
    EXPECT_EQ(d.Cancelled, 1);
    EXPECT_NE(d.result(), QDialog::Accepted);
}

TEST_F(AddPresuFrmTest, EmptyQuantityShowsTheConversionMessageAlone) {
    ScriptedSeam seam;
    TAddPresuForm d(form);
    d.ExcludedCode = "P000001";
    d.FormShow();
    select(d, "Shed");
    seam.expectMessage("'' is not a valid floating point value");
    d.btnAccept->click();
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "'' is not a valid floating point value");
    EXPECT_TRUE(d.ChosenCode.isEmpty());
    EXPECT_NE(d.result(), QDialog::Accepted);
    d.btnCancel->click();
    EXPECT_TRUE(d.ChosenCode.isEmpty());
    EXPECT_EQ(d.Cancelled, 1);
    EXPECT_EQ(d.Quantity, 0.0);
}

TEST_F(AddPresuFrmTest, AQuantityMakingAnInfiniteAmountIsRefusedAsUnreadable) {
    ScriptedSeam seam;
    TAddPresuForm d(form);
    d.ExcludedCode = "P000001";
    d.FormShow();
    select(d, "Shed");
    seam.expectMessage("'1e308' is not a valid floating point value");
    d.edtCant->setText("1e308");
    d.btnAccept->click();
    // Nor one whose line is finite but not the price of the budget holding the division.
    TInsumoCompuesto* roof = Document->Budgets.Find("D000003")->AsCompuesto();
    d.Holder = roof;
    Document->Budgets.Find("P000001")->AsCompuesto()->Items().Find("C000002")->Quantity = 1e306;
    seam.expectMessage("'2e306' is not a valid floating point value");
    d.edtCant->setText("2e306");
    d.btnAccept->click();
    EXPECT_EQ(roof->Items().Count(), 0);
    EXPECT_TRUE(d.ChosenCode.isEmpty());
    EXPECT_EQ(d.Cancelled, 1);
    EXPECT_NE(d.result(), QDialog::Accepted);
    d.edtCant->setText("2"); // tried there only: the opener adds the line
    d.btnAccept->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(roof->Items().Count(), 0);
}

TEST_F(AddPresuFrmTest, AnyNumberIsAQuantityInTheLocalesForm) {
    ScriptedSeam seam;
    TAddPresuForm d(form);
    d.ExcludedCode = "P000001";
    d.FormShow();
    select(d, "Shed");
    d.edtCant->setText("-3");
    d.btnAccept->click();
    EXPECT_EQ(d.ChosenCode, "P000004");
    EXPECT_EQ(d.Quantity, -3.0);
    EXPECT_EQ(d.Cancelled, 0);

    estimating::SetDecimalMark(",");
    d.FormShow();
    EXPECT_EQ(d.Cancelled, 1);
    EXPECT_TRUE(d.ChosenCode.isEmpty());
    select(d, "arbour");
    d.edtCant->setText("2,5");
    d.btnAccept->click();
    EXPECT_EQ(d.Quantity, 2.5);
}
