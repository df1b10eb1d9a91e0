// SPDX-License-Identifier: GPL-3.0-or-later
// The user's data folder and its first colour files.

#include "app/UserDataSeed.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class Seed : public testing::Test {
protected:
    fs::path Folder() const { return dir_ / "share" / "Halvex  KB01"; }
    fs::path File(int profile) const { return Folder() / UserColourFileName(profile); }

    TempDir dir_;
    // Bytes an INI reader might normalise: a byte-order mark, CR LF, a blank before "=".
    const std::string template_ = "\xEF\xBB\xBF[PRESENTMODE]\r\nmode =3\r\n[MODENAME]\r\n0=Ocean";
    const fs::path templateFile_ = dir_.write("Skins/UserDengColor_3.userd", template_);
};

} // namespace

TEST_F(Seed, FileNames) {
    EXPECT_EQ(UserColourFileName(0), "UserDengColor_0.userd");
    EXPECT_EQ(UserColourFileName(2), "UserDengColor_2.userd");
}

TEST_F(Seed, FirstRunMakesThreeExactCopiesAndLaterRunsKeepTheUsersFiles) {
    ASSERT_TRUE(SeedUserDataFolder(Folder(), templateFile_));
    for (int profile = 0; profile < 3; ++profile) {
        EXPECT_EQ(ReadFileBytes(File(profile)), template_) << profile;
    }
    EXPECT_FALSE(fs::exists(File(3)));
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Folder())) {
        ++files;
    }
    EXPECT_EQ(files, 3u); // no temporary files left behind

    dir_.write("share/Halvex  KB01/UserDengColor_1.userd", "[PRESENTMODE]\nmode=7\n");
    dir_.write("Skins/UserDengColor_3.userd", "a newer template");
    const auto before = fs::last_write_time(File(0));
    ASSERT_TRUE(SeedUserDataFolder(Folder(), templateFile_));
    EXPECT_EQ(ReadFileBytes(File(0)), template_);
    EXPECT_EQ(fs::last_write_time(File(0)), before);
    EXPECT_EQ(ReadFileBytes(File(1)), "[PRESENTMODE]\nmode=7\n");
}

TEST_F(Seed, AMissingFileIsMadeAgainInAnExistingFolder) {
    // A first run cut short after making the folder, or the user removed one file.
    fs::create_directories(Folder());
    dir_.write("share/Halvex  KB01/UserDengColor_0.userd", "mine");
    ASSERT_TRUE(SeedUserDataFolder(Folder(), templateFile_));
    EXPECT_EQ(ReadFileBytes(File(0)), "mine");
    EXPECT_EQ(ReadFileBytes(File(1)), template_);
    EXPECT_EQ(ReadFileBytes(File(2)), template_);
}

TEST_F(Seed, WithoutATemplateOrAFolderNothingIsMade) {
    EXPECT_FALSE(SeedUserDataFolder(Folder(), dir_ / "missing.userd"));
    EXPECT_TRUE(fs::is_directory(Folder()));
    EXPECT_FALSE(fs::exists(File(0)));

    // A file where the folder should be is left alone.
    const fs::path blocked = dir_.write("blocked", "x");
    EXPECT_FALSE(SeedUserDataFolder(blocked, templateFile_));
    EXPECT_EQ(ReadFileBytes(blocked), "x");

    // A dangling link in place of a colour file is the user's business, not overwritten.
    fs::create_symlink(dir_ / "nowhere", File(0));
    ASSERT_TRUE(SeedUserDataFolder(Folder(), templateFile_));
    EXPECT_TRUE(fs::is_symlink(File(0)));
    EXPECT_FALSE(fs::exists(dir_ / "nowhere"));
    EXPECT_EQ(ReadFileBytes(File(1)), template_);
}
