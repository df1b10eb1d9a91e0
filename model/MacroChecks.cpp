// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MacroChecks.h"

#include "device/MessageSink.h"
#include "model/AssignmentText.h"
#include "model/KeyButtonSink.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileStore.h"

#include <algorithm>

bool MacroMayBeDeleted(const MacroRecord& macro, MessageSink& messages) {
    if (macro.isNew == 1) {
        return true;
    }
    bool used = false;
    {
        ProfileStore& store = WorkingStore();
        std::lock_guard guard(store.lock);
        if (store.block) {
            used = std::any_of(store.block->records.begin(), store.block->records.end(),
                               [&](const KeyAssignment& r) {
                                   return r.type == AssignmentType::kMacro &&
                                          static_cast<uint16_t>(r.value) == macro.id;
                               });
        }
    }
    if (!used) {
        return true;
    }
    MacroDeletedFlag.store(true);
    return messages.AskYesNo("MACRO_DELETE_CONFIRM_OF_KEYS");
}

namespace {

// The key code whose button shows record index of an area; 0 for records of no key.
KeyCode CodeOfRecord(int index) {
    if (index >= kFirstGKeyRecord && index < kFirstGKeyRecord + kGKeyCount) {
        return GKeyCode(index - 255);
    }
    return index < kKeyRecordCount ? IndexToKeyCode(index) : 0;
}

} // namespace

void ApplyDialogMacros(std::vector<MacroRecord> dialogList, KeyButtonSink* buttons) {
    if (dialogList.size() > kMaxMacros) {
        dialogList.resize(kMaxMacros);
    }
    ProfileStore& store = WorkingStore();
    bool changed = false;
    {
        std::lock_guard guard(store.lock);
        const int active = ActiveProfile();
        std::vector<KeyCode> shown;
        if (buttons) {
            shown = buttons->KeyButtonCodes();
        }
        for (int i = 0; store.block && i < kRecordCount; ++i) {
            KeyAssignment& record = store.block->records[static_cast<size_t>(i)];
            if (record.type != AssignmentType::kMacro) {
                continue;
            }
            const uint16_t id = static_cast<uint16_t>(record.value);
            if (id != 0) {
                const auto macro = std::find_if(dialogList.begin(), dialogList.end(),
                                                [id](const MacroRecord& m) { return m.id == id; });
                if (macro != dialogList.end() && macro->isNew != 1) {
                    continue;
                }
                const int index = i % kRecordsPerArea;
                // The colour view numbers its marks by button, so a mark here is not this key's.
                const uint32_t mark = record.ColourMark;
                record = KeyAssignment{};
                record.ColourMark = mark;
                if (index >= kFirstGKeyRecord && index < kFirstGKeyRecord + kGKeyCount) {
                    record.param = GKeyParam(index - 255);
                }
                changed = true;
                // The buttons show the active profile's records.
                const KeyCode code = CodeOfRecord(index);
                if (buttons && active >= 0 && i / kRecordsPerArea == active && code != 0 &&
                    std::find(shown.begin(), shown.end(), code) != shown.end()) {
                    DescribeAssignment(*buttons, code, record);
                }
            } else if (!dialogList.empty()) {
                record.value = dialogList.front().id;
                changed = true;
            }
        }
        for (MacroRecord& macro : dialogList) {
            macro.isNew = 0;
        }
        store.macros = std::move(dialogList);
    }
    if (changed && buttons) {
        buttons->SetPendingChanges(1);
    }
}
