// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The keyboards the program supports: their USB ids and the size of their key tables.

#include <array>
#include <cstdint>

struct KeyboardModel {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t keySlotCount = 0;   // keys the key table has room for
    uint16_t keyTableLength = 0; // bytes of one profile's key table, three per key

    bool operator==(const KeyboardModel&) const = default;
};

inline constexpr KeyboardModel kKeyboardModel5004{0x0C45, 0x5004, 126, 378};
inline constexpr KeyboardModel kKeyboardModel5000{0x320F, 0x5000, 128, 512};
inline constexpr std::array<KeyboardModel, 2> kSupportedKeyboardModels{kKeyboardModel5004,
                                                                       kKeyboardModel5000};

// The supported model with these ids; nullptr for any other pair.
constexpr const KeyboardModel* FindKeyboardModel(uint16_t vendorId, uint16_t productId) {
    for (const KeyboardModel& model : kSupportedKeyboardModels) {
        if (model.vendorId == vendorId && model.productId == productId) {
            return &model;
        }
    }
    return nullptr;
}
