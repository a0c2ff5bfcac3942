// The primary subcategories editor: the cost types, what each lists, and how adding, renaming
// and deleting subcategories reach the primaries.

#include "SubCategoriasInsumos.h"
#include "ListTexts.h"
#include "PresupuestosTestData.h"
#include "ScriptedSeam.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace budget_testing;
using modal::Answer;

namespace {

class PrimarySubcategories : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        AddSubcategory("Steel", "Labor");
        AddSubcategory("Cement", "Materials");
        AddSubcategory("Steel", "Materials");
        AddSubcategory("Others", "Materials");
        AddSubcategory("Masonry", "Labor");
        cement = AddFiled("Portland", "Materials", "Cement");
        rebar = AddFiled("Rebar", "Materials", "Steel");
        welder = AddFiled("Welder", "Labor", "Steel");
        doc.Saved = 1;
        form = std::make_unique<TSubcategoriasSimplesForm>();
    }
    void AddSubcategory(const std::string& name, const std::string& type) {
        doc.PrimarySubcategories.AddObject(name,
                                           std::make_unique<estimating::TSubcategoria>(name, type));
    }
    TInsumo* AddFiled(const std::string& name, const std::string& type, const std::string& sub) {
        TInsumo* primary = addPrimary(doc, name, type, 1, "u");
        primary->SetSubcategory(sub);
        return primary;
    }
    QStringList Shown() const { return forms_testing::Texts(*form->lbSubcategorias); }
    void ChooseType(int row) { form->lbCategorias->setCurrentRow(row); }
    void Select(const QString& text) {
        const auto found = form->lbSubcategorias->findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << text.toStdString();
        form->lbSubcategorias->setCurrentItem(found.first());
    }
    QStringList Stored() const {
        QStringList stored;
        for (int i = 0; i < doc.PrimarySubcategories.Count(); ++i) {
            const auto* sub = doc.PrimarySubcategories.Objects(i);
            EXPECT_EQ(sub->Name, doc.PrimarySubcategories.Strings(i));
            stored << QString::fromStdString(sub->Name + "/" + sub->Category);
        }
        return stored;
    }

    TInsumo* cement = nullptr;
    TInsumo* rebar = nullptr;
    TInsumo* welder = nullptr;
    std::unique_ptr<TSubcategoriasSimplesForm> form;
};

} // namespace

TEST_F(PrimarySubcategories, OpensOnMaterialsWithTheCostTypesInTheirOrder) {
    EXPECT_EQ(form->windowTitle(), "Primaries' subcategories");
    EXPECT_EQ(form->size(), QSize(417, 378));
    EXPECT_EQ(forms_testing::Texts(*form->lbCategorias),
              QStringList({"Materials", "Labor", "Equipment", "Subcontracts", "Others"}));
    EXPECT_EQ(form->lbCategorias->currentRow(), 0);
    EXPECT_TRUE(form->lbCategorias->item(0)->isSelected());
    // "Others" is never listed.
    EXPECT_EQ(Shown(), QStringList({"Cement", "Steel"}));
    EXPECT_EQ(form->Label2->text(), "Categories");
    EXPECT_EQ(form->Label1->text(), "Subcategories");
    const std::pair<const char*, const char*> captions[] = {{"btnAdd", "New"},
                                                            {"btnUpdate", "Update"},
                                                            {"btnDelete", "Delete"},
                                                            {"btnSave", "Save"},
                                                            {"btnClose", "Close"}};
    for (const auto& [name, caption] : captions) {
        auto* button = form->findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), caption);
    }
    EXPECT_TRUE(form->btnAdd->isEnabled());
    EXPECT_TRUE(form->btnUpdate->isEnabled());
    EXPECT_TRUE(form->btnDelete->isEnabled());
    EXPECT_FALSE(form->btnSave->isEnabled());
}

TEST_F(PrimarySubcategories, ChoosingACostTypeShowsItsSubcategories) {
    ChooseType(1);
    EXPECT_EQ(Shown(), QStringList({"Masonry", "Steel"}));
    ChooseType(2);
    EXPECT_TRUE(Shown().isEmpty());
    // Update and Delete then do nothing.
    testing_support::ScriptedSeam seam;
    form->btnUpdateClick();
    form->btnDeleteClick();
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(PrimarySubcategories, AddingFilesTheSubcategoryUnderTheChosenType) {
    ChooseType(3);
    testing_support::ScriptedSeam seam;
    seam.expectInput("New subcategory\nInput a new subcategory", QString())
        .expectInput("Input a new subcategory", QString("Plumbing"))
        .expectInput("Input a new subcategory", QString("Plumbing"));
    form->btnAddClick();
    EXPECT_EQ(doc.PrimarySubcategories.Count(), 5);
    EXPECT_EQ(doc.Saved, 1);
    form->btnAddClick();
    EXPECT_EQ(Shown(), QStringList({"Plumbing"}));
    EXPECT_EQ(Stored().last(), "Plumbing/Subcontracts");
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
    form->btnAddClick();
    EXPECT_EQ(Shown(), QStringList({"Plumbing", "Plumbing"}));
}

TEST_F(PrimarySubcategories, AnAddedOthersIsKeptButNeverListed) {
    ChooseType(2);
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input a new subcategory", QString("Others"));
    form->btnAddClick();
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_EQ(Stored().last(), "Others/Equipment");
}

TEST_F(PrimarySubcategories, DeletingRemovesTheChosenTypesEntryAndRefilesOnlyItsPrimaries) {
    ChooseType(1);
    Select("Masonry");
    testing_support::ScriptedSeam seam;
    seam.expectMessage("Are you sure to delete this subcategory?", Answer::No);
    form->btnDeleteClick();
    EXPECT_EQ(doc.PrimarySubcategories.Count(), 5);
    EXPECT_EQ(doc.Saved, 1);

    // Materials' Steel is chosen, though Labor's Steel is stored first.
    ChooseType(0);
    Select("Steel");
    seam.expectMessage("Are you sure to delete this subcategory?", Answer::Yes);
    form->btnDeleteClick();
    EXPECT_EQ(seam.messages.back().buttons, modal::Buttons::YesNo);
    EXPECT_EQ(seam.messages.back().icon, modal::Icon::Warning);
    EXPECT_EQ(Stored(), QStringList({"Steel/Labor", "Cement/Materials", "Others/Materials",
                                     "Masonry/Labor"}));
    EXPECT_EQ(Shown(), QStringList({"Cement"}));
    EXPECT_EQ(rebar->Subcategory(), "Others");
    EXPECT_EQ(welder->Subcategory(), "Steel");
    EXPECT_EQ(cement->Subcategory(), "Cement");
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(PrimarySubcategories, DeletingOneOfTwoEqualSubcategoriesKeepsItsPrimariesFiled) {
    AddSubcategory("Steel", "Materials");
    form = std::make_unique<TSubcategoriasSimplesForm>();
    Select("Steel");
    testing_support::ScriptedSeam seam;
    seam.expectMessage("delete this subcategory", Answer::Yes);
    form->btnDeleteClick();
    EXPECT_EQ(Shown(), QStringList({"Cement", "Steel"}));
    EXPECT_EQ(rebar->Subcategory(), "Steel");
}

TEST_F(PrimarySubcategories, RenamingRenamesTheChosenTypesEntryAndRefilesOnlyItsPrimaries) {
    Select("Steel");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Modify subcategory\nInput the modification.", QString("Metals"));
    form->btnUpdateClick();
    EXPECT_EQ(Stored(), QStringList({"Steel/Labor", "Cement/Materials", "Metals/Materials",
                                     "Others/Materials", "Masonry/Labor"}));
    EXPECT_EQ(rebar->Subcategory(), "Metals");
    EXPECT_EQ(welder->Subcategory(), "Steel");
    EXPECT_EQ(Shown(), QStringList({"Cement", "Metals"}));
    EXPECT_EQ(doc.Saved, 0);
}

TEST_F(PrimarySubcategories, RenamingOneOfTwoEqualSubcategoriesKeepsItsPrimariesFiled) {
    AddSubcategory("Steel", "Materials");
    form = std::make_unique<TSubcategoriasSimplesForm>();
    Select("Steel");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input the modification.", QString("Metals"));
    form->btnUpdateClick();
    EXPECT_EQ(Shown(), QStringList({"Cement", "Metals", "Steel"}));
    EXPECT_EQ(rebar->Subcategory(), "Steel");
}

TEST_F(PrimarySubcategories, RenamingToTheSameNameStillEnablesSaveAndEmptyChangesNothing) {
    Select("Cement");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input the modification.", QString());
    form->btnUpdateClick();
    EXPECT_EQ(doc.Saved, 1);
    EXPECT_FALSE(form->btnSave->isEnabled());
    Select("Cement");
    seam.expectInput("Input the modification.", std::nullopt);
    form->btnUpdateClick();
    EXPECT_EQ(Stored()[1], "Cement/Materials");
    EXPECT_EQ(cement->Subcategory(), "Cement");
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(PrimarySubcategories, RenamingComparesPrimariesExactly) {
    TInsumo* fitter = AddFiled("Fitter", "Labor", "steel");
    ChooseType(1);
    Select("Steel");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input the modification.", QString("Iron"));
    form->btnUpdateClick();
    EXPECT_EQ(fitter->Subcategory(), "steel");
    EXPECT_EQ(welder->Subcategory(), "Iron");
    EXPECT_EQ(rebar->Subcategory(), "Steel");
    EXPECT_EQ(Shown(), QStringList({"Iron", "Masonry"}));
}

TEST_F(PrimarySubcategories, AnUnsavedDocumentOpensWithSaveEnabled) {
    doc.Saved = 0;
    TSubcategoriasSimplesForm again;
    EXPECT_TRUE(again.btnSave->isEnabled());
}

TEST_F(PrimarySubcategories, ACostTypeStaysChosenWhenItsHighlightIsCleared) {
    ChooseType(1);
    form->lbCategorias->clearSelection();
    testing_support::ScriptedSeam seam;
    seam.expectInput("Input a new subcategory", QString("Painting"));
    form->btnAddClick();
    EXPECT_EQ(Stored().last(), "Painting/Labor");
}

TEST_F(PrimarySubcategories, OpenerKeepsTheEditorInItsGlobalWhileItIsShown) {
    testing_support::ScriptedSeam seam;
    bool seen = false;
    seam.expectDialog("TSubcategoriasSimplesForm",
                      [&seen](QDialog& d) { seen = &d == SubcategoriasSimplesForm; });
    QWidget owner;
    ShowSubcategoriasSimplesForm(&owner);
    EXPECT_TRUE(seen);
    EXPECT_EQ(SubcategoriasSimplesForm, nullptr);
}
