#pragma once
// The rows of a list box as the user reads them, top to bottom.

#include <QListWidget>
#include <QStringList>

namespace forms_testing {

inline QStringList Texts(const QListWidget& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

} // namespace forms_testing
