#pragma once

// The words on the image buttons of the skinned dialogs: one face, size and set of state
// colours for every dialog, light on the dark faces the skin draws.

#include "skin/ui/CPngButton.h"

inline void SetDialogButtonText(CPngButton* button, const QString& text) {
    // Normal, over, down, disabled, checked.
    button->SetTextStyle(true, 10, QStringLiteral("Arial Unicode MS"),
                         {QColor(0xE8, 0xEB, 0xF1), QColor(Qt::white), QColor(0xFF, 0x8A, 0x1F),
                          QColor(0x7F, 0x7F, 0x7F), QColor(Qt::white)});
    button->setText(text);
}
