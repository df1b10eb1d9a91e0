// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Hexadecimal digits as paths, stored values and the command line carry them.

#include <cstdint>
#include <string_view>

// The value of one hexadecimal digit in either letter case; -1 for any other character.
int HexDigitValue(char c);

// All of `text` read as hexadecimal digits (1 to 8 of them, either case, no sign or prefix);
// false, and `value` unchanged, for anything else.
bool ParseHexDigits(std::string_view text, uint32_t& value);
