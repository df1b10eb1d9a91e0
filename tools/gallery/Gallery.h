// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The gallery: named pages, each rendering one widget or window in each of its states into
// PNG files. A page adds itself with one line:
//
//     KESTROW_GALLERY_PAGE(png_button, RenderPngButtons);
//
// in a file tools/gallery/<Something>Gallery.cpp (the build picks up every such file), where
// RenderPngButtons(GalleryContext&) saves its pictures through the context.

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class GalleryContext {
public:
    GalleryContext(std::filesystem::path outFolder, std::filesystem::path skinFolder);

    // The Skins folder beside the program.
    const std::filesystem::path& Skins() const { return skins_; }
    std::filesystem::path Skin(const std::string& name) const { return skins_ / name; }
    // A skin picture; a missing one is reported as a failure of the page and gives a
    // placeholder so that the page can go on.
    QPixmap SkinPixmap(const std::string& name);

    // Writes page-state.png; returns false (and counts a failure) when it cannot.
    bool Save(const QString& state, const QImage& image);
    // Renders the widget (shown or not) with its children; a window mask makes the outside
    // transparent.
    bool Save(const QString& state, QWidget* widget);
    void Fail(const QString& why);

    void BeginPage(const std::string& page);
    // Writes page.png: every picture of the page under its state name, one under another.
    void EndPage();
    int Failures() const { return failures_; }
    const std::vector<std::filesystem::path>& Written() const { return written_; }

private:
    std::filesystem::path out_;
    std::filesystem::path skins_;
    std::string page_;
    int failures_ = 0;
    std::vector<std::filesystem::path> written_;
    std::vector<std::pair<QString, QImage>> pageImages_;
};

using GalleryRender = std::function<void(GalleryContext&)>;

struct GalleryPage {
    std::string name;
    GalleryRender render;
};

// Every registered page, in name order.
std::vector<GalleryPage> GalleryPages();

struct GalleryRegistrar {
    GalleryRegistrar(const char* name, GalleryRender render);
};

#define KESTROW_GALLERY_PAGE(name, function)                                                       \
    static const GalleryRegistrar kestrowGalleryPage_##name(#name, function)
