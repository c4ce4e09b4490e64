#pragma once

#include "fire/macro_runner.h"

#include <QObject>

#include <chrono>

class QTimer;

namespace vz {

class FireFrameSender;
class FireModeController;
class FireModePage;
class ProgramDocument;

// A macro running on the fire page: the panel hidden behind the running labels, one step of
// the runner per tick of firemode_macro_timer, a macro call frame for each call.
class MacroConsole : public QObject {
    Q_OBJECT
public:
    MacroConsole(ProgramDocument& document, FireModeController& controller, FireFrameSender& sender,
                 FireModePage& page, QObject* parent = nullptr);
    ~MacroConsole() override;

    QTimer* timer() const { return m_timer; }
    const MacroRunner& runner() const { return m_runner; }

    // Macro number 1..10, only while fire mode is on.
    void start(int macroNumber);
    // Ends the run at once: no tick after this.
    void stop();

public slots:
    void firemode_macro_timerTimer();

signals:
    // For the run monitor, after the step's own work: nothing waits for whoever listens.
    void runStarted(int macroNumber, const vz::Macro& macro);
    void stepRan(int step); // 0-based
    void nextStepDue(qint64 inMs);
    void runEnded();

private:
    void scheduleTick(qint64 dueMs);
    // Milliseconds since the run began, now or at a time of the steady clock.
    qint64 elapsedMs() const;
    qint64 msAt(qint64 steadyNs) const;
    void frameDone(quint64 ticket, qint64 lastCopyNs);

    ProgramDocument& m_doc;
    FireModeController& m_controller;
    FireModePage& m_page;
    MacroRunner m_runner;
    QTimer* m_timer = nullptr;
    std::chrono::steady_clock::time_point m_began;
    // The call whose last copy the run waits for, 0 for none.
    quint64 m_awaitedCall = 0;
};

} // namespace vz
