#pragma once

#include <QWidget>

#include <functional>

class QTimer;

namespace vz {

// A small arrows-only spin control that stands beside a read-only text box.
//
// A click on an arrow proposes position +/- increment. The proposal goes to the changing
// handler first; only an accepted value becomes the position. Without a handler a value
// inside minimum..maximum is accepted. Values are never clamped.
class UpDown : public QWidget {
    Q_OBJECT
public:
    // Gets the proposed value, returns whether it may be taken.
    using ChangingHandler = std::function<bool(int)>;

    explicit UpDown(QWidget* parent = nullptr);

    int position() const { return m_position; }
    // Sets the position as it stands, without asking the handler (a mirror of the model).
    void setPosition(int position);

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setRange(int minimum, int maximum);

    int increment() const { return m_increment; }
    void setIncrement(int increment);

    void setChangingHandler(ChangingHandler handler) { m_handler = std::move(handler); }

    // What a click on the upper or lower arrow does. Returns whether the value was taken.
    bool stepUp();
    bool stepDown();

    QSize sizeHint() const override { return QSize(16, 21); }

signals:
    // The position changed through an accepted step.
    void positionChanged(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum class Part { None, Up, Down };
    Part partAt(const QPoint& pos) const;
    bool propose(int value);
    void repeat();

    int m_position = 0;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_increment = 1;
    ChangingHandler m_handler;
    Part m_pressed = Part::None;
    bool m_pressedInside = false;
    QTimer* m_repeat = nullptr;
};

} // namespace vz
