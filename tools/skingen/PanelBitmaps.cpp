// SPDX-License-Identifier: GPL-3.0-or-later
// The lighting panel's bitmaps: switch, direction pairs, colour choices, tools, sliders, the
// busy animation and the preset swatches. Bitmaps have no transparency, so each is drawn on
// the flat colour of the place that shows it.

#include "tools/skingen/SkinPictures.h"
#include "tools/skingen/SkinStyle.h"

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace skingen {
namespace {

using namespace style;

QSize SizeOf(const WindowSkin& main, const std::string& key) {
    const Control* c = main.Find(key);
    return c != nullptr ? c->rect.size() : QSize(1, 1);
}

QImage Canvas(const QSize& size, const QColor& background) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

void Prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

// The lighting switch: a toggle, knob right and lit when on.
QImage Switch(const QSize& size, bool on) {
    QImage image = Canvas(size, kPanel);
    QPainter p(&image);
    Prepare(p);
    const QRectF track = QRectF(QPointF(0, 0), size).adjusted(3, 4, -3, -4);
    const double r = track.height() / 2;
    if (on) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 55));
        p.drawRoundedRect(track.adjusted(-2, -2, 2, 2), r + 2, r + 2);
        p.setBrush(AccentGradient(track));
        p.drawRoundedRect(track, r, r);
    } else {
        p.setPen(QPen(kControlEdge, 1));
        p.setBrush(kControl);
        p.drawRoundedRect(track.adjusted(0.5, 0.5, -0.5, -0.5), r, r);
    }
    const double knobR = r - 3;
    const QPointF centre(on ? track.right() - r : track.left() + r, track.center().y());
    p.setPen(Qt::NoPen);
    p.setBrush(on ? QColor(Qt::white) : kTextDim);
    p.drawEllipse(centre, knobR, knobR);
    return image;
}

// A two-state choice: a rounded tile with a symbol; selected tiles are lit.
QImage Tile(const QSize& size, bool selected,
            const std::function<void(QPainter&, QRectF, QColor)>& symbol) {
    QImage image = Canvas(size, kPanel);
    QPainter p(&image);
    Prepare(p);
    const QRectF r = QRectF(QPointF(0, 0), size).adjusted(1.5, 1.5, -1.5, -1.5);
    if (selected) {
        p.setPen(QPen(kAccent, 1.5));
        p.setBrush(QColor(0x3A, 0x2B, 0x1F));
    } else {
        p.setPen(QPen(kControlEdge, 1));
        p.setBrush(kControl);
    }
    p.drawRoundedRect(r, 7, 7);
    symbol(p, r, selected ? kAccent : kTextDim);
    return image;
}

enum class Dir { Left, Right, Up, Down, Out, In };

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& c) {
    QPen pen(c, 2);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.drawLine(from, to);
    const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const double head = 5;
    for (double side : {-1.0, 1.0}) {
        const double a = angle + M_PI + side * 0.6;
        p.drawLine(to, to + QPointF(std::cos(a) * head, std::sin(a) * head));
    }
}

void DirectionSymbol(QPainter& p, const QRectF& r, const QColor& c, Dir dir) {
    const QPointF m = r.center();
    const double dx = std::min(r.width(), 2 * r.height()) * 0.3;
    const double dy = r.height() * 0.3;
    switch (dir) {
    case Dir::Left:
        Arrow(p, m + QPointF(dx, 0), m - QPointF(dx, 0), c);
        break;
    case Dir::Right:
        Arrow(p, m - QPointF(dx, 0), m + QPointF(dx, 0), c);
        break;
    case Dir::Up:
        Arrow(p, m + QPointF(0, dy), m - QPointF(0, dy), c);
        break;
    case Dir::Down:
        Arrow(p, m - QPointF(0, dy), m + QPointF(0, dy), c);
        break;
    case Dir::Out:
        Arrow(p, m - QPointF(3, 0), m - QPointF(dx + 3, 0), c);
        Arrow(p, m + QPointF(3, 0), m + QPointF(dx + 3, 0), c);
        break;
    case Dir::In:
        Arrow(p, m - QPointF(dx + 3, 0), m - QPointF(3, 0), c);
        Arrow(p, m + QPointF(dx + 3, 0), m + QPointF(3, 0), c);
        break;
    }
}

QImage Direction(const QSize& size, bool selected, Dir dir) {
    return Tile(size, selected,
                [dir](QPainter& p, QRectF r, QColor c) { DirectionSymbol(p, r, c, dir); });
}

// One of the four colours of effect 17; the chosen one gets a ring and a check mark.
QImage Swatch(const QSize& size, const QColor& colour, bool chosen) {
    QImage image = Canvas(size, kPanel);
    QPainter p(&image);
    Prepare(p);
    const QPointF m(size.width() / 2.0, size.height() / 2.0);
    const double outer = std::min(size.width(), size.height()) / 2.0 - 1;
    if (chosen) {
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(m, outer - 1, outer - 1);
    }
    p.setPen(chosen ? Qt::NoPen : QPen(colour.darker(160), 1));
    p.setBrush(colour);
    const double inner = chosen ? outer - 4 : outer - 2.5;
    p.drawEllipse(m, inner, inner);
    if (chosen) {
        QPen pen(colour.lightnessF() > 0.6 ? QColor(0x10, 0x12, 0x16) : QColor(Qt::white), 2);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.drawLine(m + QPointF(-4, 0), m + QPointF(-1, 3));
        p.drawLine(m + QPointF(-1, 3), m + QPointF(4.5, -3));
    }
    return image;
}

// The multicolour switch: a rainbow check box.
QImage Multicolour(const QSize& size, bool on) {
    QImage image = Canvas(size, kPanel);
    QPainter p(&image);
    Prepare(p);
    const QRectF r = QRectF(QPointF(0, 0), size).adjusted(2, 2, -2, -2);
    QConicalGradient rainbow(r.center(), 90);
    for (int i = 0; i <= 6; ++i) {
        rainbow.setColorAt(i / 6.0, Hue(i / 6.0));
    }
    if (on) {
        p.setPen(Qt::NoPen);
        p.setBrush(rainbow);
        p.drawRoundedRect(r, 5, 5);
        QPen pen(Qt::white, 2.2);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        const QPointF m = r.center();
        p.drawLine(m + QPointF(-5, 0), m + QPointF(-1.5, 3.5));
        p.drawLine(m + QPointF(-1.5, 3.5), m + QPointF(5, -3.5));
    } else {
        p.setPen(QPen(QBrush(rainbow), 1.6));
        p.setBrush(kControl);
        p.drawRoundedRect(r.adjusted(0.8, 0.8, -0.8, -0.8), 5, 5);
    }
    return image;
}

// Painting tools: 1 paints with the paint colour, 2 with the base colour (keys then follow it).
QImage Tool(const QSize& size, bool selected, int tool) {
    return Tile(size, selected, [tool](QPainter& p, QRectF r, QColor c) {
        const QPointF m = r.center();
        QPen pen(c, 1.8);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        if (tool == 1) {
            // a brush: handle and bristles
            p.drawLine(m + QPointF(6, -7), m + QPointF(-1, 0));
            QPainterPath tip;
            tip.moveTo(m + QPointF(-1, -1));
            tip.quadTo(m + QPointF(-7, 0), m + QPointF(-6, 7));
            tip.quadTo(m + QPointF(1, 6), m + QPointF(1, 1));
            tip.closeSubpath();
            p.setBrush(c);
            p.drawPath(tip);
        } else {
            // a chain link
            p.save();
            p.translate(m);
            p.rotate(-35);
            p.drawRoundedRect(QRectF(-9, -3.5, 10, 7), 3.5, 3.5);
            p.drawRoundedRect(QRectF(-1, -3.5, 10, 7), 3.5, 3.5);
            p.restore();
        }
    });
}

// Slider bitmap for position pos of 0..steps: a track filled up to a knob.
QImage Slider(const QSize& size, int pos, int steps, const QColor& from, const QColor& to) {
    QImage image = Canvas(size, kPanel);
    QPainter p(&image);
    Prepare(p);
    const double knobR = 8;
    const double left = knobR + 1;
    const double right = size.width() - knobR - 1;
    const double y = size.height() / 2.0;
    const double x = left + (right - left) * pos / steps;
    // ticks
    p.setPen(Qt::NoPen);
    for (int i = 0; i <= steps; ++i) {
        const double tx = left + (right - left) * i / steps;
        p.setBrush(i <= pos ? QColor(0xFF, 0xFF, 0xFF, 90) : kControlEdge);
        p.drawEllipse(QPointF(tx, y + 8.5), 1.2, 1.2);
    }
    const QRectF track(left - 3, y - 3, right - left + 6, 6);
    p.setBrush(kControl);
    p.drawRoundedRect(track, 3, 3);
    QLinearGradient fill(QPointF(left, 0), QPointF(right, 0));
    fill.setColorAt(0, from);
    fill.setColorAt(1, to);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(track.left(), track.top(), x - track.left() + 3, 6), 3, 3);
    // knob
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawEllipse(QPointF(x, y + 1), knobR, knobR);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(x, y), knobR - 0.5, knobR - 0.5);
    p.setBrush(to);
    p.drawEllipse(QPointF(x, y), 3, 3);
    return image;
}

// Busy animation frame i of 10: an arc running round a ring.
QImage Busy(const QSize& size, int frame) {
    QImage image = Canvas(size, kBar);
    QPainter p(&image);
    Prepare(p);
    const QRectF r = QRectF(QPointF(0, 0), size).adjusted(4, 4, -4, -4);
    p.setPen(QPen(kControlEdge, 3));
    p.drawEllipse(r);
    QConicalGradient sweep(r.center(), -frame * 36.0);
    sweep.setColorAt(0, kAccent);
    sweep.setColorAt(0.3, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
    sweep.setColorAt(1, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
    QPen pen(QBrush(sweep), 3);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawArc(r, static_cast<int>((-frame * 36.0) * 16), 110 * 16);
    return image;
}

QImage Preset(const QSize& size, const QColor& colour) {
    QImage image = Canvas(size, kPanel);
    QPainter p(&image);
    Prepare(p);
    p.setPen(QPen(colour.lighter(130), 1));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(QPointF(0, 0), size).adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
    return image;
}

} // namespace

std::vector<NamedImage> PanelBitmaps(const WindowSkin& main) {
    std::vector<NamedImage> out;
    auto add = [&](const std::string& name, QImage image) {
        out.push_back({name + ".bmp", std::move(image)});
    };

    const QSize toggle = SizeOf(main, "CONTROL_DengStaPic");
    add("dengup", Switch(toggle, false));
    add("dengdown", Switch(toggle, true));

    const QSize first = SizeOf(main, "CONTROL_BLFXLStaPic");
    const QSize second = SizeOf(main, "CONTROL_BLFXRStaPic");
    add("leftup", Direction(first, false, Dir::Left));
    add("leftdown", Direction(first, true, Dir::Left));
    add("rightup", Direction(second, false, Dir::Right));
    add("rightdown", Direction(second, true, Dir::Right));
    add("upup", Direction(first, false, Dir::Up));
    add("updown", Direction(first, true, Dir::Up));
    add("downup", Direction(second, false, Dir::Down));
    add("downdown", Direction(second, true, Dir::Down));
    add("kuosan", Direction(first, false, Dir::Out));
    add("kuosandown", Direction(first, true, Dir::Out));
    add("julong", Direction(second, false, Dir::In));
    add("julongdown", Direction(second, true, Dir::In));

    const struct {
        const char* name;
        const char* key;
        QColor colour;
    } four[] = {{"hong", "CONTROL_HONGPIC", QColor(0xFF, 0x3B, 0x3B)},
                {"huang", "CONTROL_HUANGPIC", QColor(0xFF, 0xD4, 0x00)},
                {"lv", "CONTROL_LVPIC", QColor(0x2E, 0xE8, 0x6B)},
                {"lan", "CONTROL_LANPIC", QColor(0x2F, 0x7B, 0xFF)}};
    for (const auto& f : four) {
        add(f.name, Swatch(SizeOf(main, f.key), f.colour, false));
        add(std::string(f.name) + "ok", Swatch(SizeOf(main, f.key), f.colour, true));
    }

    const QSize multi = SizeOf(main, "CONTROL_HXsjsStaPic");
    add("sjsup", Multicolour(multi, false));
    add("sjsdown", Multicolour(multi, true));

    add("user1up", Tool(SizeOf(main, "CONTROL_USERgjStaPic1"), false, 1));
    add("user1down", Tool(SizeOf(main, "CONTROL_USERgjStaPic1"), true, 1));
    add("user2up", Tool(SizeOf(main, "CONTROL_USERgjStaPic2"), false, 2));
    add("user2down", Tool(SizeOf(main, "CONTROL_USERgjStaPic2"), true, 2));

    const QSize busy = SizeOf(main, "CONTROL_JDTStatic");
    for (int i = 0; i < 10; ++i) {
        add("jdt" + std::to_string(i + 1), Busy(busy, i));
    }

    // Brightness 0..5 (0.bmp..5.bmp), speed 0..5 (6.bmp..11.bmp), then spare positions 0..13
    // of a neutral slider (12.bmp..25.bmp), which no control shows.
    const QSize light = SizeOf(main, "CONTROL_LightSlider");
    const QSize speed = SizeOf(main, "CONTROL_SpeedSlider");
    for (int s = 0; s <= 5; ++s) {
        add(std::to_string(s), Slider(light, s, 5, QColor(0x8A, 0x5A, 0x2A), kAccent));
    }
    for (int s = 0; s <= 5; ++s) {
        add(std::to_string(6 + s), Slider(speed, s, 5, QColor(0x5A, 0x3A, 0x9A), kAccent3));
    }
    for (int s = 0; s <= 13; ++s) {
        add(std::to_string(12 + s), Slider(light, s, 13, kControlEdge, kTextDim));
    }

    // The eight preset colours of the lighting model.
    const QColor presets[] = {{235, 99, 30}, {255, 0, 0},   {0, 126, 255}, {90, 255, 0},
                              {234, 255, 0}, {255, 192, 0}, {255, 0, 180}, {174, 0, 255}};
    for (int i = 0; i < 8; ++i) {
        add("Color" + std::to_string(i + 1),
            Preset(SizeOf(main, "CONTROL_Color" + std::to_string(i + 1)), presets[i]));
    }
    return out;
}

} // namespace skingen
