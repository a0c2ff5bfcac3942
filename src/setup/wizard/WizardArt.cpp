#include "WizardArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace setup_main::art {
namespace {

const QColor Navy(18, 53, 91);
const QColor Teal(31, 122, 140);
const QColor Paper(250, 248, 240);
const QColor Cardboard(214, 164, 96);
const QColor CardboardDark(170, 120, 60);

void drawBackdrop(QPainter& p, const QRectF& r) {
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, Navy);
    sky.setColorAt(1, Teal);
    p.fillRect(r, sky);
    p.setPen(QPen(QColor(255, 255, 255, 28), 10));
    for (qreal x = -r.height(); x < r.width(); x += 34)
        p.drawLine(QPointF(x, r.bottom()), QPointF(x + r.height(), r.top()));
    QRadialGradient glow(r.center(), r.width() * 0.7);
    glow.setColorAt(0, QColor(255, 255, 255, 60));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(r, glow);
}

void drawArrowDown(QPainter& p, QPointF tip, qreal size, const QColor& color) {
    QPainterPath arrow;
    const qreal shaft = size * 0.22;
    arrow.moveTo(tip);
    arrow.lineTo(tip + QPointF(-size * 0.5, -size * 0.5));
    arrow.lineTo(tip + QPointF(-shaft, -size * 0.5));
    arrow.lineTo(tip + QPointF(-shaft, -size * 1.1));
    arrow.lineTo(tip + QPointF(shaft, -size * 1.1));
    arrow.lineTo(tip + QPointF(shaft, -size * 0.5));
    arrow.lineTo(tip + QPointF(size * 0.5, -size * 0.5));
    arrow.closeSubpath();
    p.setPen(QPen(color.darker(160), 1.5));
    p.setBrush(color);
    p.drawPath(arrow);
}

void drawBox(QPainter& p, QPointF c, qreal w) {
    const qreal h = w * 0.62;
    const QRectF front(c.x() - w / 2, c.y() - h / 2, w, h);
    p.setPen(QPen(CardboardDark.darker(130), 1.5));
    p.setBrush(Cardboard);
    p.drawRect(front);
    QPainterPath flaps;
    flaps.moveTo(front.topLeft());
    flaps.lineTo(front.topLeft() + QPointF(-w * 0.18, -h * 0.35));
    flaps.lineTo(front.topLeft() + QPointF(w * 0.3, -h * 0.35));
    flaps.lineTo(front.topLeft() + QPointF(w * 0.42, 0));
    flaps.moveTo(front.topRight());
    flaps.lineTo(front.topRight() + QPointF(w * 0.18, -h * 0.35));
    flaps.lineTo(front.topRight() + QPointF(-w * 0.3, -h * 0.35));
    flaps.lineTo(front.topRight() + QPointF(-w * 0.42, 0));
    p.setBrush(CardboardDark);
    p.drawPath(flaps);
    p.setPen(QPen(CardboardDark.darker(140), 3));
    p.drawLine(QPointF(c.x(), front.top()), QPointF(c.x(), front.top() + h * 0.45));
}

void drawWelcome(QPainter& p, const QRectF& r) {
    const QPointF c(r.center().x(), r.height() * 0.62);
    drawBox(p, c, r.width() * 0.62);
    drawArrowDown(p, QPointF(c.x(), c.y() - r.width() * 0.12), r.width() * 0.42,
                  QColor(120, 220, 120));
}

void drawLicence(QPainter& p, const QRectF& r) {
    const QRectF sheet(r.width() * 0.22, r.height() * 0.3, r.width() * 0.56, r.height() * 0.42);
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(Paper);
    p.drawRect(sheet);
    p.setPen(QPen(QColor(120, 130, 150), 2));
    for (int i = 0; i < 6; ++i) {
        const qreal y = sheet.top() + 12 + i * 10;
        const qreal end = sheet.right() - (i == 5 ? 34 : 10);
        p.drawLine(QPointF(sheet.left() + 10, y), QPointF(end, y));
    }
    p.setPen(QPen(QColor(140, 20, 20), 1.5));
    p.setBrush(QColor(200, 40, 40));
    p.drawEllipse(QPointF(sheet.right() - 14, sheet.bottom() - 14), 10, 10);
}

void drawFolder(QPainter& p, const QRectF& r) {
    const QRectF body(r.width() * 0.16, r.height() * 0.4, r.width() * 0.68, r.height() * 0.28);
    QPainterPath tab;
    tab.addRoundedRect(QRectF(body.left(), body.top() - 10, body.width() * 0.4, 16), 3, 3);
    p.setPen(QPen(QColor(150, 110, 20), 1.5));
    p.setBrush(QColor(230, 180, 60));
    p.drawPath(tab);
    p.drawRoundedRect(body, 4, 4);
    p.setBrush(QColor(250, 210, 90));
    p.drawRoundedRect(body.adjusted(0, 8, 0, 0), 4, 4);
}

void drawComponents(QPainter& p, const QRectF& r) {
    const QColor colors[] = {QColor(90, 170, 230), QColor(120, 210, 120), QColor(240, 170, 70)};
    const qreal w = r.width() * 0.5;
    for (int i = 0; i < 3; ++i) {
        const QRectF block(r.center().x() - w / 2 + (i - 1) * 8, r.height() * 0.34 + i * 28, w, 24);
        p.setPen(QPen(colors[i].darker(170), 1.5));
        p.setBrush(colors[i]);
        p.drawRoundedRect(block, 4, 4);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(block.left() + 6, block.top() + 7, 10, 10));
    }
}

void drawBadge(QPainter& p, const QRectF& r, const QColor& color, bool tick) {
    const QPointF c(r.center().x(), r.height() * 0.5);
    const qreal radius = r.width() * 0.3;
    p.setPen(QPen(color.darker(160), 2));
    p.setBrush(color);
    p.drawEllipse(c, radius, radius);
    p.setPen(QPen(Qt::white, radius * 0.28, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const qreal k = radius * 0.45;
    if (tick) {
        QPainterPath mark;
        mark.moveTo(c + QPointF(-k, 0));
        mark.lineTo(c + QPointF(-k * 0.25, k * 0.75));
        mark.lineTo(c + QPointF(k, -k * 0.7));
        p.drawPath(mark);
    } else {
        p.drawLine(c + QPointF(-k, -k), c + QPointF(k, k));
        p.drawLine(c + QPointF(-k, k), c + QPointF(k, -k));
    }
}

} // namespace

QPixmap pagePicture(Motif motif) {
    QPixmap picture(PictureWidth, PictureHeight);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, 0, PictureWidth, PictureHeight);
    drawBackdrop(p, r);
    switch (motif) {
    case Motif::Welcome:
        drawWelcome(p, r);
        break;
    case Motif::Licence:
        drawLicence(p, r);
        break;
    case Motif::Folder:
        drawFolder(p, r);
        break;
    case Motif::Components:
        drawComponents(p, r);
        break;
    case Motif::Done:
        drawBadge(p, r, QColor(40, 160, 70), true);
        break;
    case Motif::Failure:
        drawBadge(p, r, QColor(200, 50, 50), false);
        break;
    }
    return picture;
}

QPixmap iconPixmap(int size) {
    QPixmap icon(size, size);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient face(0, 0, 0, s);
    face.setColorAt(0, Navy.lighter(130));
    face.setColorAt(1, Teal);
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.18, s * 0.18);
    p.setPen(QPen(Qt::white, s * 0.08, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath tray;
    tray.moveTo(s * 0.22, s * 0.6);
    tray.lineTo(s * 0.22, s * 0.78);
    tray.lineTo(s * 0.78, s * 0.78);
    tray.lineTo(s * 0.78, s * 0.6);
    p.drawPath(tray);
    drawArrowDown(p, QPointF(s * 0.5, s * 0.68), s * 0.44, QColor(150, 235, 150));
    return icon;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(iconPixmap(size));
    return icon;
}

} // namespace setup_main::art
