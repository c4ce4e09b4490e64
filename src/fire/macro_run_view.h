#pragma once

#include "fire/macro_monitor.h"

#include <QElapsedTimer>
#include <QFont>
#include <QStringList>
#include <QWidget>

class QLabel;
class QTimer;

namespace vz {

// The run monitor: where the fire panel stands while a macro runs, the macro's steps with
// the one that ran last marked, the channels called so far and the time to the next call.
// Its slots only note what they are told and schedule a repaint; the countdown has a coarse
// timer of its own.
class MacroRunView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCountdownMs = 100;
    // No countdown repaint this close to a step's deadline.
    static constexpr int kQuietMs = 25;

    explicit MacroRunView(QWidget* parent = nullptr);

    const MacroRunMonitor& monitor() const { return m_monitor; }
    QLabel* nextLabel() const { return m_next; }
    QLabel* calledLabel() const { return m_called; }
    // The part of the view its contents use; the page keeps the rest for its labels and Stop.
    void setContentRect(const QRect& rect);
    // Where the step strip is drawn.
    QRect stripRect() const { return m_strip; }

public slots:
    void runStarted(int macroNumber, const vz::Macro& macro);
    void stepRan(int step);
    // The next step is due this many milliseconds from now.
    void nextStepDue(qint64 inMs);
    void runEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showCountdown();
    void showCalled();
    void placeContents();
    void measureCells();

    MacroRunMonitor m_monitor;
    QElapsedTimer m_clock;
    QTimer* m_countdown = nullptr;
    QLabel* m_next = nullptr;
    QLabel* m_called = nullptr;
    QRect m_content;
    QRect m_strip;
    QStringList m_texts;
    QFont m_captionFont;
    int m_cellWidth = 0;
};

} // namespace vz
