// vzctl: the tool's main jobs from the command line, without the window and without hardware.
#include "cli.h"
#include "vzctl_sheet.h"

#include "fire/fire_frames.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <functional>
#include <map>

using namespace vz;

namespace {

const char* const kUsage =
    "Usage: vzctl COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  sim [--port N] [--json]         virtual master module on a pseudo-terminal,\n"
    "                                  linked as ports/COM<N> in the data folder\n"
    "  ports [--json]                  present COM numbers: devices, USB adapters, links\n"
    "  check FILE.kvx [--settings F]   duplicate-channel check of a project\n"
    "  image FILE.kvx [--settings F] [--raw]\n"
    "                                  the 430-byte transfer image (hex, or raw bytes)\n"
    "  send FILE.kvx --port N [--block B] [--idle SECONDS] [--settings F]\n"
    "                                  transfer a project as the transmit dialog does\n"
    "  frame mm|rk40|macro [--box B] CHANNEL\n"
    "                                  print a fire frame as hex\n"
    "  fire --route mm|rk40 --port N [--box B] CHANNEL\n"
    "                                  send a fire frame twice, %1 ms apart\n"
    "  macro FILE.kvx N [--json] [--settings F]\n"
    "                                  dry run of macro N (1..10): steps, times, frames\n"
    "  rehearse FILE.kvx N [--json] [--settings F]\n"
    "                                  macro N played onto the rehearsal box in simulated\n"
    "                                  time: the flame row, each change in ms after the click\n"
    "  sheet FILE.kvx --pdf OUT.pdf [--settings F]\n"
    "                                  the programming sheet as a PDF\n"
    "\n"
    "Every command takes --help and --program-dir DIR (the folder holding language/;\n"
    "default: the folder of vzctl). settings.ini, ports/ and logs/ are kept there when it\n"
    "is writable, else in $XDG_CONFIG_HOME/vestro-zandor (default ~/.config/vestro-zandor).\n"
    "Exit codes: 0 ok, 1 refused (channels used twice, macro steps that do not run as\n"
    "written), 2 usage or I/O error, or a project file that cannot be read or is no project.\n";

QString usage() {
    return QString::fromLatin1(kUsage).arg(vz::kFireRepeatMs).trimmed();
}

} // namespace

int main(int argc, char* argv[]) {
    // The sheet draws text and needs fonts: a GUI application, offscreen unless told otherwise.
    if (argc > 1 && qstrcmp(argv[1], "sheet") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("vzctl"));
        return runSheetCommand(app.arguments().mid(2));
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vzctl"));
    QStringList args = app.arguments().mid(1);

    const std::map<QString, std::function<int(const QStringList&)>> commands = {
        {QStringLiteral("sim"), cmdSim},           {QStringLiteral("ports"), cmdPorts},
        {QStringLiteral("check"), cmdCheck},       {QStringLiteral("image"), cmdImage},
        {QStringLiteral("send"), cmdSend},         {QStringLiteral("frame"), cmdFrame},
        {QStringLiteral("fire"), cmdFire},         {QStringLiteral("macro"), cmdMacro},
        {QStringLiteral("rehearse"), cmdRehearse},
    };
    if (args.isEmpty()) {
        printErr(usage());
        return ExitError;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        printOut(usage());
        return ExitOk;
    }
    const auto it = commands.find(command);
    if (it == commands.end()) {
        printErr(QStringLiteral("vzctl: unknown command '%1'").arg(command));
        printErr(QStringLiteral("Try 'vzctl --help'."));
        return ExitError;
    }
    return it->second(args);
}
