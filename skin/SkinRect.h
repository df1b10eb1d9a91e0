// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Control rectangles of the skin layout files: "x,y,w,h" in client pixels, read with
// "%d,%d,%d,%d" (only the four leading numbers count). A missing key reads as "1,1,1,1,x".

#include <filesystem>
#include <string_view>

struct SkinRect {
    int x = 1;
    int y = 1;
    int w = 1;
    int h = 1;

    // The place a missing key gives; image controls placed there are disabled.
    bool AtDefaultPlace() const { return x == 1 && y == 1; }
    bool operator==(const SkinRect&) const = default;
};

inline constexpr const char* kDefaultSkinRectText = "1,1,1,1,x";

// Parses a value as "%d,%d,%d,%d" would: each number may have leading blanks and a sign, each
// comma must follow the number before it at once, and whatever follows the fourth number is
// ignored. Scanning stops at the first thing that does not fit; the numbers read up to there
// count and the others keep the 1 of a missing key ("5,6" is (5, 6, 1, 1), "" and "x" are
// (1, 1, 1, 1)). Numbers beyond the range of int are clamped to it.
SkinRect ParseSkinRect(std::string_view value);

SkinRect ReadSkinRect(const std::filesystem::path& file, std::string_view section,
                      std::string_view key);
