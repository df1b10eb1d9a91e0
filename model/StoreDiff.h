// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What differs between two configurations, in the terms of the command line: each key whose
// target text differs, per profile, and each macro (matched by name) whose steps or repeat
// count differ or that only one of them has. Macro ids do not count: a key playing "Hello" in
// both plays the same macro whatever its number.

#include "model/ProfileStore.h"

#include <optional>
#include <string>
#include <vector>

struct KeyDifference {
    int profile = 0;
    int recordIndex = 0;
    std::string name; // stable name, or "record N" for records of no named key
    std::string first;
    std::string second;
};

struct MacroSide {
    int repeat = 0;
    std::string steps; // MacroStepsText
    bool operator==(const MacroSide&) const = default;
};

struct MacroDifference {
    std::string name;
    std::optional<MacroSide> first; // nothing when only the second has it
    std::optional<MacroSide> second;
};

struct StoreDifferences {
    std::vector<KeyDifference> keys;
    std::vector<MacroDifference> macros;
    bool Empty() const { return keys.empty() && macros.empty(); }
};

// Records 0..273 of the three on-board profiles, in profile and record order; macros in the
// order of the first store's list, then those only the second has. Both stores have a block.
StoreDifferences CompareStores(const ProfileStore& first, const ProfileStore& second);
