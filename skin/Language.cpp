// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/Language.h"

#include "platform/IniText.h"
#include "platform/ProfileString.h"
#include "platform/SettingsHive.h"
#include "platform/UserFolders.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

constexpr uint16_t kPortugueseBrazil = 0x0416;
constexpr uint16_t kPortuguesePortugal = 0x0816;
constexpr uint16_t kEnglishUs = 0x0409;
constexpr const char* kMissingText = "#Error";
constexpr size_t kTextUnits = 260;
constexpr int kMaxFieldWidth = 256;

uint16_t LanguageIdOfLocale(std::string_view locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    // The C locale's messages are the English ones.
    if (locale == "C" || locale == "POSIX") {
        return kEnglishUs;
    }
    const size_t separator = locale.find('_');
    const std::string_view language = locale.substr(0, separator);
    const std::string_view territory =
        separator == std::string_view::npos ? std::string_view() : locale.substr(separator + 1);
    if (IniNamesEqual(language, "en")) {
        return kEnglishUs;
    }
    if (IniNamesEqual(language, "pt")) {
        if (IniNamesEqual(territory, "BR")) {
            return kPortugueseBrazil;
        }
        if (IniNamesEqual(territory, "PT")) {
            return kPortuguesePortugal;
        }
    }
    return 0;
}

std::string TextFrom(const char* section, std::string_view key, int index) {
    return GetPrivateProfileString(section, key, kMissingText, LanguageFilePath(index), kTextUnits);
}

// One conversion of a printf pattern, read from just after its "%".
struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    bool wide = false; // a 64-bit argument
    int narrow = 0;    // 1: "h", 2: "hh"
    char type = 0;
    size_t end = 0; // index after the conversion character
};

bool ReadNumber(std::string_view p, size_t& i, int& out) {
    if (i >= p.size() || p[i] < '0' || p[i] > '9') {
        return false;
    }
    long long value = 0;
    for (; i < p.size() && p[i] >= '0' && p[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (p[i] - '0'), kMaxFieldWidth);
    }
    out = static_cast<int>(value);
    return true;
}

bool ReadConversion(std::string_view p, size_t i, Conversion& c) {
    while (i < p.size() && std::string_view("-+ 0#").find(p[i]) != std::string_view::npos) {
        c.flags += p[i++];
    }
    ReadNumber(p, i, c.width);
    if (i < p.size() && p[i] == '.') {
        ++i;
        c.precision = 0;
        ReadNumber(p, i, c.precision);
    }
    if (p.substr(i).starts_with("hh")) {
        c.narrow = 2;
        i += 2;
    } else if (p.substr(i).starts_with("ll")) {
        c.wide = true;
        i += 2;
    } else if (i < p.size() && p[i] == 'h') {
        c.narrow = 1;
        ++i;
    } else if (i < p.size() && std::string_view("ljzt").find(p[i]) != std::string_view::npos) {
        c.wide = true;
        ++i;
    }
    if (i >= p.size() || std::string_view("diuxX").find(p[i]) == std::string_view::npos) {
        return false;
    }
    c.type = p[i];
    c.end = i + 1;
    return true;
}

std::string Render(const Conversion& c, long long number) {
    // The format is assembled here from checked pieces only; no text of the file reaches it.
    std::string format = "%" + c.flags;
    if (c.width >= 0) {
        format += std::to_string(c.width);
    }
    if (c.precision >= 0) {
        format += "." + std::to_string(c.precision);
    }
    format += "ll";
    format += c.type;
    const bool isSigned = c.type == 'd' || c.type == 'i';
    long long value = number;
    if (!c.wide) {
        // As printf would see the number passed as an int (or short, or char).
        if (c.narrow == 2) {
            value =
                isSigned ? static_cast<signed char>(number) : static_cast<unsigned char>(number);
        } else if (c.narrow == 1) {
            value = isSigned ? static_cast<short>(number) : static_cast<unsigned short>(number);
        } else {
            // Not a ?: here: int and unsigned int would meet as unsigned.
            if (isSigned) {
                value = static_cast<int>(number);
            } else {
                value = static_cast<unsigned int>(number);
            }
        }
    }
    char buffer[kMaxFieldWidth * 2 + 32];
    int written = 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    if (isSigned) {
        written = std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    } else {
        written = std::snprintf(buffer, sizeof buffer, format.c_str(),
                                static_cast<unsigned long long>(value));
    }
#pragma GCC diagnostic pop
    if (written < 0) {
        return {};
    }
    return std::string(buffer, std::min(static_cast<size_t>(written), sizeof buffer - 1));
}

} // namespace

uint16_t SystemDefaultLanguageId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return LanguageIdOfLocale(value);
        }
    }
    // No variable set is the C locale.
    return kEnglishUs;
}

int LanguageIndexOf(uint16_t id) {
    for (int i = 0; i < kSupportedLanguageCount; ++i) {
        if (kSupportedLanguages[i].id == id) {
            return i;
        }
    }
    return 0;
}

namespace {

constexpr uint32_t kLanguageNotAsked = 0xFFFFFFFFu;

std::atomic<uint32_t>& LanguageInUse() {
    static std::atomic<uint32_t> id{kLanguageNotAsked};
    return id;
}

std::optional<uint16_t> StoredLanguageId(SettingsHive& hive) {
    if (const auto stored = hive.ReadDword(kAppRegistryKey, kLanguageIdValue); stored && *stored) {
        return *stored > 0xFFFF ? kPortugueseBrazil : static_cast<uint16_t>(*stored);
    }
    return std::nullopt;
}

uint16_t SystemLanguageChoice() {
    uint16_t id = SystemDefaultLanguageId();
    if (id == kPortuguesePortugal) {
        id = kPortugueseBrazil;
    }
    // 0 is the placeholder entry of the table, not a language anyone can be given.
    if (id == 0 || kSupportedLanguages[LanguageIndexOf(id)].id != id) {
        id = kPortugueseBrazil;
    }
    return id;
}

} // namespace

uint16_t ResolveLanguageId(SettingsHive& hive) {
    if (const std::optional<uint16_t> stored = StoredLanguageId(hive)) {
        return *stored;
    }
    const uint16_t id = SystemLanguageChoice();
    StoreLanguageId(hive, id);
    return id;
}

uint16_t PeekLanguageId(SettingsHive& hive) {
    return StoredLanguageId(hive).value_or(SystemLanguageChoice());
}

bool StoreLanguageId(SettingsHive& hive, uint16_t id) {
    return hive.WriteDword(kAppRegistryKey, kLanguageIdValue, id);
}

std::optional<uint16_t> LanguageIdFromName(std::string_view name) {
    if (IniNamesEqual(name, "en")) {
        return kEnglishUs;
    }
    if (IniNamesEqual(name, "pt-BR") || IniNamesEqual(name, "pt_BR")) {
        return kPortugueseBrazil;
    }
    return std::nullopt;
}

uint16_t CurrentLanguageId() {
    static std::once_flag asked;
    std::call_once(asked, [] {
        // A choice made before the first question stands.
        if (LanguageInUse().load() == kLanguageNotAsked) {
            uint32_t expected = kLanguageNotAsked;
            LanguageInUse().compare_exchange_strong(expected,
                                                    ResolveLanguageId(SettingsHive::Instance()));
        }
    });
    return static_cast<uint16_t>(LanguageInUse().load());
}

void SetCurrentLanguageId(uint16_t id) {
    LanguageInUse().store(id);
}

int CurrentLanguageIndex() {
    return LanguageIndexOf(CurrentLanguageId());
}

int LanguageNoticeIndex(int index) {
    return (index < 0 || index > 2) ? 0 : index;
}

std::filesystem::path LanguageFilePath(int index) {
    if (index < 0 || index >= kSupportedLanguageCount) {
        index = 0;
    }
    char name[32];
    std::snprintf(name, sizeof name, "Lang%04X.ini", unsigned{kSupportedLanguages[index].id});
    return ProgramFolder() / name;
}

std::string LangText(std::string_view key, int index) {
    return TextFrom("TEXT", key, index);
}
std::string LightText(std::string_view key, int index) {
    return TextFrom("LIGHT", key, index);
}
std::string ModeText(std::string_view key, int index) {
    return TextFrom("MODE", key, index);
}

namespace {

// Copies a language text with "%%" as "%", letting fill() replace the first conversion it
// recognises: fill(pattern, index after the '%', out) appends and returns the index after the
// conversion, or 0 when it does not recognise one there. Every other '%' stays as written.
template <class Fill> std::string FillFirstConversion(std::string_view pattern, Fill fill) {
    std::string out;
    bool filled = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        if (!filled) {
            if (const size_t end = fill(pattern, i + 1, out); end != 0) {
                filled = true;
                i = end - 1;
                continue;
            }
        }
        out += '%';
    }
    return out;
}

} // namespace

std::string FormatLangText(std::string_view pattern, long long number) {
    return FillFirstConversion(pattern, [number](std::string_view p, size_t at, std::string& out) {
        Conversion conversion;
        if (!ReadConversion(p, at, conversion)) {
            return size_t{0};
        }
        out += Render(conversion, number);
        return conversion.end;
    });
}

namespace {

// Length in characters of UTF-8 text, and the byte count of its first `chars` characters.
size_t Utf8Chars(std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s) {
        n += (c & 0xC0) != 0x80;
    }
    return n;
}

size_t Utf8Prefix(std::string_view s, size_t chars) {
    size_t i = 0;
    for (size_t seen = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && seen++ == chars) {
            break;
        }
    }
    return i;
}

// Reads "[-][width][.precision][l|h]s" or "S" after a '%'; end is the index after it.
bool ReadTextConversion(std::string_view p, size_t i, bool& left, int& width, int& precision,
                        size_t& end) {
    left = false;
    width = -1;
    precision = -1;
    while (i < p.size() && p[i] == '-') {
        left = true;
        ++i;
    }
    ReadNumber(p, i, width);
    if (i < p.size() && p[i] == '.') {
        ++i;
        precision = 0;
        ReadNumber(p, i, precision);
    }
    if (i < p.size() && (p[i] == 'l' || p[i] == 'h')) {
        ++i;
        if (i >= p.size() || p[i] != 's') {
            return false;
        }
    }
    if (i >= p.size() || (p[i] != 's' && p[i] != 'S')) {
        return false;
    }
    end = i + 1;
    return true;
}

} // namespace

std::string FormatLangText(std::string_view pattern, std::string_view text) {
    return FillFirstConversion(pattern, [text](std::string_view p, size_t at, std::string& out) {
        bool left = false;
        int width = -1;
        int precision = -1;
        size_t end = 0;
        if (!ReadTextConversion(p, at, left, width, precision, end)) {
            return size_t{0};
        }
        std::string_view shown = text;
        if (precision >= 0) {
            shown = shown.substr(0, Utf8Prefix(shown, static_cast<size_t>(precision)));
        }
        const size_t chars = Utf8Chars(shown);
        const size_t padding = width > 0 && static_cast<size_t>(width) > chars
                                   ? static_cast<size_t>(width) - chars
                                   : 0;
        const std::string pad(padding, ' ');
        out += left ? std::string(shown) + pad : pad + std::string(shown);
        return end;
    });
}
