#include "device/device_decoder.h"

#include "fire/fire_frames.h"

namespace vz {

namespace {

const QByteArray kRk40Head("\x00\x00\xFF\x32", 4);
const QByteArray kMacroHead("\x00\x00\x73\xC8", 4);
const QByteArray kMasterHead("__s2");

quint8 at(const QByteArray& b, int i) {
    return static_cast<quint8>(b.at(i));
}

QString hex2(int v) {
    return QString::asprintf("%02X", v & 0xFF);
}

// How many leading bytes of data agree with head (at most head's length).
int prefixMatch(const QByteArray& data, const QByteArray& head) {
    const int n = static_cast<int>(std::min(data.size(), head.size()));
    for (int i = 0; i < n; ++i)
        if (data.at(i) != head.at(i))
            return i;
    return n;
}

struct Fault {
    int offset = -1;
    QString text;
    void set(int off, const QString& t) {
        if (offset < 0) {
            offset = off;
            text = t;
        }
    }
};

void expectByte(Fault& fault, const QByteArray& b, int off, int expected, const QString& what) {
    if (off < b.size() && at(b, off) != (expected & 0xFF))
        fault.set(
            off,
            QStringLiteral("%1 is %2, expected %3").arg(what, hex2(at(b, off)), hex2(expected)));
}

} // namespace

int DeviceDecoder::frameSize(DeviceEvent::Kind kind) {
    switch (kind) {
    case DeviceEvent::Kind::MasterModule:
        return kMasterModuleFrameSize;
    case DeviceEvent::Kind::Rk40:
        return kRk40FrameSize;
    case DeviceEvent::Kind::MacroCall:
        return kMacroCallFrameSize;
    case DeviceEvent::Kind::Image:
        return kTransferImageSize;
    default:
        return 0;
    }
}

DeviceEvent DeviceDecoder::decodeImage(const QByteArray& b) {
    DeviceEvent e;
    e.kind = DeviceEvent::Kind::Image;
    e.bytes = b;
    Fault fault;
    const int size = static_cast<int>(b.size());

    expectByte(fault, b, 0, 'W', QStringLiteral("start byte"));
    for (int p = 1; p < kBoxRecord; ++p) {
        const int off = kImageWaitSection + 3 * (p - 1);
        if (off + 2 >= size)
            break;
        const int hi = at(b, off), lo = at(b, off + 1);
        if (hi > 1 || lo == 255 || (hi == 1 && lo != 0))
            fault.set(off, QStringLiteral("wait triplet of program %1 holds no wait (%2 %3)")
                               .arg(p)
                               .arg(hex2(hi), hex2(lo)));
        expectByte(fault, b, off + 2, hi + lo,
                   QStringLiteral("check byte of the wait triplet of program %1").arg(p));
        e.records[p - 1].wait = static_cast<quint8>(hi * 255 + lo);
    }
    for (int i = 0; i < 3; ++i)
        expectByte(fault, b, kImageGap + i, 0, QStringLiteral("gap byte %1").arg(i + 1));

    const int box = size > kImageWaitTrailer + 1 ? at(b, kImageWaitTrailer + 1) : 0;
    expectByte(fault, b, kImageWaitTrailer, 0, QStringLiteral("first trailer byte 1"));
    expectByte(fault, b, kImageWaitTrailer + 2, box, QStringLiteral("first trailer byte 3"));
    expectByte(fault, b, kImageMarker, '_', QStringLiteral("marker byte 1"));
    expectByte(fault, b, kImageMarker + 1, '_', QStringLiteral("marker byte 2"));
    expectByte(fault, b, kImageMarker + 2, 'X', QStringLiteral("marker byte 3"));

    for (int p = 1; p <= kBoxRecord; ++p) {
        const int off = kImageMainSection + 3 * (p - 1);
        if (off + 2 >= size)
            break;
        const int time = at(b, off), channel = at(b, off + 1);
        expectByte(fault, b, off + 2, time + channel,
                   QStringLiteral("check byte of the main triplet of program %1").arg(p));
        e.records[p - 1].time = static_cast<quint8>(time);
        e.records[p - 1].channel = static_cast<quint8>(channel);
    }
    expectByte(fault, b, kImageMainSection + 3 * (kBoxRecord - 1) + 1, kBoxRecord,
               QStringLiteral("channel of the box record"));
    expectByte(fault, b, kImageMainTrailer, 0, QStringLiteral("last trailer byte 1"));
    expectByte(fault, b, kImageMainTrailer + 1, box,
               QStringLiteral("box number of the last trailer"));
    expectByte(fault, b, kImageMainTrailer + 2, box, QStringLiteral("last trailer byte 3"));

    if (size < kTransferImageSize)
        fault.set(
            size,
            QStringLiteral("image ends after %1 of %2 bytes").arg(size).arg(kTransferImageSize));
    else if (size > kTransferImageSize)
        fault.set(kTransferImageSize,
                  QStringLiteral("image longer than %1 bytes").arg(kTransferImageSize));

    e.records[kBoxRecord - 1].wait = static_cast<quint8>(box);
    e.box = box;
    e.valid = fault.offset < 0;
    e.fault = fault.text;
    e.faultOffset = fault.offset;
    return e;
}

DeviceEvent DeviceDecoder::decodeFrame(DeviceEvent::Kind kind, const QByteArray& b) {
    DeviceEvent e;
    e.kind = kind;
    e.bytes = b;
    Fault fault;
    const int size = static_cast<int>(b.size());
    const int expectedSize = frameSize(kind);
    const int b4 = size > 4 ? at(b, 4) : 0;
    const int ch = size > 5 ? at(b, 5) : 0;

    switch (kind) {
    case DeviceEvent::Kind::MasterModule:
        for (int i = 0; i < 4; ++i)
            expectByte(fault, b, i, at(kMasterHead, i), QStringLiteral("head byte %1").arg(i + 1));
        expectByte(fault, b, 6, 0x32 + b4 + ch, QStringLiteral("check byte"));
        expectByte(fault, b, 7, 0, QStringLiteral("end byte"));
        e.box = (b4 - 100) & 0xFF;
        break;
    case DeviceEvent::Kind::Rk40:
        for (int i = 0; i < 4; ++i)
            expectByte(fault, b, i, at(kRk40Head, i), QStringLiteral("head byte %1").arg(i + 1));
        expectByte(fault, b, 6, ch + 10, QStringLiteral("channel + 10 byte"));
        expectByte(fault, b, 7, 0, QStringLiteral("end byte 1"));
        expectByte(fault, b, 8, 0, QStringLiteral("end byte 2"));
        e.box = (b4 - 100) & 0xFF;
        break;
    case DeviceEvent::Kind::MacroCall:
        for (int i = 0; i < 4; ++i)
            expectByte(fault, b, i, at(kMacroHead, i), QStringLiteral("head byte %1").arg(i + 1));
        expectByte(fault, b, 6, 0xC8 + b4 + ch, QStringLiteral("check byte"));
        expectByte(fault, b, 7, 0, QStringLiteral("end byte 1"));
        expectByte(fault, b, 8, 0, QStringLiteral("end byte 2"));
        e.box = b4;
        break;
    default:
        break;
    }
    if (size > 5 && (ch < 1 || ch > kChannels))
        fault.set(5, QStringLiteral("channel %1 outside 1..%2").arg(ch).arg(kChannels));
    if (size < expectedSize)
        fault.set(size,
                  QStringLiteral("frame ends after %1 of %2 bytes").arg(size).arg(expectedSize));
    e.channel = ch;
    e.valid = fault.offset < 0;
    e.fault = fault.text;
    e.faultOffset = fault.offset;
    return e;
}

void DeviceDecoder::feed(const QByteArray& data, qint64 nowMs) {
    if (data.isEmpty())
        return;
    m_buf.append(data);
    for (int i = 0; i < data.size(); ++i)
        m_times.append(nowMs);
    m_lastArrival = nowMs;
    process(nowMs, false);
}

void DeviceDecoder::poll(qint64 nowMs) {
    const bool quiet = nowMs - m_lastArrival >= kQuietMs;
    process(nowMs, quiet);
    if (quiet)
        flushUnknown();
}

void DeviceDecoder::finish() {
    process(m_lastArrival, true);
    flushUnknown();
}

QVector<DeviceEvent> DeviceDecoder::takeEvents() {
    QVector<DeviceEvent> out;
    out.swap(m_events);
    return out;
}

void DeviceDecoder::consume(int length) {
    m_buf.remove(0, length);
    m_times.remove(0, length);
    m_bufOffset += length;
}

void DeviceDecoder::flushUnknown() {
    if (m_unknown.bytes.isEmpty())
        return;
    m_unknown.valid = false;
    m_events.append(m_unknown);
    m_unknown = DeviceEvent();
}

void DeviceDecoder::addUnknown(int length) {
    for (int i = 0; i < length; ++i) {
        if (m_unknown.bytes.isEmpty()) {
            m_unknown.kind = DeviceEvent::Kind::Bytes;
            m_unknown.offset = m_bufOffset;
            m_unknown.timeMs = m_times.first();
        }
        m_unknown.bytes.append(m_buf.at(0));
        consume(1);
        if (m_unknown.bytes.size() >= kMaxBytesEvent)
            flushUnknown();
    }
}

void DeviceDecoder::emitEvent(DeviceEvent event, int length) {
    flushUnknown();
    event.offset = m_bufOffset;
    event.timeMs = m_times.first();
    m_events.append(event);
    consume(length);
}

void DeviceDecoder::emitIdle(int length) {
    DeviceEvent e;
    e.kind = DeviceEvent::Kind::Idle;
    e.bytes = m_buf.left(length);
    emitEvent(e, length);
}

void DeviceDecoder::process(qint64 nowMs, bool final) {
    while (!m_buf.isEmpty()) {
        const int size = static_cast<int>(m_buf.size());
        const char b0 = m_buf.at(0);

        if (b0 == '_') {
            int run = 0;
            while (run < size && m_buf.at(run) == '_')
                ++run;
            // The last two "_" of a run may open a master module frame ("__s2").
            if (run >= 2 && run < size && m_buf.at(run) == 's') {
                if (run + 1 < size && m_buf.at(run + 1) == '2') {
                    if (run > 2) {
                        emitIdle(run - 2);
                        continue;
                    }
                    if (size >= kMasterModuleFrameSize || final) {
                        const int n = std::min(size, kMasterModuleFrameSize);
                        emitEvent(decodeFrame(DeviceEvent::Kind::MasterModule, m_buf.left(n)), n);
                        continue;
                    }
                    return;
                }
                if (run + 1 >= size && !final)
                    return;
                emitIdle(run);
                continue;
            }
            if (run < size || final) {
                emitIdle(run);
                continue;
            }
            // The run reaches the end of what arrived: it may go on.
            if (run > 2 && nowMs - m_times.first() >= kIdleReportMs)
                emitIdle(run - 2);
            return;
        }

        if (b0 == 'W') {
            if (size >= kTransferImageSize || final) {
                const int n = std::min(size, kTransferImageSize);
                emitEvent(decodeImage(m_buf.left(n)), n);
                continue;
            }
            return;
        }

        if (b0 == '\0') {
            const int rk = prefixMatch(m_buf, kRk40Head);
            const int mc = prefixMatch(m_buf, kMacroHead);
            if (rk == 4 || mc == 4) {
                const DeviceEvent::Kind kind =
                    rk == 4 ? DeviceEvent::Kind::Rk40 : DeviceEvent::Kind::MacroCall;
                const int need = frameSize(kind);
                if (size >= need || final) {
                    const int n = std::min(size, need);
                    emitEvent(decodeFrame(kind, m_buf.left(n)), n);
                    continue;
                }
                return;
            }
            const int avail = std::min(size, 4);
            if ((rk == avail || mc == avail) && !final)
                return; // a frame head may still be arriving
        }
        addUnknown(1);
    }
}

} // namespace vz
