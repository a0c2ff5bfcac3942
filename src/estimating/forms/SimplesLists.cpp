#include "SimplesLists.h"

#include "PickerLists.h"

#include <QComboBox>
#include <QListWidget>

namespace simples_lists {

namespace {

constexpr int kCodeRole = Qt::UserRole;

} // namespace

int CompareEntries(const QString& a, const QString& b) {
    return picker_lists::CompareEntries(a, b);
}

int InsertSorted(QListWidget& list, const QString& text, const QString& code) {
    const int row = picker_lists::SortedPosition(list.count(), text,
                                                 [&](int i) { return list.item(i)->text(); });
    auto* item = new QListWidgetItem(text);
    if (!code.isEmpty())
        item->setData(kCodeRole, code);
    list.insertItem(row, item);
    return row;
}

int InsertSorted(QComboBox& combo, const QString& text) {
    const int index =
        picker_lists::SortedPosition(combo.count(), text, [&](int i) { return combo.itemText(i); });
    combo.insertItem(index, text);
    return index;
}

int SelectedRow(const QListWidget& list) {
    const int row = list.currentRow();
    if (row < 0 || !list.item(row)->isSelected())
        return -1;
    return row;
}

QString SelectedText(const QListWidget& list) {
    const int row = SelectedRow(list);
    return row < 0 ? QString() : list.item(row)->text();
}

QString CodeOf(const QListWidgetItem& item) {
    return item.data(kCodeRole).toString();
}

} // namespace simples_lists
