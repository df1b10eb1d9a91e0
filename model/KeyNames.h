// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Stable names of keys, mouse entries and multimedia functions: the same in every language, so
// that scripts and saved command lines keep working whatever language the program shows. The
// display names (KeyNameFromCode) are for people; these are for the command line.

#include "model/KeyAssignment.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct KeyName {
    std::string_view name;
    KeyCode code;
    // A key of the keyboard picture (or a G-key): it has a record that can be given a function.
    // The others are only targets and macro steps.
    bool inKeyMap;
};

// Every stable key name: first the keys of the keyboard picture in its order, then G1..G9,
// then the keys that only other keys can be given (Power, Sleep, the Japanese and Korean keys).
std::span<const KeyName> KeyNames();

// Case-insensitive lookup; nothing for an unknown name.
std::optional<KeyName> FindKeyName(std::string_view name);
// The stable name of a key code; empty when it has none.
std::string_view StableKeyName(KeyCode code);

// The known names nearest to text (fewest letters to change, case ignored), at most count,
// nearest first. With keyMapOnly, only names of keys that have a record.
std::vector<std::string_view> NearestKeyNames(std::string_view text, size_t count, bool keyMapOnly);
std::vector<std::string_view> NearestNames(std::string_view text,
                                           std::span<const std::string_view> names, size_t count);

// The stable name of a record of one area ("A", "G1"); empty for records without one.
std::string_view StableRecordName(int recordIndex);

// Mouse entries: "left", "right", "middle", "wheel-up", "wheel-down".
inline constexpr int kMouseEntryCount = 5;
std::span<const std::string_view> MouseNames();
std::optional<KeyCode> MouseCodeFromName(std::string_view name);
std::string_view MouseName(KeyCode code); // empty for no mouse code

// Multimedia functions in MediaTable order ("PlayPause", "VolumeUp", ...).
std::span<const std::string_view> MediaNames();
std::optional<int> MediaIndexFromName(std::string_view name);

// Case-insensitive equality of ASCII names.
bool SameName(std::string_view a, std::string_view b);
