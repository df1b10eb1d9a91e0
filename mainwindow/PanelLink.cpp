// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the lighting panel: what the panel asks of the profile bar.

#include "device/DeviceState.h"
#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/LightingPanel.h"

bool CKestrowDlg::LightingMode() const {
    return lightingPanel_ != nullptr && lightingPanel_->LightingMode();
}

bool CKestrowDlg::MakeCurrentProfileActive() {
    if (keyEditorOpen_ > 0) {
        Messages().ShowText("PROFILE_SEELCT_PROMPT2", std::nullopt);
        return false;
    }
    const int current = DeviceState().CurrentProfile.load();
    // Already there: nothing to switch, nothing to ask.
    if (current == CurrentArea()) {
        return true;
    }
    return SwitchProfile(current);
}
