// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/SlotAction.h"

#include "model/KeyAssignment.h"

#include <array>

namespace {

// Modifier keys in mask bit order.
constexpr std::array<KeyCode, 8> kModifierCodes = {0x01D, 0x02A, 0x038, 0x15B,
                                                   0x11D, 0x036, 0x138, 0x15C};

} // namespace

uint8_t ModifierMaskOfCode(KeyCode code) {
    for (size_t bit = 0; bit < kModifierCodes.size(); ++bit) {
        if (kModifierCodes[bit] == code) {
            return static_cast<uint8_t>(1u << bit);
        }
    }
    return 0;
}

KeyCode ModifierCodeOfMask(uint8_t mask) {
    for (size_t bit = 0; bit < kModifierCodes.size(); ++bit) {
        if (mask & (1u << bit)) {
            return kModifierCodes[bit];
        }
    }
    return 0;
}

KeyCode SlotActionToKeyCode(SlotAction action) {
    const uint16_t word = static_cast<uint16_t>(action.b1 | action.b2 << 8);
    switch (action.b0) {
    case SlotAction::kMouse:
        if (action.b1 == 1) {
            switch (action.b2) {
            case 1:
                return kMouseLeft;
            case 2:
                return kMouseRight;
            case 4:
                return kMouseMiddle;
            default:
                return 0;
            }
        }
        if (action.b1 == 5) {
            return action.b2 == 1 ? kWheelUp : action.b2 == 0xFF ? kWheelDown : 0;
        }
        return 0;
    case SlotAction::kKeyboard:
        if (action.b1 == 2) {
            return KeyCodeFromAction({KeyAction::kKeyboard, action.b2});
        }
        return ModifierCodeOfMask(action.b2);
    case SlotAction::kConsumer:
        return KeyCodeFromAction({KeyAction::kConsumer, word});
    case SlotAction::kSystem:
        return KeyCodeFromAction({KeyAction::kSystem, word});
    case SlotAction::kGKey:
        if (action.b1 == 0xA2 && action.b2 >= 1 && action.b2 <= kGKeyCount) {
            return GKeyCode(action.b2);
        }
        return 0;
    default:
        return 0;
    }
}

SlotAction SlotActionForKey(KeyCode code) {
    switch (code) {
    case kMouseLeft:
        return {SlotAction::kMouse, 1, 1};
    case kMouseRight:
        return {SlotAction::kMouse, 1, 2};
    case kMouseMiddle:
        return {SlotAction::kMouse, 1, 4};
    case kWheelUp:
        return {SlotAction::kMouse, 5, 1};
    case kWheelDown:
        return {SlotAction::kMouse, 5, 0xFF};
    default:
        break;
    }
    if (const uint8_t mask = ModifierMaskOfCode(code)) {
        return {SlotAction::kKeyboard, 1, mask};
    }
    const KeyAction action = KeyActionFromCode(code);
    const uint8_t usage =
        action.kind == KeyAction::kKeyboard ? static_cast<uint8_t>(action.value) : 0;
    return {SlotAction::kKeyboard, 2, usage};
}
