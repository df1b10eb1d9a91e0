// SPDX-License-Identifier: GPL-3.0-or-later
// The INI reader and writer on arbitrary file bytes: reading never fails, rewriting a file keeps
// how every entry reads, and an edit changes exactly the entry it names. The settings hive's
// escapes are checked on slices of the same input.
#include "platform/HiveFormat.h"
#include "platform/IniText.h"
#include "platform/TextUtf.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr size_t kMaxPairs = 24;
// Each of these reads parses the whole input again.
constexpr size_t kMaxFileReads = 4;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "INI invariant broken: %s\n", what);
        std::abort();
    }
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs NamesIn(const IniText& ini) {
    Pairs pairs;
    for (const IniText::Section& section : ini.Sections()) {
        for (const IniText::Entry& entry : section.entries) {
            if (pairs.size() == kMaxPairs) {
                return pairs;
            }
            pairs.emplace_back(section.name, entry.key);
        }
    }
    pairs.emplace_back("TEXT", "MENU_11");
    return pairs;
}

// Every pair but `except` reads in `after` as it read in `before`.
void RequireSameReads(const IniText& before, const IniText& after, const Pairs& pairs,
                      const std::pair<std::string, std::string>* except, const char* what) {
    for (const auto& [section, key] : pairs) {
        if (except && IniNamesEqual(section, except->first) && IniNamesEqual(key, except->second)) {
            continue;
        }
        Require(before.Find(section, key) == after.Find(section, key), what);
    }
}

void CheckEdits(const IniText& ini, const Pairs& pairs) {
    // A value that reads back as it is written: no blanks at the ends, no quotes.
    const std::string value = "v\xC3\xA7 = ;x";
    std::vector<std::pair<std::string, std::string>> targets = {{"Fz", "k"}};
    if (!pairs.empty()) {
        targets.push_back(pairs.front());
        targets.push_back(pairs[pairs.size() / 2]);
    }
    for (const auto& target : targets) {
        IniText edited = ini;
        const auto result = edited.Set(target.first, target.second, value);
        if (result == IniText::Edit::Invalid) {
            Require(!IsWritableIniSection(target.first) || !IsWritableIniKey(target.second),
                    "a writable name was refused");
            continue;
        }
        Require(edited.Find(target.first, target.second) == value, "a set value reads back");
        const IniText reread = IniText::Parse(edited.Serialize());
        Require(reread.Find(target.first, target.second) == value, "a set value survives a write");
        RequireSameReads(ini, reread, pairs, &target, "a set changes only its own entry");

        IniText removed = ini;
        removed.Set(target.first, target.second, std::nullopt);
        const IniText rereadRemoved = IniText::Parse(removed.Serialize());
        Require(!rereadRemoved.Find(target.first, target.second), "a removed key stays removed");
        RequireSameReads(ini, rereadRemoved, pairs, &target, "a removal changes only its entry");
    }
}

void CheckHiveRoundTrip(std::string_view name, std::string_view text) {
    const HiveValue values[] = {
        {HiveValueType::String, 0, std::string(text)},
        {HiveValueType::Dword, static_cast<uint32_t>(text.size() * 2654435761u), {}}};
    for (const HiveValue& value : values) {
        const std::string line = EncodeHiveName(name) + "=" + EncodeHiveValue(value);
        const IniText ini = IniText::Parse("[K]\n" + line + "\n");
        const auto sections = ini.Sections();
        Require(sections.size() == 1 && sections[0].entries.size() == 1,
                "one hive line, one entry");
        Require(DecodeHiveName(sections[0].entries[0].key) == name, "a hive name survives");
        Require(DecodeHiveValue(sections[0].entries[0].value) == value, "a hive value survives");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const IniText ini = IniText::Parse(bytes);
    const Pairs pairs = NamesIn(ini);
    for (size_t i = 0; i < pairs.size() && i < kMaxFileReads; ++i) {
        const auto& [section, key] = pairs[i];
        for (const size_t capacity : {size_t{0}, size_t{1}, size_t{5}, size_t{260}}) {
            const std::string value =
                ProfileStringFromBytes(bytes, section, key, "#Error", capacity);
            Require(Utf16Length(value) + 1 <= std::max<size_t>(capacity, 1),
                    "value fits the buffer");
        }
    }
    for (const auto& section : ini.Sections()) {
        for (const auto& entry : section.entries) {
            DecodeHiveName(entry.key);
            DecodeHiveValue(entry.value);
        }
    }

    const std::string once = ini.Serialize();
    const IniText reread = IniText::Parse(once);
    RequireSameReads(ini, reread, pairs, nullptr, "rewriting a file keeps its reads");
    Require(reread.Serialize() == once, "a rewritten file rewrites the same");

    CheckEdits(ini, pairs);
    CheckHiveRoundTrip(bytes.substr(0, size / 2), bytes.substr(size / 2));
    return 0;
}
