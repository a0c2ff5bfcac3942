#include "SimplesLists.h"

#include "MyUtils.h"
#include "PickerLists.h"

#include <QComboBox>
#include <QListWidget>

namespace simples_lists {

namespace {

constexpr int kCodeRole = Qt::UserRole;

// The text with the locale's decimal mark in place of a period, when the mark is another one.
std::string withLocaleMark(std::string_view text) {
    const std::string& mark = estimating::DecimalMark();
    std::string result;
    for (char c : text) {
        if (c == '.')
            result += mark;
        else
            result += c;
    }
    return result;
}

// The text with a period in place of the locale's decimal mark.
std::string withPeriod(std::string_view text) {
    const std::string& mark = estimating::DecimalMark();
    if (mark.empty() || mark == ".")
        return std::string(text);
    std::string result;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text.substr(at, mark.size()) == mark) {
            result += '.';
            at += mark.size();
        } else {
            result += text[at++];
        }
    }
    return result;
}

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

bool IsPriceText(std::string_view text) {
    return estimating::IsPeriodNumber(text) || estimating::IsPeriodNumber(withPeriod(text));
}

double PriceOfText(std::string_view text) {
    if (estimating::IsPeriodNumber(text))
        return estimating::StrToFloat(withLocaleMark(text));
    return estimating::StrToFloat(text);
}

} // namespace simples_lists
