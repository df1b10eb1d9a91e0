// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/gallery/Gallery.h"

#include "skin/ui/SkinPicture.h"

#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cstdio>
#include <map>

namespace {

std::map<std::string, GalleryRender>& Registry() {
    static std::map<std::string, GalleryRender> pages;
    return pages;
}

} // namespace

GalleryRegistrar::GalleryRegistrar(const char* name, GalleryRender render) {
    Registry()[name] = std::move(render);
}

std::vector<GalleryPage> GalleryPages() {
    std::vector<GalleryPage> out;
    for (const auto& [name, render] : Registry()) {
        out.push_back({name, render});
    }
    return out;
}

GalleryContext::GalleryContext(std::filesystem::path outFolder, std::filesystem::path skinFolder)
    : out_(std::move(outFolder)), skins_(std::move(skinFolder)) {}

void GalleryContext::Fail(const QString& why) {
    ++failures_;
    std::fprintf(stderr, "kestrow-gallery: %s: %s\n", page_.c_str(), qPrintable(why));
}

QPixmap GalleryContext::SkinPixmap(const std::string& name) {
    const auto image = LoadSkinPicture(Skin(name));
    if (!image) {
        Fail(QString("skin picture %1 cannot be loaded").arg(QString::fromStdString(name)));
        QPixmap placeholder(64, 64);
        placeholder.fill(Qt::magenta);
        return placeholder;
    }
    return QPixmap::fromImage(*image);
}

bool GalleryContext::Save(const QString& state, const QImage& image) {
    const auto file = out_ / (page_ + "-" + state.toStdString() + ".png");
    if (image.isNull() || !image.save(QString::fromStdString(file.string()), "PNG")) {
        Fail(QString("cannot write %1").arg(QString::fromStdString(file.string())));
        return false;
    }
    written_.push_back(file);
    pageImages_.emplace_back(state, image);
    return true;
}

void GalleryContext::BeginPage(const std::string& page) {
    page_ = page;
    pageImages_.clear();
}

void GalleryContext::EndPage() {
    if (pageImages_.empty()) {
        return;
    }
    constexpr int kGap = 6;
    constexpr int kLabel = 16;
    int width = 200;
    int height = kGap;
    for (const auto& [state, image] : pageImages_) {
        width = std::max(width, image.width() + 2 * kGap);
        height += kLabel + image.height() + kGap;
    }
    QImage sheet(width, height, QImage::Format_ARGB32);
    sheet.fill(QColor(236, 238, 242));
    QPainter p(&sheet);
    p.setFont(QFont("DejaVu Sans", 8));
    int y = kGap;
    for (const auto& [state, image] : pageImages_) {
        p.setPen(QColor(40, 40, 48));
        p.drawText(QRect(kGap, y, width - 2 * kGap, kLabel), Qt::AlignLeft | Qt::AlignVCenter,
                   state);
        y += kLabel;
        p.drawImage(kGap, y, image);
        y += image.height() + kGap;
    }
    p.end();
    const auto file = out_ / (page_ + ".png");
    if (!sheet.save(QString::fromStdString(file.string()), "PNG")) {
        Fail(QString("cannot write %1").arg(QString::fromStdString(file.string())));
        return;
    }
    written_.push_back(file);
}

bool GalleryContext::Save(const QString& state, QWidget* widget) {
    if (widget == nullptr) {
        Fail("no widget for " + state);
        return false;
    }
    widget->ensurePolished();
    QImage image = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRegion mask = widget->mask();
    if (!mask.isEmpty()) {
        // What the window region cuts away is not part of the window.
        QImage shaped(image.size(), QImage::Format_ARGB32);
        shaped.fill(Qt::transparent);
        QPainter p(&shaped);
        p.setClipRegion(mask);
        p.drawImage(0, 0, image);
        p.end();
        image = shaped;
    }
    return Save(state, image);
}
