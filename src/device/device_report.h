#pragma once

#include "device/device_decoder.h"

#include <QJsonObject>
#include <QStringList>

namespace vz {

// "5F 5F 73 32": upper-case hex, one space between bytes.
QString hexBytes(const QByteArray& bytes);

// Short name of an event kind: "idle", "image", "mm", "rk40", "macro", "bytes".
QString eventKindName(DeviceEvent::Kind kind);

// The event as the virtual master module prints it: one line, and for a valid transfer image
// the table of its 70 records below it.
QStringList formatEventText(const DeviceEvent& event);

// The 70 records as a table of 14 rows and 5 columns (program numbers run down the columns).
QStringList formatRecordTable(const RecordTable& records);

// The event as one JSON object.
QJsonObject eventToJson(const DeviceEvent& event);

} // namespace vz
