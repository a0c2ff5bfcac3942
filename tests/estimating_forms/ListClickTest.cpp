// The click of a list box, shared by every form whose list has a click handler.

#include "DialogKit.h"
#include "ListTexts.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <QTest>
#include <gtest/gtest.h>

using forms_testing::ClickRow;

TEST(ListClick, RunsOncePerClickOrKeyboardChoiceAndNeverForAFill) {
    QListWidget list;
    int runs = 0;
    BindListClick(list, [&runs] { ++runs; });
    {
        const QSignalBlocker blocker(&list);
        list.addItems({"Equipment", "Labor", "Materials"});
        list.setCurrentRow(0);
    }
    list.resize(200, 200);
    list.show();
    EXPECT_EQ(runs, 0);

    ClickRow(list, 0); // the entry already chosen
    EXPECT_EQ(runs, 1);
    ClickRow(list, 1);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(list.currentRow(), 1);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(list.currentRow(), 2);

    ClickRow(list, 2, Qt::ControlModifier); // takes the highlight away
    EXPECT_TRUE(list.selectedItems().isEmpty());
    EXPECT_EQ(runs, 4);
    const QRect last = list.visualItemRect(list.item(2));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(last.left(), last.bottom() + 20));
    EXPECT_EQ(runs, 4);
}
