// Fire console timing on a real pseudo-terminal:
// 1. click on a fire button -> first byte at the far end, and the gap between the two
//    copies of the frame, over 200 clicks;
// 2. a macro of 20 calls and pauses: the error of every step (measured gap to the call
//    before against the planned gap; each deadline counts from the step before) and the
//    drift of every frame from the plan over the whole run.
// Usage: bench_fire [--load N] [clicks]; with the fire log the program has, VZ_BENCH_NO_LOG=1
// without. --load N: N busy threads occupy the cores and the window's thread is held busy for
// 200 ms every second (a long repaint), as on a show laptop that is doing other work. The far
// end reads at the highest real-time priority it may get: it stands for a device of its own,
// and its read times must not carry the load. The same figures follow as stamped by the fire
// thread at each write: the far end's times also carry the pseudo-terminal's own delivery,
// which the kernel does on an ordinary worker thread that a loaded machine holds up too.
#include "bench_prompts.h"
#include "fire/com_fire_port.h"
#include "fire/fire_console.h"
#include "fire/fire_engine.h"
#include "fire/fire_log.h"
#include "fire/fire_panel.h"
#include "fire/hotkeys.h"
#include "fire/macro_runner.h"
#include "program/program_document.h"
#include "serial/com_port.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

using namespace vz;

namespace {

qint64 nowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Far end of the line: every byte with its arrival time, read on a thread of its own.
struct FarEnd {
    int fd = -1;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::vector<std::pair<qint64, char>> bytes;
    std::thread thread;

    explicit FarEnd(int master) : fd(master), thread([this] { run(); }) {
        sched_param p{};
        p.sched_priority = sched_get_priority_max(SCHED_FIFO);
        if (pthread_setschedparam(thread.native_handle(), SCHED_FIFO, &p) != 0)
            std::fprintf(stderr, "far end: no real-time priority, its times carry the load\n");
    }
    ~FarEnd() {
        stop = true;
        thread.join();
    }
    void run() {
        while (!stop) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0)
                continue;
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            const qint64 t = nowUs();
            std::lock_guard<std::mutex> lock(mutex);
            for (ssize_t i = 0; i < n; ++i)
                bytes.emplace_back(t, buf[i]);
        }
    }
    size_t size() {
        std::lock_guard<std::mutex> lock(mutex);
        return bytes.size();
    }
    qint64 timeOf(size_t i) {
        std::lock_guard<std::mutex> lock(mutex);
        return i < bytes.size() ? bytes[i].first : -1;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex);
        bytes.clear();
    }
    bool waitFor(size_t n, int timeoutMs) {
        QElapsedTimer c;
        c.start();
        while (size() < n) {
            if (c.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            ::usleep(100);
        }
        return true;
    }
};

// The load: busy threads on every core and a window thread held up now and then.
struct Load {
    std::atomic<bool> stop{false};
    std::vector<std::thread> busy;
    QTimer stall;

    explicit Load(int threads) {
        for (int i = 0; i < threads; ++i)
            busy.emplace_back([this] {
                volatile unsigned x = 0;
                while (!stop.load(std::memory_order_relaxed))
                    x = x * 1664525u + 1013904223u;
            });
        if (threads <= 0)
            return;
        stall.setInterval(1000);
        QObject::connect(&stall, &QTimer::timeout, [] {
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
            while (std::chrono::steady_clock::now() < until) {
            }
        });
        stall.start();
    }
    ~Load() {
        stop = true;
        for (std::thread& t : busy)
            t.join();
    }
};

int countOver(const std::vector<double>& v, double limit) {
    return int(std::count_if(v.begin(), v.end(), [limit](double x) { return x > limit; }));
}

// Each copy the port took, in order, stamped by the fire thread at the write (microseconds).
struct WriteStamps {
    std::vector<qint64> us;
    explicit WriteStamps(vz::FireEngine& engine) {
        QObject::connect(&engine, &vz::FireEngine::copyWritten,
                         [this](const QByteArray&, const QString&, bool written, qint64 atNs) {
                             if (written)
                                 us.push_back(atNs / 1000);
                         });
    }
    bool waitFor(size_t n) {
        QElapsedTimer c;
        c.start();
        while (us.size() < n && c.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return us.size() >= n;
    }
};

int countOutsideGap(const std::vector<double>& gaps) {
    return int(
        std::count_if(gaps.begin(), gaps.end(), [](double g) { return g < 19.0 || g > 21.0; }));
}

void report(const char* what, std::vector<double> v, const char* unit) {
    std::sort(v.begin(), v.end());
    const double median = v[v.size() / 2];
    const double p99 = v[std::min(v.size() - 1, v.size() * 99 / 100)];
    std::printf("%-34s n=%zu  median %.3f %s  p99 %.3f %s  worst %.3f %s  best %.3f %s\n", what,
                v.size(), median, unit, p99, unit, v.back(), unit, v.front(), unit);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int clicks = 200;
    int load = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--load") == 0 && i + 1 < argc)
            load = std::max(0, atoi(argv[++i]));
        else
            clicks = std::max(1, atoi(argv[i]));
    }

    QTemporaryDir dir;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    const QString slave = QString::fromLocal8Bit(::ptsname(master));
    {
        const int s = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        termios t{};
        ::tcgetattr(s, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(s, TCSANOW, &t);
        ::close(s);
    }
    QDir().mkpath(dir.filePath("ports"));
    QFile::link(slave, dir.filePath("ports/COM7"));
    FarEnd far(master);

    QWidget window;
    window.resize(761, 467);
    vz::ProgramDocument doc;
    HotkeyTable hotkeys;
    TApdComPort port(dir.path());
    vz::ComFirePort firePort(port);
    BenchPrompts prompts(Prompts::Answer::Yes);
    vz::FireConsole console(doc, hotkeys, firePort, prompts, &window);
    console.firePage()->setParent(&window);
    console.firePage()->setGeometry(0, 0, 761, 467);
    QAction masterAction(&window);
    console.setRouteActions(&masterAction, nullptr);
    console.setSavedPort(7);
    console.setSettingsPath(dir.filePath("settings.ini"));
    vz::FireLog fireLog(dir.filePath("logs"));
    const bool logging = !qEnvironmentVariableIsSet("VZ_BENCH_NO_LOG");
    if (logging)
        console.setFireLog(&fireLog);
    window.show();
    console.menu_fire_mastermodulClick();
    if (!console.controller().isArmed()) {
        std::fprintf(stderr, "fire mode did not come on\n");
        return 1;
    }

    Load loader(load);
    std::printf("load: %d busy threads%s\n", load,
                load > 0 ? ", window thread held 200 ms every second" : "");

    // 1. click -> first byte, gap between the copies. click() runs the window's handler at
    // once, so t0 is the moment the window handles the click.
    QPushButton* b = console.firePage()->fireButton(1, 1);
    WriteStamps stamps(console.engine());
    std::vector<double> first, gap, writtenFirst, writtenGap;
    for (int i = 0; i < clicks; ++i) {
        far.clear();
        stamps.us.clear();
        const qint64 t0 = nowUs();
        b->click();
        if (!far.waitFor(16, 1000) || !stamps.waitFor(2)) {
            std::fprintf(stderr, "click %d: frame incomplete\n", i);
            return 1;
        }
        first.push_back((far.timeOf(0) - t0) / 1000.0);
        gap.push_back((far.timeOf(8) - far.timeOf(0)) / 1000.0);
        writtenFirst.push_back((stamps.us[0] - t0) / 1000.0);
        writtenGap.push_back((stamps.us[1] - stamps.us[0]) / 1000.0);
        QTest::qWait(5);
    }
    report("click -> first byte", first, "ms");
    report("gap between the two copies", gap, "ms");
    std::printf("clicks with the first byte later than 3 ms: %d of %zu\n", countOver(first, 3.0),
                first.size());
    std::printf("gaps outside 20 +- 1 ms: %d of %zu\n", countOutsideGap(gap), gap.size());

    // 2. macro of 20 calls with pauses between them.
    for (int i = 0; i < 20; ++i) {
        doc.appendMacroStep(0, vz::MacroCall, 21 + (i % 9));
        if (i < 19)
            doc.appendMacroStep(0, vz::MacroPause, 5 + 3 * (i % 7));
    }
    doc.setMacroActive(0, true);
    const QVector<int> plan = vz::MacroRunner::plannedCallTimes(doc.program().macros[0]);
    console.tab_fire_modeShow();
    QPushButton* m = console.firePage()->fireButton(9, 1);
    std::vector<double> errors;
    std::vector<double> stepErrors, writtenStepErrors;
    for (int run = 0; run < 3; ++run) {
        far.clear();
        QTest::qWait(50);
        stamps.us.clear();
        const qint64 t0 = nowUs();
        m->click();
        if (!far.waitFor(size_t(plan.size()) * 18, 10000) ||
            !stamps.waitFor(size_t(plan.size()) * 2)) {
            std::fprintf(stderr, "macro incomplete\n");
            return 1;
        }
        double before = 0, writtenBefore = 0;
        for (int i = 0; i < plan.size(); ++i) {
            const double measured = (far.timeOf(size_t(i) * 18) - t0) / 1000.0;
            errors.push_back(std::abs(measured - plan[i]));
            const double planned = plan[i] - (i > 0 ? plan[i - 1] : 0);
            stepErrors.push_back(std::abs((measured - before) - planned));
            before = measured;
            const double written = (stamps.us[size_t(i) * 2] - t0) / 1000.0;
            writtenStepErrors.push_back(std::abs((written - writtenBefore) - planned));
            writtenBefore = written;
        }
        while (console.runner().isRunning())
            QTest::qWait(5);
    }
    std::printf("macro: %d calls, planned end of last call %d ms\n", int(plan.size()), plan.last());
    report("macro step |gap - planned gap|", stepErrors, "ms");
    std::printf("steps off by more than 2 ms: %d, by more than 5 ms: %d, of %zu\n",
                countOver(stepErrors, 2.0), countOver(stepErrors, 5.0), stepErrors.size());
    report("macro frame drift from the plan", errors, "ms");

    std::printf("at the write, stamped by the fire thread:\n");
    report("click -> first copy written", writtenFirst, "ms");
    report("gap between the copies written", writtenGap, "ms");
    std::printf("clicks written later than 3 ms: %d, gaps outside 20 +- 1 ms: %d, of %zu\n",
                countOver(writtenFirst, 3.0), countOutsideGap(writtenGap), writtenGap.size());
    report("macro step written |gap - planned|", writtenStepErrors, "ms");
    std::printf("steps off by more than 2 ms: %d, by more than 5 ms: %d, of %zu\n",
                countOver(writtenStepErrors, 2.0), countOver(writtenStepErrors, 5.0),
                writtenStepErrors.size());
    if (logging) {
        fireLog.drain(5000);
        QFile log(fireLog.fileFor(QDate::currentDate()));
        log.open(QIODevice::ReadOnly);
        std::printf("fire log: %d lines%s\n", int(log.readAll().count('\n')),
                    fireLog.isStopped() ? qPrintable(" (off: " + fireLog.stopReason() + ")") : "");
    }
    return 0;
}
