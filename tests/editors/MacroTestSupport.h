// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The key-setting dialog open on its macro page, with a clock the test sets.

#include "CompositeTestSupport.h"
#include "editors/MacroPage.h"
#include "widgets/CReportCtrl.h"

inline constexpr uint32_t kXKeyD = 40;
inline constexpr XKey kKeyA{Qt::Key_A, kXKeyA};
inline constexpr XKey kKeyB{Qt::Key_B, kXKeyB};
inline constexpr XKey kKeyD{Qt::Key_D, kXKeyD};
inline constexpr XKey kKeyPrint{Qt::Key_Print, kXKeyPrint};
inline constexpr XKey kKeyLeftWin{Qt::Key_Meta, kXKeyLeftWin};
inline constexpr KeyCode kCodeA = 0x01E;
inline constexpr KeyCode kCodeB = 0x030;
inline constexpr KeyCode kCodeD = 0x020;

inline MacroAction Press(KeyCode key, uint32_t delay) {
    return {delay, key, MacroAction::kPress};
}
inline MacroAction Release(KeyCode key, uint32_t delay) {
    return {delay, key, MacroAction::kRelease};
}

class MacroTest : public CompositeTest {
protected:
    void SetUp() override;

    // Opens the dialog for key A on the macro page, with a new macro added when the store has
    // none.
    void OpenOnMacroPage();
    // A key event handled waitMs after the one before.
    bool Key(QEvent::Type type, XKey key, int64_t waitMs, bool autoRepeat = false);
    void SetRecordDelay(bool measured);
    MacroPage& Page() { return dialog_->Macros(); }
    const std::vector<MacroAction>& Steps() { return Page().ShownSteps(); }
    CReportCtrl* StepList() { return Control<CReportCtrl>(MacroPage::kIdStepList); }
    // The texts of one row of the step list.
    std::vector<QString> RowTexts(int row);

    int64_t now_ = 10000;
};
