// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writes the layout files and the pictures of the skin into a folder.

#include "tools/skingen/SkinModel.h"
#include "tools/skingen/SkinPictures.h"

#include <filesystem>
#include <string>
#include <vector>

namespace skingen {

// The four windows.
std::vector<WindowSkin> AllSkins();

// The layout file of one window: SCREEN, BUTTONINFO and (when it has sprites) BUTTONINFO2.
std::string LayoutFileText(const WindowSkin& skin);

// What is wrong with the descriptions: keys or pictures the windows need that are missing,
// duplicate keys, controls outside their window, overlaps of controls that can be seen
// together. Empty when all is well.
std::vector<std::string> CheckSkins(const std::vector<WindowSkin>& skins,
                                    const std::vector<NamedImage>& pictures);

// Writes everything into folder (created when missing). False with a reason on failure.
bool WriteSkinFolder(const std::filesystem::path& folder, std::string* error);

} // namespace skingen
