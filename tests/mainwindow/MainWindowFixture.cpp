#include "MainWindowFixture.h"

#include "model/ProfileStore.h"
#include "platform/UserFolders.h"
#include "platform/hid/HidBackend.h"
#include "skin/ui/CPngButton.h"

std::vector<uint8_t> RequestCommands(const SimulatedKeyboard& keyboard) {
    std::vector<uint8_t> commands;
    for (const SimFrame& frame : keyboard.RequestLog()) {
        commands.push_back(frame.bytes[3]);
    }
    return commands;
}

std::vector<uint8_t> FoldedCommands(const SimulatedKeyboard& keyboard) {
    std::vector<uint8_t> folded;
    for (uint8_t c : RequestCommands(keyboard)) {
        if (folded.empty() || folded.back() != c) {
            folded.push_back(c);
        }
    }
    return folded;
}

std::vector<unsigned> RequestOffsets(const SimulatedKeyboard& keyboard, uint8_t command) {
    std::vector<unsigned> offsets;
    for (const SimFrame& frame : keyboard.RequestLog()) {
        if (frame.bytes[3] == command) {
            offsets.push_back(frame.bytes[5] | (frame.bytes[6] << 8));
        }
    }
    return offsets;
}

void MainWindowTest::SetUp() {
    SetProgramFolder(BinFolder());
    DeviceState().Reset();
    keyboard_ = std::make_shared<SimulatedKeyboard>(kSimModel5004);
    SetCurrentHidBackend(keyboard_);
}

void MainWindowTest::TearDown() {
    DestroyWindow();
    DeviceState().Reset();
    SetCurrentHidBackend(nullptr);
}

void MainWindowTest::DestroyWindow() {
    if (dlg_) {
        dlg_->CloseMainWindow();
        dlg_.reset();
    }
}

void MainWindowTest::SetKeyboardActiveProfile(int profile) {
    auto info = keyboard_->InfoBlock();
    info[10] = static_cast<uint8_t>(profile);
    keyboard_->SetInfoBlock(info);
}

void MainWindowTest::SetKeyboardPosition(int profile, int position, std::array<uint8_t, 3> bytes) {
    std::vector<uint8_t> table = keyboard_->KeyTable(profile);
    for (int i = 0; i < 3; ++i) {
        table[static_cast<size_t>(position * 3 + i)] = bytes[static_cast<size_t>(i)];
    }
    ASSERT_TRUE(keyboard_->SetKeyTable(profile, table));
}

void MainWindowTest::StartWindow(bool plugged, bool startSwitch) {
    if (!plugged) {
        keyboard_->Unplug();
    }
    // "/Start": the first arrival does not bring the window forward.
    DeviceState().OpenNotified = startSwitch ? 1 : 0;
    dlg_ = std::make_unique<CKestrowDlg>(&shell_);
    dlg_->SetUserMessages(&messages_);
    dlg_->SetNotificationAreaAvailable(notificationArea_);
    ASSERT_TRUE(dlg_->InitDialog());
}

bool MainWindowTest::WaitForArrival() {
    return QTest::qWaitFor(
        [&] {
            const int p = keyboard_->ActiveProfile();
            return DeviceState().KeyboardPresent.load() == 1 && dlg_->TrayIconId() == 141 &&
                   dlg_->Button(CKestrowDlg::kIdProfile1 + p)->GetCheck();
        },
        5000);
}

void MainWindowTest::StartOnProfile(int p) {
    SetKeyboardActiveProfile(p);
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    keyboard_->ClearFrameLog();
}
