// SPDX-License-Identifier: GPL-3.0-or-later
#include "editors/MacroPage.h"

#include "device/MessageSink.h"
#include "model/AssignmentChoice.h"
#include "model/MacroChecks.h"
#include "model/ProfileStore.h"
#include "platform/ProgramNames.h"
#include "platform/SettingsHive.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/ControlId.h"
#include "skin/ui/Placement.h"
#include "widgets/CReportCtrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <algorithm>
#include <new>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QString NameOf(const MacroRecord& macro) {
    const std::u16string_view name = MacroName(macro);
    return QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()));
}

// The repeat field's text as a number; text that is no number counts as below 1.
int RepeatOfText(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

// The step buttons 1020 .. 1026 with their skin keys, in id order.
constexpr std::pair<int, const char*> kStepButtons[] = {
    {MacroPage::kIdRecord, "FUNC_MACRO_RECORD"},
    {MacroPage::kIdDeleteStep, "FUNC_MACRO_DELETE2"},
    {MacroPage::kIdClearSteps, "FUNC_MACRO_CLEAR"},
    {MacroPage::kIdStepToTop, "FUNC_MACRO_UP_TOP"},
    {MacroPage::kIdStepUp, "FUNC_MACRO_UP"},
    {MacroPage::kIdStepDown, "FUNC_MACRO_DOWN"},
    {MacroPage::kIdStepToBottom, "FUNC_MACRO_DOWN_BOTTOM"},
};

} // namespace

MacroPage::MacroPage(QWidget* dialog, MessageSink& messages)
    : QObject(dialog), dialog_(dialog), messages_(messages), macroList_(new QComboBox(dialog)),
      addMacro_(new CPngButton(dialog, kIdAddMacro)),
      deleteMacro_(new CPngButton(dialog, kIdDeleteMacro)),
      steps_(new CReportCtrl(dialog, kIdStepList)), recordDelayBox_(new QCheckBox(dialog)),
      recordDelayCaption_(new ColorStatic(dialog, kIdRecordDelayCaption)),
      repeat_(new QLineEdit(dialog)), repeatCaption_(new ColorStatic(dialog, kIdRepeatCaption)) {
    SetControlId(macroList_, kIdMacroList);
    SetControlId(addMacro_, kIdAddMacro);
    SetControlId(deleteMacro_, kIdDeleteMacro);
    SetControlId(steps_, kIdStepList);
    SetControlId(recordDelayBox_, kIdRecordDelay);
    SetControlId(repeat_, kIdRepeat);
    for (const auto& [id, key] : kStepButtons) {
        auto* button = new CPngButton(dialog, id);
        SetControlId(button, id);
        stepButtons_.push_back(button);
    }
    for (QWidget* control :
         std::initializer_list<QWidget*>{macroList_, steps_, recordDelayBox_, repeat_}) {
        StylePlainControl(control);
    }
    for (ColorStatic* caption : {recordDelayCaption_, repeatCaption_}) {
        caption->SetTextColour(ColorRef{kCaptionColour});
        caption->setFont(QFont(kCompositeFont));
    }
    // The list's edit field names the macro shown.
    macroList_->setEditable(true);
    macroList_->setInsertPolicy(QComboBox::NoInsert);
    macroList_->lineEdit()->setMaxLength(kMaxMacroNameChars);
    repeat_->setMaxLength(3);
    connect(macroList_, &QComboBox::activated, this, &MacroPage::OnMacroSelected);
    connect(macroList_->lineEdit(), &QLineEdit::textEdited, this, &MacroPage::OnNameEdited);
    connect(addMacro_, &CPngButton::clicked, this, &MacroPage::OnAddMacro);
    connect(deleteMacro_, &CPngButton::clicked, this, &MacroPage::OnDeleteMacro);
    connect(repeat_, &QLineEdit::textEdited, this, &MacroPage::OnRepeatEdited);
    connect(recordDelayBox_, &QCheckBox::clicked, this, &MacroPage::OnRecordDelayToggled);
    ConnectStepList();
}

void MacroPage::Place(const std::filesystem::path& layout, const PageImageSet& pictures) {
    PlaceControl(macroList_, layout, kSkinSection, "FUNC_MACRO_LIST");
    PlaceControl(steps_, layout, kSkinSection, "FUNC_MACRO_LIST2");
    PlaceControl(recordDelayBox_, layout, kSkinSection, "FUNC_MACRO_RECORD_DELAY");
    PlaceControl(recordDelayCaption_, layout, kSkinSection, "FUNC_MACRO_RECORD_DELAY2");
    PlaceControl(repeat_, layout, kSkinSection, "FUNC_MACRO_CYCLES");
    PlaceControl(repeatCaption_, layout, kSkinSection, "FUNC_MACRO_CYCLES_PROMPT");
    PlaceSkinButton(addMacro_, layout, "FUNC_MACRO_ADD", pictures, pictures);
    PlaceSkinButton(deleteMacro_, layout, "FUNC_MACRO_DELETE", pictures, pictures);
    for (size_t i = 0; i < stepButtons_.size(); ++i) {
        PlaceSkinButton(stepButtons_[i], layout, kStepButtons[i].second, pictures, pictures);
        stepButtons_[i]->SetTextStyle(true, 8, kCompositeFont, SkinButtonTextColours());
    }
}

void MacroPage::SetTexts(int languageIndex) {
    const int l = languageIndex;
    keyNames_.clear();
    repeatCaption_->setText(Q(LangText("MACRO_CYCLES", l)));
    recordDelayCaption_->setText(Q(LangText("RECORD_DELAY", l)));
    stepButtons_[0]->setText(
        Q(LangText(Recording() ? "MACRO_ACTION_STOP_RECORD" : "A_RECORD", l)));
    const std::pair<CPngButton*, QString> tipped[] = {
        {stepButtons_[3], Q(LangText("A_TOP", l))},
        {stepButtons_[4], Q(LangText("A_UP", l))},
        {stepButtons_[5], Q(LangText("A_DOWN", l))},
        {stepButtons_[6], Q(LangText("A_BOTTOM", l))},
        {stepButtons_[1], Q(LangText("A_DELETE", l))},
        {stepButtons_[2], Q(LangText("A_CLEAR", l))},
    };
    for (const auto& [button, text] : tipped) {
        button->setText(text);
        button->SetTooltipText(text);
    }
}

void MacroPage::SetShown(bool shown) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{macroList_, addMacro_, deleteMacro_, steps_,
                                         recordDelayBox_, recordDelayCaption_, repeat_}) {
        control->setVisible(shown);
    }
    for (CPngButton* button : stepButtons_) {
        button->setVisible(shown);
    }
}

void MacroPage::Open() {
    StopRecording();
    keyNames_.clear();
    steps_->DeleteAllItems();
    shownSteps_.clear();
    if (steps_->GetColumnCount() == 0) {
        SetUpStepColumns();
    }
    const int language = CurrentLanguageIndex();
    steps_->setHeaderLabels({Q(LangText("MACRO_KEYS_TISHI", language)),
                             Q(LangText("MACRO_ACTION_TISHI", language)),
                             Q(LangText("MACRO_DELAY_MS", language))});
    repeat_->setText(QStringLiteral("1"));

    // The setting is stored under the language's own text of its name, as 0 or 1.
    const std::string name = LangText("MACRO_ACTION_RECORD_DELAY", language);
    SettingsHive& settings = SettingsHive::Instance();
    recordDelay_ = settings.ReadString(kProfilesSettingsKey, name).value_or("0") == "1";
    settings.WriteString(kProfilesSettingsKey, name, recordDelay_ ? "1" : "0");
    recordDelayBox_->setChecked(recordDelay_);

    macros_.clear();
    {
        ProfileStore& store = WorkingStore();
        std::lock_guard guard(store.lock);
        macros_ = store.macros;
    }
    for (MacroRecord& macro : macros_) {
        macro.isNew = 0;
    }
    currentMacro_ = -1;
    RebuildList();
    UpdateMacroButtons();
}

void MacroPage::Close() {
    StopRecording();
    steps_->EndEdit(false);
    delete cellChoice_;
    steps_->DeleteAllItems();
    shownSteps_.clear();
    macros_.clear();
    macros_.shrink_to_fit();
    currentMacro_ = -1;
    RebuildList();
}

void MacroPage::RebuildList() {
    rebuildingList_ = true;
    macroList_->clear();
    for (const MacroRecord& macro : macros_) {
        macroList_->addItem(NameOf(macro));
    }
    macroList_->setCurrentIndex(currentMacro_);
    if (currentMacro_ < 0) {
        macroList_->setEditText(QString());
    }
    rebuildingList_ = false;
}

void MacroPage::SelectMacroOfId(uint32_t id) {
    const auto it = std::find_if(macros_.begin(), macros_.end(), [id](const MacroRecord& m) {
        return id != 0 && m.id == static_cast<uint16_t>(id);
    });
    if (it != macros_.end()) {
        Select(static_cast<int>(it - macros_.begin()));
    } else {
        SelectFirstMacro();
    }
}

void MacroPage::SelectFirstMacro() {
    if (!macros_.empty()) {
        Select(0);
    }
}

void MacroPage::Select(int position) {
    if (currentMacro_ >= 0) {
        SaveMacro(currentMacro_);
    }
    currentMacro_ = position;
    rebuildingList_ = true;
    macroList_->setCurrentIndex(position);
    rebuildingList_ = false;
    ShowMacro(position);
    UpdateMacroButtons();
}

void MacroPage::ShowMacro(int position) {
    steps_->DeleteAllItems();
    shownSteps_.clear();
    if (position < 0 || position >= static_cast<int>(macros_.size())) {
        return;
    }
    const MacroRecord& macro = macros_[static_cast<size_t>(position)];
    repeat_->setText(QString::number(std::max<int>(macro.repeat, kMinMacroRepeat)));
    const int count = MacroStepCount(macro);
    shownSteps_.assign(macro.steps.begin(), macro.steps.begin() + count);
    std::vector<QStringList> rows;
    rows.reserve(shownSteps_.size());
    for (const MacroAction& step : shownSteps_) {
        rows.push_back(StepTexts(step));
    }
    steps_->InsertItems(0, rows);
}

void MacroPage::SaveMacro(int position) {
    if (position < 0 || position >= static_cast<int>(macros_.size())) {
        return;
    }
    MacroRecord& macro = macros_[static_cast<size_t>(position)];
    macro.repeat = static_cast<uint8_t>(RepeatCount());
    const size_t count = std::min(shownSteps_.size(), macro.steps.size());
    std::copy_n(shownSteps_.begin(), count, macro.steps.begin());
    macro.stepCount = static_cast<uint16_t>(count);
}

int MacroPage::RepeatCount() const {
    return std::clamp(RepeatOfText(repeat_->text()), kMinMacroRepeat, kMaxMacroRepeat);
}

std::vector<MacroRecord> MacroPage::TakeForApply() {
    steps_->EndEdit(true);
    StopRecording();
    if (currentMacro_ >= 0) {
        SaveMacro(currentMacro_);
    }
    for (MacroRecord& macro : macros_) {
        macro.isNew = 0;
    }
    return macros_;
}

void MacroPage::OnMacroSelected(int index) {
    if (rebuildingList_ || index == currentMacro_) {
        return;
    }
    Select(index);
    emit Modified();
}

// ---- adding, deleting, naming ----

bool MacroPage::NameTaken(const QString& name, int except) const {
    for (size_t i = 0; i < macros_.size(); ++i) {
        if (static_cast<int>(i) != except &&
            NameOf(macros_[i]).startsWith(name, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

QString MacroPage::GeneratedName(int except) {
    const QString prefix = Q(LangText("MACRO_NEW_PREFIX", CurrentLanguageIndex()));
    QString name;
    do {
        name = prefix + QString::number(++newMacroCounter_);
    } while (NameTaken(name, except));
    return name;
}

MacroRecord MacroPage::NewMacro(const QString& name) const {
    MacroRecord macro;
    SetMacroName(macro, std::u16string_view(reinterpret_cast<const char16_t*>(name.utf16()),
                                            static_cast<size_t>(name.size())));
    macro.repeat = kMinMacroRepeat;
    macro.isNew = 1;
    macro.id = LowestFreeMacroId(macros_);
    return macro;
}

void MacroPage::OnAddMacro() {
    if (macros_.size() >= static_cast<size_t>(kMaxMacros)) {
        messages_.ShowText("MACRO_ERR_MAX", kMaxMacros);
        return;
    }
    if (macros_.empty()) {
        newMacroCounter_ = 0;
    }
    const QString name = GeneratedName(-1);
    if (currentMacro_ >= 0) {
        SaveMacro(currentMacro_);
    }
    try {
        macros_.push_back(NewMacro(name));
    } catch (const std::bad_alloc&) {
        return;
    }
    currentMacro_ = -1;
    RebuildList();
    Select(static_cast<int>(macros_.size()) - 1);
    emit Modified();
}

void MacroPage::OnDeleteMacro() {
    if (macros_.empty() || currentMacro_ < 0) {
        return;
    }
    const int position = currentMacro_;
    if (!MacroMayBeDeleted(macros_[static_cast<size_t>(position)], messages_)) {
        return;
    }
    macros_.erase(macros_.begin() + position);
    currentMacro_ = -1;
    steps_->DeleteAllItems();
    shownSteps_.clear();
    RebuildList();
    if (!macros_.empty()) {
        Select(std::max(position - 1, 0));
    }
    UpdateMacroButtons();
    emit Modified();
}

void MacroPage::OnNameEdited(const QString& text) {
    QLineEdit* field = macroList_->lineEdit();
    const int cursor = field->cursorPosition();
    QString name = text;
    if (macros_.empty()) {
        if (name.isEmpty() || name.front().isSpace()) {
            newMacroCounter_ = 0;
            name = GeneratedName(-1);
        }
        try {
            macros_.insert(macros_.begin(), NewMacro(name));
        } catch (const std::bad_alloc&) {
            return;
        }
        currentMacro_ = 0;
        RebuildList();
        ShowMacro(0);
    } else if (currentMacro_ >= 0) {
        // A name another macro's begins with, or one that starts blank, is not taken.
        if (NameTaken(name, currentMacro_) || name.isEmpty() || name.front().isSpace()) {
            name = GeneratedName(currentMacro_);
        }
        MacroRecord& macro = macros_[static_cast<size_t>(currentMacro_)];
        SetMacroName(macro, std::u16string_view(reinterpret_cast<const char16_t*>(name.utf16()),
                                                static_cast<size_t>(name.size())));
        rebuildingList_ = true;
        macroList_->setItemText(currentMacro_, NameOf(macro));
        rebuildingList_ = false;
    } else {
        return;
    }
    // The field shows the name stored, and where the user types when it is the typed one.
    const QString stored = NameOf(macros_[static_cast<size_t>(currentMacro_)]);
    if (field->text() != stored || stored == text) {
        field->setText(stored);
        field->setCursorPosition(stored == text ? cursor : static_cast<int>(stored.size()));
    }
    UpdateMacroButtons();
    emit Modified();
}

// ---- repeat count and record delay ----

void MacroPage::OnRepeatEdited(const QString& text) {
    const int value = RepeatOfText(text);
    if (value < kMinMacroRepeat) {
        repeat_->setText(QString::number(kMinMacroRepeat));
    } else if (value > kMaxMacroRepeat) {
        repeat_->setText(QString::number(kMaxMacroRepeat));
    }
    emit Modified();
}

void MacroPage::OnRecordDelayToggled() {
    recordDelay_ = !recordDelay_;
    recordDelayBox_->setChecked(recordDelay_);
    SettingsHive::Instance().WriteString(
        kProfilesSettingsKey, LangText("MACRO_ACTION_RECORD_DELAY", CurrentLanguageIndex()),
        recordDelay_ ? "1" : "0");
}

void MacroPage::UpdateMacroButtons() {
    for (CPngButton* button : stepButtons_) {
        button->setEnabled(currentMacro_ >= 0);
    }
    // While recording the list stays as it is.
    for (QWidget* control : std::initializer_list<QWidget*>{addMacro_, deleteMacro_, macroList_}) {
        control->setEnabled(!Recording());
    }
}
