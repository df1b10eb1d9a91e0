// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The lines both programs print after their version.
inline constexpr const char* kLicenceNotice =
    "Copyright (C) 2026 The Kestrow developers.\n"
    "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";
