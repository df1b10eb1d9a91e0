#include "platform/AtomicFile.h"

#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
