#pragma once
// Sorted lists of the item pickers: rows ordered by their text without regard to letter case,
// each carrying the object it shows.

#include <QComboBox>
#include <QListWidget>
#include <QString>

namespace picker_lists {

// Orders two entries as every sorted list of the program does: by the locale, ignoring case.
int CompareEntries(const QString& a, const QString& b);

// The position after every entry that does not sort after `text`; textAt(i) gives entry i.
template <class TextAt> int SortedPosition(int count, const QString& text, TextAt textAt) {
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (CompareEntries(textAt(middle), text) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// Inserts a row at its sorted place (after rows that compare equal) and gives its position.
int InsertSorted(QComboBox& list, const QString& text, void* object);
int InsertSorted(QListWidget& list, const QString& text, void* object);

// The object carried by a row (null for a position out of range).
void* ObjectAt(const QComboBox& list, int row);
void* ObjectAt(const QListWidget& list, int row);

} // namespace picker_lists
