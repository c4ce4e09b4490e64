#pragma once

#include "serial/port_names.h"

#include <QList>
#include <QString>

namespace vz::ports {

// Where the system is asked what a serial device is: the folder of its stable names
// (/dev/serial/by-id, links named after maker, product and serial number) and sysfs (the USB
// device above a tty). Tests and the picture tool point both at a stand-in tree.
struct SerialSystem {
    QString byIdDir;
    QString sysDir;

    // The real system under root ("" or "/": the running one).
    static SerialSystem at(const QString& root);
    // VZ_SERIAL_ROOT when set, else the running system.
    static SerialSystem fromEnvironment();
};

// What a USB adapter says of itself; empty for a port that is no USB adapter.
struct UsbDetails {
    QString maker;
    QString product;
    QString serial;
    bool isEmpty() const { return maker.isEmpty() && product.isEmpty() && serial.isEmpty(); }
};

// One COM number and what it reaches.
struct PortEntry {
    int number = 0;
    QString device;     // the character device it reaches (/dev/ttyUSB0); empty when missing
    QString link;       // <folder>/ports/COMn when the number goes through a link
    QString linkTarget; // what that link names, as written
    QString stableName; // the device's name in the by-id folder, when it has one
    UsbDetails usb;
    bool present = true;       // false: the link leads nowhere (adapter unplugged)
    bool linkOnChoice = false; // choosing it first links ports/COMn to stableName (or device)
    QString deniedGroup;       // not empty: this user may not open it; the group that may
    bool permitted() const { return deniedGroup.isEmpty(); }
};

// The COM numbers first..last and what they reach, in rising order:
// - a ports/COMn link stands for its number as it is (made by hand, by vzctl sim or by an
//   earlier choice); one leading nowhere is listed only withMissing;
// - otherwise a device of the fixed table the system reports, unless a link already reaches it;
//   a USB adapter among them is linked by its stable name when chosen, so a replug into another
//   socket keeps its number;
// - a serial device no number reaches yet (an adapter whose position number a link holds, a
//   name outside the fixed table) is offered under the first free number from its position
//   number (or 17) up to 50, then from 1, and linked when chosen.
QList<PortEntry> catalog(const QString& dataDir, const SerialSystem& system, int first, int last,
                         bool withMissing = false);

// "FTDI FT232R USB UART, serial A10K3XYZ"; serialFormat holds %1 for the serial number.
QString adapterName(const UsbDetails& usb, const QString& serialFormat);

// "COM17 — FTDI FT232R USB UART, serial A10K3XYZ (/dev/ttyUSB0)", "COM1 (/dev/ttyS0)"; a
// missing entry shows what its link names.
QString entryText(const PortEntry& entry, const QString& serialFormat);

// What a chosen entry's link is to lead to: its stable name, else its device.
QString choiceTarget(const PortEntry& entry);

// Makes the link a choice of entry needs (nothing when it needs none). An entry already in
// ports/ is never replaced: false with the reason, as for a link that cannot be made.
bool linkChoice(const QString& dataDir, const PortEntry& entry, QString* error);

// The group that may use device when this user may not open it; empty when he may.
QString deniedGroupOf(const QString& device);

// The USB details sysfs gives for a character device (empty when none).
UsbDetails usbDetailsOf(const QString& device, const QString& sysDir);

// Builds under root the by-id link and sysfs entry by which the system would name a USB adapter
// on device (a pseudo-terminal): to try the chooser without one. Returns the by-id link, empty
// when it could not be made.
QString addStandInAdapter(const QString& root, const QString& device, const UsbDetails& usb);

} // namespace vz::ports
