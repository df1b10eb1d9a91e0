// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's icon for the desktop's icon theme: one PNG per usual size in the layout of
// the hicolor theme, FOLDER/hicolor/<N>x<N>/apps/<icon name>.png.

#include <array>
#include <filesystem>
#include <string>

namespace skingen {

inline constexpr std::array<int, 8> kIconThemeSizes{16, 22, 24, 32, 48, 64, 128, 256};

// False with a sentence in *error when a folder or a file cannot be written.
bool WriteIconTheme(const std::filesystem::path& folder, std::string* error);

} // namespace skingen
