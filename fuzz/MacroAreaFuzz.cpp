// SPDX-License-Identifier: GPL-3.0-or-later
// Macro areas read from a keyboard, on arbitrary bytes: decoding stays inside the image and
// within the record limits, and what it gives encodes to an image that decodes the same.
#include "model/MacroRecord.h"
#include "platform/UserFolders.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "macro area invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Unnamed macros take their name from the language file; without one the lookup is quick
    // and the name still has to fit.
    static const bool noLanguageFiles = [] {
        SetProgramFolder("/nonexistent/kestrow-fuzz");
        return true;
    }();
    (void)noLanguageFiles;
    // A record is 32 KB and an input may name a hundred of them: the lists and the image are
    // kept from one input to the next, so that the time goes to decoding, not to fresh pages.
    static std::vector<MacroRecord> macros;
    static std::vector<MacroRecord> again;
    static std::vector<uint8_t> image;
    DecodeMacroArea({data, size}, macros);
    Require(macros.size() <= kMaxMacros, "count");
    for (size_t i = 0; i < macros.size(); ++i) {
        Require(macros[i].id == i + 1, "ids follow the area order");
        Require(macros[i].stepCount <= kMaxMacroSteps, "steps");
        Require(MacroNameLength(macros[i]) <= kMaxMacroNameChars && macros[i].name[249] == 0,
                "name");
    }
    const MacroAreaSize sizes = MacroAreaSizes(macros);
    image.assign(sizes.full, 0);
    // Records named twice by the offsets can add up to more than 16-bit offsets address.
    const bool addressable = sizes.full <= kMaxMacroAreaImage;
    Require(EncodeMacroArea(macros, image, image.size(), true) == addressable, "encode");
    if (!addressable) {
        return 0;
    }
    DecodeMacroArea(image, again);
    Require(again.size() == macros.size(), "count survives");
    for (size_t i = 0; i < macros.size(); ++i) {
        Require(again[i].stepCount == macros[i].stepCount && again[i].repeat == macros[i].repeat,
                "record survives");
        Require(MacroName(again[i]) == MacroName(macros[i]), "name survives");
        for (int s = 0; s < macros[i].stepCount; ++s) {
            // Keys that no step can carry come back as no key; the delay always survives.
            Require(again[i].steps[s].delay == macros[i].steps[s].delay, "delay survives");
        }
    }
    return 0;
}
