// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/ProfileFile.h"

#include "ModelTestSupport.h"
#include "model/ProfileFolder.h"
#include "support/FileSizeLimit.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct RecordingFileSink : FileMessageSink {
    std::vector<std::pair<std::string, std::filesystem::path>> shown;
    void ShowPathText(std::string_view key, const std::filesystem::path& path) override {
        shown.emplace_back(std::string(key), path);
    }
};

uint32_t U32(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

struct ProfileFile : ::testing::Test {
    TempDir dir;
    ProfileStore& store = WorkingStore();
    std::unique_lock<std::recursive_mutex> guard{store.lock};

    void SetUp() override {
        ClearWorkingStore();
        ASSERT_TRUE(MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore));
    }
    void TearDown() override { ClearWorkingStore(); }

    // A valid header over a file of the given body.
    std::string File(uint16_t count, uint32_t pool, uint8_t flag, size_t length) {
        std::string bytes(length, '\0');
        std::array<uint8_t, 32> header{};
        StampHeader(header, count, pool, flag);
        std::memcpy(bytes.data(), header.data(), 32);
        return bytes;
    }
    void Restamp(std::string& bytes) {
        bytes[31] = static_cast<char>(HeaderChecksum(
            std::span<const uint8_t, 32>(reinterpret_cast<const uint8_t*>(bytes.data()), 32)));
    }
};

TEST(ProfileHeader, ChecksumIsTheLowByteOfTheSum) {
    std::array<uint8_t, 32> header{};
    // 0x1234 = 18 x 0xFF + 0x46 ... spread over bytes 0..30.
    unsigned rest = 0x1234;
    for (size_t i = 0; i < 31 && rest > 0; ++i) {
        header[i] = static_cast<uint8_t>(std::min(rest, 0xFFu));
        rest -= header[i];
    }
    header[31] = 0x99; // not part of the sum
    EXPECT_EQ(HeaderChecksum(header), 0x34);

    StampHeader(header, 0x10002, 22, 1); // count taken as 16 bits
    EXPECT_EQ(header[14], 2);
    EXPECT_EQ(header[15], 0);
    EXPECT_EQ(U32(std::string(header.begin(), header.end()), 8), 0x8040u + 2 * 0x7F00u + 22);
    EXPECT_EQ(header[30], 1);
    EXPECT_TRUE(ProfileHeaderValid(header));
}

TEST_F(ProfileFile, EmptyStoreWritesExactlyTheBlock) {
    const auto path = dir / "empty.fwc";
    ASSERT_TRUE(WriteProfileFile(StoreLock::Take, path));
    const std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 32832u);
    EXPECT_EQ(U32(bytes, 8), 0x8040u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x46\x44\x20\x00\x03\x00\x01\x00", 8));
    EXPECT_EQ(std::memcmp(bytes.data() + 32, kProfileInfoBlock.data(), 32), 0);
    // G-key codes in area 0 only.
    EXPECT_EQ(static_cast<uint8_t>(bytes[64 + 256 * 16 + 2]), 0x01);
    EXPECT_EQ(static_cast<uint8_t>(bytes[64 + 256 * 16 + 3]), 0x03);
    EXPECT_EQ(static_cast<uint8_t>(bytes[64 + 273 * 16 + 3]), 0x13);
    EXPECT_EQ(bytes[64 + (512 + 256) * 16 + 2], 0);
    EXPECT_EQ(CheckProfileFile(path, nullptr), 1);
    // The same bytes through MakeDefaultStore to a file.
    ASSERT_TRUE(MakeDefaultStore(dir / "new.fwc", 0, DefaultStoreTarget::File));
    EXPECT_EQ(ReadFileBytes(dir / "new.fwc"), bytes);
}

TEST_F(ProfileFile, StringsArePackedInRecordOrderAndReadBack) {
    store.block->Record(0, 0x30) = {AssignmentType::kProgram, 0, 999};
    store.block->Record(1, 0x10) = {AssignmentType::kText, 0, 5};
    store.strings.Set(0x30, std::u16string(10, u'p'));
    store.strings.Set(512 + 0x10, std::u16string(20, u't'));
    // A string of a record that is no program or text is not packed; its bytes stay zero.
    store.strings.Set(7, u"xy");
    MacroRecord macro;
    macro.id = 3;
    SetMacroName(macro, std::string_view("M"));
    macro.stepCount = 2;
    macro.steps[1] = {120, 0x01E, 1};
    store.macros.push_back(macro);

    const auto path = dir / "strings.fwc";
    ASSERT_TRUE(WriteProfileFile(StoreLock::HeldByCaller, path));
    const std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 0x8040u + 0x7F00u + 22 + 42 + 6);
    EXPECT_EQ(U32(bytes, 16), 70u);
    EXPECT_EQ(store.block->Record(0, 0x30).value, 0u);
    EXPECT_EQ(store.block->Record(1, 0x10).value, 22u);
    const size_t pool = 0x8040 + 0x7F00;
    EXPECT_EQ(bytes.substr(pool, 2), std::string("p\0", 2));
    EXPECT_EQ(bytes.substr(pool + 20, 2), std::string(2, '\0'));
    EXPECT_EQ(bytes.substr(pool + 22, 2), std::string("t\0", 2));
    EXPECT_EQ(bytes.substr(pool + 64), std::string(6, '\0'));

    ClearWorkingStore();
    ASSERT_TRUE(LoadProfileFile(path));
    ASSERT_TRUE(store.block);
    EXPECT_EQ(store.strings.entries[0x30].text, std::u16string(10, u'p'));
    EXPECT_EQ(store.strings.entries[512 + 0x10].size, 42u);
    EXPECT_EQ(store.strings.entries[7].size, 0u);
    EXPECT_EQ(store.strings.totalBytes, 64u);
    ASSERT_EQ(store.macros.size(), 1u);
    EXPECT_EQ(store.macros[0].steps[1], macro.steps[1]);
    EXPECT_EQ(MacroNameUtf8(store.macros[0]), "M");
    // Saving what was loaded gives the same bytes but for the pool of the dropped string.
    ASSERT_TRUE(WriteProfileFile(StoreLock::Take, dir / "again.fwc"));
    const std::string again = ReadFileBytes(dir / "again.fwc");
    EXPECT_EQ(again.substr(64, 0x8040 + 0x7F00 + 64 - 64), bytes.substr(64, 0x8040 + 0x7F00));
}

TEST_F(ProfileFile, CheckFollowsTheHeaderRules) {
    RecordingFileSink sink;
    auto check = [&](const std::string& name, const std::string& bytes) {
        return CheckProfileFile(dir.write(name, bytes), &sink);
    };
    EXPECT_EQ(check("flag1", File(0, 0, 1, 0x8040)), 1);
    EXPECT_EQ(check("flag2", File(0, 0, 2, 0x8040)), 0);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].first, "PROFILE_FORMAT_ERROR");
    EXPECT_EQ(sink.shown[0].second, dir / "flag2");
    EXPECT_EQ(check("count101", File(101, 0, 0, 0x8040)), 0);
    // Consistent size field, but the file holds fewer bytes than it says: still passes.
    EXPECT_EQ(check("short", File(2, 10, 0, 0x8040)), 1);
    EXPECT_EQ(check("small", File(0, 0, 0, 0x803F)), 0);
    std::string bytes = File(0, 0, 0, 0x8040);
    bytes[8] = 0x41; // size field inconsistent
    Restamp(bytes);
    EXPECT_EQ(check("size", bytes), 0);
    bytes = File(0, 0, 0, 0x8040);
    bytes[4] = 4;
    Restamp(bytes);
    EXPECT_EQ(check("fixed", bytes), 0);
    bytes = File(0, 0, 0, 0x8040);
    bytes[31] ^= 1;
    EXPECT_EQ(check("checksum", bytes), 0);
    EXPECT_EQ(sink.shown.size(), 5u);
    EXPECT_EQ(CheckProfileFile(dir / "missing", &sink), 0);
    EXPECT_EQ(sink.shown.size(), 5u); // a missing or small file is not reported
    // A backup kept read-only checks and loads; one that cannot be read at all cannot be opened.
    const auto readOnly = dir.write("readonly", File(0, 0, 0, 0x8040));
    chmod(readOnly.c_str(), 0444);
    EXPECT_EQ(CheckProfileFile(readOnly, &sink), 1);
    EXPECT_TRUE(LoadProfileFile(readOnly));
    if (geteuid() != 0) {
        const auto unreadable = dir.write("unreadable", File(0, 0, 0, 0x8040));
        chmod(unreadable.c_str(), 0);
        EXPECT_EQ(CheckProfileFile(unreadable, &sink), -2);
    }
}

TEST_F(ProfileFile, SizeFieldThatOnlyMatchesAfterWrappingIsRejected) {
    // One macro and a pool of 0xFFFFFFFF bytes: the true sum is above 4 GiB; cut to 32 bits
    // it would be 0xFF3F, which a size field can hold.
    std::string bytes = File(1, 0, 0, 0x8040 + 0x7F00);
    const uint32_t pool = 0xFFFFFFFFu;
    const uint32_t wrapped = 0x8040u + 0x7F00u + pool;
    std::memcpy(bytes.data() + 16, &pool, 4);
    std::memcpy(bytes.data() + 8, &wrapped, 4);
    Restamp(bytes);
    const auto* header = reinterpret_cast<const uint8_t*>(bytes.data());
    EXPECT_FALSE(ProfileHeaderValid(std::span<const uint8_t, 32>(header, 32)));
    RecordingFileSink sink;
    EXPECT_EQ(CheckProfileFile(dir.write("wrapped", bytes), &sink), 0);
    EXPECT_EQ(sink.shown.size(), 1u);
}

TEST_F(ProfileFile, LoadRefusesTruncatedFilesAndKeepsTheStore) {
    store.block->Record(0, 1).type = AssignmentType::kDisabled;
    const auto path = dir.write("short", File(2, 10, 0, 0x8040 + 0x7F00));
    EXPECT_FALSE(LoadProfileFile(path));
    ASSERT_TRUE(store.block);
    EXPECT_EQ(store.block->Record(0, 1).type, AssignmentType::kDisabled);
    EXPECT_FALSE(LoadProfileFile(dir / "missing"));
    EXPECT_FALSE(LoadProfileFile(dir.write("tiny", "abc")));
    // More than 100 macros would not fit any list.
    std::string many = File(0, 0, 0, 0x8040);
    many[14] = 101;
    EXPECT_FALSE(LoadProfileFile(dir.write("many", many)));
    EXPECT_EQ(store.block->Record(0, 1).type, AssignmentType::kDisabled);
}

TEST_F(ProfileFile, StringsAreReadOnlyFromInsideThePool) {
    std::string bytes = File(0, 8, 0, 0x8040 + 8);
    auto setRecord = [&](int index, uint16_t type, uint32_t value) {
        KeyAssignment r{type, 0, value};
        std::memcpy(bytes.data() + 64 + 16 * index, &r, 16);
    };
    setRecord(1, AssignmentType::kProgram, 2); // "bc" then the pool ends: cut there
    setRecord(2, AssignmentType::kText, 7);    // odd offset: taken as 6
    setRecord(3, AssignmentType::kProgram, 8); // at the pool's end: no string
    setRecord(4, AssignmentType::kText, 0xFFFFFFF0u);
    setRecord(5, AssignmentType::kKey, 0); // not a string record
    const char16_t pool[4] = {u'a', u'b', u'c', u'd'};
    std::memcpy(bytes.data() + 0x8040, pool, 8);
    bytes += std::string("\x65\x00\x66\x00", 4); // after the pool: not part of any string
    ASSERT_TRUE(LoadProfileFile(dir.write("pool", bytes)));
    EXPECT_EQ(store.strings.entries[1].text, u"bcd");
    EXPECT_EQ(store.strings.entries[2].text, u"d");
    EXPECT_EQ(store.strings.entries[3].size, 0u);
    EXPECT_EQ(store.strings.entries[4].size, 0u);
    EXPECT_EQ(store.strings.entries[5].size, 0u);
    EXPECT_EQ(store.strings.totalBytes, 8u + 4u);
}

TEST_F(ProfileFile, AWriteThatFailsHalfWayLeavesThePreviousFile) {
    const auto path = dir / "backup.fwc";
    ASSERT_TRUE(WriteProfileFile(StoreLock::Take, path));
    const std::string before = ReadFileBytes(path);
    for (int i = 0; i < 3; ++i) {
        MacroRecord m;
        m.id = static_cast<uint16_t>(i + 1);
        store.macros.push_back(m);
    }
    {
        FileSizeLimit limit(50000); // the new file would be 130 KB
        EXPECT_FALSE(WriteProfileFile(StoreLock::Take, path));
    }
    EXPECT_EQ(ReadFileBytes(path), before);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"backup.fwc"}); // no temporary left behind
    EXPECT_TRUE(WriteProfileFile(StoreLock::Take, path));
    EXPECT_EQ(ReadFileBytes(path).size(), 0x8040u + 3 * 0x7F00u);
}

TEST_F(ProfileFile, WithoutABlockNothingIsWritten) {
    ClearWorkingStore();
    EXPECT_FALSE(WriteProfileFile(StoreLock::Take, dir / "none"));
    EXPECT_FALSE(std::filesystem::exists(dir / "none"));
}

TEST(ProfileFolder, FirstRunCreatesTheFolderWithColourFiles) {
    const auto folder = ModelEnvironment::UserFolder();
    std::filesystem::remove_all(folder);
    EXPECT_EQ(ProfilePath(2), folder / "$Profile2");
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(ReadFileBytes(folder / ("UserDengColor_" + std::to_string(n) + ".userd")),
                  std::string("colour\0template", 15));
    }
    // A second run leaves what is there alone.
    std::filesystem::remove(folder / "UserDengColor_1.userd");
    { std::ofstream(folder / "UserDengColor_0.userd") << "mine"; }
    EXPECT_TRUE(EnsureProfileFolder());
    EXPECT_EQ(ReadFileBytes(folder / "UserDengColor_0.userd"), "mine");
    EXPECT_FALSE(std::filesystem::exists(folder / "UserDengColor_1.userd"));
}

} // namespace
