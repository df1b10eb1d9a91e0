// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Geometry of the main window that other parts of the generator need.

#include "tools/skingen/SkinModel.h"

#include <QSize>

namespace skingen {

// Space around each arrow picture in Arrow.jpg.
inline constexpr int kSpriteMargin = 6;

// The size of Arrow.jpg: room for every BUTTONINFO2 picture.
QSize ArrowSheetSize(const WindowSkin& main);

} // namespace skingen
