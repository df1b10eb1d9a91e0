// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/skingen/SkinWriter.h"

#include "tools/skingen/JpegFile.h"
#include "tools/skingen/SkinCatalog.h"

#include <QImageWriter>
#include <fstream>
#include <set>
#include <sstream>

namespace skingen {
namespace {

std::string RectText(const QRect& r) {
    std::ostringstream out;
    out << r.x() << ',' << r.y() << ',' << r.width() << ',' << r.height();
    return out.str();
}

bool SaveImage(const QImage& image, const std::filesystem::path& file) {
    const std::string ext = file.extension().string();
    if (ext == ".jpg") {
        // High quality, full colour resolution: legends and labels must stay crisp.
        return WriteJpeg(image, file, 95);
    }
    QImageWriter writer(QString::fromStdString(file.string()));
    if (ext == ".bmp") {
        writer.setFormat("bmp");
        return writer.write(image.convertToFormat(QImage::Format_RGB888));
    }
    writer.setFormat("png");
    return writer.write(image);
}

bool WriteText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

} // namespace

std::vector<WindowSkin> AllSkins() {
    return {MainWindowSkin(), CompositeSkin(), ProfileSkin(), UpdateSkin()};
}

std::string LayoutFileText(const WindowSkin& skin) {
    std::ostringstream out;
    out << "[SCREEN]\n";
    out << "Main=" << skin.face << '\n';
    out << "Mask=" << skin.mask << '\n';
    if (!skin.link.empty()) {
        out << "Link=" << skin.link << '\n';
    }
    for (const auto& [key, address] : skin.webLinks) {
        out << key << '=' << address << '\n';
    }
    out << "\n[BUTTONINFO]\n";
    for (const Control& c : skin.controls) {
        out << c.key << '=' << RectText(c.rect) << '\n';
    }
    if (!skin.sprites.empty()) {
        out << "\n[BUTTONINFO2]\n";
        for (const Sprite& s : skin.sprites) {
            out << s.key << '=' << RectText(s.rect) << '\n';
        }
    }
    return out.str();
}

std::vector<std::string> CheckSkins(const std::vector<WindowSkin>& skins,
                                    const std::vector<NamedImage>& pictures) {
    std::vector<std::string> problems;
    std::set<std::string> pictureNames;
    for (const NamedImage& p : pictures) {
        if (!pictureNames.insert(p.file).second) {
            problems.push_back("picture drawn twice: " + p.file);
        }
    }

    for (const CatalogSection& section : CatalogSections()) {
        const WindowSkin* skin = nullptr;
        for (const WindowSkin& s : skins) {
            if (s.layoutFile == section.file) {
                skin = &s;
            }
        }
        if (skin == nullptr) {
            problems.push_back("no window for " + section.file);
            continue;
        }
        for (const std::string& key : section.keys) {
            bool found = false;
            if (section.section == "SCREEN") {
                found = key == "Link" ? !skin->link.empty() : key == "Main" || key == "Mask";
                for (const auto& [webKey, address] : skin->webLinks) {
                    found = found || (webKey == key && !address.empty());
                }
            } else if (section.section == "BUTTONINFO2") {
                for (const Sprite& s : skin->sprites) {
                    found = found || s.key == key;
                }
            } else {
                found = skin->Find(key) != nullptr;
            }
            if (!found) {
                problems.push_back(section.file + " [" + section.section + "] lacks " + key);
            }
        }
    }
    for (const CatalogPicture& picture : CatalogPictures()) {
        if (pictureNames.count(picture.file) == 0) {
            problems.push_back("picture not drawn: " + picture.file);
        }
    }

    for (const WindowSkin& skin : skins) {
        for (const std::string& name : {skin.face, skin.mask}) {
            if (pictureNames.count(name) == 0) {
                problems.push_back(skin.layoutFile + ": SCREEN picture not drawn: " + name);
            }
        }
        const QRect window(QPoint(0, 0), skin.size);
        std::set<std::string> keys;
        for (size_t i = 0; i < skin.controls.size(); ++i) {
            const Control& a = skin.controls[i];
            if (!keys.insert(a.key).second) {
                problems.push_back(skin.layoutFile + ": key twice: " + a.key);
            }
            if (!window.contains(a.rect) || (a.art != Art::None && !window.contains(ArtRect(a)))) {
                problems.push_back(skin.layoutFile + ": outside the window: " + a.key);
            }
            for (size_t j = i + 1; j < skin.controls.size(); ++j) {
                const Control& b = skin.controls[j];
                if (a.backdrop || b.backdrop || (a.shown & b.shown) == 0) {
                    continue;
                }
                if (a.rect.intersects(b.rect)) {
                    problems.push_back(skin.layoutFile + ": " + a.key + " overlaps " + b.key);
                }
            }
        }
    }
    return problems;
}

bool WriteSkinFolder(const std::filesystem::path& folder, std::string* error) {
    const std::vector<WindowSkin> skins = AllSkins();
    const std::vector<NamedImage> pictures = AllPictures(skins);
    const std::vector<std::string> problems = CheckSkins(skins, pictures);
    if (!problems.empty()) {
        std::string text = "the skin description is inconsistent:";
        for (const std::string& p : problems) {
            text += "\n  " + p;
        }
        *error = text;
        return false;
    }

    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        *error = "cannot create " + folder.string() + ": " + ec.message();
        return false;
    }
    for (const WindowSkin& skin : skins) {
        if (!WriteText(folder / skin.layoutFile, LayoutFileText(skin))) {
            *error = "cannot write " + (folder / skin.layoutFile).string();
            return false;
        }
    }
    for (const NamedImage& picture : pictures) {
        if (!SaveImage(picture.image, folder / picture.file)) {
            *error = "cannot write " + (folder / picture.file).string();
            return false;
        }
    }
    return true;
}

} // namespace skingen
