// SPDX-License-Identifier: GPL-3.0-or-later
// kestrow-gallery OUTDIR [PAGE...]: renders the gallery pages offscreen into OUTDIR.

#include "platform/UserFolders.h"
#include "tools/gallery/Gallery.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: kestrow-gallery OUTDIR [PAGE...]\npages:");
        for (const GalleryPage& page : GalleryPages()) {
            std::fprintf(stderr, " %s", page.name.c_str());
        }
        std::fprintf(stderr, "\n");
        return argc < 2 ? 2 : 0;
    }
    // No display needed: everything is drawn offscreen.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    const std::filesystem::path out = argv[1];
    std::error_code error;
    std::filesystem::create_directories(out, error);
    if (!std::filesystem::is_directory(out)) {
        std::fprintf(stderr, "kestrow-gallery: cannot create %s\n", out.c_str());
        return 1;
    }
    std::set<std::string> wanted;
    for (int i = 2; i < argc; ++i) {
        wanted.insert(argv[i]);
    }

    GalleryContext context(out, ProgramFolder() / "Skins");
    int pages = 0;
    for (const GalleryPage& page : GalleryPages()) {
        if (!wanted.empty() && wanted.count(page.name) == 0) {
            continue;
        }
        context.BeginPage(page.name);
        page.render(context);
        context.EndPage();
        ++pages;
    }
    for (const auto& file : context.Written()) {
        std::printf("%s\n", file.c_str());
    }
    if (pages == 0) {
        std::fprintf(stderr, "kestrow-gallery: no such page\n");
        return 1;
    }
    return context.Failures() == 0 ? 0 : 1;
}
