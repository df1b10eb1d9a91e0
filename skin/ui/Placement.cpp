// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/Placement.h"

#include "skin/SkinRect.h"
#include "skin/ui/CPngButton.h"

namespace {

SkinRect PlaceAt(QWidget* window, const std::filesystem::path& file, std::string_view section,
                 std::string_view key) {
    const SkinRect rect = ReadSkinRect(file, section, key);
    if (window != nullptr) {
        window->setGeometry(rect.x, rect.y, rect.w, rect.h);
    }
    return rect;
}

} // namespace

void PlaceControl(QWidget* window, const std::filesystem::path& file, std::string_view section,
                  std::string_view key) {
    PlaceAt(window, file, section, key);
}

void PlaceImageControl(CPngButton* button, const std::filesystem::path& file,
                       std::string_view section, std::string_view key, const QPixmap* normal,
                       const QPixmap* over, const QPixmap* down, const QPixmap* disabled,
                       const QPixmap* checked) {
    const SkinRect rect = PlaceAt(button, file, section, key);
    if (button == nullptr) {
        return;
    }
    button->SetImages(rect.x, rect.y, normal, over, down, disabled, checked, true);
    if (rect.AtDefaultPlace()) {
        button->setEnabled(false);
    }
}

void PlaceImageControlSplit(CPngButton* button, const std::filesystem::path& file,
                            std::string_view section1, std::string_view key1,
                            std::string_view section2, std::string_view key2,
                            const QPixmap* picture) {
    PlaceAt(button, file, section1, key1);
    if (button == nullptr) {
        return;
    }
    const SkinRect source = ReadSkinRect(file, section2, key2);
    button->SetImages(source.x, source.y, picture, picture, picture, picture, picture, true);
}

void MoveControlTo(QWidget* window, const std::filesystem::path& file, std::string_view section,
                   std::string_view key) {
    if (window == nullptr) {
        return;
    }
    const SkinRect rect = ReadSkinRect(file, section, key);
    window->move(rect.x, rect.y);
    window->update();
}
