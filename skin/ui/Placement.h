// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Placing controls from the rectangles of a skin layout file (section normally "BUTTONINFO").
// A missing file or key places the control at (1, 1) with size 1 x 1.

#include <QPixmap>
#include <QWidget>
#include <filesystem>
#include <string_view>

class CPngButton;

// Moves and sizes the control to its rectangle.
void PlaceControl(QWidget* window, const std::filesystem::path& file, std::string_view section,
                  std::string_view key);

// As PlaceControl, then gives the button the five full-window state pictures with the
// rectangle's x and y as the place of its face in them. A rectangle at (1, 1), the place of a
// missing key, disables the button.
void PlaceImageControl(CPngButton* button, const std::filesystem::path& file,
                       std::string_view section, std::string_view key, const QPixmap* normal,
                       const QPixmap* over, const QPixmap* down, const QPixmap* disabled,
                       const QPixmap* checked);

// Sizes the button to section1/key1 and cuts its face, for all five states, out of picture at
// the x and y of section2/key2 (a sprite sheet).
void PlaceImageControlSplit(CPngButton* button, const std::filesystem::path& file,
                            std::string_view section1, std::string_view key1,
                            std::string_view section2, std::string_view key2,
                            const QPixmap* picture);

// Moves the control to the rectangle's x and y, keeping its size, and repaints.
void MoveControlTo(QWidget* window, const std::filesystem::path& file, std::string_view section,
                   std::string_view key);
