#include "TreeEditFixture.h"

#include <cmath>

using namespace forms_testing;
using testing_support::ScriptedSeam;

TEST_F(TreeEditTest, AddingAPrimaryToADivisionAppendsLineAndNode) {
    ScriptedSeam seam;
    click(node({"Foundations"}));
    ASSERT_TRUE(saved());
    expectKind(seam, 0);
    expectPick(seam, "TAddSimpleForm", 0, "S000001", 2.5);
    form->btnAddItem->click();
    TInsumoCompuesto* foundations = budget("D000002");
    EXPECT_EQ(codes(foundations), QStringList({"C000001", "S000005", "S000001"}));
    const TItem& line = foundations->Items().Item(2);
    EXPECT_EQ(line.Quantity, 2.5);
    EXPECT_EQ(line.Kind, 0);
    EXPECT_EQ(line.SubKind, 0);
    EXPECT_EQ(line.ParentCode, "D000002");
    EXPECT_EQ(line.Parent, foundations);
    EXPECT_EQ(line.Name, "Cement");
    TTreeNode* added = node({"Foundations", "Cement"});
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->parent()->indexOfChild(added), 2);
    EXPECT_EQ(added->Line, &line);
    EXPECT_FALSE(added->Container);
    EXPECT_NE(added->icon(0).cacheKey(), root()->icon(0).cacheKey());
    EXPECT_FALSE(saved());
    EXPECT_TRUE(form->btnSave->isEnabled());
    // The panel and the grid show the division, now with the new line.
    EXPECT_EQ(form->frame1->stNombre->text(), "Foundations");
    EXPECT_EQ(form->GridRowCount(), 4);
    EXPECT_EQ(cell(3, 1), "Cement");
}

TEST_F(TreeEditTest, APrimaryAlreadyInTheHolderIsRefusedWithItsMessage) {
    ScriptedSeam seam;
    expectKind(seam, 0);
    expectPick(seam, "TAddSimpleForm", 0, "S000002", 1);
    seam.expectMessage("Error : This item already exists in this compound.");
    form->btnAddItem->click();
    EXPECT_EQ(codes(form->CurrentBudget),
              QStringList({"D000002", "C000002", "S000002", "D000003"}));
    EXPECT_EQ(root()->childCount(), 4);
    EXPECT_EQ(form->CurrentBudget->Items().Find("S000002")->Quantity, 10.0);
}

TEST_F(TreeEditTest, CancelledChoicesChangeNothing) {
    ScriptedSeam seam;
    seam.expectDialog("TSelectItemForm",
                      [](QDialog& d) { EXPECT_EQ(static_cast<TSelectItemForm&>(d).Cancelled, 1); });
    form->btnAddItem->click();
    expectKind(seam, 0);
    expectPick(seam, "TAddSimpleForm", 0, "", 0);
    form->btnAddItem->click();
    expectKind(seam, 1);
    expectPick(seam, "TAddCompuestoForm", 1, "", 0);
    form->btnAddItem->click();
    expectKind(seam, 2);
    expectBudgetPick(seam, "", 0);
    form->btnAddItem->click();
    expectKind(seam, 3);
    seam.expectInput("Input a name.", QString());
    form->btnAddItem->click();
    EXPECT_EQ(root()->childCount(), 4);
    EXPECT_EQ(form->CurrentBudget->Items().Count(), 4);
    EXPECT_EQ(Document->Budgets.Count(), 4);
    EXPECT_TRUE(saved());
    EXPECT_FALSE(form->btnSave->isEnabled());
}

TEST_F(TreeEditTest, AddingACompoundToTheRoot) {
    ScriptedSeam seam;
    expectKind(seam, 1);
    expectPick(seam, "TAddCompuestoForm", 1, "C000001", 1.5);
    form->btnAddItem->click();
    const TItem* line = form->CurrentBudget->Items().Find("C000001");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(form->CurrentBudget->Items().Item(4).Code, "C000001");
    EXPECT_EQ(line->Kind, 1);
    EXPECT_EQ(line->SubKind, 1);
    EXPECT_EQ(line->Quantity, 1.5);
    EXPECT_EQ(line->ParentCode, "P000001");
    EXPECT_EQ(childTexts(root()).back(), "Concrete");
    EXPECT_FALSE(saved());
    // House 976 + 1.5 x Concrete 75.
    EXPECT_EQ(form->frame1->stTotal->text(), "1088.50");
}

TEST_F(TreeEditTest, AddingASubBudgetOffersOnlyBudgetsWithoutTheShownOne) {
    ScriptedSeam seam;
    QStringList offered;
    click(node({"Roof"}));
    expectKind(seam, 2);
    expectBudgetPick(seam, "P000004", 2, &offered);
    form->btnAddItem->click();
    EXPECT_EQ(offered, QStringList({"Shed"}));
    TInsumoCompuesto* roof = budget("D000003");
    ASSERT_EQ(roof->Items().Count(), 1);
    EXPECT_EQ(roof->Items().Item(0).SubKind, 2);
    EXPECT_EQ(roof->Items().Item(0).Quantity, 2.0);
    EXPECT_EQ(roof->Items().Item(0).Insumo, budget("P000004"));
    EXPECT_EQ(childTexts(node({"Roof"})), QStringList({"Shed"}));
    EXPECT_FALSE(saved());

    // The same sub-budget again: the general error report, nothing added.
    expectKind(seam, 2);
    expectBudgetPick(seam, "P000004", 1);
    seam.expectMessage("Error : This item already exists in this compound.");
    form->btnAddItem->click();
    EXPECT_EQ(roof->Items().Count(), 1);
    EXPECT_EQ(node({"Roof"})->childCount(), 1);
}

TEST_F(TreeEditTest, AddingADivisionMakesANewEntryAndAContainerNode) {
    ScriptedSeam seam;
    click(node({"Roof"}));
    const int counter = Document->Budgets.Counter();
    expectKind(seam, 3);
    seam.expectInput("Input a name.", QString("Gutters"));
    form->btnAddItem->click();
    ASSERT_EQ(seam.log().size(), 2u);
    EXPECT_EQ(Document->Budgets.Counter(), counter + 1);
    TInsumoCompuesto* gutters = budget("D000005");
    ASSERT_NE(gutters, nullptr);
    EXPECT_EQ(gutters->Name(), "Gutters");
    EXPECT_EQ(gutters->Unit(), "Gl.");
    EXPECT_EQ(gutters->SpareValue(), 1.0);
    EXPECT_EQ(gutters->Kind(), 1);
    EXPECT_EQ(gutters->SubKind(), 3);
    TInsumoCompuesto* roof = budget("D000003");
    ASSERT_EQ(roof->Items().Count(), 1);
    EXPECT_EQ(roof->Items().Item(0).Quantity, 1.0);
    EXPECT_EQ(roof->Items().Item(0).ParentCode, "D000003");
    TTreeNode* added = node({"Roof", "Gutters"});
    ASSERT_NE(added, nullptr);
    EXPECT_TRUE(added->Container);
    EXPECT_EQ(added->icon(0).cacheKey(), root()->icon(0).cacheKey());
    EXPECT_FALSE(saved());

    // And one in the root.
    click(root());
    expectKind(seam, 3);
    seam.expectInput("Input a name.", QString("Site"));
    form->btnAddItem->click();
    EXPECT_EQ(form->CurrentBudget->Items().Item(4).Code, "D000006");
    EXPECT_EQ(childTexts(root()).back(), "Site");
    // Saved and read again, the new divisions are where they were put.
    Document->SetFileName(path("edited.cdb").toStdString());
    ASSERT_TRUE(Document->Save());
    TDocument again;
    again.SetFileName(path("edited.cdb").toStdString());
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Budgets.Find("D000003")->AsCompuesto()->Items().Item(0).Code, "D000005");
    EXPECT_EQ(again.Budgets.Find("D000006")->Name(), "Site");

    // At the largest counter the next code would be given out twice: nothing is asked or made.
    Document->Budgets.SetCounter(std::numeric_limits<std::int32_t>::max());
    const int count = Document->Budgets.Count();
    expectKind(seam, 3);
    seam.expectMessage("There is no code left");
    form->btnAddItem->click();
    EXPECT_EQ(Document->Budgets.Count(), count);
    EXPECT_EQ(form->CurrentBudget->Items().Count(), 5);
}

TEST_F(TreeEditTest, NewQuantityIsAppliedOnlyWhenPositive) {
    ScriptedSeam seam;
    click(node({"Wall"}));
    TItem* wall = form->CurrentBudget->Items().Find("C000002");
    seam.expectInput("Input a new quantity", QString("4.5"));
    form->frame1->btnEditCant->click();
    EXPECT_EQ(wall->Quantity, 4.5);
    EXPECT_EQ(form->frame1->stCant->text(), "4.500");
    EXPECT_FALSE(saved());
    EXPECT_TRUE(form->btnSave->isEnabled());
    EXPECT_TRUE(seam.log().back().startsWith("New quantity\nInput a new quantity"));

    Document->Saved = 1;
    form->UpdateSaveButton();
    seam.expectInput("", QString("0"));
    seam.expectInput("", QString("-2"));
    form->frame1->btnEditCant->click();
    form->frame1->btnEditCant->click();
    EXPECT_EQ(wall->Quantity, 4.5);
    EXPECT_TRUE(saved());
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(TreeEditTest, NewQuantityThatIsNotANumberOrTooLargeShowsTheConversionMessage) {
    ScriptedSeam seam;
    click(node({"Mason"}));
    seam.expectInput("Input a new quantity", QString("abc"));
    seam.expectMessage("'abc' is not a valid floating point value");
    seam.expectInput("Input a new quantity", QString(""));
    seam.expectMessage("'' is not a valid floating point value");
    seam.expectInput("Input a new quantity", QString("1e308")); // too large times the price
    seam.expectMessage("'1e308' is not a valid floating point value");
    form->frame1->btnEditCant->click();
    form->frame1->btnEditCant->click();
    form->frame1->btnEditCant->click();
    // Each line's amount finite, the budget's price not.
    TItem* wall = form->CurrentBudget->Items().Find("C000002");
    wall->Quantity = 1.7e308 / UnitPrice(*wall->Insumo);
    seam.expectInput("Input a new quantity", QString("1e306"));
    seam.expectMessage("'1e306' is not a valid floating point value");
    form->frame1->btnEditCant->click();
    EXPECT_EQ(form->CurrentBudget->Items().Find("S000002")->Quantity, 10.0);
    EXPECT_TRUE(std::isfinite(form->CurrentBudget->ComputePrice()));
    EXPECT_TRUE(saved());
    // A price that a file holds infinite already blocks no other change.
    wall->Quantity = 1e308;
    seam.expectInput("Input a new quantity", QString("12"));
    form->frame1->btnEditCant->click();
    EXPECT_EQ(form->CurrentBudget->Items().Find("S000002")->Quantity, 12.0);
}

TEST_F(TreeEditTest, CancellingTheQuantityReappliesItAndCountsAsAChange) {
    ScriptedSeam seam;
    click(node({"Foundations", "Concrete"}));
    TItem* concrete = budget("D000002")->Items().Find("C000001");
    concrete->Quantity = 0.1;
    seam.expectInput("Input a new quantity", std::nullopt);
    form->frame1->btnEditCant->click();
    EXPECT_EQ(concrete->Quantity, 0.1);
    EXPECT_FALSE(saved());
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(TreeEditTest, RenamingADivisionToNothingGivesItAnEmptyName) {
    ScriptedSeam seam;
    click(node({"Foundations"}));
    seam.expectInput("Input a name.", QString(""));
    form->btnUpdate->click();
    EXPECT_EQ(budget("D000002")->Name(), "");
    EXPECT_EQ(form->CurrentBudget->Items().Item(0).Name, "");
    EXPECT_EQ(root()->child(0)->text(0), "");
    EXPECT_FALSE(saved());

    seam.expectInput("Input a name.", QString("Footings"));
    form->btnUpdate->click();
    EXPECT_EQ(budget("D000002")->Name(), "Footings");
    EXPECT_EQ(root()->child(0)->text(0), "Footings");
    EXPECT_EQ(form->frame1->stNombre->text(), "Footings");
}

TEST_F(TreeEditTest, DeletingOnlyTheLine) {
    ScriptedSeam seam;
    click(node({"Foundations"}));
    seam.expectMessage("Delete element?", modal::Answer::No);
    form->btnDelItem->click();
    EXPECT_EQ(root()->childCount(), 4);
    EXPECT_TRUE(saved());

    seam.expectMessage("Delete element?", modal::Answer::Yes);
    form->btnDelItem->click();
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[1].icon, modal::Icon::Warning);
    EXPECT_EQ(seam.messages[1].buttons, modal::Buttons::YesNo);
    EXPECT_EQ(childTexts(root()), QStringList({"Wall", "Mason", "Roof"}));
    EXPECT_EQ(codes(form->CurrentBudget), QStringList({"C000002", "S000002", "D000003"}));
    // The division's own entry and lines stay.
    ASSERT_NE(budget("D000002"), nullptr);
    EXPECT_EQ(budget("D000002")->Items().Count(), 2);
    EXPECT_FALSE(saved());
    // The root is selected and shown.
    EXPECT_EQ(form->tvPresu->currentItem(), root());
    EXPECT_EQ(form->frame1->stNombre->text(), "House");
    EXPECT_EQ(form->frame1->stTotal->text(), "674.00");
}

TEST_F(TreeEditTest, DeletingTheLastChildOfADivision) {
    ScriptedSeam seam;
    for (const char* name : {"Concrete", "Permit"}) {
        click(node({"Foundations", name}));
        seam.expectMessage("Delete element?", modal::Answer::Yes);
        form->btnDelItem->click();
    }
    TTreeNode* foundations = node({"Foundations"});
    EXPECT_EQ(foundations->childCount(), 0);
    EXPECT_EQ(foundations->icon(0).cacheKey(), root()->icon(0).cacheKey());
    EXPECT_EQ(budget("D000002")->Items().Count(), 0);
    EXPECT_EQ(form->tvPresu->currentItem(), foundations);
    // Primaries and compounds are never touched.
    EXPECT_EQ(Document->Compounds.Count(), 2);
    EXPECT_EQ(Document->Primaries.Count(), 5);
}

TEST_F(TreeEditTest, TheRootCannotBeDeleted) {
    ScriptedSeam seam;
    form->btnDelItem_Click();
    EXPECT_EQ(root()->childCount(), 4);
    EXPECT_TRUE(saved());
}

TEST_F(TreeEditTest, CommandsCheckTheSelectedNodeThemselves) {
    ScriptedSeam seam;
    click(node({"Wall"}));
    for (int kind : {0, 1, 2, 3}) {
        expectKind(seam, kind);
        form->btnAddItem_Click(); // no picker, no question
    }
    form->btnUpdate_Click();
    click(node({"Foundations"}));
    form->frame11btnEditCantClick();
    click(root());
    form->frame11btnEditCantClick();
    form->btnUpdate_Click();
    EXPECT_EQ(root()->childCount(), 4);
    EXPECT_EQ(node({"Wall"})->childCount(), 0);
    EXPECT_EQ(form->RootItem->Quantity, 1.0);
    EXPECT_TRUE(saved());
}

TEST_F(TreeEditTest, DeletingASubBudgetLineLeavesThatBudget) {
    ScriptedSeam seam;
    expectKind(seam, 2);
    expectBudgetPick(seam, "P000004", 1);
    form->btnAddItem->click();
    click(node({"Shed"}));
    seam.expectMessage("Delete element?", modal::Answer::Yes);
    form->btnDelItem->click();
    EXPECT_FALSE(form->CurrentBudget->Items().Exists("P000004"));
    ASSERT_NE(budget("P000004"), nullptr);
    EXPECT_EQ(codes(budget("P000004")), QStringList({"C000001"}));
    EXPECT_EQ(Document->Budgets.Count(), 4);
}
