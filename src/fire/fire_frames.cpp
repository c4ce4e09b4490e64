#include "fire/fire_frames.h"

namespace vz {

namespace {

// The marks that make a frame a macro call.
constexpr quint8 kMacroMark[] = {0x73, 0xC8};

char low8(int v) {
    return static_cast<char>(v & 0xFF);
}

} // namespace

QByteArray masterModuleFrame(int configuredBox, int channel) {
    QByteArray f("__s2");
    f.append(low8(configuredBox + 100));
    f.append(low8(channel));
    f.append(low8(configuredBox + 150 + channel));
    f.append('\0');
    return f;
}

QByteArray rk40Frame(int configuredBox, int channel) {
    QByteArray f;
    f.append('\0').append('\0').append(low8(0xFF)).append(low8(0x32));
    f.append(low8(configuredBox + 100));
    f.append(low8(channel));
    f.append(low8(channel + 10));
    f.append('\0').append('\0');
    return f;
}

QByteArray macroCallFrame(int boxNumber, int channel) {
    QByteArray f;
    f.append('\0').append('\0').append(char(kMacroMark[0])).append(char(kMacroMark[1]));
    f.append(low8(boxNumber));
    f.append(low8(channel));
    f.append(low8(boxNumber + channel + 200));
    f.append('\0').append('\0');
    return f;
}

bool isMacroCallFrame(const QByteArray& frame) {
    return frame.size() == kMacroCallFrameSize && quint8(frame.at(2)) == kMacroMark[0] &&
           quint8(frame.at(3)) == kMacroMark[1];
}

} // namespace vz
