#include "transfer/block_transfer.h"

#include "serial/com_port.h"
#include "serial/port_names.h"

namespace vz {

namespace {

constexpr int kTurnaroundMarginMs = 1000;

} // namespace

int outputSentTimeoutMs(qint64 bytes, qint32 baud) {
    const qint64 lineMs = lineTimeMs(bytes, baud);
    return static_cast<int>(lineMs + lineMs / 2 + kTurnaroundMarginMs);
}

BlockTransfer::BlockTransfer(TApdComPort& port, QObject* parent)
    : QObject(parent), m_port(port), m_trigger(port.AddOutputSentTrigger()) {
    m_timeout.setSingleShot(true);
    m_timeout.setTimerType(Qt::PreciseTimer);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("%1: %2 did not leave the port within %3 ms")
                 .arg(ports::comName(m_port.ComNumber()), m_part)
                 .arg(m_timeout.interval()));
    });
    connect(&port, &TApdComPort::TriggerOutSent, this, &BlockTransfer::partSent);
    connect(&port, &TApdComPort::PortFailed, this, [this](const QString& why) {
        if (m_running)
            fail(why);
    });
}

void BlockTransfer::start(const QByteArray& bytes, int blockSize) {
    m_report = BlockTransferReport();
    m_clock.start();
    if (blockSize < 1) {
        fail(QStringLiteral("Block size %1 is below 1").arg(blockSize));
        return;
    }
    m_bytes = bytes;
    m_blockSize = blockSize;
    m_steps = static_cast<int>(bytes.size()) / blockSize;
    m_sent = 0;
    if (bytes.isEmpty()) {
        emit finished();
        return;
    }
    m_running = true;
    writeNext();
}

void BlockTransfer::writeNext() {
    const bool tail = m_report.blocks == m_steps;
    const QByteArray part = tail ? m_bytes.mid(m_sent) : m_bytes.mid(m_sent, m_blockSize);
    const int step = tail ? m_steps + 1 : m_report.blocks + 1;
    m_part = tail ? QStringLiteral("the last %1 bytes").arg(part.size())
                  : QStringLiteral("block %1 of %2").arg(step).arg(m_steps);
    try {
        const int queuedBefore = m_port.OutSize() - m_port.OutputFree();
        m_port.ArmOutputSentTrigger(m_trigger);
        m_partStartNs = m_clock.nsecsElapsed();
        m_port.WriteString(part);
        m_sent += static_cast<int>(part.size());
        emit progress(step, m_steps, part);
        m_timeout.start(outputSentTimeoutMs(queuedBefore + part.size(), m_port.Baud()));
    } catch (const ComPortError& e) {
        fail(e.text());
    }
}

void BlockTransfer::partSent(quint16 trigger) {
    if (!m_running || trigger != m_trigger)
        return;
    m_timeout.stop();
    const qint64 us = (m_clock.nsecsElapsed() - m_partStartNs) / 1000;
    if (m_report.blocks < m_steps) {
        m_report.blockUs.append(us);
        ++m_report.blocks;
    } else {
        m_report.tailUs = us;
        m_report.tailBytes = static_cast<int>(m_bytes.size()) - m_steps * m_blockSize;
    }
    if (m_sent < m_bytes.size()) {
        writeNext();
        return;
    }
    m_running = false;
    m_report.totalUs = m_clock.nsecsElapsed() / 1000;
    emit finished();
}

void BlockTransfer::fail(const QString& why) {
    m_timeout.stop();
    m_running = false;
    m_report.totalUs = m_clock.nsecsElapsed() / 1000;
    emit failed(why);
}

} // namespace vz
