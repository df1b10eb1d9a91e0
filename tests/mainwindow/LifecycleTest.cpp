// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's life over a simulated keyboard: hidden start, arrival and removal, Apply,
// own messages from other threads.

#include "MainWindowFixture.h"
#include "model/KeyRecordAccess.h"
#include "model/ProfileStore.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ControlId.h"
#include "support/ThreadWait.h"
#include "widgets/CTrayIcon.h"
#include "widgets/MenuResource.h"

#include <QDialog>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <thread>

namespace {

constexpr int kButtonA = 1058;
constexpr int kFactoryPositionA = 19; // 02 02 04 in the factory table

class FakeDeniedBackend : public HidBackend {
public:
    bool ListInterfaces(std::vector<std::string>& paths) override {
        paths = {"/dev/hidraw7?vid_0c45&pid_5004"};
        return true;
    }
    std::unique_ptr<HidInterface> Open(const std::string&, const HidOpenFlags&,
                                       HidOpenError& error) override {
        error = HidOpenError::PermissionDenied;
        return nullptr;
    }
    bool PathExists(const std::string&) override { return true; }
};

// Counts how often a widget is shown and hidden, whether or not its window is on screen.
class ShowHideCount : public QObject {
public:
    explicit ShowHideCount(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        shows += event->type() == QEvent::ShowToParent ? 1 : 0;
        hides += event->type() == QEvent::HideToParent ? 1 : 0;
        return false;
    }
    int shows = 0;
    int hides = 0;
};

} // namespace

TEST_F(MainWindowTest, StartsHiddenAndTheArrivalLoadsTheKeyboardsConfiguration) {
    SetKeyboardActiveProfile(1);
    SetKeyboardPosition(1, kFactoryPositionA, {0, 0, 0}); // A disabled in profile 2
    StartWindow(true, true);
    EXPECT_FALSE(dlg_->isVisible());
    ASSERT_TRUE(WaitForArrival());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->StartedHidden(); }, 2000)); // UM_STARTED
    EXPECT_FALSE(dlg_->isVisible());

    EXPECT_EQ(DeviceState().CachedProfile.load(), 1);
    EXPECT_EQ(DeviceState().CurrentProfile.load(), 1);
    EXPECT_EQ(StoredType(1, 0x1E), AssignmentType::kDisabled);
    EXPECT_EQ(StoredType(0, 0x1E), AssignmentType::kDefault);
    EXPECT_FALSE(dlg_->Button(CKestrowDlg::kIdProfile1)->GetCheck());
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdProfile1 + 1)->GetCheck());
    EXPECT_FALSE(dlg_->Button(CKestrowDlg::kIdProfile1 + 2)->GetCheck());
    // The key map shows profile 2: A is checked and says it was changed.
    EXPECT_TRUE(dlg_->Button(kButtonA)->GetCheck());
    EXPECT_FALSE(dlg_->Button(1075)->GetCheck());
    const std::string changed = LangText("KEY_PROMPT_SET", CurrentLanguageIndex());
    EXPECT_TRUE(dlg_->Button(kButtonA)->TooltipText().contains(QString::fromStdString(changed)));
    EXPECT_EQ(dlg_->PendingChanges(), 0);
    EXPECT_FALSE(dlg_->Button(CKestrowDlg::kIdApply)->isEnabled());
    // The profile pop-up marks the active profile and names the profile button.
    EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdProfiles)->text(), QStringLiteral("$Profile1"));
    const QList<QAction*> items = dlg_->ProfileMenu()->actions();
    ASSERT_EQ(items.size(), 5);
    EXPECT_TRUE(items[3]->isChecked());
    EXPECT_FALSE(items[0]->isChecked());
}

TEST_F(MainWindowTest, FirstArrivalWithoutTheStartSwitchShowsTheWindowOnce) {
    StartWindow(true, false);
    ASSERT_TRUE(WaitForArrival());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->isVisible(); }, 2000));
    dlg_->hide();
    keyboard_->Unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return DeviceState().KeyboardPresent.load() == 0; }, 3000));
    keyboard_->Replug();
    ASSERT_TRUE(WaitForArrival());
    ASSERT_TRUE(SettleDeviceThreads());
    EXPECT_FALSE(dlg_->isVisible()); // a later arrival does not bring it forward
}

TEST_F(MainWindowTest, TrayOpenWithoutAKeyboardExplainsAndStaysHidden) {
    StartWindow(false);
    ASSERT_TRUE(SettleDeviceThreads()); // past the first scan
    dlg_->OnCommand(CKestrowDlg::kCommandOpen);
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"MAIN_NO_DEVICE_PROMPT"});
    EXPECT_EQ(DeviceState().CachedProfile.load(), -1);
    // No profile is known: the profile operations refuse without touching anything.
    messages_.Clear();
    dlg_->OnCommand(CKestrowDlg::kIdProfile1 + 2);
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"MAIN_NO_DEVICE_PROMPT"});
    EXPECT_TRUE(keyboard_->RequestLog().empty());
}

TEST_F(MainWindowTest, AKeyboardThatMayNotBeOpenedNamesThePermissionProblem) {
    SetCurrentHidBackend(std::make_shared<FakeDeniedBackend>());
    StartWindow(true);
    ASSERT_TRUE(SettleDeviceThreads()); // past the first scan
    dlg_->OnCommand(CKestrowDlg::kCommandOpen);
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_EQ(messages_.Shown(), std::vector<std::string>{"MAIN_NO_PERMISSION_PROMPT"});
    // The text exists in every language file and names the rule to install.
    for (int index = 0; index < kSupportedLanguageCount; ++index) {
        EXPECT_NE(LangText("MAIN_NO_PERMISSION_PROMPT", index).find("60-kestrow.rules"),
                  std::string::npos)
            << index;
    }
}

TEST_F(MainWindowTest, ApplySendsTheActiveProfileOnlyAndClearsTheFlag) {
    SetKeyboardActiveProfile(2);
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    SetActiveType(0x1E, AssignmentType::kDisabled);
    dlg_->SetPendingChanges(1);
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdApply)->isEnabled());
    keyboard_->ClearFrameLog();
    dlg_->OnCommand(CKestrowDlg::kIdApply);

    EXPECT_EQ(FoldedCommands(*keyboard_), (std::vector<uint8_t>{1, 10, 8, 2}));
    const std::vector<unsigned> offsets = RequestOffsets(*keyboard_, 8);
    ASSERT_FALSE(offsets.empty());
    EXPECT_EQ(offsets.front(), 2u * 378u); // the key table of profile 3 only
    EXPECT_LT(offsets.back(), 3u * 378u);
    EXPECT_EQ(dlg_->PendingChanges(), 0);
    EXPECT_FALSE(dlg_->Button(CKestrowDlg::kIdApply)->isEnabled());
    const std::vector<uint8_t> table = keyboard_->KeyTable(2);
    EXPECT_EQ(table[kFactoryPositionA * 3 + 2], 0);
    EXPECT_EQ(keyboard_->KeyTable(0)[kFactoryPositionA * 3 + 2], 0x04);
    // The busy animation came and went.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg_->BusyShown(); }, 2000));

    // Nothing pending: Apply writes nothing at all; the animation still comes and goes.
    ShowHideCount busy(FindControl(dlg_.get(), CKestrowDlg::kIdBusy));
    keyboard_->ClearFrameLog();
    dlg_->ApplyChanges();
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return busy.hides > 0; }, 2000));
    EXPECT_EQ(busy.shows, 1);
    EXPECT_FALSE(dlg_->BusyShown());
    EXPECT_TRUE(keyboard_->RequestLog().empty());
}

TEST_F(MainWindowTest, AFailedApplyKeepsTheChangesPending) {
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    dlg_->SetPendingChanges(1);
    keyboard_->FailWrites(kSimForever);
    dlg_->ApplyChanges();
    EXPECT_EQ(dlg_->PendingChanges(), 1);
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdApply)->isEnabled());
    keyboard_->FailWrites(0);
}

TEST_F(MainWindowTest, OwnMessagesNeedTheirTags) {
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    keyboard_->ClearFrameLog();
    // A reload with a wrong tag reads nothing; a kill with a wrong tag keeps the window.
    dlg_->SendOwnMessage(UM_PROFILE_RELOAD, kOpenTag, 0);
    dlg_->SendOwnMessage(UM_KILL, kOpenTag, 0);
    dlg_->SendOwnMessage(UM_KILL, 0x4B494C4C, 0); // the letters the other way round
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_EQ(dlg_->WindowUserData(), kMainWindowTag);
    EXPECT_EQ(dlg_->TrayIconId(), 141);
    // The right tag rereads the keyboard.
    dlg_->SendOwnMessage(UM_PROFILE_RELOAD, kProfileTag, 0);
    EXPECT_EQ(FoldedCommands(*keyboard_).front(), 7);
    dlg_->SendOwnMessage(UM_KILL, kKillTag, 0);
    EXPECT_EQ(dlg_->WindowUserData(), 0u);
    EXPECT_EQ(dlg_->TrayIconId(), 0);
}

TEST_F(MainWindowTest, AThreadWaitingOnASentMessageIsReleasedWhenTheWindowCloses) {
    StartWindow(false);
    // A send from another thread is handled on the window's thread and returns its result.
    std::atomic<intptr_t> result{-1};
    std::thread sender([&] { result = dlg_->SendOwnMessage(UM_STARTED, kStartedTag, 0); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return result == 0; }, 2000));
    sender.join();

    // One that the window never gets to handle is dropped when it closes.
    std::atomic<bool> returned{false};
    BlockedThread waiting;
    std::thread late([&] {
        waiting.Mark();
        dlg_->SendOwnMessage(UM_OPEN, kOpenTag, 0);
        returned = true;
    });
    // Close without processing events in between, as UM_KILL would.
    EXPECT_TRUE(waiting.WaitUntilBlocked());
    dlg_->CloseMainWindow();
    late.join();
    EXPECT_TRUE(returned.load());
    EXPECT_FALSE(dlg_->PostOwnMessage(UM_OPEN, kOpenTag, 0));
}

TEST_F(MainWindowTest, UnpluggingHidesTheWindowAndClosesTheEditors) {
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    dlg_->SendOwnMessage(UM_OPEN, kOpenTag, 0);
    ASSERT_TRUE(dlg_->isVisible());
    // An editor dialog over the window; the keyboard goes while it is open.
    QDialog editor(dlg_.get());
    editor.setModal(true);
    dlg_->AddEditorDialog(&editor);
    bool editorWasOpen = false;
    QTimer::singleShot(200, [&] {
        editorWasOpen = editor.isVisible();
        keyboard_->Unplug();
    });
    EXPECT_EQ(editor.exec(), QDialog::Rejected); // returns only when something closes it
    EXPECT_TRUE(editorWasOpen);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg_->isVisible(); }, 3000));
    EXPECT_EQ(DeviceState().CachedProfile.load(), -1);
    EXPECT_EQ(dlg_->TrayIconId(), 128);
    EXPECT_NE(std::find(shell_.calls.begin(), shell_.calls.end(), "close-about"),
              shell_.calls.end());
}

TEST_F(MainWindowTest, TrayIconFollowsTheSpecialMode) {
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    keyboard_->PushConsumerNotice(kSimNoticeSpecialModeOn);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->TrayIconId() == 142; }, 3000));
    keyboard_->PushConsumerNotice(kSimNoticeSpecialModeOff);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->TrayIconId() == 141; }, 3000));
}

TEST_F(MainWindowTest, LanguageNoticeRelabelsTheWindow) {
    StartWindow(false);
    for (int index : {2, 0}) {
        dlg_->SendOwnMessage(UM_LANGUAGE, kLanguageNoticeTag, index);
        // The texts come from the language the notice names; it goes on to the about box.
        EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdProfile1)->text().toStdString(),
                  LangText("PROFILE_1", index));
        EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdApply)->text().toStdString(),
                  LangText("PROFILE_APPLY", index));
        EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdMenu)->TooltipText().toStdString(),
                  LangText("MAIN_MENU_PROMPT", index));
        EXPECT_EQ(dlg_->Button(CKestrowDlg::kIdSwitch)->text().toStdString(),
                  LangText("MAIN_SWITCH_FUNCTION_TEXT", index));
        EXPECT_EQ(shell_.calls.back(), "language " + std::to_string(index));
        EXPECT_EQ(dlg_->windowTitle().toStdString(), LangText("MAIN_CAPTION", index));
        ASSERT_TRUE(dlg_->TrayIcon()->IsAdded());
        EXPECT_EQ(dlg_->TrayIcon()->TooltipText().toStdString(),
                  LangText("KEYBOARD_TRAY_DESC", index));
    }
    dlg_->Button(CKestrowDlg::kIdApply)->setText(QString());
    dlg_->SendOwnMessage(UM_LANGUAGE, kLanguageNoticeTag + 1, 0);
    EXPECT_TRUE(dlg_->Button(CKestrowDlg::kIdApply)->text().isEmpty());
    // Menu 144 holds restore, backup and the firmware update with their texts.
    std::unique_ptr<QMenu> menu = dlg_->BuildBackupMenu();
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions()[0]->text().toStdString(), LangText("MENU_1", CurrentLanguageIndex()));
}

TEST_F(MainWindowTest, AProfileChangeOnTheKeyboardIsFollowedByTheKeyMapAndApply) {
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    ASSERT_EQ(DeviceState().CachedProfile.load(), 0);
    ASSERT_TRUE(keyboard_->ChangeProfileOnKeyboard(2));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return dlg_->Button(CKestrowDlg::kIdProfile1 + 2)->GetCheck(); }, 5000));
    EXPECT_FALSE(dlg_->Button(CKestrowDlg::kIdProfile1)->GetCheck());
    EXPECT_EQ(DeviceState().CachedProfile.load(), 2);
    EXPECT_EQ(DeviceState().CurrentProfile.load(), 2);
    // Apply now sends the table of the profile the keyboard is on.
    keyboard_->ClearFrameLog();
    dlg_->SetPendingChanges(1);
    dlg_->ApplyChanges();
    const std::vector<unsigned> offsets = RequestOffsets(*keyboard_, 8);
    ASSERT_FALSE(offsets.empty());
    EXPECT_EQ(offsets.front(), 2u * 378u);
}

TEST_F(MainWindowTest, MessagesArrivingAfterTheCloseChangeNothing) {
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    dlg_->PostOwnMessage(UM_PROFILE_RELOAD, kProfileTag, 0); // queued before the close
    dlg_->SendOwnMessage(UM_KILL, kKillTag, 0);
    keyboard_->ClearFrameLog();
    QCoreApplication::processEvents();
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_FALSE(dlg_->isVisible());
    std::lock_guard guard(WorkingStore().lock);
    EXPECT_EQ(WorkingStore().block, nullptr); // released by the close, not rebuilt
}

TEST_F(MainWindowTest, EnterAndEscapeNeitherApplyNorHide) {
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    dlg_->SendOwnMessage(UM_OPEN, kOpenTag, 0);
    ASSERT_TRUE(dlg_->isVisible());
    dlg_->SetPendingChanges(1);
    keyboard_->ClearFrameLog();
    // On the window, on a colour edit and on the OK button, which a dialog would press.
    QWidget* targets[] = {dlg_.get(), FindControl(dlg_.get(), 1208),
                          dlg_->Button(CKestrowDlg::IDOK)};
    for (QWidget* target : targets) {
        ASSERT_NE(target, nullptr);
        target->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(target, key);
        }
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(dlg_->isVisible());
    EXPECT_EQ(dlg_->PendingChanges(), 1);
    EXPECT_TRUE(RequestOffsets(*keyboard_, 8).empty());
}

TEST_F(MainWindowTest, TrayMenuIsRelabelledBeforeItShows) {
    StartWindow(false);
    CTrayIcon* tray = dlg_->TrayIcon();
    ASSERT_NE(tray, nullptr);
    tray->OnTrayNotification(CKestrowDlg::kTrayIconId, WM_RBUTTONUP);
    QMenu* menu = tray->OpenMenu();
    ASSERT_NE(menu, nullptr);
    const std::pair<int, const char*> items[] = {{CKestrowDlg::kCommandOpen, "MENU_11"},
                                                 {CKestrowDlg::kCommandAbout, "MENU_22"},
                                                 {CKestrowDlg::kCommandExit, "MENU_33"}};
    ASSERT_EQ(menu->actions().size(), 3);
    for (const auto& [command, key] : items) {
        QAction* action = FindMenuCommand(menu, command);
        ASSERT_NE(action, nullptr) << command;
        EXPECT_EQ(action->text().toStdString(), LangText(key, CurrentLanguageIndex()));
    }
    // Exit closes the window in its order.
    FindMenuCommand(menu, CKestrowDlg::kCommandExit)->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg_->TrayIconId(), 0);
    EXPECT_EQ(dlg_->WindowUserData(), 0u);
    // The about box goes before the single-instance lock is let go; the stores go last.
    const auto about = std::find(shell_.calls.begin(), shell_.calls.end(), "close-about");
    const auto release = std::find(shell_.calls.begin(), shell_.calls.end(), "release");
    ASSERT_NE(release, shell_.calls.end());
    EXPECT_LT(about, release);
    std::lock_guard guard(WorkingStore().lock);
    EXPECT_EQ(WorkingStore().block, nullptr);
    EXPECT_EQ(OutgoingStore().block, nullptr);
}
