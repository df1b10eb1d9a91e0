// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MacroText.h"

#include "model/KeyNames.h"

#include <charconv>
#include <cstdio>
#include <optional>

namespace {

constexpr char kPressSign = '+';
constexpr char kReleaseSign = '-';
constexpr std::string_view kMousePrefix = "mouse:";
constexpr std::string_view kHexPrefix = "0x";
constexpr size_t kNearestCount = 3;

std::string Suggestions(const std::vector<std::string_view>& names) {
    std::string text;
    for (std::string_view name : names) {
        text += (text.empty() ? "" : ", ") + std::string(name);
    }
    return text;
}

std::string JoinNames(std::span<const std::string_view> names) {
    return Suggestions(std::vector<std::string_view>(names.begin(), names.end()));
}

bool StartsWithName(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

// Decimal digits only, below 2^32.
std::optional<uint32_t> ParseDecimal(std::string_view text) {
    uint32_t value = 0;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool ParseHexCode(std::string_view digits, KeyCode& code) {
    unsigned value = 0;
    if (digits.empty() || digits.size() > 3) {
        return false;
    }
    const auto [end, status] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (status != std::errc() || end != digits.data() + digits.size() ||
        KeyRowFromCode(static_cast<KeyCode>(value)) == nullptr) {
        return false;
    }
    code = static_cast<KeyCode>(value);
    return true;
}

// One key of the US layout: the character it types without Shift and with it.
struct UsKey {
    char plain;
    char shifted;
    std::string_view name;
};
constexpr UsKey kUsSymbolKeys[] = {
    {'1', '!', "1"},           {'2', '@', "2"},
    {'3', '#', "3"},           {'4', '$', "4"},
    {'5', '%', "5"},           {'6', '^', "6"},
    {'7', '&', "7"},           {'8', '*', "8"},
    {'9', '(', "9"},           {'0', ')', "0"},
    {'-', '_', "Minus"},       {'=', '+', "Equal"},
    {'[', '{', "LeftBracket"}, {']', '}', "RightBracket"},
    {'\\', '|', "Backslash"},  {';', ':', "Semicolon"},
    {'\'', '"', "Quote"},      {'`', '~', "Grave"},
    {',', '<', "Comma"},       {'.', '>', "Period"},
    {'/', '?', "Slash"},
};

struct TypedKey {
    KeyCode code = 0;
    bool shift = false;
};

std::optional<TypedKey> UsLayoutKey(char32_t c) {
    const auto named = [](std::string_view name, bool shift) -> std::optional<TypedKey> {
        return TypedKey{FindKeyName(name)->code, shift};
    };
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
        const char letter = static_cast<char>(c); // names are matched without regard to case
        return named(std::string_view(&letter, 1), c <= 'Z');
    }
    switch (c) {
    case ' ':
        return named("Space", false);
    case '\t':
        return named("Tab", false);
    case '\n':
        return named("Enter", false);
    default:
        break;
    }
    for (const UsKey& key : kUsSymbolKeys) {
        if (c == static_cast<unsigned char>(key.plain) ||
            c == static_cast<unsigned char>(key.shifted)) {
            return named(key.name, c == static_cast<unsigned char>(key.shifted));
        }
    }
    return std::nullopt;
}

// The next character of utf8 from at, advancing at; U+FFFD for a malformed sequence.
char32_t NextCharacter(std::string_view utf8, size_t& at) {
    const auto lead = static_cast<unsigned char>(utf8[at++]);
    int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (lead >= 0x80 && lead < 0xC0) {
        return 0xFFFD;
    }
    char32_t c = more == 0 ? lead : lead & (0x3F >> more);
    for (; more > 0; --more) {
        if (at >= utf8.size() || (static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80) {
            return 0xFFFD;
        }
        c = (c << 6) | (static_cast<unsigned char>(utf8[at++]) & 0x3F);
    }
    return c;
}

std::string CharacterText(std::string_view utf8, size_t from, size_t to) {
    return std::string(utf8.substr(from, to - from));
}

template <typename Macro> Macro* FindByName(std::span<Macro> macros, std::string_view utf8) {
    Macro* caseless = nullptr;
    int caselessCount = 0;
    for (Macro& macro : macros) {
        const std::string name = MacroNameUtf8(macro);
        if (name == utf8) {
            return &macro;
        }
        if (SameName(name, utf8)) {
            caseless = &macro;
            ++caselessCount;
        }
    }
    return caselessCount == 1 ? caseless : nullptr;
}

} // namespace

std::string KeyCodeText(KeyCode code) {
    if (const std::string_view name = StableKeyName(code); !name.empty() && !IsGKeyCode(code)) {
        return std::string(name);
    }
    if (const std::string_view mouse = MouseName(code); !mouse.empty()) {
        return std::string(kMousePrefix) + std::string(mouse);
    }
    char text[8];
    std::snprintf(text, sizeof text, "0x%03X", static_cast<unsigned>(code));
    return text;
}

bool ParseKeyCodeText(std::string_view text, KeyCode& code, std::string& error) {
    if (StartsWithName(text, kMousePrefix)) {
        const std::string_view name = text.substr(kMousePrefix.size());
        if (const std::optional<KeyCode> mouse = MouseCodeFromName(name)) {
            code = *mouse;
            return true;
        }
        error = "unknown mouse entry '" + std::string(name) + "' (one of " +
                JoinNames(MouseNames()) + ")";
        return false;
    }
    if (StartsWithName(text, kHexPrefix)) {
        if (ParseHexCode(text.substr(kHexPrefix.size()), code)) {
            return true;
        }
        error = "'" + std::string(text) + "' is no key code (0x000-0x07F, 0x100-0x17F)";
        return false;
    }
    const std::optional<KeyName> key = FindKeyName(text);
    if (key && IsGKeyCode(key->code)) {
        error = "'" + std::string(key->name) + "' is a G-key: it cannot be pressed by a macro " +
                "or given to another key";
        return false;
    }
    if (!key) {
        error = "unknown key '" + std::string(text) +
                "' (nearest: " + Suggestions(NearestKeyNames(text, kNearestCount, false)) +
                "; see 'kestrowctl keys')";
        return false;
    }
    code = key->code;
    return true;
}

bool CheckHandDelay(uint32_t delay, std::string& error) {
    if (delay > kMaxHandDelayMs) {
        error = "delay " + std::to_string(delay) + " ms: at most " +
                std::to_string(kMaxHandDelayMs) + " ms";
        return false;
    }
    if (delay % kMacroDelayStepMs != 0) {
        error = "delay " + std::to_string(delay) + " ms: delays go in steps of " +
                std::to_string(kMacroDelayStepMs) + " ms";
        return false;
    }
    return true;
}

std::span<const MacroAction> MacroSteps(const MacroRecord& macro) {
    return std::span<const MacroAction>(macro.steps.data(),
                                        static_cast<size_t>(MacroStepCount(macro)));
}

std::string MacroStepsText(std::span<const MacroAction> steps) {
    std::string text;
    for (const MacroAction& step : steps) {
        text += text.empty() ? "" : " ";
        text += step.direction == MacroAction::kPress ? kPressSign : kReleaseSign;
        text += KeyCodeText(step.key) + " " + std::to_string(step.delay);
    }
    return text;
}

bool ParseMacroSteps(std::string_view text, std::vector<MacroAction>& steps, std::string& error) {
    std::vector<MacroAction> parsed;
    bool delayAllowed = false; // right after a step
    size_t word = 0;
    size_t at = 0;
    while (true) {
        at = text.find_first_not_of(" \t\n", at);
        if (at == std::string_view::npos) {
            break;
        }
        const size_t end = std::min(text.find_first_of(" \t\n", at), text.size());
        const std::string_view token = text.substr(at, end - at);
        at = end;
        ++word;
        const std::string where =
            "word " + std::to_string(word) + " '" + std::string(token) + "': ";
        if (token[0] == kPressSign || token[0] == kReleaseSign) {
            if (parsed.size() >= static_cast<size_t>(kMaxMacroSteps)) {
                error = "a macro holds at most " + std::to_string(kMaxMacroSteps) + " steps";
                return false;
            }
            MacroAction step;
            step.direction = token[0] == kPressSign ? MacroAction::kPress : MacroAction::kRelease;
            std::string keyError;
            if (!ParseKeyCodeText(token.substr(1), step.key, keyError)) {
                error = where + keyError;
                return false;
            }
            parsed.push_back(step);
            delayAllowed = true;
            continue;
        }
        const std::optional<uint32_t> delay = ParseDecimal(token);
        if (!delay || !delayAllowed) {
            error = where + (delay ? "a delay belongs after a step"
                                   : "expected +KEY (press), -KEY (release) or a delay in ms");
            return false;
        }
        std::string delayError;
        if (!CheckHandDelay(*delay, delayError)) {
            error = where + delayError;
            return false;
        }
        parsed.back().delay = *delay;
        delayAllowed = false;
    }
    steps = std::move(parsed);
    return true;
}

bool TypeTextSteps(std::string_view utf8, uint32_t delay, std::vector<MacroAction>& steps,
                   std::string& error) {
    const KeyCode shift = FindKeyName("LeftShift")->code;
    std::vector<MacroAction> typed;
    size_t position = 0;
    for (size_t at = 0; at < utf8.size();) {
        const size_t start = at;
        const char32_t c = NextCharacter(utf8, at);
        ++position;
        const std::optional<TypedKey> key = UsLayoutKey(c);
        if (!key) {
            error = "character " + std::to_string(position) + " ('" +
                    CharacterText(utf8, start, at) + "') cannot be typed on a US layout";
            return false;
        }
        if (key->shift) {
            typed.push_back({delay, shift, MacroAction::kPress});
        }
        typed.push_back({delay, key->code, MacroAction::kPress});
        typed.push_back({delay, key->code, MacroAction::kRelease});
        if (key->shift) {
            typed.push_back({delay, shift, MacroAction::kRelease});
        }
    }
    if (typed.empty()) {
        error = "there is no text to type";
        return false;
    }
    if (typed.size() > static_cast<size_t>(kMaxMacroSteps)) {
        error = "typing it takes " + std::to_string(typed.size()) +
                " steps; a macro holds at most " + std::to_string(kMaxMacroSteps);
        return false;
    }
    typed.back().delay = 0; // nothing follows the last step
    steps = std::move(typed);
    return true;
}

const MacroRecord* FindMacroByName(std::span<const MacroRecord> macros, std::string_view utf8) {
    return FindByName(macros, utf8);
}

MacroRecord* FindMacroByName(std::span<MacroRecord> macros, std::string_view utf8) {
    return FindByName(macros, utf8);
}
