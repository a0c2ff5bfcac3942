#include "SelectItemFrm.h"

#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

TEST(SelectItemFrm, OpensWithDivisionChosen) {
    TSelectItemForm d;
    EXPECT_EQ(d.windowTitle(), "Add element");
    EXPECT_EQ(d.ItemKind, 3);
    EXPECT_EQ(d.Cancelled, 1);
    EXPECT_TRUE(d.rbDivision->isChecked());
    d.btnAccept->click();
    EXPECT_EQ(d.Cancelled, 0);
    EXPECT_EQ(d.ItemKind, 3);
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST(SelectItemFrm, EachRadioSetsItsKind) {
    TSelectItemForm d;
    const std::pair<QRadioButton*, int> radios[] = {
        {d.rbSimple, 0}, {d.rbCompuesto, 1}, {d.rbPresupuesto, 2}, {d.rbDivision, 3}};
    for (const auto& [radio, kind] : radios) {
        radio->click();
        EXPECT_EQ(d.ItemKind, kind) << radio->objectName().toStdString();
        EXPECT_TRUE(radio->isChecked());
    }
    d.Tipo(d.rbCompuesto);
    EXPECT_EQ(d.ItemKind, 1);
    EXPECT_TRUE(d.rbCompuesto->isChecked());
    // A sender of any other name changes nothing.
    d.Tipo(d.btnAccept);
    EXPECT_EQ(d.ItemKind, 1);
}

TEST(SelectItemFrm, CancelOrFrameCloseLeavesCancelled) {
    TSelectItemForm a;
    a.rbSimple->click();
    a.btnCancel->click();
    EXPECT_EQ(a.Cancelled, 1);
    TSelectItemForm b;
    b.reject();
    EXPECT_EQ(b.Cancelled, 1);
}
