#pragma once

#include <QByteArray>
#include <QObject>
#include <QQueue>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

// Writes every fire frame twice, the second copy 20 ms after the first, and never lets two
// frames interleave: a frame handed in while another's second copy is due waits until that
// copy has gone. The window stays responsive meanwhile: the second copy is scheduled, not
// slept for. Every byte for the port passes write(); every frame that will not go passes
// dropQueued() or drop(), and is reported once by frameDropped().
namespace vz {

class FireFrameSender : public QObject {
    Q_OBJECT
public:
    static constexpr int kCopyGapMs = 20;
    // Returns false when the port refused the bytes.
    using Writer = std::function<bool(const QByteArray&)>;

    explicit FireFrameSender(QObject* parent = nullptr);

    void setWriter(Writer writer) { m_writer = std::move(writer); }

    // Queues a frame; its first copy leaves at once when nothing is in flight. The source
    // (what fired it, for the fire log) travels with it to copyWritten. Returns the frame's
    // ticket, which frameDone names.
    quint64 send(const QByteArray& frame, const QString& source = QString());
    // Stop: frames that have not started are dropped; only the second copy of the frame on
    // the line still goes, at its time.
    void abort();
    // As abort, but that second copy is written now (a blocking wait of at most 20 ms).
    // Used before the port closes.
    void finishAndDrop();
    // Forgets everything without writing (the port is gone).
    void drop();

    bool isBusy() const { return m_inFlight; }
    int queued() const { return int(m_queue.size()); }

signals:
    // The first copy of a frame has been written.
    void frameWritten(const QByteArray& frame);
    // A write was refused; everything pending has been dropped.
    void writeFailed();
    // Each copy, once the port has taken it (written) or refused it: after the write, so
    // whatever listens never holds up a copy.
    void copyWritten(const QByteArray& frame, const QString& source, bool written);
    // A frame (or the second copy of the one on the line) that will not go: Stop, Escape,
    // fire mode off, the close request or a failure dropped it. Once per frame.
    void frameDropped(const QByteArray& frame, const QString& source);
    // Both copies of the frame with this ticket are written, the last at lastCopyNs (steady
    // clock, nanoseconds since its epoch): what follows a frame is timed from here.
    void frameDone(quint64 ticket, qint64 lastCopyNs);

private:
    using Clock = std::chrono::steady_clock;

    struct Frame {
        QByteArray bytes;
        QString source;
        quint64 ticket = 0;
    };
    void dropQueued();
    void startFrame(const Frame& frame);
    void secondCopy();
    bool write(const Frame& frame);

    Writer m_writer;
    QQueue<Frame> m_queue;
    Frame m_current;
    bool m_inFlight = false;
    quint64 m_lastTicket = 0;
    Clock::time_point m_due;
    Clock::time_point m_written;
    QTimer m_timer;
};

} // namespace vz
