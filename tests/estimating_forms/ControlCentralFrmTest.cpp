// The control panel: which buttons it offers with or without a database, and that its commands
// act as the main window's own.

#include "ControlCentralFrm.h"
#include "MainFormFixture.h"
#include "RubrosFrm.h"
#include "UnidadesFrm.h"

#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

using forms_testing::MainFormTest;
using forms_testing::writeSample;

namespace {

class ControlPanel : public MainFormTest {
protected:
    std::vector<QPushButton*> DatabaseButtons(const TControlForm& panel) const {
        return {panel.btnSubcategoriasSimples, panel.btnRubrosCompuestos, panel.btnSimples,
                panel.btnCompuestos,           panel.btnPresupuestos,     panel.btnUnidades};
    }
    void ExpectDatabaseButtons(const TControlForm& panel, bool enabled) const {
        for (QPushButton* button : DatabaseButtons(panel))
            EXPECT_EQ(button->isEnabled(), enabled) << button->objectName().toStdString();
        EXPECT_TRUE(panel.btnOpenDB->isEnabled());
        EXPECT_TRUE(panel.btnClose->isEnabled());
    }
};

} // namespace

TEST_F(ControlPanel, OffersOneButtonPerDatabaseCommand) {
    TControlForm panel(form);
    EXPECT_EQ(panel.windowTitle(), "Control Panel");
    EXPECT_EQ(panel.Label1->text(), "CONTROL PANEL");
    const std::pair<const char*, const char*> captions[] = {
        {"btnOpenDB", "Open database"}, {"btnRubrosCompuestos", "Compound's categories"},
        {"btnCompuestos", "Compounds"}, {"btnSubcategoriasSimples", "Primary's subcategories"},
        {"btnSimples", "Primaries"},    {"btnPresupuestos", "Budgets"},
        {"btnUnidades", "Units"},       {"btnClose", "Close"}};
    for (const auto& [name, caption] : captions) {
        auto* button = panel.findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), caption);
    }
}

TEST_F(ControlPanel, WithoutADatabaseOnlyOpenAndCloseCanBePressed) {
    TControlForm panel(form);
    ExpectDatabaseButtons(panel, false);
}

TEST_F(ControlPanel, OpeningADatabaseFromThePanelEnablesItsButtonsAtOnce) {
    TControlForm panel(form);
    testing_support::ScriptedSeam seam;
    seam.expectOpenFile(writeSample(path("sample.cdb")));
    expectBudgetListCancelled(seam);
    panel.btnOpenDB->click();
    EXPECT_EQ(QString::fromStdString(Document->FileName()), path("sample.cdb"));
    ExpectDatabaseButtons(panel, true);
}

TEST_F(ControlPanel, ACancelledOpenKeepsTheButtonsAsTheDatabaseLeftThem) {
    TControlForm closed(form);
    testing_support::ScriptedSeam seam;
    seam.expectOpenFile(std::nullopt);
    closed.btnOpenDB->click();
    ExpectDatabaseButtons(closed, false);

    openSample(seam);
    TControlForm open(form);
    ExpectDatabaseButtons(open, true);
    seam.expectOpenFile(std::nullopt);
    open.btnOpenDB->click();
    ExpectDatabaseButtons(open, true);
}

TEST_F(ControlPanel, ADatabaseReadInPartCountsAsOpen) {
    QByteArray bytes = [&] {
        QFile sample(writeSample(path("sample.cdb")));
        EXPECT_TRUE(sample.open(QIODevice::ReadOnly));
        return sample.readAll();
    }();
    bytes.chop(3);
    {
        QFile damaged(path("damaged.cdb"));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(bytes);
    }
    TControlForm panel(form);
    testing_support::ScriptedSeam seam;
    seam.expectOpenFile(path("damaged.cdb")).expectMessage("File reading error");
    expectBudgetListCancelled(seam);
    panel.btnOpenDB->click();
    ASSERT_TRUE(Document->FileName().empty());
    ExpectDatabaseButtons(panel, true);
}

TEST_F(ControlPanel, EachShowingFollowsTheDocument) {
    TControlForm panel(form);
    testing_support::ScriptedSeam seam;
    openSample(seam);
    ExpectDatabaseButtons(panel, false);
    panel.show();
    ExpectDatabaseButtons(panel, true);
    panel.close();
}

TEST_F(ControlPanel, BudgetsChoosesTheBudgetTheMainWindowShows) {
    testing_support::ScriptedSeam seam;
    seam.expectOpenFile(writeSample(path("sample.cdb")));
    expectBudgetListCancelled(seam);
    form->FileOpen();
    ASSERT_EQ(form->CurrentBudget, nullptr);
    TControlForm panel(form);
    expectBudgetChoice(seam, "P000001");
    panel.btnPresupuestos->click();
    ASSERT_NE(form->CurrentBudget, nullptr);
    EXPECT_EQ(form->CurrentBudget->Code(), "P000001");
    ASSERT_NE(root(), nullptr);
    EXPECT_EQ(root()->text(0), QString::fromStdString(form->CurrentBudget->Name()));
}

TEST_F(ControlPanel, UnitsOpensTheEditorOverThePanelAndTheMainSaveButtonFollows) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    ASSERT_FALSE(form->btnSave->isEnabled());
    TControlForm panel(form);
    seam.expectDialog("TUnidadesForm", [&panel](QDialog& d) {
        EXPECT_EQ(d.parentWidget(), &panel);
        EXPECT_EQ(&d, UnidadesForm);
        auto& units = static_cast<TUnidadesForm&>(d);
        units.btnNew->click();
    });
    seam.expectInput("Ingrese la nueva unidad", QString("ml"));
    panel.btnUnidades->click();
    EXPECT_EQ(UnidadesForm, nullptr);
    EXPECT_EQ(Document->Units.Strings(Document->Units.Count() - 1), "ml");
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(ControlPanel, OpenerKeepsThePanelInItsGlobalWhileItIsShown) {
    testing_support::ScriptedSeam seam;
    bool seen = false;
    seam.expectDialog("TControlForm", [&seen](QDialog& d) {
        seen = &d == ControlForm;
        static_cast<TControlForm&>(d).btnClose->click();
    });
    ShowControlForm(form);
    EXPECT_TRUE(seen);
    EXPECT_EQ(ControlForm, nullptr);
}

TEST_F(ControlPanel, CatalogueButtonsOpenTheMainWindowsDialogsOverThePanel) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    TControlForm panel(form);
    const std::pair<QPushButton*, const char*> buttons[] = {
        {panel.btnRubrosCompuestos, "TRubrosForm"},
        {panel.btnCompuestos, "TCompuestosForm"},
        {panel.btnSubcategoriasSimples, "TSubcategoriasSimplesForm"},
        {panel.btnSimples, "TSimplesForm"}};
    for (const auto& [button, dialog] : buttons) {
        QWidget* owner = nullptr;
        seam.expectDialog(dialog, [&owner](QDialog& d) { owner = d.parentWidget(); });
        button->click();
        EXPECT_EQ(owner, form) << dialog;
    }
    EXPECT_TRUE(seam.allAnswered());
}

TEST_F(ControlPanel, ChangesMadeThroughThePanelEnableTheMainSaveButton) {
    testing_support::ScriptedSeam seam;
    openSample(seam);
    ASSERT_FALSE(form->btnSave->isEnabled());
    TControlForm panel(form);
    seam.expectDialog("TRubrosForm",
                      [](QDialog& d) { static_cast<TRubrosForm&>(d).btnAdd->click(); });
    seam.expectInput("Type a name.", QString("Stairs"));
    panel.btnRubrosCompuestos->click();
    EXPECT_EQ(Document->Saved, 0);
    EXPECT_TRUE(form->btnSave->isEnabled());
}
