#include "preview/preview_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace vz::preview {

namespace {

constexpr int kW = 20;
constexpr int kH = 50;

QPixmap blank() {
    QPixmap pm(kW, kH);
    pm.fill(Qt::black);
    return pm;
}

// The burner head every picture stands on.
void drawNozzle(QPainter& p) {
    QLinearGradient metal(6, 0, 14, 0);
    metal.setColorAt(0.0, QColor(70, 70, 76));
    metal.setColorAt(0.45, QColor(170, 170, 178));
    metal.setColorAt(1.0, QColor(60, 60, 66));
    p.setPen(Qt::NoPen);
    p.setBrush(metal);
    QPainterPath head;
    head.moveTo(6.5, 44);
    head.lineTo(13.5, 44);
    head.lineTo(14.5, 50);
    head.lineTo(5.5, 50);
    head.closeSubpath();
    p.drawPath(head);
    p.setBrush(QColor(40, 40, 44));
    p.drawRect(QRectF(7.5, 43, 5, 1.2));
}

// A flame tongue from the nozzle mouth up to top, widest at bulge (0..1 of its height).
QPainterPath tongue(double top, double bottom, double halfWidth, double bulge) {
    const double cx = kW / 2.0;
    const double h = bottom - top;
    const double wy = bottom - h * bulge;
    QPainterPath path;
    path.moveTo(cx, top);
    path.cubicTo(cx + halfWidth * 0.35, top + h * 0.25, cx + halfWidth, wy - h * 0.15,
                 cx + halfWidth, wy);
    path.cubicTo(cx + halfWidth, wy + h * 0.2, cx + halfWidth * 0.45, bottom, cx, bottom);
    path.cubicTo(cx - halfWidth * 0.45, bottom, cx - halfWidth, wy + h * 0.2, cx - halfWidth, wy);
    path.cubicTo(cx - halfWidth, wy - h * 0.15, cx - halfWidth * 0.35, top + h * 0.25, cx, top);
    return path;
}

// The tongue, coloured from upper at its top to lower at the nozzle.
void fillTongue(QPainter& p, double top, double bottom, double halfWidth, double bulge,
                const QColor& upper, const QColor& lower) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0.0, upper);
    g.setColorAt(1.0, lower);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(tongue(top, bottom, halfWidth, bulge));
}

void fillDisc(QPainter& p, const QRadialGradient& gradient, const QPointF& centre, double radius) {
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    p.drawEllipse(centre, radius, radius);
}

// A picture on black: what draw paints, the nozzle over it.
template <typename Draw> QPixmap picture(Draw draw) {
    QPixmap pm = blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    drawNozzle(p);
    return pm;
}

} // namespace

QPixmap offPicture() {
    return picture([](QPainter& p) {
        // The pilot flame: a small blue glow with a light core just above the nozzle.
        QRadialGradient glow(10, 40.5, 5);
        glow.setColorAt(0.0, QColor(60, 110, 255, 150));
        glow.setColorAt(1.0, QColor(0, 0, 80, 0));
        fillDisc(p, glow, QPointF(10, 40.5), 5);
        fillTongue(p, 35.5, 43.5, 2.4, 0.3, QColor(90, 140, 255), QColor(30, 60, 230));
        fillTongue(p, 38.5, 43.2, 1.1, 0.3, QColor(200, 225, 255), QColor(120, 170, 255));
    });
}

QPixmap ballPicture() {
    return picture([](QPainter& p) {
        // Thin stem from the nozzle up into the ball.
        fillTongue(p, 14, 44, 1.6, 0.2, QColor(255, 150, 20), QColor(255, 220, 90));
        // The fireball in the upper half.
        QRadialGradient ball(10, 13, 9.5, 9, 11);
        ball.setColorAt(0.0, QColor(255, 255, 225));
        ball.setColorAt(0.3, QColor(255, 230, 80));
        ball.setColorAt(0.65, QColor(255, 140, 20));
        ball.setColorAt(0.9, QColor(210, 50, 10, 230));
        ball.setColorAt(1.0, QColor(120, 20, 0, 0));
        fillDisc(p, ball, QPointF(10, 13), 9.5);
    });
}

QPixmap flamePicture() {
    return picture([](QPainter& p) {
        // Three nested tongues: red-orange mantle, orange body, pale yellow core.
        fillTongue(p, 0.5, 44, 9.5, 0.35, QColor(200, 40, 0), QColor(255, 110, 10));
        fillTongue(p, 7, 44, 7, 0.35, QColor(255, 120, 10), QColor(255, 190, 40));
        fillTongue(p, 17, 44, 4, 0.3, QColor(255, 230, 90), QColor(255, 252, 215));
    });
}

} // namespace vz::preview
