// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The unit of the keyboard's key table and (its last two bytes) of macro steps.

#include "model/KeyCodeTables.h"

#include <cstdint>

struct SlotAction {
    static constexpr uint8_t kNothing = 0;
    static constexpr uint8_t kMouse = 1;    // b1 1: button mask, b1 5: wheel 1 up / 0xFF down
    static constexpr uint8_t kKeyboard = 2; // b1 1: modifier mask, b1 2: HID usage
    static constexpr uint8_t kConsumer = 3; // b1 b2: consumer usage, low byte first
    static constexpr uint8_t kSystem = 4;   // b1 b2: generic-desktop usage, low byte first
    static constexpr uint8_t kSpecial = 5;  // b1 1 macro position, 2 stop macro, 5 function
    static constexpr uint8_t kGKey = 6;     // b1 0xA2, b2 = G-key number

    uint8_t b0 = 0;
    uint8_t b1 = 0;
    uint8_t b2 = 0;

    bool operator==(const SlotAction&) const = default;
};

// The mask bit of a modifier key (0x01 left Ctrl .. 0x80 right Win); 0 for other keys.
uint8_t ModifierMaskOfCode(KeyCode code);
// The modifier key of the lowest set bit of mask; 0 when mask is 0.
KeyCode ModifierCodeOfMask(uint8_t mask);

// The key an action names: mouse buttons and wheel, keys (modifiers by their lowest mask bit),
// consumer and system usages the key table knows, G-key markers 06 A2 n for n = 1..18. Any
// other action names no key and gives 0 (a marker for a G-key the keyboard does not have
// included: its record would lie outside the G-key records).
KeyCode SlotActionToKeyCode(SlotAction action);

// The action a key code stands for in a key table or a macro step: mouse entries, modifiers
// by their mask, other keys by their HID usage (02 02 00 when the key has none).
SlotAction SlotActionForKey(KeyCode code);
