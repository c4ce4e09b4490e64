#include "fire/frame_sender.h"

#include <thread>

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

void FireFrameSender::send(const QByteArray& frame, const QString& source) {
    if (m_inFlight) {
        m_queue.enqueue({frame, source});
        return;
    }
    startFrame({frame, source});
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
    if (!m_queue.isEmpty())
        startFrame(m_queue.dequeue());
}

void FireFrameSender::dropQueued() {
    m_queue.clear();
}

void FireFrameSender::abort() {
    dropQueued();
}

void FireFrameSender::finishAndDrop() {
    dropQueued();
    if (!m_inFlight)
        return;
    m_timer.stop();
    secondCopy();
}

void FireFrameSender::drop() {
    dropQueued();
    m_timer.stop();
    m_inFlight = false;
    m_current = Frame();
}

} // namespace vz
