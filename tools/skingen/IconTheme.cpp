// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/skingen/IconTheme.h"

#include "platform/ProgramNames.h"
#include "skin/ui/ProgramIconArt.h"

#include <QString>
#include <system_error>

namespace skingen {

bool WriteIconTheme(const std::filesystem::path& folder, std::string* error) {
    for (int size : kIconThemeSizes) {
        const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path apps = folder / "hicolor" / sizeName / "apps";
        std::error_code code;
        std::filesystem::create_directories(apps, code);
        const std::filesystem::path file = apps / (std::string(kDesktopId) + ".png");
        if (code || !DrawProgramIcon(size).save(QString::fromStdString(file.string()), "PNG")) {
            if (error != nullptr) {
                *error = "cannot write " + file.string();
            }
            return false;
        }
    }
    return true;
}

} // namespace skingen
