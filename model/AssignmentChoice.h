// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the user gives a key, and the record that choice becomes. The key-setting dialog's
// Apply and kestrowctl's key command both build their records here, so that the two can never
// store different records for the same choice.

#include "model/KeyAssignment.h"

#include <cstdint>
#include <optional>

enum class AssignmentKind {
    Default,  // back to what the factory table says
    Disabled, // no function
    Key,      // another key: value is its key code
    Mouse,    // a mouse button or the wheel: value is kMouseLeft .. kWheelDown
    Macro,    // value is the macro id (0 when the list is empty), repeat the play count
    // A list has macros but none is chosen: value 0, which the keyboard plays as the first
    // macro and the next Apply names by the first macro's id.
    FirstMacro,
    Media,    // value is the MediaTable index
    Function, // value is the keyboard function index
};

inline constexpr int kMinMacroRepeat = 1;
inline constexpr int kMaxMacroRepeat = 255;

struct AssignmentChoice {
    AssignmentKind kind = AssignmentKind::Default;
    uint32_t value = 0;
    int repeat = kMinMacroRepeat;
};

// The record a choice becomes for record index recordIndex (0..255 keys, 256..273 G-keys):
// a key given itself, no key or no macro is default; G-key records carry their G-key code in
// param unless they play a macro; the repeat count is kept in 1..255. The colour mark and the
// last word are zero here: storing keeps the ones the record has. Nothing for a record index
// outside 0..273, a code that is no mouse code, or a media or function index out of range.
std::optional<KeyAssignment> BuildAssignment(int recordIndex, const AssignmentChoice& choice);

// Stores a built record into the working store's record (profile 0..2, recordIndex): its
// string is released, type, param and value replaced, its colour mark and last word kept.
// False when the store has no such record. The caller holds the working store's lock.
bool StoreAssignment(int profile, int recordIndex, const KeyAssignment& built);
