#include "fire/frame_sender.h"

#include <thread>
#include <utility>

namespace vz {

namespace {
// The timer wakes a little early and the last stretch is slept, so the gap holds to a
// fraction of a millisecond without keeping the event loop blocked for long.
constexpr auto kLead = std::chrono::milliseconds(2);
} // namespace

FireFrameSender::FireFrameSender(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FireFrameSender::secondCopy);
}

quint64 FireFrameSender::send(const QByteArray& frame, const QString& source) {
    const Frame f{frame, source, ++m_lastTicket};
    if (m_inFlight)
        m_queue.enqueue(f);
    else
        startFrame(f);
    return f.ticket;
}

bool FireFrameSender::write(const Frame& frame) {
    if (m_writer && m_writer(frame.bytes)) {
        // The gap counts from the write, not from whatever listens to it.
        m_written = Clock::now();
        emit copyWritten(frame.bytes, frame.source, true);
        return true;
    }
    emit copyWritten(frame.bytes, frame.source, false);
    drop();
    emit writeFailed();
    return false;
}

void FireFrameSender::startFrame(const Frame& frame) {
    if (!write(frame))
        return;
    m_current = frame;
    m_inFlight = true;
    m_due = m_written + std::chrono::milliseconds(kCopyGapMs);
    const auto wake =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_due - kLead - Clock::now());
    m_timer.start(std::max<int>(0, int(wake.count())));
    emit frameWritten(frame.bytes);
}

void FireFrameSender::secondCopy() {
    if (!m_inFlight)
        return;
    std::this_thread::sleep_until(m_due);
    m_inFlight = false;
    if (!write(m_current))
        return;
    const quint64 done = m_current.ticket;
    const qint64 at =
        std::chrono::duration_cast<std::chrono::nanoseconds>(m_written.time_since_epoch()).count();
    if (!m_queue.isEmpty())
        startFrame(m_queue.dequeue());
    emit frameDone(done, at);
}

void FireFrameSender::dropQueued() {
    // Taken first: whatever listens may send again.
    const QQueue<Frame> dropped = std::exchange(m_queue, {});
    for (const Frame& f : dropped)
        emit frameDropped(f.bytes, f.source);
}

void FireFrameSender::abort() {
    dropQueued();
}

void FireFrameSender::finishAndDrop() {
    // The copy on the line first: reporting the dropped ones must not hold it up.
    QQueue<Frame> waiting = std::exchange(m_queue, {});
    if (m_inFlight) {
        m_timer.stop();
        secondCopy();
    }
    m_queue = std::move(waiting);
    dropQueued();
}

void FireFrameSender::drop() {
    m_timer.stop();
    const bool secondDue = std::exchange(m_inFlight, false);
    const Frame current = std::exchange(m_current, Frame());
    if (secondDue)
        emit frameDropped(current.bytes, current.source);
    dropQueued();
}

} // namespace vz
