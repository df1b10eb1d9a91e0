// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The macro page of the key-setting dialog: the dialog's own copies of the working store's
// macros in list 1126, the steps of the macro shown in list 1019, its repeat count, and the
// record-delay setting. The dialog picks the macro a key plays here; the copies replace the
// working store's macros at the dialog's Apply. Recording takes the key events the dialog
// hands over (RecordKey) while it holds the keyboard for the page.

#include "editors/CompositeSkin.h"
#include "editors/MacroRecorder.h"
#include "model/MacroRecord.h"

#include <QObject>
#include <QStringList>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <unordered_map>
#include <vector>

class CPngButton;
class CReportCtrl;
class ColorStatic;
class MessageSink;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

class MacroPage : public QObject {
    Q_OBJECT
public:
    static constexpr int kIdMacroList = 1126;
    static constexpr int kIdAddMacro = 1017;
    static constexpr int kIdDeleteMacro = 1018;
    static constexpr int kIdStepList = 1019;
    static constexpr int kIdRecord = 1020;
    static constexpr int kIdDeleteStep = 1021;
    static constexpr int kIdClearSteps = 1022;
    static constexpr int kIdStepToTop = 1023;
    static constexpr int kIdStepUp = 1024;
    static constexpr int kIdStepDown = 1025;
    static constexpr int kIdStepToBottom = 1026;
    static constexpr int kIdRecordDelay = 1027;
    static constexpr int kIdRepeat = 1125;
    static constexpr int kIdRepeatCaption = 1130;
    static constexpr int kIdRecordDelayCaption = 1133;
    static constexpr int kStepColumnWidth = 63;
    // Step list columns.
    static constexpr int kKeyColumn = 0;
    static constexpr int kDirectionColumn = 1;
    static constexpr int kDelayColumn = 2;
    // Rows of the drop-down lists that edit a key or a direction cell.
    static constexpr int kKeyChoiceRows = 20;
    static constexpr int kDirectionChoiceRows = 6;
    // Key list positions a key cell offers.
    static constexpr int kKeyChoiceCount = 106;

    // The controls, children of dialog; messages shows texts and asks questions.
    MacroPage(QWidget* dialog, MessageSink& messages);

    // Places and skins the controls from the dialog's layout file; the buttons are cut from
    // the macro page's pictures.
    void Place(const std::filesystem::path& layout, const PageImageSet& pictures);
    void SetTexts(int languageIndex);
    // The page's controls (the repeat caption shows on every page).
    void SetShown(bool shown);

    // At the dialog's opening: the step list's columns, repeat "1", a copy of every macro of
    // the working store with none selected, the record-delay setting.
    void Open();
    // At its close: the recording stopped, the step list and the macro copies emptied.
    void Close();

    // Selects and shows the macro with that id, the first one when none has it; nothing
    // without macros.
    void SelectMacroOfId(uint32_t id);
    void SelectFirstMacro();
    // Empties the step list and shows the macro at that list position.
    void ShowMacro(int position);
    // Puts what is shown (repeat count, steps) into the copy at that position.
    void SaveMacro(int position);

    bool HasMacros() const { return !macros_.empty(); }
    // List position of the macro shown, -1 when none is.
    int CurrentMacro() const { return currentMacro_; }
    // The repeat field's number, kept in 1..255.
    int RepeatCount() const;
    bool RecordDelay() const { return recordDelay_; }
    const std::vector<MacroRecord>& Macros() const { return macros_; }
    // The steps shown, one per row of the step list.
    const std::vector<MacroAction>& ShownSteps() const { return shownSteps_; }

    // At Apply: an open in-place edit of the step list is finished, a recording stopped, the
    // shown macro saved, and every copy counts as applied from now on. Returns the list for
    // the working store.
    std::vector<MacroRecord> TakeForApply();

    // Recording. The clock gives the time of an event when it is handled, in ms.
    void SetClock(std::function<int64_t()> clock) { clock_ = std::move(clock); }
    bool Recording() const { return recorder_.Recording(); }
    void StartRecording();
    void StopRecording();
    // A fresh (not auto-repeated) key event of the keyboard, handled at nowMs.
    void RecordKey(KeyCode code, bool pressed, int64_t nowMs);

signals:
    // The user changed something the dialog's Apply stores.
    void Modified();
    // A recording began or ended: the dialog holds the keyboard for it or lets it go.
    void RecordingToggled(bool recording);

private:
    // The macro list (MacroPage.cpp).
    void OnMacroSelected(int index);
    void OnAddMacro();
    void OnDeleteMacro();
    void OnNameEdited(const QString& text);
    void OnRepeatEdited(const QString& text);
    void OnRecordDelayToggled();
    void UpdateMacroButtons();
    void Select(int position);
    bool NameTaken(const QString& name, int except) const;
    QString GeneratedName(int except);
    MacroRecord NewMacro(const QString& name) const;
    void RebuildList();

    // The step list (MacroStepList.cpp).
    void ConnectStepList();
    void SetUpStepColumns();
    QStringList StepTexts(const MacroAction& step);
    // KeyNameFromCode reads the language file: names are kept while the language stays.
    const QString& KeyName(KeyCode code);
    void AddStepRow(int row, const MacroAction& step);
    void InsertRecordedStep(const RecordedStep& recorded);
    bool OnBeginStepEdit(int row, int column, unsigned& editStyle);
    bool OnValidateDelay(QLineEdit* editor);
    void ChooseInCell(int row, int column);
    void OnCellChosen(int row, int column, int entry);
    void OnDeleteStep();
    void OnClearSteps();
    void MoveStep(int target);
    int SelectedStep() const;

    // Recording (MacroRecording.cpp).
    void OnRecord();
    void ShowRecordingState();

    QWidget* dialog_;
    MessageSink& messages_;
    QComboBox* macroList_;
    CPngButton* addMacro_;
    CPngButton* deleteMacro_;
    CReportCtrl* steps_;
    std::vector<CPngButton*> stepButtons_; // 1020 .. 1026
    QCheckBox* recordDelayBox_;
    ColorStatic* recordDelayCaption_;
    QLineEdit* repeat_;
    ColorStatic* repeatCaption_;
    // The drop-down list over a key or direction cell while it is edited.
    QPointer<QComboBox> cellChoice_;

    std::vector<MacroRecord> macros_;
    std::vector<MacroAction> shownSteps_;
    int currentMacro_ = -1;
    bool recordDelay_ = false;   // kept across openings
    int newMacroCounter_ = 0;    // kept across openings
    bool rebuildingList_ = false;
    std::unordered_map<KeyCode, QString> keyNames_;
    MacroRecorder recorder_;
    std::function<int64_t()> clock_;
};
