// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HiveFormat.h"

#include "platform/HexDigits.h"
#include "platform/TextUtf.h"


namespace {

constexpr std::string_view kDwordTag = "dword:";
constexpr std::string_view kStringTag = "sz:";
constexpr std::string_view kEmptyName = "\\@";

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

void AppendHexEscape(std::string& out, unsigned char c) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    out += "\\x";
    out += kDigits[c >> 4];
    out += kDigits[c & 0x0F];
}

// inName: also protect what would make the INI reader take the line for something else.
std::string Escape(std::string_view text, bool inName) {
    // The file is read back as UTF-8 only when all of it is; bytes of broken text are escaped.
    const bool escapeHigh = !IsValidUtf8(text);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool atEnd = i + 1 == text.size();
        const bool atStart = i == 0;
        if (c == '\\') {
            out += "\\\\";
        } else if (IsControl(c) || (escapeHigh && c >= 0x80) || (c == ' ' && (atEnd || (inName && atStart))) ||
                   (inName && (c == '=' || (atStart && (c == '[' || c == ';'))))) {
            AppendHexEscape(out, c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string Unescape(std::string_view stored) {
    std::string out;
    out.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '\\' && i + 1 < stored.size()) {
            if (stored[i + 1] == '\\') {
                out += '\\';
                ++i;
                continue;
            }
            if (stored[i + 1] == 'x' && i + 3 < stored.size()) {
                const int high = HexDigitValue(stored[i + 2]);
                const int low = HexDigitValue(stored[i + 3]);
                if (high >= 0 && low >= 0) {
                    out += static_cast<char>((high << 4) | low);
                    i += 3;
                    continue;
                }
            }
        }
        out += stored[i];
    }
    return out;
}

} // namespace

std::string EncodeHiveName(std::string_view name) {
    return name.empty() ? std::string(kEmptyName) : Escape(name, true);
}

std::string DecodeHiveName(std::string_view stored) {
    return stored == kEmptyName ? std::string() : Unescape(stored);
}

std::string EncodeHiveValue(const HiveValue& value) {
    switch (value.type) {
    case HiveValueType::Dword: {
        constexpr char kDigits[] = "0123456789abcdef";
        std::string out(kDwordTag);
        for (int shift = 28; shift >= 0; shift -= 4) {
            out += kDigits[(value.dword >> shift) & 0x0F];
        }
        return out;
    }
    case HiveValueType::String:
        return std::string(kStringTag) + Escape(value.text, false);
    case HiveValueType::Missing:
        break;
    }
    return value.text;
}

HiveValue DecodeHiveValue(std::string_view stored) {
    HiveValue value;
    if (stored.starts_with(kDwordTag)) {
        const std::string_view digits = stored.substr(kDwordTag.size());
        uint32_t number = 0;
        if (ParseHexDigits(digits, number)) {
            value.type = HiveValueType::Dword;
            value.dword = number;
            return value;
        }
    } else if (stored.starts_with(kStringTag)) {
        value.type = HiveValueType::String;
        value.text = Unescape(stored.substr(kStringTag.size()));
        return value;
    }
    value.text = std::string(stored);
    return value;
}
