#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

namespace vz {

class TApdComPort;

// Time allowed for bytes to leave a port at baud: their line time and a half, plus a
// margin for the turnaround. A dead or stopped line thus ends in an error, never a hang.
int outputSentTimeoutMs(qint64 bytes, qint32 baud);

struct BlockTransferReport {
    int blocks = 0;          // whole blocks
    int tailBytes = 0;       // the last part, shorter than a block
    QVector<qint64> blockUs; // per whole block: from the write to its output-sent event
    qint64 tailUs = 0;       // the same for the last part
    qint64 totalUs = 0;
};

// The one block loop of a transfer, stepped by the port's output-sent event. Sends bytes in
// blocks of blockSize: each write goes out with the trigger armed, and the next one only when
// the port says the previous one left. What remains after the last whole block goes out in
// one write, waited for the same way: at finished every byte has left the port.
//
// Each part has its own time-out (outputSentTimeoutMs of what is queued); a refused write, a
// failed port or a time-out ends the transfer with failed and its reason.
class BlockTransfer : public QObject {
    Q_OBJECT
public:
    explicit BlockTransfer(TApdComPort& port, QObject* parent = nullptr);

    // Writes the first part and returns; the rest follows on the port's events. A block size
    // below 1, an empty image or a refused first write end it before start returns.
    void start(const QByteArray& bytes, int blockSize);
    bool isRunning() const { return m_running; }
    // Of the latest transfer, as far as it went.
    const BlockTransferReport& report() const { return m_report; }

signals:
    // After each write. step counts from 1; the last part has step steps + 1.
    void progress(int step, int steps, const QByteArray& written);
    void finished();
    void failed(const QString& why);

private:
    void writeNext();
    void partSent(quint16 trigger);
    void fail(const QString& why);

    TApdComPort& m_port;
    quint16 m_trigger;
    QTimer m_timeout;
    QByteArray m_bytes;
    int m_blockSize = 1;
    int m_steps = 0;
    int m_sent = 0; // bytes written so far
    QString m_part; // the part on its way, for the time-out message
    qint64 m_partStartNs = 0;
    bool m_running = false;
    BlockTransferReport m_report;
    QElapsedTimer m_clock; // from start
};

} // namespace vz
