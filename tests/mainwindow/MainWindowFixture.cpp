// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowFixture.h"

#include "model/KeyRecordAccess.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileStore.h"
#include "platform/UserFolders.h"
#include "platform/hid/HidBackend.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "support/ThreadWait.h"

#include <QApplication>

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

uint16_t StoredType(int profile, KeyCode code) {
    std::lock_guard guard(WorkingStore().lock);
    const KeyAssignment* r = WorkingRecord(profile, RecordIndexOfCode(code));
    return r == nullptr ? 0xFFFF : r->type;
}

uint16_t ActiveType(KeyCode code) {
    std::lock_guard guard(WorkingStore().lock);
    const KeyAssignment* r = CurrentRecord(code);
    return r == nullptr ? 0xFFFF : r->type;
}

void SetActiveType(KeyCode code, uint16_t type) {
    std::lock_guard guard(WorkingStore().lock);
    KeyAssignment* r = CurrentRecord(code);
    ASSERT_NE(r, nullptr);
    r->type = type;
}

QMessageBox* VisibleMessageBox(std::string_view textKey) {
    const QString text = QString::fromStdString(LangText(textKey, CurrentLanguageIndex()));
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box != nullptr && box->isVisible() && box->text() == text) {
            return box;
        }
    }
    return nullptr;
}

void MainWindowTest::SetUp() {
    SetProgramFolder(BinFolder());
    DeviceState().Reset();
    keyboard_ = std::make_shared<SimulatedKeyboard>(kSimModel5004);
    SetCurrentHidBackend(keyboard_);
}

void MainWindowTest::TearDown() {
    DestroyWindow();
    ForgetKeyboardMacroOrder();
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
    if (!messageBoxes_) {
        dlg_->SetUserMessages(&messages_);
    }
    dlg_->SetNotificationAreaAvailable(notificationArea_);
    ASSERT_TRUE(dlg_->InitDialog());
}

void MainWindowTest::StartOnProfile(int p) {
    SetKeyboardActiveProfile(p);
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    keyboard_->ClearFrameLog();
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

bool MainWindowTest::UnplugAndWait() {
    keyboard_->Unplug();
    return QTest::qWaitFor(
        [&] { return DeviceState().KeyboardPresent.load() == 0 && dlg_->TrayIconId() == 128; },
        5000);
}

bool MainWindowTest::ReplugAndWait() {
    keyboard_->Replug();
    return QTest::qWaitFor(
        [&] { return DeviceState().KeyboardPresent.load() == 1 && dlg_->TrayIconId() == 141; },
        5000);
}

bool MainWindowTest::SettleDeviceThreads() {
    if (!WaitUntilOtherThreadsSleep()) {
        return false;
    }
    QCoreApplication::sendPostedEvents();
    return true;
}
