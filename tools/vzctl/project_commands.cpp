// check, image, send: a project file on its way to the master module.
#include "cli.h"

#include "serial/com_port.h"
#include "serial/port_names.h"
#include "transfer/block_transfer.h"
#include "transfer/idle_stream.h"
#include "transfer/transfer_image.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace vz {

namespace {

constexpr int kProgressWidth = 40;

// Reads the one project argument, refuses a project with channels used twice.
// Returns -1 when the project can go on, else the exit code.
int loadChecked(CommandLine& cl, LoadedProject* project) {
    const QStringList files = cl.parser().positionalArguments();
    if (files.size() != 1)
        return cl.usageError(QStringLiteral("expected one project file (.kvx)"));
    if (!cl.loadProject(files.first(), project))
        return ExitError;
    const QString message = duplicateMessageFor(*project);
    if (!message.isEmpty()) {
        printErr(message.trimmed());
        return ExitRefused;
    }
    return -1;
}

// The same after the parsing, for a command without options of its own to check.
int parseChecked(CommandLine& cl, const QStringList& args, LoadedProject* project) {
    int code = ExitOk;
    if (!cl.parse(args, &code))
        return code;
    return loadChecked(cl, project);
}

QByteArray imageOf(const LoadedProject& project) {
    return vz::build_transfer_image(
        vz::buildRecordTable(project.program, project.settings.newBoxmode));
}

class ProgressBar {
public:
    explicit ProgressBar(bool enabled) : m_enabled(enabled) {}
    void show(int step, int steps) {
        if (!m_enabled || steps <= 0)
            return;
        const int filled = std::min(step, steps) * kProgressWidth / steps;
        std::fprintf(stderr, "\r[%s%s] %d/%d blocks", QByteArray(filled, '#').constData(),
                     QByteArray(kProgressWidth - filled, '.').constData(), std::min(step, steps),
                     steps);
        std::fflush(stderr);
        m_drawn = true;
    }
    void end() {
        if (m_drawn)
            std::fputc('\n', stderr);
        m_drawn = false;
    }

private:
    bool m_enabled;
    bool m_drawn = false;
};

} // namespace

int cmdCheck(const QStringList& args) {
    CommandLine cl(QStringLiteral("check"), QStringLiteral("check FILE.kvx [--settings FILE]"),
                   QStringLiteral("Checks a project for channels used by more than one program, "
                                  "as the transmit menu does. Exit 1 with the message when it "
                                  "finds any."));
    cl.addProjectArguments();
    LoadedProject project;
    const int code = parseChecked(cl, args, &project);
    if (code >= 0)
        return code;
    printErr(QStringLiteral("%1: no channel is used twice")
                 .arg(cl.parser().positionalArguments().first()));
    return ExitOk;
}

int cmdImage(const QStringList& args) {
    CommandLine cl(QStringLiteral("image"),
                   QStringLiteral("image FILE.kvx [--settings FILE] [--raw]"),
                   QStringLiteral("Prints the transfer image of a project: upper-case hex, 16 "
                                  "bytes a line, or the 430 bytes themselves with --raw. Refuses "
                                  "a project with channels used twice (exit 1)."));
    cl.addProjectArguments();
    cl.parser().addOption({QStringLiteral("raw"), QStringLiteral("Write the raw bytes.")});
    LoadedProject project;
    const int code = parseChecked(cl, args, &project);
    if (code >= 0)
        return code;
    const QByteArray image = imageOf(project);
    if (cl.parser().isSet(QStringLiteral("raw"))) {
        writeOut(image);
        return ExitOk;
    }
    for (int i = 0; i < image.size(); i += 16)
        printOut(QString::fromLatin1(image.mid(i, 16).toHex(' ').toUpper()));
    return ExitOk;
}

int cmdSend(const QStringList& args) {
    CommandLine cl(QStringLiteral("send"),
                   QStringLiteral("send FILE.kvx --port N [--block B] [--idle SECONDS] "
                                  "[--settings FILE]"),
                   QStringLiteral("Transfers a project as the transmit dialog does: port at "
                                  "%1 baud, idle stream of \"_\" for the given seconds, queued "
                                  "idle bytes dropped, then the image in blocks, each waited for "
                                  "until it left the port. Refuses a project with channels used "
                                  "twice (exit 1).")
                       .arg(vz::kTransferBaud));
    cl.addProjectArguments();
    cl.parser().addOption(
        {QStringLiteral("port"), QStringLiteral("COM number."), QStringLiteral("N")});
    cl.parser().addOption({QStringLiteral("block"),
                           QStringLiteral("Bytes per block (default: [com] block of the "
                                          "settings file, 4)."),
                           QStringLiteral("B")});
    cl.parser().addOption({QStringLiteral("idle"),
                           QStringLiteral("Seconds of idle stream before the image (default 0)."),
                           QStringLiteral("SECONDS")});
    int code = ExitOk;
    if (!cl.parse(args, &code))
        return code;
    if (!cl.parser().isSet(QStringLiteral("port")))
        return cl.usageError(QStringLiteral("--port is required"));
    int port = 0;
    int block = 0;
    if (!cl.intOption(QStringLiteral("port"), 1, 65535, &port, &code) ||
        !cl.intOption(QStringLiteral("block"), 1, 1000000, &block, &code))
        return code;
    bool idleOk = true;
    const double idle = cl.parser().isSet(QStringLiteral("idle"))
                            ? cl.parser().value(QStringLiteral("idle")).toDouble(&idleOk)
                            : 0.0;
    if (!idleOk || idle < 0 || idle > 3600)
        return cl.usageError(QStringLiteral("--idle must be seconds from 0 to 3600"));

    LoadedProject project;
    code = loadChecked(cl, &project);
    if (code >= 0)
        return code;
    if (block == 0)
        block = project.settings.effectiveBlock();
    const QByteArray image = imageOf(project);

    TApdComPort com(cl.dataFolder().portsBase());
    const QString name = vz::ports::comName(port);
    ProgressBar bar(::isatty(STDERR_FILENO) == 1);
    try {
        com.setComNumber(static_cast<quint16>(port));
        com.setBaud(vz::kTransferBaud);
        com.setOpen(true);

        qint64 idleBytes = 0;
        if (idle > 0) {
            vz::IdleStream stream(com);
            QString lost;
            QEventLoop loop;
            // A line lost meanwhile ends the idle time at once. The connections end with the
            // loop, before lost goes out of scope.
            const auto lose = [&](const QString& why) {
                lost = why;
                loop.quit();
            };
            QObject::connect(&com, &TApdComPort::PortFailed, &loop, lose);
            QObject::connect(&stream, &vz::IdleStream::failed, &loop, lose);
            QTimer::singleShot(static_cast<int>(idle * 1000), Qt::PreciseTimer, &loop,
                               &QEventLoop::quit);
            stream.start();
            loop.exec();
            stream.stop();
            idleBytes = stream.bytesSent();
            if (!lost.isEmpty())
                throw ComPortError(lost);
        }
        com.FlushOutput(); // throws when the line died meanwhile

        vz::BlockTransfer transfer(com);
        QString failure;
        QEventLoop loop;
        QObject::connect(&transfer, &vz::BlockTransfer::progress, &loop,
                         [&](int step, int steps, const QByteArray&) { bar.show(step, steps); });
        QObject::connect(&transfer, &vz::BlockTransfer::finished, &loop, &QEventLoop::quit);
        QObject::connect(&transfer, &vz::BlockTransfer::failed, &loop, [&](const QString& why) {
            failure = why;
            loop.quit();
        });
        transfer.start(image, block);
        if (transfer.isRunning())
            loop.exec();
        if (!failure.isNull())
            throw ComPortError(failure);
        const vz::BlockTransferReport& report = transfer.report();
        bar.end(); // every byte left the port, the last part too

        QString summary = QStringLiteral("sent %1 bytes to %2 (%3): %4 blocks of %5")
                              .arg(image.size())
                              .arg(name, com.deviceName())
                              .arg(report.blocks)
                              .arg(block);
        if (report.tailBytes > 0)
            summary += QStringLiteral(" + %1 bytes").arg(report.tailBytes);
        if (idleBytes > 0)
            summary += QStringLiteral(", after an idle stream of %1 bytes").arg(idleBytes);
        summary += QStringLiteral(", %1 ms").arg(report.totalUs / 1000.0, 0, 'f', 1);
        printErr(summary);
        com.setOpen(false);
    } catch (const ComPortError& e) {
        bar.end();
        printErr(QStringLiteral("vzctl send: %1").arg(e.text()));
        return ExitError;
    }
    return ExitOk;
}

} // namespace vz
