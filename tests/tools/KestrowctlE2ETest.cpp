// SPDX-License-Identifier: GPL-3.0-or-later
// kestrowctl end to end: the built program against a simulated keyboard kept in a state file.

#include "model/MacroRecord.h"
#include "model/ProfileFile.h"
#include "model/ProfileStore.h"
#include "support/KestrowctlFixture.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

class KestrowctlTest : public KestrowctlFixture {
protected:
    std::filesystem::path backup = home / "backup.fwc";

    // A keyboard with something in every area: a remapped key in profile 1, a macro key in
    // profile 2, one named macro, profile 1 active.
    SimKeyboardMemory Configured() {
        SimKeyboardMemory memory = FactorySimKeyboardMemory(kSimModel5004);
        const size_t length = kSimModel5004.keyTableLength;
        memory.keyTables[length + 3 * 20 + 2] = 0x05; // Z (02 02 1D) gives B
        memory.keyTables[2 * length + 3 * 17 + 0] = 0x05;
        memory.keyTables[2 * length + 3 * 17 + 1] = 0x01;
        memory.keyTables[2 * length + 3 * 17 + 2] = 0x00; // 1 plays the first macro
        std::vector<MacroRecord> macros(1);
        SetMacroName(macros[0], std::string_view("Hello"));
        macros[0].id = 1;
        macros[0].repeat = 2;
        macros[0].stepCount = 2;
        macros[0].steps[0] = {50, 0x1E, MacroAction::kPress};
        macros[0].steps[1] = {0, 0x1E, MacroAction::kRelease};
        const MacroAreaSize size = MacroAreaSizes(macros);
        EXPECT_TRUE(EncodeMacroArea(macros, memory.macroArea, size.full, true));
        memory.infoBlock[10] = 1;
        EXPECT_EQ(SaveSimStateFile(state, memory), SimStateError::None);
        return memory;
    }
};

int CountCommand(const std::vector<TracedRequest>& requests, int command) {
    return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                          [&](const TracedRequest& r) { return r.command == command; }));
}

std::string FileBytes(const std::filesystem::path& file) {
    return ReadFileBytes(file);
}

} // namespace

TEST_F(KestrowctlTest, BackupThenRestoreLeavesTheKeyboardAsItWas) {
    const SimKeyboardMemory before = Configured();
    CtlRun run = Ctl({"backup", backup.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(Ctl({"check", backup.string()}).exitCode, 0);

    // The backup holds what the keyboard holds.
    run = RunKestrowctl({"dump", backup.string()}, home.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("key B"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1: macro 1 'Hello'\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 'Hello', played 2 times, 2 steps"), std::string::npos) << run.out;

    run = RunKestrowctl({"--json", "dump", backup.string()}, home.path());
    EXPECT_NE(run.out.find("{\"record\":44,\"key\":\"Z\",\"type\":2,\"kind\":\"key\",\"value\":48"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"name\":\"Hello\",\"repeat\":2"), std::string::npos) << run.out;

    run = Ctl({"--trace", "restore", backup.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<TracedRequest> requests = TracedRequests(run.err);
    EXPECT_EQ(CountCommand(requests, 10), 1) << "one macro area piece";
    EXPECT_EQ(CountCommand(requests, 8), 3 * 7) << "three tables of seven pieces";
    EXPECT_EQ(Memory(), before);
}

TEST_F(KestrowctlTest, RestoreOfADamagedFileChangesNothing) {
    const SimKeyboardMemory before = Configured();
    ASSERT_EQ(Ctl({"backup", backup.string()}).exitCode, 0);
    std::string bytes = FileBytes(backup);
    bytes[31] = static_cast<char>(bytes[31] + 1);
    const std::filesystem::path bad = home.write("bad.fwc", bytes);

    const CtlRun run = Ctl({"--trace", "restore", bad.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(bad.string() + " is not a valid profile file."), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("The profile file could not be restored."), std::string::npos);
    const std::vector<TracedRequest> requests = TracedRequests(run.err);
    EXPECT_EQ(CountCommand(requests, 8) + CountCommand(requests, 10) + CountCommand(requests, 4),
              0);
    EXPECT_EQ(Memory(), before);

    // A missing file is no profile file either, and says so.
    const CtlRun missing = Ctl({"restore", (home / "none.fwc").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no such file"), std::string::npos) << missing.err;
}

TEST_F(KestrowctlTest, RestoreThatTheKeyboardCannotHoldFails) {
    const SimKeyboardMemory before = Configured();
    // One macro of 4000 steps needs 16022 bytes even without its name; the keyboard has 4096.
    ProfileStore store;
    store.block = MakeDefaultBlock(0);
    store.macros.resize(1);
    store.macros[0].id = 1;
    store.macros[0].stepCount = kMaxMacroSteps;
    for (MacroAction& step : store.macros[0].steps) {
        step = {10, 0x1E, MacroAction::kPress};
    }
    const std::filesystem::path big = home.write("big.fwc", BuildProfileFileImage(store));
    ASSERT_EQ(RunKestrowctl({"check", big.string()}, home.path()).exitCode, 0);

    const CtlRun run = Ctl({"--trace", "restore", big.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("The macros are 11926 bytes too large for the keyboard's memory."),
              std::string::npos)
        << run.err;
    const std::vector<TracedRequest> requests = TracedRequests(run.err);
    EXPECT_EQ(CountCommand(requests, 8) + CountCommand(requests, 10), 0);
    EXPECT_EQ(Memory(), before);
}

TEST_F(KestrowctlTest, CheckTellsValidFromInvalidFilesWithoutAKeyboard) {
    const auto header = [](uint32_t count, uint8_t flag) {
        std::unique_ptr<KeyRecordBlock> block = MakeDefaultBlock(0);
        StampHeader(*block, count, 0, flag);
        return std::string(reinterpret_cast<const char*>(block.get()), sizeof(KeyRecordBlock));
    };
    struct Case {
        const char* name;
        std::string bytes;
        int exitCode;
    } cases[] = {
        {"plain.fwc", header(0, 0), 0},
        {"flag1.fwc", header(0, 1), 0},
        {"flag2.fwc", header(0, 2), 1},
        {"count101.fwc", header(101, 0), 1},
        // The check does not compare the length with the size field.
        {"short.fwc", header(1, 0), 0},
        {"tiny.fwc", std::string(100, '\0'), 1},
    };
    for (const Case& c : cases) {
        const std::filesystem::path file = home.write(c.name, c.bytes);
        const CtlRun run = RunKestrowctl({"check", file.string()}, home.path());
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << ": " << run.err;
        if (c.exitCode != 0) {
            EXPECT_NE(run.err.find(file.string() + " is not a valid profile file."),
                      std::string::npos)
                << c.name << ": " << run.err;
        }
    }
    const CtlRun json =
        RunKestrowctl({"--json", "check", (home / "flag2.fwc").string()}, home.path());
    EXPECT_NE(json.out.find("\"valid\":false"), std::string::npos) << json.out;
    // A verdict that cannot be written is no success.
    EXPECT_EQ(
        RunKestrowctl({"check", (home / "plain.fwc").string()}, home.path(), "/dev/full").exitCode,
        1);
    // Passes the check, yet the macro its header promises is not there: dump refuses it.
    const CtlRun dump = RunKestrowctl({"dump", (home / "short.fwc").string()}, home.path());
    EXPECT_EQ(dump.exitCode, 1);
    EXPECT_TRUE(dump.out.empty());
}

TEST_F(KestrowctlTest, ProfileSetsAndReadsTheActiveProfile) {
    CtlRun run = Ctl({"profile", "2"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Ctl({"profile"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "2\n");
    EXPECT_EQ(Memory().infoBlock[10], 2);
    // Already active: nothing is written.
    run = Ctl({"--trace", "profile", "2"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(CountCommand(TracedRequests(run.err), 4), 0);
    run = Ctl({"--trace", "profile", "0"});
    EXPECT_EQ(CountCommand(TracedRequests(run.err), 4), 1);
    EXPECT_EQ(Memory().infoBlock[10], 0);
    ASSERT_EQ(Ctl({"profile", "2"}).exitCode, 0);
    EXPECT_EQ(Ctl({"--json", "profile"}).out, "{\"activeProfile\":2}\n");
    EXPECT_EQ(Ctl({"profile", "3"}).exitCode, 2);
    EXPECT_EQ(Memory().infoBlock[10], 2);
}

TEST_F(KestrowctlTest, BrightnessIsOneByteInOneSession) {
    const CtlRun run = Ctl({"--trace", "light", "--brightness", "3", "--profile", "2"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<TracedRequest> requests = TracedRequests(run.err);
    ASSERT_EQ(CountCommand(requests, 6), 1);
    const auto write = std::find_if(requests.begin(), requests.end(),
                                    [](const TracedRequest& r) { return r.command == 6; });
    EXPECT_EQ(write->length, 1);
    EXPECT_EQ(write->offset, 85);
    EXPECT_EQ(write->first, 3);
    ASSERT_TRUE(write != requests.begin() && write + 1 != requests.end());
    EXPECT_EQ((write - 1)->command, 1);
    EXPECT_EQ((write + 1)->command, 2);
    EXPECT_EQ(Memory().lightArea[85], 3);

    // The same level again sends nothing, as the slider does.
    const CtlRun again = Ctl({"--trace", "light", "--brightness", "3", "--profile", "2"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(CountCommand(TracedRequests(again.err), 6), 0);
}

TEST_F(KestrowctlTest, LightFieldsGoOutAsThePanelSendsThem) {
    CtlRun run = Ctl({"--trace", "light", "--profile", "1", "--effect", "1", "--speed", "5",
                      "--colour", "102030"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<TracedRequest> writes;
    for (const TracedRequest& r : TracedRequests(run.err)) {
        if (r.command == 6 || r.command == 1 || r.command == 2) {
            writes.push_back(r);
        }
    }
    // Skip the reload's own bracket (begin, three reads, end: only begin and end are kept).
    ASSERT_GE(writes.size(), 2u);
    writes.erase(writes.begin(), writes.begin() + 2);
    const std::vector<std::pair<int, int>> expected = {
        {1, 0}, {6, 42}, {6, 46}, {2, 0}, // effect 1, then its multicolour flag
        {1, 0}, {6, 44}, {2, 0},          // speed position 5 is stored as 0
        {1, 0}, {6, 46}, {6, 47}, {2, 0}, // multicolour off, then the colour
    };
    ASSERT_EQ(writes.size(), expected.size()) << run.err;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(writes[i].command, expected[i].first) << i;
        EXPECT_EQ(writes[i].offset, expected[i].second) << i;
    }
    const SimKeyboardMemory memory = Memory();
    EXPECT_EQ(memory.lightArea[42 + 2], 0);
    EXPECT_EQ(memory.lightArea[42 + 4], 0);
    EXPECT_EQ(memory.lightArea[42 + 5], 0x10);
    EXPECT_EQ(memory.lightArea[42 + 7], 0x30);

    run = Ctl({"--json", "light", "--profile", "1"});
    EXPECT_NE(run.out.find("\"speed\":5"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"colour\":\"102030\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"multicolour\":false"), std::string::npos) << run.out;

    // An effect the keyboard does not offer sends nothing at all, not even the valid changes.
    run = Ctl({"--trace", "light", "--brightness", "1", "--effect", "19"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(CountCommand(TracedRequests(run.err), 6), 0);
}

TEST_F(KestrowctlTest, DefaultsRestoreTheFactoryRecord) {
    ASSERT_EQ(Ctl({"light", "--profile", "0", "--brightness", "1", "--colour", "ff0000"}).exitCode,
              0);
    const CtlRun run = Ctl({"--trace", "light", "--profile", "0", "--defaults"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<TracedRequest> requests = TracedRequests(run.err);
    ASSERT_EQ(CountCommand(requests, 6), 3);
    const SimKeyboardMemory memory = Memory();
    const uint8_t expected[] = {1, 4, 2, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), memory.lightArea.begin()));
}

TEST_F(KestrowctlTest, TraceShowsEveryFrameInOrder) {
    const CtlRun run = Ctl({"--trace", "info"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<TracedFrame> frames = TracedFrames(run.err);
    ASSERT_FALSE(frames.empty());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].direction, i % 2 == 0 ? '>' : '<') << i;
        EXPECT_EQ(frames[i].bytes[0], 4);
        if (i % 2 == 1) {
            EXPECT_EQ(frames[i].bytes[3], frames[i - 1].bytes[3]) << "reply to its request";
        }
    }
    // Nothing else is mixed into the trace lines.
    size_t lines = static_cast<size_t>(std::count(run.err.begin(), run.err.end(), '\n'));
    EXPECT_EQ(lines, frames.size());
    EXPECT_NE(run.out.find("Macro capacity:  4096 bytes"), std::string::npos) << run.out;
    // The effect list in slot order with the names of the language file; 19 is not offered.
    const size_t wave = run.out.find("    1  Wave\n");
    const size_t user = run.out.find("   20  User colours\n");
    EXPECT_TRUE(wave != std::string::npos && user != std::string::npos && wave < user) << run.out;
    EXPECT_EQ(run.out.find("Effect 19"), std::string::npos);
}

TEST_F(KestrowctlTest, ExitCodes) {
    EXPECT_EQ(RunKestrowctl({}, home.path()).exitCode, 2);
    EXPECT_EQ(RunKestrowctl({"frobnicate"}, home.path()).exitCode, 2);
    EXPECT_EQ(RunKestrowctl({"check"}, home.path()).exitCode, 2);
    EXPECT_EQ(RunKestrowctl({"--model", "320f:5000", "info"}, home.path()).exitCode, 2);
    EXPECT_EQ(Ctl({"light", "--brightness", "6"}).exitCode, 2);
    EXPECT_EQ(Ctl({"--model", "1234:5678", "info"}).exitCode, 2);

    const CtlRun help = RunKestrowctl({"--help"}, home.path());
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word : {"list", "info", "profile", "backup", "restore", "check", "dump",
                             "light", "boot", "--simulate", "--model", "--trace", "--json", "--yes",
                             "--version", "--effect", "--four-colour", "--defaults"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
    for (const char* word :
         {"keys", "key [--profile N]", "macro add", "macro type", "macro delete", "macro rename",
          "new FILE", "diff FILE1", "--file FILE.fwc", "--capacity", "--delay"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }

    // The other model, kept in its state file.
    CtlRun info = Ctl({"--model", "320f:5000", "info"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("128 key slots, 512-byte key tables"), std::string::npos);
    // A state file of that model cannot become the other one.
    EXPECT_EQ(Ctl({"--model", "0c45:5004", "info"}).exitCode, 1);
}

TEST_F(KestrowctlTest, BootAsksFirstAndNeedsYesWithoutATerminal) {
    CtlRun run = Ctl({"--trace", "boot"});
    EXPECT_EQ(run.exitCode, 1);
    for (const TracedFrame& f : TracedFrames(run.err)) {
        EXPECT_NE(f.bytes[3], 0xEE);
    }
    run = Ctl({"--trace", "--yes", "boot"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::vector<TracedFrame> frames = TracedFrames(run.err);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().direction, '>');
    EXPECT_EQ(frames.back().bytes[3], 0xEE);
    EXPECT_EQ(frames.back().bytes[4], 0xEE);
    EXPECT_EQ(frames.back().bytes[1] | frames.back().bytes[2], 0);
}

TEST_F(KestrowctlTest, NoKeyboardGivesExitThree) {
    // No simulation: the test host has no such keyboard.
    const CtlRun run = RunKestrowctl({"info"}, home.path());
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_NE(run.err.find("No supported keyboard is connected."), std::string::npos) << run.err;
    EXPECT_EQ(RunKestrowctl({"list"}, home.path()).exitCode, 3);
}

TEST_F(KestrowctlTest, ListShowsOnlyTheConfigurationInterface) {
    const CtlRun run = Ctl({"list"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // One keyboard, three interfaces: one line.
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    EXPECT_NE(run.out.find("0c45:5004  126 key slots"), std::string::npos) << run.out;
}

TEST_F(KestrowctlTest, AReadOnlyBackupChecksAndRestores) {
    const SimKeyboardMemory before = Configured();
    ASSERT_EQ(Ctl({"backup", backup.string()}).exitCode, 0);
    std::filesystem::permissions(backup, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::group_read |
                                             std::filesystem::perms::others_read);
    EXPECT_EQ(Ctl({"check", backup.string()}).exitCode, 0);
    ASSERT_EQ(Ctl({"profile", "0"}).exitCode, 0);
    const CtlRun run = Ctl({"restore", backup.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    SimKeyboardMemory after = Memory();
    after.infoBlock[10] = before.infoBlock[10]; // restore leaves the active profile alone
    EXPECT_EQ(after, before);
}
