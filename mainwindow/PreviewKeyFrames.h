// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The key buttons that show the lighting preview: each preview key's button (both buttons of
// the L-shaped Enter) takes the colour of the engine's frame, and only a button whose colour
// differs from what it shows is redrawn.

#include "model/PreviewLayout.h"

#include <array>
#include <vector>

class CKestrowDlg;
class CPngButton;

class PreviewKeyFrames {
public:
    // After the key buttons exist.
    explicit PreviewKeyFrames(const CKestrowDlg& window);

    // Puts a frame on the buttons; returns how many buttons were redrawn. Buttons are compared
    // with what they show, not with the last frame, so that frames set or cleared elsewhere
    // (an effect selected, user colours painted) are never left stale.
    int Show(const PreviewFrame& frame);

private:
    std::array<std::vector<CPngButton*>, kPreviewKeyCount> buttons_;
};
