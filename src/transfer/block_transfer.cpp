#include "transfer/block_transfer.h"

#include "serial/com_port.h"
#include "serial/port_names.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace vz {

namespace {

constexpr int kTurnaroundMarginMs = 1000;

} // namespace

int outputSentTimeoutMs(qint64 bytes, qint32 baud) {
    const qint64 lineMs = baud > 0 ? (bytes * 10 * 1000 + baud - 1) / baud : 0;
    return static_cast<int>(lineMs + lineMs / 2 + kTurnaroundMarginMs);
}

OutputSentWait::OutputSentWait(TApdComPort& port, quint16 trigger) : m_trigger(trigger) {
    connect(&port, &TApdComPort::TriggerOutSent, this, [this](quint16 handle) {
        if (handle != m_trigger)
            return;
        m_sent = true;
        if (m_loop)
            QMetaObject::invokeMethod(m_loop, "quit", Qt::DirectConnection);
    });
    connect(&port, &TApdComPort::PortFailed, this, [this](const QString& text) {
        m_failure = text;
        if (m_loop)
            QMetaObject::invokeMethod(m_loop, "quit", Qt::DirectConnection);
    });
}

OutputSentWait::Result OutputSentWait::wait(int timeoutMs) {
    if (!m_sent && m_failure.isEmpty()) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(timeoutMs);
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
    }
    if (m_sent)
        return Result::Sent;
    return m_failure.isEmpty() ? Result::TimedOut : Result::PortFailed;
}

namespace {

// Writes one part with the trigger armed and waits until it left the port; returns the
// microseconds from the write to the output-sent event.
qint64 writeAndWait(TApdComPort& port, quint16 trigger, const QByteArray& part,
                    const std::function<void()>& written, const QString& what) {
    const int queuedBefore = port.OutSize() - port.OutputFree();
    OutputSentWait waiter(port, trigger);
    port.ArmOutputSentTrigger(trigger);
    QElapsedTimer clock;
    clock.start();
    port.WriteString(part);
    if (written)
        written();
    const int timeout = outputSentTimeoutMs(queuedBefore + part.size(), port.Baud());
    switch (waiter.wait(timeout)) {
    case OutputSentWait::Result::Sent:
        break;
    case OutputSentWait::Result::PortFailed:
        throw ComPortError(waiter.failure());
    case OutputSentWait::Result::TimedOut:
        throw ComPortError(QStringLiteral("%1: %2 did not leave the port within %3 ms")
                               .arg(ports::comName(port.ComNumber()), what)
                               .arg(timeout));
    }
    return clock.nsecsElapsed() / 1000;
}

} // namespace

BlockTransferReport
sendInBlocks(TApdComPort& port, const QByteArray& bytes, int blockSize,
             const std::function<void(int step, int steps, const QByteArray& written)>& progress) {
    if (blockSize < 1)
        throw ComPortError(QStringLiteral("Block size %1 is below 1").arg(blockSize));

    BlockTransferReport report;
    QElapsedTimer total;
    total.start();
    const quint16 trigger = port.AddOutputSentTrigger();
    const int size = static_cast<int>(bytes.size());
    const int steps = size / blockSize;
    int sent = 0;
    for (int i = 1; i <= steps; ++i) {
        const QByteArray block = bytes.mid(sent, blockSize);
        report.blockUs.append(writeAndWait(
            port, trigger, block,
            [&] {
                if (progress)
                    progress(i, steps, block);
            },
            QStringLiteral("block %1 of %2").arg(i).arg(steps)));
        sent += blockSize;
        ++report.blocks;
    }
    if (size > sent) {
        const QByteArray tail = bytes.mid(sent);
        report.tailUs = writeAndWait(
            port, trigger, tail,
            [&] {
                if (progress)
                    progress(steps + 1, steps, tail);
            },
            QStringLiteral("the last %1 bytes").arg(tail.size()));
        report.tailBytes = static_cast<int>(tail.size());
    }
    report.totalUs = total.nsecsElapsed() / 1000;
    return report;
}

} // namespace vz
