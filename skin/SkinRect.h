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

// Parses a value; numbers it does not hold keep the default 1 of a missing key.
SkinRect ParseSkinRect(std::string_view value);

SkinRect ReadSkinRect(const std::filesystem::path& file, std::string_view section,
                      std::string_view key);
