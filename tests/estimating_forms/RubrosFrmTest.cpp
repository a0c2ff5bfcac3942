// The compound categories editor: what it lists, and how adding, renaming and deleting
// categories and subcategories reach the compounds.

#include "RubrosFrm.h"
#include "ListTexts.h"
#include "PresupuestosTestData.h"
#include "ScriptedSeam.h"

#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace budget_testing;
using modal::Answer;

namespace {

class CompoundCategories : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        for (const char* name : {"Walls", "Otros", "Floors", "roofs"})
            AddCategory(name);
        AddSubcategory("Brick", "Walls");
        AddSubcategory("Block", "Walls");
        AddSubcategory("Tile", "Floors");
        AddSubcategory("Brick", "Floors");
        AddSubcategory("Tin", "roofs");
        wall = AddCompound("Wall", "Walls", "Brick");
        slab = AddCompound("Slab", "Floors", "Brick");
        tiling = AddCompound("Tiling", "Floors", "Tile");
        partition = AddCompound("Partition", "Walls", "Block");
        doc.Saved = 1;
        form = std::make_unique<TRubrosForm>();
    }
    void AddCategory(const std::string& name) {
        doc.CompoundCategories.AddObject(name, std::make_unique<estimating::TCategoria>(name));
    }
    void AddSubcategory(const std::string& name, const std::string& category) {
        doc.CompoundSubcategories.AddObject(
            name, std::make_unique<estimating::TSubcategoria>(name, category));
    }
    TInsumoCompuesto* AddCompound(const std::string& name, const std::string& category,
                                  const std::string& subcategory) {
        TInsumoCompuesto* compound = addCompoundType(doc, estimating::kSubKindCompound, name, "m2");
        compound->SetCategory(category);
        compound->SetSubcategory(subcategory);
        return compound;
    }
    QStringList Categories() const { return forms_testing::Texts(*form->lbRubros); }
    QStringList Subcategories() const { return forms_testing::Texts(*form->lbSubrubros); }
    static void Select(QListWidget& list, const QString& text) {
        const auto found = list.findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << text.toStdString();
        list.setCurrentItem(found.first());
    }
    // "name/category" for every stored subcategory, in list order.
    QStringList StoredSubcategories() const {
        QStringList stored;
        for (int i = 0; i < doc.CompoundSubcategories.Count(); ++i) {
            const auto* sub = doc.CompoundSubcategories.Objects(i);
            EXPECT_EQ(sub->Name, doc.CompoundSubcategories.Strings(i));
            stored << QString::fromStdString(sub->Name + "/" + sub->Category);
        }
        return stored;
    }
    static std::string Filed(const TInsumo& compound) {
        return compound.Category() + "/" + compound.Subcategory();
    }

    TInsumoCompuesto* wall = nullptr;
    TInsumoCompuesto* slab = nullptr;
    TInsumoCompuesto* tiling = nullptr;
    TInsumoCompuesto* partition = nullptr;
    std::unique_ptr<TRubrosForm> form;
};

} // namespace

TEST_F(CompoundCategories, OpensOnTheFirstCategoryWithItsSubcategories) {
    EXPECT_EQ(form->windowTitle(), "Compound's categories");
    // A fixed border, at least as large as the design.
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_GE(form->width(), 395);
    EXPECT_GE(form->height(), 375);
    EXPECT_EQ(Categories(), QStringList({"Floors", "roofs", "Walls"}));
    EXPECT_EQ(form->lbRubros->currentRow(), 0);
    EXPECT_TRUE(form->lbRubros->item(0)->isSelected());
    EXPECT_EQ(Subcategories(), QStringList({"Brick", "Tile"}));
    EXPECT_FALSE(form->btnSave->isEnabled());
    const std::pair<const char*, const char*> captions[] = {{"btnAdd", "Add category"},
                                                            {"btnDelete", "Delete category"},
                                                            {"btnUpdate", "Rename category"},
                                                            {"btnAddSub", "Add subcategory"},
                                                            {"btnDeleteSub", "Delete subcategory"},
                                                            {"btnUpdateSub", "Rename subcategory"},
                                                            {"btnSave", "Save"},
                                                            {"btnClose", "Close"}};
    for (const auto& [name, caption] : captions) {
        auto* button = form->findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), caption);
    }
}

TEST_F(CompoundCategories, ChoosingACategoryShowsItsSubcategories) {
    Select(*form->lbRubros, "Walls");
    EXPECT_EQ(Subcategories(), QStringList({"Block", "Brick"}));
    Select(*form->lbRubros, "roofs");
    EXPECT_EQ(Subcategories(), QStringList({"Tin"}));
}

TEST_F(CompoundCategories, DeletingACategoryTakesItsSubcategoriesAndFilesItsCompoundsUnderOthers) {
    Select(*form->lbRubros, "Walls");
    testing_support::ScriptedSeam seam;
    seam.expectMessage("Are you sure to delete this category?", Answer::Yes);
    form->btnDeleteClick();
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].buttons, modal::Buttons::YesNo);
    EXPECT_EQ(seam.messages[0].icon, modal::Icon::Warning);
    EXPECT_EQ(Categories(), QStringList({"Floors", "roofs"}));
    EXPECT_EQ(form->lbRubros->currentRow(), -1);
    EXPECT_EQ(Subcategories(), QStringList({"Brick", "Tile"}));
    EXPECT_EQ(StoredSubcategories(), QStringList({"Tile/Floors", "Brick/Floors", "Tin/roofs"}));
    EXPECT_EQ(Filed(*wall), "Others/Others");
    EXPECT_EQ(Filed(*partition), "Others/Others");
    EXPECT_EQ(Filed(*slab), "Floors/Brick");
    EXPECT_EQ(doc.CompoundCategories.Count(), 3);
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());

    // No category is selected now: adding a subcategory is refused.
    seam.expectMessage("You must select a category first.");
    form->btnAddSubClick();
    EXPECT_EQ(seam.messages.back().buttons, modal::Buttons::Ok);
}

TEST_F(CompoundCategories, NoToTheDeleteQuestionChangesNothing) {
    testing_support::ScriptedSeam seam;
    seam.expectMessage("delete this category", Answer::No)
        .expectMessage("delete this subcategory", Answer::No);
    form->btnDeleteClick();
    form->lbSubrubros->setCurrentRow(0);
    form->btnDeleteSubClick();
    EXPECT_EQ(Categories().size(), 3);
    EXPECT_EQ(Subcategories().size(), 2);
    EXPECT_EQ(doc.CompoundSubcategories.Count(), 5);
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(CompoundCategories, CommandsWithoutASelectionAskNothing) {
    form.reset();
    doc.CompoundCategories.Clear();
    doc.CompoundSubcategories.Clear();
    TRubrosForm empty;
    EXPECT_TRUE(forms_testing::Texts(*empty.lbRubros).isEmpty());
    EXPECT_TRUE(forms_testing::Texts(*empty.lbSubrubros).isEmpty());
    testing_support::ScriptedSeam seam;
    empty.btnDeleteClick();
    empty.btnUpdateClick();
    empty.btnDeleteSubClick();
    empty.btnUpdateSubClick();
    EXPECT_EQ(doc.Saved, 1);

    // A new category is listed but not selected.
    seam.expectInput("New category\nType a name.", QString("Stairs"));
    empty.btnAddClick();
    EXPECT_EQ(forms_testing::Texts(*empty.lbRubros), QStringList({"Stairs"}));
    EXPECT_EQ(empty.lbRubros->currentRow(), -1);
    EXPECT_EQ(doc.Saved, 0);
    ASSERT_EQ(doc.CompoundCategories.Count(), 1);
    EXPECT_EQ(doc.CompoundCategories.Objects(0)->Name, "Stairs");
}

TEST_F(CompoundCategories, AddingAnEmptyNameDoesNothingAndAnExistingNameIsAccepted) {
    testing_support::ScriptedSeam seam;
    seam.expectInput("Type a name.", QString()).expectInput("Type a name.", QString("Walls"));
    form->btnAddClick();
    EXPECT_EQ(doc.CompoundCategories.Count(), 4);
    EXPECT_EQ(doc.Saved, 1);
    form->btnAddClick();
    EXPECT_EQ(doc.CompoundCategories.Count(), 5);
    EXPECT_EQ(Categories(), QStringList({"Floors", "roofs", "Walls", "Walls"}));
}

TEST_F(CompoundCategories, OtrosIsKeptButNotListedAfterTheNextFill) {
    doc.CompoundCategories.Clear();
    form = std::make_unique<TRubrosForm>();
    testing_support::ScriptedSeam seam;
    seam.expectInput("Type a name.", QString("Otros"));
    form->btnAddClick();
    EXPECT_EQ(Categories(), QStringList({"Otros"}));
    form = std::make_unique<TRubrosForm>();
    EXPECT_TRUE(Categories().isEmpty());
    EXPECT_EQ(doc.CompoundCategories.Count(), 1);
}

TEST_F(CompoundCategories, RenamingACategoryCarriesOverToSubcategoriesAndCompounds) {
    Select(*form->lbRubros, "Walls");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Modify category\nEdit this category.", QString("Masonry"));
    form->btnUpdateClick();
    EXPECT_EQ(Categories(), QStringList({"Floors", "Masonry", "roofs"}));
    EXPECT_EQ(form->lbRubros->currentRow(), -1);
    EXPECT_EQ(Subcategories(), QStringList({"Brick", "Tile"}));
    EXPECT_EQ(doc.CompoundCategories.Strings(0), "Masonry");
    EXPECT_EQ(doc.CompoundCategories.Objects(0)->Name, "Masonry");
    EXPECT_EQ(StoredSubcategories(), QStringList({"Brick/Masonry", "Block/Masonry", "Tile/Floors",
                                                  "Brick/Floors", "Tin/roofs"}));
    EXPECT_EQ(Filed(*wall), "Masonry/Brick");
    EXPECT_EQ(Filed(*partition), "Masonry/Block");
    EXPECT_EQ(Filed(*slab), "Floors/Brick");
    EXPECT_EQ(doc.Saved, 0);
}

TEST_F(CompoundCategories, RenamingACategoryToItselfStillRefillsAndEnablesSave) {
    Select(*form->lbRubros, "roofs");
    ASSERT_EQ(Subcategories(), QStringList({"Tin"}));
    testing_support::ScriptedSeam seam;
    seam.expectInput("Edit this category.", std::nullopt);
    form->btnUpdateClick();
    EXPECT_EQ(Categories(), QStringList({"Floors", "roofs", "Walls"}));
    EXPECT_EQ(form->lbRubros->currentRow(), -1);
    EXPECT_EQ(Subcategories(), QStringList({"Brick", "Tile"}));
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
    // An empty answer changes no name but still refills and marks the document.
    doc.Saved = 1;
    Select(*form->lbRubros, "roofs");
    seam.expectInput("Edit this category.", QString());
    form->btnUpdateClick();
    EXPECT_EQ(Categories(), QStringList({"Floors", "roofs", "Walls"}));
    EXPECT_EQ(doc.Saved, 0);
}

TEST_F(CompoundCategories, RenamingCategoriesComparesNamesExactly) {
    AddCategory("walls");
    AddSubcategory("Glass", "walls");
    TInsumoCompuesto* window = AddCompound("Window", "walls", "Glass");
    form = std::make_unique<TRubrosForm>();
    Select(*form->lbRubros, "walls");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Edit this category.", QString("Openings"));
    form->btnUpdateClick();
    EXPECT_EQ(Categories(), QStringList({"Floors", "Openings", "roofs", "Walls"}));
    EXPECT_EQ(Filed(*window), "Openings/Glass");
    EXPECT_EQ(Filed(*wall), "Walls/Brick");
}

TEST_F(CompoundCategories, AddingASubcategoryFilesItUnderTheSelectedCategory) {
    Select(*form->lbRubros, "roofs");
    testing_support::ScriptedSeam seam;
    seam.expectInput("New subcategory.\nInput a new subcategory.", QString())
        .expectInput("Input a new subcategory.", QString("Slate"));
    form->btnAddSubClick();
    EXPECT_EQ(doc.Saved, 1);
    form->btnAddSubClick();
    EXPECT_EQ(Subcategories(), QStringList({"Slate", "Tin"}));
    EXPECT_EQ(StoredSubcategories().last(), "Slate/roofs");
    EXPECT_EQ(form->lbRubros->currentItem()->text(), "roofs");
    EXPECT_EQ(doc.Saved, 0);
}

TEST_F(CompoundCategories, DeletingASubcategoryRemovesItsOwnEntryAndRefilesOnlyItsCompounds) {
    // Floors is shown; its Brick is the second stored Brick.
    Select(*form->lbSubrubros, "Brick");
    testing_support::ScriptedSeam seam;
    seam.expectMessage("Are you sure to delete this subcategory?", Answer::Yes);
    form->btnDeleteSubClick();
    EXPECT_EQ(Subcategories(), QStringList({"Tile"}));
    EXPECT_EQ(form->lbSubrubros->currentRow(), -1);
    EXPECT_EQ(StoredSubcategories(),
              QStringList({"Brick/Walls", "Block/Walls", "Tile/Floors", "Tin/roofs"}));
    EXPECT_EQ(Filed(*wall), "Walls/Brick");
    EXPECT_EQ(Filed(*slab), "Floors/Others");
    EXPECT_EQ(Filed(*tiling), "Floors/Tile");
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(CompoundCategories, DeletingOneOfTwoEqualSubcategoriesKeepsItsCompoundsFiled) {
    AddSubcategory("Tile", "Floors");
    form = std::make_unique<TRubrosForm>();
    ASSERT_EQ(Subcategories(), QStringList({"Brick", "Tile", "Tile"}));
    // The second Tile row shows the Tile stored last.
    form->lbSubrubros->setCurrentRow(2);
    testing_support::ScriptedSeam seam;
    seam.expectMessage("delete this subcategory", Answer::Yes);
    form->btnDeleteSubClick();
    EXPECT_EQ(StoredSubcategories(), QStringList({"Brick/Walls", "Block/Walls", "Tile/Floors",
                                                  "Brick/Floors", "Tin/roofs"}));
    EXPECT_EQ(Subcategories(), QStringList({"Brick", "Tile"}));
    EXPECT_EQ(Filed(*tiling), "Floors/Tile");
}

TEST_F(CompoundCategories, DeletingOneOfTwoEqualCategoriesKeepsTheFilingOfTheOther) {
    AddCategory("Walls");
    const estimating::TCategoria* second = doc.CompoundCategories.Objects(4);
    form = std::make_unique<TRubrosForm>();
    ASSERT_EQ(Categories(), QStringList({"Floors", "roofs", "Walls", "Walls"}));
    form->lbRubros->setCurrentRow(3);
    testing_support::ScriptedSeam seam;
    seam.expectMessage("delete this category", Answer::Yes);
    form->btnDeleteClick();
    EXPECT_EQ(doc.CompoundCategories.Count(), 4);
    EXPECT_EQ(doc.CompoundCategories.IndexOfObject(second), -1);
    EXPECT_EQ(StoredSubcategories().size(), 5);
    EXPECT_EQ(Filed(*wall), "Walls/Brick");
    Select(*form->lbRubros, "Walls");
    EXPECT_EQ(Subcategories(), QStringList({"Block", "Brick"}));
}

TEST_F(CompoundCategories, RenamingOneOfTwoEqualCategoriesRenamesItsOwnEntryOnly) {
    AddCategory("Walls");
    form = std::make_unique<TRubrosForm>();
    // The second Walls row shows the empty Walls stored last.
    form->lbRubros->setCurrentRow(3);
    testing_support::ScriptedSeam seam;
    seam.expectInput("Edit this category.", QString("Masonry"));
    form->btnUpdateClick();
    EXPECT_EQ(doc.CompoundCategories.Strings(0), "Walls");
    EXPECT_EQ(doc.CompoundCategories.Objects(0)->Name, "Walls");
    EXPECT_EQ(doc.CompoundCategories.Strings(4), "Masonry");
    EXPECT_EQ(doc.CompoundCategories.Objects(4)->Name, "Masonry");
    EXPECT_EQ(StoredSubcategories(), QStringList({"Brick/Walls", "Block/Walls", "Tile/Floors",
                                                  "Brick/Floors", "Tin/roofs"}));
    EXPECT_EQ(Filed(*wall), "Walls/Brick");
    EXPECT_EQ(Filed(*partition), "Walls/Block");
    Select(*form->lbRubros, "Walls");
    EXPECT_EQ(Subcategories(), QStringList({"Block", "Brick"}));
    Select(*form->lbRubros, "Masonry");
    EXPECT_TRUE(Subcategories().isEmpty());
}

TEST_F(CompoundCategories, RenamingASubcategoryRenamesItsEntryAndOnlyItsCompounds) {
    Select(*form->lbSubrubros, "Brick");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Modify subcategory.\nEdit this subcategory.", QString("Clay"));
    form->btnUpdateSubClick();
    EXPECT_EQ(Subcategories(), QStringList({"Clay", "Tile"}));
    // The entry of the chosen row is renamed, not the first one of that name.
    EXPECT_EQ(StoredSubcategories(), QStringList({"Brick/Walls", "Block/Walls", "Tile/Floors",
                                                  "Clay/Floors", "Tin/roofs"}));
    EXPECT_EQ(Filed(*slab), "Floors/Clay");
    EXPECT_EQ(Filed(*wall), "Walls/Brick");
    EXPECT_EQ(doc.Saved, 0);
}

TEST_F(CompoundCategories, RenamingOneOfTwoEqualSubcategoriesKeepsItsCompoundsFiled) {
    AddSubcategory("Tile", "Floors");
    form = std::make_unique<TRubrosForm>();
    form->lbSubrubros->setCurrentRow(2);
    testing_support::ScriptedSeam seam;
    seam.expectInput("Edit this subcategory.", QString("Ceramic"));
    form->btnUpdateSubClick();
    EXPECT_EQ(StoredSubcategories(), QStringList({"Brick/Walls", "Block/Walls", "Tile/Floors",
                                                  "Brick/Floors", "Tin/roofs", "Ceramic/Floors"}));
    EXPECT_EQ(Filed(*tiling), "Floors/Tile");
}

TEST_F(CompoundCategories, RenamingASubcategoryToNothingChangesNothing) {
    Select(*form->lbSubrubros, "Tile");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Edit this subcategory.", QString());
    form->btnUpdateSubClick();
    EXPECT_EQ(Subcategories(), QStringList({"Brick", "Tile"}));
    EXPECT_EQ(Filed(*tiling), "Floors/Tile");
    EXPECT_EQ(doc.Saved, 1);
    EXPECT_FALSE(form->btnSave->isEnabled());
}

TEST_F(CompoundCategories, OpenerKeepsTheEditorInItsGlobalWhileItIsShown) {
    testing_support::ScriptedSeam seam;
    bool seen = false;
    seam.expectDialog("TRubrosForm", [&seen](QDialog& d) { seen = &d == RubrosForm; });
    QWidget owner;
    ShowRubrosForm(&owner);
    EXPECT_TRUE(seen);
    EXPECT_EQ(RubrosForm, nullptr);
}
