#pragma once

#include <QByteArray>

namespace vz {

constexpr int kMasterModuleFrameSize = 8;
constexpr int kRk40FrameSize = 9;
constexpr int kMacroCallFrameSize = 9;

constexpr int kMasterModuleBaud = 1200;
constexpr int kRk40Baud = 2400;
// The second copy of every fire frame follows the first after this pause.
constexpr int kFireRepeatMs = 20;

// Fire frame of the master module route: "__s2", configured box + 100, channel, check, 0.
// All values are taken modulo 256, as the device receives them.
QByteArray masterModuleFrame(int configuredBox, int channel);

// Fire frame of the RK40 route: 00 00 FF 32, configured box + 100, channel, channel + 10, 0, 0.
QByteArray rk40Frame(int configuredBox, int channel);

// Macro call frame: 00 00 73 C8, box number of the box program, channel, check, 0, 0.
QByteArray macroCallFrame(int boxNumber, int channel);
// Whether frame is a macro call frame (its box byte names the box program, not the route's).
bool isMacroCallFrame(const QByteArray& frame);

} // namespace vz
