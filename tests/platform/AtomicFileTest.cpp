// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(AtomicFile, CreatesAndReplacesWholeFiles) {
    TempDir dir;
    const auto file = dir / "settings.ini";
    ASSERT_TRUE(WriteFileAtomically(file, "first"));
    EXPECT_EQ(ReadFileBytes(file), "first");
    ASSERT_TRUE(WriteFileAtomically(file, std::string("\0binary\0", 8)));
    EXPECT_EQ(ReadFileBytes(file), std::string("\0binary\0", 8));

    std::string back;
    ASSERT_TRUE(ReadWholeFile(file, back));
    EXPECT_EQ(back.size(), 8u);
    EXPECT_FALSE(ReadWholeFile(dir / "missing", back));
}

TEST(AtomicFile, KeepsTheModeOfTheReplacedFile) {
    TempDir dir;
    const auto file = dir.write("private.ini", "old");
    chmod(file.c_str(), 0600);
    ASSERT_TRUE(WriteFileAtomically(file, "new"));
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(AtomicFile, AWriteThatFailsHalfWayLeavesThePreviousFileAndNoTemporary) {
    TempDir dir;
    const auto file = dir.write("profile.fwc", "previous contents");
    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(WriteFileAtomically(file, std::string(5000, 'x')));
    }
    EXPECT_EQ(ReadFileBytes(file), "previous contents");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(AtomicFile, AMissingFolderIsAFailureNotACrash) {
    TempDir dir;
    EXPECT_FALSE(WriteFileAtomically(dir / "no" / "such" / "file", "x"));
}

TEST(AtomicFile, AFolderIsNoFileToRead) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    std::string bytes = "kept";
    EXPECT_FALSE(ReadWholeFile(dir / "folder", bytes));
    EXPECT_FALSE(ReadWholeFile(dir / "missing", bytes));
    dir.write("file", "abc");
    ASSERT_TRUE(ReadWholeFile(dir / "file", bytes));
    EXPECT_EQ(bytes, "abc");
}

TEST(AtomicFile, OnlyTemporariesThatNoWriterHoldsAreRemoved) {
    TempDir dir;
    const auto target = dir.write("$Profile0", "current");
    const auto stale = dir.write(".$Profile0.a1B2c3", "half a file");
    const auto held = dir.write(".$Profile0.zzzzzz", "being written");
    // Names that only look alike, and another file's temporary.
    for (const char* name : {".$Profile0.abc", ".$Profile0.abcdefg", "$Profile0.abcdef",
                             ".$Profile1.abcdef", ".wskb.ini.abcdef"}) {
        dir.write(name, "not ours to remove");
    }
    std::filesystem::create_directory(dir / ".$Profile0.folder");
    std::filesystem::create_symlink(target, dir / ".$Profile0.linked");

    const int writer = open(held.c_str(), O_RDONLY);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(flock(writer, LOCK_EX), 0);
    EXPECT_EQ(RemoveStaleTemporaries(target), 1);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(held)) << "its writer is still at work";
    close(writer);
    EXPECT_EQ(RemoveStaleTemporaries(target), 1) << "now its writer has gone";

    int left = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) {
        ++left;
    }
    EXPECT_EQ(left, 1 + 5 + 2);
    EXPECT_EQ(ReadFileBytes(target), "current");
    EXPECT_EQ(RemoveStaleTemporaries(dir / "missing" / "file"), 0);
}
