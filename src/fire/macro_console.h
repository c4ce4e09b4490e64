#pragma once

#include "fire/macro_runner.h"

#include <QElapsedTimer>
#include <QObject>

class QTimer;

namespace vz {

class FireModeController;
class FireModePage;
class ProgramDocument;

// A macro running on the fire page: the panel hidden behind the running labels, one step of
// the runner per tick of firemode_macro_timer, a macro call frame for each call.
class MacroConsole : public QObject {
    Q_OBJECT
public:
    MacroConsole(ProgramDocument& document, FireModeController& controller, FireModePage& page,
                 QObject* parent = nullptr);
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

    ProgramDocument& m_doc;
    FireModeController& m_controller;
    FireModePage& m_page;
    MacroRunner m_runner;
    QTimer* m_timer = nullptr;
    QElapsedTimer m_clock;
};

} // namespace vz
