#include "fire/macro_console.h"

#include "base/unit_service.h"
#include "fire/fire_mode.h"
#include "fire/fire_panel.h"
#include "fire/frame_sender.h"
#include "fire/macro_run_view.h"
#include "program/program_document.h"

#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace vz {

namespace {

// How the fire log names a macro.
QString macroName(int number) {
    return QStringLiteral("macro ") + QString::number(number);
}

} // namespace

MacroConsole::MacroConsole(ProgramDocument& document, FireModeController& controller,
                           FireFrameSender& sender, FireModePage& page, QObject* parent)
    : QObject(parent), m_doc(document), m_controller(controller), m_page(page) {
    connect(&sender, &FireFrameSender::frameDone, this, &MacroConsole::frameDone);
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("firemode_macro_timer"));
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(MacroRunner::kStartDelayMs);
    connect(m_timer, &QTimer::timeout, this, &MacroConsole::firemode_macro_timerTimer);
    MacroRunView* view = m_page.runView();
    connect(this, &MacroConsole::runStarted, view, &MacroRunView::runStarted);
    connect(this, &MacroConsole::stepRan, view, &MacroRunView::stepRan);
    connect(this, &MacroConsole::nextStepDue, view, &MacroRunView::nextStepDue);
    connect(this, &MacroConsole::runEnded, view, &MacroRunView::runEnded);
}

MacroConsole::~MacroConsole() {
    m_timer->stop();
}

void MacroConsole::start(int macroNumber) {
    if (!m_controller.isArmed() || macroNumber < 1 || macroNumber > kMacros)
        return;
    m_page.macroNrLabel()->setText(get_text(QStringLiteral("firemode_macro_nr")) +
                                   QLatin1Char(' ') + QString::number(macroNumber));
    m_page.setMacroRunning(true);
    m_controller.logEvent(QStringLiteral("macro start"), macroName(macroNumber));
    m_began = std::chrono::steady_clock::now();
    m_awaitedCall = 0;
    const qint64 due = m_runner.start(macroNumber, 0);
    emit runStarted(macroNumber, m_doc.program().macros[macroNumber - 1]);
    scheduleTick(due);
}

qint64 MacroConsole::elapsedMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 m_began)
        .count();
}

qint64 MacroConsole::msAt(qint64 steadyNs) const {
    const auto began =
        std::chrono::duration_cast<std::chrono::nanoseconds>(m_began.time_since_epoch()).count();
    return (steadyNs - began) / 1000000;
}

void MacroConsole::scheduleTick(qint64 dueMs) {
    const qint64 in = std::clamp<qint64>(dueMs - elapsedMs(), 0, 60 * 60 * 1000);
    m_timer->start(int(in));
    emit nextStepDue(in);
}

void MacroConsole::frameDone(quint64 ticket, qint64 lastCopyNs) {
    if (!m_runner.isRunning() || ticket != m_awaitedCall)
        return;
    m_awaitedCall = 0;
    scheduleTick(m_runner.afterCall(msAt(lastCopyNs)));
}

void MacroConsole::firemode_macro_timerTimer() {
    if (!m_runner.isRunning())
        return;
    const QString macro = macroName(m_runner.macroIndex() + 1);
    const int step = m_runner.stepIndex() + 1;
    const MacroRunner::Action a =
        m_runner.tick(m_doc.program().macros[m_runner.macroIndex()], elapsedMs());
    switch (a.kind) {
    case MacroRunner::Action::End:
        m_timer->stop();
        m_page.setMacroRunning(false);
        m_controller.logEvent(QStringLiteral("macro end"), macro);
        emit runEnded();
        return;
    case MacroRunner::Action::Call: {
        QLabel* nr = m_page.macroNrLabel();
        nr->setText(nr->text() + QLatin1Char('.'));
        m_awaitedCall =
            m_controller.callMacroChannel(m_doc.program().boxNumber(), a.channel,
                                          macro + QStringLiteral(" step ") + QString::number(step));
        // The next step is timed from the call's last copy (frameDone), however long frames
        // queued ahead of it held it up.
        emit stepRan(step - 1);
        return;
    }
    case MacroRunner::Action::Pause:
    case MacroRunner::Action::Skip:
        break;
    }
    if (!m_runner.isRunning())
        return; // the call failed and fire mode went off
    scheduleTick(a.nextDueMs);
    emit stepRan(step - 1);
}

void MacroConsole::stop() {
    if (m_runner.isRunning())
        m_controller.logEvent(QStringLiteral("macro abort"), macroName(m_runner.macroIndex() + 1));
    const bool running = m_runner.isRunning();
    m_runner.stop();
    m_timer->stop();
    m_page.setMacroRunning(false);
    if (running)
        emit runEnded();
}

} // namespace vz
