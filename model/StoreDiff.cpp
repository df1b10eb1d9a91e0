// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/StoreDiff.h"

#include "model/KeyNames.h"
#include "model/KeyTargetText.h"
#include "model/MacroText.h"

namespace {

constexpr int kComparedRecords = kFirstGKeyRecord + kGKeyCount;

std::string RecordName(int recordIndex) {
    const std::string_view name = StableRecordName(recordIndex);
    return name.empty() ? "record " + std::to_string(recordIndex) : std::string(name);
}

MacroSide SideOf(const MacroRecord& macro) {
    return {macro.repeat, MacroStepsText(MacroSteps(macro))};
}

// Exact names: two macros whose names differ only in case are two macros.
const MacroRecord* Named(const ProfileStore& store, const std::string& name) {
    for (const MacroRecord& macro : store.macros) {
        if (MacroNameUtf8(macro) == name) {
            return &macro;
        }
    }
    return nullptr;
}

} // namespace

StoreDifferences CompareStores(const ProfileStore& first, const ProfileStore& second) {
    StoreDifferences differences;
    for (int profile = 0; profile < kProfileCount; ++profile) {
        for (int index = 0; index < kComparedRecords; ++index) {
            std::string a = KeyTargetText(first, profile, index);
            std::string b = KeyTargetText(second, profile, index);
            if (a != b) {
                differences.keys.push_back(
                    {profile, index, RecordName(index), std::move(a), std::move(b)});
            }
        }
    }
    for (const MacroRecord& macro : first.macros) {
        const std::string name = MacroNameUtf8(macro);
        const MacroRecord* other = Named(second, name);
        const MacroSide side = SideOf(macro);
        if (other == nullptr) {
            differences.macros.push_back({name, side, std::nullopt});
        } else if (SideOf(*other) != side) {
            differences.macros.push_back({name, side, SideOf(*other)});
        }
    }
    for (const MacroRecord& macro : second.macros) {
        const std::string name = MacroNameUtf8(macro);
        if (Named(first, name) == nullptr) {
            differences.macros.push_back({name, std::nullopt, SideOf(macro)});
        }
    }
    return differences;
}
