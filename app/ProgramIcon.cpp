// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramIcon.h"

#include "skin/ui/ProgramIconArt.h"

#include <QPixmap>

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        icon.addPixmap(QPixmap::fromImage(DrawProgramIcon(size)));
    }
    return icon;
}
