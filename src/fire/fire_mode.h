#pragma once

#include "fire/fire_engine.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// Fire mode: which route is armed, switching it on and off, and where a fire click goes.
// The window carries out the visible steps through FireModeHost; the port is reached
// through FirePort, the line through the fire thread (FireEngine). The seams are small so the
// safety rules can be tested without a window.
namespace vz {

class FireLog;
struct FireLogSession;

// Rehearsal: the master module's frames, copies and macros, onto a line that the window makes
// (the virtual master module's box) instead of a serial port.
enum class FireRoute { None, MasterModule, Rk40, Rehearsal };

// The route's name in the fire log and on the command line: "mm", "rk40", "rehearsal"; empty
// for None.
QString fireRouteName(FireRoute route);
// The route of that name; None for any other.
FireRoute fireRouteNamed(const QString& name);
// The line speed of the route.
int fireRouteBaud(FireRoute route);
// The fire frame of the route for channel; empty for None.
QByteArray fireRouteFrame(FireRoute route, int configuredBox, int channel);

// The serial port as fire mode uses it. Number, speed, the chooser and open() concern the
// window's port object (the one the transfer uses too); while armed, the fire thread writes to
// a line of its own that openLine() opens on that number at that speed.
class FirePort {
public:
    virtual ~FirePort() = default;
    virtual int comNumber() const = 0;
    virtual void setComNumber(int number) = 0;
    virtual void setBaud(int baud) = 0;
    // With number 0 the operator is asked for a port. False when he cancelled.
    virtual bool choose() = 0;
    // Opens port comNumber(); with number 0 the operator is asked for a port first.
    // False when the port could not be opened or the operator cancelled.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Run on the fire thread: the line of port comNumber() at the speed set, made, written and
    // closed there; nullptr when it cannot be opened. failed: the line died on its own.
    virtual std::unique_ptr<FireWriter> openLine(const FireLineFailed& failed) = 0;
};

class FireModeHost {
public:
    enum class Answer { Yes, No, Closed };
    virtual ~FireModeHost() = default;
    // The question "msg_firemode" naming what the route will fire, with Yes and No; No is
    // what Enter gives.
    virtual Answer askFireMode(FireRoute route) = 0;
    // The transfer command, as from its menu entry.
    virtual void runTransfer() = 0;
    // Route state picture of the route's menu entry (on: image 1, off: image 0).
    virtual void setRouteActive(FireRoute route, bool active) = 0;
    virtual void setRouteEnabled(FireRoute route, bool enabled) = 0;
    // The console is armed or not: everything in the window that could change what a frame
    // carries (or take the port) follows this one state.
    virtual void setArmedState(bool armed) = 0;
    // On: program pages and set-up page hidden, fire page shown and on show, warning label
    // shown. Off: the reverse, with page 0 on show.
    virtual void setFirePagesShown(bool fireMode) = 0;
    // The fire page's port label.
    virtual void setFirePortText(const QString& text) = 0;
    // The fire set-up page's port label.
    virtual void setSetupPortText(const QString& text) = 0;
    // RK40 on: the box list replaces its label. Off: box mode 0 gets its label back with
    // the derived number.
    virtual void setRk40BoxList(bool rk40On) = 0;
    virtual void stopMacro() = 0;
    virtual void showError(const QString& text) = 0;
    // [com] port of the settings file.
    virtual void savePortSetting(int port) = 0;
};

// What a route fires, as the operator reads it: "RK40, 2400 Bd, COM7, box 3, macros box 36"
// (one box when both are the same). Port 0: still to be chosen. Route frames carry the
// configured box, macro calls the box program's. A rehearsal names itself, not a port.
QString armedTargetText(FireRoute route, int port, int buttonBox, int macroBox);

class FireModeController {
public:
    FireModeController(FireModeHost& host, FirePort& port, FireEngine& engine);
    FireModeController(const FireModeController&) = delete;
    FireModeController& operator=(const FireModeController&) = delete;

    // Made on the window's thread when the rehearsal arms: the line it writes to, opened on
    // the fire thread. Unset (or giving none) the rehearsal does not arm.
    using RehearsalLineMaker = std::function<FireEngine::LineFactory()>;
    void setRehearsalLine(RehearsalLineMaker maker) { m_makeRehearsalLine = std::move(maker); }

    // The configured box number ([df] box) of the route frames.
    void setConfiguredBox(int box) { m_configuredBox = box; }
    int configuredBox() const { return m_configuredBox; }
    // The saved port number ([com] port). Unbound it is the controller's own; bound, it is
    // the caller's variable (the main window's settings record, which the transmit dialog
    // reads and writes too), so the two never hold different numbers. nullptr unbinds.
    void bindSavedPort(int* storage) { m_savedPort = storage ? storage : &m_ownSavedPort; }
    void setSavedPort(int port) { *m_savedPort = port; }
    int savedPort() const { return *m_savedPort; }

    FireRoute route() const { return m_route; }
    bool isArmed() const { return m_route != FireRoute::None; }

    // Menu entry of a route: switches on when off, off when this route is on. The entry of
    // the other route is disabled while one is on, so it is never asked to change routes.
    void toggle(FireRoute route);
    void switchOn(FireRoute route);
    void switchOff();

    // A program button or its hotkey: sends the route frame for the channel, or nothing
    // when no route is armed. source names what fired it in the fire log ("button",
    // "hotkey a").
    void fire(int channel, const QString& source = QStringLiteral("button"));
    // A macro call frame, whatever the route. Returns the frame's ticket with the engine, 0
    // when nothing was sent.
    quint64 callMacroChannel(int boxNumber, int channel, const QString& source = QString());

    // The fire log (nullptr: none) gets every copy of every frame once the port has it,
    // fire mode on and off and port errors.
    void setLog(FireLog* log) { m_log = log; }
    FireLog* log() const { return m_log; }
    // One line of the given event ("macro start", ...) with the armed route and port.
    void logEvent(const QString& event, const QString& source = QString(),
                  const QString& outcome = QString());
    // A press that sent nothing: event "frame" with the channel it would have fired, or
    // "macro start" (channel below 0), outcome "refused: " and the reason.
    void logRefused(int channel, const QString& source, const QString& reason);

    // The port failed (write refused, device gone) while armed: close it, disarm, and
    // tell the operator once.
    void portFailed();

    // The fire set-up page's port button: the operator picks a port; the choice takes
    // effect at the next switching on.
    void choosePort();
    // The set-up page's port label as it shows on that page's show.
    QString portLabel() const;

private:
    void disarm(bool closePort);
    // The fire thread's line ends, then the window's port object closes.
    void closePort();
    // What the log's lines name: the route and port of the session and the configured box.
    FireLogSession logSession() const;
    void logFrame(const QByteArray& frame, const QString& source, const QString& outcome,
                  qint64 atNs = 0);

    FireModeHost& m_host;
    FirePort& m_port;
    FireEngine& m_engine;
    FireRoute m_route = FireRoute::None;
    RehearsalLineMaker m_makeRehearsalLine;
    int m_configuredBox = 1;
    int m_ownSavedPort = 0;
    int* m_savedPort = &m_ownSavedPort;
    FireLog* m_log = nullptr;
    // The route and port the log names: the armed ones, kept for the lines of switching off
    // and of a failure (which resets the port's number).
    FireRoute m_logRoute = FireRoute::None;
    int m_logPort = 0;
    bool m_loggedOn = false;
    // A failure is being handled: the fire thread's news of the same failure, which reaches
    // the window while the line is dropped, is not a second one.
    bool m_failing = false;
};

} // namespace vz
