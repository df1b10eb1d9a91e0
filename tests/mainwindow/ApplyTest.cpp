// SPDX-License-Identifier: GPL-3.0-or-later
// Apply over the simulated keyboard: which key tables it owes the keyboard, what it refuses to
// send, and how the window behaves while the write runs.

#include "MainWindowFixture.h"
#include "device/Protocol.h"
#include "model/KeyRecordAccess.h"
#include "model/KeyboardTransfer.h"
#include "model/MacroChecks.h"
#include "model/ProfileFile.h"
#include "model/ProfileFolder.h"
#include "model/ProfileStore.h"
#include "skin/ui/CPngButton.h"
#include "support/TempDir.h"

#include <QTimer>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <set>
#include <thread>

namespace {

// Factory positions (0c45:5004) of three keys and their factory actions.
constexpr int kPositionA = 19; // 02 02 04
constexpr int kPositionB = 52; // 02 02 05
constexpr int kPositionC = 36; // 02 02 06
constexpr std::array<uint8_t, 3> kDisabledSlot = {0, 0, 0};

MacroRecord NamedMacro(const char* name) {
    MacroRecord macro;
    SetMacroName(macro, std::string_view(name));
    macro.repeat = 1;
    macro.stepCount = 2;
    macro.steps[0] = {10, 0x1E, MacroAction::kPress};
    macro.steps[1] = {10, 0x1E, MacroAction::kRelease};
    return macro;
}

std::vector<uint8_t> EncodedArea(const std::vector<MacroRecord>& macros) {
    const MacroAreaSize sizes = MacroAreaSizes(macros);
    std::vector<uint8_t> area(sizes.full);
    EncodeMacroArea(macros, area, sizes.full, true);
    return area;
}

std::array<uint8_t, 3> Slot(const std::vector<uint8_t>& table, int position) {
    const auto at = static_cast<size_t>(position * 3);
    return {table[at], table[at + 1], table[at + 2]};
}

class ApplyTest : public MainWindowTest {
protected:
    // Edits one record of the active profile, as the key-setting dialog would.
    void DisableActive(KeyCode code) {
        SetActiveType(code, AssignmentType::kDisabled);
        dlg_->SetPendingChanges(1);
    }
    bool AnyWriteSent() const {
        const std::vector<uint8_t> commands = RequestCommands(*keyboard_);
        return std::any_of(commands.begin(), commands.end(), [](uint8_t c) {
            return c == CmdCode::BeginSession || c == CmdCode::WriteMacroArea ||
                   c == CmdCode::WriteKeyTable;
        });
    }
    TempDir files_;
};

} // namespace

TEST_F(ApplyTest, AnotherProfilesMacroKeyStillPlaysItsMacroAfterAnUnusedOneIsDeleted) {
    // The keyboard holds macros A, B, C; in the second profile the A key plays C (position 2).
    ASSERT_TRUE(
        keyboard_->SetMacroArea(EncodedArea({NamedMacro("A"), NamedMacro("B"), NamedMacro("C")})));
    SetKeyboardPosition(1, kPositionA, {5, 1, 2});
    StartOnProfile(0);

    // The key-setting dialog deletes A, which no key plays, and its Apply hands over the list.
    std::vector<MacroRecord> list;
    {
        std::lock_guard guard(WorkingStore().lock);
        list = WorkingStore().macros;
    }
    ASSERT_EQ(list.size(), 3u);
    EXPECT_TRUE(MacroMayBeDeleted(list[0], messages_));
    EXPECT_TRUE(messages_.Shown().empty()); // deleted silently
    list.erase(list.begin());
    ApplyDialogMacros(list, dlg_.get());
    dlg_->SetPendingChanges(1);
    dlg_->ApplyChanges();
    ASSERT_EQ(dlg_->PendingChanges(), 0);

    const std::vector<MacroRecord> onKeyboard = DecodeMacroArea(keyboard_->MacroArea());
    ASSERT_EQ(onKeyboard.size(), 2u);
    const std::array<uint8_t, 3> played = Slot(keyboard_->KeyTable(1), kPositionA);
    ASSERT_EQ(played[0], 5);
    ASSERT_EQ(played[1], 1);
    ASSERT_LT(played[2], onKeyboard.size());
    EXPECT_EQ(MacroNameUtf8(onKeyboard[played[2]]), "C");

    // With the order on the keyboard unchanged, the next Apply sends the active table only.
    keyboard_->ClearFrameLog();
    DisableActive(0x1E);
    dlg_->ApplyChanges();
    const std::vector<unsigned> offsets = RequestOffsets(*keyboard_, CmdCode::WriteKeyTable);
    ASSERT_FALSE(offsets.empty());
    EXPECT_LT(offsets.back(), 378u);
}

TEST_F(ApplyTest, AStoreThatStandsInForAnUnreadableKeyboardIsNeitherSavedNorSent) {
    StartOnProfile(0);
    const std::filesystem::path workingFile = ProfilePath(0);
    const std::string before = ReadFileBytes(workingFile);
    ASSERT_FALSE(before.empty());

    // Replugged, the keyboard answers nothing for a while: every read of the arrival fails.
    ASSERT_TRUE(UnplugAndWait());
    keyboard_->AnswerWithStatus(0xFF, kSimForever);
    ASSERT_TRUE(ReplugAndWait());
    keyboard_->AnswerWithStatus(0, 0);
    keyboard_->ClearFrameLog();
    messages_.Clear();

    DisableActive(0x1E);
    dlg_->ApplyChanges();
    EXPECT_FALSE(AnyWriteSent());
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"MAIN_PROMPT_NOT_READ"});
    EXPECT_EQ(dlg_->PendingChanges(), 1);
    EXPECT_EQ(ReadFileBytes(workingFile), before);
    EXPECT_FALSE(SaveWorkingFile(StoreLock::Take));
    EXPECT_EQ(ReadFileBytes(workingFile), before);

    // A reload that reads the keyboard ends the stand-in.
    dlg_->SetPendingChanges(0);
    dlg_->SendOwnMessage(UM_PROFILE_RELOAD, kProfileTag, 0);
    keyboard_->ClearFrameLog();
    DisableActive(0x1E);
    dlg_->ApplyChanges();
    EXPECT_TRUE(AnyWriteSent());
    EXPECT_EQ(dlg_->PendingChanges(), 0);
    EXPECT_EQ(Slot(keyboard_->KeyTable(0), kPositionA), kDisabledSlot);
}

TEST_F(ApplyTest, AnImportThatDidNotGetThroughSendsAllThreeTablesAtTheNextApply) {
    StartOnProfile(0);
    // A file that disables A in the first profile, B in the second and C in the third.
    const KeyCode keys[] = {0x1E, 0x30, 0x2E};
    const int positions[] = {kPositionA, kPositionB, kPositionC};
    auto setTypes = [&](uint16_t type) {
        std::lock_guard guard(WorkingStore().lock);
        for (int p = 0; p < kProfileCount; ++p) {
            WorkingRecord(p, RecordIndexOfCode(keys[p]))->type = type;
        }
    };
    setTypes(AssignmentType::kDisabled);
    const std::filesystem::path file = files_ / "three.fwc";
    dlg_->SetFileChooser([file](bool) { return file; });
    dlg_->OnCommand(CKestrowDlg::kCommandExport);
    setTypes(AssignmentType::kDefault);
    const std::vector<uint8_t> factory = keyboard_->FactoryKeyTable();
    for (int p = 0; p < kProfileCount; ++p) {
        ASSERT_EQ(keyboard_->KeyTable(p), factory) << p;
    }

    keyboard_->FailWrites(kSimForever);
    dlg_->OnCommand(CKestrowDlg::kCommandImport);
    keyboard_->FailWrites(0);
    ASSERT_EQ(dlg_->PendingChanges(), 1);

    dlg_->ApplyChanges();
    EXPECT_EQ(dlg_->PendingChanges(), 0);
    for (int p = 0; p < kProfileCount; ++p) {
        std::vector<uint8_t> expected = factory;
        std::fill_n(expected.begin() + positions[p] * 3, 3, uint8_t{0});
        EXPECT_EQ(keyboard_->KeyTable(p), expected) << "profile " << p;
    }
}

namespace {

// Holds DeviceIoLock on a thread of its own, so that every transaction waits, until released
// (or, so that a window that waits for it on its own thread fails instead of hanging, until a
// generous bound has passed).
class SlowKeyboard {
public:
    SlowKeyboard() : holder_([this] { Hold(); }) {
        std::unique_lock guard(lock_);
        changed_.wait(guard, [this] { return holding_; });
    }
    ~SlowKeyboard() {
        Release();
        holder_.join();
    }
    void Release() {
        std::lock_guard guard(lock_);
        released_ = true;
        changed_.notify_all();
    }

private:
    void Hold() {
        std::lock_guard io(DeviceState().DeviceIoLock);
        std::unique_lock guard(lock_);
        holding_ = true;
        changed_.notify_all();
        changed_.wait_for(guard, std::chrono::seconds(10), [this] { return released_; });
    }
    std::mutex lock_;
    std::condition_variable changed_;
    bool holding_ = false;
    bool released_ = false;
    std::thread holder_;
};

} // namespace

TEST_F(ApplyTest, TheAnimationRunsAndTheWindowTakesNoInputWhileTheWriteWaits) {
    StartOnProfile(0);
    DisableActive(0x1E);
    const std::filesystem::path file = files_ / "unused.fwc";
    int filesChosen = 0;
    dlg_->SetFileChooser([&](bool) {
        ++filesChosen;
        return file;
    });

    dlg_->SendOwnMessage(UM_OPEN, kOpenTag, 0); // shown, so that clicks reach it
    keyboard_->ClearFrameLog();
    std::set<int> frames;
    bool tried = false;
    std::atomic<bool> reloadReturned{false};
    std::thread reloader;
    auto slow = std::make_unique<SlowKeyboard>();
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!dlg_->BusyShown()) {
            return;
        }
        frames.insert(dlg_->BusyFrame());
        if (frames.size() >= 3 && !tried) {
            tried = true;
            // Input meant for the window, the tray's pop-up and menu commands, and the
            // presence thread's reload after a replug, all while the write waits.
            QTest::mouseClick(dlg_->Button(CKestrowDlg::kIdSwitch), Qt::LeftButton);
            QTest::mouseClick(dlg_->Button(CKestrowDlg::kIdProfile1 + 2), Qt::LeftButton);
            dlg_->OnCommand(CKestrowDlg::kProfileMenuFirst + 2);
            dlg_->OnCommand(CKestrowDlg::kCommandImport);
            reloader = std::thread([&] {
                dlg_->SendOwnMessage(UM_PROFILE_RELOAD, kProfileTag, 0);
                reloadReturned = true;
            });
        }
        if (reloadReturned) {
            slow->Release();
        }
    });
    watch.start();
    dlg_->OnCommand(CKestrowDlg::kIdApply);
    watch.stop();
    slow.reset();
    if (reloader.joinable()) {
        reloader.join();
    }

    EXPECT_GE(frames.size(), 3u); // the animation advanced while Apply ran
    EXPECT_TRUE(tried);
    EXPECT_TRUE(reloadReturned);
    EXPECT_EQ(dlg_->ViewMode(), 0);
    EXPECT_EQ(filesChosen, 0);
    EXPECT_EQ(keyboard_->ActiveProfile(), 0);
    EXPECT_EQ(dlg_->PendingChanges(), 0);
    EXPECT_EQ(Slot(keyboard_->KeyTable(0), kPositionA), kDisabledSlot);
    // Apply's session came first, whole; the reload it held back follows it.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::vector<uint8_t> c = FoldedCommands(*keyboard_);
            return std::find(c.begin(), c.end(), CmdCode::ReadKeyTable) != c.end();
        },
        5000));
    const std::vector<uint8_t> folded = FoldedCommands(*keyboard_);
    ASSERT_GE(folded.size(), 5u);
    EXPECT_EQ(
        std::vector<uint8_t>(folded.begin(), folded.begin() + 5),
        (std::vector<uint8_t>{CmdCode::BeginSession, CmdCode::WriteMacroArea,
                              CmdCode::WriteKeyTable, CmdCode::EndSession, CmdCode::ReadKeyTable}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg_->BusyShown(); }, 2000));
    // Once Apply is over the window takes clicks again.
    QTest::mouseClick(dlg_->Button(CKestrowDlg::kIdSwitch), Qt::LeftButton);
    EXPECT_EQ(dlg_->ViewMode(), 1);
}
