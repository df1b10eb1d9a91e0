// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/PreviewKeyFrames.h"

#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/KeyMapTables.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ColorRef.h"

namespace {

constexpr KeyCode kEnterKeyCode = 0x1C;

// Whether the button already shows this colour, or no frame for none.
bool Shows(const CPngButton& button, const std::optional<uint32_t>& colour) {
    if (!colour) {
        return !button.IsFrameOn();
    }
    return button.IsFrameOn() && button.FrameColour() == ToQColor(*colour);
}

} // namespace

PreviewKeyFrames::PreviewKeyFrames(const CKestrowDlg& window) {
    const auto& keys = PreviewLayoutTable().keys;
    for (size_t i = 0; i < keys.size(); ++i) {
        const KeyCode code = keys[i].code;
        CPngButton* button =
            code == kPreviewFnCode ? window.Button(kFnKeyId) : window.ButtonOfCode(code);
        if (button != nullptr) {
            buttons_[i].push_back(button);
        }
        if (code == kEnterKeyCode) {
            if (CPngButton* upper = window.Button(kEnterUpperId)) {
                buttons_[i].push_back(upper);
            }
        }
    }
}

int PreviewKeyFrames::Show(const PreviewFrame& frame) {
    int redrawn = 0;
    for (size_t i = 0; i < frame.size(); ++i) {
        for (CPngButton* button : buttons_[i]) {
            if (Shows(*button, frame[i])) {
                continue;
            }
            if (frame[i]) {
                button->SetColourFrame(ToQColor(*frame[i]), true);
            } else {
                button->SetColourFrame(button->FrameColour(), false);
            }
            ++redrawn;
        }
    }
    return redrawn;
}
