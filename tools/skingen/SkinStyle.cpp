// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/skingen/SkinStyle.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <cmath>

namespace skingen::style {
namespace {

QString g_family = QStringLiteral("DejaVu Sans");
QString g_condensed = QStringLiteral("DejaVu Sans Condensed");

QPen RoundPen(const QColor& c, double width) {
    QPen pen(c, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QColor WithAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

double Luminance(const QColor& c) {
    return (0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF());
}

void FillRounded(QPainter& p, const QRectF& r, double radius, const QBrush& fill) {
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
}

void StrokeRounded(QPainter& p, const QRectF& r, double radius, const QColor& c, double w = 1) {
    p.setPen(QPen(c, w));
    p.setBrush(Qt::NoBrush);
    const double half = w / 2;
    p.drawRoundedRect(r.adjusted(half, half, -half, -half), radius, radius);
}

QLinearGradient Vertical(const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

// Words (Esc, Ctrl, Backspace) are set in the condensed face; single characters and the
// numbered keys (F1, G9) larger in the regular one.
bool IsWord(const QString& text) {
    if (text.size() < 3) {
        return false;
    }
    bool numbered = text.front().isLetter();
    for (qsizetype i = 1; i < text.size(); ++i) {
        numbered = numbered && text[i].isDigit();
    }
    return !numbered;
}

double LegendSize(const QString& text) {
    if (IsWord(text)) {
        return 10;
    }
    return text.size() <= 1 ? 13 : 11;
}

void DrawText(QPainter& p, const QRectF& r, const QString& text, double px, const QColor& c,
              int align = Qt::AlignCenter, bool bold = false) {
    p.setFont(Font(px, bold));
    p.setPen(c);
    p.drawText(r, align, text);
}

struct CapColours {
    QColor skirt, edge, top, topLow, legend, legend2, glow;
};

CapColours CapColoursFor(Look look, double hue) {
    switch (look) {
    case Look::Hover:
        return {{0x1C, 0x20, 0x28},    WithAlpha(kAccent, 230), {0x3B, 0x41, 0x4E},
                {0x33, 0x38, 0x44},    QColor(Qt::white),       kText,
                WithAlpha(kAccent, 70)};
    case Look::Pressed:
        return {{0x15, 0x17, 0x1C},     kAccent, {0x22, 0x26, 0x2E},
                {0x20, 0x23, 0x2B},     kAccent, WithAlpha(kAccent, 200),
                WithAlpha(kAccent, 110)};
    case Look::Selected:
        return {{0x18, 0x1B, 0x21},
                WithAlpha(kAccent, 150),
                {0x33, 0x2E, 0x2B},
                {0x2C, 0x28, 0x26},
                kAccent,
                WithAlpha(kAccent, 190),
                QColor()};
    case Look::Greyed:
        return {{0x17, 0x19, 0x1E},
                {0x2A, 0x2E, 0x36},
                {0x22, 0x25, 0x2C},
                {0x20, 0x23, 0x29},
                kTextOff,
                kTextOff,
                QColor()};
    case Look::ColourOff:
        return {{0x13, 0x15, 0x19},
                {0x26, 0x2A, 0x32},
                {0x1E, 0x21, 0x28},
                {0x1C, 0x1F, 0x25},
                {0x4E, 0x54, 0x60},
                {0x44, 0x4A, 0x55},
                QColor()};
    case Look::ColourOn: {
        const QColor c = Hue(hue, 0.96);
        const bool dark = Luminance(c) > 0.55;
        const QColor legend = dark ? QColor(0x10, 0x12, 0x16) : QColor(Qt::white);
        return {c.darker(260), c.lighter(125), c.lighter(112),   c,
                legend,        legend,         WithAlpha(c, 120)};
    }
    case Look::Normal:
        break;
    }
    return {{0x17, 0x1A, 0x20},
            {0x36, 0x3C, 0x48},
            {0x31, 0x36, 0x41},
            {0x2A, 0x2E, 0x38},
            kText,
            kTextDim,
            QColor()};
}

} // namespace

void LoadFonts() {
    const QString folder = QStringLiteral("/usr/share/fonts/truetype/dejavu/");
    auto load = [&](const char* file) {
        const int id = QFontDatabase::addApplicationFont(folder + QString::fromLatin1(file));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QString() : families.first();
    };
    const QString regular = load("DejaVuSans.ttf");
    load("DejaVuSans-Bold.ttf");
    const QString condensed = load("DejaVuSansCondensed.ttf");
    if (!regular.isEmpty()) {
        g_family = regular;
    }
    // Without the condensed face, words on narrow keys fall back to the regular one.
    g_condensed = condensed.isEmpty() ? g_family : condensed;
}

QFont Font(double px, bool bold) {
    QFont f(g_family);
    f.setPixelSize(static_cast<int>(std::lround(px)));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QFont CondensedFont(double px) {
    QFont f = Font(px);
    f.setFamily(g_condensed);
    return f;
}

QLinearGradient AccentGradient(const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, kAccent);
    g.setColorAt(0.55, kAccent2);
    g.setColorAt(1, kAccent3);
    return g;
}

QColor Hue(double h, double value) {
    h = h - std::floor(h);
    return QColor::fromHsvF(static_cast<float>(h), 0.86f, static_cast<float>(value));
}

void DrawCard(QPainter& p, const QRectF& r, const QColor& fill, const QColor& edge, double radius) {
    FillRounded(p, r, radius, fill);
    StrokeRounded(p, r, radius, edge);
}

void DrawKeyCap(QPainter& p, const QRectF& cell, Look look, const Control& key) {
    const CapColours c = CapColoursFor(look, key.hue);
    const QRectF outer = cell.adjusted(2, 2, -2, -2);
    const double radius = 5;
    const double sink = look == Look::Pressed ? 1.5 : 0;
    auto topOf = [&](const QRectF& o) { return o.adjusted(2.5, 1.5 + sink, -2.5, -3.5 + sink); };
    const QRectF top = topOf(outer);

    // A key of two buttons (the L-shaped Enter) draws the whole shape, cut to its own cell.
    QPainterPath skirtShape;
    QPainterPath topShape;
    skirtShape.addRoundedRect(outer, radius, radius);
    topShape.addRoundedRect(top, radius - 1.5, radius - 1.5);
    if (key.partner.isValid()) {
        const QRectF other = QRectF(key.partner).adjusted(2, 2, -2, -2);
        const bool above = other.top() < outer.top();
        const QRectF& upper = above ? other : outer;
        const QRectF& lower = above ? outer : other;
        const double reach = lower.top() - upper.bottom() + radius * 2;
        skirtShape = QPainterPath();
        skirtShape.addRoundedRect(upper.adjusted(0, 0, 0, reach), radius, radius);
        QPainterPath lowerSkirt;
        lowerSkirt.addRoundedRect(lower.adjusted(0, -reach, 0, 0), radius, radius);
        skirtShape = skirtShape.united(lowerSkirt);
        const QRectF upperTop = topOf(upper);
        const QRectF lowerTop = topOf(lower);
        const double topReach = lowerTop.top() - upperTop.bottom() + radius * 2;
        topShape = QPainterPath();
        topShape.addRoundedRect(upperTop.adjusted(0, 0, 0, topReach), radius - 1.5, radius - 1.5);
        QPainterPath lowerTopShape;
        lowerTopShape.addRoundedRect(lowerTop.adjusted(0, -topReach, 0, 0), radius - 1.5,
                                     radius - 1.5);
        topShape = topShape.united(lowerTopShape);
        p.setClipRect(cell);
    }

    if (c.glow.isValid()) {
        p.setPen(QPen(c.glow, 3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(skirtShape);
    }
    p.setPen(QPen(c.edge, 1));
    p.setBrush(c.skirt);
    p.drawPath(skirtShape);
    p.setPen(Qt::NoPen);
    const QRectF topBounds = topShape.boundingRect();
    p.setBrush(Vertical(topBounds, c.top, c.topLow));
    p.drawPath(topShape);
    // A faint highlight along the upper edge of the top face.
    if (!key.partner.isValid() || key.partner.top() > cell.top()) {
        p.setPen(QPen(WithAlpha(QColor(Qt::white), look == Look::ColourOn ? 70 : 18), 1));
        p.drawLine(QPointF(top.left() + 3, top.top() + 0.5),
                   QPointF(top.right() - 3, top.top() + 0.5));
    }
    p.setClipping(false);

    if (look == Look::Selected) {
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(top.right() - 4, top.top() + 4), 2.2, 2.2);
    }

    const QRectF text = top.adjusted(-1, 0, 1, 0);
    if (key.bottom.isEmpty()) {
        double px = key.legendPx > 0 ? key.legendPx : LegendSize(key.top);
        // Words use the condensed face and shrink further only when a cap is too narrow.
        const bool word = IsWord(key.top);
        auto font = [&](double size) { return word ? CondensedFont(size) : Font(size); };
        while (px > 7.5) {
            p.setFont(font(px));
            if (p.fontMetrics().horizontalAdvance(key.top) <= text.width()) {
                break;
            }
            px -= 0.5;
        }
        p.setFont(font(px));
        p.setPen(c.legend);
        p.drawText(text, Qt::AlignCenter, key.top);
    } else {
        const double px = key.legendPx > 0 ? key.legendPx : 11;
        const QRectF upper(text.left(), text.top() + 1, text.width(), text.height() / 2);
        const QRectF lower(text.left(), text.center().y() - 1, text.width(), text.height() / 2);
        DrawText(p, upper, key.top, px, c.legend2);
        DrawText(p, lower, key.bottom, px, c.legend);
    }
}

void DrawButton(QPainter& p, const QRectF& box, Look look, Icon icon, const QString& label,
                bool primary) {
    const QRectF r = box.adjusted(1.5, 1.5, -1.5, -1.5);
    const double radius = std::min(8.0, r.height() / 2);
    QColor content = kText;
    switch (look) {
    case Look::Hover:
        FillRounded(p, r, radius, Vertical(r, {0x33, 0x38, 0x44}, {0x2C, 0x31, 0x3C}));
        StrokeRounded(p, r, radius, WithAlpha(kAccent, 210));
        content = Qt::white;
        break;
    case Look::Pressed:
        FillRounded(p, r, radius, QColor(0x1C, 0x1F, 0x26));
        StrokeRounded(p, r, radius, kAccent, 1.5);
        content = kAccent;
        break;
    case Look::Selected: {
        FillRounded(p, r, radius, Vertical(r, {0xD0, 0x68, 0x18}, {0xA8, 0x48, 0x14}));
        StrokeRounded(p, r, radius, QColor(0xFF, 0xA2, 0x4C));
        content = Qt::white;
        break;
    }
    case Look::Greyed:
        FillRounded(p, r, radius, QColor(0x1D, 0x20, 0x26));
        StrokeRounded(p, r, radius, QColor(0x2A, 0x2E, 0x36));
        content = kTextOff;
        break;
    default:
        if (primary) {
            FillRounded(p, r, radius, Vertical(r, {0x3A, 0x2C, 0x22}, {0x30, 0x26, 0x1F}));
            StrokeRounded(p, r, radius, WithAlpha(kAccent, 150));
        } else {
            FillRounded(p, r, radius, Vertical(r, {0x2A, 0x2E, 0x38}, {0x25, 0x29, 0x32}));
            StrokeRounded(p, r, radius, kControlEdge);
        }
        break;
    }
    if (icon != Icon::None && label.isEmpty()) {
        const double side = std::min(r.width(), r.height()) * 0.56;
        DrawIcon(p, QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side), icon,
                 content);
    } else if (icon != Icon::None) {
        const double side = std::min(18.0, r.height() * 0.5);
        p.setFont(Font(11.5));
        const double textWidth = p.fontMetrics().horizontalAdvance(label);
        const double total = side + 7 + textWidth;
        const double x = r.center().x() - total / 2;
        DrawIcon(p, QRectF(x, r.center().y() - side / 2, side, side), icon, content);
        DrawText(p, QRectF(x + side + 7, r.top(), textWidth + 2, r.height()), label, 11.5, content,
                 Qt::AlignLeft | Qt::AlignVCenter);
    } else if (!label.isEmpty()) {
        DrawText(p, r, label, 11.5, content);
    }
}

void DrawTab(QPainter& p, const QRectF& box, Look look) {
    const QRectF r = box.adjusted(1, 1, -1, 0);
    QPainterPath tab;
    tab.addRoundedRect(r.adjusted(0, 0, 0, 8), 8, 8);
    QPainterPath clip;
    clip.addRect(r);
    tab = tab.intersected(clip);
    p.setPen(Qt::NoPen);
    switch (look) {
    case Look::Hover:
        p.setBrush(QColor(0x2A, 0x2F, 0x39));
        p.drawPath(tab);
        p.setBrush(WithAlpha(kAccent, 140));
        p.drawRect(QRectF(r.left() + 10, r.bottom() - 2, r.width() - 20, 2));
        break;
    case Look::Pressed:
    case Look::Selected:
        p.setBrush(kCard);
        p.drawPath(tab);
        p.setBrush(AccentGradient(r));
        p.drawRoundedRect(QRectF(r.left() + 8, r.top() + 1, r.width() - 16, 3), 1.5, 1.5);
        break;
    case Look::Greyed:
        p.setBrush(QColor(0x18, 0x1A, 0x20));
        p.drawPath(tab);
        break;
    default:
        p.setBrush(QColor(0x1C, 0x1F, 0x27));
        p.drawPath(tab);
        break;
    }
}

void DrawIconButton(QPainter& p, const QRectF& box, Look look, Icon icon, bool danger) {
    const QRectF r = box.adjusted(2, 2, -2, -2);
    QColor content = kTextDim;
    switch (look) {
    case Look::Hover:
        FillRounded(p, r, 7, danger ? QColor(0xE5, 0x48, 0x4D) : QColor(0x2C, 0x31, 0x3C));
        content = Qt::white;
        break;
    case Look::Pressed:
        FillRounded(p, r, 7, danger ? QColor(0xB8, 0x33, 0x38) : QColor(0x1C, 0x1F, 0x26));
        content = danger ? QColor(Qt::white) : kAccent;
        break;
    case Look::Selected:
        FillRounded(p, r, 7, QColor(0x2C, 0x31, 0x3C));
        content = kAccent;
        break;
    case Look::Greyed:
        content = kTextOff;
        break;
    default:
        break;
    }
    const double side = std::min(r.width(), r.height()) * 0.52;
    DrawIcon(p, QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side), icon,
             content);
}

void DrawIndicator(QPainter& p, const QRectF& box, Look look, const QString& glyph) {
    const QRectF r = box.adjusted(2, 2, -2, -2);
    const bool lit = look == Look::Hover || look == Look::Selected;
    const double radius = r.height() / 2;
    FillRounded(p, r, radius, QColor(0x17, 0x1A, 0x20));
    StrokeRounded(p, r, radius, lit ? WithAlpha(kAccent, 160) : QColor(0x2A, 0x2F, 0x39));
    // LED
    const QPointF led(r.left() + radius, r.center().y());
    if (lit) {
        p.setPen(Qt::NoPen);
        p.setBrush(WithAlpha(kAccent, 90));
        p.drawEllipse(led, 4.5, 4.5);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(lit ? kAccent : QColor(0x3A, 0x40, 0x4C));
    p.drawEllipse(led, 2.5, 2.5);
    // A padlock whose body carries the letter, as keyboards mark their lock lights.
    const QColor ink = look == Look::Greyed ? kTextOff : (lit ? kText : kTextDim);
    const QFont f = Font(7.5, true);
    p.setFont(f);
    const double textW = p.fontMetrics().horizontalAdvance(glyph);
    const double bodyW = std::max(11.0, textW + 4);
    const double bodyH = 9;
    const double cx = (led.x() + 5 + r.right()) / 2;
    const QRectF body(cx - bodyW / 2, r.center().y() - 1.5, bodyW, bodyH);
    p.setPen(RoundPen(ink, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(cx - 3.5, body.top() - 5, 7, 9), 0, 180 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(body, 1.5, 1.5);
    p.setPen(QColor(0x17, 0x1A, 0x20));
    p.drawText(body.adjusted(0, 0.5, 0, 0), Qt::AlignCenter, glyph);
}

void DrawLogo(QPainter& p, const QRectF& box, Look look) {
    const QRectF r = box.adjusted(2, 2, -2, -2);
    const double markSide = r.height() - 4;
    const QRectF mark(r.left() + 2, r.center().y() - markSide / 2, markSide, markSide);
    // A key cap outline in the accent gradient, with a spark.
    QLinearGradient g(mark.topLeft(), mark.bottomRight());
    g.setColorAt(0, kAccent);
    g.setColorAt(0.5, kAccent2);
    g.setColorAt(1, kAccent3);
    const int alpha = look == Look::Pressed || look == Look::Greyed ? 170 : 255;
    QPen pen(QBrush(g), 2.4);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(look == Look::Hover ? WithAlpha(kAccent, 40) : QColor(Qt::transparent));
    p.setOpacity(alpha / 255.0);
    p.drawRoundedRect(mark.adjusted(1.5, 1.5, -1.5, -1.5), 6, 6);
    QPainterPath k;
    const QRectF inner =
        mark.adjusted(markSide * 0.3, markSide * 0.27, -markSide * 0.3, -markSide * 0.27);
    k.moveTo(inner.left(), inner.top());
    k.lineTo(inner.left(), inner.bottom());
    k.moveTo(inner.right(), inner.top());
    k.lineTo(inner.left(), inner.center().y());
    k.lineTo(inner.right(), inner.bottom());
    p.setPen(RoundPen(Qt::white, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(k);

    const QColor ink = look == Look::Hover ? QColor(Qt::white) : kText;
    QFont f = Font(17, true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 2.5);
    p.setFont(f);
    p.setPen(ink);
    p.drawText(QRectF(mark.right() + 10, r.top(), r.width() - markSide - 10, r.height()),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KESTROW"));
    p.setOpacity(1);
}

void DrawIcon(QPainter& p, const QRectF& b, Icon icon, const QColor& c) {
    const double w = b.width();
    const double h = b.height();
    const double x = b.left();
    const double y = b.top();
    const QPointF m = b.center();
    const double pen = std::max(1.5, std::min(w, h) / 9);
    p.save();
    p.setPen(RoundPen(c, pen));
    p.setBrush(Qt::NoBrush);
    auto line = [&](double x1, double y1, double x2, double y2) {
        p.drawLine(QPointF(x + x1 * w, y + y1 * h), QPointF(x + x2 * w, y + y2 * h));
    };
    switch (icon) {
    case Icon::None:
        break;
    case Icon::Help:
        p.drawEllipse(b.adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2));
        DrawText(p, b, QStringLiteral("?"), h * 0.62, c, Qt::AlignCenter, true);
        break;
    case Icon::Menu:
        line(0.12, 0.25, 0.88, 0.25);
        line(0.12, 0.5, 0.88, 0.5);
        line(0.12, 0.75, 0.88, 0.75);
        break;
    case Icon::Minimize:
        line(0.15, 0.62, 0.85, 0.62);
        break;
    case Icon::Close:
    case Icon::Cross:
        line(0.2, 0.2, 0.8, 0.8);
        line(0.8, 0.2, 0.2, 0.8);
        break;
    case Icon::Globe: {
        const QRectF r = b.adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);
        p.drawEllipse(r);
        p.drawEllipse(QRectF(m.x() - r.width() * 0.22, r.top(), r.width() * 0.44, r.height()));
        line(0.04, 0.5, 0.96, 0.5);
        p.drawLine(QPointF(m.x(), r.top()), QPointF(m.x(), r.bottom()));
        break;
    }
    case Icon::Facebook: {
        p.drawRoundedRect(b.adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2), w * 0.22, w * 0.22);
        QPainterPath f;
        f.moveTo(x + 0.66 * w, y + 0.3 * h);
        f.lineTo(x + 0.6 * w, y + 0.3 * h);
        f.quadTo(x + 0.5 * w, y + 0.3 * h, x + 0.5 * w, y + 0.42 * h);
        f.lineTo(x + 0.5 * w, y + 0.9 * h);
        p.drawPath(f);
        line(0.36, 0.52, 0.66, 0.52);
        break;
    }
    case Icon::Chat: {
        QPainterPath bubble;
        bubble.addRoundedRect(QRectF(x + 0.06 * w, y + 0.1 * h, 0.88 * w, 0.62 * h), w * 0.18,
                              w * 0.18);
        QPainterPath tail;
        tail.moveTo(x + 0.3 * w, y + 0.7 * h);
        tail.lineTo(x + 0.24 * w, y + 0.92 * h);
        tail.lineTo(x + 0.5 * w, y + 0.7 * h);
        p.drawPath(bubble.united(tail));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        for (double dx : {0.3, 0.5, 0.7}) {
            p.drawEllipse(QPointF(x + dx * w, y + 0.41 * h), pen * 0.7, pen * 0.7);
        }
        break;
    }
    case Icon::Lock: {
        p.setPen(RoundPen(c, 1.4));
        p.drawArc(QRectF(x + 0.22 * w, y, 0.56 * w, 0.7 * h), 0, 180 * 16);
        p.drawLine(QPointF(x + 0.22 * w, y + 0.35 * h), QPointF(x + 0.22 * w, y + 0.48 * h));
        p.drawLine(QPointF(x + 0.78 * w, y + 0.35 * h), QPointF(x + 0.78 * w, y + 0.48 * h));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(x, y + 0.45 * h, w, 0.55 * h), 1.5, 1.5);
        break;
    }
    case Icon::Flip: {
        line(0.12, 0.34, 0.88, 0.34);
        line(0.68, 0.16, 0.88, 0.34);
        line(0.12, 0.66, 0.88, 0.66);
        line(0.32, 0.84, 0.12, 0.66);
        break;
    }
    case Icon::ChevronLeft:
        line(0.62, 0.18, 0.32, 0.5);
        line(0.32, 0.5, 0.62, 0.82);
        break;
    case Icon::ChevronRight:
        line(0.38, 0.18, 0.68, 0.5);
        line(0.68, 0.5, 0.38, 0.82);
        break;
    case Icon::Plus:
        line(0.5, 0.16, 0.5, 0.84);
        line(0.16, 0.5, 0.84, 0.5);
        break;
    case Icon::Minus:
        line(0.16, 0.5, 0.84, 0.5);
        break;
    case Icon::Trash:
        line(0.12, 0.24, 0.88, 0.24);
        line(0.38, 0.1, 0.62, 0.1);
        p.drawRoundedRect(QRectF(x + 0.2 * w, y + 0.24 * h, 0.6 * w, 0.68 * h), 2, 2);
        line(0.4, 0.42, 0.4, 0.76);
        line(0.6, 0.42, 0.6, 0.76);
        break;
    case Icon::Folder: {
        QPainterPath f;
        f.moveTo(x + 0.08 * w, y + 0.82 * h);
        f.lineTo(x + 0.08 * w, y + 0.2 * h);
        f.lineTo(x + 0.38 * w, y + 0.2 * h);
        f.lineTo(x + 0.48 * w, y + 0.32 * h);
        f.lineTo(x + 0.92 * w, y + 0.32 * h);
        f.lineTo(x + 0.92 * w, y + 0.82 * h);
        f.closeSubpath();
        p.drawPath(f);
        line(0.08, 0.45, 0.92, 0.45);
        break;
    }
    case Icon::Keyboard: {
        p.drawRoundedRect(QRectF(x + 0.04 * w, y + 0.22 * h, 0.92 * w, 0.58 * h), 3, 3);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        const double s = pen * 0.9;
        for (int row = 0; row < 2; ++row) {
            for (int col = 0; col < 5; ++col) {
                p.drawRect(QRectF(x + (0.17 + col * 0.15) * w - s / 2,
                                  y + (0.36 + row * 0.14) * h - s / 2, s, s));
            }
        }
        p.drawRect(QRectF(x + 0.3 * w, y + 0.63 * h, 0.4 * w, s));
        break;
    }
    case Icon::Reset: {
        const QRectF r(x + 0.14 * w, y + 0.14 * h, 0.72 * w, 0.72 * h);
        p.drawArc(r, 100 * 16, 290 * 16);
        // arrow head at the start of the arc
        const double a = 100.0 * M_PI / 180.0;
        const QPointF tip(r.center().x() + std::cos(a) * r.width() / 2,
                          r.center().y() - std::sin(a) * r.height() / 2);
        p.drawLine(tip, tip + QPointF(0.2 * w, -0.04 * h));
        p.drawLine(tip, tip + QPointF(0.06 * w, 0.18 * h));
        break;
    }
    case Icon::Check:
        line(0.16, 0.52, 0.4, 0.76);
        line(0.4, 0.76, 0.86, 0.26);
        break;
    case Icon::Save:
        line(0.5, 0.1, 0.5, 0.62);
        line(0.28, 0.42, 0.5, 0.64);
        line(0.72, 0.42, 0.5, 0.64);
        line(0.12, 0.66, 0.12, 0.88);
        line(0.12, 0.88, 0.88, 0.88);
        line(0.88, 0.88, 0.88, 0.66);
        break;
    case Icon::Upload:
        line(0.5, 0.64, 0.5, 0.12);
        line(0.28, 0.34, 0.5, 0.12);
        line(0.72, 0.34, 0.5, 0.12);
        line(0.12, 0.66, 0.12, 0.88);
        line(0.12, 0.88, 0.88, 0.88);
        line(0.88, 0.88, 0.88, 0.66);
        break;
    case Icon::ArrowUp:
        line(0.5, 0.86, 0.5, 0.16);
        line(0.22, 0.42, 0.5, 0.14);
        line(0.78, 0.42, 0.5, 0.14);
        break;
    case Icon::ArrowDown:
        line(0.5, 0.14, 0.5, 0.84);
        line(0.22, 0.58, 0.5, 0.86);
        line(0.78, 0.58, 0.5, 0.86);
        break;
    case Icon::Download:
        p.drawRoundedRect(QRectF(x + 0.14 * w, y + 0.08 * h, 0.72 * w, 0.84 * h), 2, 2);
        line(0.34, 0.08, 0.34, 0.34);
        line(0.34, 0.34, 0.66, 0.34);
        line(0.66, 0.34, 0.66, 0.08);
        p.drawEllipse(QPointF(m.x(), y + 0.64 * h), 0.12 * w, 0.12 * w);
        break;
    }
    p.restore();
}

void DrawControl(QPainter& p, const Control& c, Look look) {
    const QRectF r = ArtRect(c);
    switch (c.art) {
    case Art::KeyCap:
        DrawKeyCap(p, r, look, c);
        break;
    case Art::Button:
        DrawButton(p, r, look, c.icon, c.top, c.primary);
        break;
    case Art::Tab:
        DrawTab(p, r, look);
        break;
    case Art::IconButton:
        DrawIconButton(p, r, look, c.icon, c.icon == Icon::Close);
        break;
    case Art::Indicator:
        DrawIndicator(p, r, look, c.top);
        break;
    case Art::Logo:
        DrawLogo(p, r, look);
        break;
    case Art::None:
    case Art::Blank:
        break;
    }
}

} // namespace skingen::style
