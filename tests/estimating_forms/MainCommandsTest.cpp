#include "MainFormFixture.h"

#include "DetallePresuFrm.h"

#include <QFile>

using namespace forms_testing;
using testing_support::ScriptedSeam;

TEST_F(MainFormTest, BudgetDataRenamesTheRootAndFollowsTheSavedFlag) {
    ScriptedSeam seam;
    openSample(seam);
    click(node({"Wall"}));
    TInsumoCompuesto* shown = form->CurrentBudget;
    seam.expectDialog("TDetallePresuForm", [shown](QDialog& d) {
        auto& details = static_cast<TDetallePresuForm&>(d);
        EXPECT_EQ(details.Budget, shown);
        details.Budget->SetName("Villa");
        Document->Saved = 0;
    });
    form->btnPropiedades->click();
    EXPECT_EQ(root()->text(0), "Villa");
    EXPECT_EQ(form->RootItem->Name, "Villa");
    // The panel still describes the node that is selected.
    EXPECT_EQ(form->frame1->stNombre->text(), "Wall");
    EXPECT_EQ(form->frame1->stUnidad->text(), "m2");
    EXPECT_TRUE(form->btnSave->isEnabled());
}

TEST_F(MainFormTest, SaveButtonWritesTheDatabaseAndTurnsItselfOff) {
    ScriptedSeam seam;
    openSample(seam);
    Document->Budgets.Find("P000001")->SetName("Villa");
    Document->Saved = 0;
    form->UpdateSaveButton();
    form->btnSave->click();
    EXPECT_EQ(Document->Saved, 1);
    EXPECT_FALSE(form->btnSave->isEnabled());
    TDocument again;
    again.SetFileName(path("sample.cdb").toStdString());
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Budgets.Find("P000001")->Name(), "Villa");
}

TEST_F(MainFormTest, SaveButtonAfterADamagedFileAsksWhereToWrite) {
    ScriptedSeam seam;
    QFile file(path("damaged.cdb"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x1b\xa2\x0d\x05", 4));
    file.close();
    seam.expectOpenFile(path("damaged.cdb")).expectMessage("File reading error");
    form->FileOpen();
    Document->Saved = 0;
    form->UpdateSaveButton();
    seam.expectSaveFile(std::nullopt);
    form->btnSave->click();
    EXPECT_TRUE(form->btnSave->isEnabled());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().size(), 4);
}
