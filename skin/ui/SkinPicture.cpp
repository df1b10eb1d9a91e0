// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/SkinPicture.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>

std::optional<QImage> LoadSkinPicture(const std::filesystem::path& file) {
    QFile in(QString::fromStdString(file.string()));
    if (!in.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = in.readAll();
    if (bytes.isEmpty()) {
        return std::nullopt;
    }
    QImage image = QImage::fromData(bytes);
    if (image.isNull()) {
        return std::nullopt;
    }
    return image;
}

void EndProgramForMissingSkin() {
    // At once: no window of a half-loaded skin may show, and no handler may run.
    std::fflush(nullptr);
    std::_Exit(0);
}

QPixmap LoadSkinPictureOrExit(const std::filesystem::path& file) {
    auto image = LoadSkinPicture(file);
    if (!image) {
        EndProgramForMissingSkin();
    }
    return QPixmap::fromImage(*image);
}
