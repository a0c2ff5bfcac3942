// The budget list: what it lists, choosing, and creating, renaming and deleting budgets.

#include "PresupuestosFrm.h"
#include "PresupuestosTestData.h"
#include "ScriptedSeam.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace budget_testing;
using modal::Answer;

namespace {

class BudgetList : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        data = std::make_unique<SampleBudgets>(doc);
    }
    QStringList Rows() const {
        QStringList rows;
        for (int i = 0; i < form.cboPresupuestos->count(); ++i)
            rows << form.cboPresupuestos->item(i)->text();
        return rows;
    }
    void Select(int row) { form.cboPresupuestos->setCurrentRow(row); }
    // Arrow keys on the list, as the user presses them.
    void PressKey(Qt::Key key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(form.cboPresupuestos, &press);
    }
    bool HasLineTo(TInsumoCompuesto& holder, const std::string& code) const {
        return holder.Items().Exists(code);
    }

    std::unique_ptr<SampleBudgets> data;
    TPresupuestosForm form;
};

} // namespace

TEST_F(BudgetList, ListsOnlyBudgetsInCollectionOrder) {
    EXPECT_EQ(form.windowTitle(), "Budgets");
    form.show();
    EXPECT_EQ(Rows(), QStringList({"House", "Shed", "Barn"}));
    EXPECT_EQ(form.cboPresupuestos->currentRow(), -1);
    EXPECT_EQ(form.Cancelled, 1);
    EXPECT_TRUE(form.ChosenCode.isEmpty());
    EXPECT_EQ(form.SelectedBudget, nullptr);
    for (const char* name :
         {"cboPresupuestos", "btnAdd", "btnRename", "btnDelete", "btnAccept", "btnCancel"})
        EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
}

TEST_F(BudgetList, TheBudgetShownIsNeverListed) {
    form.ExcludedBudget = data->house;
    form.FormShow();
    EXPECT_EQ(Rows(), QStringList({"Shed", "Barn"}));
}

TEST_F(BudgetList, EachShowingStartsAfresh) {
    form.FormShow();
    Select(1);
    form.btnAcceptClick();
    EXPECT_EQ(form.Cancelled, 0);
    form.FormShow();
    EXPECT_EQ(form.Cancelled, 1);
    EXPECT_TRUE(form.ChosenCode.isEmpty());
    EXPECT_EQ(form.SelectedBudget, nullptr);
    EXPECT_EQ(Rows().size(), 3);
}

TEST_F(BudgetList, EmptyListAcceptsNothingAndCancels) {
    TDocument onlyOne;
    Document = &onlyOne;
    TInsumoCompuesto* single = addCompoundType(onlyOne, estimating::kSubKindBudget, "Single");
    form.ExcludedBudget = single;
    form.FormShow();
    EXPECT_TRUE(Rows().isEmpty());
    form.btnAccept->click();
    EXPECT_EQ(form.Cancelled, 1);
    EXPECT_EQ(form.result(), QDialog::Rejected);
    form.btnCancel->click();
    EXPECT_EQ(form.Cancelled, 1);
    EXPECT_TRUE(form.ChosenCode.isEmpty());
    Document = &doc;
}

TEST_F(BudgetList, SelectingByMouseOrKeyboardChoosesTheRow) {
    form.show();
    Select(1);
    EXPECT_EQ(form.SelectedBudget, data->shed);
    EXPECT_EQ(form.ChosenCode, "P000003");
    form.cboPresupuestos->setFocus();
    PressKey(Qt::Key_Down);
    EXPECT_EQ(form.SelectedBudget, data->barn);
    EXPECT_EQ(form.ChosenCode, "P000004");
    PressKey(Qt::Key_Up);
    PressKey(Qt::Key_Up);
    EXPECT_EQ(form.SelectedBudget, data->house);
}

TEST_F(BudgetList, TheRowTheFocusMakesCurrentIsSelected) {
    form.show();
    QFocusEvent focusIn(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(form.cboPresupuestos, &focusIn);
    ASSERT_EQ(form.cboPresupuestos->currentRow(), 0);
    EXPECT_TRUE(form.cboPresupuestos->item(0)->isSelected());
    form.btnAccept->click();
    EXPECT_EQ(form.Cancelled, 0);
    EXPECT_EQ(form.ChosenCode, "P000001");
}

TEST_F(BudgetList, AcceptHandsBackTheChosenCode) {
    form.show();
    Select(2);
    form.btnAccept->click();
    EXPECT_EQ(form.Cancelled, 0);
    EXPECT_EQ(form.ChosenCode, "P000004");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(doc.Budgets.Find(form.ChosenCode.toStdString()), data->barn);
}

TEST_F(BudgetList, DoubleClickIsAccept) {
    form.show();
    Select(0);
    emit form.cboPresupuestos->itemDoubleClicked(form.cboPresupuestos->item(0));
    EXPECT_EQ(form.Cancelled, 0);
    EXPECT_EQ(form.ChosenCode, "P000001");
}

TEST_F(BudgetList, CancelForgetsTheChoiceClosingByTheFrameKeepsIt) {
    form.show();
    Select(1);
    form.btnCancel->click();
    EXPECT_EQ(form.Cancelled, 1);
    EXPECT_TRUE(form.ChosenCode.isEmpty());
    EXPECT_FALSE(form.isVisible());

    form.show();
    Select(2);
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Cancelled, 1);
    EXPECT_EQ(form.ChosenCode, "P000004");
}

TEST_F(BudgetList, NewBudgetIsAddedWithTheNextCodeAndMarksTheDocumentUnsaved) {
    form.show();
    Select(0);
    testing_support::ScriptedSeam seam;
    seam.expectInput("New budget\nInput a name", "Garage").expectInput("Input a name", "Pool");
    form.btnAdd->click();
    form.btnAdd->click();
    EXPECT_EQ(Rows(), QStringList({"House", "Shed", "Barn", "Garage", "Pool"}));
    EXPECT_EQ(form.cboPresupuestos->currentRow(), 0);
    EXPECT_EQ(form.SelectedBudget, data->house);

    TInsumo* garage = doc.Budgets.Find("P000005");
    ASSERT_NE(garage, nullptr);
    EXPECT_EQ(garage->Name(), "Garage");
    EXPECT_EQ(garage->Unit(), "Gl.");
    EXPECT_EQ(garage->Kind(), 1);
    EXPECT_EQ(garage->SubKind(), 2);
    EXPECT_EQ(garage->AsCompuesto()->Items().Count(), 0);
    ASSERT_NE(doc.Budgets.Find("P000006"), nullptr);
    EXPECT_EQ(doc.Budgets.Find("P000006")->Name(), "Pool");
    EXPECT_EQ(doc.Saved, 0);

    Select(4);
    form.btnAccept->click();
    EXPECT_EQ(form.ChosenCode, "P000006");
}

TEST_F(BudgetList, NewWithoutANameCreatesNothing) {
    form.FormShow();
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input a name", "")
        .expectMessage("You must type a name.")
        .expectInput("Input a name", std::nullopt)
        .expectMessage("You must type a name.");
    form.btnAdd->click();
    form.btnAdd->click();
    EXPECT_EQ(doc.Budgets.Count(), 4);
    EXPECT_EQ(Rows().size(), 3);
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(BudgetList, RenameChangesTheBudgetAndItsRow) {
    form.FormShow();
    Select(1);
    testing_support::ScriptedSeam seam;
    seam.expectInput("Rename budget\nInput a new name.", "Hut");
    form.btnRename->click();
    EXPECT_EQ(data->shed->Name(), "Hut");
    EXPECT_EQ(Rows(), QStringList({"House", "Hut", "Barn"}));
    EXPECT_EQ(doc.Saved, 0);
}

TEST_F(BudgetList, RenameCancelledOrEmptyKeepsTheName) {
    form.FormShow();
    Select(2);
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input a new name.", std::nullopt).expectInput("Input a new name.", "");
    form.btnRename->click();
    form.btnRename->click();
    EXPECT_EQ(data->barn->Name(), "Barn");
    EXPECT_EQ(Rows(), QStringList({"House", "Shed", "Barn"}));
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(BudgetList, WithoutASelectedRowRenameDeleteAndAcceptDoNothing) {
    form.show();
    testing_support::ScriptedSeam seam;
    form.btnRename->click();
    form.btnDelete->click();
    EXPECT_TRUE(seam.log().empty());
    EXPECT_EQ(doc.Budgets.Count(), 4);

    // Ctrl+click on the selected row deselects it; the form must let go of its budget.
    Select(1);
    const QPoint shedRow =
        form.cboPresupuestos->visualItemRect(form.cboPresupuestos->item(1)).center();
    QTest::mouseClick(form.cboPresupuestos->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      shedRow);
    ASSERT_TRUE(form.cboPresupuestos->selectedItems().isEmpty());
    EXPECT_EQ(form.SelectedBudget, nullptr);
    form.btnDelete->click();
    form.btnRename->click();
    form.btnAccept->click();
    EXPECT_TRUE(seam.log().empty());
    EXPECT_EQ(form.Cancelled, 1);
    EXPECT_EQ(doc.Budgets.Find("P000003"), data->shed);
    EXPECT_EQ(Rows(), QStringList({"House", "Shed", "Barn"}));

    QTest::mouseClick(form.cboPresupuestos->viewport(), Qt::LeftButton, {}, shedRow);
    EXPECT_EQ(form.SelectedBudget, data->shed);
}

TEST_F(BudgetList, DeleteAnsweredNoLeavesEverything) {
    form.FormShow();
    Select(1);
    testing_support::ScriptedSeam seam;
    seam.expectMessage("Are you sure to delete this budget?", Answer::No);
    form.btnDelete->click();
    ASSERT_EQ(seam.messages.size(), 1U);
    EXPECT_EQ(seam.messages[0].buttons, modal::Buttons::YesNo);
    EXPECT_EQ(seam.messages[0].icon, modal::Icon::Warning);
    EXPECT_EQ(doc.Budgets.Count(), 4);
    EXPECT_EQ(Rows().size(), 3);
    EXPECT_EQ(form.SelectedBudget, data->shed);
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(BudgetList, DeleteRemovesTheBudgetAndEveryLineThatUsesIt) {
    addLine(*data->foundations, *data->shed, 3);
    form.FormShow();
    Select(1);
    testing_support::ScriptedSeam seam;
    seam.expectMessage("Are you sure to delete this budget?", Answer::Yes);
    form.btnDelete->click();

    EXPECT_EQ(doc.Budgets.Find("P000003"), nullptr);
    EXPECT_NE(doc.Budgets.Find("D000002"), nullptr);
    EXPECT_FALSE(HasLineTo(*data->house, "P000003"));
    EXPECT_FALSE(HasLineTo(*data->foundations, "P000003"));
    EXPECT_FALSE(HasLineTo(*data->barn, "P000003"));
    EXPECT_EQ(data->house->Items().Count(), 3);
    EXPECT_DOUBLE_EQ(data->house->ComputePrice(), 687.5);
    EXPECT_EQ(Rows(), QStringList({"House", "Barn"}));
    EXPECT_EQ(form.SelectedBudget, nullptr);
    EXPECT_TRUE(form.cboPresupuestos->selectedItems().isEmpty());
    EXPECT_EQ(doc.Saved, 0);

    form.btnAccept->click();
    EXPECT_EQ(form.Cancelled, 1);
    Select(1);
    form.btnAccept->click();
    EXPECT_EQ(form.ChosenCode, "P000004");
}

TEST_F(BudgetList, ADeletedCodeIsNeverGivenAgain) {
    form.FormShow();
    Select(2);
    testing_support::ScriptedSeam seam;
    seam.expectMessage("Are you sure", Answer::Yes).expectInput("Input a name", "Silo");
    form.btnDelete->click();
    form.btnAdd->click();
    EXPECT_EQ(doc.Budgets.Find("P000004"), nullptr);
    ASSERT_NE(doc.Budgets.Find("P000005"), nullptr);
    EXPECT_EQ(doc.Budgets.Find("P000005")->Name(), "Silo");
    // Nor given twice at the largest counter: New refuses before asking a name.
    doc.Budgets.SetCounter(std::numeric_limits<std::int32_t>::max());
    const int count = doc.Budgets.Count();
    const QStringList rows = Rows();
    seam.expectMessage("There is no code left");
    form.btnAdd->click();
    EXPECT_EQ(doc.Budgets.Count(), count);
    EXPECT_EQ(Rows(), rows);
}
