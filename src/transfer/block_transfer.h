#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVector>

#include <functional>

class TApdComPort;

namespace vz {

// Time allowed for bytes to leave a port at baud: their line time and a half, plus a
// margin for the turnaround. A dead or stopped line thus ends in an error, never a hang.
int outputSentTimeoutMs(qint64 bytes, qint32 baud);

// Waits for one output-sent event of a trigger on a nested event loop (the thread keeps
// handling its events meanwhile). Create it before arming the trigger and writing, so an
// event that comes early is not missed.
class OutputSentWait : public QObject {
    Q_OBJECT
public:
    enum class Result { Sent, TimedOut, PortFailed };

    OutputSentWait(TApdComPort& port, quint16 trigger);
    Result wait(int timeoutMs);
    QString failure() const { return m_failure; }

private:
    quint16 m_trigger;
    bool m_sent = false;
    QString m_failure;
    QObject* m_loop = nullptr;
};

struct BlockTransferReport {
    int blocks = 0;          // whole blocks
    int tailBytes = 0;       // the last part, shorter than a block
    QVector<qint64> blockUs; // per whole block: from the write to its output-sent event
    qint64 tailUs = 0;       // the same for the last part
    qint64 totalUs = 0;
};

// The one block loop of a transfer. Sends bytes in blocks of blockSize (at least 1): each
// write goes out with the trigger armed and is waited for, so the next one goes out only when
// the previous one left the port. What remains after the last whole block goes out in one
// write, waited for the same way: on return every byte has left the port.
// progress(step, steps, written) runs after each write (step counts from 1; the last part
// has step steps + 1). Throws ComPortError on a refused write, a failed port or a time-out.
BlockTransferReport sendInBlocks(
    TApdComPort& port, const QByteArray& bytes, int blockSize,
    const std::function<void(int step, int steps, const QByteArray& written)>& progress = {});

} // namespace vz
