// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Everything the windows read from the Skins folder: the keys of the four layout files and the
// picture files, each picture with the size the window expects. Kept apart from the layout so
// that the generator (and the tests) can check the layout against it. No Qt here.

#include <string>
#include <vector>

namespace skingen {

struct CatalogSection {
    std::string file;    // "Main.ini"
    std::string section; // "BUTTONINFO"
    std::vector<std::string> keys;
};

// How big a picture must be.
enum class PictureSize {
    Window,  // the size of the window's face (SCREEN/Main of layoutFile)
    Control, // the size of control sizeKey in layoutFile's BUTTONINFO
    Sprites, // holds every BUTTONINFO2 rectangle of layoutFile, sized like the arrow buttons
};

struct CatalogPicture {
    std::string file;       // name in the Skins folder, as the windows load it
    std::string layoutFile; // the window that loads it
    PictureSize size = PictureSize::Window;
    std::string sizeKey;
};

// The 106 key codes of the key map, in key map order.
const std::vector<int>& KeyMapCodes();
// The key position index of a key code: codes below 0x100 stay, 0x100-0x1FF become
// (code - 0x80) & 0xFF, larger ones code - 0x100.
int KeyPositionIndex(int code);
// "KEY_" + the key position index in three upper-case hexadecimal digits.
std::string KeySkinName(int code);

// Every section and key the windows read, per layout file (SCREEN keys included).
const std::vector<CatalogSection>& CatalogSections();
// Every picture the windows load, faces and masks excluded (their names live in SCREEN).
const std::vector<CatalogPicture>& CatalogPictures();

} // namespace skingen
