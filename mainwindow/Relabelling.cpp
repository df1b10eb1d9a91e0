// SPDX-License-Identifier: GPL-3.0-or-later
// The window's texts: relabelling on the language notice, and the view switch's text.

#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/LightingPanel.h"
#include "mainwindow/WindowText.h"
#include "skin/ui/CPngButton.h"
#include "widgets/CTrayIcon.h"

#include <tuple>

void CKestrowDlg::OnLanguage(int languageIndex) {
    if (shell_ != nullptr) {
        shell_->ForwardLanguage(languageIndex);
    }
    // The texts come from the language the notice names.
    languageIndex_ = languageIndex;
    auto text = [languageIndex](const char* key) { return Q(LangText(key, languageIndex)); };
    setWindowTitle(text("MAIN_CAPTION"));
    if (tray_) {
        tray_->SetTooltipText(text("KEYBOARD_TRAY_DESC"));
    }
    // The key-setting dialog relabels itself when it is opened.
    const std::pair<int, const char*> tips[] = {{kIdMinimize, "MAIN_MINIMIZE_PROMPT"},
                                                {kIdMenu, "MAIN_MENU_PROMPT"},
                                                {kIdClose, "MAIN_CLOSE_PROMPT"}};
    for (const auto& [id, key] : tips) {
        if (CPngButton* b = Button(id)) {
            b->SetTooltipText(QString(), false);
            b->SetTooltipText(text(key));
        }
    }
    lightingPanel_->Relabel(languageIndex);
    const std::tuple<int, const char*, int> texts[] = {
        {kIdProfile1, "PROFILE_1", kButtonTextSize},
        {kIdProfile1 + 1, "PROFILE_2", kButtonTextSize},
        {kIdProfile1 + 2, "PROFILE_3", kButtonTextSize},
        {kIdMacro, "PROFILE_MACRO", kButtonTextSize},
        {kIdDefault, "PROFILE_DEFAULT", kButtonTextSize},
        {IDOK, "PROFILE_OK", kSmallButtonTextSize},
        {IDCANCEL, "PROFILE_CANCLE", kSmallButtonTextSize},
        {kIdApply, "PROFILE_APPLY", kSmallButtonTextSize}};
    for (const auto& [id, key, size] : texts) {
        if (CPngButton* b = Button(id)) {
            b->setText(text(key));
            b->SetTextStyle(true, size, kArialUnicode, SkinTextColours());
        }
    }
    SetSwitchText();
}

void CKestrowDlg::SetSwitchText() {
    if (CPngButton* sw = Button(kIdSwitch)) {
        sw->setText(
            Q(LangText(viewMode_ == 1 ? "MAIN_SWITCH_COLOR_TEXT" : "MAIN_SWITCH_FUNCTION_TEXT",
                       languageIndex_)));
    }
}
