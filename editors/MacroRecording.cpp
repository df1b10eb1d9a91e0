// SPDX-License-Identifier: GPL-3.0-or-later
// The macro page's recording: the record button, and the key events the dialog hands over
// while it holds the keyboard for the page.

#include "editors/MacroPage.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "widgets/CReportCtrl.h"

void MacroPage::OnRecord() {
    if (Recording()) {
        StopRecording();
    } else {
        StartRecording();
    }
}

void MacroPage::StartRecording() {
    if (Recording() || currentMacro_ < 0 || !clock_) {
        return;
    }
    recorder_.Start(clock_(), recordDelay_);
    ShowRecordingState();
    emit RecordingToggled(true);
}

void MacroPage::StopRecording() {
    if (!Recording()) {
        return;
    }
    // Told first: the dialog may still hand over a key it held back.
    emit RecordingToggled(false);
    recorder_.Stop();
    ShowRecordingState();
}

void MacroPage::ShowRecordingState() {
    CPngButton* record = stepButtons_[0];
    record->setText(QString::fromStdString(LangText(
        Recording() ? "MACRO_ACTION_STOP_RECORD" : "MACRO_ACTION_RECORD", CurrentLanguageIndex())));
    record->SetCheck(Recording(), true);
    UpdateMacroButtons();
}

void MacroPage::RecordKey(KeyCode code, bool pressed, int64_t nowMs) {
    const std::vector<RecordedStep> steps = recorder_.Take(code, pressed, nowMs);
    // A supplied press comes with its release or not at all.
    const size_t room = static_cast<size_t>(kMaxMacroSteps - steps_->GetItemCount());
    if (steps.size() > room) {
        return;
    }
    for (const RecordedStep& step : steps) {
        InsertRecordedStep(step);
    }
}
