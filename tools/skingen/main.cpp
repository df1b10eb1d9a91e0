// skingen FOLDER: draws every skin picture and writes the four layout files into FOLDER.
// Runs at build time, without a display.

#include "tools/skingen/SkinStyle.h"
#include "tools/skingen/SkinWriter.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: skingen FOLDER\n");
        return 2;
    }
    // Drawing needs fonts but no screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    skingen::style::LoadFonts();

    const std::filesystem::path folder = argv[1];
    std::string error;
    if (!skingen::WriteSkinFolder(folder, &error)) {
        std::fprintf(stderr, "skingen: %s\n", error.c_str());
        return 1;
    }
    // The build's record that the folder is complete.
    std::ofstream(folder / ".skingen-stamp", std::ios::trunc) << "skingen\n";
    return 0;
}
