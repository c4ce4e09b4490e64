#pragma once

#include "fire/macro_runner.h"

#include <QObject>

namespace vz {

class FireEngine;
class FireModeController;
class FireModePage;
class ProgramDocument;

// A macro running on the fire page: the panel hidden behind the running labels while the fire
// thread walks the steps and sends a macro call frame for each call. This side shows the run
// and logs its start, end and abort; it keeps no time.
class MacroConsole : public QObject {
    Q_OBJECT
public:
    MacroConsole(ProgramDocument& document, FireModeController& controller, FireEngine& engine,
                 FireModePage& page, QObject* parent = nullptr);

    // The run as the window sees it: running from the start until its end is reported or it
    // is stopped.
    const MacroRunner& runner() const { return m_runner; }

    // Macro number 1..10, only while fire mode is on.
    void start(int macroNumber);
    // Ends the run at once: no step after this.
    void stop();

signals:
    // For the run monitor, after the step's own work: nothing waits for whoever listens.
    void runStarted(int macroNumber, const vz::Macro& macro);
    void stepRan(int step); // 0-based
    void nextStepDue(qint64 inMs);
    void runEnded();

private:
    void stepDone(quint64 run, int step, bool call);
    void stepDue(quint64 run, qint64 atNs);
    void runDone(quint64 run, int macro);
    bool isCurrent(quint64 run) const { return run == m_run && m_runner.isRunning(); }

    ProgramDocument& m_doc;
    FireModeController& m_controller;
    FireEngine& m_engine;
    FireModePage& m_page;
    MacroRunner m_runner;
    // The fire thread's number of the run on show.
    quint64 m_run = 0;
};

} // namespace vz
