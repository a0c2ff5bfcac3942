// The budget list opened from the main window: its call-backs into the tree and the Save button.

#include "MainFormFixture.h"

#include <QListWidget>

using forms_testing::MainFormTest;
using modal::Answer;

namespace {

class BudgetListFromMainWindow : public MainFormTest {
protected:
    // House shows the Shed budget as a sub-budget line.
    void OpenHouseHoldingShed(testing_support::ScriptedSeam& seam) {
        openSample(seam);
        TInsumoCompuesto* house = Document->Budgets.Find("P000001")->AsCompuesto();
        forms_testing::addLine(*house, *Document->Budgets.Find("P000004"), 1);
        form->RefreshTree();
        ASSERT_NE(node({"Shed"}), nullptr);
    }
    // The list will pick its only row (Shed) and run `act` on it before cancelling; the questions
    // `act` asks are scripted after this.
    void ExpectList(testing_support::ScriptedSeam& seam,
                    std::function<void(TPresupuestosForm&)> act) {
        seam.expectDialog("TPresupuestosForm", [act](QDialog& d) {
            auto& list = static_cast<TPresupuestosForm&>(d);
            list.FormShow();
            ASSERT_EQ(list.cboPresupuestos->count(), 1);
            list.cboPresupuestos->setCurrentRow(0);
            act(list);
            list.btnCancelClick();
        });
    }
};

} // namespace

TEST_F(BudgetListFromMainWindow, RenameRenamesTheTreeNodesButNotTheCaption) {
    testing_support::ScriptedSeam seam;
    OpenHouseHoldingShed(seam);
    form->btnSave->setEnabled(false);
    Document->Saved = 1;
    click(node({"Shed"}));
    ExpectList(seam, [](TPresupuestosForm& list) { list.btnRenameClick(); });
    seam.expectInput("Input a new name.", "Hut");
    form->OpenPresupuestosClick();
    EXPECT_EQ(node({"Shed"}), nullptr);
    EXPECT_NE(node({"Hut"}), nullptr);
    EXPECT_EQ(form->frame1->stNombre->text(), "Hut");
    EXPECT_EQ(root()->text(0), "House");
    EXPECT_EQ(form->windowTitle(), "Obravel - House");
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(BudgetListFromMainWindow, DeleteTakesTheSubBudgetOutOfTheTree) {
    testing_support::ScriptedSeam seam;
    OpenHouseHoldingShed(seam);
    Document->Saved = 1;
    form->UpdateSaveButton();
    ExpectList(seam, [](TPresupuestosForm& list) { list.btnDeleteClick(); });
    seam.expectMessage("Are you sure to delete this budget?", Answer::Yes);
    form->OpenPresupuestosClick();
    EXPECT_EQ(node({"Shed"}), nullptr);
    EXPECT_NE(node({"Foundations"}), nullptr);
    EXPECT_EQ(Document->Budgets.Find("P000004"), nullptr);
    EXPECT_EQ(Document->Budgets.Find("P000001")->AsCompuesto()->Items().Count(), 4);
    EXPECT_EQ(form->CurrentBudget, Document->Budgets.Find("P000001"));
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(BudgetListFromMainWindow, ANewBudgetEnablesSaveEvenWhenCancelled) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    Document->Saved = 1;
    form->UpdateSaveButton();
    ExpectList(seam, [](TPresupuestosForm& list) { list.btnAddClick(); });
    seam.expectInput("Input a name", "Garage");
    form->OpenPresupuestosClick();
    EXPECT_NE(Document->Budgets.Find("P000005"), nullptr);
    EXPECT_EQ(form->windowTitle(), "Obravel - House");
    EXPECT_TRUE(form->btnSave->isEnabled());
}
