// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The texts of the skinned dialogs: language texts as Qt strings, and the words on their image
// buttons, in one face, size and set of state colours, light on the dark faces the skin draws.

#include "skin/Language.h"
#include "skin/ui/CPngButton.h"

#include <string_view>

// The text of a language key in the language now in use.
inline QString LangQText(std::string_view key) {
    return QString::fromStdString(LangText(key, CurrentLanguageIndex()));
}

inline void SetDialogButtonText(CPngButton* button, const QString& text) {
    // Normal, over, down, disabled, checked.
    button->SetTextStyle(true, 10, QStringLiteral("Arial Unicode MS"),
                         {QColor(0xE8, 0xEB, 0xF1), QColor(Qt::white), QColor(0xFF, 0x8A, 0x1F),
                          QColor(0x7F, 0x7F, 0x7F), QColor(Qt::white)});
    button->setText(text);
}
