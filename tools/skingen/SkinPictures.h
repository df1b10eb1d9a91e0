// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Renders every picture of the skin from the window descriptions.

#include "tools/skingen/SkinModel.h"

#include <QImage>
#include <string>
#include <vector>

namespace skingen {

struct NamedImage {
    std::string file;
    QImage image;
};

// One full-window state picture. `page` picks a paged dialog's page (0 for other windows);
// `face` leaves out the controls that may be hidden; `macroOnly` greys the controls the
// key-setting dialog disables while only a macro may be chosen.
QImage RenderState(const WindowSkin& skin, StatePic pic, int page = 0, bool face = false,
                   bool macroOnly = false);
// The window outline: white outside, black inside.
QImage RenderMask(const WindowSkin& skin);
// Arrow.jpg: the arrow pictures at their BUTTONINFO2 places.
QImage RenderArrowSheet(const WindowSkin& main);
// The bitmaps of the lighting panel, each the size of the control that shows it.
std::vector<NamedImage> PanelBitmaps(const WindowSkin& main);

// All pictures of all four windows, faces and masks included.
std::vector<NamedImage> AllPictures(const std::vector<WindowSkin>& skins);

} // namespace skingen
