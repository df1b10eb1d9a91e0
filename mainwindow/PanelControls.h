// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The kinds of control the lighting panel and the user colour modes share, made alike: labels in
// the panel's text colour, colour buttons with their popup set up.

#include <QString>

class ColorStatic;
class CSkinColorBtn;
class QComboBox;
class QWidget;

ColorStatic* MakePanelLabel(QWidget* window, int id);
// Sets a label's text in the largest font up to the panel's that fits its width: the captions of
// some languages are longer than the skin's place for them.
void SetPanelLabelText(ColorStatic* label, const QString& text);
// With an "other" entry that opens the full colour dialog and ten palette columns.
CSkinColorBtn* MakePanelColourButton(QWidget* window, int id);
// A drop-down list drawn to fit the panel's dark face.
QComboBox* MakePanelList(QWidget* window, int id);
