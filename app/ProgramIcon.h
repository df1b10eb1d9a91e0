// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

// The program's icon: a keycap with the letter K, drawn at the sizes the desktop asks for.
QIcon ProgramIcon();
