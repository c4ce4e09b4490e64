// bench_transmit [RUNS] [transfer]: "transfer" leaves out the hex log part.
//
// Timing of a full transfer through the transmit dialog over a pseudo-terminal: wall time of
// the transmit click and the turnaround of each waited block (from its write to its
// output-sent event), median over all blocks of all runs. A pseudo-terminal takes bytes at
// once, so this measures the program's own share; a real line adds 430 bytes at 1200 baud.
//
// Then the hex log at its cap: an hour of idle bytes (one per 25 ms tick) appended to a full
// log shown in its text box, each append with the repaint it causes; beside it, for a few
// hundred appends, the cost of refilling the whole text per append.

#include "bench_prompts.h"
#include "program/box_program.h"
#include "transfer/backend_transmit.h"
#include "transfer/hex_log_view.h"
#include "transfer/transfer_image.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace vz;

namespace {

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Median microseconds per append, each followed by the repaint it causes.
double hexLogAppendUs(QApplication& app, int appends, bool refillWhole, bool paint = true) {
    vz::HexLog log;
    QPlainTextEdit box;
    box.setReadOnly(true);
    box.setLineWrapMode(QPlainTextEdit::NoWrap);
    box.resize(750, 161);
    box.show();
    vz::HexLogView view(&box);
    log.append(QByteArray(log.limit() / vz::HexLog::kEntryChars, '_'));
    view.showAll(log);
    app.processEvents();
    const QByteArray idle(1, '_');
    std::vector<double> us;
    us.reserve(static_cast<size_t>(appends));
    for (int i = 0; i < appends; ++i) {
        QElapsedTimer t;
        t.start();
        const int dropped = log.append(idle);
        if (refillWhole) {
            box.setPlainText(log.text());
            box.moveCursor(QTextCursor::End);
        } else {
            view.append(vz::HexLog::hex(idle), dropped);
        }
        if (paint)
            box.repaint();
        us.push_back(t.nsecsElapsed() / 1e3);
    }
    return median(us);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    QTemporaryDir dir;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (!dir.isValid() || master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    const char* slaveName = ::ptsname(master);
    const int slave = ::open(slaveName, O_RDWR | O_NOCTTY); // keeps the line up between runs
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    QDir(dir.path()).mkpath("ports");
    if (::symlink(slaveName, qPrintable(dir.filePath("ports/COM7"))) != 0) {
        std::fprintf(stderr, "cannot link the port\n");
        return 1;
    }

    // The far end reads all the time, also while the dialog waits inside its click.
    QByteArray far;
    QTimer reader;
    reader.setInterval(1);
    QObject::connect(&reader, &QTimer::timeout, [&] {
        char buf[4096];
        ssize_t n;
        while ((n = ::read(master, buf, sizeof buf)) > 0)
            far.append(buf, static_cast<int>(n));
    });
    reader.start();

    BenchPrompts prompts;
    int savedPort = 7;
    Tfrm_gui_transmit dlg(dir.path(), prompts, savedPort);
    const vz::RecordTable records = vz::buildRecordTable(vz::BoxProgram::startValues(), 0);
    const QByteArray image = vz::build_transfer_image(records);
    dlg.setRecords(records);

    std::printf("transfer of the %d-byte image through the dialog, pty, %d runs each\n",
                static_cast<int>(image.size()), runs);
    std::printf("%6s %8s %6s %12s %14s %14s\n", "block", "blocks", "last", "wall ms",
                "turnaround us", "max us");
    bool ok = true;
    for (const int block : {4, 1, 5, 43, 430, 1000}) {
        dlg.setBlockSize(block);
        std::vector<double> walls, turns;
        double worst = 0;
        int blocks = 0, tail = 0;
        for (int run = 0; run < runs; ++run) {
            dlg.show();
            QElapsedTimer idle;
            idle.start();
            while (idle.elapsed() < 60)
                app.processEvents(QEventLoop::AllEvents, 5);
            far.clear();
            QElapsedTimer wall;
            wall.start();
            dlg.btn_transmitClick();
            while (dlg.isSending())
                app.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            walls.push_back(wall.nsecsElapsed() / 1e6);
            QElapsedTimer settle;
            settle.start();
            while (!far.endsWith(image) && settle.elapsed() < 2000)
                app.processEvents(QEventLoop::AllEvents, 5);
            dlg.hide();
            if (!far.endsWith(image) || prompts.errors) {
                std::fprintf(stderr, "block %d run %d: image not received\n", block, run);
                ok = false;
            }
            const vz::BlockTransferReport& r = dlg.lastTransfer();
            blocks = r.blocks;
            tail = r.tailBytes;
            // The last part is waited for like a block.
            QVector<qint64> waits = r.blockUs;
            if (r.tailBytes > 0)
                waits.append(r.tailUs);
            for (const qint64 us : waits) {
                turns.push_back(static_cast<double>(us));
                worst = std::max(worst, static_cast<double>(us));
            }
        }
        std::printf("%6d %8d %6d %12.2f %14.1f %14.1f\n", block, blocks, tail, median(walls),
                    median(turns), worst);
        // A transfer of one part has one turnaround, and it holds the full repaint of the
        // progress bar; on a real line that overlaps the part's 3.6 s of line time.
        if (turns.size() >= static_cast<size_t>(10 * runs) && median(turns) >= 2000) {
            std::fprintf(stderr, "block %d: turnaround over 2 ms\n", block);
            ok = false;
        }
    }
    std::printf("line time of the image at 1200 baud, 8N1: %.0f ms\n", image.size() * 10 / 1.2);

    if (argc > 2 && std::strcmp(argv[2], "transfer") == 0)
        return ok ? 0 : 1;
    const int hour = 3600 * 1000 / vz::IdleStream::kTickMs;
    const double edge = hexLogAppendUs(app, hour, false);
    const double whole = hexLogAppendUs(app, 400, true);
    const double edgeOnly = hexLogAppendUs(app, hour, false, false);
    const double wholeOnly = hexLogAppendUs(app, 400, true, false);
    std::printf("hex log at its %d-character cap, one idle byte per append with repaint:\n",
                vz::HexLog::kDefaultLimit);
    std::printf("  %d appends (an hour of idle stream): median %.1f us\n", hour, edge);
    std::printf("  refilling the whole text instead (400 appends): median %.1f us\n", whole);
    std::printf("  without the repaint: %.1f us per append, %.1f us refilling the whole text\n",
                edgeOnly, wholeOnly);
    ::close(slave);
    ::close(master);
    return ok ? 0 : 1;
}
