// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/PanelPictures.h"

#include <QString>
#include <array>

namespace {

constexpr std::array<const char*, 28> kNamedPictures = {
    "dengup", "dengdown", "leftup",   "leftdown", "rightup",    "rightdown", "upup",
    "updown", "downup",   "downdown", "julong",   "julongdown", "kuosan",    "kuosandown",
    "hong",   "hongok",   "huang",    "huangok",  "lv",         "lvok",      "lan",
    "lanok",  "sjsup",    "sjsdown",  "user1up",  "user1down",  "user2up",   "user2down"};
// 0.bmp..25.bmp and Color1.bmp..Color8.bmp are loaded by number; the busy animation's frames
// belong to the window.
constexpr int kNumberedPictures = 26;
constexpr int kPresetPictures = 8;

} // namespace

void PanelPictures::Load(const std::filesystem::path& skinFolder) {
    auto load = [&](const std::string& name) {
        QPixmap picture;
        picture.load(QString::fromStdString((skinFolder / (name + ".bmp")).string()));
        pictures_[name] = picture;
    };
    for (const char* name : kNamedPictures) {
        load(name);
    }
    for (int i = 0; i < kNumberedPictures; ++i) {
        load(std::to_string(i));
    }
    for (int i = 1; i <= kPresetPictures; ++i) {
        load("Color" + std::to_string(i));
    }
}

const QPixmap& PanelPictures::Of(std::string_view name) const {
    const auto it = pictures_.find(name);
    return it == pictures_.end() ? empty_ : it->second;
}

const QPixmap& PanelPictures::Numbered(int n) const {
    return Of(std::to_string(n));
}
