// SPDX-License-Identifier: GPL-3.0-or-later
// Gallery pages of the general widgets.

#include "tools/gallery/Gallery.h"
#include "widgets/CReportCtrl.h"
#include "widgets/CTrayIcon.h"
#include "widgets/MenuResource.h"

#include <QApplication>
#include <QHeaderView>

namespace {

void Fill(CReportCtrl& list) {
    list.resize(360, 150);
    list.InsertColumn(0, "Step", CReportCtrl::LVCFMT_LEFT, 170);
    list.InsertColumn(1, "Delay (ms)", CReportCtrl::LVCFMT_RIGHT, 90);
    list.InsertColumn(2, "Kind", CReportCtrl::LVCFMT_CENTER, 80);
    const char* steps[][3] = {{"A down", "25", "key"},
                              {"A up", "40", "key"},
                              {"Shift down", "0", "key"},
                              {"Left button", "120", "mouse"},
                              {"Shift up", "15", "key"}};
    for (int i = 0; i < 5; ++i) {
        list.InsertItem(i, steps[i][0]);
        list.SetItemText(i, 1, steps[i][1]);
        list.SetItemText(i, 2, steps[i][2]);
    }
}

void RenderReportLists(GalleryContext& g) {
    struct Shot {
        const char* state;
        std::function<void(CReportCtrl&)> setup;
    };
    const Shot shots[] = {
        {"plain", [](CReportCtrl& l) { l.SetCheckboxStyle(CReportCtrl::RC_CHKBOX_NONE); }},
        {"grid-lines",
         [](CReportCtrl& l) {
             l.SetCheckboxStyle(CReportCtrl::RC_CHKBOX_NONE);
             l.SetGridLines(true);
         }},
        {"check-normal",
         [](CReportCtrl& l) {
             l.SetItemStates(0, CReportCtrl::RC_ITEM_CHECKED);
             l.SetItemStates(3, CReportCtrl::RC_ITEM_CHECKED);
         }},
        {"check-single",
         [](CReportCtrl& l) {
             l.SetCheckboxStyle(CReportCtrl::RC_CHKBOX_SINGLE);
             l.SetItemStates(0, CReportCtrl::RC_ITEM_CHECKED);
             l.SetItemStates(2, CReportCtrl::RC_ITEM_CHECKED);
         }},
        {"check-read-only",
         [](CReportCtrl& l) {
             l.SetItemStates(1, CReportCtrl::RC_ITEM_CHECKED);
             l.SetCheckboxStyle(CReportCtrl::RC_CHKBOX_DISABLED);
         }},
        {"cell-colours",
         [](CReportCtrl& l) {
             l.SetCheckboxStyle(CReportCtrl::RC_CHKBOX_NONE);
             l.SetItemBkColor(1, -1, QColor(255, 236, 200));
             l.SetItemTextColor(3, 0, QColor(200, 30, 30));
             l.SetItemBkColor(-1, 2, QColor(225, 240, 255));
         }},
        {"selected",
         [](CReportCtrl& l) {
             l.SetCheckboxStyle(CReportCtrl::RC_CHKBOX_NONE);
             l.SetItemStates(2, CReportCtrl::RC_ITEM_SELECTED | CReportCtrl::RC_ITEM_FOCUSED);
         }},
        {"editing",
         [](CReportCtrl& l) {
             l.SetCheckboxStyle(CReportCtrl::RC_CHKBOX_NONE);
             l.SetEditable(true);
             l.StartEdit(1, 1);
         }},
        {"sorted-descending",
         [](CReportCtrl& l) {
             l.SetCheckboxStyle(CReportCtrl::RC_CHKBOX_NONE);
             l.SortByColumn(0);
             l.SortByColumn(0);
         }},
    };
    for (const Shot& shot : shots) {
        CReportCtrl list(nullptr, 1);
        Fill(list);
        // Shown offscreen so that the header and the edit box are laid out.
        list.show();
        QApplication::processEvents();
        shot.setup(list);
        QApplication::processEvents();
        g.Save(shot.state, &list);
    }
}
KESTROW_GALLERY_PAGE(report_ctrl, RenderReportLists);

void RenderTrayMenu(GalleryContext& g) {
    const MenuDescription menu = {
        {0, "Tray", {{32771, "Open", {}}, {32773, "About", {}}, {0, "", {}}, {32774, "Exit", {}}}}};
    for (const auto& [state, defaultItem] :
         std::vector<std::pair<QString, int>>{{"default-first", 0}, {"default-exit", 32774}}) {
        QWidget owner;
        RegisterMenuResource(140, menu);
        CTrayIcon tray;
        QPixmap icon(16, 16);
        icon.fill(QColor(40, 160, 255));
        tray.Create(&owner, 1725, "Keyboard", QIcon(icon), 140);
        tray.SetDefaultItem(defaultItem);
        tray.OnTrayNotification(140, WM_RBUTTONUP);
        QMenu* popup = tray.OpenMenu();
        if (popup == nullptr) {
            g.Fail("the tray menu did not open");
            return;
        }
        QApplication::processEvents();
        g.Save(state, popup);
        popup->close();
        tray.Remove();
    }
}
KESTROW_GALLERY_PAGE(tray_menu, RenderTrayMenu);

} // namespace
