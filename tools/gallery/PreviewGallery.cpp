// SPDX-License-Identifier: GPL-3.0-or-later
// The lighting preview on the main window's keyboard picture: for each effect one picture, a
// strip of frames a fixed number of ticks apart, top to bottom, with a second strip beside it in
// the base colour where the multicolour flag changes what the effect shows.

#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/KeyMapTables.h"
#include "mainwindow/LightingPanel.h"
#include "model/Lighting.h"
#include "model/PreviewLayout.h"
#include "skin/ui/CPngButton.h"
#include "tools/gallery/Gallery.h"
#include "tools/gallery/GalleryMainWindow.h"

#include <QPainter>
#include <QTemporaryDir>
#include <vector>

namespace {

constexpr int kFramesPerStrip = 6;
constexpr int kTicksApart = 8;
constexpr int kMargin = 4;
constexpr int kLabelHeight = 14;
constexpr int kGap = 6;
constexpr uint32_t kBaseColour = PackColour(0x2F, 0x7B, 0xFF);

struct PreviewedEffect {
    uint8_t code;
    const char* name;
    bool multicolourMatters;
    // The waves of 13 and 16 cross the grid in a few ticks: their frames lie closer together.
    int ticksApart = kTicksApart;
};

constexpr int kFastWaveTicksApart = 2;

constexpr PreviewedEffect kEffects[] = {
    {1, "column wave", true},
    {2, "flash wave", true},
    {3, "ring wave", true},
    {4, "hue cycle", false},
    {5, "column pulse", true},
    {6, "diagonals", true},
    {7, "no preview", false},
    {8, "no preview", false},
    {9, "no preview", false},
    {10, "drops", true},
    {11, "ring hues", false},
    {12, "row wave", false},
    {13, "spread from middle", true, kFastWaveTicksApart},
    {14, "demonstration", true},
    {15, "falling drops", true},
    {16, "spread from corner", true, kFastWaveTicksApart},
    {17, "no preview", false},
    {18, "diagonal wave", false},
    {kUserColourEffect, "user colours", false},
};

// The part of the window the key buttons cover.
QRect KeyboardArea(const CKestrowDlg& dlg) {
    QRect area;
    for (const PreviewKey& key : PreviewLayoutTable().keys) {
        const CPngButton* button =
            key.code == kPreviewFnCode ? dlg.Button(kFnKeyId) : dlg.ButtonOfCode(key.code);
        if (button != nullptr) {
            area = area.united(button->geometry());
        }
    }
    return area.adjusted(-kMargin, -kMargin, kMargin, kMargin);
}

// The effect started afresh, then kFramesPerStrip frames its ticks apart, one under another.
QImage Strip(CKestrowDlg& dlg, const QRect& area, const PreviewedEffect& effect,
             bool multicolour) {
    LightingState& state = Lighting().state;
    state.effect = effect.code;
    state.direction = kDirectionFirst;
    state.multicolour = multicolour;
    state.colour.fill(kBaseColour);
    dlg.Panel()->RefreshPanel();
    dlg.Panel()->Preview().Reset();

    const int cellHeight = kLabelHeight + area.height();
    QImage strip(area.width(), kFramesPerStrip * (cellHeight + kGap) - kGap,
                 QImage::Format_ARGB32);
    strip.fill(QColor(236, 238, 242));
    QPainter p(&strip);
    p.setFont(QFont("DejaVu Sans", 8));
    p.setPen(QColor(40, 40, 48));
    // The variant is named only where the multicolour flag makes one.
    const QString variant = !effect.multicolourMatters ? QString()
                            : multicolour              ? QString("multicolour, ")
                                                       : QString("base colour, ");
    int tick = 0;
    for (int frame = 0; frame < kFramesPerStrip; ++frame) {
        const int target = 1 + frame * effect.ticksApart;
        while (tick < target) {
            dlg.Panel()->PreviewTick();
            ++tick;
        }
        const int y = frame * (cellHeight + kGap);
        p.drawText(QRect(0, y, area.width(), kLabelHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   variant + QString("tick %1").arg(tick));
        p.drawImage(0, y + kLabelHeight, dlg.grab(area).toImage());
    }
    p.end();
    return strip;
}

QImage SideBySide(const std::vector<QImage>& strips) {
    int width = 0;
    int height = 0;
    for (const QImage& s : strips) {
        width += s.width() + kGap;
        height = std::max(height, s.height());
    }
    QImage sheet(width - kGap, height, QImage::Format_ARGB32);
    sheet.fill(QColor(236, 238, 242));
    QPainter p(&sheet);
    int x = 0;
    for (const QImage& s : strips) {
        p.drawImage(x, 0, s);
        x += s.width() + kGap;
    }
    return sheet;
}

void RenderPreview(GalleryContext& g) {
    QTemporaryDir home;
    CKestrowDlg dlg;
    if (!InitGalleryLightingWindow(g, home, dlg)) {
        return;
    }
    dlg.Panel()->SetLightingMode();
    // The preview draws only on a window that can be seen.
    dlg.show();
    const QRect area = KeyboardArea(dlg);

    for (const PreviewedEffect& effect : kEffects) {
        std::vector<QImage> strips{Strip(dlg, area, effect, true)};
        if (effect.multicolourMatters) {
            strips.push_back(Strip(dlg, area, effect, false));
        }
        g.Save(QString("effect-%1-%2")
                   .arg(effect.code, 2, 10, QChar('0'))
                   .arg(QString(effect.name).replace(' ', '-')),
               SideBySide(strips));
    }

    CloseGalleryLightingWindow(dlg);
}
KESTROW_GALLERY_PAGE(preview, RenderPreview);

} // namespace
