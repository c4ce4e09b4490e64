#include "base/ui_style.h"

#include <QAction>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QRadialGradient>
#include <QWidget>

#include <cmath>

namespace vz::ui {

namespace {

const QColor kArrow(0xC0, 0x40, 0x00);
const QColor kNozzle(0x70, 0x70, 0x70);

QPixmap blank(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

// A flame standing on its base line, filling the rectangle.
void drawFlame(QPainter& p, const QRectF& r) {
    QPainterPath path;
    const double cx = r.center().x();
    path.moveTo(cx, r.top());
    path.cubicTo(cx + r.width() * 0.15, r.top() + r.height() * 0.3, r.right(),
                 r.top() + r.height() * 0.45, r.right() - r.width() * 0.05,
                 r.top() + r.height() * 0.72);
    path.cubicTo(r.right() - r.width() * 0.1, r.bottom(), cx + r.width() * 0.2, r.bottom(), cx,
                 r.bottom());
    path.cubicTo(cx - r.width() * 0.2, r.bottom(), r.left() + r.width() * 0.1, r.bottom(),
                 r.left() + r.width() * 0.05, r.top() + r.height() * 0.72);
    path.cubicTo(r.left(), r.top() + r.height() * 0.45, cx - r.width() * 0.35,
                 r.top() + r.height() * 0.35, cx, r.top());
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, QColor(0xD0, 0x20, 0x00));
    g.setColorAt(0.45, QColor(0xFF, 0x80, 0x00));
    g.setColorAt(1.0, QColor(0xFF, 0xE0, 0x30));
    p.setPen(QPen(QColor(0x90, 0x20, 0x00), 0.8));
    p.setBrush(g);
    p.drawPath(path);
}

// An unlit nozzle: a small grey stub on the base line.
void drawNozzle(QPainter& p, const QRectF& r) {
    p.setPen(Qt::NoPen);
    p.setBrush(kNozzle);
    p.drawRect(QRectF(r.center().x() - 1.5, r.bottom() - 3, 3, 3));
}

// Flames or nozzles in n slots across the picture.
QPixmap flameRow(const QList<bool>& lit) {
    QPixmap pm = blank(20, 20);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = 20.0 / lit.size();
    for (int i = 0; i < lit.size(); ++i) {
        const QRectF r(i * w + 0.5, lit.size() == 1 ? 1 : 4, w - 1, lit.size() == 1 ? 18 : 15);
        if (lit[i])
            drawFlame(p, r);
        else
            drawNozzle(p, r);
    }
    return pm;
}

void arrowHead(QPainter& p, double x, double y, int dir) {
    QPolygonF head;
    head << QPointF(x, y) << QPointF(x - 4.5 * dir, y - 4) << QPointF(x - 4.5 * dir, y + 4);
    p.drawPolygon(head);
}

// The sequence symbols: bars and arrows on a line, as "|=====>" and friends read.
QPixmap sequence(int f) {
    QPixmap pm = blank(20, 20);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kArrow, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(kArrow);
    const double y = 10;
    auto bar = [&](double x) { p.drawLine(QPointF(x, 4), QPointF(x, 16)); };
    auto line = [&](double a, double b) { p.drawLine(QPointF(a, y), QPointF(b, y)); };
    p.setPen(QPen(kArrow, 2.0, Qt::SolidLine, Qt::FlatCap));
    switch (f) {
    case 0: // left to right
        bar(2);
        line(2, 14);
        p.setPen(Qt::NoPen);
        arrowHead(p, 19, y, 1);
        break;
    case 1: // right to left
        bar(18);
        line(6, 18);
        p.setPen(Qt::NoPen);
        arrowHead(p, 1, y, -1);
        break;
    case 2: // outside in
        bar(1.5);
        bar(18.5);
        line(1.5, 5);
        line(15, 18.5);
        p.setPen(Qt::NoPen);
        arrowHead(p, 9.5, y, 1);
        arrowHead(p, 10.5, y, -1);
        break;
    case 3: // inside out
        bar(9);
        bar(11);
        line(5, 9);
        line(11, 15);
        p.setPen(Qt::NoPen);
        arrowHead(p, 0.5, y, -1);
        arrowHead(p, 19.5, y, 1);
        break;
    default: // crossing
        bar(1);
        bar(19);
        line(6, 14);
        p.setPen(Qt::NoPen);
        arrowHead(p, 2, y, -1);
        arrowHead(p, 18, y, 1);
        break;
    }
    return pm;
}

// Fire page: a red push button with a flame on it.
QPixmap fireButton() {
    QPixmap pm = blank(20, 20);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(8, 7), 11);
    g.setColorAt(0, QColor(0xFF, 0x60, 0x50));
    g.setColorAt(1, QColor(0xA0, 0x00, 0x00));
    p.setPen(QPen(QColor(0x50, 0x00, 0x00), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(1, 1, 18, 18));
    QPainterPath flame;
    flame.moveTo(10, 4);
    flame.cubicTo(12, 8, 15, 10, 13.5, 13.5);
    flame.cubicTo(12.5, 16, 7.5, 16, 6.5, 13.5);
    flame.cubicTo(5.5, 10.5, 9, 9, 10, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0xE8, 0x80));
    p.drawPath(flame);
    return pm;
}

// Fire set-up page: a cog wheel.
QPixmap cog() {
    QPixmap pm = blank(20, 20);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath wheel;
    const QPointF c(10, 10);
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * M_PI / teeth;
        const double a1 = (i + 0.5) * M_PI / teeth;
        const double r = (i % 2 == 0) ? 9.0 : 6.8;
        const QPointF p0 = c + QPointF(std::cos(a0) * r, std::sin(a0) * r);
        const QPointF p1 = c + QPointF(std::cos(a1) * r, std::sin(a1) * r);
        if (i == 0)
            wheel.moveTo(p0);
        else
            wheel.lineTo(p0);
        wheel.lineTo(p1);
    }
    wheel.closeSubpath();
    wheel.addEllipse(c, 2.8, 2.8);
    wheel.setFillRule(Qt::OddEvenFill);
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 0.8));
    p.setBrush(QColor(0x90, 0x98, 0xA0));
    p.drawPath(wheel);
    return pm;
}

class CompactTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace)
            return 12;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

QStyle* compactTabStyle(QObject* owner) {
    auto* style = new CompactTabStyle;
    style->setParent(owner);
    return style;
}

QFont windowFont() {
    QFont font(QStringLiteral("Arial"), 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QPixmap tabPicture(int page) {
    switch (page) {
    case 0:
        return flameRow({true});
    case 1:
        return flameRow({true, true, true});
    case 2:
        return flameRow({true, false, true});
    case 3:
        return flameRow({false, true, false});
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
        return sequence(page - 4);
    case 9:
        return fireButton();
    case 10:
        return cog();
    default:
        return blank(20, 20);
    }
}

QIcon previewButtonIcon() {
    QPixmap pm = blank(16, 16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF play;
    play << QPointF(2, 1.5) << QPointF(15, 8) << QPointF(2, 14.5);
    p.setPen(QPen(QColor(0x20, 0x50, 0x20), 1));
    p.setBrush(QColor(0x40, 0xA0, 0x40));
    p.drawPolygon(play);
    drawFlame(p, QRectF(3.5, 4.5, 5.5, 8));
    p.end();
    QIcon icon(pm);
    return icon;
}

QAction* addMenuEntry(QWidget* menu, const QString& name, QObject* owner) {
    auto* action = new QAction(name, owner ? owner : static_cast<QObject*>(menu));
    action->setObjectName(name);
    menu->addAction(action);
    return action;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, int pointSize,
                  bool bold, const QColor& color) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    if (pointSize > 0)
        font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

QLabel* placeLabel(QWidget* parent, const QString& name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
}

void fillBackground(QWidget* widget, const QColor& color) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
}

} // namespace vz::ui
