// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// From what the system reports about a key event to the program's key code: the scan code of a
// Linux input event (evdev) and the message's virtual-key code, and the keys of the boot
// keyboard reports a keyboard sends.

#include "model/KeyCodeTables.h"

#include <cstdint>
#include <span>
#include <vector>

// xcb and wayland give the X keycode as the native scan code: the evdev code plus 8.
inline constexpr unsigned kXKeycodeOffset = 8;

// The evdev code of a native scan code as xcb and wayland deliver it; 0 when there is none
// (the offscreen platform, synthetic events).
constexpr unsigned EvdevFromNativeScanCode(uint32_t nativeScanCode) {
    return nativeScanCode > kXKeycodeOffset ? nativeScanCode - kXKeycodeOffset : 0;
}

// The key code of an evdev key: its set-1 scan code, 0x100 added for the E0 keys; Print Screen
// is 0x137, Pause 0x045 and Num Lock 0x145 as the key table has them. 0 for keys the table
// does not know.
KeyCode KeyCodeFromEvdev(unsigned evdevCode);
// The evdev code of a key code's PS/2 key; 0 for none.
unsigned EvdevFromKeyCode(KeyCode code);

// The key code of a key message: vk is its virtual-key code, scanCode its scan code with 0x100
// for extended keys (bits 16..24 of the key data). The scan code decides where the key table
// agrees with vk, the virtual key decides otherwise.
KeyCode KeyCodeFromKeyMessage(unsigned vk, unsigned scanCode);

// The 18 keys of the multimedia functions, which the key-setting dialog lets through.
bool IsMediaKeyCode(KeyCode code);

// Print Screen, which some systems deliver as a release only.
inline constexpr KeyCode kPrintScreenKey = 0x137;

// The left and right Win keys and the Applications key: what a window may never see, because
// the desktop keeps them.
inline constexpr KeyCode kLeftWinKey = 0x15B;
inline constexpr KeyCode kRightWinKey = 0x15C;
inline constexpr KeyCode kApplicationsKey = 0x15D;
constexpr bool IsDesktopKey(KeyCode code) {
    return code == kLeftWinKey || code == kRightWinKey || code == kApplicationsKey;
}
