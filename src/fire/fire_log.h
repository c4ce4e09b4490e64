#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>

class QFile;

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vz {

// One line of the fire log. Empty fields stay empty in the file; box and channel below 0 too.
struct FireLogLine {
    QString event; // "frame", "fire mode on", "fire mode off", "port error", "macro start", ...
    QString route; // "mm", "rk40"
    QString port;  // "COM7"
    int box = -1;
    int channel = -1;
    QString source; // "button", "hotkey a", "macro 3 step 2", "vzctl"
    QByteArray frame;
    QString outcome; // "written", "failed", or what went wrong
    // When it happened, steady clock in nanoseconds since its epoch; 0: when it is appended.
    qint64 atNs = 0;
};

// What every line of one firing session names: its route ("mm", "rk40"), its port ("COM7")
// and the configured box its route frames carry. The lines of the log are built here.
struct FireLogSession {
    QString route;
    QString port;
    int configuredBox = -1;

    FireLogLine line(const QString& event, const QString& source = QString(),
                     const QString& outcome = QString()) const;
    // A copy of frame ("written", "failed", "dropped"), at atNs (0: when appended): the box it
    // addresses (a macro call the box program's, a route frame the configured one) and its
    // channel.
    FireLogLine frameLine(const QByteArray& frame, const QString& source, const QString& outcome,
                          qint64 atNs = 0) const;
};

// Why the fire log stopped: what could not be done to which path, and the system's error.
struct FireLogStop {
    enum What { None, MakeFolder, Open, Write };
    What what = None;
    QString path;
    int error = 0;  // errno, 0 when unknown
    QString system; // the system's text of the error
};

// The flight recorder of a show: every fire frame and fire mode event as one CSV line in
// <folder>/fire-YYYY-MM-DD.csv (local date of the line), header first in a new file.
// append() only queues the line with its time: a thread of the log writes it, one write
// and one sync per line, so neither a slow disk nor a full or read-only one ever holds up a
// frame. When a line cannot be written the log stops for the rest of the session and says
// why once (stopped()); firing goes on.
class FireLog : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    static constexpr int kMaxQueued = 4096;

    // The folder is made with the first line.
    explicit FireLog(const QString& folder, QObject* parent = nullptr);
    // Writes what is queued, then ends the thread.
    ~FireLog() override;

    void setClock(Clock clock) { m_clock = std::move(clock); }
    QString folder() const { return m_folder; }
    QString fileFor(const QDate& day) const;

    void append(FireLogLine line);

    // Waits until every queued line is written or the log has stopped. False on time-out.
    bool drain(int timeoutMs);
    bool isStopped() const { return m_stopped.load(); }
    // Why the log stopped, in English (vzctl); empty while it works.
    QString stopReason() const;
    FireLogStop stopInfo() const;
    // The same in the language of the table, for the operator.
    static QString stopText(const FireLogStop& stop);

    static QString header();
    // The CSV line (without line end) of a line at a time.
    static QString format(const QDateTime& time, const FireLogLine& line);

signals:
    // Emitted once, in the log object's thread, with stopReason().
    void stopped(const QString& reason);

private:
    struct Queued {
        QDateTime time;
        FireLogLine line;
    };
    void run();
    bool writeLine(QFile& file, const Queued& q, FireLogStop* error);
    void stop(const FireLogStop& reason);

    QString m_folder;
    Clock m_clock;
    std::atomic<bool> m_stopped{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Queued> m_queue;
    int m_lost = 0;
    bool m_busy = false;
    bool m_quit = false;
    FireLogStop m_reason;
    std::thread m_thread;
};

} // namespace vz
