// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The INI format behind the profile-string functions and the settings hive, on bytes in
// memory (so the parser can be fuzzed and tested without files).
//
// Reading follows the Windows profile functions:
// - The bytes are UTF-8 (an optional EF BB BF mark is skipped), or UTF-16LE / UTF-16BE with
//   their byte-order mark. Bytes without a mark that are not valid UTF-8 are read as
//   Windows-1252, the code page such files come from.
// - Lines end with LF or CR LF. Blanks and tabs around section names, keys and values are
//   dropped.
// - "[name]" starts a section; text after the "]" is ignored, a line with "[" but no "]" is
//   ignored. Entries before the first section belong to none and are never found.
// - "key=value" splits at the first "="; a line without "=" or with an empty key, and a line
//   whose key starts with ";" (a comment), is ignored.
// - Section and key names compare without regard to ASCII letter case. The first section of
//   a name is the only one looked at, and the first entry of a key within it wins.
// - A value enclosed in a matching pair of double or single quotes is read without them. A
//   value stops at the first NUL character, as a C buffer would hold it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The file's text as UTF-8, with whatever mark it had removed.
std::string DecodeIniBytes(std::string_view bytes);

// Compares two names as the profile functions do: ASCII letters without regard to case.
bool IniNamesEqual(std::string_view a, std::string_view b);

// What a write may put into a file without changing how the file reads: a section name or a
// key that is not empty, has no line break, NUL or blank at either end, and (sections) no "]"
// or (keys) no "=" and does not start with "[" or ";"; a value without line breaks or NUL.
bool IsWritableIniSection(std::string_view section);
bool IsWritableIniKey(std::string_view key);
bool IsWritableIniValue(std::string_view value);

// One file's lines, parsed once and editable; writing keeps every line it does not change.
class IniText {
public:
    struct Entry {
        std::string_view key;
        std::string_view value; // as stored: trimmed, quotes kept
    };
    struct Section {
        std::string_view name;
        std::vector<Entry> entries; // in file order, duplicates included
    };

    static IniText Parse(std::string_view fileBytes);

    // The value the profile functions read (quotes removed); std::nullopt when missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // Every section header in file order, with the entries below it. The views stay valid
    // until the next change.
    std::vector<Section> Sections() const;

    enum class Edit { Changed, Unchanged, Invalid };
    // Sets key in the first section of that name, adding the section at the end when there is
    // none; std::nullopt removes every entry of key from that section. Invalid (and nothing
    // changes) when the names or the value cannot be written faithfully.
    Edit Set(std::string_view section, std::string_view key,
             std::optional<std::string_view> value);

    // The whole file as UTF-8, each line ended the way the file's first line was (LF for a
    // new file); a UTF-8 mark the file had is kept.
    std::string Serialize() const;

private:
    enum class Kind { Other, Header, Entry };
    struct Line {
        std::string text;
        Kind kind = Kind::Other;
        // Views into text: the section name of a header, the key and value of an entry.
        size_t nameStart = 0, nameLength = 0;
        size_t valueStart = 0, valueLength = 0;

        std::string_view Name() const {
            return std::string_view(text).substr(nameStart, nameLength);
        }
        std::string_view Value() const {
            return std::string_view(text).substr(valueStart, valueLength);
        }
    };
    static Line MakeLine(std::string text);
    // [begin, end) of the lines below the first header named section; begin is npos when
    // there is no such section.
    std::pair<size_t, size_t> SectionRange(std::string_view section) const;

    std::vector<Line> lines_;
    std::string eol_ = "\n";
    bool utf8Mark_ = false;
};

// GetPrivateProfileString on the bytes of a file (std::nullopt: no file): the value, or the
// default without its trailing blanks, cut to capacityUnits - 1 UTF-16 units.
std::string ProfileStringFromBytes(std::optional<std::string_view> fileBytes,
                                   std::string_view section, std::string_view key,
                                   std::string_view defaultValue, size_t capacityUnits);
