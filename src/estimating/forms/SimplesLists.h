#pragma once
// Sorted lists that ignore letter case, as the catalogue's list boxes and combos keep them.

#include <QString>

class QComboBox;
class QListWidget;
class QListWidgetItem;

namespace simples_lists {

// Orders two entries as the catalogue's sorted lists do: by the locale, ignoring case.
int CompareEntries(const QString& a, const QString& b);
// Inserts after every entry that does not sort after it; gives the new entry's row.
int InsertSorted(QListWidget& list, const QString& text, const QString& code = {});
int InsertSorted(QComboBox& combo, const QString& text);

// The row that is both current and selected, or -1.
int SelectedRow(const QListWidget& list);
// The text of that row, empty when none.
QString SelectedText(const QListWidget& list);
// The code an entry is bound to.
QString CodeOf(const QListWidgetItem& item);

} // namespace simples_lists
