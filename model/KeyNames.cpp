// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyNames.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <tuple>

namespace {

constexpr KeyName kKeyNames[] = {
    // The keyboard picture, in the order of its buttons.
    {"A", 0x01E, true},
    {"B", 0x030, true},
    {"C", 0x02E, true},
    {"D", 0x020, true},
    {"E", 0x012, true},
    {"F", 0x021, true},
    {"G", 0x022, true},
    {"H", 0x023, true},
    {"I", 0x017, true},
    {"J", 0x024, true},
    {"K", 0x025, true},
    {"L", 0x026, true},
    {"M", 0x032, true},
    {"N", 0x031, true},
    {"O", 0x018, true},
    {"P", 0x019, true},
    {"Q", 0x010, true},
    {"R", 0x013, true},
    {"S", 0x01F, true},
    {"T", 0x014, true},
    {"U", 0x016, true},
    {"V", 0x02F, true},
    {"W", 0x011, true},
    {"X", 0x02D, true},
    {"Y", 0x015, true},
    {"Z", 0x02C, true},
    {"1", 0x002, true},
    {"2", 0x003, true},
    {"3", 0x004, true},
    {"4", 0x005, true},
    {"5", 0x006, true},
    {"6", 0x007, true},
    {"7", 0x008, true},
    {"8", 0x009, true},
    {"9", 0x00A, true},
    {"0", 0x00B, true},
    {"Enter", 0x01C, true},
    {"Esc", 0x001, true},
    {"Backspace", 0x00E, true},
    {"Tab", 0x00F, true},
    {"Space", 0x039, true},
    {"Minus", 0x00C, true},
    {"Equal", 0x00D, true},
    {"LeftBracket", 0x01A, true},
    {"RightBracket", 0x01B, true},
    {"Backslash", 0x02B, true},
    {"Semicolon", 0x027, true},
    {"Quote", 0x028, true},
    {"Grave", 0x029, true},
    {"Comma", 0x033, true},
    {"Period", 0x034, true},
    {"Slash", 0x035, true},
    {"F1", 0x03B, true},
    {"F2", 0x03C, true},
    {"F3", 0x03D, true},
    {"F4", 0x03E, true},
    {"F5", 0x03F, true},
    {"F6", 0x040, true},
    {"F7", 0x041, true},
    {"F8", 0x042, true},
    {"F9", 0x043, true},
    {"F10", 0x044, true},
    {"F11", 0x057, true},
    {"F12", 0x058, true},
    {"PrintScreen", 0x137, true},
    {"Pause", 0x045, true},
    {"Insert", 0x152, true},
    {"Delete", 0x153, true},
    {"Home", 0x147, true},
    {"End", 0x14F, true},
    {"PageUp", 0x149, true},
    {"PageDown", 0x151, true},
    {"Up", 0x148, true},
    {"Down", 0x150, true},
    {"Left", 0x14B, true},
    {"Right", 0x14D, true},
    {"ScrollLock", 0x046, true},
    {"CapsLock", 0x03A, true},
    {"App", 0x15D, true},
    {"LeftCtrl", 0x01D, true},
    {"RightCtrl", 0x11D, true},
    {"LeftShift", 0x02A, true},
    {"RightShift", 0x036, true},
    {"LeftAlt", 0x038, true},
    {"RightAlt", 0x138, true},
    {"LeftWin", 0x15B, true},
    {"RightWin", 0x15C, true},
    {"KP1", 0x04F, true},
    {"KP2", 0x050, true},
    {"KP3", 0x051, true},
    {"KP4", 0x04B, true},
    {"KP5", 0x04C, true},
    {"KP6", 0x04D, true},
    {"KP7", 0x047, true},
    {"KP8", 0x048, true},
    {"KP9", 0x049, true},
    {"KP0", 0x052, true},
    {"NumLock", 0x145, true},
    {"KPEnter", 0x11C, true},
    {"KPPeriod", 0x053, true},
    {"KPSlash", 0x135, true},
    {"KPAsterisk", 0x037, true},
    {"KPMinus", 0x04A, true},
    {"KPPlus", 0x04E, true},
    {"K45", 0x056, true},
    {"K56", 0x073, true},
    // The G-keys of the first bank, the one the keyboard picture shows.
    {"G1", GKeyCode(1), true},
    {"G2", GKeyCode(2), true},
    {"G3", GKeyCode(3), true},
    {"G4", GKeyCode(4), true},
    {"G5", GKeyCode(5), true},
    {"G6", GKeyCode(6), true},
    {"G7", GKeyCode(7), true},
    {"G8", GKeyCode(8), true},
    {"G9", GKeyCode(9), true},
    // Keys the keyboard can send that have no key of their own on it.
    {"Break", 0x146, false},
    {"Power", 0x15E, false},
    {"Sleep", 0x15F, false},
    {"Wake", 0x163, false},
    {"Roma", 0x070, false},
    {"KL", 0x071, false},
    {"KR", 0x072, false},
    {"Chg", 0x079, false},
    {"NChg", 0x07B, false},
    {"K14", 0x07D, false},
    {"K107", 0x07E, false},
};

constexpr std::array<std::string_view, kMouseEntryCount> kMouseNames = {"left", "right", "middle",
                                                                        "wheel-up", "wheel-down"};
constexpr std::array<KeyCode, kMouseEntryCount> kMouseCodes = {kMouseLeft, kMouseRight,
                                                               kMouseMiddle, kWheelUp, kWheelDown};

// In MediaTable order.
constexpr std::array<std::string_view, kMediaCount> kMediaNames = {
    "MediaPlayer", "PlayPause",   "Stop",      "PrevTrack",  "NextTrack",  "VolumeDown",
    "VolumeUp",    "Mute",        "WWWHome",   "WWWRefresh", "WWWStop",    "WWWBack",
    "WWWForward",  "WWWFavorite", "WWWSearch", "MyComputer", "Calculator", "Mail"};

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Letters to insert, delete or change to turn text into name, case ignored. With anyPart, only
// into the part of name that needs the fewest: "shift" is 0 from "LeftShift".
size_t EditDistance(std::string_view text, std::string_view name, bool anyPart) {
    std::vector<size_t> row(name.size() + 1);
    for (size_t j = 0; j < row.size(); ++j) {
        row[j] = anyPart ? 0 : j;
    }
    for (size_t i = 1; i <= text.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= name.size(); ++j) {
            const size_t above = row[j];
            const size_t change = diagonal + (Lower(text[i - 1]) == Lower(name[j - 1]) ? 0 : 1);
            row[j] = std::min({change, above + 1, row[j - 1] + 1});
            diagonal = above;
        }
    }
    return anyPart ? *std::min_element(row.begin(), row.end()) : row[name.size()];
}

} // namespace

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

std::span<const KeyName> KeyNames() {
    return kKeyNames;
}

std::optional<KeyName> FindKeyName(std::string_view name) {
    for (const KeyName& entry : kKeyNames) {
        if (SameName(entry.name, name)) {
            return entry;
        }
    }
    return std::nullopt;
}

std::string_view StableKeyName(KeyCode code) {
    for (const KeyName& entry : kKeyNames) {
        if (entry.code == code) {
            return entry.name;
        }
    }
    return {};
}

std::vector<std::string_view> NearestNames(std::string_view text,
                                           std::span<const std::string_view> names, size_t count) {
    struct Ranked {
        size_t partDistance; // to the nearest part of the name
        size_t distance;     // to the whole name
        size_t position;
    };
    std::vector<Ranked> ranked;
    for (size_t i = 0; i < names.size(); ++i) {
        ranked.push_back(
            {EditDistance(text, names[i], true), EditDistance(text, names[i], false), i});
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        return std::tie(a.partDistance, a.distance) < std::tie(b.partDistance, b.distance);
    });
    std::vector<std::string_view> nearest;
    for (size_t i = 0; i < ranked.size() && i < count; ++i) {
        nearest.push_back(names[ranked[i].position]);
    }
    return nearest;
}

std::vector<std::string_view> NearestKeyNames(std::string_view text, size_t count,
                                              bool keyMapOnly) {
    std::vector<std::string_view> names;
    for (const KeyName& entry : kKeyNames) {
        if (entry.inKeyMap || !keyMapOnly) {
            names.push_back(entry.name);
        }
    }
    return NearestNames(text, names, count);
}

std::string_view StableRecordName(int recordIndex) {
    if (recordIndex >= kFirstGKeyRecord) {
        return recordIndex < kFirstGKeyRecord + kGKeyCount
                   ? StableKeyName(GKeyCode(recordIndex - kFirstGKeyRecord + 1))
                   : std::string_view();
    }
    return StableKeyName(IndexToKeyCode(recordIndex));
}

std::span<const std::string_view> MouseNames() {
    return kMouseNames;
}

std::optional<KeyCode> MouseCodeFromName(std::string_view name) {
    for (size_t i = 0; i < kMouseNames.size(); ++i) {
        if (SameName(kMouseNames[i], name)) {
            return kMouseCodes[i];
        }
    }
    return std::nullopt;
}

std::string_view MouseName(KeyCode code) {
    for (size_t i = 0; i < kMouseCodes.size(); ++i) {
        if (kMouseCodes[i] == code) {
            return kMouseNames[i];
        }
    }
    return {};
}

std::span<const std::string_view> MediaNames() {
    return kMediaNames;
}

std::optional<int> MediaIndexFromName(std::string_view name) {
    for (size_t i = 0; i < kMediaNames.size(); ++i) {
        if (SameName(kMediaNames[i], name)) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}
