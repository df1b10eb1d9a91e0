// SPDX-License-Identifier: GPL-3.0-or-later
#include "editors/CompositeSkin.h"

#include "skin/ui/ColorRef.h"
#include "skin/ui/Placement.h"

#include <QWidget>

void PlaceSkinButton(CPngButton* button, const std::filesystem::path& layout, std::string_view key,
                     const PageImageSet& set, const PageImageSet& disabledSet) {
    PlaceImageControl(button, layout, kSkinSection, key, set[PageImageSet::kNormal],
                      set[PageImageSet::kOver], set[PageImageSet::kDown],
                      disabledSet[PageImageSet::kDisabled], set[PageImageSet::kNormal]);
}

CPngButton::TextColours SkinButtonTextColours() {
    return {ToQColor(0xFFFFFF), ToQColor(0x0082FF), ToQColor(0x049BFF), ToQColor(0x7F7F7F),
            ToQColor(0xFFFFFF)};
}

void StylePlainControl(QWidget* control) {
    control->setStyleSheet(QStringLiteral(
        "QLineEdit, QComboBox { background: #262a33; color: #e4e4e4; border: 1px solid #3a404c;"
        " border-radius: 4px; padding: 1px 6px; }"
        "QLineEdit:disabled, QComboBox:disabled { color: #6c717c; border-color: #2e333c; }"
        "QComboBox QAbstractItemView { background: #262a33; color: #e4e4e4;"
        " selection-background-color: #3d6fd1; }"
        "QCheckBox::indicator { width: 16px; height: 16px; }"
        "QTreeWidget { background: #1f232b; color: #e4e4e4; border: 1px solid #3a404c;"
        " alternate-background-color: #232831; }"
        "QHeaderView { background: #2b3039; }"
        "QHeaderView::section { background: #2b3039; color: #c8ccd4; border: none;"
        " padding: 2px 4px; }"));
}
