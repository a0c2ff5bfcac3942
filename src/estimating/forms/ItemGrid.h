#pragma once
// The rows of the main window's item grid. Each row is a copy of what it shows, made when the grid
// is filled, so that the grid never reaches into the database afterwards; the figures are turned
// into text only when a cell is shown or read.

#include <QAbstractTableModel>
#include <QString>

#include <vector>

struct TGridRow {
    bool Blank = true;
    bool Found = false; // the row's input was found in the database
    QString Code;
    QString Name;
    QString Unit;
    double Quantity = 0.0;
    double Price = 0.0;
    double Total = 0.0;
    double Percent = 0.0;
};

class TItemGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int ColumnCount = 7;

    explicit TItemGridModel(QObject* parent = nullptr);

    // One blank row under the titles.
    void Clear();
    void SetRows(std::vector<TGridRow> rows);
    int RowCount() const { return static_cast<int>(rows_.size()); }

    // The text of a cell as the grid shows it; row 0 of the table is the first data row.
    QString CellText(int row, int column) const;
    static QString Title(int column);
    static int TitleWidth(int column);
    // Characters of a figure column's text (0 for the text columns).
    static int FigureWidth(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TGridRow> rows_;
};
