// SPDX-License-Identifier: GPL-3.0-or-later
// The key-setting dialog offscreen: opening on the record's page, capture from key events as
// xcb delivers them and from the keyboard's keyboard interface, the pages, Clear and Apply.

#include "CompositeTestSupport.h"
#include "editors/DialogPlacement.h"
#include "editors/MacroPage.h"
#include "model/KeyInputCodes.h"
#include "model/ProfileStore.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/WindowMessageEvent.h"
#include "widgets/CReportCtrl.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

namespace {

using D = Kestrow_DlgComposite;

QString Name(KeyCode code) {
    return QString::fromStdString(KeyNameFromCode(code));
}

bool Checked(QCheckBox* box) {
    return box != nullptr && box->isChecked();
}

// Counts the key presses that reach a control.
class KeySpy : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        presses += e->type() == QEvent::KeyPress ? 1 : 0;
        return false;
    }
};

TEST_F(CompositeTest, ADefaultRecordShowsTheKeyboardRadioEmptyAndOkStoresDefaultAgain) {
    SetRecord(kRecordA, {AssignmentType::kDefault, 0, 0, 1, 7});
    dialog_->Open(kRecordA, kButtonA);
    EXPECT_EQ(dialog_->OpenCount(), 1);
    EXPECT_EQ(dialog_->PageShown(), D::kPageKey);
    EXPECT_TRUE(Checked(Control<QCheckBox>(D::kIdKeyboardRadio)));
    EXPECT_FALSE(Checked(Control<QCheckBox>(D::kIdMouseRadio)));
    EXPECT_TRUE(KeyFieldText().isEmpty());
    EXPECT_TRUE(Control<QLineEdit>(D::kIdKeyField)->isEnabled());
    EXPECT_FALSE(Control<QComboBox>(D::kIdMouseList)->isEnabled());
    EXPECT_FALSE(Control<CPngButton>(D::kIdApply)->isEnabled());
    EXPECT_TRUE(dialog_->KeyCaptureActive());
    EXPECT_TRUE(Control<CPngButton>(D::kIdKeyPage)->GetCheck());

    Click(D::kIdOk);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->result(), D::kIdOk);
    EXPECT_EQ(dialog_->OpenCount(), 0);
    // Type 0 again; the colour mark and the last word as they were.
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kDefault, 0, 0, 1, 7}));
    EXPECT_EQ(host_.pending, std::vector<int>{1});
    EXPECT_EQ(host_.restored, std::vector<int>{kButtonA});
    EXPECT_FALSE(dialog_->KeyCaptureActive());
}

TEST_F(CompositeTest, AKeyRecordShowsItsKeyAndCapturingTheKeyItselfStoresDefault) {
    SetRecord(kRecordA, {AssignmentType::kKey, 0, kRecordB});
    dialog_->Open(kRecordA, kButtonA);
    EXPECT_EQ(KeyFieldText(), Name(0x030));
    EXPECT_EQ(dialog_->CapturedCode(), 0x030);

    // Sent to the OK button: the dialog takes it before any control does.
    EXPECT_TRUE(SendKey(Control<CPngButton>(D::kIdOk), QEvent::KeyPress, {Qt::Key_A, kXKeyA}));
    EXPECT_EQ(KeyFieldText(), Name(0x01E));
    EXPECT_TRUE(dialog_->IsModified());
    EXPECT_TRUE(Control<CPngButton>(D::kIdApply)->isEnabled());
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordA).type, AssignmentType::kDefault);
    EXPECT_EQ(host_.described.at(0x01E).second, false);
}

TEST_F(CompositeTest, HoldingAKeyCapturesItOnceAndItsReleaseChangesNothing) {
    dialog_->Open(kRecordA, kButtonA);
    QWidget* list = Control<QComboBox>(D::kIdMouseList);
    SendKey(list, QEvent::KeyPress, {Qt::Key_B, kXKeyB});
    EXPECT_EQ(dialog_->CapturedCode(), 0x030);
    Click(D::kIdApply);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kKey, 0, 0x030}));
    EXPECT_FALSE(dialog_->IsModified());
    // Auto-repeat gives release and press pairs, then the last release: nothing new.
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(SendKey(list, QEvent::KeyRelease, {Qt::Key_B, kXKeyB}, true));
        EXPECT_TRUE(SendKey(list, QEvent::KeyPress, {Qt::Key_B, kXKeyB}, true));
    }
    EXPECT_TRUE(SendKey(list, QEvent::KeyRelease, {Qt::Key_B, kXKeyB}));
    EXPECT_FALSE(dialog_->IsModified());
    EXPECT_EQ(KeyFieldText(), Name(0x030));
    // The arrow key the list would have moved by was taken too: the list did not move.
    const int entry = Control<QComboBox>(D::kIdMouseList)->currentIndex();
    SendKey(list, QEvent::KeyPress, {Qt::Key_Down, kXKeyDown});
    EXPECT_EQ(Control<QComboBox>(D::kIdMouseList)->currentIndex(), entry);
    EXPECT_EQ(dialog_->CapturedCode(), 0x150);
}

TEST_F(CompositeTest, ARepeatPairWhoseMarkWasMissedCapturesNothingNew) {
    dialog_->Open(kRecordA, kButtonA);
    ServerKey(dialog_.get(), QEvent::KeyPress, {Qt::Key_B, kXKeyB}, 7000);
    Click(D::kIdApply);
    // Under load xcb may not see the press behind a repeat's release: both come unmarked.
    EXPECT_TRUE(ServerKey(dialog_.get(), QEvent::KeyRelease, {Qt::Key_B, kXKeyB}, 7500));
    EXPECT_TRUE(ServerKey(dialog_.get(), QEvent::KeyPress, {Qt::Key_B, kXKeyB}, 7500));
    EXPECT_FALSE(dialog_->IsModified());
    // A real second stroke is another capture.
    ServerKey(dialog_.get(), QEvent::KeyRelease, {Qt::Key_B, kXKeyB}, 7600);
    ServerKey(dialog_.get(), QEvent::KeyPress, {Qt::Key_B, kXKeyB}, 7700);
    EXPECT_TRUE(dialog_->IsModified());
}

TEST_F(CompositeTest, PrintScreenIsCapturedAlsoFromItsReleaseAlone) {
    dialog_->Open(kRecordA, kButtonA);
    EXPECT_TRUE(SendKey(dialog_.get(), QEvent::KeyRelease, {Qt::Key_Print, kXKeyPrint}));
    EXPECT_EQ(dialog_->CapturedCode(), kPrintScreenKey);
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kKey, 0, kPrintScreenKey}));
}

TEST_F(CompositeTest, MultimediaKeysAreNotCapturedAndReachTheControls) {
    dialog_->Open(kRecordA, kButtonA);
    QLineEdit* field = Control<QLineEdit>(D::kIdKeyField);
    KeySpy spy;
    field->installEventFilter(&spy);
    SendKey(field, QEvent::KeyPress, {Qt::Key_VolumeUp, kXKeyVolumeUp});
    // The same key where no scan code comes with it (offscreen, synthetic).
    SendKey(field, QEvent::KeyPress, {Qt::Key_MediaPlay, 0});
    EXPECT_EQ(spy.presses, 2);
    EXPECT_EQ(dialog_->CapturedCode(), 0);
    EXPECT_FALSE(dialog_->IsModified());
    // An ordinary key never reaches it.
    SendKey(field, QEvent::KeyPress, {Qt::Key_B, kXKeyB});
    EXPECT_EQ(spy.presses, 2);
}

TEST_F(CompositeTest, LeftWinIsCapturedEvenWithTheMouseRadioAndStoredAsShown) {
    ASSERT_EQ(keyboard_->TypeKey(0xE3), 0); // nobody listens before the dialog opens
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMouseRadio);
    ASSERT_TRUE(Checked(Control<QCheckBox>(D::kIdMouseRadio)));
    // Other keys are not taken while the mouse is chosen.
    SendKey(dialog_.get(), QEvent::KeyPress, {Qt::Key_B, kXKeyB});
    EXPECT_EQ(dialog_->CapturedCode(), 0);

    ASSERT_TRUE(WaitForInterfaceReader());
    keyboard_->TypeKey(0xE3); // left Win on the keyboard itself: the desktop keeps it
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog_->CapturedCode() == 0x15B; }, 5000));
    EXPECT_EQ(KeyFieldText(), Name(0x15B));
    EXPECT_TRUE(Checked(Control<QCheckBox>(D::kIdKeyboardRadio)));
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kKey, 0, 0x15B}));
}

TEST_F(CompositeTest, TheApplicationsKeyOfTheWindowCountsWithTheMouseRadioToo) {
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMouseRadio);
    SendKey(dialog_.get(), QEvent::KeyPress, {Qt::Key_Menu, kXKeyMenu});
    EXPECT_EQ(dialog_->CapturedCode(), 0x15D);
    EXPECT_TRUE(Checked(Control<QCheckBox>(D::kIdKeyboardRadio)));
}

TEST_F(CompositeTest, TheKeyboardInterfaceIsReadOnlyWhileTheSingleKeyPageShows) {
    dialog_->Open(kRecordA, kButtonA);
    ASSERT_TRUE(WaitForInterfaceReader());
    EXPECT_EQ(keyboard_->OpenHandleCount(SimInterface::Keyboard), 1);
    Click(D::kIdMediaPage);
    EXPECT_FALSE(dialog_->KeyCaptureActive());
    EXPECT_EQ(keyboard_->OpenHandleCount(SimInterface::Keyboard), 0);
    // A key on another page is no capture.
    SendKey(dialog_.get(), QEvent::KeyPress, {Qt::Key_B, kXKeyB});
    EXPECT_EQ(dialog_->CapturedCode(), 0);
    Click(D::kIdKeyPage);
    ASSERT_TRUE(WaitForInterfaceReader());
    Click(D::kIdCancel);
    EXPECT_EQ(keyboard_->OpenHandleCount(SimInterface::Keyboard), 0);
}

TEST_F(CompositeTest, G9OpensCentredOnTheMacroPageWithTheOtherPageButtonsDisabled) {
    AddMacro("First", 1);
    AddMacro("Second", 2);
    SetRecord(kRecordG9, {AssignmentType::kMacro, 3, 2});
    dialog_->Open(kRecordG9, D::kMacroOnlyButtonId);
    EXPECT_TRUE(dialog_->MacroOnly());
    EXPECT_EQ(dialog_->PageShown(), D::kPageMacro);
    EXPECT_FALSE(dialog_->KeyCaptureActive());
    for (int id : {D::kIdKeyPage, D::kIdMediaPage, D::kIdFunctionPage, D::kIdClear}) {
        EXPECT_FALSE(Control<CPngButton>(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(Control<CPngButton>(D::kIdMacroPage)->isEnabled());
    EXPECT_TRUE(Control<CPngButton>(D::kIdMacroPage)->GetCheck());
    for (int id : {D::kIdSingleCaption, D::kIdMediaCaption, D::kIdFunctionCaption}) {
        EXPECT_TRUE(Control<QWidget>(id)->isHidden()) << id;
    }
    EXPECT_EQ(Control<QLabel>(D::kIdSettingCaption)->text().toStdString(),
              LangText("MACRO_EDIT_TISHI", CurrentLanguageIndex()));
    EXPECT_TRUE(Control<CPngButton>(D::kIdKeyPage)->text().isEmpty());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(dialog_->pos(), PlaceCentred(dialog_->size(), screen));
    // The macro the record plays is shown with its repeat count.
    EXPECT_EQ(dialog_->Macros().CurrentMacro(), 1);
    EXPECT_EQ(Control<QComboBox>(MacroPage::kIdMacroList)->currentText(), "Second");
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordG9), (KeyAssignment{AssignmentType::kMacro, 1, 2}));
}

TEST_F(CompositeTest, ApplyOnTheMacroPageWithNoMacrosStoresDefault) {
    SetRecord(kRecordA, {AssignmentType::kKey, 0, kRecordB});
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMacroPage);
    EXPECT_TRUE(dialog_->IsModified());
    Click(D::kIdApply);
    EXPECT_EQ(Record(kRecordA), KeyAssignment{});
    EXPECT_TRUE(dialog_->isVisible());
}

TEST_F(CompositeTest, MacrosButNoneChosenStoreTheFirstByValueZeroUntilTheNextApply) {
    AddMacro("First", 5);
    AddMacro("Second", 9);
    SetRecord(kRecordA, {AssignmentType::kKey, 0, kRecordB});
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMacroPage);
    EXPECT_EQ(dialog_->Macros().CurrentMacro(), -1);
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kMacro, 1, 0}));
    // The next Apply, of any key, names it by the first macro's id.
    dialog_->Open(kRecordB, kButtonB);
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kMacro, 1, 5}));
}

TEST_F(CompositeTest, AChosenMacroIsStoredWithItsRepeatCount) {
    AddMacro("First", 5);
    AddMacro("Second", 9, 4);
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMacroPage);
    // A default record: the first time the page shows, its first macro is chosen.
    EXPECT_EQ(dialog_->Macros().CurrentMacro(), 0);
    auto* list = Control<QComboBox>(MacroPage::kIdMacroList);
    list->setCurrentIndex(1);
    emit list->activated(1);
    EXPECT_EQ(Control<CReportCtrl>(MacroPage::kIdStepList)->GetItemCount(), 4);
    auto* repeat = Control<QLineEdit>(MacroPage::kIdRepeat);
    repeat->setText("300");
    emit repeat->textEdited("300");
    EXPECT_EQ(repeat->text(), "255");
    repeat->setText("3");
    emit repeat->textEdited("3");
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kMacro, 3, 9}));
    std::lock_guard guard(WorkingStore().lock);
    ASSERT_EQ(WorkingStore().macros.size(), 2u);
    EXPECT_EQ(WorkingStore().macros[1].repeat, 3);
}

TEST_F(CompositeTest, ClearAloneKeepsApplyOffAndOkAfterClearStoresDefault) {
    SetRecord(kRecordA, {AssignmentType::kKey, 0, kRecordB, 1, 0});
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdClear);
    EXPECT_TRUE(KeyFieldText().isEmpty());
    EXPECT_EQ(dialog_->PageType(), D::kPageCleared);
    EXPECT_FALSE(dialog_->IsModified());
    EXPECT_FALSE(Control<CPngButton>(D::kIdApply)->isEnabled());
    // The keyboard radio again brings back no hidden key.
    Click(D::kIdKeyboardRadio);
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kDefault, 0, 0, 1, 0}));
}

TEST_F(CompositeTest, ClearFromAnotherPageGoesToTheSingleKeyPage) {
    SetRecord(kRecordA, {AssignmentType::kMedia, 0, 4});
    dialog_->Open(kRecordA, kButtonA);
    EXPECT_EQ(dialog_->PageShown(), D::kPageMedia);
    Click(D::kIdClear);
    EXPECT_EQ(dialog_->PageShown(), D::kPageKey);
    EXPECT_EQ(dialog_->PageType(), D::kPageCleared);
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordA), KeyAssignment{});
}

TEST_F(CompositeTest, MediaFunctionAndMouseChoicesAreStoredAndShownAgain) {
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMediaPage);
    EXPECT_TRUE(Control<QComboBox>(D::kIdMediaList)->isVisible());
    EXPECT_FALSE(Control<QLineEdit>(D::kIdKeyField)->isVisible());
    EXPECT_EQ(Control<QComboBox>(D::kIdMediaList)->count(), 18);
    Control<QComboBox>(D::kIdMediaList)->setCurrentIndex(5);
    Click(D::kIdApply);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kMedia, 0, 5}));

    Click(D::kIdFunctionPage);
    EXPECT_EQ(Control<QComboBox>(D::kIdFunctionList)->count(), 11);
    Control<QComboBox>(D::kIdFunctionList)->setCurrentIndex(10);
    Click(D::kIdApply);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kFunction, 0, 10}));

    Click(D::kIdKeyPage);
    Click(D::kIdMouseRadio);
    Control<QComboBox>(D::kIdMouseList)->setCurrentIndex(3);
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kKey, 0, kWheelUp}));

    dialog_->Open(kRecordA, kButtonA);
    EXPECT_TRUE(Checked(Control<QCheckBox>(D::kIdMouseRadio)));
    EXPECT_EQ(Control<QComboBox>(D::kIdMouseList)->currentIndex(), 3);
    Click(D::kIdCancel);
    SetRecord(kRecordA, {AssignmentType::kFunction, 0, 7});
    dialog_->Open(kRecordA, kButtonA);
    EXPECT_EQ(dialog_->PageShown(), D::kPageFunction);
    EXPECT_EQ(Control<QComboBox>(D::kIdFunctionList)->currentIndex(), 7);
    EXPECT_FALSE(dialog_->IsModified());
}

TEST_F(CompositeTest, CancelStoresNothing) {
    SetRecord(kRecordA, {AssignmentType::kKey, 0, kRecordB});
    dialog_->Open(kRecordA, kButtonA);
    SendKey(dialog_.get(), QEvent::KeyPress, {Qt::Key_A, kXKeyA});
    Click(D::kIdCancel);
    EXPECT_EQ(dialog_->result(), D::kIdCancel);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kKey, 0, kRecordB}));
    EXPECT_TRUE(host_.pending.empty());
}

TEST_F(CompositeTest, RecordsOfTypesWithoutAPageAreKeptUntilTheUserPicksAnother) {
    // A program record: its string pool offset is no key, and OK keeps it with its string.
    SetRecord(kRecordA, {AssignmentType::kProgram, 0, 0x1E});
    {
        std::lock_guard guard(WorkingStore().lock);
        WorkingStore().strings.Set(kRecordA, u"/usr/bin/true");
    }
    dialog_->Open(kRecordA, kButtonA);
    EXPECT_TRUE(KeyFieldText().isEmpty());
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kProgram, 0, 0x1E}));
    {
        std::lock_guard guard(WorkingStore().lock);
        EXPECT_EQ(WorkingStore().strings.entries[kRecordA].text, u"/usr/bin/true");
    }
    // A macro record's id is no key either: the key page starts empty.
    AddMacro("First", 1);
    SetRecord(kRecordB, {AssignmentType::kMacro, 1, 1});
    dialog_->Open(kRecordB, kButtonB);
    Click(D::kIdKeyPage);
    EXPECT_TRUE(KeyFieldText().isEmpty());
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordB), KeyAssignment{});
    // Clear resets a disabled key.
    SetRecord(kRecordA, {AssignmentType::kDisabled, 0, 0});
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdClear);
    Click(D::kIdOk);
    EXPECT_EQ(Record(kRecordA), KeyAssignment{});
}

TEST_F(CompositeTest, EnterAndEscapeNeitherApplyNorCancelAndF1OpensTheHelp) {
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMediaPage); // no capture: the keys reach the dialog's own handling
    for (XKey key : {XKey{Qt::Key_Return, kXKeyReturn}, XKey{Qt::Key_Escape, kXKeyEscape}}) {
        TypeKey(Control<QComboBox>(D::kIdMediaList), key);
        TypeKey(dialog_.get(), key);
    }
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(dialog_->OpenCount(), 1);
    TypeKey(dialog_.get(), {Qt::Key_F1, kXKeyF1});
    EXPECT_EQ(host_.helpOpened, 1);
}

TEST_F(CompositeTest, CloseIfOpenCancelsAndGivesTheButtonItsImagesBack) {
    dialog_->CloseIfOpen();
    EXPECT_TRUE(host_.restored.empty());
    dialog_->Open(kRecordA, kButtonA);
    SendKey(dialog_.get(), QEvent::KeyPress, {Qt::Key_B, kXKeyB});
    dialog_->CloseIfOpen();
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->OpenCount(), 0);
    EXPECT_EQ(host_.restored, std::vector<int>{kButtonA});
    EXPECT_EQ(Record(kRecordA), KeyAssignment{});
    EXPECT_FALSE(dialog_->KeyCaptureActive());
    // It opens again with a fresh face.
    dialog_->Open(kRecordA, kButtonA);
    EXPECT_NE(dialog_->Background(), nullptr);
    EXPECT_EQ(dialog_->CapturedCode(), 0);
}

TEST_F(CompositeTest, OpensBesideItsButton) {
    host_.buttonRects[kButtonA] = QRect(100, 100, 40, 30);
    dialog_->Open(kRecordA, kButtonA);
    EXPECT_EQ(dialog_->pos(), QPoint(140, 130));
    Click(D::kIdCancel);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect corner(screen.right() - 40, screen.bottom() - 30, 40, 30);
    host_.buttonRects[kButtonB] = corner;
    dialog_->Open(kRecordB, kButtonB);
    EXPECT_EQ(dialog_->pos(), corner.topLeft() - QPoint(dialog_->width(), dialog_->height()));
}

TEST_F(CompositeTest, TheLanguageMessageRelabelsTheDialog) {
    dialog_->Open(kRecordA, kButtonA);
    constexpr int kEnglish = 2;
    SendWindowMessage(dialog_.get(), UM_LANGUAGE, kLanguageNoticeTag, kEnglish);
    EXPECT_EQ(Control<CPngButton>(D::kIdKeyPage)->text().toStdString(),
              LangText("SINGLE_KEY", kEnglish));
    EXPECT_EQ(Control<CPngButton>(D::kIdOk)->text().toStdString(), LangText("MACRO_OK", kEnglish));
    constexpr int kPortuguese = 0;
    SendWindowMessage(dialog_.get(), UM_LANGUAGE, 0x1234, kPortuguese);
    EXPECT_EQ(Control<CPngButton>(D::kIdKeyPage)->text().toStdString(),
              LangText("SINGLE_KEY", kEnglish));
}

} // namespace
