// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/CIniFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(CIniFile, WithoutAFileNothingIsReadOrWritten) {
    CIniFile ini;
    EXPECT_FALSE(ini.FilePath().has_value());
    EXPECT_EQ(ini.GetString("S", "K", "default"), std::nullopt);
    EXPECT_FALSE(ini.WriteString("S", "K", "v"));
}

TEST(CIniFile, EmptyResultsAreNull) {
    TempDir dir;
    const CIniFile ini(dir.write("wskb.ini", "[KEYCOLOR]\nDengCheck=1\nEmpty=\n").string());
    EXPECT_EQ(ini.GetString("keycolor", "dengcheck"), "1");
    EXPECT_EQ(ini.GetString("KEYCOLOR", "Empty", "ignored: the key is there"), std::nullopt);
    EXPECT_EQ(ini.GetString("KEYCOLOR", "Missing"), std::nullopt);
    EXPECT_EQ(ini.GetString("KEYCOLOR", "Missing", "0"), "0");
}

TEST(CIniFile, ValuesHoldAtMost2047UnitsAndPaths259) {
    TempDir dir;
    const CIniFile ini(dir.write("long.ini", "[S]\nK=" + std::string(3000, 'v') + "\n").string());
    EXPECT_EQ(ini.GetString("S", "K"), std::string(2047, 'v'));

    CIniFile longPath(std::string(300, 'p'));
    EXPECT_EQ(longPath.FilePath(), std::string(259, 'p'));
    longPath.SetFile("\xC3\xA7" + std::string(300, 'p')); // one unit for the cedilla
    EXPECT_EQ(longPath.FilePath(), "\xC3\xA7" + std::string(258, 'p'));
}

TEST(CIniFile, WritesThroughTheProfileFunctions) {
    TempDir dir;
    CIniFile ini((dir / "wskb.ini").string());
    ASSERT_TRUE(ini.WriteString("KEYCOLOR", "DengCheck", "1"));
    ASSERT_TRUE(ini.WriteString("keycolor", "DENGCHECK", "0"));
    EXPECT_EQ(ReadFileBytes(dir / "wskb.ini"), "[KEYCOLOR]\nDengCheck=0\n");
    ini.SetFile((dir / "missing-folder" / "x.ini").string());
    EXPECT_FALSE(ini.WriteString("S", "K", "v"));
}
