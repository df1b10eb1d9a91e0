// SPDX-License-Identifier: GPL-3.0-or-later
// The skinned dialog base on each generated layout file: face, outline and size.

#include "skin/CIniFile.h"
#include "skin/ui/CBaseDialog.h"
#include "skin/ui/SkinPicture.h"
#include "tools/gallery/Gallery.h"

namespace {

void RenderBaseDialogs(GalleryContext& g) {
    for (const char* file : {"Main.ini", "Composite.ini", "Profile.ini", "UpdateDlg.ini"}) {
        const auto ini = g.Skin(file);
        // A broken skin would end the program; tell it instead.
        const CIniFile layout(ini.string());
        const std::string face = layout.GetString("SCREEN", "Main").value_or("");
        const std::string mask = layout.GetString("SCREEN", "Mask", face).value_or(face);
        if (face.empty() || !LoadSkinPicture(g.Skin(face)) || !LoadSkinPicture(g.Skin(mask))) {
            g.Fail(QString("%1 names a picture that cannot be loaded").arg(file));
            continue;
        }
        CBaseDialog dialog(0, nullptr, ini, g.Skins());
        dialog.InitDialog();
        QString name = QString(file).section('.', 0, 0).toLower();
        g.Save(name, &dialog);
    }
}
KESTROW_GALLERY_PAGE(base_dialog, RenderBaseDialogs);

} // namespace
