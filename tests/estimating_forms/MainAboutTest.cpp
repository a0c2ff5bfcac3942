#include "AboutFrm.h"
#include "DebugFrm.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(AboutBox, ShowsProductVersionAndAccept) {
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), "About");
    EXPECT_EQ(box.ProductName->text(), "Obravel");
    EXPECT_EQ(box.Version->text(), QString::fromUtf8("Versión 2.3.11"));
    EXPECT_EQ(box.OKButton->text(), "Accept");
    EXPECT_FALSE(box.Comments->text().isEmpty());
}

TEST(DebugForm, StartsWithAnEmptyMemoAndClearDoesNothing) {
    TDebugForm form;
    EXPECT_EQ(form.windowTitle(), "Debug Form");
    EXPECT_TRUE(form.memo->toPlainText().isEmpty());
    form.memo->setPlainText("x");
    form.btnClear->click();
    EXPECT_EQ(form.memo->toPlainText(), "x");
    EXPECT_EQ(form.btnClose->text(), "Cerrar");
}
