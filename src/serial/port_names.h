#pragma once

#include <QSet>
#include <QString>

namespace vz {

// COM numbers and the devices behind them (what each one is: port_catalog.h).
//
// On Linux, COM n is <data folder>/ports/COMn when that entry exists (a link to any
// character device: a USB adapter by its stable name, the pseudo-terminal of the virtual
// master module);
// otherwise the fixed table: COM1-16 -> /dev/ttyS0-15, COM17-32 -> /dev/ttyUSB0-15,
// COM33-48 -> /dev/ttyACM0-15. On Windows COM n is \\.\COMn.
namespace ports {

constexpr int kFirstOffered = 1;
constexpr int kLastOffered = 50; // the port chooser offers no higher number

QString portsDir(const QString& dataDir);
QString linkPath(const QString& dataDir, int n); // <dataDir>/ports/COMn

// The device COM n stands for; empty when the number has none.
QString deviceFor(const QString& dataDir, int n);
// The fixed table alone (no ports/ folder); empty outside it.
QString fixedDevice(int n);

// Serial devices the system reports (system locations).
QSet<QString> systemPorts();

// Whether COM n can be offered: its ports/ link leads to a character device, or its fixed
// device is one the system reports as a serial port.
bool isPresent(const QString& dataDir, int n, const QSet<QString>& systemPorts);

// A character device, or a link leading to one.
bool isCharacterDevice(const QString& path);
// Whether a ports/ entry is there at all (a link leading nowhere counts).
bool entryExists(const QString& path);

// "COM7": the name under which the operator knows port n.
QString comName(int n);

} // namespace ports
} // namespace vz
