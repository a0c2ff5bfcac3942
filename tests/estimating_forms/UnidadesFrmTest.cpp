// The units editor: adding, renaming and deleting units, what carries over to the inputs, and
// saving.

#include "UnidadesFrm.h"
#include "PresupuestosTestData.h"
#include "ScriptedSeam.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace budget_testing;
using modal::Answer;

namespace {

class UnitsEditor : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        for (const char* unit : {"m3", "kg", "h", "Gl."})
            doc.Units.Add(unit);
        cement = addPrimary(doc, "Cement", "Materials", 10, "kg");
        sand = addPrimary(doc, "Sand", "Materials", 3, "m3");
        concrete = addCompoundType(doc, estimating::kSubKindCompound, "Concrete", "m3");
        house = addCompoundType(doc, estimating::kSubKindBudget, "House", "m3");
        doc.Saved = 1;
        form = std::make_unique<TUnidadesForm>();
    }
    QStringList Rows() const {
        QStringList rows;
        for (int i = 0; i < form->lbUnits->count(); ++i)
            rows << form->lbUnits->item(i)->text();
        return rows;
    }
    QStringList Units() const {
        QStringList units;
        for (int i = 0; i < doc.Units.Count(); ++i)
            units << QString::fromStdString(doc.Units.Strings(i));
        return units;
    }
    void Select(const QString& text) {
        const auto found = form->lbUnits->findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << text.toStdString();
        form->lbUnits->setCurrentItem(found.first());
    }

    TInsumo* cement = nullptr;
    TInsumo* sand = nullptr;
    TInsumoCompuesto* concrete = nullptr;
    TInsumoCompuesto* house = nullptr;
    std::unique_ptr<TUnidadesForm> form;
};

// An input box that fails, as any step of a command might.
class FailingInputSeam : public testing_support::ScriptedSeam {
public:
    QString inputBox(const QString&, const QString&, const QString&) override {
        throw std::runtime_error("no input");
    }
};

} // namespace

TEST_F(UnitsEditor, ListsEveryUnitSortedWithoutRegardToCase) {
    EXPECT_EQ(form->windowTitle(), "Units");
    EXPECT_EQ(Rows(), QStringList({"Gl.", "h", "kg", "m3"}));
    EXPECT_EQ(form->lbUnits->currentRow(), -1);
    EXPECT_FALSE(form->btnSave->isEnabled());
    for (const char* name : {"lbUnits", "btnNew", "btnUpdate", "btnDelete", "btnSave", "btnClose"})
        EXPECT_NE(form->findChild<QWidget*>(name), nullptr) << name;
    EXPECT_EQ(form->btnNew->text(), "New");
    EXPECT_EQ(form->btnUpdate->text(), "Update");
    EXPECT_EQ(form->btnDelete->text(), "Delete");
    EXPECT_EQ(form->btnSave->text(), "Save");
    EXPECT_EQ(form->btnClose->text(), "Close");
}

TEST_F(UnitsEditor, OpensWithSaveEnabledOnAnUnsavedDocument) {
    doc.Saved = 0;
    TUnidadesForm again;
    EXPECT_TRUE(again.btnSave->isEnabled());
}

TEST_F(UnitsEditor, NewWithAnEmptyAnswerOrCancelAddsNothing) {
    testing_support::ScriptedSeam seam;
    seam.expectInput("Nueva unidad\nIngrese la nueva unidad", QString())
        .expectInput("Ingrese la nueva unidad", std::nullopt);
    form->btnNewClick();
    form->btnNewClick();
    EXPECT_EQ(doc.Units.Count(), 4);
    EXPECT_EQ(Rows().size(), 4);
    EXPECT_EQ(doc.Saved, 1);
    EXPECT_FALSE(form->btnSave->isEnabled());
}

TEST_F(UnitsEditor, NewAppendsEvenANameThatExists) {
    testing_support::ScriptedSeam seam;
    seam.expectInput("Ingrese la nueva unidad", QString("ml"))
        .expectInput("Ingrese la nueva unidad", QString("kg"));
    form->btnNewClick();
    EXPECT_EQ(Units(), QStringList({"m3", "kg", "h", "Gl.", "ml"}));
    EXPECT_EQ(Rows(), QStringList({"Gl.", "h", "kg", "m3", "ml"}));
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
    form->btnNewClick();
    EXPECT_EQ(Units(), QStringList({"m3", "kg", "h", "Gl.", "ml", "kg"}));
    EXPECT_EQ(Rows(), QStringList({"Gl.", "h", "kg", "kg", "m3", "ml"}));
}

TEST_F(UnitsEditor, RenameCarriesOverToPrimariesAndCompoundsButNotBudgets) {
    Select("m3");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Modificar unidad\nIngrese la modificacion", QString("cu.m"));
    form->btnUpdateClick();
    EXPECT_EQ(Units(), QStringList({"cu.m", "kg", "h", "Gl."}));
    EXPECT_EQ(Rows(), QStringList({"cu.m", "Gl.", "h", "kg"}));
    EXPECT_EQ(sand->Unit(), "cu.m");
    EXPECT_EQ(concrete->Unit(), "cu.m");
    EXPECT_EQ(house->Unit(), "m3");
    EXPECT_EQ(cement->Unit(), "kg");
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
    // The renamed row is not left selected: a second Update asks nothing.
    form->btnUpdateClick();
}

TEST_F(UnitsEditor, RenameComparesInputUnitsExactly) {
    cement->SetUnit("KG");
    Select("kg");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Ingrese la modificacion", QString("kilo"));
    form->btnUpdateClick();
    EXPECT_EQ(cement->Unit(), "KG");
}

TEST_F(UnitsEditor, RenameTouchesTheUnitSpeltAsTheRow) {
    doc.Units.Add("M3");
    TUnidadesForm again;
    form.reset();
    const auto found = again.lbUnits->findItems("M3", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    again.lbUnits->setCurrentItem(found.first());
    testing_support::ScriptedSeam seam;
    seam.expectInput("Ingrese la modificacion", QString("yd3"));
    again.btnUpdateClick();
    EXPECT_EQ(Units(), QStringList({"m3", "kg", "h", "Gl.", "yd3"}));
}

TEST_F(UnitsEditor, RenameOfOneOfTwoEqualUnitsLeavesItsInputsTheirUnit) {
    doc.Units.Add("kg");
    form = std::make_unique<TUnidadesForm>();
    Select("kg");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Ingrese la modificacion", QString("kilo"));
    form->btnUpdateClick();
    EXPECT_EQ(Units(), QStringList({"m3", "kilo", "h", "Gl.", "kg"}));
    EXPECT_EQ(Rows(), QStringList({"Gl.", "h", "kg", "kilo", "m3"}));
    EXPECT_EQ(cement->Unit(), "kg");
    // Once the last one is renamed, its inputs follow it.
    Select("kg");
    seam.expectInput("Ingrese la modificacion", QString("kilo"));
    form->btnUpdateClick();
    EXPECT_EQ(cement->Unit(), "kilo");
}

TEST_F(UnitsEditor, RenameCancelledRenamesToItselfAndMarksTheDocument) {
    Select("kg");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Ingrese la modificacion", std::nullopt);
    form->btnUpdateClick();
    EXPECT_EQ(Units(), QStringList({"m3", "kg", "h", "Gl."}));
    EXPECT_EQ(Rows(), QStringList({"Gl.", "h", "kg", "m3"}));
    EXPECT_EQ(cement->Unit(), "kg");
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(UnitsEditor, RenameToEmptyChangesNothing) {
    Select("kg");
    testing_support::ScriptedSeam seam;
    seam.expectInput("Ingrese la modificacion", QString());
    form->btnUpdateClick();
    EXPECT_EQ(Units(), QStringList({"m3", "kg", "h", "Gl."}));
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(UnitsEditor, DeleteAsksOkCancelAndEmptiesTheUnitOfItsInputs) {
    Select("m3");
    testing_support::ScriptedSeam seam;
    seam.expectMessage("Esta seguro de querer eliminar este ítem?", Answer::Ok);
    form->btnDeleteClick();
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].buttons, modal::Buttons::OkCancel);
    EXPECT_EQ(seam.messages[0].icon, modal::Icon::Warning);
    EXPECT_EQ(Units(), QStringList({"kg", "h", "Gl."}));
    EXPECT_EQ(Rows(), QStringList({"Gl.", "h", "kg"}));
    EXPECT_EQ(sand->Unit(), "");
    EXPECT_EQ(concrete->Unit(), "");
    EXPECT_EQ(house->Unit(), "m3");
    EXPECT_EQ(doc.Primaries.Count(), 2);
    EXPECT_EQ(doc.Compounds.Count(), 1);
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
    // Nothing is left selected: a second Delete asks nothing.
    form->btnDeleteClick();
}

TEST_F(UnitsEditor, DeleteOfOneOfTwoEqualUnitsKeepsTheOtherForItsInputs) {
    doc.Units.Add("kg");
    TUnidadesForm again;
    again.lbUnits->setCurrentRow(2);
    testing_support::ScriptedSeam seam;
    seam.expectMessage("eliminar", Answer::Ok);
    again.btnDeleteClick();
    EXPECT_EQ(Units(), QStringList({"m3", "h", "Gl.", "kg"}));
    EXPECT_EQ(cement->Unit(), "kg");
    // Once the last one goes, its inputs lose it.
    again.lbUnits->setCurrentRow(2);
    seam.expectMessage("eliminar", Answer::Ok);
    again.btnDeleteClick();
    EXPECT_EQ(cement->Unit(), "");
}

TEST_F(UnitsEditor, CancelInTheDeleteQuestionLeavesEverything) {
    Select("m3");
    testing_support::ScriptedSeam seam;
    seam.expectMessage("eliminar", Answer::Cancel);
    form->btnDeleteClick();
    EXPECT_EQ(Units(), QStringList({"m3", "kg", "h", "Gl."}));
    EXPECT_EQ(Rows().size(), 4);
    EXPECT_EQ(sand->Unit(), "m3");
    EXPECT_EQ(doc.Saved, 1);
    EXPECT_FALSE(form->btnSave->isEnabled());
}

TEST_F(UnitsEditor, UpdateAndDeleteWithoutASelectedRowDoNothing) {
    testing_support::ScriptedSeam seam;
    form->btnUpdateClick();
    form->btnDeleteClick();
    // A current row the user unselected is no selection either.
    form->lbUnits->setCurrentRow(1);
    form->lbUnits->clearSelection();
    form->btnUpdateClick();
    form->btnDeleteClick();
    EXPECT_EQ(doc.Units.Count(), 4);
    EXPECT_EQ(doc.Saved, 1);
}

TEST_F(UnitsEditor, SaveWritesTheFileAndDisablesSave) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    doc.SetFileName(dir.filePath("units.cdb").toStdString());
    testing_support::ScriptedSeam seam;
    seam.expectInput("Ingrese la nueva unidad", QString("ml"));
    form->btnNewClick();
    ASSERT_TRUE(form->btnSave->isEnabled());
    form->btnSave->click();
    EXPECT_TRUE(QFile::exists(dir.filePath("units.cdb")));
    EXPECT_EQ(doc.Saved, 1);
    EXPECT_FALSE(form->btnSave->isEnabled());

    TDocument reread;
    reread.SetFileName(doc.FileName());
    ASSERT_TRUE(reread.Load());
    ASSERT_EQ(reread.Units.Count(), 5);
    EXPECT_EQ(reread.Units.Strings(4), "ml");
}

TEST_F(UnitsEditor, AFailedSaveIsReportedAndSaveStaysEnabled) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    doc.SetFileName(dir.filePath("missing/units.cdb").toStdString());
    doc.Saved = 0;
    TUnidadesForm again;
    testing_support::ScriptedSeam seam;
    seam.expectMessage("units.cdb");
    again.btnSave->click();
    EXPECT_EQ(doc.Saved, 0);
    EXPECT_TRUE(again.btnSave->isEnabled());
}

TEST_F(UnitsEditor, OpenerKeepsTheEditorInItsGlobalWhileItIsShown) {
    testing_support::ScriptedSeam seam;
    TUnidadesForm* seen = nullptr;
    seam.expectDialog("TUnidadesForm", [&seen](QDialog& d) {
        seen = UnidadesForm;
        EXPECT_EQ(&d, UnidadesForm);
    });
    QWidget owner;
    ShowUnidadesForm(&owner);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(UnidadesForm, nullptr);
}

TEST_F(UnitsEditor, NewReportsAFailureAfterErrorColonAndUpdateThroughTheGeneralReport) {
    FailingInputSeam seam;
    seam.expectMessage("Error: no input");
    form->btnNew->click();
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "Error: no input");
    Select("kg");
    seam.expectMessage("no input");
    form->btnUpdate->click();
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[1].text, "no input");
    EXPECT_EQ(doc.Units.Count(), 4);
    EXPECT_EQ(doc.Saved, 1);
}
