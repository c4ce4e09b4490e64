#include "fire/fire_keys.h"

namespace vz {

int fireKeyCode(int qtKey, Qt::KeyboardModifiers modifiers) {
    // A modifier held means the operator is doing something else; never fire then.
    constexpr Qt::KeyboardModifiers blocking =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (modifiers & blocking)
        return -1;
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return qtKey; // main row and keypad alike
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        if (modifiers & Qt::KeypadModifier)
            return -1;
        return qtKey + 32;
    }
    return -1;
}

bool KeyLatch::press(bool autoRepeat) {
    if (autoRepeat || m_set)
        return false;
    m_set = true;
    return true;
}

void KeyLatch::release(bool autoRepeat) {
    if (!autoRepeat)
        m_set = false;
}

} // namespace vz
