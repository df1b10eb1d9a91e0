// SPDX-License-Identifier: GPL-3.0-or-later
#include "editors/DialogPlacement.h"

#include <array>

QPoint PlaceBesideButton(const QRect& button, const QSize& dialog, const QRect& screen) {
    // Corners as the rectangle's edges: right and bottom lie just outside it.
    const int left = button.x();
    const int top = button.y();
    const int right = button.x() + button.width();
    const int bottom = button.y() + button.height();
    const std::array<QPoint, 4> placements = {
        QPoint(right, bottom),
        QPoint(right, top - dialog.height()),
        QPoint(left - dialog.width(), bottom),
        QPoint(left - dialog.width(), top - dialog.height()),
    };
    for (const QPoint& at : placements) {
        if (screen.contains(QRect(at, dialog))) {
            return at;
        }
    }
    return placements[0];
}

QPoint PlaceCentred(const QSize& dialog, const QRect& screen) {
    return {screen.x() + (screen.width() - dialog.width()) / 2,
            screen.y() + (screen.height() - dialog.height()) / 2};
}
