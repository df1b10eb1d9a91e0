// SPDX-License-Identifier: GPL-3.0-or-later
// The macro page's list of macros and its step list: adding, deleting, naming, the in-place
// edits of the cells and the step buttons.

#include "MacroTestSupport.h"
#include "model/MacroChecks.h"
#include "model/ProfileStore.h"
#include "platform/ProgramNames.h"
#include "platform/SettingsHive.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {

using D = Kestrow_DlgComposite;
using M = MacroPage;

class MacroListTest : public MacroTest {
protected:
    QComboBox* List() { return Control<QComboBox>(M::kIdMacroList); }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const MacroRecord& macro : Page().Macros()) {
            names.push_back(MacroNameUtf8(macro));
        }
        return names;
    }
    // Types text into the list's name field as a user does, one character at a time.
    void TypeName(const QString& text) {
        QLineEdit* field = List()->lineEdit();
        for (const QChar c : text) {
            field->insert(QString(c));
            emit field->textEdited(field->text());
        }
    }
    void ReplaceName(const QString& text) {
        QLineEdit* field = List()->lineEdit();
        field->setText(text);
        emit field->textEdited(text);
    }
    // The drop-down list over a cell being edited.
    QComboBox* CellChoice() { return StepList()->viewport()->findChild<QComboBox*>(); }
};

TEST_F(MacroListTest, AddingNamesWithTheCounterFromOneAgainOnAnEmptyListAndTakesTheLowestId) {
    AddMacro("Mine", 2);
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMacroPage);
    Click(M::kIdAddMacro);
    Click(M::kIdAddMacro);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Mine", "Macro 1", "Macro 2"}));
    EXPECT_EQ(Page().Macros()[1].id, 1);
    EXPECT_EQ(Page().Macros()[2].id, 3);
    EXPECT_EQ(Page().Macros()[2].isNew, 1);
    EXPECT_EQ(Page().Macros()[2].repeat, 1);
    EXPECT_EQ(Page().CurrentMacro(), 2);
    EXPECT_EQ(List()->currentText(), "Macro 2");
    // New macros go without a question.
    Click(M::kIdDeleteMacro);
    Click(M::kIdDeleteMacro);
    EXPECT_TRUE(host_.messages.shown.empty());
    EXPECT_EQ(Page().CurrentMacro(), 0);
    Click(M::kIdAddMacro);
    EXPECT_EQ(Names().back(), "Macro 3");
    // Emptied, the list counts from 1 again.
    host_.messages.answers = {true};
    Click(M::kIdDeleteMacro);
    Click(M::kIdDeleteMacro);
    EXPECT_FALSE(Page().HasMacros());
    EXPECT_EQ(Page().CurrentMacro(), -1);
    Click(M::kIdAddMacro);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Macro 1"}));
    EXPECT_EQ(Page().Macros()[0].id, 1);
}

TEST_F(MacroListTest, AGeneratedNameSkipsNumbersAnotherNameBeginsWith) {
    AddMacro("Macro 1", 1);
    AddMacro("macro 2 old", 2);
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMacroPage);
    Click(M::kIdAddMacro);
    EXPECT_EQ(Names().back(), "Macro 3");
}

TEST_F(MacroListTest, TheHundredthMacroIsTheLast) {
    for (int i = 1; i <= kMaxMacros; ++i) {
        AddMacro(("M" + std::to_string(i)).c_str(), static_cast<uint16_t>(i), 0);
    }
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMacroPage);
    Click(M::kIdAddMacro);
    EXPECT_EQ(Page().Macros().size(), static_cast<size_t>(kMaxMacros));
    ASSERT_EQ(host_.messages.shown.size(), 1U);
    EXPECT_EQ(host_.messages.shown[0], (RecordingMessages::Shown{"MACRO_ERR_MAX", kMaxMacros}));
}

TEST_F(MacroListTest, DeletingAMacroAKeyUsesAsksFirstAndNoKeepsIt) {
    AddMacro("First", 1);
    AddMacro("Used", 2);
    AddMacro("Third", 3);
    // A G-key of another profile plays it.
    {
        std::lock_guard guard(WorkingStore().lock);
        *WorkingRecord(2, 256 + 4) = {AssignmentType::kMacro, 1, 2};
    }
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMacroPage);
    List()->setCurrentIndex(1);
    emit List()->activated(1);
    Click(M::kIdDeleteMacro);
    ASSERT_EQ(host_.messages.shown.size(), 1U);
    EXPECT_EQ(host_.messages.shown[0].key, "MACRO_DELETE_CONFIRM_OF_KEYS");
    EXPECT_EQ(Names(), (std::vector<std::string>{"First", "Used", "Third"}));
    EXPECT_EQ(Page().CurrentMacro(), 1);

    host_.messages.answers = {true};
    Click(M::kIdDeleteMacro);
    EXPECT_EQ(Names(), (std::vector<std::string>{"First", "Third"}));
    // The one before it is shown.
    EXPECT_EQ(Page().CurrentMacro(), 0);
    EXPECT_EQ(List()->currentText(), "First");
    // An unused one goes silently; the first deleted shows the new first.
    Click(M::kIdDeleteMacro);
    EXPECT_EQ(host_.messages.shown.size(), 2U);
    EXPECT_EQ(Page().CurrentMacro(), 0);
    EXPECT_EQ(List()->currentText(), "Third");
    // At Apply the key that played the deleted macro goes back to its default.
    Click(D::kIdApply);
    std::lock_guard guard(WorkingStore().lock);
    EXPECT_EQ(WorkingRecord(2, 256 + 4)->type, AssignmentType::kDefault);
    ASSERT_EQ(WorkingStore().macros.size(), 1U);
    EXPECT_EQ(WorkingStore().macros[0].id, 3);
}

TEST_F(MacroListTest, TypingRenamesTheShownMacroUnlessTheNameIsTakenOrBlank) {
    AddMacro("Copy", 1);
    AddMacro("Paste", 2);
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMacroPage);
    ReplaceName("L");
    TypeName("unch");
    EXPECT_EQ(Names()[0], "Lunch");
    EXPECT_EQ(List()->itemText(0), "Lunch");
    EXPECT_EQ(List()->lineEdit()->text(), "Lunch");
    EXPECT_TRUE(dialog_->IsModified());
    // What another name begins with, any case, is not taken.
    ReplaceName("pas");
    EXPECT_EQ(Names()[0], "Macro 1");
    EXPECT_EQ(List()->lineEdit()->text(), "Macro 1");
    ReplaceName(" x");
    EXPECT_EQ(Names()[0], "Macro 2");
    // An emptied field names it too.
    ReplaceName(QString());
    EXPECT_EQ(Names()[0], "Macro 3");
    ReplaceName("Copy of paste");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Copy of paste", "Paste"}));
}

TEST_F(MacroListTest, TypingIntoAnEmptyListCreatesAMacro) {
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMacroPage);
    EXPECT_FALSE(Control<QWidget>(M::kIdRecord)->isEnabled());
    TypeName("W");
    EXPECT_EQ(Names(), (std::vector<std::string>{"W"}));
    EXPECT_EQ(Page().CurrentMacro(), 0);
    EXPECT_EQ(Page().Macros()[0].isNew, 1);
    EXPECT_TRUE(Control<QWidget>(M::kIdRecord)->isEnabled());
    TypeName("ork");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Work"}));
}

TEST_F(MacroListTest, TheStepButtonsAreEnabledExactlyWhenAMacroIsSelected) {
    AddMacro("First", 1);
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMacroPage);
    const int buttons[] = {M::kIdRecord,   M::kIdDeleteStep, M::kIdClearSteps,   M::kIdStepToTop,
                           M::kIdStepUp,   M::kIdStepDown,   M::kIdStepToBottom};
    for (int id : buttons) {
        EXPECT_TRUE(Control<QWidget>(id)->isEnabled()) << id;
    }
    host_.messages.answers = {true};
    Click(M::kIdDeleteMacro);
    for (int id : buttons) {
        EXPECT_FALSE(Control<QWidget>(id)->isEnabled()) << id;
    }
}

TEST_F(MacroListTest, TheRecordDelaySettingIsStoredUnderItsNameInTheLanguage) {
    dialog_->Open(kRecordA, kButtonA);
    Click(D::kIdMacroPage);
    EXPECT_FALSE(Page().RecordDelay());
    const auto stored = [] {
        return SettingsHive::Instance().ReadString(kProfilesSettingsKey, "Record delays");
    };
    EXPECT_EQ(stored(), "0");
    Click(M::kIdRecordDelay);
    EXPECT_EQ(stored(), "1");
    Click(D::kIdCancel);
    dialog_->Open(kRecordA, kButtonA);
    EXPECT_TRUE(Page().RecordDelay());
}

TEST_F(MacroListTest, ADelayIsCutToTensAndAtMostFortyThousand) {
    AddMacro("First", 1, 3);
    OpenOnMacroPage();
    CReportCtrl* list = StepList();
    const auto typeDelay = [&](int row, const QString& text) {
        ASSERT_TRUE(list->StartEdit(row, M::kDelayColumn));
        ASSERT_TRUE(list->IsEditing());
        list->Editor()->setText(text);
        list->EndEdit(true);
    };
    typeDelay(0, "12345");
    EXPECT_EQ(list->GetItemText(0, M::kDelayColumn), "12340");
    EXPECT_EQ(Steps()[0].delay, 12340U);
    EXPECT_TRUE(host_.messages.shown.empty());
    typeDelay(1, "45000");
    EXPECT_EQ(list->GetItemText(1, M::kDelayColumn), "40000");
    EXPECT_EQ(Steps()[1].delay, 40000U);
    ASSERT_EQ(host_.messages.shown.size(), 1U);
    EXPECT_EQ(host_.messages.shown[0],
              (RecordingMessages::Shown{"MACRO_ACTION_ERR_DELAY_MAX", 40000}));
    // More digits than any number holds are too long as well.
    typeDelay(2, "99999999999999999999999");
    EXPECT_EQ(Steps()[2].delay, 40000U);
    // Kept by Apply.
    Click(D::kIdApply);
    std::lock_guard guard(WorkingStore().lock);
    EXPECT_EQ(WorkingStore().macros[0].steps[0].delay, 12340U);
}

TEST_F(MacroListTest, KeyAndDirectionCellsAreEditedWithDropDownLists) {
    AddMacro("First", 1, 2); // A down, A up
    OpenOnMacroPage();
    CReportCtrl* list = StepList();
    list->StartEdit(0, M::kKeyColumn);
    EXPECT_FALSE(list->IsEditing());
    QComboBox* keys = CellChoice();
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(keys->count(), M::kKeyChoiceCount);
    EXPECT_EQ(keys->maxVisibleItems(), M::kKeyChoiceRows);
    EXPECT_EQ(keys->currentIndex(), PositionFromKeyCode(kCodeA));
    const int positionB = PositionFromKeyCode(kCodeB);
    keys->setCurrentIndex(positionB);
    emit keys->activated(positionB);
    keys->hidePopup();
    EXPECT_EQ(Steps()[0].key, kCodeB);
    EXPECT_EQ(list->GetItemText(0, M::kKeyColumn), "B");

    list->StartEdit(1, M::kDirectionColumn);
    QTest::qWait(0);
    QComboBox* directions = CellChoice();
    ASSERT_NE(directions, nullptr);
    EXPECT_EQ(directions->count(), 2);
    EXPECT_EQ(directions->currentIndex(), 1);
    EXPECT_EQ(directions->maxVisibleItems(), M::kDirectionChoiceRows);
    emit directions->activated(0);
    directions->hidePopup();
    EXPECT_EQ(Steps()[1].direction, MacroAction::kPress);
    EXPECT_EQ(list->GetItemText(1, M::kDirectionColumn), QStringLiteral("\u2193"));
    QTest::qWait(0);
    EXPECT_EQ(CellChoice(), nullptr);
}

TEST_F(MacroListTest, StepsMoveWithTheirDelaysAndDeleteAndClearAsAsked) {
    AddMacro("First", 1, 0);
    {
        std::lock_guard guard(WorkingStore().lock);
        MacroRecord& macro = WorkingStore().macros[0];
        const MacroAction actions[] = {Press(kCodeA, 10), Press(kCodeB, 20), Press(kCodeD, 30),
                                       Release(kCodeA, 40)};
        std::copy(std::begin(actions), std::end(actions), macro.steps.begin());
        macro.stepCount = 4;
    }
    OpenOnMacroPage();
    const auto keyOrder = [&] {
        std::vector<uint32_t> delays;
        for (const MacroAction& step : Steps()) {
            delays.push_back(step.delay);
        }
        return delays;
    };
    CReportCtrl* list = StepList();
    list->SetItemStates(2, CReportCtrl::RC_ITEM_SELECTED);
    Click(M::kIdStepToTop);
    EXPECT_EQ(keyOrder(), (std::vector<uint32_t>{30, 10, 20, 40}));
    EXPECT_EQ(list->GetItemText(0, M::kDelayColumn), "30");
    EXPECT_EQ(list->GetItemText(0, M::kKeyColumn), "D");
    Click(M::kIdStepUp); // the first row stays
    EXPECT_EQ(keyOrder(), (std::vector<uint32_t>{30, 10, 20, 40}));
    Click(M::kIdStepDown);
    EXPECT_EQ(keyOrder(), (std::vector<uint32_t>{10, 30, 20, 40}));
    Click(M::kIdStepToBottom);
    EXPECT_EQ(keyOrder(), (std::vector<uint32_t>{10, 20, 40, 30}));
    Click(M::kIdStepDown); // the last row stays
    EXPECT_EQ(keyOrder(), (std::vector<uint32_t>{10, 20, 40, 30}));
    EXPECT_EQ(list->GetItemText(3, M::kKeyColumn), "D");
    EXPECT_EQ(list->GetFirstItem(CReportCtrl::RC_ITEM_SELECTED), 3);

    list->SetItemStates(3, CReportCtrl::RC_ITEM_UNSELECTED);
    list->SetItemStates(1, CReportCtrl::RC_ITEM_SELECTED);
    Click(M::kIdDeleteStep);
    EXPECT_EQ(keyOrder(), (std::vector<uint32_t>{10, 40, 30}));
    EXPECT_EQ(list->GetItemCount(), 3);

    Click(M::kIdClearSteps);
    ASSERT_EQ(host_.messages.shown.size(), 1U);
    EXPECT_EQ(host_.messages.shown[0].key, "MACRO_ACTION_CLEAR_CONFIRM");
    EXPECT_EQ(list->GetItemCount(), 3);
    host_.messages.answers = {true};
    Click(M::kIdClearSteps);
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_TRUE(Steps().empty());
    // An empty list asks nothing.
    Click(M::kIdClearSteps);
    EXPECT_EQ(host_.messages.shown.size(), 2U);
    Click(D::kIdOk);
    std::lock_guard guard(WorkingStore().lock);
    EXPECT_EQ(WorkingStore().macros[0].stepCount, 0);
}

TEST_F(MacroListTest, ApplyStoresTheShownMacroAndTheNewOnesAsApplied) {
    AddMacro("First", 4);
    OpenOnMacroPage();
    Click(M::kIdAddMacro);
    auto* repeat = Control<QLineEdit>(M::kIdRepeat);
    repeat->setText("300");
    emit repeat->textEdited("300");
    EXPECT_EQ(repeat->text(), "255");
    Click(M::kIdRecord);
    Key(QEvent::KeyPress, kKeyB, 10);
    Click(D::kIdApply);
    EXPECT_FALSE(dialog_->RecordingKeys());
    std::lock_guard guard(WorkingStore().lock);
    const std::vector<MacroRecord>& macros = WorkingStore().macros;
    ASSERT_EQ(macros.size(), 2U);
    EXPECT_EQ(MacroNameUtf8(macros[1]), "Macro 1");
    EXPECT_EQ(macros[1].id, 1);
    EXPECT_EQ(macros[1].isNew, 0);
    EXPECT_EQ(macros[1].repeat, 255);
    ASSERT_EQ(macros[1].stepCount, 1);
    EXPECT_EQ(macros[1].steps[0], Press(kCodeB, 0));
    EXPECT_EQ(Record(kRecordA), (KeyAssignment{AssignmentType::kMacro, 255, 1}));
}

} // namespace
