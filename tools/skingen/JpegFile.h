// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// JPEG output without chroma subsampling, so that thin coloured lines and legends stay as
// sharp as the grey ones (Qt's own writer always halves the colour resolution).

#include <QImage>
#include <filesystem>

namespace skingen {

bool WriteJpeg(const QImage& image, const std::filesystem::path& file, int quality);

} // namespace skingen
