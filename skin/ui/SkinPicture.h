// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Skin pictures: read whole into memory and decoded (JPEG, BMP, PNG and whatever else the
// image plugins read). A skin picture that cannot be loaded is fatal to the program.

#include <QImage>
#include <QPixmap>
#include <filesystem>
#include <optional>

// The decoded picture, or std::nullopt when the file cannot be opened, read or decoded.
std::optional<QImage> LoadSkinPicture(const std::filesystem::path& file);

// Ends the process at once with exit code 0 and no message, as a broken skin does.
[[noreturn]] void EndProgramForMissingSkin();

// The picture, or the end of the program when it cannot be loaded.
QPixmap LoadSkinPictureOrExit(const std::filesystem::path& file);
