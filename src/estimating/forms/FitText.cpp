#include "FitText.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextLayout>
#include <QToolTip>

namespace {

// The text in lines of at most `width` pixels, broken between words where it can be.
QString InLines(const QString& text, const QFont& font, int width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines.join(QLatin1Char('\n'));
}

// The tooltip over a field: the whole of a text it `cut`, in lines that the screen shows whole,
// then the field's own tooltip.
void ShowTip(QWidget& field, const QPoint& at, const QString& text, bool cut,
             const QString& ownTip) {
    QString tip = ownTip;
    if (cut) {
        const int width = field.screen()->availableGeometry().width() / 2;
        const QString whole = InLines(text, QToolTip::font(), width);
        tip = tip.isEmpty() ? whole : whole + QLatin1Char('\n') + tip;
    }
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(at, tip, &field);
}

bool Wider(const QFontMetrics& metrics, const QString& text, int room) {
    return metrics.horizontalAdvance(text) > room;
}

// The pixels an edit box has for its text, as QLineEdit lays it out (two pixels each side).
int TextRoom(const QLineEdit& edit) {
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.hasFrame()
                           ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit)
                           : 0;
    const QRect contents =
        edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit);
    return contents.marginsRemoved(edit.textMargins()).width() - 4;
}

class WholeTextTip : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (!edit || event->type() != QEvent::ToolTip)
            return false;
        const QString text = edit->text();
        ShowTip(*edit, static_cast<const QHelpEvent*>(event)->globalPos(), text,
                Wider(edit->fontMetrics(), text, TextRoom(*edit)), edit->toolTip());
        return true;
    }
};

} // namespace

TFitLabel::TFitLabel(QWidget* parent) : QLabel(parent) {}

QSize TFitLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

QSize TFitLabel::sizeHint() const {
    return {0, QLabel::sizeHint().height()};
}

QRect TFitLabel::TextArea() const {
    QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    int inset = indent();
    if (inset < 0 && frameWidth() > 0)
        inset = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin();
    if (inset > 0) {
        if (alignment() & Qt::AlignLeft)
            area.setLeft(area.left() + inset);
        if (alignment() & Qt::AlignRight)
            area.setRight(area.right() - inset);
    }
    return area;
}

bool TFitLabel::Fits() const {
    return !Wider(fontMetrics(), text(), TextArea().width());
}

void TFitLabel::paintEvent(QPaintEvent* event) {
    if (Fits()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = TextArea();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    style()->drawItemText(&painter, area, QStyle::visualAlignment(layoutDirection(), alignment()),
                          palette(), isEnabled(), shown, foregroundRole());
}

bool TFitLabel::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QLabel::event(event);
    ShowTip(*this, static_cast<const QHelpEvent*>(event)->globalPos(), text(), !Fits(), toolTip());
    return true;
}

void TipWholeText(QLineEdit& edit) {
    edit.installEventFilter(new WholeTextTip(&edit));
}

void TFitCells::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = Qt::ElideRight;
}

bool TFitCells::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                          const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    // The style keeps a margin each side of a cell's text.
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const QString text = index.data(Qt::DisplayRole).toString();
    ShowTip(*view, event->globalPos(), text,
            Wider(option.fontMetrics, text, option.rect.width() - 2 * margin),
            index.data(Qt::ToolTipRole).toString());
    return true;
}
