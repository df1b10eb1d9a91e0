// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/ProgramIconArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace {

// Proportions of the picture, as fractions of its size.
constexpr qreal kBodyInset = 0.06;
constexpr qreal kBodyCorner = 0.16;
constexpr qreal kFaceCorner = 0.1;
constexpr qreal kLetterSize = 0.42;
constexpr int kSmallestLetterPx = 6;

} // namespace

QImage DrawProgramIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF body(s * kBodyInset, s * kBodyInset, s * (1 - 2 * kBodyInset),
                      s * (1 - 2 * kBodyInset));
    QLinearGradient side(body.topLeft(), body.bottomLeft());
    side.setColorAt(0, QColor(0x2B, 0x30, 0x3A));
    side.setColorAt(1, QColor(0x12, 0x15, 0x1B));
    p.setPen(Qt::NoPen);
    p.setBrush(side);
    p.drawRoundedRect(body, s * kBodyCorner, s * kBodyCorner);
    // The top face, lit from a glowing underside.
    const QRectF top(s * 0.16, s * 0.12, s * 0.68, s * 0.64);
    QLinearGradient face(top.topLeft(), top.bottomRight());
    face.setColorAt(0, QColor(0x3A, 0x41, 0x4E));
    face.setColorAt(1, QColor(0x24, 0x29, 0x33));
    p.setBrush(face);
    p.drawRoundedRect(top, s * kFaceCorner, s * kFaceCorner);
    QLinearGradient glow(body.bottomLeft(), body.bottomRight());
    glow.setColorAt(0.0, QColor(0x00, 0xC8, 0xFF));
    glow.setColorAt(0.5, QColor(0xB0, 0x4D, 0xFF));
    glow.setColorAt(1.0, QColor(0xFF, 0x4D, 0x8D));
    p.setBrush(glow);
    p.drawRoundedRect(QRectF(s * 0.16, s * 0.82, s * 0.68, s * 0.06), s * 0.03, s * 0.03);
    QFont font("Sans Serif");
    font.setBold(true);
    font.setPixelSize(qMax(kSmallestLetterPx, static_cast<int>(s * kLetterSize)));
    p.setFont(font);
    p.setPen(QColor(0xEE, 0xF2, 0xF8));
    p.drawText(top, Qt::AlignCenter, "K");
    p.end();
    return image;
}
