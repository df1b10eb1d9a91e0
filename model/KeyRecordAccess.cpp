#include "model/KeyRecordAccess.h"

#include "model/KeyboardTransfer.h"
#include "model/ProfileStore.h"

KeyAssignment* CurrentRecord(KeyCode code) {
    const int profile = ActiveProfile();
    const int index = RecordIndexOfCode(code);
    if (profile < 0 || profile >= kProfileCount || index < 0) {
        return nullptr;
    }
    return WorkingRecord(profile, index);
}
