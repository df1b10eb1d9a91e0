// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HexDigits.h"

namespace {

constexpr int kDigitsBase = 16;
constexpr size_t kMaxDigits = 8; // what fits in 32 bits

} // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool ParseHexDigits(std::string_view text, uint32_t& value) {
    if (text.empty() || text.size() > kMaxDigits) {
        return false;
    }
    uint32_t result = 0;
    for (const char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            return false;
        }
        result = result * kDigitsBase + static_cast<uint32_t>(digit);
    }
    value = result;
    return true;
}
