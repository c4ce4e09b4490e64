#pragma once

#include <Qt>

// Keys on the fire page: which hotkey entry a key press reaches, and the latch that lets a
// held key fire only once.
namespace vz {

// The hotkey table code (48..57 digits, 97..122 letters) a key press reaches, or -1.
// Letters map to lower case whatever Caps Lock or Shift say; the keypad's digits count as
// the same digits. Everything else - function keys, keypad operators, system keys - and
// any key pressed together with Shift, Ctrl, Alt or Meta reaches nothing.
int fireKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// Set by the first key pressed on the fire page, cleared by a real release of any key.
// Auto-repeat events (which some platforms deliver as release/press pairs) neither fire nor
// clear it.
class KeyLatch {
public:
    // A key went down; true when this press may fire.
    bool press(bool autoRepeat);
    void release(bool autoRepeat);
    // Focus left the window: the release may never arrive.
    void reset() { m_set = false; }
    bool isSet() const { return m_set; }

private:
    bool m_set = false;
};

} // namespace vz
