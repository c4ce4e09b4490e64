#include "output/emblem.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>

namespace vz {

namespace {

// One flame standing on (cx, base), w wide at its belly, h high, its tip leaning by lean * w.
QPainterPath flamePath(double cx, double base, double w, double h, double lean) {
    QPainterPath path;
    path.moveTo(cx, base);
    path.cubicTo(cx - w * 0.75, base - h * 0.05, cx - w * 0.55, base - h * 0.6, cx + lean * w,
                 base - h);
    path.cubicTo(cx + w * 0.2, base - h * 0.62, cx + w * 0.8, base - h * 0.3, cx, base);
    return path;
}

void paintFlame(QPainter& p, double cx, double base, double w, double h, double lean) {
    QLinearGradient outer(cx, base, cx, base - h);
    outer.setColorAt(0.0, QColor(255, 236, 150));
    outer.setColorAt(0.18, QColor(255, 190, 40));
    outer.setColorAt(0.55, QColor(255, 100, 0, 235));
    outer.setColorAt(0.85, QColor(210, 40, 0, 170));
    outer.setColorAt(1.0, QColor(160, 20, 0, 0));
    p.fillPath(flamePath(cx, base, w, h, lean), outer);

    QLinearGradient inner(cx, base, cx, base - h * 0.55);
    inner.setColorAt(0.0, QColor(255, 255, 245));
    inner.setColorAt(0.5, QColor(255, 240, 160, 230));
    inner.setColorAt(1.0, QColor(255, 200, 60, 0));
    p.fillPath(flamePath(cx, base, w * 0.42, h * 0.55, lean * 0.6), inner);
}

void paintModule(QPainter& p, const QRectF& box) {
    QLinearGradient steel(box.topLeft(), box.bottomLeft());
    steel.setColorAt(0.0, QColor(150, 156, 166));
    steel.setColorAt(0.45, QColor(92, 97, 106));
    steel.setColorAt(1.0, QColor(44, 47, 53));
    p.setPen(QPen(QColor(20, 22, 26), qMax(1.0, box.width() / 30.0)));
    p.setBrush(steel);
    const double r = box.width() * 0.08;
    p.drawRoundedRect(box, r, r);

    // Nozzle on top, where the flame comes out.
    const double nw = box.width() * 0.3;
    const double nh = box.height() * 0.22;
    QRectF nozzle(box.center().x() - nw / 2, box.top() - nh, nw, nh);
    QLinearGradient dark(nozzle.topLeft(), nozzle.topRight());
    dark.setColorAt(0.0, QColor(60, 62, 68));
    dark.setColorAt(0.5, QColor(120, 124, 132));
    dark.setColorAt(1.0, QColor(50, 52, 58));
    p.setBrush(dark);
    p.drawRect(nozzle);

    // Status lamp.
    const double lamp = box.width() * 0.12;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 230, 90));
    p.drawEllipse(QPointF(box.left() + box.width() * 0.22, box.bottom() - box.height() * 0.25),
                  lamp / 2, lamp / 2);
}

} // namespace

void paintFlameRow(QPainter& p, const QRectF& area, int modules) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double slot = area.width() / modules;
    const double boxW = slot * 0.7;
    const double boxH = qMin(area.height() * 0.2, boxW * 1.1);
    const double boxTop = area.bottom() - boxH;
    const double nozzleTop = boxTop - boxH * 0.22;

    // Glow of the fire on the air above the row.
    // A round glow that fades out completely, so it shows no edge.
    const double glowRadius = area.width() * 0.55;
    QRadialGradient glow(area.center().x(), nozzleTop, glowRadius);
    glow.setColorAt(0.0, QColor(255, 120, 20, 110));
    glow.setColorAt(1.0, QColor(255, 80, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(area.center().x(), nozzleTop), glowRadius, glowRadius);

    // A varied skyline of flames, as a sequence caught half-way looks.
    static const std::array<double, 8> heights{0.78, 1.0, 0.66, 0.92, 0.72, 0.98, 0.7, 0.86};
    static const std::array<double, 8> leans{-0.08, 0.06, 0.1, -0.05, 0.04, -0.1, 0.07, -0.03};
    const double maxFlame = nozzleTop - area.top();
    for (int i = 0; i < modules; ++i) {
        const double cx = area.left() + slot * (i + 0.5);
        const double h = maxFlame * heights[size_t(i) % heights.size()];
        paintFlame(p, cx, nozzleTop + 1, slot * 0.62, h, leans[size_t(i) % leans.size()]);
    }
    for (int i = 0; i < modules; ++i) {
        const double cx = area.left() + slot * (i + 0.5);
        paintModule(p, QRectF(cx - boxW / 2, boxTop, boxW, boxH));
    }
    p.restore();
}

QPixmap aboutPicture() {
    QImage image(300, 300, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0.0, QColor(8, 10, 24));
    sky.setColorAt(0.55, QColor(24, 14, 30));
    sky.setColorAt(1.0, QColor(52, 18, 8));
    p.fillRect(image.rect(), sky);
    // Floor the modules stand on.
    p.fillRect(QRectF(0, 276, 300, 24), QColor(22, 14, 12));
    paintFlameRow(p, QRectF(12, 76, 276, 202), 6);
    p.end();
    return QPixmap::fromImage(image);
}

QImage iconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    QLinearGradient bg(0, 0, 0, s);
    bg.setColorAt(0.0, QColor(20, 22, 44));
    bg.setColorAt(1.0, QColor(70, 24, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(s * 0.03, s * 0.03, s * 0.94, s * 0.94), s * 0.18, s * 0.18);
    p.drawPath(tile);
    p.setClipPath(tile);
    paintFlameRow(p, QRectF(s * 0.1, s * 0.08, s * 0.8, s * 0.8), 3);
    p.end();
    return image;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(iconImage(size)));
    return icon;
}

} // namespace vz
