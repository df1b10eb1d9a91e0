// SPDX-License-Identifier: GPL-3.0-or-later
// User colour files on arbitrary bytes: every lookup gives a value in its range, unusable
// entries give the default, and a mode loads into a bank copy without touching the others.
#include "model/Lighting.h"
#include "model/UserColourFile.h"
#include "platform/TextUtf.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "user colour file invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const UserColourFile file = UserColourFile::FromBytes(bytes);
    const int mode = file.SelectedMode();
    Require(mode >= 0 && mode < kUserModeCount, "the selected mode is one of ten");
    for (int n = 0; n < kUserModeCount; ++n) {
        Require(Utf16Length(file.ModeName(n)) <= 259, "a name fits the read buffer");
        const UserModeSettings s = file.ModeSettings(n);
        Require(s.tool == 0 || s.tool == 1, "the tool is 0 or 1");
        Require(s.baseColour <= 0xFFFFFF && s.paintColour <= 0xFFFFFF, "colours are 24 bits");
    }
    for (int slot = 0; slot < kKeyColourSlotLimit; ++slot) {
        bool usable = true;
        const KeyColourEntry entry = file.KeyEntry(mode, slot, &usable);
        Require(entry.colour <= 0xFFFFFF, "an entry's colour is 24 bits");
        Require(usable || entry == kDefaultKeyColourEntry, "an unusable entry is the default");
    }

    Lighting() = LightingModel{};
    const int profile = size > 0 ? data[0] % 3 : 0;
    const int unusable = LoadModeColours(file, profile, mode);
    Require(unusable >= 0 && unusable <= kFirstGKeyLinkIndex + 1, "every entry counted once");
    for (int p = 0; p < 3; ++p) {
        if (p == profile) {
            continue;
        }
        for (uint8_t b : Lighting().keyColourBanks[static_cast<size_t>(p)]) {
            Require(b == 0, "other banks are untouched");
        }
    }
    return 0;
}
