// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UserFolders.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(UserFolders, XdgFoldersWithTheTwoBlankUserFolderName) {
    TempDir dir;
    const ScopedEnv data("XDG_DATA_HOME", (dir / "data").string());
    const ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").string());
    const ScopedEnv state("XDG_STATE_HOME", (dir / "state").string());
    EXPECT_EQ(LocalAppDataFolder(), dir / "data");
    EXPECT_EQ(UserDataFolder(), dir / "data" / "Halvex  KB01");
    EXPECT_EQ(UserConfigFolder(), dir / "config" / "Halvex  KB01");
    EXPECT_EQ(UserStateFolder(), dir / "state" / "kestrow");
    EXPECT_FALSE(std::filesystem::exists(UserDataFolder())); // nothing is created here
}

TEST(UserFolders, EmptyOrRelativeXdgValuesFallBackToTheHomeFolder) {
    TempDir dir;
    const ScopedEnv home("HOME", dir.path().string());
    for (const char* value : {"", "relative/data", "./data"}) {
        const ScopedEnv data("XDG_DATA_HOME", value);
        const ScopedEnv config("XDG_CONFIG_HOME", value);
        const ScopedEnv state("XDG_STATE_HOME", value);
        EXPECT_EQ(LocalAppDataFolder(), dir / ".local/share") << value;
        EXPECT_EQ(UserConfigFolder(), dir / ".config" / "Halvex  KB01") << value;
        EXPECT_EQ(UserStateFolder(), dir / ".local/state" / "kestrow") << value;
    }
    const ScopedEnv unset("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(UserDataFolder(), dir / ".local/share" / "Halvex  KB01");
}

TEST(UserFolders, ARelativeHomeIsNotTrustedEither) {
    const ScopedEnv home("HOME", "not/absolute");
    const ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    const auto folder = LocalAppDataFolder();
    // The password database answers instead; it never gives the current directory.
    if (!folder.empty()) {
        EXPECT_TRUE(folder.is_absolute()) << folder;
    }
}

TEST(UserFolders, ProgramFolderPrefersSkinsBesideTheProgramThenTheInstalledData) {
    TempDir dir;
    const auto exe = dir.write("prefix/bin/kestrow", "");
    EXPECT_EQ(ProgramFolderForExecutable(exe), dir / "prefix/bin"); // neither exists

    std::filesystem::create_directories(dir / "prefix/share/kestrow");
    EXPECT_EQ(ProgramFolderForExecutable(exe), dir / "prefix/share/kestrow");

    std::filesystem::create_directories(dir / "prefix/bin/Skins");
    EXPECT_EQ(ProgramFolderForExecutable(exe), dir / "prefix/bin");

    EXPECT_TRUE(ProgramFolderForExecutable({}).is_absolute());
}

TEST(UserFolders, ExecutablePathAndTheProgramFolderOverride) {
    const auto exe = ExecutablePath();
    ASSERT_TRUE(exe.is_absolute());
    EXPECT_EQ(exe.filename(), "platform_tests");
    EXPECT_TRUE(ProgramFolder().is_absolute());

    TempDir dir;
    SetProgramFolder(dir.path());
    EXPECT_EQ(ProgramFolder(), dir.path());
}
