#include "fire/fire_engine.h"

#include "base/unit_service.h"

#include <QTimer>

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace vz {

namespace {

// The last stretch before a deadline is waited on the steady clock, not by the event loop's
// timer, which keeps only to the millisecond.
constexpr auto kLead = std::chrono::milliseconds(2);
// Above ordinary work, below the system's own real-time threads.
constexpr int kRealTimePriority = 50;
// How long the window waits for the copy on the line before a port closes.
constexpr auto kFinishWait = std::chrono::milliseconds(200);
// How long a click waits for its frame to go on a free line: a fire thread starved this long
// leaves the frame queued, to go when it runs.
constexpr auto kBeginWait = std::chrono::milliseconds(50);

qint64 steadyNs(FireTime t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// Asked once, on the fire thread: real time where the system permits it, else a lower nice
// value for this thread alone, else what the thread library offers.
FirePriority raisePriority() {
#ifdef Q_OS_UNIX
    sched_param param{};
    param.sched_priority = std::min(kRealTimePriority, sched_get_priority_max(SCHED_FIFO));
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0)
        return {FirePriority::RealTime, param.sched_priority};
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur > 0) {
        param.sched_priority = int(std::min<rlim_t>(limit.rlim_cur, rlim_t(kRealTimePriority)));
        if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0)
            return {FirePriority::RealTime, param.sched_priority};
    }
#endif
#ifdef Q_OS_LINUX
    const auto tid = id_t(::syscall(SYS_gettid));
    int nice = -20;
    if (setpriority(PRIO_PROCESS, tid, nice) == 0)
        return {FirePriority::Nice, nice};
    // RLIMIT_NICE n allows down to 20 - n.
    if (getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur > 20 && limit.rlim_cur <= 40) {
        nice = 20 - int(limit.rlim_cur);
        if (setpriority(PRIO_PROCESS, tid, nice) == 0)
            return {FirePriority::Nice, nice};
    }
    return {};
#else
    QThread::currentThread()->setPriority(QThread::TimeCriticalPriority);
    return {FirePriority::TimeCritical, 0};
#endif
}

class FunctionWriter : public FireWriter {
public:
    explicit FunctionWriter(FireEngine::Writer writer) : m_writer(std::move(writer)) {}
    bool write(const QByteArray& bytes) override { return m_writer && m_writer(bytes); }

private:
    FireEngine::Writer m_writer;
};

} // namespace

QString firePriorityText(const FirePriority& priority) {
    switch (priority.kind) {
    case FirePriority::RealTime:
        return get_text(QStringLiteral("firesetup_priority_rt"))
            .replace(QLatin1String("%1"), QString::number(priority.value));
    case FirePriority::Nice:
        return get_text(QStringLiteral("firesetup_priority_nice"))
            .replace(QLatin1String("%1"), QString::number(priority.value));
    case FirePriority::TimeCritical:
        return get_text(QStringLiteral("firesetup_priority_critical"));
    case FirePriority::Normal:
        break;
    }
    return get_text(QStringLiteral("firesetup_priority_normal"));
}

// Lives on the fire thread: does what is due, then sleeps until the next deadline or the
// next command. The line is its own.
class FireEngine::Driver : public QObject {
public:
    explicit Driver(FireEngine& engine) : m_engine(engine), m_timer(new QTimer(this)) {
        m_timer->setSingleShot(true);
        m_timer->setTimerType(Qt::PreciseTimer);
        connect(m_timer, &QTimer::timeout, this, &Driver::run);
    }

    void run() {
        std::unique_lock<std::mutex> lock(m_engine.m_mutex);
        m_engine.m_kickPosted = false;
        for (;;) {
            const std::optional<FireTime> next = m_engine.m_schedule.advance();
            m_engine.publishLocked();
            m_engine.m_settled.notify_all();
            if (!next) {
                m_timer->stop();
                return;
            }
            const auto left = *next - std::chrono::steady_clock::now();
            if (left >= kLead + std::chrono::milliseconds(1)) {
                // The event loop sleeps until shortly before (it also watches the line).
                m_timer->start(std::chrono::floor<std::chrono::milliseconds>(left - kLead));
                return;
            }
            // The rest on the steady clock; a command wakes it early.
            m_engine.m_wake.wait_until(lock, *next);
        }
    }

    void setLine(std::unique_ptr<FireWriter> line) {
        {
            std::lock_guard<std::mutex> lock(m_engine.m_mutex);
            m_engine.m_schedule.setWriter(line.get());
        }
        // The old line closes here, on its own thread, after the schedule let go of it.
        m_line = std::move(line);
    }

    void stop() {
        setLine(nullptr);
        m_timer->stop();
    }

private:
    FireEngine& m_engine;
    QTimer* m_timer;
    std::unique_ptr<FireWriter> m_line;
};

FireEngine::FireEngine(QObject* parent) : QObject(parent) {
    m_driver = new Driver(*this);
    m_driver->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("fire"));
    m_thread.start();
    onFireThread([this] { m_priority = raisePriority(); });
}

FireEngine::~FireEngine() {
    QThread* home = thread();
    onFireThread([this, home] {
        m_driver->stop();
        m_driver->moveToThread(home);
    });
    m_thread.quit();
    m_thread.wait();
    delete m_driver;
}

template <typename Cmd> auto FireEngine::command(Cmd cmd) {
    bool kick = false;
    auto result = [&] {
        std::lock_guard<std::mutex> lock(m_mutex);
        kick = !std::exchange(m_kickPosted, true);
        auto r = cmd(m_schedule);
        publishLocked();
        return r;
    }();
    m_wake.notify_all();
    if (kick)
        QMetaObject::invokeMethod(m_driver, &Driver::run, Qt::QueuedConnection);
    return result;
}

void FireEngine::publishLocked() {
    for (FireEvent& e : m_schedule.takeEvents())
        m_events.push_back(std::move(e));
    if (!m_events.empty() && !std::exchange(m_deliveryPosted, true))
        QMetaObject::invokeMethod(this, &FireEngine::deliverEvents, Qt::QueuedConnection);
}

bool FireEngine::openLine(const LineFactory& factory) {
    bool opened = false;
    onFireThread([this, &factory, &opened] {
        std::unique_ptr<FireWriter> line = factory([this](const QString& reason) {
            FireEvent e;
            e.kind = FireEvent::LineFailed;
            e.source = reason;
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back(std::move(e));
            publishLocked();
        });
        opened = line != nullptr;
        m_driver->setLine(std::move(line));
    });
    return opened;
}

void FireEngine::setWriter(Writer writer) {
    openLine([w = std::move(writer)](const FireLineFailed&) {
        return std::make_unique<FunctionWriter>(w);
    });
}

void FireEngine::closeLine() {
    onFireThread([this] { m_driver->setLine(nullptr); });
}

void FireEngine::onFireThread(const std::function<void()>& fn) {
    bool done = false;
    QMetaObject::invokeMethod(
        m_driver,
        [this, &fn, &done] {
            fn();
            std::lock_guard<std::mutex> lock(m_mutex);
            done = true;
            m_settled.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_settled.wait(lock, [&done] { return done; });
}

quint64 FireEngine::send(const QByteArray& frame, const QString& source) {
    bool lineFree = false;
    const quint64 ticket = command([&](FireSchedule& s) {
        lineFree = !s.isBusy() && s.queued() == 0;
        return s.send(frame, source);
    });
    if (lineFree) {
        // A frame that finds the line free is on it before the click is done with, as it was
        // when the window wrote it: a Stop handled next finds it begun, not queued.
        std::unique_lock<std::mutex> lock(m_mutex);
        m_settled.wait_for(lock, kBeginWait, [&] { return m_schedule.begun() >= ticket; });
    }
    deliverEvents();
    return ticket;
}

quint64 FireEngine::startMacro(int number, const Macro& macro, int box) {
    return command([&](FireSchedule& s) { return s.startMacro(number, macro, box); });
}

bool FireEngine::stopMacro() {
    const bool running = command([](FireSchedule& s) { return s.stopMacro(); });
    deliverEvents();
    return running;
}

void FireEngine::abort() {
    command([](FireSchedule& s) {
        s.abort();
        return true;
    });
    deliverEvents();
}

void FireEngine::finishAndDrop() {
    command([](FireSchedule& s) {
        s.abort();
        return true;
    });
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_settled.wait_for(lock, kFinishWait, [this] { return !m_schedule.isBusy(); }))
            m_schedule.drop(); // a line that takes nothing any more
        publishLocked();
    }
    deliverEvents();
}

void FireEngine::drop() {
    command([](FireSchedule& s) {
        s.drop();
        return true;
    });
    deliverEvents();
}

void FireEngine::deliverEvents() {
    // One at a time: a listener may give a command, which delivers the newer ones in order.
    for (;;) {
        FireEvent e;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_events.empty()) {
                m_deliveryPosted = false;
                return;
            }
            e = std::move(m_events.front());
            m_events.pop_front();
        }
        emitEvent(e);
    }
}

void FireEngine::emitEvent(const FireEvent& e) {
    const qint64 at = steadyNs(e.at);
    switch (e.kind) {
    case FireEvent::CopyWritten:
        emit copyWritten(e.frame, e.source, true, at);
        if (e.first)
            emit frameWritten(e.frame);
        return;
    case FireEvent::CopyFailed:
        emit copyWritten(e.frame, e.source, false, at);
        return;
    case FireEvent::WriteFailed:
        emit writeFailed();
        return;
    case FireEvent::Dropped:
        emit frameDropped(e.frame, e.source);
        return;
    case FireEvent::FrameDone:
        emit frameDone(e.ticket, at);
        return;
    case FireEvent::MacroStep:
        emit macroStep(e.run, e.step, e.call);
        return;
    case FireEvent::MacroDue:
        emit macroDue(e.run, at);
        return;
    case FireEvent::MacroEnd:
        emit macroEnded(e.run, e.macro);
        return;
    case FireEvent::LineFailed:
        emit lineFailed(e.source);
        return;
    }
}

} // namespace vz
