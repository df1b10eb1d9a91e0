// SPDX-License-Identifier: GPL-3.0-or-later
// A macro from its recording in the key-setting dialog to the keyboard: recorded, given to G1
// with a repeat count, OK, the main window's Apply, and what the keyboard then holds.

#include "MainWindowFixture.h"
#include "editors/Kestrow_DlgComposite.h"
#include "editors/MacroPage.h"
#include "model/KeyRecordAccess.h"
#include "model/KeyboardTransfer.h"
#include "model/MacroRecord.h"
#include "model/ProfileStore.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ControlId.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace {

using D = Kestrow_DlgComposite;
constexpr int kButtonG1 = 1000;
constexpr int kRecordG1 = kFirstGKeyRecord;
constexpr KeyCode kCodeA = 0x01E;
constexpr KeyCode kCodeB = 0x030;
constexpr uint8_t kSimCapacityByte = 11;

void ClickIn(D& dialog, int id) {
    FindControlAs<QAbstractButton>(&dialog, id)->click();
}

// A key event as xcb delivers it, handled waitMs after the one before.
void Key(D& dialog, int64_t& now, QEvent::Type type, int qtKey, quint32 xKeycode, int64_t waitMs) {
    now += waitMs;
    QKeyEvent event(type, qtKey, Qt::NoModifier, xKeycode, 0, 0);
    QCoreApplication::sendEvent(&dialog, &event);
}

// On the macro page a new macro, recorded with real delays from pairs of A and B strokes.
void RecordNewMacro(D& dialog, int64_t& now, int strokes, const QString& repeat) {
    dialog.SetKeyClock([&now] { return now; });
    ClickIn(dialog, D::kIdMacroPage);
    ClickIn(dialog, MacroPage::kIdAddMacro);
    if (!dialog.Macros().RecordDelay()) {
        ClickIn(dialog, MacroPage::kIdRecordDelay);
    }
    ClickIn(dialog, MacroPage::kIdRecord);
    for (int i = 0; i < strokes; ++i) {
        Key(dialog, now, QEvent::KeyPress, Qt::Key_A, 38, 40);
        Key(dialog, now, QEvent::KeyRelease, Qt::Key_A, 38, 120);
        Key(dialog, now, QEvent::KeyPress, Qt::Key_B, 56, 300);
        Key(dialog, now, QEvent::KeyRelease, Qt::Key_B, 56, 80);
    }
    ClickIn(dialog, MacroPage::kIdRecord);
    auto* field = FindControlAs<QLineEdit>(&dialog, MacroPage::kIdRepeat);
    field->setText(repeat);
    emit field->textEdited(repeat);
}

bool AnyFrameOf(const SimulatedKeyboard& keyboard, uint8_t command) {
    const std::vector<uint8_t> commands = RequestCommands(keyboard);
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

TEST_F(MainWindowTest, ARecordedMacroGivenToG1ReachesTheKeyboardsMacroArea) {
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    int64_t now = 5000;
    QTimer::singleShot(0, dlg_.get(), [&] {
        D& dialog = *dlg_->KeyEditorDialog();
        RecordNewMacro(dialog, now, 1, "3");
        ClickIn(dialog, D::kIdOk);
    });
    dlg_->Button(kButtonG1)->click();
    EXPECT_FALSE(dlg_->KeyEditorOpen());
    EXPECT_EQ(dlg_->PendingChanges(), 1);
    const int profile = keyboard_->ActiveProfile();

    keyboard_->ClearFrameLog();
    dlg_->Button(CKestrowDlg::kIdApply)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->PendingChanges() == 0; }, 5000));
    EXPECT_TRUE(AnyFrameOf(*keyboard_, kSimCmdWriteMacroArea));

    const std::vector<MacroRecord> held = DecodeMacroArea(keyboard_->MacroArea());
    ASSERT_EQ(held.size(), 1U);
    EXPECT_EQ(MacroNameUtf8(held[0]), "Macro 1");
    EXPECT_EQ(held[0].repeat, 3);
    ASSERT_EQ(held[0].stepCount, 4);
    const MacroAction expected[] = {{120, kCodeA, MacroAction::kPress},
                                    {300, kCodeA, MacroAction::kRelease},
                                    {80, kCodeB, MacroAction::kPress},
                                    {0, kCodeB, MacroAction::kRelease}};
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(held[0].steps[i], expected[i]) << i;
    }
    // G1's entry of the key table the keyboard holds plays that macro.
    KeyRecordBlock block;
    DecodeKeyTable(keyboard_->KeyTable(profile), block, profile);
    const KeyAssignment& g1 = block.Record(profile, kRecordG1);
    EXPECT_EQ(g1.type, AssignmentType::kMacro);
    EXPECT_EQ(g1.value, 1U);
    std::lock_guard guard(WorkingStore().lock);
    const KeyAssignment* stored = WorkingRecord(profile, kRecordG1);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(*stored, (KeyAssignment{AssignmentType::kMacro, 3, 1}));
}

TEST_F(MainWindowTest, MacrosTooLargeForTheKeyboardAreRefusedByHowManyBytesAndNothingIsSent) {
    // 128 bytes of macro memory.
    auto info = keyboard_->InfoBlock();
    info[kSimCapacityByte] = 1;
    keyboard_->SetInfoBlock(info);
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    ASSERT_EQ(DeviceState().MacroCapacity.load(), 128U);
    int64_t now = 5000;
    QTimer::singleShot(0, dlg_.get(), [&] {
        D& dialog = *dlg_->KeyEditorDialog();
        RecordNewMacro(dialog, now, 10, "1");
        ClickIn(dialog, D::kIdOk);
    });
    dlg_->Button(kButtonG1)->click();
    const std::vector<uint8_t> areaBefore = keyboard_->MacroArea();
    const std::vector<uint8_t> tableBefore = keyboard_->KeyTable(keyboard_->ActiveProfile());
    std::vector<MacroRecord> storeBefore;
    {
        std::lock_guard guard(WorkingStore().lock);
        storeBefore = WorkingStore().macros;
    }

    messages_.Clear();
    keyboard_->ClearFrameLog();
    dlg_->Button(CKestrowDlg::kIdApply)->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto shown = messages_.Shown();
            return std::find(shown.begin(), shown.end(), "EXTRA_MACRO_TOO_LONG") != shown.end();
        },
        5000));
    // 40 steps: 16 + 2 + 4 + 160 bytes without the name.
    EXPECT_EQ(messages_.ArgumentOf("EXTRA_MACRO_TOO_LONG"), 182 - 128);
    EXPECT_EQ(FormatLangText(LangText("EXTRA_MACRO_TOO_LONG", CurrentLanguageIndex()), 54),
              "The macros are 54 bytes too large for the keyboard's memory. Shorten or delete "
              "some macros, then apply again. Nothing was sent.");
    EXPECT_FALSE(AnyFrameOf(*keyboard_, kSimCmdWriteMacroArea));
    EXPECT_FALSE(AnyFrameOf(*keyboard_, kSimCmdWriteKeyTable));
    EXPECT_EQ(keyboard_->MacroArea(), areaBefore);
    EXPECT_EQ(keyboard_->KeyTable(keyboard_->ActiveProfile()), tableBefore);
    EXPECT_EQ(dlg_->PendingChanges(), 1);
    std::lock_guard guard(WorkingStore().lock);
    ASSERT_EQ(WorkingStore().macros.size(), storeBefore.size());
    EXPECT_EQ(WorkingStore().macros[0].stepCount, storeBefore[0].stepCount);
}

} // namespace
