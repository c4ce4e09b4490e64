#include "fire/fire_mode.h"

#include "base/unit_service.h"
#include "fire/fire_frames.h"
#include "fire/fire_log.h"
#include "serial/port_names.h"

#include <QScopedValueRollback>

namespace vz {

namespace {

constexpr FireRoute kRoutes[] = {FireRoute::MasterModule, FireRoute::Rk40, FireRoute::Rehearsal};

} // namespace

QString fireRouteName(FireRoute route) {
    return route == FireRoute::MasterModule ? QStringLiteral("mm")
           : route == FireRoute::Rk40       ? QStringLiteral("rk40")
           : route == FireRoute::Rehearsal  ? QStringLiteral("rehearsal")
                                            : QString();
}

FireRoute fireRouteNamed(const QString& name) {
    for (FireRoute route : kRoutes)
        if (name == fireRouteName(route))
            return route;
    return FireRoute::None;
}

int fireRouteBaud(FireRoute route) {
    return route == FireRoute::Rk40 ? kRk40Baud : kMasterModuleBaud;
}

QByteArray fireRouteFrame(FireRoute route, int configuredBox, int channel) {
    switch (route) {
    case FireRoute::MasterModule:
    case FireRoute::Rehearsal:
        return masterModuleFrame(configuredBox, channel);
    case FireRoute::Rk40:
        return rk40Frame(configuredBox, channel);
    case FireRoute::None:
        break;
    }
    return QByteArray();
}

QString armedTargetText(FireRoute route, int port, int buttonBox, int macroBox) {
    const bool rk40 = route == FireRoute::Rk40;
    const QString box = buttonBox == macroBox
                            ? get_text(QStringLiteral("firemode_box"))
                                  .replace(QLatin1String("%1"), QString::number(buttonBox))
                            : get_text(QStringLiteral("firemode_box_macros"))
                                  .replace(QLatin1String("%1"), QString::number(buttonBox))
                                  .replace(QLatin1String("%2"), QString::number(macroBox));
    if (route == FireRoute::Rehearsal)
        return get_text(QStringLiteral("firemode_route_rehearsal"))
            .replace(QLatin1String("%1"), box);
    return QStringList{
        get_text(rk40 ? QStringLiteral("firemode_route_rk40")
                      : QStringLiteral("firemode_route_mm")),
        QString::number(fireRouteBaud(route)) + QStringLiteral(" Bd"),
        port != 0 ? ports::comName(port) : get_text(QStringLiteral("firemode_port_ask")), box}
        .join(QStringLiteral(", "));
}

FireModeController::FireModeController(FireModeHost& host, FirePort& port, FireEngine& engine)
    : m_host(host), m_port(port), m_engine(engine) {
    QObject::connect(
        &m_engine, &FireEngine::copyWritten, &m_engine,
        [this](const QByteArray& frame, const QString& source, bool written, qint64 atNs) {
            logFrame(frame, source, written ? QStringLiteral("written") : QStringLiteral("failed"),
                     atNs);
        });
    QObject::connect(&m_engine, &FireEngine::frameDropped, &m_engine,
                     [this](const QByteArray& frame, const QString& source) {
                         logFrame(frame, source, QStringLiteral("dropped"));
                     });
}

FireLogSession FireModeController::logSession() const {
    // The port of the session, also once a failure has reset the port's number.
    return {fireRouteName(m_logRoute), m_logPort > 0 ? ports::comName(m_logPort) : QString(),
            m_configuredBox};
}

void FireModeController::logEvent(const QString& event, const QString& source,
                                  const QString& outcome) {
    if (m_log)
        m_log->append(logSession().line(event, source, outcome));
}

void FireModeController::logRefused(int channel, const QString& source, const QString& reason) {
    if (!m_log)
        return;
    FireLogLine line =
        logSession().line(channel < 0 ? QStringLiteral("macro start") : QStringLiteral("frame"),
                          source, QStringLiteral("refused: ") + reason);
    if (channel >= 0) {
        line.box = m_configuredBox;
        line.channel = channel;
    }
    m_log->append(std::move(line));
}

void FireModeController::logFrame(const QByteArray& frame, const QString& source,
                                  const QString& outcome, qint64 atNs) {
    if (m_log && frame.size() >= 6)
        m_log->append(logSession().frameLine(frame, source, outcome, atNs));
}

void FireModeController::toggle(FireRoute route) {
    if (route == FireRoute::None)
        return;
    if (m_route == FireRoute::None)
        switchOn(route);
    else if (m_route == route)
        switchOff();
    // The other route's entry is disabled while one is on; a stray call changes nothing.
}

void FireModeController::switchOn(FireRoute route) {
    if (route == FireRoute::None || isArmed())
        return;
    // Only an explicit Yes arms the console; a box closed without an answer changes nothing.
    const FireModeHost::Answer answer = m_host.askFireMode(route);
    if (answer == FireModeHost::Answer::Closed)
        return;
    if (answer == FireModeHost::Answer::No) {
        m_host.runTransfer();
        return;
    }

    m_route = route;
    m_logRoute = route;
    m_host.setRouteActive(route, true);
    for (FireRoute other : kRoutes)
        if (other != route)
            m_host.setRouteEnabled(other, false);
    m_host.setArmedState(true);
    m_host.setFirePagesShown(true);

    if (route == FireRoute::Rehearsal) {
        // No port: the serial port and its saved number stay as they are.
        m_logPort = 0;
        m_host.setFirePortText(get_text(QStringLiteral("firemode_rehearsal_port")));
        const FireEngine::LineFactory line =
            m_makeRehearsalLine ? m_makeRehearsalLine() : FireEngine::LineFactory();
        if (line && m_engine.openLine(line)) {
            logEvent(QStringLiteral("fire mode on"));
            m_loggedOn = true;
            return;
        }
        m_engine.closeLine();
        disarm(false);
        m_host.showError(get_text(QStringLiteral("msg_rehearsal_error")));
        return;
    }

    m_port.close();
    m_port.setComNumber(*m_savedPort);
    m_host.setFirePortText(get_text(QStringLiteral("msg_selectcomport")));
    if (route == FireRoute::Rk40)
        m_host.setRk40BoxList(true);

    m_port.setBaud(fireRouteBaud(route));
    // The chooser is a window: it runs here; the line opens on the fire thread.
    if (m_port.choose() && m_engine.openLine([this](const FireLineFailed& failed) {
            return m_port.openLine(failed);
        })) {
        const int number = m_port.comNumber();
        m_logPort = number;
        m_host.setFirePortText(ports::comName(number));
        *m_savedPort = number;
        m_host.savePortSetting(number);
        logEvent(QStringLiteral("fire mode on"));
        m_loggedOn = true;
        return;
    }
    m_logPort = m_port.comNumber(); // the one the chooser gave, if any
    logEvent(QStringLiteral("port error"), QString(), QStringLiteral("cannot open"));
    // Disarm before the message box: while it is up the console must not look or act armed.
    // The number that failed is dropped, so the set-up page shows no port; the saved number
    // stays for the next try.
    closePort();
    m_port.setComNumber(0);
    disarm(false);
    m_host.showError(get_text(QStringLiteral("msg_comport_error")));
}

void FireModeController::switchOff() {
    if (!isArmed())
        return;
    disarm(true);
}

void FireModeController::disarm(bool closePort) {
    const FireRoute route = m_route;
    m_route = FireRoute::None;
    m_host.stopMacro();
    if (closePort) {
        // The copy of a frame already on the line still goes; nothing new starts.
        m_engine.finishAndDrop();
    } else {
        m_engine.drop();
    }
    if (m_loggedOn) {
        logEvent(QStringLiteral("fire mode off"));
        m_loggedOn = false;
    }
    m_host.setRouteActive(route, false);
    for (FireRoute other : kRoutes)
        m_host.setRouteEnabled(other, true);
    m_host.setArmedState(false);
    m_host.setFirePagesShown(false);
    if (route == FireRoute::Rk40)
        m_host.setRk40BoxList(false);
    if (closePort)
        this->closePort();
}

void FireModeController::closePort() {
    m_engine.closeLine();
    // The rehearsal never had the port: it stays as the operator left it.
    if (m_logRoute != FireRoute::Rehearsal)
        m_port.close();
}

void FireModeController::fire(int channel, const QString& source) {
    if (isArmed())
        m_engine.send(fireRouteFrame(m_route, m_configuredBox, channel), source);
}

quint64 FireModeController::callMacroChannel(int boxNumber, int channel, const QString& source) {
    if (!isArmed())
        return 0; // fire mode went off: a macro must not outlive it
    return m_engine.send(macroCallFrame(boxNumber, channel), source);
}

void FireModeController::portFailed() {
    if (!isArmed() || m_failing)
        return; // already handled: one message per failure, not one per frame
    const QScopedValueRollback<bool> failing(m_failing, true);
    logEvent(QStringLiteral("port error"), QString(), QStringLiteral("failed"));
    m_engine.drop();
    closePort();
    if (m_route != FireRoute::Rehearsal)
        m_port.setComNumber(0);
    disarm(false);
    m_host.showError(get_text(QStringLiteral("msg_comport_error")));
}

void FireModeController::choosePort() {
    if (isArmed())
        return; // the port belongs to the armed console
    m_port.close();
    m_port.setComNumber(0);
    if (!m_port.open()) {
        m_port.close();
        m_host.showError(get_text(QStringLiteral("msg_comport_error")));
        m_port.setComNumber(0);
    }
    const int number = m_port.comNumber();
    m_host.setSetupPortText(portLabel());
    *m_savedPort = number;
    m_host.savePortSetting(number);
    m_port.close();
}

QString FireModeController::portLabel() const {
    const int number = m_port.comNumber();
    return number != 0 ? ports::comName(number) : get_text(QStringLiteral("msg_selectcomport"));
}

} // namespace vz
