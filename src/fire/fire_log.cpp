#include "fire/fire_log.h"

#include "base/unit_service.h"
#include "fire/fire_frames.h"
#include "fire/fire_log_reader.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace vz {

namespace {

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString number(int n) {
    return n < 0 ? QString() : QString::number(n);
}

QString offsetText(int seconds) {
    const QChar sign = seconds < 0 ? QLatin1Char('-') : QLatin1Char('+');
    const int minutes = qAbs(seconds) / 60;
    return sign + QStringLiteral("%1:%2")
                      .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                      .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

FireLogLine FireLogSession::line(const QString& event, const QString& source,
                                 const QString& outcome) const {
    FireLogLine l;
    l.event = event;
    l.route = route;
    l.port = port;
    l.source = source;
    l.outcome = outcome;
    return l;
}

FireLogLine FireLogSession::frameLine(const QByteArray& frame, const QString& source,
                                      const QString& outcome, qint64 atNs) const {
    FireLogLine l = line(QStringLiteral("frame"), source, outcome);
    l.atNs = atNs;
    if (frame.size() > 5) {
        l.box = isMacroCallFrame(frame) ? quint8(frame.at(4)) : configuredBox;
        l.channel = quint8(frame.at(5));
    }
    l.frame = frame;
    return l;
}

FireLog::FireLog(const QString& folder, QObject* parent)
    : QObject(parent), m_folder(folder), m_clock([] { return QDateTime::currentDateTime(); }) {
    m_thread = std::thread([this] { run(); });
}

FireLog::~FireLog() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

QString FireLog::fileFor(const QDate& day) const {
    return QDir(m_folder).filePath(fireLogFileName(day));
}

QString FireLog::header() {
    return QStringLiteral("time,event,route,port,box,channel,source,frame,outcome");
}

QString FireLog::format(const QDateTime& time, const FireLogLine& line) {
    const QStringList fields{
        time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")) +
            offsetText(time.offsetFromUtc()),
        csvField(line.event),
        csvField(line.route),
        csvField(line.port),
        number(line.box),
        number(line.channel),
        csvField(line.source),
        QString::fromLatin1(line.frame.toHex(' ').toUpper()),
        csvField(line.outcome),
    };
    return fields.join(QLatin1Char(','));
}

void FireLog::append(FireLogLine line) {
    if (m_stopped.load())
        return;
    QDateTime now = m_clock();
    if (line.atNs > 0) {
        // A line that comes later than what it tells (a busy window) keeps the time it tells.
        const qint64 lateMs = (std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count() -
                               line.atNs) /
                              1000000;
        if (lateMs > 0)
            now = now.addMSecs(-lateMs);
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A disk that cannot keep up costs lines, never the caller's time.
        if (int(m_queue.size()) >= kMaxQueued) {
            ++m_lost;
            return;
        }
        m_queue.push_back({now, std::move(line)});
    }
    m_wake.notify_one();
}

bool FireLog::drain(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return (m_queue.empty() && !m_busy) || m_stopped.load(); });
}

FireLogStop FireLog::stopInfo() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reason;
}

QString FireLog::stopReason() const {
    const FireLogStop s = stopInfo();
    const QString path = QDir::toNativeSeparators(s.path);
    switch (s.what) {
    case FireLogStop::None:
        return QString();
    case FireLogStop::MakeFolder:
        return QStringLiteral("cannot create the folder %1").arg(path);
    case FireLogStop::Open:
    case FireLogStop::Write:
        break;
    }
    return path + QStringLiteral(": ") + s.system;
}

QString FireLog::stopText(const FireLogStop& stop) {
    static const char* const kWhat[] = {"", "firemode_log_folder", "firemode_log_open",
                                        "firemode_log_write"};
    if (stop.what == FireLogStop::None)
        return QString();
    QString cause;
    switch (stop.error) {
    case ENOSPC:
        cause = get_text(QStringLiteral("firemode_log_full"));
        break;
    case EACCES:
    case EPERM:
        cause = get_text(QStringLiteral("firemode_log_access"));
        break;
    case EROFS:
        cause = get_text(QStringLiteral("firemode_log_readonly"));
        break;
    case ENOTDIR:
    case EEXIST:
        cause = get_text(QStringLiteral("firemode_log_notdir"));
        break;
    default:
        cause = stop.system;
        break;
    }
    QString text = get_text(QLatin1String(kWhat[stop.what]))
                       .replace(QLatin1String("%1"), QDir::toNativeSeparators(stop.path));
    if (!cause.isEmpty())
        text += QStringLiteral(": ") + cause;
    return text;
}

void FireLog::run() {
    QFile file;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || !m_queue.empty(); });
        if (m_queue.empty())
            break; // quit, everything written
        Queued q = std::move(m_queue.front());
        m_queue.pop_front();
        const int lost = m_lost;
        m_lost = 0;
        m_busy = true;
        lock.unlock();

        FireLogStop error;
        bool ok = true;
        if (lost > 0) {
            FireLogLine gap;
            gap.event = QStringLiteral("lines lost");
            gap.outcome = QString::number(lost);
            ok = writeLine(file, {q.time, gap}, &error);
        }
        if (ok)
            ok = writeLine(file, q, &error);
        if (!ok) {
            file.close();
            stop(error);
        }

        lock.lock();
        m_busy = false;
        if (!ok)
            m_queue.clear();
        m_idle.notify_all();
    }
}

bool FireLog::writeLine(QFile& file, const Queued& q, FireLogStop* error) {
    // errno is read right after the call that failed; Qt's text of the error comes from it.
    auto fail = [error](FireLogStop::What what, const QString& path, const QString& system) {
        const int code = errno;
        *error = {what, path, code,
                  system.isEmpty() && code != 0 ? QString::fromLocal8Bit(strerror(code)) : system};
        return false;
    };
    const QString name = fileFor(q.time.date());
    if (!file.isOpen() || file.fileName() != name) {
        file.close();
        errno = 0;
        if (!QDir().mkpath(m_folder))
            return fail(FireLogStop::MakeFolder, m_folder, QString());
        file.setFileName(name);
        // Unbuffered: each line goes to the system in one write, nothing waits in this process.
        errno = 0;
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            return fail(FireLogStop::Open, name, file.errorString());
        if (file.size() == 0) {
            const QByteArray head = header().toUtf8() + '\n';
            errno = 0;
            if (file.write(head) != head.size())
                return fail(FireLogStop::Write, name, file.errorString());
        }
    }
    const QByteArray bytes = format(q.time, q.line).toUtf8() + '\n';
    errno = 0;
    if (file.write(bytes) != bytes.size())
        return fail(FireLogStop::Write, name, file.errorString());
#ifdef Q_OS_UNIX
    // On the disk before the next line: a power cut loses at most the line being written.
    if (::fdatasync(file.handle()) != 0 && errno != EINVAL)
        return fail(FireLogStop::Write, name, QString());
#endif
    return true;
}

void FireLog::stop(const FireLogStop& reason) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reason = reason;
    }
    m_stopped.store(true);
    const QString text = stopReason();
    QMetaObject::invokeMethod(
        this, [this, text] { emit stopped(text); }, Qt::QueuedConnection);
}

} // namespace vz
