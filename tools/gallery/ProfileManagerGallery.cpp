// SPDX-License-Identifier: GPL-3.0-or-later
// The profile manager: as it opens on profile 2, and with two files added and another profile
// marked (Apply enabled).

#include "device/DeviceState.h"
#include "device/MessageSink.h"
#include "editors/CKestrow_DlgProfile.h"
#include "editors/ProfileManagerHost.h"
#include "model/KeyButtonSink.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ControlId.h"
#include "tools/gallery/Gallery.h"
#include "widgets/CReportCtrl.h"

#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>

namespace {

// Applies nothing: the gallery only looks.
class GalleryHost : public ProfileManagerHost, public MessageSink, public KeyButtonSink {
public:
    MessageSink& ProfileManagerMessages() override { return *this; }
    KeyButtonSink& ProfileManagerKeyButtons() override { return *this; }
    bool HasPendingChanges() const override { return false; }
    bool ApplyPendingChanges() override { return true; }
    void ProfileListApplied() override {}
    void ShowText(std::string_view, std::optional<long long>) override {}
    bool AskYesNo(std::string_view, std::optional<long long>) override { return false; }
    std::vector<KeyCode> KeyButtonCodes() const override { return {}; }
    void DescribeKeyButton(KeyCode, std::string_view, bool) override {}
    void SetPendingChanges(int) override {}
};

void RenderProfileManager(GalleryContext& g) {
    // The rows name the working files in the user's data folder: keep it out of the user's.
    QTemporaryDir home;
    setenv("XDG_DATA_HOME", qPrintable(home.path() + "/data"), 1);
    DeviceState().CachedProfile = 1;
    GalleryHost host;
    CKestrow_DlgProfile dialog(host);
    std::vector<std::filesystem::path> choices = {"/home/ana/Backups/Gaming.fwc",
                                                  "/home/ana/Backups/Office evening.fwc"};
    dialog.SetFileChooser([&](const FileDialogRequest&) {
        const std::filesystem::path next = choices.front();
        choices.erase(choices.begin());
        return next;
    });
    QTimer::singleShot(0, [&] {
        g.Save("opened", &dialog);
        FindControlAs<CPngButton>(&dialog, CKestrow_DlgProfile::kIdLoad)->click();
        FindControlAs<CPngButton>(&dialog, CKestrow_DlgProfile::kIdLoad)->click();
        dialog.List()->SetItemStates(0, CReportCtrl::RC_ITEM_CHECKED);
        dialog.List()->SetItemStates(3, CReportCtrl::RC_ITEM_SELECTED);
        g.Save("modified", &dialog);
        dialog.reject();
    });
    dialog.DoModal();
    DeviceState().Reset();
}
KESTROW_GALLERY_PAGE(profile_manager, RenderProfileManager);

} // namespace
