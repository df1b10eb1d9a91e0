// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Test names made from descriptions ("switch and reload" gives "switch_and_reload"), for
// parameterised tests.

#include <cctype>
#include <string>
#include <string_view>

inline std::string TestNameOf(std::string_view description) {
    std::string name;
    for (const char c : description) {
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}
