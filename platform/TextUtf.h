// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Text below the Qt layers is UTF-8 in std::string. The system counts text limits in UTF-16
// units (a 260-unit buffer holds 259 units and a terminator); these helpers keep those limits.

#include <cstddef>
#include <string>
#include <string_view>

// Invalid UTF-8 sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or stray bytes).
bool IsValidUtf8(std::string_view bytes);

// Number of UTF-16 units the text takes.
size_t Utf16Length(std::string_view utf8);

// The longest prefix that fits in maxUnits UTF-16 units; never splits a character.
std::string TruncateToUtf16Units(std::string_view utf8, size_t maxUnits);
