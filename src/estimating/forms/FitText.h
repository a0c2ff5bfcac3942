#pragma once
// Texts of any length (names, figures) in fields as wide as the window makes them: a field shows
// as much of its text as fits and never asks the window for the room the whole text would take.
// When the text is cut, the field's tooltip shows the whole of it, before the field's own tooltip
// if it has one.

#include <QLabel>
#include <QStyledItemDelegate>

class QLineEdit;

// A label that ends a text it cannot show whole in an ellipsis.
class TFitLabel : public QLabel {
public:
    explicit TFitLabel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Where QLabel draws the text: inside the frame, the margin and the indent.
    QRect TextArea() const;
    bool Fits() const;
};

// Gives an edit box the same tooltip; it keeps its own width whatever its text.
void TipWholeText(QLineEdit& edit);

// Cells of a grid that end a text they cannot show whole in an ellipsis.
class TFitCells : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
