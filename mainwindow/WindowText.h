// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Texts as the main window's controls show them: language texts as Qt strings, and the font and
// colours of the skinned button texts.

#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ColorRef.h"

#include <QString>
#include <string>
#include <string_view>

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The text of a language key in the configured language.
inline QString Lang(std::string_view key) {
    return Q(LangText(key, CurrentLanguageIndex()));
}

inline const QString kArialUnicode = QStringLiteral("Arial Unicode MS");
// Point sizes of the button texts: the profile bar, view switch and macro button, and the
// smaller OK, Cancel, Apply and version texts.
inline constexpr int kButtonTextSize = 10;
inline constexpr int kSmallButtonTextSize = 8;

// Colours of the skinned button texts: normal, over, down, disabled, checked.
inline CPngButton::TextColours SkinTextColours() {
    return {ToQColor(0xFFFFFF), ToQColor(0x0082FF), ToQColor(0x049BFF), ToQColor(0x7F7F7F),
            ToQColor(0xFFFFFF)};
}

// Single-line texts: the view switch and the version label centred top to bottom, the profile
// button's on its bottom edge.
inline constexpr unsigned kTextLineVCentred = CPngButton::kDtSingleLine | CPngButton::kDtVCenter;
inline constexpr unsigned kTextLineBottom = CPngButton::kDtSingleLine | CPngButton::kDtBottom;
