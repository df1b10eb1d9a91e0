// SPDX-License-Identifier: GPL-3.0-or-later
// Gallery pages of the skinned controls, cut from the main window's generated skin.

#include "skin/SkinRect.h"
#include "skin/ui/CBitmapSlider.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/CSkinColorBtn.h"
#include "skin/ui/ColorStatic.h"
#include "tools/gallery/Gallery.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>

namespace {

constexpr int kMargin = 8;

// A piece of the main window's face around one control, with the control on it.
class FacePiece : public QWidget {
public:
    FacePiece(const QPixmap& face, const SkinRect& r)
        : face_(face), origin_(r.x - 1 - kMargin, r.y - 1 - kMargin) {
        resize(r.w + 2 * kMargin, r.h + 2 * kMargin);
    }
    QPoint ControlPos() const { return {kMargin, kMargin}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).drawPixmap(0, 0, face_, origin_.x(), origin_.y(), width(), height());
    }

private:
    QPixmap face_;
    QPoint origin_;
};

struct MainPictures {
    QPixmap face, normal, over, down, disabled, color0, color1;
    explicit MainPictures(GalleryContext& g)
        : face(g.SkinPixmap("main_face.jpg")), normal(g.SkinPixmap("main_normal.jpg")),
          over(g.SkinPixmap("main_over.jpg")), down(g.SkinPixmap("main_down.jpg")),
          disabled(g.SkinPixmap("main_disable.jpg")), color0(g.SkinPixmap("main_color0.jpg")),
          color1(g.SkinPixmap("main_color1.jpg")) {}
};

void Hover(QWidget* w) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(w, &enter);
}

void RenderPngButtons(GalleryContext& g) {
    const MainPictures pics(g);
    const auto ini = g.Skin("Main.ini");
    struct Shot {
        const char* key;
        const char* state;
        std::function<void(CPngButton&)> setup;
    };
    const Shot shots[] = {
        {"FUNC_PROFILE1", "normal", [](CPngButton&) {}},
        {"FUNC_PROFILE1", "over", [](CPngButton& b) { Hover(&b); }},
        {"FUNC_PROFILE1", "down", [](CPngButton& b) { b.setDown(true); }},
        {"FUNC_PROFILE1", "checked", [](CPngButton& b) { b.SetCheck(true); }},
        {"FUNC_PROFILE1", "disabled", [](CPngButton& b) { b.setEnabled(false); }},
        {"KEY_01E", "key-normal", [](CPngButton&) {}},
        {"KEY_01E", "key-over", [](CPngButton& b) { Hover(&b); }},
        {"KEY_01E", "key-custom1",
         [&](CPngButton& b) { b.SetCustomImages(&pics.color0, true, &pics.color1, false); }},
        {"KEY_01E", "key-custom2",
         [&](CPngButton& b) { b.SetCustomImages(&pics.color0, true, &pics.color1, true); }},
        {"KEY_01E", "key-frame",
         [](CPngButton& b) { b.SetColourFrame(QColor(255, 40, 90), true); }},
        {"KEY_01E", "key-frame-off",
         [](CPngButton& b) {
             b.SetColourFrame(QColor(255, 40, 90), true);
             b.SetColourFrame(QColor(255, 40, 90), false);
         }},
        {"KEY_01E", "key-after-draw",
         [](CPngButton& b) {
             b.SetAfterDraw([](CPngButton* button, QPainter& p, bool normal) {
                 p.setPen(QPen(normal ? QColor(60, 220, 120) : QColor(255, 200, 0), 3));
                 p.drawLine(4, button->height() - 5, button->width() - 5, button->height() - 5);
             });
         }},
        {"CONTROL_LightStatic", "text",
         [](CPngButton& b) {
             b.setText("Brightness");
             b.SetTextStyle(true, 9, "DejaVu Sans",
                            {QColor(230, 236, 245), QColor(120, 200, 255), QColor(255, 255, 255),
                             QColor(120, 120, 130), QColor(255, 210, 90)});
         }},
        {"CONTROL_LightStatic", "text-margins",
         [](CPngButton& b) {
             b.setText("Left");
             b.SetTextStyle(true, 9, "DejaVu Sans",
                            {QColor(230, 236, 245), QColor(120, 200, 255), QColor(255, 255, 255),
                             QColor(120, 120, 130), QColor(255, 210, 90)},
                            CPngButton::kDtSingleLine | CPngButton::kDtVCenter);
             b.SetTextMargins(12, 0, 0, 0);
         }},
        {"FUNC_PROFILE1", "rotated",
         [](CPngButton& b) {
             b.setText("Profile 1");
             b.SetTextStyle(true, 8, "DejaVu Sans",
                            {QColor(255, 210, 90), QColor(255, 255, 255), QColor(255, 255, 255),
                             QColor(120, 120, 130), QColor(255, 210, 90)});
             b.SetRotation(150, true);
         }},
        {"FUNC_PROFILE1", "checked-text",
         [](CPngButton& b) {
             b.setText("Profile 1");
             b.SetTextStyle(true, 9, "DejaVu Sans",
                            {QColor(200, 206, 215), QColor(255, 255, 255), QColor(255, 255, 255),
                             QColor(120, 120, 130), QColor(255, 170, 60)});
             b.SetCheck(true);
         }},
    };
    for (const Shot& shot : shots) {
        const SkinRect r = ReadSkinRect(ini, "BUTTONINFO", shot.key);
        FacePiece piece(pics.face, r);
        CPngButton button(&piece, 1);
        button.setGeometry(QRect(piece.ControlPos(), QSize(r.w, r.h)));
        button.SetImages(r.x, r.y, &pics.normal, &pics.over, &pics.down, &pics.disabled,
                         &pics.down);
        shot.setup(button);
        g.Save(shot.state, &piece);
    }
}
KESTROW_GALLERY_PAGE(png_button, RenderPngButtons);

void RenderColourButtons(GalleryContext& g) {
    const MainPictures pics(g);
    const SkinRect r = ReadSkinRect(g.Skin("Main.ini"), "BUTTONINFO", "CONTROL_FYYSButton");
    struct Shot {
        const char* state;
        std::function<void(CSkinColorBtn&)> setup;
    };
    const Shot shots[] = {
        {"colour", [](CSkinColorBtn& b) { b.SetColor(MakeColorRef(255, 60, 40)); }},
        {"none-shows-automatic",
         [](CSkinColorBtn& b) {
             b.SetAutomaticColor(MakeColorRef(40, 160, 255));
             b.SetColor(kColorNone);
         }},
        {"disabled",
         [](CSkinColorBtn& b) {
             b.SetColor(MakeColorRef(255, 60, 40));
             b.setEnabled(false);
         }},
    };
    for (const Shot& shot : shots) {
        FacePiece piece(pics.face, r);
        CSkinColorBtn button(&piece, 1);
        button.setGeometry(QRect(piece.ControlPos(), QSize(r.w, r.h)));
        shot.setup(button);
        g.Save(shot.state, &piece);
    }
    // The popup as the lighting panel sets it up.
    QWidget host;
    CSkinColorBtn button(&host, 1);
    button.resize(r.w, r.h);
    button.SetColumnsNumber(10);
    button.EnableAutomaticButton("Automatic", MakeColorRef(255, 255, 255));
    button.EnableOtherButton("other");
    button.SetColor(button.Palette()[16]);
    CSkinColorPopup popup(&button);
    g.Save("popup", &popup);
}
KESTROW_GALLERY_PAGE(skin_color_btn, RenderColourButtons);

void RenderSliders(GalleryContext& g) {
    const MainPictures pics(g);
    const SkinRect r = ReadSkinRect(g.Skin("Main.ini"), "BUTTONINFO", "CONTROL_LightSlider");
    for (int pos = 0; pos <= 5; ++pos) {
        FacePiece piece(pics.face, r);
        CBitmapSlider slider(&piece, 1);
        slider.move(piece.ControlPos());
        slider.SetFirstPicture(g.SkinPixmap(std::to_string(pos) + ".bmp"));
        slider.SetRange(0, 5);
        slider.SetPos(pos);
        g.Save(QString("position-%1").arg(pos), &piece);
    }
    FacePiece piece(pics.face, r);
    CBitmapSlider slider(&piece, 1);
    slider.move(piece.ControlPos());
    slider.SetFirstPicture(g.SkinPixmap("3.bmp"));
    Hover(&slider);
    g.Save("pointer-inside", &piece);
}
KESTROW_GALLERY_PAGE(bitmap_slider, RenderSliders);

void RenderLabels(GalleryContext& g) {
    const MainPictures pics(g);
    const SkinRect r = ReadSkinRect(g.Skin("Main.ini"), "BUTTONINFO", "CONTROL_LightStatic");
    const struct {
        const char* state;
        QColor colour;
        int height;
    } shots[] = {{"white", Qt::white, 13},
                 {"accent", QColor(90, 200, 255), 13},
                 {"large", QColor(255, 210, 90), 15}};
    for (const auto& shot : shots) {
        FacePiece piece(pics.face, r);
        ColorStatic label(&piece, 1);
        label.setGeometry(QRect(piece.ControlPos(), QSize(r.w, r.h)));
        label.setText("Brightness");
        label.SetTextColour(shot.colour);
        label.SetFontHeight(shot.height);
        g.Save(shot.state, &piece);
    }
}
KESTROW_GALLERY_PAGE(color_static, RenderLabels);

} // namespace
