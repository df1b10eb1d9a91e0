// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/IniText.h"

#include "platform/TextUtf.h"

#include <algorithm>

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Code points of 0x80..0x9F in Windows-1252; the five holes map to the C1 controls, as
// Windows itself converts them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string wide;
    wide.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        wide += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return Utf16ToUtf8(wide);
}

std::string DecodeCp1252(std::string_view bytes) {
    std::u16string wide;
    wide.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        wide += (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : static_cast<char16_t>(b);
    }
    return Utf16ToUtf8(wide);
}

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

bool HasBlankAtAnEnd(std::string_view s) {
    return !s.empty() && (kBlanks.find(s.front()) != std::string_view::npos ||
                          kBlanks.find(s.back()) != std::string_view::npos);
}

bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The value as a reader sees it: quotes of a matching pair removed, cut at a NUL.
std::string ReadableValue(std::string_view stored) {
    if (stored.size() >= 2 && stored.front() == stored.back() &&
        (stored.front() == '"' || stored.front() == '\'')) {
        stored = stored.substr(1, stored.size() - 2);
    }
    return std::string(stored.substr(0, stored.find('\0')));
}

} // namespace

std::string DecodeIniBytes(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) {
        return std::string(bytes.substr(kUtf8Mark.size()));
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return DecodeUtf16(bytes.substr(2), false);
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return DecodeUtf16(bytes.substr(2), true);
    }
    if (IsValidUtf8(bytes)) {
        return std::string(bytes);
    }
    return DecodeCp1252(bytes);
}

bool IniNamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsWritableIniSection(std::string_view section) {
    return !section.empty() && !HasBlankAtAnEnd(section) && !HasLineBreakOrNul(section) &&
           section.find(']') == std::string_view::npos;
}

bool IsWritableIniKey(std::string_view key) {
    return !key.empty() && !HasBlankAtAnEnd(key) && !HasLineBreakOrNul(key) &&
           key.find('=') == std::string_view::npos && key.front() != '[' && key.front() != ';';
}

bool IsWritableIniValue(std::string_view value) { return !HasLineBreakOrNul(value); }

IniText::Line IniText::MakeLine(std::string text) {
    Line line;
    line.text = std::move(text);
    const std::string_view whole(line.text);
    const size_t start = whole.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) {
        return line;
    }
    const auto offsetOf = [&](std::string_view part) {
        return part.empty() ? size_t{0} : static_cast<size_t>(part.data() - whole.data());
    };
    if (whole[start] == '[') {
        const size_t close = whole.find(']', start);
        if (close != std::string_view::npos) {
            const std::string_view name = Trim(whole.substr(start + 1, close - start - 1));
            line.kind = Kind::Header;
            line.nameStart = offsetOf(name);
            line.nameLength = name.size();
        }
        return line;
    }
    const size_t equals = whole.find('=', start);
    if (equals == std::string_view::npos) {
        return line;
    }
    const std::string_view key = Trim(whole.substr(start, equals - start));
    if (key.empty() || key.front() == ';') {
        return line;
    }
    const std::string_view value = Trim(whole.substr(equals + 1));
    line.kind = Kind::Entry;
    line.nameStart = offsetOf(key);
    line.nameLength = key.size();
    line.valueStart = offsetOf(value);
    line.valueLength = value.size();
    return line;
}

IniText IniText::Parse(std::string_view fileBytes) {
    IniText ini;
    ini.utf8Mark_ = fileBytes.starts_with(kUtf8Mark);
    const std::string text = DecodeIniBytes(fileBytes);
    std::string_view all(text);
    // A mark repeated inside the text (a UTF-16 file saved with one) is no part of a line.
    while (all.starts_with(kUtf8Mark)) {
        all.remove_prefix(kUtf8Mark.size());
    }
    bool eolKnown = false;
    for (size_t pos = 0; pos < all.size();) {
        size_t end = all.find('\n', pos);
        const bool last = end == std::string_view::npos;
        if (last) {
            end = all.size();
        }
        std::string_view content = all.substr(pos, end - pos);
        const bool crlf = content.ends_with('\r');
        // Stray CRs before the line end go too, or rewriting could turn them into line ends.
        while (content.ends_with('\r')) {
            content.remove_suffix(1);
        }
        if (!eolKnown && !last) {
            ini.eol_ = crlf ? "\r\n" : "\n";
            eolKnown = true;
        }
        ini.lines_.push_back(MakeLine(std::string(content)));
        pos = end + 1;
    }
    return ini;
}

std::pair<size_t, size_t> IniText::SectionRange(std::string_view section) const {
    size_t begin = std::string::npos;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind != Kind::Header) {
            continue;
        }
        if (begin != std::string::npos) {
            return {begin, i};
        }
        if (IniNamesEqual(lines_[i].Name(), section)) {
            begin = i + 1;
        }
    }
    return {begin, lines_.size()};
}

std::optional<std::string> IniText::Find(std::string_view section, std::string_view key) const {
    const auto [begin, end] = SectionRange(section);
    if (begin == std::string::npos) {
        return std::nullopt;
    }
    for (size_t i = begin; i < end; ++i) {
        if (lines_[i].kind == Kind::Entry && IniNamesEqual(lines_[i].Name(), key)) {
            return ReadableValue(lines_[i].Value());
        }
    }
    return std::nullopt;
}

std::vector<IniText::Section> IniText::Sections() const {
    std::vector<Section> sections;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Header) {
            sections.push_back(Section{line.Name(), {}});
        } else if (line.kind == Kind::Entry && !sections.empty()) {
            sections.back().entries.push_back(Entry{line.Name(), line.Value()});
        }
    }
    return sections;
}

IniText::Edit IniText::Set(std::string_view section, std::string_view key,
                           std::optional<std::string_view> value) {
    if (!IsWritableIniSection(section) || !IsWritableIniKey(key) ||
        (value && !IsWritableIniValue(*value))) {
        return Edit::Invalid;
    }
    auto [begin, end] = SectionRange(section);
    if (!value) {
        if (begin == std::string::npos) {
            return Edit::Unchanged;
        }
        bool removed = false;
        for (size_t i = end; i-- > begin;) {
            if (lines_[i].kind == Kind::Entry && IniNamesEqual(lines_[i].Name(), key)) {
                lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
                removed = true;
            }
        }
        return removed ? Edit::Changed : Edit::Unchanged;
    }
    if (begin == std::string::npos) {
        if (!lines_.empty() && lines_.back().text.find_first_not_of(kBlanks) != std::string::npos) {
            lines_.push_back(MakeLine({}));
        }
        lines_.push_back(MakeLine("[" + std::string(section) + "]"));
        lines_.push_back(MakeLine(std::string(key) + "=" + std::string(*value)));
        return Edit::Changed;
    }
    size_t insertAt = begin;
    for (size_t i = begin; i < end; ++i) {
        Line& line = lines_[i];
        if (line.kind == Kind::Entry && IniNamesEqual(line.Name(), key)) {
            // The key keeps the spelling the file gave it.
            Line replaced = MakeLine(std::string(line.Name()) + "=" + std::string(*value));
            if (replaced.Value() == line.Value()) {
                return Edit::Unchanged;
            }
            line = std::move(replaced);
            return Edit::Changed;
        }
        if (line.text.find_first_not_of(kBlanks) != std::string::npos) {
            insertAt = i + 1;
        }
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  MakeLine(std::string(key) + "=" + std::string(*value)));
    return Edit::Changed;
}

std::string IniText::Serialize() const {
    std::string out;
    if (utf8Mark_) {
        out += kUtf8Mark;
    }
    for (const Line& line : lines_) {
        out += line.text;
        out += eol_;
    }
    return out;
}

std::string ProfileStringFromBytes(std::optional<std::string_view> fileBytes,
                                   std::string_view section, std::string_view key,
                                   std::string_view defaultValue, size_t capacityUnits) {
    if (capacityUnits == 0) {
        return {};
    }
    std::optional<std::string> value;
    if (fileBytes) {
        value = IniText::Parse(*fileBytes).Find(section, key);
    }
    if (!value) {
        // Trailing blanks of the default are dropped.
        const size_t last = defaultValue.find_last_not_of(' ');
        value = std::string(defaultValue.substr(0, last == std::string_view::npos ? 0 : last + 1));
        value->resize(std::min(value->size(), value->find('\0')));
    }
    return TruncateToUtf16Units(*value, capacityUnits - 1);
}
