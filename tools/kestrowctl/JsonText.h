// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// text as a JSON string literal, quotes included. Control characters are escaped; the text is
// UTF-8 and passes through unchanged otherwise.
std::string JsonString(std::string_view text);
