// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/PanelControls.h"

#include "mainwindow/WindowText.h"
#include "skin/ui/CSkinColorBtn.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/ControlId.h"

#include <QComboBox>
#include <QFontMetrics>

namespace {

constexpr int kPaletteColumns = 10;
constexpr int kLabelPixels = 13;
constexpr int kSmallestLabelPixels = 9;
const QColor kLabelColour(0xC9, 0xCE, 0xD8);
const QString kListStyle = QStringLiteral(
    "QComboBox { background: #262A34; color: #E8EBF1; border: 1px solid #383E4A; "
    "border-radius: 5px; padding: 1px 8px; }"
    "QComboBox:focus { border-color: #FF8A1F; }"
    "QComboBox::drop-down { border: none; width: 20px; }"
    "QComboBox QLineEdit { background: transparent; color: #E8EBF1; border: none; }"
    "QComboBox QAbstractItemView { background: #20242D; color: #E8EBF1; "
    "selection-background-color: #FF8A1F; selection-color: #12141A; border: 1px solid #383E4A; }");

} // namespace

ColorStatic* MakePanelLabel(QWidget* window, int id) {
    auto* label = new ColorStatic(window, id);
    label->SetTextColour(kLabelColour);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont font = label->font();
    font.setPixelSize(kLabelPixels);
    label->setFont(font);
    return label;
}

void SetPanelLabelText(ColorStatic* label, const QString& text) {
    QFont font = label->font();
    font.setPixelSize(kLabelPixels);
    while (font.pixelSize() > kSmallestLabelPixels &&
           QFontMetrics(font).horizontalAdvance(text) > label->width()) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    label->setFont(font);
    label->setText(text);
}

CSkinColorBtn* MakePanelColourButton(QWidget* window, int id) {
    auto* button = new CSkinColorBtn(window, id);
    button->EnableOtherButton(Lang("MAIN_COLOUR_OTHER"));
    button->SetColumnsNumber(kPaletteColumns);
    return button;
}

QComboBox* MakePanelList(QWidget* window, int id) {
    auto* list = new QComboBox(window);
    SetControlId(list, id);
    list->setStyleSheet(kListStyle);
    return list;
}
