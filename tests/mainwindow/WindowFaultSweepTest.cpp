// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's Apply, import and profile switch with every fault of the simulated keyboard
// at every one of their frames, the device threads running. At each point the pending flag must
// tell the truth (clear only when the keyboard holds the edits), the working files must hold
// nothing the keyboard was not given, and after the keyboard is unplugged and plugged in again
// the reload must give a window that agrees with the keyboard.

#include "MainWindowFixture.h"
#include "model/KeyRecordAccess.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileFile.h"
#include "model/ProfileFolder.h"
#include "model/ProfileStore.h"
#include "platform/OwnMessages.h"
#include "platform/UserFolders.h"
#include "skin/ui/CPngButton.h"
#include "support/SweepMacro.h"
#include "support/TempDir.h"
#include "support/TestNames.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>

namespace {

namespace fs = std::filesystem;

constexpr KeyCode kKeyA = 0x1E;
constexpr int kSwitchTarget = 1;
constexpr int kWaitMs = 10000;

// The sanitizer pass runs three times slower: there every third frame and the last one get every
// fault, the normal pass tries them all.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr size_t kFrameStride = 3;
#else
constexpr size_t kFrameStride = 1;
#endif

struct FaultKind {
    SimFault fault;
    unsigned count;
    const char* name;
};
constexpr FaultKind kFaultKinds[] = {
    {SimFault::Unplug, 1, "unplug"},          {SimFault::DropReplies, 4, "no reply"},
    {SimFault::StatusFF, 1, "status 0xFF"},   {SimFault::StatusFE, 1, "status 0xFE"},
    {SimFault::FailWrite, 1, "failed write"},
};

enum class WindowOperation { Apply, Import, Switch };

struct Operation {
    const char* name;
    WindowOperation which;
};
const Operation kOperations[] = {
    {"apply", WindowOperation::Apply},
    {"import", WindowOperation::Import},
    {"switch with apply", WindowOperation::Switch},
};
void PrintTo(const Operation& op, std::ostream* out) {
    *out << op.name;
}

// A keyboard holding two macros, a remapped key and a macro key in profile 0.
SimKeyboardMemory ConfiguredMemory() {
    SimKeyboardMemory memory = FactorySimKeyboardMemory(kSimModel5004);
    memory.keyTables[3 * 36 + 2] = 0x05; // C gives B
    const std::vector<MacroRecord> macros = {SweepMacro(1, 24, "first"),
                                             SweepMacro(2, 10, "second")};
    EncodeMacroArea(macros, memory.macroArea, MacroAreaSizes(macros).full, true);
    return memory;
}

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct WindowState {
    SimKeyboardMemory keyboard;
    std::map<std::string, std::string> files; // the user data folder
    bool operator==(const WindowState&) const = default;
};

// The names of the files that differ between two states.
std::string ChangedFiles(const WindowState& now, const WindowState& reference) {
    std::string names;
    for (const auto& [name, bytes] : reference.files) {
        const auto it = now.files.find(name);
        if (it == now.files.end() || it->second != bytes) {
            names += " " + name;
        }
    }
    for (const auto& [name, bytes] : now.files) {
        if (!reference.files.contains(name)) {
            names += " " + name + " (new)";
        }
    }
    return names;
}

class WindowFaultSweep : public MainWindowTest, public ::testing::WithParamInterface<Operation> {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        memory_ = ConfiguredMemory();
        ASSERT_TRUE(keyboard_->SetMemory(memory_));
        StartOnProfile(0);
        keyboard_->SetInstantTimeouts(true);
        WriteImportFile();
        dlg_->SetFileChooser([this](bool) { return importFile_; });
        ASSERT_TRUE(Reset());
        initial_ = Capture();
    }

    // A file unlike the keyboard: another key in every profile and three other macros.
    void WriteImportFile() {
        std::lock_guard guard(WorkingStore().lock);
        const std::unique_ptr<KeyRecordBlock> kept = std::move(WorkingStore().block);
        const std::vector<MacroRecord> macros = WorkingStore().macros;
        ASSERT_TRUE(MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore));
        for (int area = 0; area < 3; ++area) {
            WorkingStore().block->Record(area, RecordIndexOfCode(kKeyA)).type =
                AssignmentType::kDisabled;
        }
        WorkingStore().macros = {SweepMacro(1, 30, "imported"), SweepMacro(2, 5, "too"),
                                 SweepMacro(3, 12, "and three")};
        ASSERT_TRUE(WriteProfileFile(StoreLock::HeldByCaller, importFile_));
        WorkingStore().block = std::make_unique<KeyRecordBlock>(*kept);
        WorkingStore().macros = macros;
    }

    WindowState Capture() const {
        WindowState state;
        state.keyboard = keyboard_->Memory();
        for (const auto& entry : fs::directory_iterator(UserDataFolder())) {
            state.files[entry.path().filename().string()] = Bytes(entry.path());
        }
        return state;
    }

    // The keyboard as at the start, and the window reloaded from it.
    bool Reset() {
        ClearFaults();
        if (!keyboard_->IsPlugged() && !ReplugAndWait()) {
            return false;
        }
        keyboard_->SetMemory(memory_);
        // A reload after a switch may have made another profile's working file.
        for (const auto& entry : fs::directory_iterator(UserDataFolder())) {
            if (!initial_.files.empty() &&
                !initial_.files.contains(entry.path().filename().string())) {
                fs::remove(entry.path());
            }
        }
        for (const auto& [name, bytes] : initial_.files) {
            std::ofstream(UserDataFolder() / name, std::ios::binary | std::ios::trunc) << bytes;
        }
        dlg_->SetPendingChanges(0);
        DeviceState().CachedProfile = -1;
        dlg_->SendOwnMessage(UM_PROFILE_RELOAD, kProfileTag, 0);
        keyboard_->ClearFrameLog();
        messages_.Clear();
        return dlg_->PendingChanges() == 0 && dlg_->Button(CKestrowDlg::kIdProfile1)->GetCheck();
    }

    void ClearFaults() {
        messages_.ClearAnswers();
        keyboard_->DropNextReplies(0);
        keyboard_->AnswerWithStatus(0, 0);
        keyboard_->FailWrites(0);
    }

    // The edits of an Apply: A disabled and a macro added that G2 plays.
    void Edit() {
        {
            std::lock_guard guard(WorkingStore().lock);
            CurrentRecord(kKeyA)->type = AssignmentType::kDisabled;
            auto& macros = WorkingStore().macros;
            const uint16_t id = LowestFreeMacroId(macros);
            macros.push_back(SweepMacro(id, 20, "added"));
            KeyAssignment* g2 = CurrentRecord(GKeyCode(2));
            g2->type = AssignmentType::kMacro;
            g2->value = id;
            g2->param = 1;
        }
        dlg_->SetPendingChanges(1);
    }

    void Run(WindowOperation which) {
        switch (which) {
        case WindowOperation::Apply:
            Edit();
            dlg_->OnCommand(CKestrowDlg::kIdApply);
            break;
        case WindowOperation::Import:
            dlg_->OnCommand(CKestrowDlg::kCommandImport);
            break;
        case WindowOperation::Switch:
            Edit();
            messages_.Answer(true); // apply the edits first
            dlg_->OnCommand(CKestrowDlg::kIdProfile1 + kSwitchTarget);
            break;
        }
    }

    // What the state after the operation says against the one without a fault; empty when it
    // holds together.
    std::string Judge(WindowOperation which, const WindowState& after) const {
        const bool pending = dlg_->PendingChanges() != 0;
        const bool applied = after.keyboard.keyTables == completed_.keyboard.keyTables &&
                             after.keyboard.macroArea == completed_.keyboard.macroArea;
        if (!pending && !applied) {
            return "the edits count as applied but the keyboard does not hold them";
        }
        if (pending && after.files != initial_.files) {
            return "the edits are pending but these files changed:" + ChangedFiles(after, initial_);
        }
        if (!pending && after.files != completed_.files) {
            return "the edits were applied but these files differ:" +
                   ChangedFiles(after, completed_);
        }
        if (dlg_->Button(CKestrowDlg::kIdApply)->isEnabled() != pending) {
            return "the Apply button does not show the pending flag";
        }
        if (which == WindowOperation::Switch && pending && after.keyboard.infoBlock[10] != 0) {
            return "the profile changed although the edits did not get through";
        }
        return {};
    }

    // Unplugged (by the fault or now) and plugged in again: the reload must agree with the
    // keyboard.
    std::string ReplugAndCheck() {
        ClearFaults();
        messages_.Answer(true); // the arrival asks before it drops pending edits
        if (keyboard_->IsPlugged() && !UnplugAndWait()) {
            return "the removal was not noticed";
        }
        if (!QTest::qWaitFor([&] { return DeviceState().KeyboardPresent.load() == 0; }, kWaitMs) ||
            !ReplugAndWait()) {
            return "the replug was not noticed";
        }
        const int active = keyboard_->ActiveProfile();
        if (!QTest::qWaitFor(
                [&] {
                    return dlg_->PendingChanges() == 0 &&
                           dlg_->Button(CKestrowDlg::kIdProfile1 + active)->GetCheck();
                },
                kWaitMs)) {
            return "the reload did not follow the keyboard";
        }
        for (int p = 0; p < kProfileCount; ++p) {
            if (p != active && dlg_->Button(CKestrowDlg::kIdProfile1 + p)->GetCheck()) {
                return "two profile buttons are checked";
            }
        }
        if (DeviceState().CachedProfile.load() != active) {
            return "the window holds another profile than the keyboard";
        }
        std::string image;
        if (!ReadKeyboardImage(image)) {
            return "the keyboard cannot be read after the replug";
        }
        const std::string file = Bytes(ProfilePath(active));
        if (file != image) {
            return "the working file is not what the keyboard holds";
        }
        std::lock_guard guard(WorkingStore().lock);
        const ProfileStore& store = WorkingStore();
        if (!store.block ||
            std::memcmp(store.block.get(), file.data(), sizeof(KeyRecordBlock)) != 0 ||
            store.macros.size() * sizeof(MacroRecord) + sizeof(KeyRecordBlock) != file.size()) {
            return "the key map does not show the working file";
        }
        return {};
    }

    SimKeyboardMemory memory_;
    WindowState initial_;
    WindowState completed_;
    TempDir files_;
    fs::path importFile_ = files_ / "import.fwc";
};

TEST_P(WindowFaultSweep, EveryFaultAtEveryFrameLeavesAnHonestWindow) {
    const Operation& op = GetParam();
    Run(op.which);
    const size_t frames = keyboard_->RequestLog().size();
    completed_ = Capture();
    ASSERT_EQ(dlg_->PendingChanges(), 0) << "the run without a fault";
    ASSERT_GT(frames, 0u);
    ASSERT_NE(completed_, initial_);

    size_t points = 0;
    std::vector<std::string> damage;
    for (size_t frame = 0; frame < frames; ++frame) {
        if (frame % kFrameStride != 0 && frame + 1 != frames) {
            continue;
        }
        for (const FaultKind& kind : kFaultKinds) {
            ++points;
            const std::string where = std::string(op.name) + ", " + kind.name + " at frame " +
                                      std::to_string(frame) + ": ";
            ASSERT_TRUE(Reset()) << where;
            keyboard_->ScheduleFault(kind.fault, static_cast<unsigned>(frame), kind.count);
            Run(op.which);
            EXPECT_FALSE(keyboard_->FaultPending()) << where << "the frame was never sent";
            if (const std::string wrong = Judge(op.which, Capture()); !wrong.empty()) {
                damage.push_back(where + wrong);
            }
            if (const std::string wrong = ReplugAndCheck(); !wrong.empty()) {
                damage.push_back(where + "after the replug, " + wrong);
            }
        }
    }
    std::printf("window fault sweep %s: %zu frames, %zu fault points, %zu lost or corrupted\n",
                op.name, frames, points, damage.size());
    for (const std::string& line : damage) {
        ADD_FAILURE() << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, WindowFaultSweep, ::testing::ValuesIn(kOperations),
                         [](const ::testing::TestParamInfo<Operation>& param) {
                             return TestNameOf(param.param.name);
                         });

} // namespace
