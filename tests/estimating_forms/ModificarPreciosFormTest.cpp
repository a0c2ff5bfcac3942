// The percentage price change: the three check lists narrowing each other, the factor, and what
// Accept does to the checked prices.

#include "ModificarPreciosFrm.h"
#include "ScriptedSeam.h"
#include "SimplesTestData.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace simples_testing;

namespace {

class PriceChange : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        AddSubcategory(doc, "Steel", "Materials");
        AddSubcategory(doc, "Shared", "Materials");
        AddSubcategory(doc, "Masonry", "Labor");
        AddSubcategory(doc, "Shared", "Labor");
        AddSubcategory(doc, "Others", "Equipment");
        rebar = AddPrimary(doc, "Rebar", "Materials", "Steel", 200);
        wire = AddPrimary(doc, "Wire", "Materials", "Steel", 10);
        mason = AddPrimary(doc, "Mason", "Labor", "Masonry", 20);
        glue = AddPrimary(doc, "Glue", "Materials", "Shared", 4);
        helper = AddPrimary(doc, "Helper", "Labor", "Shared", 8);
        crane = AddPrimary(doc, "Crane", "Equipment", "Others", 50);
        doc.Saved = 1;
        owned = std::make_unique<TModificarPreciosForm>();
        form = owned.get();
    }

    // The user ticks or clears an entry.
    static void Tick(QListWidget& list, const QString& text, bool on = true) {
        const QList<QListWidgetItem*> found = list.findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << text.toStdString();
        found.first()->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    static QStringList Checked(const QListWidget& list) {
        QStringList texts;
        for (int i = 0; i < list.count(); ++i)
            if (list.item(i)->checkState() == Qt::Checked)
                texts << list.item(i)->text();
        return texts;
    }
    // Ticks Materials, Steel, and every primary listed.
    void ChooseSteel() {
        Tick(*form->chkCategorias, "Materials");
        Tick(*form->chkSubcategorias, "Steel");
        form->chbSimples->click();
    }
    void Accept(const QString& percent) {
        form->edtPorcent->setText(percent);
        seam.expectMessage("Modifications made successfully.");
        form->btnAccept->click();
    }

    TInsumo* rebar = nullptr;
    TInsumo* wire = nullptr;
    TInsumo* mason = nullptr;
    TInsumo* glue = nullptr;
    TInsumo* helper = nullptr;
    TInsumo* crane = nullptr;
    testing_support::ScriptedSeam seam;
    std::unique_ptr<TModificarPreciosForm> owned;
    TModificarPreciosForm* form = nullptr;
};

} // namespace

TEST_F(PriceChange, StartsWithTheCostTypesOnly) {
    EXPECT_EQ(form->windowTitle(), "Modify primaries' prices");
    EXPECT_EQ(Texts(*form->chkCategorias),
              QStringList({"Materials", "Labor", "Equipment", "Subcontracts", "Others"}));
    EXPECT_TRUE(Checked(*form->chkCategorias).isEmpty());
    EXPECT_EQ(form->chkSubcategorias->count(), 0);
    EXPECT_EQ(form->chkSimples->count(), 0);
    EXPECT_TRUE(form->rbAumento->isChecked());
    EXPECT_TRUE(form->IsIncrease());
    EXPECT_TRUE(form->edtPorcent->text().isEmpty());
    for (const char* name : {"rbAumento", "rbDecremento", "edtPorcent", "chkCategorias",
                             "chbCategorias", "chkSubcategorias", "chbSubcategorias", "chkSimples",
                             "chbSimples", "btnAccept", "btnCancel"})
        EXPECT_NE(form->findChild<QWidget*>(name), nullptr) << name;
}

TEST_F(PriceChange, RaisesAndLowersByThePercentage) {
    ChooseSteel();
    EXPECT_EQ(Checked(*form->chkSimples), QStringList({"Rebar", "Wire"}));
    Accept("50");
    EXPECT_DOUBLE_EQ(rebar->Price(), 300);
    EXPECT_DOUBLE_EQ(form->LastFactor(), 1.5);
    Accept("50");
    EXPECT_DOUBLE_EQ(rebar->Price(), 450);

    rebar->SetPrice(200);
    form->rbDecremento->click();
    EXPECT_FALSE(form->IsIncrease());
    Accept("25");
    EXPECT_DOUBLE_EQ(rebar->Price(), 150);

    rebar->SetPrice(200);
    form->rbAumento->click();
    Accept("-50"); // the sign is ignored
    EXPECT_DOUBLE_EQ(rebar->Price(), 300);
    EXPECT_DOUBLE_EQ(mason->Price(), 20);
}

TEST_F(PriceChange, LoweringByAHundredOrMore) {
    ChooseSteel();
    form->rbDecremento->click();
    Accept("100");
    EXPECT_DOUBLE_EQ(rebar->Price(), 0);
    rebar->SetPrice(200);
    Accept("150");
    EXPECT_DOUBLE_EQ(rebar->Price(), -100);
    EXPECT_DOUBLE_EQ(form->LastFactor(), -0.5);
}

TEST_F(PriceChange, AnUnreadableOrOverlargePercentageIsReportedAndChangesNothing) {
    estimating::TItem line;
    line.Code = rebar->Code();
    line.Insumo = rebar;
    line.Quantity = 10;
    auto compound = std::make_unique<estimating::TInsumoCompuesto>();
    compound->SetCode("C000001");
    doc.Compounds.Add(std::move(compound))->AsCompuesto()->Items().Add(line);
    line.Quantity = 1;
    auto budget = std::make_unique<estimating::TInsumoCompuesto>();
    budget->SetCode("P000001");
    budget->SetSubKind(estimating::kSubKindBudget);
    budget->SetGeneralCostsRate(1e300);
    doc.Budgets.Add(std::move(budget))->AsCompuesto()->Items().Add(line);
    ChooseSteel();
    // "5e307" leaves the price finite, not the compound's; "10000000000" leaves the compound's
    // finite, not the budget's general costs.
    for (const char* bad : {"", "abc", "1,5", "inf", "1e999", "1e308", "5e307", "10000000000"}) {
        seam.expectMessage(QStringLiteral("'%1' is not a valid floating point value").arg(bad));
        form->edtPorcent->setText(bad);
        form->btnAccept->click();
        EXPECT_DOUBLE_EQ(rebar->Price(), 200) << bad;
        EXPECT_DOUBLE_EQ(wire->Price(), 10) << bad;
    }
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(PriceChange, NoCheckedPrimaryStillReportsSuccess) {
    Tick(*form->chkCategorias, "Materials");
    Tick(*form->chkSubcategorias, "Steel");
    Accept("10");
    EXPECT_DOUBLE_EQ(rebar->Price(), 200);
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(PriceChange, AChangedPriceIsAnUnsavedChange) {
    ChooseSteel();
    Accept("10");
    EXPECT_EQ(doc.Saved, 0);
}

TEST_F(PriceChange, ListsNarrowEachOther) {
    Tick(*form->chkCategorias, "Materials");
    EXPECT_EQ(Texts(*form->chkSubcategorias), QStringList({"Steel", "Shared"}));
    EXPECT_TRUE(Checked(*form->chkSubcategorias).isEmpty());
    Tick(*form->chkSubcategorias, "Shared");
    // Every primary of that subcategory name, whatever its cost type.
    EXPECT_EQ(Texts(*form->chkSimples), QStringList({"Glue", "Helper"}));
    EXPECT_TRUE(Checked(*form->chkSimples).isEmpty());

    Tick(*form->chkCategorias, "Labor");
    EXPECT_EQ(Texts(*form->chkSubcategorias), QStringList({"Steel", "Shared", "Masonry"}));
    EXPECT_EQ(Checked(*form->chkSubcategorias), QStringList({"Shared"}));

    // Clearing either cost type drops the shared subcategory with its primaries.
    Tick(*form->chkCategorias, "Labor", false);
    EXPECT_EQ(Texts(*form->chkSubcategorias), QStringList({"Steel"}));
    EXPECT_EQ(form->chkSimples->count(), 0);
    EXPECT_EQ(Checked(*form->chkCategorias), QStringList({"Materials"}));

    // Back again, unchecked.
    Tick(*form->chkCategorias, "Labor");
    EXPECT_EQ(Texts(*form->chkSubcategorias), QStringList({"Steel", "Masonry", "Shared"}));
    EXPECT_TRUE(Checked(*form->chkSubcategorias).isEmpty());

    Tick(*form->chkSubcategorias, "Masonry");
    Tick(*form->chkSubcategorias, "Masonry", false);
    EXPECT_EQ(form->chkSimples->count(), 0);
}

TEST_F(PriceChange, AllBoxesCheckButNeverClear) {
    form->chbCategorias->click();
    EXPECT_EQ(Checked(*form->chkCategorias).size(), 5);
    // Equipment's stored "Others" is the only way to reach primaries of that subcategory.
    EXPECT_EQ(Texts(*form->chkSubcategorias),
              QStringList({"Steel", "Shared", "Masonry", "Others"}));
    form->chbSubcategorias->click();
    EXPECT_EQ(Checked(*form->chkSubcategorias).size(), 4);
    EXPECT_EQ(Texts(*form->chkSimples),
              QStringList({"Rebar", "Wire", "Glue", "Helper", "Mason", "Crane"}));
    form->chbSimples->click();
    EXPECT_EQ(Checked(*form->chkSimples).size(), 6);

    form->chbCategorias->click();
    form->chbSubcategorias->click();
    form->chbSimples->click();
    EXPECT_EQ(Checked(*form->chkCategorias).size(), 5);
    EXPECT_EQ(Checked(*form->chkSubcategorias).size(), 4);
    EXPECT_EQ(Checked(*form->chkSimples).size(), 6);
}

TEST_F(PriceChange, PrimariesOfTheSameNameEachHaveTheirOwnEntry) {
    TInsumo* second = AddPrimary(doc, "REBAR", "Materials", "Steel", 1000);
    ChooseSteel();
    EXPECT_EQ(Texts(*form->chkSimples), QStringList({"Rebar", "Wire", "REBAR"}));
    Accept("10");
    EXPECT_DOUBLE_EQ(rebar->Price(), 220);
    EXPECT_DOUBLE_EQ(second->Price(), 1100);
}

TEST_F(PriceChange, ClearingASubcategoryLeavesANamesakeReachedThroughAnother) {
    TInsumo* helperTwo = AddPrimary(doc, "Helper", "Labor", "Masonry", 30);
    Tick(*form->chkCategorias, "Labor");
    Tick(*form->chkSubcategorias, "Masonry");
    Tick(*form->chkSubcategorias, "Shared");
    EXPECT_EQ(Texts(*form->chkSimples), QStringList({"Mason", "Helper", "Glue", "Helper"}));
    Tick(*form->chkSubcategorias, "Shared", false);
    EXPECT_EQ(Texts(*form->chkSimples), QStringList({"Mason", "Helper"}));
    form->chbSimples->click();
    Accept("50");
    EXPECT_DOUBLE_EQ(helperTwo->Price(), 45);
    EXPECT_DOUBLE_EQ(helper->Price(), 8);
}

TEST_F(PriceChange, TickingAPrimaryRunsNothingAndCancelUndoesNothing) {
    Tick(*form->chkCategorias, "Materials");
    Tick(*form->chkSubcategorias, "Steel");
    Tick(*form->chkSimples, "Wire");
    EXPECT_EQ(Texts(*form->chkSimples), QStringList({"Rebar", "Wire"}));
    Accept("100");
    EXPECT_DOUBLE_EQ(wire->Price(), 20);
    EXPECT_DOUBLE_EQ(rebar->Price(), 200);
    form->btnCancel->click();
    EXPECT_DOUBLE_EQ(wire->Price(), 20);
}

TEST_F(PriceChange, APrimaryDeletedMeanwhileIsSkipped) {
    ChooseSteel();
    doc.Primaries.Delete(wire->Code());
    Accept("10");
    EXPECT_DOUBLE_EQ(rebar->Price(), 220);
}
