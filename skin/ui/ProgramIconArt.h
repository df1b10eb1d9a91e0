// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's icon: a dark keycap lit from below with the letter K. Drawn here once for the
// window icon at run time and for the desktop's icon theme at build time (skingen).

#include <QImage>

// The icon at size × size pixels on a transparent ground. Needs a QGuiApplication (fonts).
QImage DrawProgramIcon(int size);
