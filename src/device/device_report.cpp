#include "device/device_report.h"

#include <QJsonArray>

namespace vz {

namespace {

constexpr int kTableRows = 14;
constexpr int kTableColumns = 5;

QString kindLabel(DeviceEvent::Kind kind) {
    return eventKindName(kind).leftJustified(6);
}

QString faultText(const DeviceEvent& e) {
    return QStringLiteral("FAULT at +%1: %2").arg(e.faultOffset).arg(e.fault);
}

} // namespace

QString hexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString eventKindName(DeviceEvent::Kind kind) {
    switch (kind) {
    case DeviceEvent::Kind::Idle:
        return QStringLiteral("idle");
    case DeviceEvent::Kind::Image:
        return QStringLiteral("image");
    case DeviceEvent::Kind::MasterModule:
        return QStringLiteral("mm");
    case DeviceEvent::Kind::Rk40:
        return QStringLiteral("rk40");
    case DeviceEvent::Kind::MacroCall:
        return QStringLiteral("macro");
    case DeviceEvent::Kind::Bytes:
        break;
    }
    return QStringLiteral("bytes");
}

QStringList formatRecordTable(const RecordTable& records) {
    QStringList lines;
    QString head;
    for (int c = 0; c < kTableColumns; ++c)
        head += QStringLiteral("  prg  ch   t   w");
    lines << head;
    for (int r = 0; r < kTableRows; ++r) {
        QString line;
        for (int c = 0; c < kTableColumns; ++c) {
            const int p = c * kTableRows + r + 1;
            const TransferRecord& rec = records[p - 1];
            line += QString::asprintf("  %3d %3d %3d %3d", p, rec.channel, rec.time, rec.wait);
        }
        lines << line;
    }
    return lines;
}

QStringList formatEventText(const DeviceEvent& e) {
    const QString prefix = QStringLiteral("%1 @%2 %3 ")
                               .arg(QString::asprintf("%9.3f", e.timeMs / 1000.0))
                               .arg(e.offset, -6)
                               .arg(kindLabel(e.kind));
    QStringList lines;
    switch (e.kind) {
    case DeviceEvent::Kind::Idle:
        lines << prefix + QStringLiteral("%1 x \"_\"").arg(e.bytes.size());
        break;
    case DeviceEvent::Kind::Image:
        if (e.valid) {
            lines << prefix + QStringLiteral("%1 bytes, valid, box %2, box record time %3")
                                  .arg(e.bytes.size())
                                  .arg(e.box)
                                  .arg(e.records[kBoxRecord - 1].time);
            lines << formatRecordTable(e.records);
        } else {
            lines << prefix + QStringLiteral("%1 bytes, %2").arg(e.bytes.size()).arg(faultText(e));
        }
        break;
    case DeviceEvent::Kind::MasterModule:
    case DeviceEvent::Kind::Rk40:
    case DeviceEvent::Kind::MacroCall:
        lines << prefix +
                     (e.valid ? QStringLiteral("box %1, channel %2").arg(e.box).arg(e.channel)
                              : faultText(e)) +
                     QStringLiteral("  [%1]").arg(hexBytes(e.bytes));
        break;
    case DeviceEvent::Kind::Bytes:
        lines << prefix + hexBytes(e.bytes);
        break;
    }
    return lines;
}

QJsonObject eventToJson(const DeviceEvent& e) {
    QJsonObject o;
    o.insert(QStringLiteral("event"), eventKindName(e.kind));
    o.insert(QStringLiteral("offset"), e.offset);
    o.insert(QStringLiteral("time_ms"), e.timeMs);
    switch (e.kind) {
    case DeviceEvent::Kind::Idle:
        o.insert(QStringLiteral("count"), static_cast<int>(e.bytes.size()));
        return o;
    case DeviceEvent::Kind::Bytes:
        o.insert(QStringLiteral("hex"), hexBytes(e.bytes));
        return o;
    case DeviceEvent::Kind::Image:
        o.insert(QStringLiteral("length"), static_cast<int>(e.bytes.size()));
        break;
    default:
        o.insert(QStringLiteral("hex"), hexBytes(e.bytes));
        break;
    }
    o.insert(QStringLiteral("valid"), e.valid);
    if (!e.valid) {
        o.insert(QStringLiteral("fault"), e.fault);
        o.insert(QStringLiteral("fault_offset"), e.faultOffset);
        return o;
    }
    o.insert(QStringLiteral("box"), e.box);
    if (e.kind != DeviceEvent::Kind::Image) {
        o.insert(QStringLiteral("channel"), e.channel);
        return o;
    }
    QJsonArray records;
    for (int p = 1; p <= kTransferRecords; ++p) {
        const TransferRecord& r = e.records[p - 1];
        records.append(QJsonObject{{QStringLiteral("program"), p},
                                   {QStringLiteral("channel"), r.channel},
                                   {QStringLiteral("time"), r.time},
                                   {QStringLiteral("wait"), r.wait}});
    }
    o.insert(QStringLiteral("records"), records);
    return o;
}

} // namespace vz
