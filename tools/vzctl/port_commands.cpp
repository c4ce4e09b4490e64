// sim, ports, frame, fire: the line itself.
#include "cli.h"

#include "device/device_report.h"
#include "device/virtual_master.h"
#include "fire/com_fire_port.h"
#include "fire/fire_frames.h"
#include "fire/fire_log.h"
#include "fire/fire_mode.h"
#include "fire/fire_schedule.h"
#include "serial/com_port.h"
#include "serial/port_catalog.h"
#include "serial/port_names.h"
#include "transfer/block_transfer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace vz {

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

// Ctrl+C, SIGTERM and a closed terminal end the event loop instead of the process, so the
// ports/ link is removed on the way out.
bool quitOnSignals(QObject* owner) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return false;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &c, 1);
        QCoreApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
    return true;
}

// Lines still queued are written before the command ends; a log that cannot be written is
// reported, the command's result stays what the port made it.
void finishLog(vz::FireLog& log) {
    if (!log.drain(5000))
        printErr(QStringLiteral("vzctl fire: the fire log in %1 did not finish writing")
                     .arg(log.folder()));
    else if (log.isStopped())
        printErr(QStringLiteral("vzctl fire: fire log off: %1").arg(log.stopReason()));
}

// Runs the event loop until the time has come.
void runUntil(vz::FireTime due) {
    for (auto left = due - std::chrono::steady_clock::now(); left.count() > 0;
         left = due - std::chrono::steady_clock::now()) {
        QEventLoop loop;
        QTimer::singleShot(std::chrono::ceil<std::chrono::milliseconds>(left), Qt::PreciseTimer,
                           &loop, &QEventLoop::quit);
        loop.exec();
    }
}

// Runs until the output-sent event of the armed trigger; returns why not when the port failed
// or the time ran out first.
QString runUntilSent(TApdComPort& com, quint16 trigger, int limitMs) {
    QEventLoop loop;
    bool sent = false;
    QString why = QStringLiteral("the frame did not leave the port within %1 ms").arg(limitMs);
    QObject::connect(&com, &TApdComPort::TriggerOutSent, &loop, [&](quint16 handle) {
        sent = sent || handle == trigger;
        if (sent)
            loop.quit();
    });
    QObject::connect(&com, &TApdComPort::PortFailed, &loop, [&](const QString& text) {
        why = text;
        loop.quit();
    });
    QTimer::singleShot(limitMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    return sent ? QString() : why;
}

QString jsonLine(const QJsonObject& o) {
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace

int cmdSim(const QStringList& args) {
    CommandLine cl(QStringLiteral("sim"), QStringLiteral("sim [--port N] [--json] [--events N]"),
                   QStringLiteral("Virtual master module: opens a pseudo-terminal, links it as "
                                  "ports/COM<N> beside the program and reports everything that "
                                  "arrives, one event a line: idle \"_\" runs, transfer images "
                                  "(checked, with their 70 records), master module, RK40 and "
                                  "macro call frames, and anything else as hex. Ends on Ctrl+C "
                                  "or SIGTERM and removes its link."));
    cl.parser().addOption({QStringLiteral("port"),
                           QStringLiteral("COM number to take (default: the first free from 9 "
                                          "up)."),
                           QStringLiteral("N")});
    cl.parser().addOption({QStringLiteral("json"), QStringLiteral("One JSON object per event.")});
    cl.parser().addOption({QStringLiteral("events"), QStringLiteral("End after this many events."),
                           QStringLiteral("N")});
    int code = ExitOk;
    if (!cl.parse(args, &code))
        return code;
    int port = 0;
    int maxEvents = 0;
    if (!cl.intOption(QStringLiteral("port"), 1, 255, &port, &code) ||
        !cl.intOption(QStringLiteral("events"), 1, 1000000, &maxEvents, &code))
        return code;
    const bool json = cl.parser().isSet(QStringLiteral("json"));

    vz::VirtualMasterModule sim(cl.dataFolder().portsBase());
    if (!quitOnSignals(&sim)) {
        printErr(QStringLiteral("vzctl sim: cannot watch for signals"));
        return ExitError;
    }
    if (!sim.start(port)) {
        printErr(QStringLiteral("vzctl sim: %1").arg(sim.errorString()));
        return sim.numberTaken() ? ExitRefused : ExitError;
    }
    if (json) {
        printOut(jsonLine({{QStringLiteral("event"), QStringLiteral("ready")},
                           {QStringLiteral("com"), sim.comNumber()},
                           {QStringLiteral("device"), sim.devicePath()},
                           {QStringLiteral("link"), sim.linkPath()}}));
    } else {
        printOut(QStringLiteral("virtual master module on COM%1 (%2, link %3)")
                     .arg(sim.comNumber())
                     .arg(sim.devicePath(), sim.linkPath()));
        printOut(QStringLiteral("choose COM%1 in the program; Ctrl+C ends").arg(sim.comNumber()));
    }
    int events = 0;
    QObject::connect(&sim, &vz::VirtualMasterModule::deviceEvent, [&](const vz::DeviceEvent& e) {
        if (maxEvents > 0 && events >= maxEvents)
            return;
        if (json)
            printOut(jsonLine(vz::eventToJson(e)));
        else
            for (const QString& line : vz::formatEventText(e))
                printOut(line);
        if (maxEvents > 0 && ++events >= maxEvents)
            QCoreApplication::quit();
    });
    QCoreApplication::exec();
    sim.stop();
    return ExitOk;
}

int cmdPorts(const QStringList& args) {
    CommandLine cl(QStringLiteral("ports"), QStringLiteral("ports [--json]"),
                   QStringLiteral("Lists the COM numbers that are present with what each reaches: "
                                  "device, USB maker, product and serial number, its ports/ link "
                                  "or the stable name that choosing it links, and whether this "
                                  "user may open it. Links whose adapter is unplugged are listed "
                                  "too. The port chooser offers COM1 to COM50."));
    cl.parser().addOption({QStringLiteral("json"), QStringLiteral("One JSON array.")});
    int code = ExitOk;
    if (!cl.parse(args, &code))
        return code;
    if (!cl.parser().positionalArguments().isEmpty())
        return cl.usageError(QStringLiteral("no arguments expected"));
    const QString dir = cl.dataFolder().portsBase();
    const QList<vz::ports::PortEntry> entries =
        vz::ports::catalog(dir, vz::ports::SerialSystem::fromEnvironment(), 1, 0xFFFF, true);
    if (cl.parser().isSet(QStringLiteral("json"))) {
        QJsonArray out;
        for (const vz::ports::PortEntry& e : entries)
            out.append(
                QJsonObject{{QStringLiteral("com"), e.number},
                            {QStringLiteral("present"), e.present},
                            {QStringLiteral("device"), e.device},
                            {QStringLiteral("maker"), e.usb.maker},
                            {QStringLiteral("product"), e.usb.product},
                            {QStringLiteral("serial"), e.usb.serial},
                            {QStringLiteral("link"), e.link},
                            {QStringLiteral("link_target"), e.linkTarget},
                            {QStringLiteral("stable_name"), e.stableName},
                            {QStringLiteral("links_on_choice"), e.linkOnChoice},
                            {QStringLiteral("permitted"), e.permitted()},
                            {QStringLiteral("group"), e.deniedGroup},
                            {QStringLiteral("offered"), e.number <= vz::ports::kLastOffered}});
        writeOut(QJsonDocument(out).toJson(QJsonDocument::Indented));
        return ExitOk;
    }
    for (const vz::ports::PortEntry& e : entries) {
        QString line = vz::ports::entryText(e, QStringLiteral("serial %1"));
        if (!e.present)
            line += QStringLiteral("  (missing: the link leads nowhere; adapter unplugged?)");
        if (e.number > vz::ports::kLastOffered)
            line += QStringLiteral("  (not offered by the chooser)");
        printOut(line);
        const QString indent(8, QLatin1Char(' '));
        if (!e.link.isEmpty())
            printOut(indent + QStringLiteral("link %1 -> %2").arg(e.link, e.linkTarget));
        else if (e.linkOnChoice)
            printOut(indent +
                     QStringLiteral("choosing it links %1 -> %2")
                         .arg(vz::ports::linkPath(dir, e.number), vz::ports::choiceTarget(e)));
        if (!e.stableName.isEmpty() && e.stableName != e.linkTarget && !e.linkOnChoice)
            printOut(indent + QStringLiteral("stable name %1 (the link names the socket: link "
                                             "this name to keep the adapter across a replug)")
                                  .arg(e.stableName));
        if (!e.permitted())
            printOut(indent + QStringLiteral("no permission: serial ports belong to the group %1; "
                                             "join it with \"sudo usermod -aG %1 $USER\", then "
                                             "log out and in again")
                                  .arg(e.deniedGroup));
    }
    if (entries.isEmpty())
        printErr(QStringLiteral("no serial port found (start 'vzctl sim' for a virtual one)"));
    return ExitOk;
}

namespace {

struct FrameRequest {
    QString kind;
    int box = 1;
    int channel = 0;
};

// Kind, --box (default: [df] box of the settings file) and CHANNEL.
bool frameRequest(CommandLine& cl, const QString& kind, int channelIndex, FrameRequest* out,
                  int* code) {
    if (kind != QLatin1String("mm") && kind != QLatin1String("rk40") &&
        kind != QLatin1String("macro")) {
        *code = cl.usageError(QStringLiteral("the kind is mm, rk40 or macro, not '%1'").arg(kind));
        return false;
    }
    const QStringList positional = cl.parser().positionalArguments();
    if (positional.size() != channelIndex + 1) {
        *code = cl.usageError(QStringLiteral("expected one CHANNEL"));
        return false;
    }
    out->kind = kind;
    Settings settings;
    if (!loadSettings(cl.dataFolder().settingsPath(), &settings)) {
        *code = ExitError;
        return false;
    }
    out->box = settings.box;
    return cl.intOption(QStringLiteral("box"), 0, 255, &out->box, code) &&
           cl.intArgument(positional.at(channelIndex), QStringLiteral("CHANNEL"), 1, vz::kChannels,
                          &out->channel, code);
}

QByteArray frameOf(const FrameRequest& r) {
    const vz::FireRoute route = vz::fireRouteNamed(r.kind);
    return route != vz::FireRoute::None ? vz::fireRouteFrame(route, r.box, r.channel)
                                        : vz::macroCallFrame(r.box, r.channel);
}

void addBoxOption(CommandLine& cl) {
    cl.parser().addOption({QStringLiteral("box"),
                           QStringLiteral("Box number: the configured box of the route frames, "
                                          "the box program's box of a macro call (default: [df] "
                                          "box of the settings file, 1)."),
                           QStringLiteral("B")});
}

} // namespace

int cmdFrame(const QStringList& args) {
    CommandLine cl(QStringLiteral("frame"), QStringLiteral("frame mm|rk40|macro [--box B] CHANNEL"),
                   QStringLiteral("Prints a fire frame as upper-case hex."));
    cl.addPositional(QStringLiteral("mm|rk40|macro"),
                     QStringLiteral("Master module route, RK40 route or macro call."));
    cl.addPositional(QStringLiteral("CHANNEL"), QStringLiteral("Channel 1 to 70."));
    addBoxOption(cl);
    int code = ExitOk;
    if (!cl.parse(args, &code))
        return code;
    const QStringList positional = cl.parser().positionalArguments();
    if (positional.isEmpty())
        return cl.usageError(QStringLiteral("expected mm, rk40 or macro and a CHANNEL"));
    FrameRequest request;
    if (!frameRequest(cl, positional.first(), 1, &request, &code))
        return code;
    printOut(vz::hexBytes(frameOf(request)));
    return ExitOk;
}

int cmdFire(const QStringList& args) {
    CommandLine cl(QStringLiteral("fire"),
                   QStringLiteral("fire --route mm|rk40 --port N [--box B] CHANNEL"),
                   QStringLiteral("Sends the route's fire frame twice, the second copy %1 ms "
                                  "after the first, at %2 baud (mm) or %3 baud (rk40).")
                       .arg(vz::kFireRepeatMs)
                       .arg(vz::kMasterModuleBaud)
                       .arg(vz::kRk40Baud));
    cl.addPositional(QStringLiteral("CHANNEL"), QStringLiteral("Channel 1 to 70."));
    cl.parser().addOption(
        {QStringLiteral("route"), QStringLiteral("mm or rk40."), QStringLiteral("ROUTE")});
    cl.parser().addOption(
        {QStringLiteral("port"), QStringLiteral("COM number."), QStringLiteral("N")});
    addBoxOption(cl);
    int code = ExitOk;
    if (!cl.parse(args, &code))
        return code;
    const vz::FireRoute route = vz::fireRouteNamed(cl.parser().value(QStringLiteral("route")));
    if (route != vz::FireRoute::MasterModule && route != vz::FireRoute::Rk40)
        return cl.usageError(QStringLiteral("--route mm or --route rk40 is required"));
    if (!cl.parser().isSet(QStringLiteral("port")))
        return cl.usageError(QStringLiteral("--port is required"));
    int port = 0;
    if (!cl.intOption(QStringLiteral("port"), 1, 65535, &port, &code))
        return code;
    FrameRequest request;
    if (!frameRequest(cl, vz::fireRouteName(route), 0, &request, &code))
        return code;
    const QByteArray frame = frameOf(request);

    const DataFolder data = cl.dataFolder();
    TApdComPort com(data.portsBase());
    vz::FireLog log(data.logDir());
    const QString source = QStringLiteral("vzctl");
    const vz::FireLogSession session{vz::fireRouteName(route), vz::ports::comName(port),
                                     request.box};
    // The console's schedule writes the two copies; each is logged once the port has it, or
    // once it refused it.
    vz::ComPortWriter writer(com);
    vz::FireSchedule schedule;
    schedule.setWriter(&writer);
    QString failure;
    try {
        com.setComNumber(static_cast<quint16>(port));
        com.setBaud(vz::fireRouteBaud(route));
        com.setOpen(true);
    } catch (const ComPortError& e) {
        failure = e.text();
    }
    if (failure.isEmpty()) {
        const quint16 trigger = com.AddOutputSentTrigger();
        bool done = false;
        schedule.send(frame, source);
        for (;;) {
            const std::optional<vz::FireTime> next = schedule.advance();
            for (const vz::FireEvent& e : schedule.takeEvents()) {
                if (e.kind == vz::FireEvent::CopyWritten || e.kind == vz::FireEvent::CopyFailed)
                    log.append(session.frameLine(e.frame, e.source,
                                                 e.kind == vz::FireEvent::CopyWritten
                                                     ? QStringLiteral("written")
                                                     : QStringLiteral("failed")));
                if (e.kind == vz::FireEvent::CopyWritten && e.first)
                    com.ArmOutputSentTrigger(trigger); // for the second copy, written next
                else if (e.kind == vz::FireEvent::CopyFailed)
                    failure = writer.error();
                done = done || e.kind == vz::FireEvent::FrameDone;
            }
            if (!next)
                break;
            runUntil(*next); // the first copy leaves meanwhile
        }
        if (done)
            failure =
                runUntilSent(com, trigger, vz::outputSentTimeoutMs(2 * frame.size(), com.Baud()));
    }
    if (!failure.isEmpty()) {
        printErr(QStringLiteral("vzctl fire: %1").arg(failure));
        log.append(session.line(QStringLiteral("port error"), source, failure));
        finishLog(log);
        return ExitError;
    }
    printErr(QStringLiteral("sent %1 twice to %2").arg(vz::hexBytes(frame), session.port));
    com.setOpen(false);
    finishLog(log);
    return ExitOk;
}

} // namespace vz
