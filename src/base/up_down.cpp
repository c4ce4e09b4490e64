#include "base/up_down.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

namespace vz {

namespace {
// Holding an arrow repeats it, first after a pause, then quickly.
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 80;
} // namespace

UpDown::UpDown(QWidget* parent) : QWidget(parent), m_repeat(new QTimer(this)) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    m_repeat->setSingleShot(false);
    connect(m_repeat, &QTimer::timeout, this, &UpDown::repeat);
}

void UpDown::setPosition(int position) {
    if (position == m_position)
        return;
    m_position = position;
    update();
}

void UpDown::setRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
}

void UpDown::setIncrement(int increment) {
    m_increment = increment;
}

bool UpDown::stepUp() {
    return propose(m_position + m_increment);
}

bool UpDown::stepDown() {
    return propose(m_position - m_increment);
}

bool UpDown::propose(int value) {
    const bool allow = m_handler ? m_handler(value) : (value >= m_minimum && value <= m_maximum);
    if (!allow)
        return false;
    if (value != m_position) {
        m_position = value;
        update();
    }
    emit positionChanged(m_position);
    return true;
}

UpDown::Part UpDown::partAt(const QPoint& pos) const {
    if (!rect().contains(pos))
        return Part::None;
    return pos.y() < height() / 2 ? Part::Up : Part::Down;
}

void UpDown::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = partAt(event->position().toPoint());
    m_pressedInside = m_pressed != Part::None;
    update();
    if (m_pressed == Part::Up)
        stepUp();
    else if (m_pressed == Part::Down)
        stepDown();
    if (m_pressed != Part::None)
        m_repeat->start(kRepeatDelayMs);
}

void UpDown::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressed == Part::None)
        return;
    const bool inside = partAt(event->position().toPoint()) == m_pressed;
    if (inside != m_pressedInside) {
        m_pressedInside = inside;
        update();
    }
}

void UpDown::mouseReleaseEvent(QMouseEvent* event) {
    Q_UNUSED(event);
    m_repeat->stop();
    m_pressed = Part::None;
    m_pressedInside = false;
    update();
}

void UpDown::repeat() {
    m_repeat->setInterval(kRepeatIntervalMs);
    if (!m_pressedInside || !isEnabled())
        return;
    if (m_pressed == Part::Up)
        stepUp();
    else if (m_pressed == Part::Down)
        stepDown();
}

void UpDown::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_repeat->stop();
        m_pressed = Part::None;
    }
    QWidget::changeEvent(event);
}

void UpDown::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    QPainter painter(this);
    const int half = height() / 2;
    const QRect parts[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int i = 0; i < 2; ++i) {
        const Part part = i == 0 ? Part::Up : Part::Down;
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = parts[i];
        button.state &= ~QStyle::State_HasFocus;
        if (m_pressed == part && m_pressedInside)
            button.state |= QStyle::State_Sunken;
        else
            button.state |= QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);

        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = parts[i].adjusted(3, 2, -3, -2);
        style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                               &arrow, &painter, this);
    }
}

} // namespace vz
