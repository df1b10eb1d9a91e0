// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware update dialog: before a choice, with an update program chosen, and a button
// under the pointer.

#include "device/MessageSink.h"
#include "device/ui/CKestrow_DlgUpdate.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ControlId.h"
#include "tools/gallery/Gallery.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>

namespace {

class SilentMessages : public MessageSink {
public:
    void ShowText(std::string_view, std::optional<long long>) override {}
    bool AskYesNo(std::string_view, std::optional<long long>) override { return false; }
};

void RenderUpdateDialog(GalleryContext& g) {
    // Choosing a program makes the package folder current; keep ours.
    const QString previous = QDir::currentPath();
    SilentMessages messages;
    CKestrow_DlgUpdate dialog(messages);
    dialog.SetFileChooser([](const FileDialogRequest&) {
        return std::filesystem::path(
            "/home/ana/Downloads/keyboard-maker/firmware-2024-07/kb01-update-tool-v1.07");
    });
    dialog.InitDialog();
    g.Save("idle", &dialog);
    FindControlAs<CPngButton>(&dialog, CKestrow_DlgUpdate::kIdOpen)->click();
    g.Save("chosen", &dialog);
    auto* update = FindControlAs<CPngButton>(&dialog, CKestrow_DlgUpdate::kIdUpdate);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(update, &enter);
    g.Save("update-over", &dialog);
    // Forget the choice again.
    FindControlAs<CPngButton>(&dialog, CKestrow_DlgUpdate::kIdCancelUpdate)->click();
    QDir::setCurrent(previous);
}
KESTROW_GALLERY_PAGE(update_dialog, RenderUpdateDialog);

} // namespace
