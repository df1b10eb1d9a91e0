// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsHive.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

constexpr std::string_view kApp = "Software\\Halvex  KB01";

// True when files can no longer be made in folder (false for root, who ignores permissions).
bool FolderRefusesWrites(const std::filesystem::path& folder) {
    const auto probe = folder / "probe";
    const bool written = std::ofstream(probe).good();
    std::filesystem::remove(probe);
    return !written;
}

} // namespace

TEST(SettingsHive, TypedValuesSurviveInAReadableFile) {
    TempDir dir;
    const auto file = dir / "Halvex  KB01" / "registry.ini";
    {
        SettingsHive hive(file);
        ASSERT_TRUE(hive.WriteDword(kApp, "dwLanguageId", 0x041A));
        ASSERT_TRUE(hive.WriteString(kApp, "LastFile", "/home/ana/b.fwc"));
        ASSERT_TRUE(hive.WriteDword(kApp, "Max", 0xFFFFFFFF));
    }
    const std::string text = ReadFileBytes(file); // the folder was made for it
    EXPECT_NE(text.find("[Software\\Halvex  KB01]\n"), std::string::npos);
    EXPECT_NE(text.find("\ndwLanguageId=dword:0000041a\n"), std::string::npos);
    EXPECT_NE(text.find("\nLastFile=sz:/home/ana/b.fwc\n"), std::string::npos);

    SettingsHive again(file);
    EXPECT_EQ(again.TypeOf(kApp, "dwLanguageId"), HiveValueType::Dword);
    EXPECT_EQ(again.ReadDword(kApp, "dwLanguageId"), 0x041Au);
    EXPECT_EQ(again.ReadDword(kApp, "Max"), 0xFFFFFFFFu);
    EXPECT_EQ(again.TypeOf(kApp, "LastFile"), HiveValueType::String);
    EXPECT_EQ(again.ReadString(kApp, "LastFile"), "/home/ana/b.fwc");
    // A value is read only as the type it has.
    EXPECT_EQ(again.ReadString(kApp, "dwLanguageId"), std::nullopt);
    EXPECT_EQ(again.ReadDword(kApp, "LastFile"), std::nullopt);
    EXPECT_EQ(again.TypeOf(kApp, "nothing"), HiveValueType::Missing);
    EXPECT_EQ(again.TypeOf("Software\\Other", "dwLanguageId"), HiveValueType::Missing);
}

TEST(SettingsHive, AwkwardNamesAndTextsComeBackExactly) {
    TempDir dir;
    const auto file = dir / "registry.ini";
    const std::pair<std::string, std::string> cases[] = {
        {"", "the unnamed value"},
        {"a=b", "  leading blanks"},
        {";not a comment", "trailing blank "},
        {"[not a section", "line\nbreak\r\tand tab"},
        {" padded ", "back\\slash \\x41 not an escape"},
        {"quoted", "\"in quotes\""},
        {"broken", "\xFF\xC3 not UTF-8"},
        {"nul", std::string("a\0b", 3)},
        {"empty", ""},
        {"\xC3\xA7", "\xC3\xA7\xF0\x9F\x8E\xB9"},
    };
    {
        SettingsHive hive(file);
        for (const auto& [name, text] : cases) {
            ASSERT_TRUE(hive.WriteString("Software\\Kestrow_Ostrel\\Kestrow\\PROFILES", name, text))
                << name;
        }
    }
    SettingsHive again(file);
    std::vector<std::string> expectedNames;
    for (const auto& [name, text] : cases) {
        EXPECT_EQ(again.ReadString("software\\kestrow_ostrel\\kestrow\\profiles", name), text)
            << name;
        expectedNames.push_back(name);
    }
    EXPECT_EQ(again.ValueNames("Software\\Kestrow_Ostrel\\Kestrow\\PROFILES"), expectedNames);
}

TEST(SettingsHive, NamesIgnoreLetterCaseAndKeepTheirFirstSpelling) {
    TempDir dir;
    SettingsHive hive(dir / "registry.ini");
    ASSERT_TRUE(hive.WriteDword(kApp, "Flip", 1));
    ASSERT_TRUE(hive.WriteString("SOFTWARE\\HALVEX  KB01", "FLIP", "now text"));
    EXPECT_EQ(hive.TypeOf(kApp, "flip"), HiveValueType::String);
    EXPECT_EQ(hive.ValueNames("software\\halvex  kb01"), std::vector<std::string>{"Flip"});
    EXPECT_EQ(ReadFileBytes(hive.File()).find("SOFTWARE"), std::string::npos);
}

TEST(SettingsHive, KeysAndDeletion) {
    TempDir dir;
    SettingsHive hive(dir / "registry.ini");
    ASSERT_TRUE(hive.CreateKey(kApp));
    EXPECT_NE(ReadFileBytes(hive.File()).find("[Software\\Halvex  KB01]"), std::string::npos);
    EXPECT_TRUE(hive.ValueNames(kApp).empty());

    ASSERT_TRUE(hive.WriteDword(kApp, "A", 1));
    ASSERT_TRUE(hive.WriteDword(kApp, "B", 2));
    ASSERT_TRUE(hive.WriteDword(kApp, "C", 3));
    EXPECT_TRUE(hive.DeleteValue(kApp, "b"));
    EXPECT_FALSE(hive.DeleteValue(kApp, "B"));
    EXPECT_FALSE(hive.DeleteValue("Software\\None", "A"));
    EXPECT_EQ(hive.ValueNames(kApp), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(SettingsHive(hive.File()).ValueNames(kApp), (std::vector<std::string>{"A", "C"}));

    // Paths the file cannot hold are refused rather than kept half-way.
    EXPECT_FALSE(hive.CreateKey(""));
    EXPECT_FALSE(hive.WriteDword("Bad]Path", "A", 1));
    EXPECT_FALSE(hive.WriteDword(" Padded", "A", 1));
    EXPECT_EQ(hive.TypeOf("Bad]Path", "A"), HiveValueType::Missing);
}

TEST(SettingsHive, AHandEditedFileIsReadForgivinglyAndUnknownValuesSurviveAWrite) {
    TempDir dir;
    const auto file = dir.write("registry.ini", "[Software\\Halvex  KB01]\n"
                                                "dwLanguageId=dword:416\n"
                                                "DWLANGUAGEID=dword:409\n"
                                                "Upper=DWORD:1\n"
                                                "TooLong=dword:123456789\n"
                                                "Signed=dword:-1\n"
                                                "Blob=hex:01,02\n"
                                                "[software\\halvex  kb01]\n"
                                                "Later=dword:1\n");
    SettingsHive hive(file);
    EXPECT_EQ(hive.ReadDword(kApp, "dwLanguageId"), 0x416u); // the first one counts
    EXPECT_EQ(hive.TypeOf(kApp, "Upper"), HiveValueType::Missing);
    EXPECT_EQ(hive.TypeOf(kApp, "TooLong"), HiveValueType::Missing);
    EXPECT_EQ(hive.TypeOf(kApp, "Signed"), HiveValueType::Missing);
    EXPECT_EQ(hive.TypeOf(kApp, "Blob"), HiveValueType::Missing);
    EXPECT_EQ(hive.ReadDword(kApp, "Later"), 1u); // a repeated section adds to the key

    ASSERT_TRUE(hive.WriteDword(kApp, "New", 7));
    const std::string text = ReadFileBytes(file);
    EXPECT_NE(text.find("\nBlob=hex:01,02\n"), std::string::npos);
    EXPECT_NE(text.find("\nNew=dword:00000007\n"), std::string::npos);
}

TEST(SettingsHive, WritesOfAnotherHiveOnTheSameFileAreSeenAndKept) {
    TempDir dir;
    SettingsHive first(dir / "registry.ini");
    SettingsHive second(dir / "registry.ini");
    ASSERT_TRUE(first.WriteDword(kApp, "A", 1));
    EXPECT_EQ(second.ReadDword(kApp, "A"), 1u);
    ASSERT_TRUE(second.WriteDword(kApp, "B", 2));
    ASSERT_TRUE(first.WriteDword(kApp, "A", 10));
    EXPECT_EQ(first.ReadDword(kApp, "B"), 2u);
    EXPECT_EQ(SettingsHive(dir / "registry.ini").ReadDword(kApp, "A"), 10u);
    EXPECT_EQ(SettingsHive(dir / "registry.ini").ReadDword(kApp, "B"), 2u);
}

TEST(SettingsHive, AnUnwritablePlaceKeepsValuesForThisRunOnly) {
    TempDir dir;
    // A file where the folder should be stops every writer, root included.
    dir.write("blocked", "not a folder");
    const auto file = dir / "blocked" / "registry.ini";
    SettingsHive hive(file);
    EXPECT_FALSE(hive.CreateKey(kApp));
    EXPECT_FALSE(hive.WriteDword(kApp, "dwLanguageId", 0x0416));
    EXPECT_FALSE(hive.WriteString(kApp, "Name", "kept"));
    EXPECT_EQ(hive.ReadDword(kApp, "dwLanguageId"), 0x0416u);
    EXPECT_EQ(hive.ReadString(kApp, "Name"), "kept");
    EXPECT_FALSE(hive.DeleteValue(kApp, "Name"));
    EXPECT_EQ(hive.TypeOf(kApp, "Name"), HiveValueType::Missing);
    EXPECT_EQ(SettingsHive(file).TypeOf(kApp, "dwLanguageId"), HiveValueType::Missing);

    // Once the place can be written, the next write takes the kept values along.
    std::filesystem::remove(dir / "blocked");
    ASSERT_TRUE(hive.WriteDword(kApp, "Other", 1));
    EXPECT_EQ(SettingsHive(file).ReadDword(kApp, "dwLanguageId"), 0x0416u);
    EXPECT_EQ(SettingsHive(file).TypeOf(kApp, "Name"), HiveValueType::Missing);
}

TEST(SettingsHive, AReadOnlyFolderKeepsValuesInMemory) {
    TempDir dir;
    const auto folder = dir / "readonly";
    std::filesystem::create_directories(folder);
    chmod(folder.c_str(), 0555);
    if (!FolderRefusesWrites(folder)) {
        GTEST_SKIP() << "running with permission to write any folder";
    }
    SettingsHive hive(folder / "registry.ini");
    EXPECT_FALSE(hive.WriteDword(kApp, "dwLanguageId", 0x0409));
    EXPECT_EQ(hive.ReadDword(kApp, "dwLanguageId"), 0x0409u);
    EXPECT_FALSE(std::filesystem::exists(folder / "registry.ini"));
}
