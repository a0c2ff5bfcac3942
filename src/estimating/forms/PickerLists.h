#pragma once
// Sorted lists of the item pickers: rows ordered by their text without regard to letter case,
// each carrying the object it shows.

#include <QComboBox>
#include <QListWidget>
#include <QString>

namespace picker_lists {

// Inserts a row at its sorted place (after rows that compare equal) and gives its position.
int InsertSorted(QComboBox& list, const QString& text, void* object);
int InsertSorted(QListWidget& list, const QString& text, void* object);

// The object carried by a row (null for a position out of range).
void* ObjectAt(const QComboBox& list, int row);
void* ObjectAt(const QListWidget& list, int row);

} // namespace picker_lists
