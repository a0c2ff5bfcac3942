#include "WrappingLabel.h"

#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace {

// Line breaks as a label shows them: "\r\n" and "\n" end a line.
QString DisplayedText(QString text) {
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    return text;
}

} // namespace

WrappingLabel::WrappingLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

qreal WrappingLabel::LayOut(QTextLayout& layout, int width) const {
    QTextOption option(alignment());
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setText(DisplayedText(text()));
    layout.setFont(font());
    layout.setTextOption(option);
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

int WrappingLabel::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    QTextLayout layout(QString(), font(), this);
    return static_cast<int>(std::ceil(LayOut(layout, width - margins.left() - margins.right()))) +
           margins.top() + margins.bottom();
}

void WrappingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect box = contentsRect();
    QTextLayout layout(QString(), font(), this);
    LayOut(layout, box.width());
    layout.draw(&painter, box.topLeft());
}
