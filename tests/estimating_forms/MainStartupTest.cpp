#include "MainFormFixture.h"

#include "AppHelp.h"
#include "MyUtils.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

using namespace forms_testing;
using modal::Answer;
using testing_support::ScriptedSeam;

TEST_F(MainFormTest, StartsEmptyTitledAndWithTheDatabaseCommandsOff) {
    EXPECT_EQ(form->windowTitle(), "Obravel");
    EXPECT_NE(Document, nullptr);
    EXPECT_EQ(Document->Saved, 1);
    EXPECT_TRUE(Document->FileName().empty());
    EXPECT_EQ(form->tvPresu->topLevelItemCount(), 0);
    EXPECT_TRUE(form->StBar->text().isEmpty());
    for (QAction* a : {form->MenuUnidades, form->Compuestos1, form->Simples1, form->OpenSimples,
                       form->OpenCompuestos, form->OpenPresupuestos})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    for (QToolButton* b : {form->btnUpdate, form->btnAddItem, form->btnDelItem, form->btnClonar,
                           form->btnPropiedades, form->btnSave, form->btnUp, form->btnDown})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(form->frame1->btnEditCant->isEnabled());
    for (QToolButton* b : {form->btnOpen, form->btnNewDB, form->btnPresupuestos,
                           form->btnControlPanel, form->btnHelp, form->btnUpdateTree})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(form->frame1->btnReport->isEnabled());
    EXPECT_TRUE(form->frame1->btnVerReporte->isEnabled());
}

TEST_F(MainFormTest, StartsWithBreakdownOffAndTheCostTypeFilterOnAll) {
    EXPECT_EQ(form->Explosion, 0);
    EXPECT_FALSE(form->frame1->chkExplosion->isChecked());
    EXPECT_TRUE(form->frame1->rbTodos->isChecked());
    EXPECT_TRUE(form->CategoryFilter.isEmpty());
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(form->frame1->costBar(k)->width(), 0);
        EXPECT_FALSE(form->frame1->costRadio(k)->isEnabled());
    }
    EXPECT_FALSE(form->frame1->rbTodos->isEnabled());
    EXPECT_EQ(form->GridRowCount(), 2);
    EXPECT_EQ(form->GridCell(0, 0), "Code");
    EXPECT_EQ(form->GridCell(0, 6), "Perc.");
}

TEST_F(MainFormTest, WindowsAreCreatedInTheirGlobals) {
    EXPECT_EQ(MainForm, form);
    ASSERT_NE(DebugForm, nullptr);
    ASSERT_NE(ReportForm, nullptr);
    ASSERT_NE(AboutBox, nullptr);
    EXPECT_FALSE(DebugForm->isVisible());
    EXPECT_FALSE(ReportForm->isVisible());
    EXPECT_TRUE(DebugForm->memo->toPlainText().isEmpty());
    EXPECT_EQ(DebugForm->windowTitle(), "Debug Form");
}

TEST_F(MainFormTest, GlobalsOfTheMainModule) {
    ASSERT_NE(CostTypeNames, nullptr);
    EXPECT_EQ(*CostTypeNames,
              QStringList({"Materials", "Labor", "Equipment", "Subcontracts", "Others"}));
    EXPECT_TRUE(DatabasesDir.endsWith("/Databases/"));
    EXPECT_TRUE(DatabasesDir.startsWith(QCoreApplication::applicationDirPath()));
}

TEST_F(MainFormTest, ControlsCarryTheirNamesAndCaptions) {
    for (const char* name : {"tvPresu", "gridItems", "StBar", "stTipo", "ToolBar2", "btnAddItem",
                             "btnSave", "Splitter1", "Splitter2", "frame1", "shCanvas", "rbSub"})
        EXPECT_NE(form->findChild<QObject*>(name), nullptr) << name;
    EXPECT_EQ(form->FileNewItem->text(), "&New database");
    EXPECT_EQ(form->FileNewItem->statusTip(), "Create a new file");
    EXPECT_EQ(form->OpenPresupuestos->text(), "Budgets...");
    EXPECT_EQ(form->btnSave->toolTip(), "Save all.");
    EXPECT_EQ(form->frame1->chkExplosion->text(), "Primary components");
    EXPECT_EQ(form->frame1->shCanvas->width(), 145);
}

TEST_F(MainFormTest, HelpShowsTheOverviewTopicOfTheHelpPage) {
    ScriptedSeam seam;
    seam.expectHelp("overview");
    form->btnHelp->click();
    EXPECT_EQ(ApplicationHelpFile(), "Help.hlp");
    ASSERT_EQ(seam.log().size(), 1u);
    EXPECT_TRUE(seam.log()[0].startsWith(QCoreApplication::applicationDirPath() + "/Help.html"));
}

TEST_F(MainFormTest, AboutShowsTheKeptAboutBox) {
    ScriptedSeam seam;
    seam.expectDialog("TAboutBox", [](QDialog& d) {
        auto& box = static_cast<TAboutBox&>(d);
        EXPECT_EQ(box.ProductName->text(), "Obravel");
        EXPECT_EQ(box.Version->text(), QString::fromUtf8("Versión 2.3.11"));
        box.OKButton->click();
    });
    form->About->trigger();
    EXPECT_NE(AboutBox, nullptr);
}

TEST_F(MainFormTest, CoreMessagesReachTheSeam) {
    ScriptedSeam seam;
    seam.expectMessage("Error trying to delete this item.");
    Document->Primaries.Delete("S999999");
}

TEST(DebugFormTest, ClearDoesNothingAndCloseCloses) {
    TDebugForm form;
    form.show();
    form.memo->setPlainText("x");
    form.btnClear->click();
    EXPECT_EQ(form.memo->toPlainText(), "x");
    EXPECT_EQ(form.btnClose->text(), "Cerrar");
    form.btnClose->click();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MainFormTest, NumbersTakeTheDecimalMarkOfTheLocale) {
    const QLocale pinned;
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    ConnectCoreToUserInterface();
    EXPECT_EQ(estimating::FormatFixed(1234.5, 0, 2), "1234,50");
    QLocale::setDefault(pinned);
    ConnectCoreToUserInterface();
    EXPECT_EQ(estimating::FormatFixed(1234.5, 0, 2), "1234.50");
}
