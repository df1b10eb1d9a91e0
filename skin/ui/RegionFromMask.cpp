// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/RegionFromMask.h"

#include <algorithm>
#include <vector>

namespace {

// Rectangles are turned into a region in batches: one region per row would make the union
// quadratic on large masks.
constexpr size_t kBatch = 2000;

struct Range {
    int low;
    int high;
    bool Holds(int v) const { return v >= low && v <= high; }
};

Range RangeOf(int value, int tolerance) {
    return {value, std::min(value + std::max(tolerance, 0), 255)};
}

} // namespace

QRegion RegionFromMask(const QImage& mask, QColor colour, int tolerance) {
    QRegion region;
    if (mask.isNull()) {
        return region;
    }
    const QImage pixels = mask.convertToFormat(QImage::Format_RGB32);
    const Range r = RangeOf(colour.red(), tolerance);
    const Range g = RangeOf(colour.green(), tolerance);
    const Range b = RangeOf(colour.blue(), tolerance);
    auto transparent = [&](QRgb p) {
        return r.Holds(qRed(p)) && g.Holds(qGreen(p)) && b.Holds(qBlue(p));
    };

    std::vector<QRect> rects;
    rects.reserve(kBatch);
    auto flush = [&] {
        if (rects.empty()) {
            return;
        }
        QRegion batch;
        batch.setRects(rects.data(), static_cast<int>(rects.size()));
        region = region.united(batch);
        rects.clear();
    };

    const int width = pixels.width();
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        int x = 0;
        while (x < width) {
            while (x < width && transparent(line[x])) {
                ++x;
            }
            const int start = x;
            while (x < width && !transparent(line[x])) {
                ++x;
            }
            if (x > start) {
                rects.emplace_back(start, y, x - start, 1);
                if (rects.size() == kBatch) {
                    flush();
                }
            }
        }
    }
    flush();
    return region;
}
