#include "PickerLists.h"

#include <QCollator>
#include <QVariant>

namespace picker_lists {

namespace {

constexpr int kObjectRole = Qt::UserRole;

const QCollator& collator() {
    static const QCollator sorter = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return sorter;
}

} // namespace

int CompareEntries(const QString& a, const QString& b) {
    const int order = collator().compare(a, b);
    if (order != 0)
        return order;
    return QString::compare(a, b, Qt::CaseInsensitive);
}

int InsertSorted(QComboBox& list, const QString& text, void* object) {
    const int at = SortedPosition(list.count(), text, [&](int i) { return list.itemText(i); });
    list.insertItem(at, text, QVariant::fromValue(object));
    return at;
}

int InsertSorted(QListWidget& list, const QString& text, void* object) {
    const int at = SortedPosition(list.count(), text, [&](int i) { return list.item(i)->text(); });
    auto* row = new QListWidgetItem(text);
    row->setData(kObjectRole, QVariant::fromValue(object));
    list.insertItem(at, row);
    return at;
}

void* ObjectAt(const QComboBox& list, int row) {
    if (row < 0 || row >= list.count())
        return nullptr;
    return list.itemData(row).value<void*>();
}

void* ObjectAt(const QListWidget& list, int row) {
    if (row < 0 || row >= list.count())
        return nullptr;
    return list.item(row)->data(kObjectRole).value<void*>();
}

} // namespace picker_lists
