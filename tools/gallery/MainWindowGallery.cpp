// SPDX-License-Identifier: GPL-3.0-or-later
// The main window in function view (some keys reassigned) and in colour view (some marked).

#include "device/DeviceState.h"
#include "mainwindow/CKestrowDlg.h"
#include "model/KeyRecordAccess.h"
#include "model/ProfileStore.h"
#include "tools/gallery/Gallery.h"
#include "tools/gallery/GalleryMainWindow.h"

#include <QTemporaryDir>
#include <cstdlib>

namespace {

void RenderMainWindow(GalleryContext& g) {
    QTemporaryDir home;
    CKestrowDlg dlg;
    if (!InitGalleryMainWindow(g, home, dlg)) {
        return;
    }
    // An arrival of a keyboard on profile 1 that cannot be read: an all-default store.
    dlg.SendOwnMessage(UM_PROFILE_RELOAD, kProfileTag, 0);
    {
        std::lock_guard guard(WorkingStore().lock);
        for (KeyCode code :
             {KeyCode(0x1E), KeyCode(0x3B), KeyCode(0x39), GKeyCode(1), GKeyCode(4)}) {
            if (KeyAssignment* r = CurrentRecord(code)) {
                r->type = AssignmentType::kDisabled;
            }
        }
        // Marks of W, A, S, D (mark slots 22, 0, 18, 3) and G9.
        for (int slot : {22, 0, 18, 3, 8}) {
            if (KeyAssignment* r = WorkingRecord(0, slot)) {
                r->ColourMark = 1;
            }
        }
    }
    dlg.RefreshKeyButtons();
    dlg.SetPendingChanges(1);
    g.Save("function", &dlg);
    dlg.OnCommand(CKestrowDlg::kIdSwitch);
    g.Save("colour", &dlg);
    dlg.CloseMainWindow();
    DeviceState().Reset();
}
KESTROW_GALLERY_PAGE(main_window, RenderMainWindow);

} // namespace
