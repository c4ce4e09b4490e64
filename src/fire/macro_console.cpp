#include "fire/macro_console.h"

#include "base/unit_service.h"
#include "fire/fire_engine.h"
#include "fire/fire_mode.h"
#include "fire/fire_panel.h"
#include "fire/macro_run_view.h"
#include "program/program_document.h"

#include <QLabel>

#include <algorithm>
#include <chrono>

namespace vz {

namespace {

// How the fire log names a macro.
QString macroName(int number) {
    return QStringLiteral("macro ") + QString::number(number);
}

} // namespace

MacroConsole::MacroConsole(ProgramDocument& document, FireModeController& controller,
                           FireEngine& engine, FireModePage& page, QObject* parent)
    : QObject(parent), m_doc(document), m_controller(controller), m_engine(engine), m_page(page) {
    connect(&engine, &FireEngine::macroStep, this, &MacroConsole::stepDone);
    connect(&engine, &FireEngine::macroDue, this, &MacroConsole::stepDue);
    connect(&engine, &FireEngine::macroEnded, this, &MacroConsole::runDone);
    MacroRunView* view = m_page.runView();
    connect(this, &MacroConsole::runStarted, view, &MacroRunView::runStarted);
    connect(this, &MacroConsole::stepRan, view, &MacroRunView::stepRan);
    connect(this, &MacroConsole::nextStepDue, view, &MacroRunView::nextStepDue);
    connect(this, &MacroConsole::runEnded, view, &MacroRunView::runEnded);
}

void MacroConsole::start(int macroNumber) {
    if (!m_controller.isArmed() || macroNumber < 1 || macroNumber > kMacros)
        return;
    m_page.macroNrLabel()->setText(get_text(QStringLiteral("firemode_macro_nr")) +
                                   QLatin1Char(' ') + QString::number(macroNumber));
    m_page.setMacroRunning(true);
    m_controller.logEvent(QStringLiteral("macro start"), macroName(macroNumber));
    m_runner.start(macroNumber, 0);
    const Macro& macro = m_doc.program().macros[macroNumber - 1];
    emit runStarted(macroNumber, macro);
    // While armed nothing changes the box, and New or Open end the run first: the box of the
    // start is the box of every call.
    m_run = m_engine.startMacro(macroNumber, macro, m_doc.program().boxNumber());
}

void MacroConsole::stepDone(quint64 run, int step, bool call) {
    if (!isCurrent(run))
        return;
    if (call) {
        QLabel* nr = m_page.macroNrLabel();
        nr->setText(nr->text() + QLatin1Char('.'));
    }
    emit stepRan(step);
}

void MacroConsole::stepDue(quint64 run, qint64 atNs) {
    if (!isCurrent(run))
        return;
    const qint64 nowNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count();
    emit nextStepDue(std::max<qint64>(0, (atNs - nowNs) / 1000000));
}

void MacroConsole::runDone(quint64 run, int macro) {
    // It came to its end mark, also when a stop reached the window before this news did.
    m_controller.logEvent(QStringLiteral("macro end"), macroName(macro));
    if (!isCurrent(run))
        return;
    m_runner.stop();
    m_page.setMacroRunning(false);
    emit runEnded();
}

void MacroConsole::stop() {
    // What the fire thread reported before the stop comes first, its end mark too.
    if (m_engine.stopMacro())
        m_controller.logEvent(QStringLiteral("macro abort"), macroName(m_runner.macroIndex() + 1));
    const bool running = m_runner.isRunning();
    m_runner.stop();
    m_page.setMacroRunning(false);
    if (running)
        emit runEnded();
}

} // namespace vz
