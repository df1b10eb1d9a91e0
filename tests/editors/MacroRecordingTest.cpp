// SPDX-License-Identifier: GPL-3.0-or-later
// Recording on the macro page from the dialog's key events (and the keyboard's own keyboard
// interface), timed on the clock the test sets.

#include "MacroTestSupport.h"
#include "model/KeyInputCodes.h"
#include "skin/ui/CPngButton.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {

using D = Kestrow_DlgComposite;
using QE = QEvent;

TEST_F(MacroTest, RealDelaysBecomeTheWaitAfterEachStepAndTheLastStepWaitsNothing) {
    OpenOnMacroPage();
    SetRecordDelay(true);
    Click(MacroPage::kIdRecord);
    Key(QE::KeyPress, kKeyA, 700);
    Key(QE::KeyRelease, kKeyA, 120);
    Key(QE::KeyPress, kKeyB, 300);
    Key(QE::KeyRelease, kKeyB, 80);
    EXPECT_EQ(Steps(), (std::vector{Press(kCodeA, 120), Release(kCodeA, 300),
                                    Press(kCodeB, 80), Release(kCodeB, 0)}));
    EXPECT_EQ(RowTexts(0), (std::vector<QString>{"A", QStringLiteral("\u2193"), "120"}));
    EXPECT_EQ(RowTexts(1), (std::vector<QString>{"A", QStringLiteral("  \u2191"), "300"}));
    EXPECT_EQ(RowTexts(3)[2], "0");
    // The new row is the selected one.
    EXPECT_EQ(StepList()->GetFirstItem(CReportCtrl::RC_ITEM_SELECTED), 3);
    EXPECT_TRUE(dialog_->IsModified());
}

TEST_F(MacroTest, WithoutRealDelaysEveryStepWaitsFiftyMilliseconds) {
    OpenOnMacroPage();
    SetRecordDelay(false);
    Click(MacroPage::kIdRecord);
    Key(QE::KeyPress, kKeyA, 700);
    Key(QE::KeyRelease, kKeyA, 120);
    Key(QE::KeyPress, kKeyB, 300);
    Key(QE::KeyRelease, kKeyB, 80);
    EXPECT_EQ(Steps(), (std::vector{Press(kCodeA, 50), Release(kCodeA, 50), Press(kCodeB, 50),
                                    Release(kCodeB, 0)}));
}

TEST_F(MacroTest, AHeldKeyRecordsOnePressAndItsRepeatsNothing) {
    OpenOnMacroPage();
    SetRecordDelay(true);
    Click(MacroPage::kIdRecord);
    Key(QE::KeyPress, kKeyA, 10);
    // X11 repeats a held key as release/press pairs, both marked; elsewhere a press may come
    // again unmarked.
    for (int i = 0; i < 25; ++i) {
        EXPECT_TRUE(Key(QE::KeyRelease, kKeyA, 20, true));
        EXPECT_TRUE(Key(QE::KeyPress, kKeyA, 0, true));
    }
    Key(QE::KeyPress, kKeyA, 20);
    Key(QE::KeyRelease, kKeyA, 10);
    EXPECT_EQ(Steps(), (std::vector{Press(kCodeA, 530), Release(kCodeA, 0)}));
}

TEST_F(MacroTest, ARepeatPairWhoseMarkWasMissedIsKnownByItsServerTime) {
    OpenOnMacroPage();
    SetRecordDelay(true);
    Click(MacroPage::kIdRecord);
    now_ += 10;
    ServerKey(dialog_.get(), QE::KeyPress, kKeyA, 5000);
    now_ += 500;
    EXPECT_TRUE(ServerKey(dialog_.get(), QE::KeyRelease, kKeyA, 5500));
    EXPECT_TRUE(ServerKey(dialog_.get(), QE::KeyPress, kKeyA, 5500));
    now_ += 40;
    ServerKey(dialog_.get(), QE::KeyRelease, kKeyA, 5540);
    // The last release waits for what follows; a press of another key sends it on at its time.
    EXPECT_EQ(Steps().size(), 1U);
    now_ += 100;
    ServerKey(dialog_.get(), QE::KeyPress, kKeyB, 5640);
    now_ += 30;
    ServerKey(dialog_.get(), QE::KeyRelease, kKeyB, 5670);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Steps().size() == 4; }, 2000));
    EXPECT_EQ(Steps(), (std::vector{Press(kCodeA, 540), Release(kCodeA, 100), Press(kCodeB, 30),
                                    Release(kCodeB, 0)}));
    // A release still held back when the recording stops is kept.
    now_ += 20;
    ServerKey(dialog_.get(), QE::KeyPress, kKeyD, 5690);
    ServerKey(dialog_.get(), QE::KeyRelease, kKeyD, 5690 + 5);
    Click(MacroPage::kIdRecord);
    ASSERT_EQ(Steps().size(), 6U);
    EXPECT_EQ(Steps()[5], Release(kCodeD, 0));
}

TEST_F(MacroTest, PrintScreenFromItsReleaseAloneRecordsAPressThenTheRelease) {
    OpenOnMacroPage();
    SetRecordDelay(true);
    Click(MacroPage::kIdRecord);
    Key(QE::KeyPress, kKeyA, 10);
    Key(QE::KeyRelease, kKeyPrint, 40);
    EXPECT_EQ(Steps(), (std::vector{Press(kCodeA, 2), Press(kPrintScreenKey, 40),
                                    Release(kPrintScreenKey, 0)}));
    // Where its press comes too, no second press is made up.
    Key(QE::KeyPress, kKeyPrint, 30);
    Key(QE::KeyRelease, kKeyPrint, 60);
    ASSERT_EQ(Steps().size(), 5U);
    EXPECT_EQ(Steps()[3], Press(kPrintScreenKey, 60));
    EXPECT_EQ(Steps()[4], Release(kPrintScreenKey, 0));

    SetRecordDelay(false);
    Click(MacroPage::kIdRecord);
    Click(MacroPage::kIdRecord);
    Key(QE::KeyRelease, kKeyPrint, 40);
    ASSERT_EQ(Steps().size(), 7U);
    EXPECT_EQ(Steps()[4].delay, 50U);
    EXPECT_EQ(Steps()[5], Press(kPrintScreenKey, 50));
}

TEST_F(MacroTest, AStepGoesAfterTheSelectedRowAndTakesItsDelay) {
    AddMacro("Two steps", 1, 2); // delays 10, 10
    OpenOnMacroPage();
    SetRecordDelay(true);
    StepList()->SetItemStates(0, CReportCtrl::RC_ITEM_SELECTED);
    Click(MacroPage::kIdRecord);
    Key(QE::KeyPress, kKeyD, 70);
    ASSERT_EQ(Steps().size(), 3U);
    EXPECT_EQ(Steps()[0], Press(kCodeA, 70));
    EXPECT_EQ(Steps()[1], Press(kCodeD, 10));
    EXPECT_EQ(Steps()[2], Release(kCodeA, 10));
    EXPECT_EQ(RowTexts(0)[2], "70");
    EXPECT_EQ(RowTexts(1)[0], "D");
    // Without a selection a step goes to the end.
    StepList()->SetItemStates(1, CReportCtrl::RC_ITEM_UNSELECTED);
    Key(QE::KeyRelease, kKeyD, 30);
    EXPECT_EQ(Steps()[2], Release(kCodeA, 30));
    EXPECT_EQ(Steps()[3], Release(kCodeD, 10));
}

TEST_F(MacroTest, FourThousandEventsAsFastAsTheLoopTakesThemAreAllKeptAndTheNextDropped) {
    OpenOnMacroPage();
    SetRecordDelay(true);
    Click(MacroPage::kIdRecord);
    const XKey keys[] = {kKeyA, kKeyB, kKeyD};
    const KeyCode codes[] = {kCodeA, kCodeB, kCodeD};
    for (int i = 0; i < kMaxMacroSteps + 1; ++i) {
        const XKey key = keys[(i / 2) % 3];
        const QE::Type type = i % 2 == 0 ? QE::KeyPress : QE::KeyRelease;
        QCoreApplication::postEvent(dialog_.get(), new QKeyEvent(type, key.qtKey, Qt::NoModifier,
                                                                 key.xKeycode, 0, 0));
    }
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    ASSERT_EQ(Steps().size(), static_cast<size_t>(kMaxMacroSteps));
    ASSERT_EQ(StepList()->GetItemCount(), kMaxMacroSteps);
    for (int i = 0; i < kMaxMacroSteps; ++i) {
        const MacroAction& step = Steps()[static_cast<size_t>(i)];
        ASSERT_EQ(step.key, codes[(i / 2) % 3]) << i;
        ASSERT_EQ(step.direction, i % 2 == 0 ? MacroAction::kPress : MacroAction::kRelease) << i;
    }
    // Still swallowed while the list is full.
    EXPECT_TRUE(Key(QE::KeyPress, kKeyB, 10));
    EXPECT_EQ(Steps().size(), static_cast<size_t>(kMaxMacroSteps));
    // A release-only key with no room for its supplied press records nothing at all.
    StepList()->SetItemStates(kMaxMacroSteps - 1, CReportCtrl::RC_ITEM_SELECTED);
    Click(MacroPage::kIdDeleteStep);
    Key(QE::KeyRelease, kKeyPrint, 10);
    EXPECT_EQ(Steps().size(), static_cast<size_t>(kMaxMacroSteps - 1));
}

TEST_F(MacroTest, WhileRecordingKeysReachNoControlAndTheListCannotChange) {
    OpenOnMacroPage();
    auto* repeat = Control<QLineEdit>(MacroPage::kIdRepeat);
    auto* record = Control<CPngButton>(MacroPage::kIdRecord);
    EXPECT_EQ(record->text(), "Record");
    Click(MacroPage::kIdRecord);
    EXPECT_TRUE(dialog_->RecordingKeys());
    EXPECT_TRUE(record->GetCheck());
    EXPECT_EQ(record->text(), "Stop");
    for (int id : {MacroPage::kIdAddMacro, MacroPage::kIdDeleteMacro, MacroPage::kIdMacroList}) {
        EXPECT_FALSE(dialog_->findChild<QWidget*>(QString::number(id))->isEnabled()) << id;
    }
    repeat->setFocus();
    const QString before = repeat->text();
    EXPECT_TRUE(SendKey(repeat, QE::KeyPress, {Qt::Key_5, 14}));
    EXPECT_EQ(repeat->text(), before);
    EXPECT_EQ(Steps().size(), 1U);
    // F1 and Escape are recorded as keys; a multimedia key passes on, unrecorded.
    EXPECT_TRUE(Key(QE::KeyPress, {Qt::Key_F1, kXKeyF1}, 10));
    EXPECT_EQ(host_.helpOpened, 0);
    EXPECT_FALSE(Key(QE::KeyPress, {Qt::Key_VolumeUp, kXKeyVolumeUp}, 10));
    EXPECT_EQ(Steps().size(), 2U);

    Click(MacroPage::kIdRecord);
    EXPECT_FALSE(dialog_->RecordingKeys());
    EXPECT_EQ(record->text(), "Record");
    EXPECT_FALSE(record->GetCheck());
    EXPECT_TRUE(Control<QComboBox>(MacroPage::kIdMacroList)->isEnabled());
    Key(QE::KeyPress, kKeyA, 10);
    EXPECT_EQ(Steps().size(), 2U);
}

TEST_F(MacroTest, ARecordingStopsWithThePageAFocusLossADelayEditApplyAndTheClose) {
    OpenOnMacroPage();
    const auto recordAndCheck = [&](const char* what, const std::function<void()>& stop) {
        Click(MacroPage::kIdRecord);
        ASSERT_TRUE(dialog_->RecordingKeys()) << what;
        stop();
        EXPECT_FALSE(dialog_->RecordingKeys()) << what;
        EXPECT_FALSE(Page().Recording()) << what;
        const size_t steps = Steps().size();
        Key(QE::KeyPress, kKeyB, 10);
        Key(QE::KeyRelease, kKeyB, 10);
        EXPECT_EQ(Steps().size(), steps) << what;
    };
    recordAndCheck("focus lost", [&] {
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(dialog_.get(), &deactivate);
    });
    recordAndCheck("apply", [&] { Click(D::kIdApply); });
    // A row for the delay edit.
    Click(MacroPage::kIdRecord);
    Key(QE::KeyPress, kKeyA, 10);
    Click(MacroPage::kIdRecord);
    ASSERT_EQ(Steps().size(), 1U);
    recordAndCheck("delay edit", [&] { StepList()->StartEdit(0, MacroPage::kDelayColumn); });
    StepList()->EndEdit(false);
    recordAndCheck("another page", [&] {
        Click(D::kIdKeyPage);
        // The single-key page captures again instead.
        Key(QE::KeyPress, kKeyD, 10);
        EXPECT_EQ(dialog_->CapturedCode(), kCodeD);
        Click(D::kIdMacroPage);
    });
    Click(MacroPage::kIdRecord);
    Click(D::kIdOk);
    EXPECT_FALSE(dialog_->RecordingKeys());
    EXPECT_EQ(dialog_->OpenCount(), 0);
}

TEST_F(MacroTest, AWinKeyBothSourcesReportIsRecordedOnce) {
    OpenOnMacroPage();
    SetRecordDelay(true);
    Click(MacroPage::kIdRecord);
    ASSERT_TRUE(WaitForInterfaceReader());
    constexpr uint8_t kLeftGui = 0xE3;
    ASSERT_EQ(keyboard_->SendKeyboardReport({kLeftGui}), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Steps().size() == 1; }, 5000));
    Key(QE::KeyPress, kKeyLeftWin, 5);
    Key(QE::KeyRelease, kKeyLeftWin, 30);
    ASSERT_EQ(keyboard_->SendKeyboardReport({}), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Steps().size() >= 2; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(Steps(), (std::vector{Press(kLeftWinKey, 35), Release(kLeftWinKey, 0)}));
    // The reader ends with the recording.
    Click(MacroPage::kIdRecord);
    EXPECT_EQ(keyboard_->OpenHandleCount(SimInterface::Keyboard), 0);
}

} // namespace
