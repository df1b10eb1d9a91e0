// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Random key records of the kinds the keyboard's key table can represent, for round trips
// through the codecs and the keyboard.

#include "model/KeyAssignment.h"

#include <array>
#include <cstdint>
#include <random>
#include <span>

// What a random record may hold.
struct RandomRecordKinds {
    std::span<const KeyCode> keys; // what a key record gives
    uint32_t macroCount = 1;       // macro records play macros 1..macroCount
    bool stopMacro = false;        // whether "stop the macro" records are drawn too
};

// One record: disabled, a key, a macro, a media or function key, optionally a macro stop, or
// (a quarter of the time or so) the default.
inline KeyAssignment RandomRecord(std::mt19937& random, const RandomRecordKinds& kinds) {
    constexpr uint32_t kMediaKeys = 18;
    constexpr uint32_t kFunctionKeys = 11;
    enum class Kind { Disabled, Key, Macro, Media, Function, StopMacro, Default };
    // Stop records come last so that leaving them out keeps the other shares.
    constexpr std::array kAll = {Kind::Disabled, Kind::Key,     Kind::Macro,   Kind::Media,
                                 Kind::Function, Kind::Default, Kind::Default, Kind::StopMacro};
    const size_t choices = kinds.stopMacro ? kAll.size() : kAll.size() - 1;
    const Kind kind = kAll[random() % choices];
    switch (kind) {
    case Kind::Disabled:
        return {AssignmentType::kDisabled};
    case Kind::Key:
        return {AssignmentType::kKey, 0, kinds.keys[random() % kinds.keys.size()]};
    case Kind::Macro:
        return {AssignmentType::kMacro, 1, static_cast<uint32_t>(1 + random() % kinds.macroCount)};
    case Kind::Media:
        return {AssignmentType::kMedia, 0, static_cast<uint32_t>(random() % kMediaKeys)};
    case Kind::Function:
        return {AssignmentType::kFunction, 0, static_cast<uint32_t>(random() % kFunctionKeys)};
    case Kind::StopMacro:
        return {AssignmentType::kStopMacro};
    case Kind::Default:
        break;
    }
    return {};
}
