#pragma once
// The rows of a list box as the user reads them, top to bottom, and clicks them.

#include <QListWidget>
#include <QStringList>
#include <QTest>

namespace forms_testing {

inline QStringList Texts(const QListWidget& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

// A left click with the mouse in the middle of a row of a shown list.
inline void ClickRow(QListWidget& list, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers,
                      list.visualItemRect(list.item(row)).center());
}

} // namespace forms_testing
