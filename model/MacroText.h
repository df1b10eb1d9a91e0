// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Macros as short text: the steps as "+LeftShift 20 +A 50 -A 0 -LeftShift 0" (press or
// release, the key's stable name, the delay after the step in ms), and the steps that type a
// text on a US keyboard layout.

#include "model/MacroRecord.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr uint32_t kMacroDelayStepMs = 10;
// What the recorder gives every step when it does not measure delays.
inline constexpr uint32_t kTypedStepDelayMs = 50;

// A key of a step or a target as text: its stable name, "mouse:NAME" for mouse entries, else
// "0x" and three hexadecimal digits.
std::string KeyCodeText(KeyCode code);
// Reads what KeyCodeText writes (names case-insensitive). G-keys are no keys to press or give.
// False with a one-line message (nearest names suggested) for anything else.
bool ParseKeyCodeText(std::string_view text, KeyCode& code, std::string& error);

// A delay typed by hand: a multiple of 10 ms, at most 40000 ms. False with a message otherwise.
bool CheckHandDelay(uint32_t delay, std::string& error);

std::span<const MacroAction> MacroSteps(const MacroRecord& macro);
std::string MacroStepsText(std::span<const MacroAction> steps);
// Reads MacroStepsText's form, tokens separated by blanks; a step without a delay waits 0 ms.
// At most 4000 steps. False, with steps untouched and a message naming the word, otherwise.
bool ParseMacroSteps(std::string_view text, std::vector<MacroAction>& steps, std::string& error);

// The steps that type utf8 on a US layout: each character pressed and released, with left
// Shift around it where the layout needs Shift; delay after every step but the last. Printable
// ASCII, tab and newline only: anything else is refused with its position (1-based, counted in
// characters). False with a message for that, for an empty text or more than 4000 steps.
bool TypeTextSteps(std::string_view utf8, uint32_t delay, std::vector<MacroAction>& steps,
                   std::string& error);

// The macro named utf8: the one of exactly that name, else the only one whose name differs
// in the case of ASCII letters; nullptr when there is none or more than one such.
const MacroRecord* FindMacroByName(std::span<const MacroRecord> macros, std::string_view utf8);
MacroRecord* FindMacroByName(std::span<MacroRecord> macros, std::string_view utf8);
