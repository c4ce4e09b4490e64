#pragma once

#include "transfer/transfer_image.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVector>

namespace vz {

// One thing the program sent, as the master module (or the RK40) sees it.
struct DeviceEvent {
    enum class Kind { Idle, Image, MasterModule, Rk40, MacroCall, Bytes };

    Kind kind = Kind::Bytes;
    qint64 offset = 0; // position of the first byte in the received stream
    qint64 timeMs = 0; // arrival of the first byte
    QByteArray bytes;  // the event's bytes (idle: the "_" run)

    bool valid = true;
    QString fault;        // first fault found, empty when valid
    int faultOffset = -1; // position of that fault inside the event

    // Fire frames: box number (route frames: the configured box, byte 4 - 100) and channel.
    int box = 0;
    int channel = 0;

    // Transfer image: the records it carries (record 70's wait is the trailers' box number).
    RecordTable records{};
};

// Splits a received byte stream into events: idle "_" runs, transfer images, the three fire
// frames, and anything else as raw bytes. Bytes that could still start a longer event are held
// until the rest arrives or the line has been quiet for kQuietMs.
class DeviceDecoder {
public:
    static constexpr qint64 kQuietMs = 1000;
    // A long idle stream is reported in parts at least this often.
    static constexpr qint64 kIdleReportMs = 1000;
    // Unknown bytes are reported in lines of at most this many.
    static constexpr int kMaxBytesEvent = 32;

    void feed(const QByteArray& data, qint64 nowMs);
    // Reports what the time alone decides (quiet line, long idle run).
    void poll(qint64 nowMs);
    // Reports everything held, complete or not.
    void finish();

    QVector<DeviceEvent> takeEvents();
    bool hasPending() const { return !m_buf.isEmpty() || !m_unknown.bytes.isEmpty(); }

    // Checks a complete or truncated transfer image and reads its records.
    static DeviceEvent decodeImage(const QByteArray& bytes);
    // Checks a fire frame of the given kind (bytes may be short).
    static DeviceEvent decodeFrame(DeviceEvent::Kind kind, const QByteArray& bytes);
    // Expected frame length of a kind.
    static int frameSize(DeviceEvent::Kind kind);

private:
    void process(qint64 nowMs, bool final);
    void emitEvent(DeviceEvent event, int length);
    void emitIdle(int length);
    void addUnknown(int length);
    void flushUnknown();
    void consume(int length);

    QByteArray m_buf;
    QVector<qint64> m_times; // arrival time of each byte in m_buf
    qint64 m_bufOffset = 0;
    qint64 m_lastArrival = 0;
    DeviceEvent m_unknown;
    QVector<DeviceEvent> m_events;
};

} // namespace vz

Q_DECLARE_METATYPE(vz::DeviceEvent)
