// SPDX-License-Identifier: GPL-3.0-or-later
// The main window in lighting mode: the panel for effects 1, 12 and 18, effect 20 with its
// painted keys, and lighting mode off.

#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/LightingPanel.h"
#include "model/Lighting.h"
#include "tools/gallery/Gallery.h"
#include "tools/gallery/GalleryMainWindow.h"

#include <QTemporaryDir>
#include <cstdlib>

namespace {

void ShowEffect(CKestrowDlg& dlg, uint8_t effect, uint8_t direction) {
    LightingState& state = Lighting().state;
    state.effect = effect;
    state.brightness = 4;
    state.speed = 2;
    state.direction = direction;
    state.multicolour = false;
    state.colour.fill(PackColour(0x2F, 0x7B, 0xFF));
    state.reportRate = 1;
    dlg.Panel()->RefreshPanel();
}

void RenderLightingPanel(GalleryContext& g) {
    QTemporaryDir home;
    CKestrowDlg dlg;
    if (!InitGalleryLightingWindow(g, home, dlg)) {
        return;
    }

    ShowEffect(dlg, 1, kDirectionSecond);
    g.Save("off", &dlg);
    dlg.Panel()->SetLightingMode();
    g.Save("effect-1", &dlg);
    ShowEffect(dlg, 12, kDirectionFirst);
    g.Save("effect-12", &dlg);
    ShowEffect(dlg, 18, kDirectionSecond);
    g.Save("effect-18", &dlg);
    ShowEffect(dlg, 17, kDirectionSecond);
    g.Save("effect-17", &dlg);
    ShowEffect(dlg, kUserColourEffect, kDirectionSecond);
    g.Save("effect-20", &dlg);

    CloseGalleryLightingWindow(dlg);
}
KESTROW_GALLERY_PAGE(lighting_panel, RenderLightingPanel);

} // namespace
