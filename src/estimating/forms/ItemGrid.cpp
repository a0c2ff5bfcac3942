#include "ItemGrid.h"

#include "MyUtils.h"

namespace {

struct ColumnSpec {
    const char* title;
    int width;
    int textWidth; // FormatFixed width of a figure column
    int decimals;
};

constexpr ColumnSpec kColumns[TItemGridModel::ColumnCount] = {
    {"Code", 60, 0, 0}, {"Component", 320, 0, 0}, {"Un.", 40, 0, 0},   {"Qty", 70, 9, 3},
    {"U.P:", 70, 9, 2}, {"Tot.", 90, 12, 2},      {"Perc.", 70, 9, 2},
};

QString figure(double value, int column) {
    const ColumnSpec& c = kColumns[column];
    return QString::fromStdString(estimating::FormatFixed(value, c.textWidth, c.decimals));
}

} // namespace

TItemGridModel::TItemGridModel(QObject* parent) : QAbstractTableModel(parent) {
    Clear();
}

void TItemGridModel::Clear() {
    SetRows(std::vector<TGridRow>(1));
}

void TItemGridModel::SetRows(std::vector<TGridRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

QString TItemGridModel::Title(int column) {
    return QString::fromLatin1(kColumns[column].title);
}

int TItemGridModel::TitleWidth(int column) {
    return kColumns[column].width;
}

int TItemGridModel::FigureWidth(int column) {
    return kColumns[column].textWidth;
}

QString TItemGridModel::CellText(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount)
        return {};
    const TGridRow& r = rows_[static_cast<std::size_t>(row)];
    if (r.Blank)
        return {};
    switch (column) {
    case 0:
        return r.Code;
    case 1:
        return r.Name;
    case 2:
        return r.Unit;
    default:
        break;
    }
    if (!r.Found)
        return {};
    const double values[] = {r.Quantity, r.Price, r.Total, r.Percent};
    return figure(values[column - 3], column);
}

int TItemGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int TItemGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TItemGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole) {
        // Figures are padded for the report; on screen the column aligns them.
        const QString text = CellText(index.row(), index.column());
        return index.column() >= 3 ? text.trimmed() : text;
    }
    if (role == Qt::TextAlignmentRole && index.column() >= 3)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TItemGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return Title(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
