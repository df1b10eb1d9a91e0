// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyInputCodes.h"

#include "model/KeyAssignment.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// evdev codes and the key codes they stand for, beyond the codes 1..83 that are their own
// set-1 scan codes.
constexpr std::pair<uint16_t, KeyCode> kEvdevKeys[] = {
    {69, 0x145},  // KEY_NUMLOCK
    {86, 0x056},  // KEY_102ND
    {87, 0x057},  // KEY_F11
    {88, 0x058},  // KEY_F12
    {89, 0x073},  // KEY_RO
    {92, 0x079},  // KEY_HENKAN
    {93, 0x070},  // KEY_KATAKANAHIRAGANA
    {94, 0x07B},  // KEY_MUHENKAN
    {96, 0x11C},  // KEY_KPENTER
    {97, 0x11D},  // KEY_RIGHTCTRL
    {98, 0x135},  // KEY_KPSLASH
    {99, 0x137},  // KEY_SYSRQ (Print Screen)
    {100, 0x138}, // KEY_RIGHTALT
    {102, 0x147}, // KEY_HOME
    {103, 0x148}, // KEY_UP
    {104, 0x149}, // KEY_PAGEUP
    {105, 0x14B}, // KEY_LEFT
    {106, 0x14D}, // KEY_RIGHT
    {107, 0x14F}, // KEY_END
    {108, 0x150}, // KEY_DOWN
    {109, 0x151}, // KEY_PAGEDOWN
    {110, 0x152}, // KEY_INSERT
    {111, 0x153}, // KEY_DELETE
    {113, 0x120}, // KEY_MUTE
    {114, 0x12E}, // KEY_VOLUMEDOWN
    {115, 0x130}, // KEY_VOLUMEUP
    {116, 0x15E}, // KEY_POWER
    {119, 0x045}, // KEY_PAUSE
    {121, 0x07E}, // KEY_KPCOMMA
    {122, 0x072}, // KEY_HANGEUL
    {123, 0x071}, // KEY_HANJA
    {124, 0x07D}, // KEY_YEN
    {125, 0x15B}, // KEY_LEFTMETA
    {126, 0x15C}, // KEY_RIGHTMETA
    {127, 0x15D}, // KEY_COMPOSE
    {128, 0x168}, // KEY_STOP
    {140, 0x121}, // KEY_CALC
    {142, 0x15F}, // KEY_SLEEP
    {143, 0x163}, // KEY_WAKEUP
    {155, 0x16C}, // KEY_MAIL
    {156, 0x166}, // KEY_BOOKMARKS
    {157, 0x16B}, // KEY_COMPUTER
    {158, 0x16A}, // KEY_BACK
    {159, 0x169}, // KEY_FORWARD
    {163, 0x119}, // KEY_NEXTSONG
    {164, 0x122}, // KEY_PLAYPAUSE
    {165, 0x110}, // KEY_PREVIOUSSONG
    {166, 0x124}, // KEY_STOPCD
    {172, 0x132}, // KEY_HOMEPAGE
    {173, 0x167}, // KEY_REFRESH
    {183, 0x064}, // KEY_F13
    {217, 0x165}, // KEY_SEARCH
    {226, 0x16D}, // KEY_MEDIA
};

// Two multimedia keys reach Linux under other codes from a USB keyboard, whose consumer usages
// the kernel names differently from the PS/2 keys.
constexpr std::pair<uint16_t, KeyCode> kUsbOnlyEvdevKeys[] = {
    {144, 0x16B}, // KEY_FILE: my computer
    {171, 0x16D}, // KEY_CONFIG: media player
};

// evdev codes 1..83 are the set-1 scan codes themselves, except Num Lock (listed above).
constexpr unsigned kLastPlainEvdev = 83;
constexpr unsigned kNumLockEvdev = 69;

constexpr size_t kEvdevTableSize = 256;

constexpr std::array<KeyCode, kEvdevTableSize> BuildEvdevTable() {
    std::array<KeyCode, kEvdevTableSize> table{};
    for (unsigned e = 1; e <= kLastPlainEvdev; ++e) {
        table[e] = static_cast<KeyCode>(e);
    }
    table[kNumLockEvdev] = 0;
    for (const auto& [evdev, code] : kEvdevKeys) {
        table[evdev] = code;
    }
    for (const auto& [evdev, code] : kUsbOnlyEvdevKeys) {
        table[evdev] = code;
    }
    return table;
}

constexpr std::array<KeyCode, kEvdevTableSize> kEvdevTable = BuildEvdevTable();

// The virtual key and the scan code that Windows gives Right Shift as its own: never an E0
// key, whatever the virtual key says.
constexpr unsigned kRightShiftScanCode = 0x036;
constexpr unsigned kNoVirtualKey = 0xFF;
constexpr unsigned kScanCodeBits = 0x1FF;

} // namespace

KeyCode KeyCodeFromEvdev(unsigned evdevCode) {
    return evdevCode < kEvdevTable.size() ? kEvdevTable[evdevCode] : 0;
}

unsigned EvdevFromKeyCode(KeyCode code) {
    if (code == 0) {
        return 0;
    }
    for (unsigned e = 1; e <= kLastPlainEvdev; ++e) {
        if (kEvdevTable[e] == code) {
            return e;
        }
    }
    for (const auto& [evdev, key] : kEvdevKeys) {
        if (key == code) {
            return evdev;
        }
    }
    return 0;
}

KeyCode KeyCodeFromKeyMessage(unsigned vk, unsigned scanCode) {
    const unsigned s = scanCode & kScanCodeBits;
    if (s == kRightShiftScanCode) {
        return static_cast<KeyCode>(s);
    }
    if (vk == kNoVirtualKey) {
        return static_cast<KeyCode>(s);
    }
    if ((s & 0xFF) == 0) {
        return KeyCodeFromVk(vk);
    }
    if (const KeyTableRow* row = KeyRowFromCode(static_cast<KeyCode>(s))) {
        if (row->vk == vk || row->vk2 == vk) {
            return static_cast<KeyCode>(s);
        }
    }
    if (vk < VkKeyMap.size() && (s & 0xFF) == VkKeyMap[vk]) {
        return static_cast<KeyCode>(s);
    }
    return KeyCodeFromVk(vk);
}

bool IsMediaKeyCode(KeyCode code) {
    return code != 0 && std::any_of(MediaTable.begin(), MediaTable.end(),
                                    [code](const MediaEntry& e) { return e.code == code; });
}
