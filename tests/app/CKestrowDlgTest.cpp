// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's own messages, its hidden modal run and its ordered close.

#include "mainwindow/CKestrowDlg.h"

#include "AppTestSupport.h"
#include "device/DeviceState.h"
#include "platform/UserFolders.h"
#include "skin/Language.h"
#include "support/RecordingShell.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class MainWindow : public testing::Test {
protected:
    // A keyboard counts as present so that UM_OPEN shows the window; the device threads are
    // not started.
    void SetUp() override {
        SetProgramFolder(BinFolder());
        DeviceState().Reset();
        DeviceState().KeyboardPresent = 1;
    }
    void TearDown() override { DeviceState().Reset(); }

    PrivateUserFolders folders_;
    RecordingShell shell_;
};

} // namespace

TEST_F(MainWindow, OwnMessagesActOnlyWithTheirTag) {
    CKestrowDlg dlg(&shell_);
    dlg.SetStartDeviceThreads(false);
    dlg.SetNotificationAreaAvailable(true);
    ASSERT_TRUE(dlg.OnInitDialog());
    EXPECT_EQ(dlg.WindowUserData(), kMainWindowTag);
    QSignalSpy finished(&dlg, &QDialog::finished);

    // Wrong tags (among them the other message's tag) change nothing.
    EXPECT_EQ(dlg.SendOwnMessage(UM_OPEN, kKillTag, 0), 0);
    EXPECT_EQ(dlg.SendOwnMessage(UM_OPEN, 0, 0), 0);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.SendOwnMessage(UM_KILL, kOpenTag, 0), 0);
    EXPECT_EQ(dlg.SendOwnMessage(UM_KILL, kKillTag + 1, 0), 0);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(dlg.WindowUserData(), kMainWindowTag);

    EXPECT_EQ(dlg.SendOwnMessage(UM_OPEN, kOpenTag, 0), 0);
    EXPECT_TRUE(dlg.isVisible());

    EXPECT_EQ(dlg.SendOwnMessage(UM_KILL, kKillTag, 0), 0);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(finished.count(), 1);
    // The about box goes, and the single instance is released, before the window ends.
    const std::vector<std::string> tail(shell_.calls.end() - 2, shell_.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"close-about", "release"}));
    // A closed window is no longer found by another instance and cannot be reopened.
    EXPECT_EQ(dlg.WindowUserData(), 0u);
    dlg.SendOwnMessage(UM_OPEN, kOpenTag, 0);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(MainWindow, RunsModallyWithoutShowingItself) {
    CKestrowDlg dlg(&shell_);
    dlg.SetStartDeviceThreads(false);
    dlg.SetNotificationAreaAvailable(true);
    bool visibleInLoop = true;
    bool startedHidden = false;
    QTimer::singleShot(50, &dlg, [&] {
        visibleInLoop = dlg.isVisible();
        startedHidden = dlg.StartedHidden();
        dlg.PostOwnMessage(UM_KILL, kKillTag, 0);
    });
    EXPECT_EQ(dlg.DoModal(), QDialog::Rejected);
    EXPECT_FALSE(visibleInLoop);
    EXPECT_TRUE(startedHidden); // the posted UM_STARTED arrived
    // The language notice of the initialisation was forwarded with the current index.
    EXPECT_NE(std::find(shell_.calls.begin(), shell_.calls.end(),
                        "language " + std::to_string(CurrentLanguageIndex())),
              shell_.calls.end());
}

TEST_F(MainWindow, EnterAndEscapeNeitherCloseNorHide) {
    CKestrowDlg dlg(&shell_);
    dlg.SetStartDeviceThreads(false);
    dlg.SetNotificationAreaAvailable(true);
    ASSERT_TRUE(dlg.OnInitDialog());
    dlg.SendOwnMessage(UM_OPEN, kOpenTag, 0);
    QSignalSpy finished(&dlg, &QDialog::finished);
    for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &press);
    }
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(finished.count(), 0);

    // The close box only hides; the window keeps running.
    dlg.close();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(dlg.WindowUserData(), kMainWindowTag);

    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &f1);
    EXPECT_EQ(shell_.calls.back(), "help");
}

TEST_F(MainWindow, MissingOrBrokenKeyPictureFailsTheInitialisation) {
    for (const char* broken : {"Skins/main_color1.jpg", "Skins/Arrow.jpg"}) {
        for (bool empty : {false, true}) {
            TempDir program;
            CopyProgramData(program.path(), empty ? "" : broken);
            if (empty) {
                program.write(broken, "not a picture");
            }
            SetProgramFolder(program.path());
            CKestrowDlg dlg(&shell_);
            dlg.SetStartDeviceThreads(false);
            dlg.SetNotificationAreaAvailable(true);
    dlg.SetStartDeviceThreads(false);
    dlg.SetNotificationAreaAvailable(true);
            EXPECT_EQ(dlg.DoModal(), -1) << broken;
            EXPECT_FALSE(dlg.isVisible());
            EXPECT_FALSE(dlg.Initialised());
            EXPECT_EQ(dlg.WindowUserData(), 0u);
        }
    }
}
