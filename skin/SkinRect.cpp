// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/SkinRect.h"

#include "platform/ProfileString.h"

#include <climits>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One "%d": blanks, an optional sign, at least one digit. Values beyond int are clamped.
bool ScanInt(std::string_view text, size_t& pos, int& out) {
    size_t i = pos;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || !IsDigit(text[i])) {
        return false;
    }
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (value <= static_cast<long long>(INT_MAX) + 1) {
            value = value * 10 + (text[i] - '0');
        }
    }
    if (negative) {
        value = -value;
    }
    out = static_cast<int>(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
    pos = i;
    return true;
}

} // namespace

SkinRect ParseSkinRect(std::string_view value) {
    SkinRect rect;
    int* const fields[] = {&rect.x, &rect.y, &rect.w, &rect.h};
    size_t pos = 0;
    for (size_t i = 0; i < 4; ++i) {
        // The separator must follow at once, as a literal in a scanf pattern must.
        if (i > 0) {
            if (pos >= value.size() || value[pos] != ',') {
                break;
            }
            ++pos;
        }
        if (!ScanInt(value, pos, *fields[i])) {
            break;
        }
    }
    return rect;
}

SkinRect ReadSkinRect(const std::filesystem::path& file, std::string_view section,
                      std::string_view key) {
    return ParseSkinRect(GetPrivateProfileString(section, key, kDefaultSkinRectText, file, 260));
}
