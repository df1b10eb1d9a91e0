// SPDX-License-Identifier: GPL-3.0-or-later
// skingen FOLDER: draws every skin picture and writes the four layout files into FOLDER.
// skingen --icons FOLDER: draws the program's icon for the desktop's icon theme into FOLDER.
// Runs at build time, without a display.

#include "tools/skingen/IconTheme.h"
#include "tools/skingen/SkinStyle.h"
#include "tools/skingen/SkinWriter.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

int main(int argc, char** argv) {
    const bool icons = argc == 3 && std::strcmp(argv[1], "--icons") == 0;
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: skingen FOLDER\n       skingen --icons FOLDER\n");
        return 2;
    }
    // Drawing needs fonts but no screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    skingen::style::LoadFonts();

    const std::filesystem::path folder = argv[argc - 1];
    std::string error;
    const bool written =
        icons ? skingen::WriteIconTheme(folder, &error) : skingen::WriteSkinFolder(folder, &error);
    if (!written) {
        std::fprintf(stderr, "skingen: %s\n", error.c_str());
        return 1;
    }
    // The build's record that the folder is complete.
    std::ofstream(folder / ".skingen-stamp", std::ios::trunc) << "skingen\n";
    return 0;
}
