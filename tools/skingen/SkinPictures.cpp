// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/skingen/SkinPictures.h"

#include "tools/skingen/MainLayout.h"
#include "tools/skingen/SkinStyle.h"

#include <QPainter>

namespace skingen {
namespace {

void Prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

const WindowSkin* ByFile(const std::vector<WindowSkin>& skins, const std::string& file) {
    for (const WindowSkin& s : skins) {
        if (s.layoutFile == file) {
            return &s;
        }
    }
    return nullptr;
}

} // namespace

QImage RenderState(const WindowSkin& skin, StatePic pic, int page, bool face, bool macroOnly) {
    QImage image(skin.size, QImage::Format_RGB32);
    image.fill(style::kWindow);
    QPainter p(&image);
    Prepare(p);
    if (skin.background) {
        p.save();
        skin.background(p, skin, page);
        p.restore();
    }
    for (const Control& c : skin.controls) {
        if (c.art == Art::None || c.positionOnly || (face && !c.inFace)) {
            continue;
        }
        if (page != 0 && (c.shown & ShownBit(page)) == 0) {
            continue;
        }
        Look look = c.looks[static_cast<size_t>(pic)];
        if (macroOnly && c.greyedInMacroOnly) {
            look = Look::Greyed;
        }
        p.save();
        style::DrawControl(p, c, look);
        p.restore();
    }
    return image;
}

QImage RenderMask(const WindowSkin& skin) {
    QImage mask(skin.size, QImage::Format_RGB32);
    mask.fill(Qt::white);
    QPainter p(&mask);
    // No antialiasing: every pixel is either white (outside) or black.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRect(QPoint(0, 0), skin.size), kWindowRadius, kWindowRadius);
    return mask;
}

QImage RenderArrowSheet(const WindowSkin& main) {
    QImage sheet(ArrowSheetSize(main), QImage::Format_RGB32);
    sheet.fill(style::kPlate);
    QPainter p(&sheet);
    Prepare(p);
    for (const Sprite& s : main.sprites) {
        // The arrow buttons copy from one pixel up and left, as every image control does.
        const QRectF art = QRectF(s.rect.translated(-1, -1));
        p.fillRect(art, style::kPlate);
        const double side = std::min(art.width(), art.height()) - 2;
        style::DrawIcon(
            p, QRectF(art.center().x() - side / 2, art.center().y() - side / 2, side, side), s.icon,
            style::kAccent);
    }
    return sheet;
}

std::vector<NamedImage> AllPictures(const std::vector<WindowSkin>& skins) {
    std::vector<NamedImage> out;
    for (const WindowSkin& s : skins) {
        out.push_back({s.mask, RenderMask(s)});
    }

    if (const WindowSkin* main = ByFile(skins, "Main.ini")) {
        const struct {
            const char* name;
            StatePic pic;
        } states[] = {{"normal", StatePic::Normal}, {"over", StatePic::Over},
                      {"down", StatePic::Down},     {"disable", StatePic::Disable},
                      {"color0", StatePic::Color0}, {"color1", StatePic::Color1}};
        for (const auto& st : states) {
            out.push_back({std::string("main_") + st.name + ".jpg", RenderState(*main, st.pic)});
        }
        out.push_back({main->face, RenderState(*main, StatePic::Normal, 0, true)});
        out.push_back({"Arrow.jpg", RenderArrowSheet(*main)});
        for (NamedImage& bitmap : PanelBitmaps(*main)) {
            out.push_back(std::move(bitmap));
        }
    }

    if (const WindowSkin* composite = ByFile(skins, "Composite.ini")) {
        const struct {
            const char* set;
            int page;
            bool macroOnly;
        } sets[] = {{"key", kPageKey, false},
                    {"macro", kPageMacro, false},
                    {"macro2", kPageMacro, true},
                    {"media", kPageMedia, false},
                    {"function", kPageFunction, false}};
        for (const auto& set : sets) {
            const std::string prefix = std::string(set.set) + "_";
            out.push_back({prefix + "normal.jpg", RenderState(*composite, StatePic::Normal,
                                                              set.page, false, set.macroOnly)});
            out.push_back({prefix + "over.jpg", RenderState(*composite, StatePic::Over, set.page,
                                                            false, set.macroOnly)});
            out.push_back({prefix + "down.jpg", RenderState(*composite, StatePic::Down, set.page,
                                                            false, set.macroOnly)});
            if (set.page == kPageMacro) {
                out.push_back(
                    {prefix + "disable.jpg",
                     RenderState(*composite, StatePic::Disable, set.page, false, set.macroOnly)});
            }
        }
    }

    if (const WindowSkin* profile = ByFile(skins, "Profile.ini")) {
        out.push_back({"Profile_normal.jpg", RenderState(*profile, StatePic::Normal)});
        out.push_back({"Profile_over.jpg", RenderState(*profile, StatePic::Over)});
        out.push_back({"Profile_down.jpg", RenderState(*profile, StatePic::Down)});
    }
    if (const WindowSkin* update = ByFile(skins, "UpdateDlg.ini")) {
        out.push_back({"update_normal.jpg", RenderState(*update, StatePic::Normal)});
        out.push_back({"update_over.jpg", RenderState(*update, StatePic::Over)});
    }
    return out;
}

} // namespace skingen
