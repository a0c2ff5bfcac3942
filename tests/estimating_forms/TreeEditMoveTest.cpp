#include "TreeEditFixture.h"

#include <QMouseEvent>
#include <QToolBar>

using namespace forms_testing;
using testing_support::ScriptedSeam;

namespace {

class TreeEditMoveTest : public TreeEditTest {
protected:
    QPoint centre(QTreeWidgetItem* item) {
        showForm();
        for (QTreeWidgetItem* up = item->parent(); up; up = up->parent())
            up->setExpanded(true);
        form->tvPresu->scrollToItem(item);
        return form->tvPresu->visualItemRect(item).center();
    }
    // Drops the selected node on a target, through the general error report as the tree does.
    void dropOn(QTreeWidgetItem* target) {
        const QPoint at = centre(target);
        modal::guarded([&] { form->tvPresuDragDrop(form->tvPresu, at.x(), at.y()); });
    }
    bool acceptsOver(QTreeWidgetItem* target) {
        const QPoint at = centre(target);
        return form->tvPresuDragOver(form->tvPresu, at.x(), at.y());
    }
    // A click on each node in turn, as a user looking the tree over would make.
    void clickEveryNode() {
        std::vector<QTreeWidgetItem*> nodes{root()};
        for (std::size_t k = 0; k < nodes.size(); ++k)
            for (int i = 0; i < nodes[k]->childCount(); ++i)
                nodes.push_back(nodes[k]->child(i));
        for (QTreeWidgetItem* n : nodes)
            click(n);
    }
    void addDivisionTo(ScriptedSeam& seam, TTreeNode* holder, const char* name) {
        click(holder);
        expectKind(seam, 3);
        seam.expectInput("Input a name.", QString(name));
        form->btnAddItem->click();
    }
};

} // namespace

TEST_F(TreeEditMoveTest, UpMovesLineAndNodeKeepingOpenStates) {
    ScriptedSeam seam;
    node({"Foundations"})->setExpanded(true);
    click(node({"Wall"}));
    form->btnUp->click();
    EXPECT_EQ(codes(form->CurrentBudget),
              QStringList({"C000002", "D000002", "S000002", "D000003"}));
    EXPECT_EQ(childTexts(root()), QStringList({"Wall", "Foundations", "Mason", "Roof"}));
    EXPECT_TRUE(node({"Foundations"})->isExpanded());
    EXPECT_EQ(form->tvPresu->currentItem(), node({"Wall"}));
    EXPECT_FALSE(form->btnUp->isEnabled());
    EXPECT_TRUE(form->btnDown->isEnabled());
    EXPECT_FALSE(saved());
}

TEST_F(TreeEditMoveTest, DownMovesTheNextSiblingBeforeTheNode) {
    ScriptedSeam seam;
    click(node({"Foundations"}));
    node({"Foundations"})->setExpanded(true);
    form->btnDown->click();
    form->btnDown->click();
    EXPECT_EQ(codes(form->CurrentBudget),
              QStringList({"C000002", "S000002", "D000002", "D000003"}));
    EXPECT_EQ(childTexts(root()), QStringList({"Wall", "Mason", "Foundations", "Roof"}));
    TTreeNode* foundations = node({"Foundations"});
    EXPECT_TRUE(foundations->isExpanded());
    EXPECT_EQ(childTexts(foundations), QStringList({"Concrete", "Permit"}));
    EXPECT_TRUE(form->btnUp->isEnabled());
    EXPECT_TRUE(form->btnDown->isEnabled());
    // Moved inside a division too.
    click(node({"Foundations", "Permit"}));
    form->btnUp->click();
    EXPECT_EQ(codes(budget("D000002")), QStringList({"S000005", "C000001"}));
    EXPECT_EQ(childTexts(foundations), QStringList({"Permit", "Concrete"}));
}

TEST_F(TreeEditMoveTest, NothingToPassStillMarksTheDocumentModified) {
    ScriptedSeam seam;
    click(node({"Foundations"}));
    form->UpDownDivClick(form->btnUp);
    EXPECT_EQ(root()->child(0)->text(0), "Foundations");
    EXPECT_FALSE(saved());

    Document->Saved = 1;
    click(node({"Roof"}));
    form->UpDownDivClick(form->btnDown);
    EXPECT_EQ(root()->child(3)->text(0), "Roof");
    EXPECT_FALSE(saved());

    Document->Saved = 1;
    click(node({"Mason"}));
    form->UpDownDivClick(form->ToolBar2);
    EXPECT_EQ(codes(form->CurrentBudget),
              QStringList({"D000002", "C000002", "S000002", "D000003"}));
    EXPECT_FALSE(saved());
    EXPECT_TRUE(form->btnSave->isEnabled());

    // With the root selected nothing happens at all.
    Document->Saved = 1;
    click(root());
    form->UpDownDivClick(form->btnUp);
    form->UpDownDivClick(form->ToolBar2);
    EXPECT_TRUE(saved());
}

TEST_F(TreeEditMoveTest, AClickOnTheToolBarItselfCountsAsAMove) {
    ScriptedSeam seam;
    click(node({"Mason"}));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(form->ToolBar2, &release);
    EXPECT_FALSE(saved());
}

TEST_F(TreeEditMoveTest, DropIsAcceptedOverRootAndDivisionsOnly) {
    ScriptedSeam seam;
    click(node({"Mason"}));
    EXPECT_TRUE(acceptsOver(root()));
    EXPECT_TRUE(acceptsOver(node({"Roof"})));
    EXPECT_TRUE(acceptsOver(node({"Foundations"})));
    EXPECT_FALSE(acceptsOver(node({"Wall"})));
    EXPECT_FALSE(acceptsOver(node({"Foundations", "Permit"})));
    const QPoint at = centre(root());
    EXPECT_FALSE(form->tvPresuDragOver(nullptr, at.x(), at.y()));
    EXPECT_FALSE(form->tvPresuDragOver(form->tvPresu, -5, 5000));
}

TEST_F(TreeEditMoveTest, DraggingALineMovesItToTheDivisionsEnd) {
    ScriptedSeam seam;
    click(node({"Mason"}));
    dropOn(node({"Foundations"}));
    EXPECT_EQ(codes(form->CurrentBudget), QStringList({"D000002", "C000002", "D000003"}));
    TInsumoCompuesto* foundations = budget("D000002");
    EXPECT_EQ(codes(foundations), QStringList({"C000001", "S000005", "S000002"}));
    const TItem& moved = foundations->Items().Item(2);
    EXPECT_EQ(moved.Quantity, 10.0);
    EXPECT_EQ(moved.ParentCode, "D000002");
    EXPECT_EQ(moved.Parent, foundations);
    TTreeNode* mason = node({"Foundations", "Mason"});
    ASSERT_NE(mason, nullptr);
    EXPECT_EQ(mason->Line, &moved);
    EXPECT_EQ(childTexts(root()), QStringList({"Foundations", "Wall", "Roof"}));
    EXPECT_FALSE(saved());

    // The moved node's quantity is the line its new division holds.
    EXPECT_EQ(form->tvPresu->currentItem(), mason);
    seam.expectInput("Input a new quantity", QString("7"));
    form->frame1->btnEditCant->click();
    EXPECT_EQ(foundations->Items().Find("S000002")->Quantity, 7.0);
}

TEST_F(TreeEditMoveTest, DraggingADivisionTakesItsSubtree) {
    ScriptedSeam seam;
    click(node({"Foundations"}));
    dropOn(node({"Roof"}));
    EXPECT_EQ(codes(budget("D000003")), QStringList({"D000002"}));
    EXPECT_EQ(codes(budget("D000002")), QStringList({"C000001", "S000005"}));
    EXPECT_EQ(childTexts(node({"Roof", "Foundations"})), QStringList({"Concrete", "Permit"}));
    EXPECT_EQ(childTexts(root()), QStringList({"Wall", "Mason", "Roof"}));
    // Back to the root.
    click(node({"Roof", "Foundations"}));
    dropOn(root());
    EXPECT_EQ(codes(form->CurrentBudget),
              QStringList({"C000002", "S000002", "D000003", "D000002"}));
    EXPECT_EQ(node({"Roof"})->childCount(), 0);
    EXPECT_EQ(node({"Roof"})->icon(0).cacheKey(), root()->icon(0).cacheKey());
}

TEST_F(TreeEditMoveTest, ADivisionShownInTwoPlacesChangesInBoth) {
    ScriptedSeam seam;
    // As a damaged file may hold it: Foundations in the root and in Roof.
    addLine(*budget("D000003"), *budget("D000002"), 1);
    form->btnUpdateTree->click();
    click(node({"Foundations", "Permit"}));
    form->btnUp->click();
    EXPECT_EQ(childTexts(node({"Roof", "Foundations"})), QStringList({"Permit", "Concrete"}));
    EXPECT_EQ(form->tvPresu->currentItem(), node({"Foundations", "Permit"}));
    seam.expectMessage("Delete element?", modal::Answer::Yes);
    form->btnDelItem->click();
    EXPECT_EQ(childTexts(node({"Foundations"})), QStringList({"Concrete"}));
    EXPECT_EQ(childTexts(node({"Roof", "Foundations"})), QStringList({"Concrete"}));
    EXPECT_EQ(form->tvPresu->currentItem(), node({"Foundations"}));
    EXPECT_EQ(form->frame1->stNombre->text(), "Foundations");
    clickEveryNode();

    click(node({"Roof", "Foundations", "Concrete"}));
    dropOn(root());
    EXPECT_EQ(codes(budget("D000002")), QStringList());
    EXPECT_EQ(node({"Foundations"})->childCount(), 0);
    EXPECT_EQ(node({"Roof", "Foundations"})->childCount(), 0);
    EXPECT_EQ(childTexts(root()),
              QStringList({"Foundations", "Wall", "Mason", "Roof", "Concrete"}));
    EXPECT_EQ(form->tvPresu->currentItem(), node({"Concrete"}));
    EXPECT_TRUE(node({"Roof"})->isExpanded());
    EXPECT_FALSE(saved());
    clickEveryNode();

    addDivisionTo(seam, node({"Roof", "Foundations"}), "Inner");
    EXPECT_EQ(childTexts(node({"Foundations"})), QStringList({"Inner"}));
    EXPECT_EQ(form->tvPresu->currentItem(), node({"Roof", "Foundations"}));
    clickEveryNode();
}

TEST_F(TreeEditMoveTest, RefusedDropsChangeNothing) {
    ScriptedSeam seam;
    addDivisionTo(seam, node({"Foundations"}), "Inner");
    addDivisionTo(seam, node({"Foundations", "Inner"}), "Deepest");
    Document->Saved = 1;
    const QStringList before = codes(form->CurrentBudget);

    click(node({"Foundations"}));
    dropOn(node({"Foundations", "Inner", "Deepest"})); // into its own sub-division
    dropOn(node({"Foundations", "Inner"}));
    dropOn(node({"Foundations"})); // onto itself
    dropOn(root());                // onto its present parent
    dropOn(node({"Wall"}));        // onto a compound line
    click(node({"Foundations", "Concrete"}));
    dropOn(node({"Foundations"}));
    dropOn(node({"Mason"}));
    click(root());
    dropOn(node({"Roof"})); // the root never moves
    EXPECT_EQ(codes(form->CurrentBudget), before);
    EXPECT_EQ(codes(budget("D000002")), QStringList({"C000001", "S000005", "D000005"}));
    EXPECT_EQ(codes(budget("D000005")), QStringList({"D000006"}));
    EXPECT_EQ(childTexts(node({"Foundations"})), QStringList({"Concrete", "Permit", "Inner"}));
    EXPECT_TRUE(saved());
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(TreeEditMoveTest, DropOntoAHolderOfTheSameCodeIsAnErrorAndNothingMoves) {
    ScriptedSeam seam;
    click(node({"Roof"}));
    expectKind(seam, 1);
    expectPick(seam, "TAddCompuestoForm", 1, "C000001", 1);
    form->btnAddItem->click();
    Document->Saved = 1;
    click(node({"Foundations", "Concrete"}));
    seam.expectMessage("Error : This item already exists in this compound.");
    dropOn(node({"Roof"}));
    EXPECT_EQ(codes(budget("D000002")), QStringList({"C000001", "S000005"}));
    EXPECT_EQ(codes(budget("D000003")), QStringList({"C000001"}));
    EXPECT_EQ(childTexts(node({"Foundations"})), QStringList({"Concrete", "Permit"}));
    EXPECT_TRUE(saved());
}

TEST_F(TreeEditMoveTest, ADragIsArmedOnlyByALeftPressOnANodeOtherThanTheRoot) {
    ScriptedSeam seam;
    const QPoint mason = centre(node({"Mason"}));
    const QPoint top = centre(root());
    form->tvPresuMouseDown(mason.x(), mason.y(), Qt::LeftButton);
    EXPECT_TRUE(form->DragArmed);
    EXPECT_EQ(form->MouseDownX, mason.x());
    form->tvPresuMouseDown(mason.x(), mason.y(), Qt::RightButton);
    EXPECT_FALSE(form->DragArmed);
    form->tvPresuMouseDown(top.x(), top.y(), Qt::LeftButton);
    EXPECT_FALSE(form->DragArmed);
    form->tvPresuMouseDown(5, 5000, Qt::LeftButton);
    EXPECT_FALSE(form->DragArmed);
    // A real press arms it; a short move keeps the selection where it is.
    QTest::mousePress(form->tvPresu->viewport(), Qt::LeftButton, {}, mason);
    EXPECT_TRUE(form->DragArmed);
    auto moveBy = [&](QPoint by) {
        const QPoint to = mason + by;
        QMouseEvent move(QEvent::MouseMove, QPointF(to),
                         QPointF(form->tvPresu->viewport()->mapToGlobal(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->tvPresu->viewport(), &move);
    };
    moveBy({20, 24});
    EXPECT_TRUE(form->DragArmed);
    EXPECT_EQ(form->tvPresu->currentItem(), node({"Mason"}));
    QTest::mouseRelease(form->tvPresu->viewport(), Qt::LeftButton, {}, mason);
    EXPECT_FALSE(form->DragArmed);
    // 25 pixels in one direction start the drag.
    QTest::mousePress(form->tvPresu->viewport(), Qt::LeftButton, {}, mason);
    moveBy({0, -25});
    EXPECT_FALSE(form->DragArmed);
    QTest::mouseRelease(form->tvPresu->viewport(), Qt::LeftButton, {}, mason);
    EXPECT_EQ(childTexts(root()), QStringList({"Foundations", "Wall", "Mason", "Roof"}));
}

TEST_F(TreeEditMoveTest, CloneCopiesDivisionsDepthFirstAndSharesTheRest) {
    ScriptedSeam seam;
    addDivisionTo(seam, node({"Foundations"}), "Inner"); // D000005
    click(node({"Foundations", "Inner"}));
    expectKind(seam, 0);
    expectPick(seam, "TAddSimpleForm", 0, "S000001", 6);
    form->btnAddItem->click();
    form->CurrentBudget->SetVatRate(0.21);
    form->CurrentBudget->SetClient("Smith");
    form->CurrentBudget->SetDescription("Two floors");
    Document->Saved = 1;
    ASSERT_EQ(Document->Budgets.Counter(), 5);

    // Three divisions and the clone take four codes: with three left nothing is made.
    Document->Budgets.SetCounter(std::numeric_limits<std::int32_t>::max() - 3);
    seam.expectMessage("There is no code left");
    form->btnClonar->click();
    EXPECT_EQ(Document->Budgets.Count(), 5);
    Document->Budgets.SetCounter(5);

    seam.expectInput("", QString()); // an empty name clones nothing
    form->btnClonar->click();
    EXPECT_EQ(Document->Budgets.Count(), 5);
    EXPECT_TRUE(saved());

    seam.expectInput("New name", QString("House copy"));
    form->btnClonar->click();
    EXPECT_TRUE(seam.log().back().startsWith("Clone budget\nNew name"));
    TInsumoCompuesto* clone = budget("P000009");
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(form->CurrentBudget, clone);
    EXPECT_EQ(clone->Name(), "House copy");
    EXPECT_EQ(clone->SubKind(), 2);
    EXPECT_EQ(clone->Unit(), "Gl.");
    EXPECT_EQ(clone->Description(), "Two floors");
    EXPECT_EQ(clone->VatRate(), 0.0);
    EXPECT_EQ(clone->Client(), "");
    EXPECT_EQ(codes(clone), QStringList({"D000006", "C000002", "S000002", "D000008"}));
    for (const auto& line : clone->Items().List())
        EXPECT_EQ(line->ParentCode, "P000009");
    EXPECT_EQ(budget("D000006")->Name(), "Foundations");
    EXPECT_EQ(codes(budget("D000006")), QStringList({"C000001", "S000005", "D000007"}));
    EXPECT_EQ(budget("D000007")->Name(), "Inner");
    EXPECT_EQ(codes(budget("D000007")), QStringList({"S000001"}));
    EXPECT_EQ(budget("D000007")->Items().Item(0).ParentCode, "D000007");
    EXPECT_EQ(budget("D000007")->Items().Item(0).Quantity, 6.0);
    EXPECT_EQ(budget("D000008")->Name(), "Roof");
    // Compounds and primaries are shared, not copied.
    EXPECT_EQ(clone->Items().Item(1).Insumo, Document->Compounds.Find("C000002"));
    EXPECT_EQ(Document->Compounds.Count(), 2);
    // The source stays as it was.
    EXPECT_EQ(codes(budget("P000001")), QStringList({"D000002", "C000002", "S000002", "D000003"}));
    EXPECT_EQ(budget("P000001")->VatRate(), 0.21);
    // The window shows the clone.
    EXPECT_EQ(form->windowTitle(), "Obravel - House copy");
    EXPECT_EQ(root()->text(0), "House copy");
    EXPECT_EQ(childTexts(node({"Foundations", "Inner"})), QStringList({"Cement"}));
    EXPECT_EQ(form->frame1->stTotal->text(), "1036.00");
    EXPECT_FALSE(saved());
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(TreeEditMoveTest, CloningADamagedBudgetWhoseDivisionHoldsItselfEnds) {
    ScriptedSeam seam;
    TInsumoCompuesto* foundations = budget("D000002");
    TItem loop;
    loop.Kind = 1;
    loop.SubKind = 3;
    loop.Code = "D000002";
    loop.Name = "Foundations";
    loop.Insumo = foundations;
    loop.Quantity = 1;
    foundations->Items().Add(loop);
    seam.expectInput("New name", QString("Copy"));
    form->btnClonar->click();
    TInsumoCompuesto* copy = budget("D000005");
    ASSERT_NE(copy, nullptr);
    // The inner reference stays a reference to the original, so the copy is finite.
    EXPECT_EQ(codes(copy), QStringList({"C000001", "S000005", "D000002"}));
    EXPECT_EQ(copy->Items().Item(2).Insumo, foundations);
    EXPECT_EQ(form->CurrentBudget->Code(), "P000007");
}

TEST_F(TreeEditMoveTest, SaveButtonStaysOnWhenTheFileCannotBeWritten) {
    ScriptedSeam seam;
    click(node({"Mason"}));
    form->btnUp->click();
    ASSERT_TRUE(form->btnSave->isEnabled());
    Document->SetFileName(path("missing-folder/house.cdb").toStdString());
    seam.expectMessage("");
    form->btnSave->click();
    EXPECT_FALSE(saved());
    EXPECT_TRUE(form->btnSave->isEnabled());
}
