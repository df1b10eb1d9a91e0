// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The lighting panel's bitmaps, loaded once from the skin folder when the panel is set up and
// kept for the life of the window. A file that is missing gives an empty picture.

#include <QPixmap>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

class PanelPictures {
public:
    // Loads every picture the panel shows (the name without ".bmp" is its key).
    void Load(const std::filesystem::path& skinFolder);
    // Empty for a name that was not loaded.
    const QPixmap& Of(std::string_view name) const;
    // n.bmp for the slider positions and their spare pictures.
    const QPixmap& Numbered(int n) const;

private:
    std::map<std::string, QPixmap, std::less<>> pictures_;
    QPixmap empty_;
};
