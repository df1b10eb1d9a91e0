// SPDX-License-Identifier: GPL-3.0-or-later
// kestrowctl key, keys, macro, new and diff end to end: the built program against a simulated
// keyboard kept in a state file, and against backup files with no keyboard at all.

#include "mainwindow/KeyMapTables.h"
#include "model/KeyNames.h"
#include "support/KestrowctlFixture.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;

constexpr uint8_t kWriteKeyTable = 8;
constexpr uint8_t kWriteMacroArea = 10;
constexpr uint8_t kWriteInfoBlock = 4;
constexpr size_t kTableLength = kSimModel5004.keyTableLength;

class KeysAndMacros : public KestrowctlFixture {
protected:
    fs::path file = home / "mine.fwc";

    void SetUp() override {
        SimKeyboardMemory memory = FactorySimKeyboardMemory(kSimModel5004);
        memory.infoBlock[10] = 1; // profile 1 active, so that "active" is not just the first
        ASSERT_EQ(SaveSimStateFile(state, memory), SimStateError::None);
    }
    // The factory position holding these bytes, -1 when none does.
    static int Position(std::array<uint8_t, 3> slot) {
        const std::vector<uint8_t> factory = SimFactoryKeyTable(kSimModel5004);
        for (size_t p = 0; 3 * p + 2 < factory.size(); ++p) {
            if (std::equal(slot.begin(), slot.end(), factory.begin() + 3 * p)) {
                return static_cast<int>(p);
            }
        }
        return -1;
    }
    static std::array<uint8_t, 3> Slot(const SimKeyboardMemory& m, int profile, int position) {
        const size_t at = profile * kTableLength + 3 * static_cast<size_t>(position);
        return {m.keyTables[at], m.keyTables[at + 1], m.keyTables[at + 2]};
    }
    static std::vector<uint8_t> Table(const SimKeyboardMemory& m, int profile) {
        const auto start = m.keyTables.begin() + static_cast<long>(profile * kTableLength);
        return {start, start + static_cast<long>(kTableLength)};
    }
    // A backup of the keyboard, listed.
    std::string Backup() {
        const fs::path backup = home / "backup.fwc";
        EXPECT_EQ(Ctl({"backup", backup.string()}).exitCode, 0);
        return Tool({"dump", backup.string()}).out;
    }
};

int CountWrites(const std::string& err) {
    int writes = 0;
    for (const TracedFrame& f : TracedFrames(err)) {
        const uint8_t command = f.bytes[3];
        writes += f.direction == '>' && (command == kWriteKeyTable || command == kWriteMacroArea ||
                                         command == kWriteInfoBlock);
    }
    return writes;
}

TEST_F(KeysAndMacros, KeysGoToTheActiveProfileOrTheOneNamed) {
    CtlRun run = Ctl({"key", "A=B"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string listing = Backup();
    EXPECT_NE(listing.find("Profile 1:\n  A: key B\n"), std::string::npos) << listing;
    EXPECT_EQ(Ctl({"key", "a"}).out, "A=B\n");

    const SimKeyboardMemory before = Memory();
    run = Ctl({"--trace", "key", "--profile", "2", "F1=media:Mute", "kp7=disabled"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const SimKeyboardMemory after = Memory();
    EXPECT_EQ(Table(after, 0), Table(before, 0));
    EXPECT_EQ(Table(after, 1), Table(before, 1));
    EXPECT_EQ(Slot(after, 2, Position({2, 2, 0x3A})), (std::array<uint8_t, 3>{3, 0xE2, 0}));
    EXPECT_EQ(Slot(after, 2, Position({2, 2, 0x5F})), (std::array<uint8_t, 3>{0, 0, 0}));
    for (const TracedFrame& f : TracedFrames(run.err)) {
        if (f.direction == '>' && f.bytes[3] == kWriteKeyTable) {
            EXPECT_GE(f.bytes[5] | f.bytes[6] << 8, static_cast<int>(2 * kTableLength));
        }
    }
    EXPECT_EQ(Ctl({"key", "--profile", "2"}).out, "F1=media:Mute\nKP7=disabled\n");
    EXPECT_EQ(Ctl({"--json", "key", "--profile", "2", "F1"}).out,
              "{\"profile\":2,\"keys\":[{\"key\":\"F1\",\"target\":\"media:Mute\"}]}\n");
    // Given itself, a key does its default again.
    ASSERT_EQ(Ctl({"key", "--profile", "2", "F1=F1", "KP7=default"}).exitCode, 0);
    EXPECT_EQ(Table(Memory(), 2), Table(before, 2));
}

TEST_F(KeysAndMacros, MacrosAreAddedShownTypedAndPlayedByKeys) {
    const std::string steps = "+LeftShift 20 +A 50 -A 0 -LeftShift 0";
    CtlRun run = Ctl(
        {"macro", "add", "Big A", "+LeftShift", "20", "+A", "50", "-A", "0", "-LeftShift", "0"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Ctl({"macro", "show", "big a"}).out, steps + "\n");
    run = Ctl({"key", "G1=macro:Big A*3"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Ctl({"key", "G1"}).out, "G1=macro:Big A*3\n");
    // The keyboard plays the first macro three times from G1.
    const SimKeyboardMemory memory = Memory();
    EXPECT_EQ(Slot(memory, 1, Position({6, 0xA2, 1})), (std::array<uint8_t, 3>{5, 1, 0}));
    EXPECT_EQ(memory.macroArea[16 + 2 + 2], 3) << "repeat byte of the first macro record";
    const std::string listing = Backup();
    EXPECT_NE(listing.find("G1: macro 1 'Big A'"), std::string::npos) << listing;
    EXPECT_NE(listing.find("'Big A', played 3 times, 4 steps"), std::string::npos) << listing;

    run = Ctl({"macro", "type", "hi", "Hi!"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Ctl({"macro", "show", "hi"}).out,
              "+LeftShift 50 +H 50 -H 50 -LeftShift 50 +I 50 -I 50 +LeftShift 50 +1 50 -1 50 "
              "-LeftShift 0\n");
    ASSERT_EQ(Ctl({"macro", "type", "--delay", "10", "ok", "ok"}).exitCode, 0);
    EXPECT_EQ(Ctl({"macro", "show", "ok"}).out, "+O 10 -O 10 +K 10 -K 0\n");
    EXPECT_EQ(Ctl({"macro", "list"}).out, "Big A  (4 steps, played 3 times)\n"
                                          "hi  (10 steps, played 1 time)\n"
                                          "ok  (4 steps, played 1 time)\n");
    run = Ctl({"--json", "macro", "show", "ok"});
    EXPECT_EQ(run.out,
              "{\"id\":3,\"name\":\"ok\",\"repeat\":1,\"steps\":\"+O 10 -O 10 +K 10 -K 0\"}\n");
}

TEST_F(KeysAndMacros, RenamingAndDeletingKeepKeysAndMacrosTogether) {
    ASSERT_EQ(Ctl({"macro", "add", "one", "+A", "0"}).exitCode, 0);
    ASSERT_EQ(Ctl({"macro", "add", "two", "+B", "0"}).exitCode, 0);
    ASSERT_EQ(Ctl({"key", "--profile", "0", "G2=macro:two"}).exitCode, 0);
    ASSERT_EQ(Ctl({"macro", "rename", "two", "second"}).exitCode, 0);
    EXPECT_EQ(Ctl({"key", "--profile", "0", "G2"}).out, "G2=macro:second\n");
    EXPECT_EQ(Ctl({"macro", "rename", "one", "SECOND"}).exitCode, 2) << "names are unique";

    // The first macro is used by no key, yet deleting it moves "second" to the first place:
    // profile 0's table (not the active one) must follow.
    ASSERT_EQ(Ctl({"macro", "delete", "one"}).exitCode, 0);
    EXPECT_EQ(Slot(Memory(), 0, Position({6, 0xA2, 2})), (std::array<uint8_t, 3>{5, 1, 0}));
    EXPECT_EQ(Ctl({"key", "--profile", "0", "G2"}).out, "G2=macro:second\n");

    // A macro that keys play is deleted only when the question is answered Yes.
    const SimKeyboardMemory before = Memory();
    CtlRun run = Ctl({"--trace", "macro", "delete", "second"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("[y/N] no"), std::string::npos) << run.err;
    EXPECT_EQ(CountWrites(run.err), 0);
    EXPECT_EQ(Memory(), before);
    ASSERT_EQ(Ctl({"--yes", "macro", "delete", "second"}).exitCode, 0);
    EXPECT_EQ(Ctl({"key", "--profile", "0", "G2"}).out, "G2=default\n");
    EXPECT_EQ(Ctl({"macro", "list"}).out, "");
}

TEST_F(KeysAndMacros, BadInputIsToldAndWritesNothing) {
    ASSERT_EQ(Ctl({"macro", "add", "m", "+A"}).exitCode, 0);
    const SimKeyboardMemory before = Memory();
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"key", "Shiftt=A"}, 2, "unknown key 'Shiftt' (nearest: LeftShift, RightShift"},
        {{"key", "A=Escape"}, 2, "nearest: Esc"},
        {{"key", "Power=A"}, 2, "can only be given"},
        {{"key", "A=B", "C=macro:nope"}, 2, "no macro named 'nope'"},
        {{"key", "A=macro:m*256"}, 2, "1 to 255 times"},
        {{"key", "A=media:nothing"}, 2, "unknown multimedia function"},
        {{"key", "A=B", "C"}, 2, "not both"},
        {{"macro", "show", "nope"}, 2, "no macro named 'nope'"},
        {{"macro", "delete", "nope"}, 2, "no macro named 'nope'"},
        {{"macro", "add", "x", "+A", "40010"}, 2, "at most 40000 ms"},
        {{"macro", "add", "x", "+A 15"}, 2, "steps of 10"},
        {{"macro", "add", "x", "20", "+A"}, 2, "word 1 '20'"},
        {{"macro", "add", "x", "+Nokey"}, 2, "unknown key 'Nokey'"},
        {{"macro", "add", "M", "+A"}, 2, "exists already"},
        {{"macro", "add", " x"}, 2, "begin with a blank"},
        {{"macro", "type", "x", "caf\xC3\xA9"}, 2, "character 4"},
        {{"macro", "frob"}, 2, "unknown macro command"},
        {{"macro", "add", "x", "--delay", "10"}, 2, "only for macro type"},
        {{"key", "--capacity", "100", "A=B"}, 2, "only for --file"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "--trace");
        const CtlRun run = Ctl(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args[1] << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args[1] << ": " << run.err;
        EXPECT_EQ(CountWrites(run.err), 0) << c.args[1];
    }
    EXPECT_EQ(Memory(), before);
}

TEST_F(KeysAndMacros, MacrosBeyondTheMacroMemoryAreRefusedBeforeAnythingIsWritten) {
    // 4000 steps need 16022 bytes even without a name; the keyboard holds 4096.
    std::string steps;
    for (int i = 0; i < 4000; ++i) {
        steps += "+A ";
    }
    const SimKeyboardMemory before = Memory();
    CtlRun run = Ctl({"--trace", "macro", "add", "long", steps});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("need 16022 bytes"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("holds 4096 bytes"), std::string::npos) << run.err;
    EXPECT_EQ(CountWrites(run.err), 0);
    EXPECT_EQ(Memory(), before);

    // A file records no capacity: the default is said, --capacity chooses another.
    ASSERT_EQ(Tool({"new", file.string()}).exitCode, 0);
    const std::string empty = ReadFileBytes(file);
    run = Tool({"macro", "--file", file.string(), "add", "long", steps});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("checked against 4096 bytes (--capacity BYTES"), std::string::npos)
        << run.err;
    run = Tool({"macro", "--file", file.string(), "--capacity", "21", "add", "x", "+A 0 -A 0"});
    EXPECT_EQ(run.exitCode, 1) << "16 + 2 + 4 + 8 = 30 bytes";
    EXPECT_EQ(ReadFileBytes(file), empty);
    run = Tool({"macro", "--file", file.string(), "--capacity", "30", "add", "x", "+A 0 -A 0"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("names would be left out"), std::string::npos) << run.err;
    run = Tool({"macro", "--file", file.string(), "--capacity", "16022", "add", "long", steps});
    EXPECT_EQ(run.exitCode, 1) << "two macros now";
}

TEST_F(KeysAndMacros, FilesAreEditedWithoutTheKeyboardAndRestoredOntoIt) {
    ASSERT_EQ(Tool({"new", file.string()}).exitCode, 0);
    EXPECT_EQ(Tool({"check", file.string()}).exitCode, 0);
    EXPECT_EQ(Tool({"new", file.string()}).exitCode, 1) << "an existing file is not replaced";

    const SimKeyboardMemory before = Memory();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"macro", "--file", file.string(), "add", "greet", "+H 10 -H 0"},
             {"macro", "--file", file.string(), "type", "typed", "Hi!"},
             {"key", "--file", file.string(), "A=B", "G1=macro:greet*2"},
             {"key", "--file", file.string(), "--profile", "2", "F1=media:PlayPause"}}) {
        const CtlRun run = Ctl(args); // --simulate given, yet the keyboard is not touched
        ASSERT_EQ(run.exitCode, 0) << args[0] << ": " << run.err;
    }
    EXPECT_EQ(Memory(), before);
    EXPECT_EQ(Tool({"key", "--file", file.string()}).out, "A=B\nG1=macro:greet*2\n");
    EXPECT_EQ(Tool({"macro", "--file", file.string(), "show", "typed"}).exitCode, 0);

    // Restored, the keyboard holds the file: its backup differs in nothing.
    ASSERT_EQ(Ctl({"restore", file.string()}).exitCode, 0);
    const fs::path backup = home / "backup.fwc";
    ASSERT_EQ(Ctl({"backup", backup.string()}).exitCode, 0);
    const CtlRun same = Tool({"diff", file.string(), backup.string()});
    EXPECT_EQ(same.exitCode, 0) << same.out;
    EXPECT_EQ(same.out, "");
    EXPECT_EQ(Ctl({"key", "--profile", "2", "F1"}).out, "F1=media:PlayPause\n");
}

TEST_F(KeysAndMacros, AFileKeptAsALinkIsChangedWhereItLives) {
    fs::create_directory(home / "repo");
    const fs::path kept = home / "repo" / "keyboard.fwc";
    const fs::path link = home / "keyboard.fwc";
    fs::create_symlink("repo/keyboard.fwc", link);
    ASSERT_EQ(Tool({"new", link.string()}).exitCode, 0);
    ASSERT_EQ(Tool({"key", "--file", link.string(), "A=B"}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Tool({"key", "--file", kept.string(), "A"}).out, "A=B\n");
}

TEST_F(KeysAndMacros, DiffListsExactlyWhatChanged) {
    ASSERT_EQ(Tool({"new", file.string()}).exitCode, 0);
    ASSERT_EQ(Tool({"macro", "--file", file.string(), "add", "m", "+A 10"}).exitCode, 0);
    const fs::path copy = home / "copy.fwc";
    fs::copy_file(file, copy);
    EXPECT_EQ(Tool({"diff", file.string(), file.string()}).exitCode, 0);
    EXPECT_EQ(Tool({"diff", file.string(), copy.string()}).exitCode, 0);

    ASSERT_EQ(
        Tool({"key", "--file", copy.string(), "--profile", "1", "CapsLock=LeftCtrl"}).exitCode, 0);
    CtlRun run = Tool({"diff", file.string(), copy.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "profile 1 CapsLock: default | LeftCtrl\n");
    run = Tool({"--json", "diff", file.string(), copy.string()});
    EXPECT_EQ(run.out, "{\"same\":false,\"keys\":[{\"profile\":1,\"key\":\"CapsLock\","
                       "\"first\":\"default\",\"second\":\"LeftCtrl\"}],\"macros\":[]}\n");

    ASSERT_EQ(Tool({"macro", "--file", copy.string(), "rename", "m", "n"}).exitCode, 0);
    run = Tool({"diff", file.string(), copy.string()});
    EXPECT_NE(run.out.find("macro 'm': only in " + file.string()), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("macro 'n': only in " + copy.string()), std::string::npos) << run.out;

    run = Tool({"diff", file.string(), (home / "none.fwc").string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no such file"), std::string::npos);
}

TEST_F(KeysAndMacros, KeysListsEveryKeyOfTheKeyMapOnce) {
    const CtlRun run = Tool({"keys"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // The first section: the keys that can be given a function.
    std::vector<std::string> listed;
    std::istringstream lines(run.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "Keys of the keyboard (KEY, or TARGET):");
    while (std::getline(lines, line) && line.rfind("  ", 0) == 0) {
        listed.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
    std::vector<std::string> expected;
    for (const KeyButtonEntry& entry : KeyButtonTable) {
        expected.emplace_back(StableKeyName(entry.keyCode));
    }
    for (int g = 1; g <= kGKeyButtonCount; ++g) {
        expected.push_back("G" + std::to_string(g));
    }
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(std::count(expected.begin(), expected.end(), ""), 0) << "a key without a name";
    EXPECT_NE(run.out.find("  LeftShift     Left Shift\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  PlayPause     "), std::string::npos);

    const CtlRun json = Tool({"--json", "keys"});
    EXPECT_NE(json.out.find("{\"name\":\"KP7\",\"code\":71,\"display\":"), std::string::npos)
        << json.out;
}

} // namespace
