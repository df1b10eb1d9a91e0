// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProfileString.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Read(const std::filesystem::path& file, std::string_view section,
                 std::string_view key, size_t capacity = 260) {
    return GetPrivateProfileString(section, key, "<default>", file, capacity);
}

// UTF-16LE bytes with a byte-order mark, for ASCII text.
std::string Utf16LeFile(std::string_view ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

int FilesIn(const std::filesystem::path& folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

} // namespace

TEST(ProfileStringRead, NamesIgnoreLetterCaseAndBlanksAroundThem) {
    TempDir dir;
    const auto file = dir.write("Main.ini", "[ButtonInfo]\n"
                                            "  Control_OK =  12,40,60,20  \n"
                                            "\tfunc_g1\t=\tx\t\n"
                                            "[ SCREEN ]\n"
                                            "Main=main.jpg\n");
    EXPECT_EQ(Read(file, "BUTTONINFO", "CONTROL_OK"), "12,40,60,20");
    EXPECT_EQ(Read(file, "buttoninfo", "control_ok"), "12,40,60,20");
    EXPECT_EQ(Read(file, "BUTTONINFO", "FUNC_G1"), "x");
    EXPECT_EQ(Read(file, "screen", "MAIN"), "main.jpg");
    // Keys belong to their own section only.
    EXPECT_EQ(Read(file, "SCREEN", "CONTROL_OK"), "<default>");
}

TEST(ProfileStringRead, MissingFileSectionOrKeyGiveTheDefaultAndAnEmptyValueGivesEmpty) {
    TempDir dir;
    const auto file = dir.write("Lang0416.ini", "[TEXT]\nEMPTY=\nBLANKS=   \nSET=yes\n");
    EXPECT_EQ(Read(dir / "absent.ini", "TEXT", "SET"), "<default>");
    EXPECT_EQ(Read(file, "LIGHT", "SET"), "<default>");
    EXPECT_EQ(Read(file, "TEXT", "OTHER"), "<default>");
    EXPECT_EQ(Read(file, "TEXT", "EMPTY"), "");
    EXPECT_EQ(Read(file, "TEXT", "BLANKS"), "");
    // Windows cuts trailing blanks off the default, and only those.
    EXPECT_EQ(GetPrivateProfileString("TEXT", "OTHER", "  a b  ", file), "  a b");
    EXPECT_EQ(GetPrivateProfileString("TEXT", "OTHER", "", file), "");
}

TEST(ProfileStringRead, FirstSectionAndFirstKeyWinAndOddLinesAreIgnored) {
    TempDir dir;
    const auto file = dir.write("odd.ini", "orphan=before any section\n"
                                           "[A]\n"
                                           "no equals sign here\n"
                                           "; K=commented out\n"
                                           "=no key\n"
                                           "[broken header\n"
                                           "K=first\n"
                                           "k=second\n"
                                           "E=a=b\n"
                                           "[B] trailing words\n"
                                           "K=in b\n"
                                           "[a]\n"
                                           "K=later a\n"
                                           "L=only in the later a\n");
    EXPECT_EQ(Read(file, "A", "K"), "first");
    EXPECT_EQ(Read(file, "A", "E"), "a=b");
    EXPECT_EQ(Read(file, "B", "K"), "in b");
    EXPECT_EQ(Read(file, "A", "L"), "<default>");
    EXPECT_EQ(Read(file, "A", "no equals sign here"), "<default>");
    EXPECT_EQ(Read(file, "A", "; K"), "<default>");
    EXPECT_EQ(Read(file, "", "orphan"), "<default>");
}

TEST(ProfileStringRead, AMatchingPairOfQuotesIsRemoved) {
    TempDir dir;
    const auto file = dir.write("q.ini", "[S]\nD=\"  padded  \"\nS='single'\nM=\"mixed'\n"
                                         "One=\"\nInner=say \"hi\" now\n");
    EXPECT_EQ(Read(file, "S", "D"), "  padded  ");
    EXPECT_EQ(Read(file, "S", "S"), "single");
    EXPECT_EQ(Read(file, "S", "M"), "\"mixed'");
    EXPECT_EQ(Read(file, "S", "One"), "\"");
    EXPECT_EQ(Read(file, "S", "Inner"), "say \"hi\" now");
}

TEST(ProfileStringRead, ValuesAreCutToTheBufferLessItsTerminator) {
    TempDir dir;
    const std::string longText(300, 'a');
    // "é" is one unit, the emoji two.
    const auto file = dir.write("t.ini", "[T]\nLONG=" + longText + "\nWIDE=\xC3\xA9\xF0\x9F\x8E\xB9z\n");
    EXPECT_EQ(Read(file, "T", "LONG"), std::string(259, 'a'));
    EXPECT_EQ(Read(file, "T", "LONG", 2048), longText);
    EXPECT_EQ(Read(file, "T", "WIDE", 5), "\xC3\xA9\xF0\x9F\x8E\xB9z");
    EXPECT_EQ(Read(file, "T", "WIDE", 4), "\xC3\xA9\xF0\x9F\x8E\xB9");
    EXPECT_EQ(Read(file, "T", "WIDE", 3), "\xC3\xA9"); // the pair is never split
    EXPECT_EQ(Read(file, "T", "WIDE", 1), "");
    EXPECT_EQ(Read(file, "T", "WIDE", 0), "");
    EXPECT_EQ(GetPrivateProfileString("T", "NONE", "1,1,1,1,x", file, 4), "1,1");
}

TEST(ProfileStringRead, ReadsUtf8WithOrWithoutMarkUtf16AndWindows1252) {
    TempDir dir;
    const auto plain = dir.write("plain.ini", "[TEXT]\nHELLO=Ol\xC3\xA1\n");
    const auto marked = dir.write("marked.ini", "\xEF\xBB\xBF[TEXT]\r\nHELLO=Ol\xC3\xA1\r\n");
    std::string le = Utf16LeFile("[TEXT]\r\nHELLO=Ol");
    le += "\xE1";
    le += '\0';
    le += std::string("\r\0\n\0", 4);
    const auto utf16le = dir.write("le.ini", le);
    std::string be = "\xFE\xFF";
    for (const char c : std::string_view("[T]\nK=\xE1")) {
        be += '\0';
        be += c;
    }
    const auto utf16be = dir.write("be.ini", be);
    const auto ansi = dir.write("ansi.ini", "[TEXT]\nHELLO=Ol\xE1 \x80\n");

    EXPECT_EQ(Read(plain, "TEXT", "HELLO"), "Ol\xC3\xA1");
    EXPECT_EQ(Read(marked, "text", "hello"), "Ol\xC3\xA1");
    EXPECT_EQ(Read(utf16le, "TEXT", "HELLO"), "Ol\xC3\xA1");
    EXPECT_EQ(Read(utf16be, "T", "K"), "\xC3\xA1");
    EXPECT_EQ(Read(ansi, "TEXT", "HELLO"), "Ol\xC3\xA1 \xE2\x82\xAC"); // 0x80 is the euro sign
}

TEST(ProfileStringRead, GarbageNeverCrashesAndGivesTheDefault) {
    TempDir dir;
    const std::string inputs[] = {
        std::string("\0\0\0\0", 4), "[", "]", "=", "[]\n=\n", "\r\r\r", "\xFF\xFE\x5B",
        std::string("\xFF\xFE\x00\xD8[\x00", 6), // unpaired surrogate
        std::string("[S]\nK=a\0b\n", 10),
    };
    for (const std::string& bytes : inputs) {
        const auto file = dir.write("g.ini", bytes);
        EXPECT_EQ(Read(file, "X", "K"), "<default>");
    }
    // A NUL ends the value as it would end a C buffer.
    EXPECT_EQ(Read(dir / "g.ini", "S", "K"), "a");
}

TEST(ProfileStringWrite, CreatesTheFileAndTheSectionButNotTheFolder) {
    TempDir dir;
    const auto file = dir / "wskb.ini";
    ASSERT_TRUE(WritePrivateProfileString("KEYCOLOR", "DengCheck", "1", file));
    EXPECT_EQ(ReadFileBytes(file), "[KEYCOLOR]\nDengCheck=1\n");
    ASSERT_TRUE(WritePrivateProfileString("Other", "A", "b", file));
    EXPECT_EQ(ReadFileBytes(file), "[KEYCOLOR]\nDengCheck=1\n\n[Other]\nA=b\n");
    EXPECT_EQ(Read(file, "keycolor", "dengcheck"), "1");

    EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", dir / "no-folder" / "x.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir / "no-folder"));
}

TEST(ProfileStringWrite, KeepsEveryOtherLineAndTheFilesLineEnds) {
    TempDir dir;
    const auto file = dir.write("keep.ini", "\xEF\xBB\xBF; made by hand\r\n"
                                            "[First]\r\n"
                                            "  Alpha = 1   ; not a comment\r\n"
                                            "Beta=2\r\n"
                                            "\r\n"
                                            "[Second]\r\n"
                                            "Gamma=3\r\n");
    ASSERT_TRUE(WritePrivateProfileString("FIRST", "beta", "20", file));
    ASSERT_TRUE(WritePrivateProfileString("first", "Delta", "4", file));
    ASSERT_TRUE(WritePrivateProfileString("Second", "Epsilon", "5", file));
    EXPECT_EQ(ReadFileBytes(file), "\xEF\xBB\xBF; made by hand\r\n"
                                   "[First]\r\n"
                                   "  Alpha = 1   ; not a comment\r\n"
                                   "Beta=20\r\n" // the file's spelling of the key stays
                                   "Delta=4\r\n"
                                   "\r\n"
                                   "[Second]\r\n"
                                   "Gamma=3\r\n"
                                   "Epsilon=5\r\n");
}

TEST(ProfileStringWrite, NulloptRemovesTheKeyAndNothingElse) {
    TempDir dir;
    const auto file = dir.write("del.ini", "[A]\nK=1\nL=2\nk=dup\n[B]\nK=3\n");
    ASSERT_TRUE(WritePrivateProfileString("a", "K", std::nullopt, file));
    EXPECT_EQ(ReadFileBytes(file), "[A]\nL=2\n[B]\nK=3\n");
    EXPECT_EQ(Read(file, "A", "K"), "<default>"); // a duplicate does not come back to light

    // Removing what is not there succeeds and creates nothing.
    EXPECT_TRUE(WritePrivateProfileString("A", "none", std::nullopt, file));
    EXPECT_TRUE(WritePrivateProfileString("C", "K", std::nullopt, file));
    EXPECT_EQ(ReadFileBytes(file), "[A]\nL=2\n[B]\nK=3\n");
    EXPECT_TRUE(WritePrivateProfileString("A", "K", std::nullopt, dir / "absent.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir / "absent.ini"));
}

TEST(ProfileStringWrite, RefusesWhatWouldReadBackDifferently) {
    TempDir dir;
    const std::string original = "[S]\nK=v\n";
    const auto file = dir.write("refuse.ini", original);
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "two\nlines", file));
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "cr\r", file));
    EXPECT_FALSE(WritePrivateProfileString("S", "K=X", "v", file));
    EXPECT_FALSE(WritePrivateProfileString("S", "", "v", file));
    EXPECT_FALSE(WritePrivateProfileString("S", ";K", "v", file));
    EXPECT_FALSE(WritePrivateProfileString("S", " K", "v", file));
    EXPECT_FALSE(WritePrivateProfileString("S]", "K", "v", file));
    EXPECT_FALSE(WritePrivateProfileString("", "K", "v", file));
    EXPECT_FALSE(WritePrivateProfileString("S", "K", std::string_view("a\0b", 3), file));
    EXPECT_EQ(ReadFileBytes(file), original);
}

TEST(ProfileStringWrite, AUtf16FileIsRewrittenAsUtf8AndReadsTheSame) {
    TempDir dir;
    const auto file = dir.write("u16.ini", Utf16LeFile("[TEXT]\r\nA=1\r\nB=2\r\n"));
    ASSERT_TRUE(WritePrivateProfileString("TEXT", "B", "\xC3\xA7", file));
    EXPECT_EQ(ReadFileBytes(file), "[TEXT]\r\nA=1\r\nB=\xC3\xA7\r\n");
    EXPECT_EQ(Read(file, "TEXT", "A"), "1");
}

TEST(ProfileStringWrite, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    TempDir dir;
    const std::string original = "[S]\nK=old\n";
    const auto file = dir.write("full.ini", original);
    {
        FileSizeLimit limit(1024);
        EXPECT_FALSE(WritePrivateProfileString("S", "K", std::string(4096, 'n'), file));
    }
    EXPECT_EQ(ReadFileBytes(file), original);
    EXPECT_EQ(FilesIn(dir.path()), 1);
}

TEST(ProfileStringWrite, AFileThatCannotBeReadIsNotReplaced) {
    TempDir dir;
    const auto file = dir.write("locked.ini", "[S]\nK=secret\n");
    chmod(file.c_str(), 0);
    if (std::ifstream(file).good()) {
        chmod(file.c_str(), 0600);
        GTEST_SKIP() << "running with permission to read any file";
    }
    EXPECT_FALSE(WritePrivateProfileString("S", "L", "new", file));
    chmod(file.c_str(), 0600);
    EXPECT_EQ(ReadFileBytes(file), "[S]\nK=secret\n");
}
