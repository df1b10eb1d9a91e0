// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a key does, as the command line writes it: "B", "mouse:left", "media:Mute",
// "function:3", "macro:NAME" with an optional "*REPEAT", "disabled" or "default". Keys and
// targets use the stable names of KeyNames.h.

#include "model/AssignmentChoice.h"
#include "model/ProfileStore.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

struct KeyTarget {
    AssignmentChoice choice; // for a macro the id is filled in by ResolveMacroTarget
    std::string macroText;   // everything after "macro:"
};

// False with a one-line message for text that names no target.
bool ParseKeyTarget(std::string_view text, KeyTarget& target, std::string& error);

// Finds the macro of a macro target: "NAME*3" is NAME played 3 times (1..255) unless only a
// macro called "NAME*3" exists. Sets the choice's id and repeat; repeat is the macro's own when
// none is given. Nothing to do for other targets. False with a message when there is no such
// macro or the repeat is out of range.
bool ResolveMacroTarget(KeyTarget& target, std::span<const MacroRecord> macros, std::string& error);

// The record index of a key of the keyboard picture or a G-key, by stable name. False with a
// message (nearest names suggested) for any other name.
bool ParseKeyOfRecord(std::string_view text, int& recordIndex, std::string& error);

// What record recordIndex of profile does, in the form ParseKeyTarget reads; a macro is named
// with the repeat it plays. Records that no target gives (program, text block, stop macro, a
// macro that is gone) are described in parentheses.
std::string KeyTargetText(const ProfileStore& store, int profile, int recordIndex);

// Gives record recordIndex of profile (0..2) of the working store a resolved target, as the
// key-setting dialog's Apply does: the record built by BuildAssignment, and for a macro the
// repeat count also stored in the macro, which is what the keyboard plays. False when the
// record or the macro is not there. The caller holds the working store's lock.
bool ApplyKeyTarget(int profile, int recordIndex, const KeyTarget& target);
