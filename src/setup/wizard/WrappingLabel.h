#pragma once
// A label whose text wraps at word boundaries where it can and anywhere where it must: a long
// path is broken across lines instead of being cut off at the label's right edge.

#include <QLabel>

class QTextLayout;

class WrappingLabel : public QLabel {
public:
    explicit WrappingLabel(const QString& text, QWidget* parent = nullptr);

    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Lays the text out in lines of `width` pixels; gives back the height they take.
    qreal LayOut(QTextLayout& layout, int width) const;
};
