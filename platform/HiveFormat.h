// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the settings hive stores its values in its INI file (one section per key path):
//
//     [Software\Halvex  KB01]
//     dwLanguageId=dword:00000416
//     LastFile=sz:/home/ana/backup.fwc
//
// A DWORD is "dword:" and eight hexadecimal digits (one to eight are read, in either letter
// case); a string is "sz:" and its text. In value names and string texts a backslash is
// written "\\" and every byte that the INI format would not keep as it is as "\xHH": control
// characters, every byte of text that is not valid UTF-8, and in names "=", a leading "[" or ";" and a blank at either end (in texts a
// blank at the end). The empty value name is written "\@". Other escapes are read as written.
// A value of any other form is kept as stored text, of type Missing, and written back as it
// was.

#include <cstdint>
#include <string>
#include <string_view>

enum class HiveValueType { Missing, Dword, String };

struct HiveValue {
    HiveValueType type = HiveValueType::Missing;
    uint32_t dword = 0;
    std::string text; // the string, or for Missing the stored form of an unknown value

    bool operator==(const HiveValue&) const = default;
};

std::string EncodeHiveName(std::string_view name);
std::string DecodeHiveName(std::string_view stored);

std::string EncodeHiveValue(const HiveValue& value);
HiveValue DecodeHiveValue(std::string_view stored);
