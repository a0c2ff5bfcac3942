// The budget details: its data, the surcharge rates and the bid price.

#include "DetallePresuFrm.h"
#include "PresupuestosTestData.h"
#include "ScriptedSeam.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace budget_testing;

namespace {

// A budget whose direct cost is 100.00: one primary of price 100.
class BudgetDetails : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        TInsumo* item = addPrimary(doc, "Lump sum", "Others", 100, "Gl.");
        budget = addCompoundType(doc, estimating::kSubKindBudget, "School");
        addLine(*budget, *item, 1);
        budget->SetDescription("Line one\r\nLine two");
        budget->SetClient("Town");
        budget->SetPlacement("North");
        doc.Saved = 1;
    }
    void Open() {
        form = std::make_unique<TDetallePresuForm>();
        form->Budget = budget;
        form->show();
    }
    void SetRates(double g, double p, double v, double o) {
        budget->SetGeneralCostsRate(g);
        budget->SetProfitRate(p);
        budget->SetVatRate(v);
        budget->SetOtherChargesRate(o);
    }
    void DoubleClick(QLabel* box) {
        const QPointF at(box->width() / 2.0, box->height() / 2.0);
        QMouseEvent event(QEvent::MouseButtonDblClick, at, box->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &event);
    }
    QStringList Figures() const {
        return {form->stCostoDirecto->text(), form->stGastosGenerales->text(),
                form->stBeneficio->text(),    form->stIVA->text(),
                form->stOtros->text(),        form->stPrecio->text()};
    }

    TInsumoCompuesto* budget = nullptr;
    std::unique_ptr<TDetallePresuForm> form;
};

} // namespace

TEST_F(BudgetDetails, ShowsTheBudgetAndItsBidPrice) {
    SetRates(0.10, 0.20, 0.21, 0.05);
    Open();
    EXPECT_EQ(form->windowTitle(), "Budget Details");
    EXPECT_EQ(form->edtNombre->text(), "School");
    EXPECT_EQ(form->edtDescripcion->toPlainText(), "Line one\nLine two");
    EXPECT_EQ(form->edtCliente->text(), "Town");
    EXPECT_EQ(form->edtLugar->text(), "North");
    EXPECT_EQ(Figures(), QStringList({"100.00", "10.00", "22.00", "27.72", "6.60", "166.32"}));
    EXPECT_EQ(form->stGastosGeneralesPorcent->text(), "10.00");
    EXPECT_EQ(form->stBeneficioPorcent->text(), "20.00");
    EXPECT_EQ(form->stIvaPorcent->text(), "21.00");
    EXPECT_EQ(form->stOtrosPorcent->text(), "5.00");
    EXPECT_FALSE(form->btnSave->isEnabled());
    EXPECT_EQ(form->btnAccept->text(), "Update");
    EXPECT_EQ(form->btnCancel->text(), "Close");
}

TEST_F(BudgetDetails, WithoutRatesTheBidPriceIsTheDirectCost) {
    Open();
    EXPECT_EQ(Figures(), QStringList({"100.00", "0.00", "0.00", "0.00", "0.00", "100.00"}));
}

TEST_F(BudgetDetails, SaveButtonFollowsTheDocumentWhenOpened) {
    doc.Saved = 0;
    Open();
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(BudgetDetails, DoubleClickOnAPercentageSetsItsRate) {
    Open();
    testing_support::ScriptedSeam seam;
    seam.expectInput("Modify percentage\nInput a new value.", "10")
        .expectInput("Input a new value.", "20")
        .expectInput("Input a new value.", "21")
        .expectInput("Input a new value.", "5");
    DoubleClick(form->stGastosGeneralesPorcent);
    EXPECT_DOUBLE_EQ(budget->GeneralCostsRate(), 0.10);
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
    DoubleClick(form->stBeneficioPorcent);
    DoubleClick(form->stIvaPorcent);
    DoubleClick(form->stOtrosPorcent);
    EXPECT_DOUBLE_EQ(budget->ProfitRate(), 0.20);
    EXPECT_DOUBLE_EQ(budget->VatRate(), 0.21);
    EXPECT_DOUBLE_EQ(budget->OtherChargesRate(), 0.05);
    EXPECT_EQ(Figures(), QStringList({"100.00", "10.00", "22.00", "27.72", "6.60", "166.32"}));
    EXPECT_EQ(form->stOtrosPorcent->text(), "5.00");
}

TEST_F(BudgetDetails, TheRateTakesTheFullValueTyped) {
    Open();
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input a new value.", "12.3456");
    DoubleClick(form->stIvaPorcent);
    EXPECT_DOUBLE_EQ(budget->VatRate(), 0.123456);
    EXPECT_EQ(form->stIvaPorcent->text(), "12.35");
}

TEST_F(BudgetDetails, ZeroIsAcceptedANegativeValueChangesNothing) {
    SetRates(0.10, 0, 0, 0);
    Open();
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input a new value.", "-3").expectInput("Input a new value.", "0");
    DoubleClick(form->stGastosGeneralesPorcent);
    EXPECT_DOUBLE_EQ(budget->GeneralCostsRate(), 0.10);
    EXPECT_EQ(form->stGastosGeneralesPorcent->text(), "10.00");
    EXPECT_EQ(doc.Saved, 1);
    DoubleClick(form->stGastosGeneralesPorcent);
    EXPECT_DOUBLE_EQ(budget->GeneralCostsRate(), 0.0);
    EXPECT_EQ(form->stGastosGenerales->text(), "0.00");
    EXPECT_EQ(doc.Saved, 0);
}

TEST_F(BudgetDetails, CancelledInputAppliesTheShownValue) {
    SetRates(0, 0.155, 0, 0);
    Open();
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input a new value.", std::nullopt);
    DoubleClick(form->stBeneficioPorcent);
    EXPECT_DOUBLE_EQ(budget->ProfitRate(), 0.155);
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(BudgetDetails, ANonNumberOrAnOverlargeRateShowsTheConversionErrorAlone) {
    SetRates(0.10, 0, 1.0, 0);
    Open();
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input a new value.", "12,5")
        .expectMessage("'12,5' is not a valid floating point value")
        .expectInput("Input a new value.", "inf")
        .expectMessage("'inf' is not a valid floating point value")
        .expectInput("Input a new value.", "1e308") // with VAT at 100 %, an infinite bid price
        .expectMessage("'1e308' is not a valid floating point value");
    DoubleClick(form->stGastosGeneralesPorcent);
    DoubleClick(form->stGastosGeneralesPorcent);
    DoubleClick(form->stGastosGeneralesPorcent);
    EXPECT_EQ(seam.messages[0].text, "'12,5' is not a valid floating point value");
    EXPECT_DOUBLE_EQ(budget->GeneralCostsRate(), 0.10);
    EXPECT_EQ(doc.Saved, 1);
    // A bid price the file already holds infinite blocks no other rate.
    budget->Items().Item(0).Quantity = 1e308;
    seam.expectInput("Input a new value.", "5");
    DoubleClick(form->stGastosGeneralesPorcent);
    EXPECT_DOUBLE_EQ(budget->GeneralCostsRate(), 0.05);
}

TEST_F(BudgetDetails, UpdateStoresTheFieldsAndTheShownRates) {
    SetRates(0.123456, 0, 0, 0);
    Open();
    form->edtNombre->setText("New school");
    form->edtDescripcion->setPlainText("First\nSecond");
    form->edtCliente->setText("County");
    form->edtLugar->setText("South");
    form->btnAccept->click();
    EXPECT_EQ(budget->Name(), "New school");
    EXPECT_EQ(budget->Description(), "First\r\nSecond");
    EXPECT_EQ(budget->Client(), "County");
    EXPECT_EQ(budget->Placement(), "South");
    EXPECT_DOUBLE_EQ(budget->GeneralCostsRate(), 0.1235);
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(BudgetDetails, UpdateWithoutANameStoresNothing) {
    Open();
    form->edtNombre->clear();
    form->edtCliente->setText("Other");
    form->edtDescripcion->setPlainText("Other");
    testing_support::ScriptedSeam seam;
    seam.expectMessage("The name field is missing.");
    form->btnAccept->click();
    EXPECT_EQ(budget->Name(), "School");
    EXPECT_EQ(budget->Client(), "Town");
    EXPECT_EQ(budget->Description(), "Line one\r\nLine two");
    EXPECT_EQ(doc.Saved, 1);
    EXPECT_FALSE(form->btnSave->isEnabled());
}

TEST_F(BudgetDetails, SaveWritesTheDocumentAndDisablesSave) {
    QTemporaryDir dir;
    const QString file = dir.filePath("school.cdb");
    doc.SetFileName(file.toStdString());
    Open();
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input a new value.", "7");
    DoubleClick(form->stIvaPorcent);
    ASSERT_TRUE(form->btnSave->isEnabled());
    form->btnSave->click();
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(doc.Saved, 1);
    EXPECT_FALSE(form->btnSave->isEnabled());

    TDocument reread;
    reread.SetFileName(file.toStdString());
    ASSERT_TRUE(reread.Load());
    EXPECT_DOUBLE_EQ(reread.Budgets.Find(budget->Code())->AsCompuesto()->VatRate(), 0.07);
}

TEST_F(BudgetDetails, AFailedSaveIsReportedAndSaveStaysEnabled) {
    QTemporaryDir dir;
    doc.SetFileName(dir.filePath("missing/school.cdb").toStdString());
    doc.Saved = 0;
    Open();
    testing_support::ScriptedSeam seam;
    seam.expectMessage("Cannot create file");
    form->btnSave->click();
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(BudgetDetails, CloseEndsTheDialogKeepingWhatWasDone) {
    Open();
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input a new value.", "4");
    DoubleClick(form->stOtrosPorcent);
    form->btnCancel->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_DOUBLE_EQ(budget->OtherChargesRate(), 0.04);
}
