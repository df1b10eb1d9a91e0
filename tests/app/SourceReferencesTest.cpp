// SPDX-License-Identifier: GPL-3.0-or-later
// What the program's code looks up beside the program is there: every language key in every
// language file, every skin picture and skin key in the generated Skins folder. The keys are
// found by reading the sources, so a key added to the code without its data fails here.

#include "AppTestSupport.h"
#include "mainwindow/CKestrowDlg.h"
#include "platform/ProfileString.h"

#include <QImage>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kMissing = "\x01missing\x01";

fs::path SourceFolder() {
    const char* source = std::getenv("KESTROW_SOURCE_DIR");
    return fs::path(source != nullptr ? source : ".");
}

struct Source {
    fs::path file;
    std::string text;
};

// The product's sources: every layer, not the tests, tools, fuzzers, benchmarks or builds.
std::vector<Source> ProductSources() {
    std::vector<Source> sources;
    for (const char* layer :
         {"platform", "skin", "device", "model", "widgets", "editors", "mainwindow", "app"}) {
        const fs::path folder = SourceFolder() / layer;
        if (!fs::is_directory(folder)) {
            continue;
        }
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
            const std::string ext = entry.path().extension().string();
            if (entry.is_regular_file() && (ext == ".cpp" || ext == ".h" || ext == ".inc")) {
                sources.push_back({entry.path(), ReadFileBytes(entry.path())});
            }
        }
    }
    return sources;
}

// The sources with every named skin section constant (`constexpr const char* kName =
// "BUTTONINFO";`, in any source) replaced by its literal, so that a placement through the name
// is read like one with the literal. A file's own definition wins over another file's.
std::vector<Source> WithSectionNamesSpelledOut(const std::vector<Source>& sources) {
    const std::regex definition(
        R"re(\bconstexpr\s+const\s+char\s*\*\s*(\w+)\s*=\s*("(?:SCREEN|BUTTONINFO2?)"))re");
    const auto definitionsIn = [&](const Source& source) {
        std::map<std::string, std::string> names;
        for (auto it = std::sregex_iterator(source.text.begin(), source.text.end(), definition);
             it != std::sregex_iterator(); ++it) {
            names[(*it)[1].str()] = (*it)[2].str();
        }
        return names;
    };
    std::map<std::string, std::string> everywhere;
    for (const Source& source : sources) {
        everywhere.merge(definitionsIn(source));
    }
    std::vector<Source> spelled;
    for (const Source& source : sources) {
        std::map<std::string, std::string> names = definitionsIn(source);
        names.insert(everywhere.begin(), everywhere.end()); // keeps the file's own
        std::string text = source.text;
        for (const auto& [name, literal] : names) {
            text = std::regex_replace(text, std::regex("\\b" + name + "\\b"), literal);
        }
        spelled.push_back({source.file, std::move(text)});
    }
    return spelled;
}

// (first capture, second capture) of every match of pattern in every source.
using Found = std::map<std::pair<std::string, std::string>, std::string>; // -> where
void Collect(const std::vector<Source>& sources, const std::regex& pattern, Found& found,
             const std::string& fixedFirst = {}) {
    for (const Source& source : sources) {
        for (auto it = std::sregex_iterator(source.text.begin(), source.text.end(), pattern);
             it != std::sregex_iterator(); ++it) {
            const std::string first = fixedFirst.empty() ? (*it)[1].str() : fixedFirst;
            const std::string second = fixedFirst.empty() ? (*it)[2].str() : (*it)[1].str();
            found.emplace(std::make_pair(first, second), source.file.filename().string());
        }
    }
}

// Language lookups with a literal key: section and key.
Found LanguageLookups(const std::vector<Source>& sources) {
    Found found;
    const std::regex call(R"re(\b(LangText|LangQText|LightText|ModeText)\s*\(\s*"([^"\\]*)")re");
    Found raw;
    Collect(sources, call, raw);
    for (const auto& [key, where] : raw) {
        const std::string section = key.first == "LightText"  ? "LIGHT"
                                    : key.first == "ModeText" ? "MODE"
                                                              : "TEXT";
        found.emplace(std::make_pair(section, key.second), where);
    }
    return found;
}

std::vector<fs::path> LanguageFiles() {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(BinFolder())) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 12 && name.starts_with("Lang") && name.ends_with(".ini")) {
            files.push_back(entry.path());
        }
    }
    return files;
}

const std::vector<const char*> kLayoutFiles = {"Main.ini", "Composite.ini", "Profile.ini",
                                               "UpdateDlg.ini"};

bool InSomeLayoutFile(const std::string& section, const std::string& key) {
    for (const char* file : kLayoutFiles) {
        if (GetPrivateProfileString(section, key, kMissing, BinFolder() / "Skins" / file) !=
            kMissing) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(SourceReferences, TheScannerFindsLookupsAcrossLinesAndSkipsOtherCalls) {
    const std::vector<Source> sample = {
        {"a.cpp", "x = LangText(\n    \"MAIN_CAPTION\", i); LightText( \"Usb\",0);\n"
                  "MyLangText(\"NOT_ONE\", 0); ModeText(name, 0); ModeText(\"20\", 1);"}};
    const Found found = LanguageLookups(sample);
    EXPECT_EQ(found.size(), 3u);
    EXPECT_TRUE(found.count({"TEXT", "MAIN_CAPTION"}));
    EXPECT_TRUE(found.count({"LIGHT", "Usb"}));
    EXPECT_TRUE(found.count({"MODE", "20"}));
}

TEST(SourceReferences, EveryLanguageKeyTheCodeLooksUpIsInEveryLanguageFile) {
    const Found lookups = LanguageLookups(ProductSources());
    // The about box's keys at least; an empty scan proves nothing.
    for (const char* key :
         {"LANG_ABOUT_TITLE", "GUANYU_JIESHAO", "GUANYU_BANQUAN", "LANG_ABOUT_OK"}) {
        EXPECT_TRUE(lookups.count({"TEXT", key})) << key << " not found in the sources";
    }
    const std::vector<fs::path> files = LanguageFiles();
    ASSERT_GE(files.size(), 3u);
    for (const fs::path& file : files) {
        for (const auto& [key, where] : lookups) {
            EXPECT_NE(GetPrivateProfileString(key.first, key.second, kMissing, file), kMissing)
                << file.filename() << " lacks [" << key.first << "] " << key.second
                << " (looked up in " << where << ")";
        }
    }
}

TEST(SourceReferences, EverySkinPictureTheCodeLoadsIsThereAndReadable) {
    const std::vector<Source> sources = ProductSources();
    Found pictures;
    Collect(sources,
            std::regex(R"re("(?:Skins[/\\]+)?([A-Za-z0-9_]+\.(?:jpg|bmp|png|JPG|BMP|PNG))")re"),
            pictures, "Skins");
    for (const char* file : CKestrowDlg::KeyImageSetFiles()) {
        EXPECT_TRUE(pictures.count({"Skins", fs::path(file).filename().string()})) << file;
    }
    for (const auto& [picture, where] : pictures) {
        const fs::path file = BinFolder() / "Skins" / picture.second;
        EXPECT_TRUE(fs::is_regular_file(file)) << picture.second << " (" << where << ")";
        EXPECT_FALSE(QImage(QString::fromStdString(file.string())).isNull())
            << picture.second << " cannot be read";
    }
}

namespace {

// Skin rectangles, INI reads of the layout files' sections, and the placement helpers
// (control, file, section, key), each with a literal key and a literal or named section.
Found SkinKeyReads(const std::vector<Source>& plainSources) {
    const std::vector<Source> sources = WithSectionNamesSpelledOut(plainSources);
    Found keys;
    Collect(sources, std::regex(R"re(\bReadSkinRect\s*\([^;]*?,\s*"(\w+)"\s*,\s*"(\w+)")re"), keys);
    Collect(
        sources,
        std::regex(
            R"re(\b(?:GetString|GetPrivateProfileString)\s*\(\s*"(SCREEN|BUTTONINFO2?)"\s*,\s*"(\w+)")re"),
        keys);
    Collect(
        sources,
        std::regex(
            R"re(\b(?:PlaceControl|PlaceImageControl|PlaceImageControlSplit|MoveControlTo)\s*\([^;]*?"(SCREEN|BUTTONINFO2?)"\s*,\s*"(\w+)"\s*[,)])re"),
        keys);
    return keys;
}

} // namespace

TEST(SourceReferences, SkinKeysAreFoundThroughNamedSectionsToo) {
    const std::vector<Source> sample = {
        {"a.cpp", "constexpr const char* kButtonInfo = \"BUTTONINFO\";\n"
                  "PlaceControl(list_, IniPath(), kButtonInfo, \"PROGRAM_LIST\");\n"
                  "MoveControlTo(c, path, kOther, \"NOT_A_SECTION\");\n"},
        {"b.h", "inline constexpr const char* kSkinSection = \"BUTTONINFO2\";"},
        {"c.cpp", "PlaceImageControl(b, file,\n    kSkinSection, \"COLOR_1\", n, o);\n"
                  "PlaceControl(x, f, kButtonInfoExtra, \"WRONG\");"}};
    const Found keys = SkinKeyReads(sample);
    EXPECT_EQ(keys.size(), 2u);
    EXPECT_TRUE(keys.count({"BUTTONINFO", "PROGRAM_LIST"}));
    EXPECT_TRUE(keys.count({"BUTTONINFO2", "COLOR_1"}));
}

TEST(SourceReferences, EverySkinKeyTheCodeReadsIsInTheLayoutFiles) {
    const Found keys = SkinKeyReads(ProductSources());
    EXPECT_TRUE(keys.count({"SCREEN", "Link"})) << "the about box's link not found";
    // Placed through the section's name only.
    EXPECT_TRUE(keys.count({"BUTTONINFO", "PROGRAM_LIST"})) << "named sections not followed";
    for (const auto& [key, where] : keys) {
        EXPECT_TRUE(InSomeLayoutFile(key.first, key.second))
            << "[" << key.first << "] " << key.second << " (read in " << where << ")";
    }
}
