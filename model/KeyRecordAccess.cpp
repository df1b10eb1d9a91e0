// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyRecordAccess.h"

#include "model/KeyboardTransfer.h"
#include "model/ProfileStore.h"

KeyAssignment* CurrentRecord(KeyCode code) {
    return RecordOfProfile(ActiveProfile(), code);
}

KeyAssignment* RecordOfProfile(int profile, KeyCode code) {
    const int index = RecordIndexOfCode(code);
    if (profile < 0 || profile >= kProfileCount || index < 0) {
        return nullptr;
    }
    return WorkingRecord(profile, index);
}

