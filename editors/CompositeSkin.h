// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the key-setting dialog and its macro page share of the skin: the page picture sets, the
// font and colours of their texts, and the look of the plain controls over the dark face.

#include "skin/ui/CPngButton.h"

#include <QPixmap>
#include <QString>
#include <array>
#include <filesystem>
#include <string_view>

class QWidget;

// One page's full-window pictures, by button state.
struct PageImageSet {
    enum State { kNormal = 0, kOver, kDown, kDisabled };
    std::array<QPixmap, 4> pictures;

    const QPixmap* operator[](State state) const { return &pictures[state]; }
};

// The face of an image button that never looks checked, cut from set; its disabled look from
// disabledSet (a set whose disabled picture greys it).
void PlaceSkinButton(CPngButton* button, const std::filesystem::path& layout, std::string_view key,
                     const PageImageSet& set, const PageImageSet& disabledSet);

inline constexpr const char* kSkinSection = "BUTTONINFO";
inline const QString kCompositeFont = QStringLiteral("Arial Unicode MS");
// Captions drawn over the skin.
inline constexpr unsigned kCaptionColour = 0xE4E4E4;
// Text colours of the image buttons: normal, over, down, disabled, checked.
CPngButton::TextColours SkinButtonTextColours();
// Line edits, lists, check boxes and the step list, readable on the dark face.
void StylePlainControl(QWidget* control);
