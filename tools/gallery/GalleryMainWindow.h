// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window as the gallery pages draw it: its data folder and settings kept in a
// temporary home, no device threads and no notification area, a keyboard on profile 0 taken as
// present.

#include "device/DeviceState.h"
#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/LightingPanel.h"
#include "mainwindow/UserColourModes.h"
#include "model/Lighting.h"
#include "model/UserColourFile.h"
#include "platform/UserFolders.h"
#include "tools/gallery/Gallery.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>

// False (and the page's failure counted) when the window cannot initialise.
inline bool InitGalleryMainWindow(GalleryContext& g, const QTemporaryDir& home, CKestrowDlg& dlg) {
    setenv("XDG_DATA_HOME", qPrintable(home.path() + "/data"), 1);
    setenv("XDG_CONFIG_HOME", qPrintable(home.path() + "/config"), 1);
    DeviceState().KeyboardPresent = 1;
    dlg.SetStartDeviceThreads(false);
    dlg.SetNotificationAreaAvailable(false);
    if (!dlg.InitDialog()) {
        g.Fail("the main window cannot initialise (a key picture is missing)");
        return false;
    }
    DeviceState().CachedProfile = 0;
    return true;
}

// The keyboard offers every effect, as its info block lists them.
inline void OfferEveryEffect() {
    LightingModel& model = Lighting();
    model.infoBlock.fill(0);
    for (uint8_t code = 1; code <= kUserColourEffect; ++code) {
        if (code != 19) {
            model.infoBlock[kEffectListOffset + code - 1] = code;
        }
    }
    model.effects = BuildEffectTable(model.infoBlock);
}

// The window as the lighting pages draw it: every effect offered, profile 0's user colour file
// from the template and its modes listed. False when the window cannot initialise.
inline bool InitGalleryLightingWindow(GalleryContext& g, const QTemporaryDir& home,
                                      CKestrowDlg& dlg) {
    if (!InitGalleryMainWindow(g, home, dlg)) {
        return false;
    }
    DeviceState().CurrentProfile = 0;
    OfferEveryEffect();
    std::filesystem::create_directories(UserDataFolder());
    if (!ResetUserColourFile(0)) {
        g.Fail("the user colour template cannot be copied");
    }
    dlg.Panel()->UserModes().FillModeList(ColourUpload::Skip);
    return true;
}

// Lighting mode off, the window closed and the lighting state of the process cleared.
inline void CloseGalleryLightingWindow(CKestrowDlg& dlg) {
    dlg.Panel()->TurnLightingModeOff();
    dlg.CloseMainWindow();
    Lighting() = LightingModel{};
    UserColours() = UserColourState{};
    DeviceState().Reset();
}
