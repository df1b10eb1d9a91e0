// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MacroRecord.h"

#include "model/SlotAction.h"
#include "platform/TextUtf.h"
#include "skin/Language.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void WriteU16(uint8_t* p, size_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

// The longest prefix of at most maxUnits units that does not end inside a surrogate pair.
size_t CutUnits(std::u16string_view text, size_t maxUnits) {
    size_t n = std::min(text.size(), maxUnits);
    if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) {
        --n;
    }
    return n;
}

} // namespace

int MacroStepCount(const MacroRecord& macro) {
    return std::min<int>(macro.stepCount, kMaxMacroSteps);
}

int MacroNameLength(const MacroRecord& macro) {
    int n = 0;
    while (n < kMaxMacroNameChars && macro.name[static_cast<size_t>(n)] != 0) {
        ++n;
    }
    return n;
}

std::u16string_view MacroName(const MacroRecord& macro) {
    return {macro.name.data(), static_cast<size_t>(MacroNameLength(macro))};
}

std::string MacroNameUtf8(const MacroRecord& macro) {
    return Utf16ToUtf8(MacroName(macro));
}

void SetMacroName(MacroRecord& macro, std::u16string_view name) {
    // A terminator inside the name ends it, as it would on reading.
    name = name.substr(0, std::min(name.size(), name.find(u'\0')));
    const size_t n = CutUnits(name, kMaxMacroNameChars);
    macro.name.fill(0);
    std::copy_n(name.begin(), n, macro.name.begin());
}

void SetMacroName(MacroRecord& macro, std::string_view utf8) {
    SetMacroName(macro, std::u16string_view(Utf8ToUtf16(utf8)));
}

uint16_t LowestFreeMacroId(std::span<const MacroRecord> macros) {
    for (uint16_t id = 1; id <= kMaxMacros; ++id) {
        if (std::none_of(macros.begin(), macros.end(),
                         [id](const MacroRecord& m) { return m.id == id; })) {
            return id;
        }
    }
    return 0;
}

MacroAreaSize MacroAreaSizes(std::span<const MacroRecord> macros) {
    MacroAreaSize size;
    size.compact = kMacroAreaHeaderSize + 2 * macros.size();
    size_t names = 0;
    for (const MacroRecord& macro : macros) {
        size.compact += 4 + 4 * static_cast<size_t>(MacroStepCount(macro));
        names += 2 * static_cast<size_t>(MacroNameLength(macro));
    }
    size.full = size.compact + names;
    return size;
}

std::array<uint8_t, 4> EncodeMacroStep(const MacroAction& action) {
    // A delay beyond the field is kept as the longest one rather than wrapped to a short one.
    uint32_t word = std::min(action.delay / 10, kMaxAreaDelayUnits);
    uint8_t b1 = 0;
    uint8_t b2 = 0;
    uint32_t category = SlotAction::kNothing;
    const KeyAction kind = KeyActionFromCode(action.key);
    switch (kind.kind) {
    case KeyAction::kKeyboard:
        category = SlotAction::kKeyboard;
        if (const uint8_t mask = ModifierMaskOfCode(action.key)) {
            b1 = 1;
            b2 = mask;
        } else {
            b1 = 2;
            b2 = static_cast<uint8_t>(kind.value);
        }
        break;
    case KeyAction::kSystem:
        category = SlotAction::kSystem;
        b1 = static_cast<uint8_t>(kind.value);
        b2 = static_cast<uint8_t>(kind.value >> 8);
        break;
    case KeyAction::kMouse: {
        category = SlotAction::kMouse;
        const SlotAction mouse = SlotActionForKey(action.key);
        if (mouse.b0 == SlotAction::kMouse) {
            b1 = mouse.b1;
            b2 = mouse.b2;
        }
        break;
    }
    default:
        break;
    }
    word |= category << 12;
    if (action.direction == MacroAction::kPress) {
        word |= 0x8000;
    }
    return {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8), b1, b2};
}

MacroAction DecodeMacroStep(const uint8_t* step) {
    const uint16_t word = ReadU16(step);
    MacroAction action;
    action.delay = (word & 0x0FFFu) * 10;
    action.key = SlotActionToKeyCode({static_cast<uint8_t>((word >> 12) & 7), step[2], step[3]});
    action.direction = (word & 0x8000) ? MacroAction::kPress : MacroAction::kRelease;
    return action;
}

bool EncodeMacroArea(std::span<const MacroRecord> macros, std::span<uint8_t> buffer, size_t size,
                     bool withNames) {
    const MacroAreaSize sizes = MacroAreaSizes(macros);
    const size_t needed = withNames ? sizes.full : sizes.compact;
    if (buffer.size() < needed || needed > kMaxMacroAreaImage || size > kMaxMacroAreaImage) {
        return false;
    }
    uint8_t* out = buffer.data();
    std::memset(out, 0, kMacroAreaHeaderSize);
    WriteU16(out, kMacroAreaMagic);
    WriteU16(out + 2, size);
    WriteU16(out + 4, macros.size());
    WriteU16(out + 6, withNames ? 1 : 0);
    size_t at = kMacroAreaHeaderSize + 2 * macros.size();
    for (size_t i = 0; i < macros.size(); ++i) {
        const MacroRecord& macro = macros[i];
        const int steps = MacroStepCount(macro);
        const int nameLength = withNames ? MacroNameLength(macro) : 0;
        WriteU16(out + kMacroAreaHeaderSize + 2 * i, at);
        WriteU16(out + at, static_cast<size_t>(steps));
        out[at + 2] = macro.repeat;
        out[at + 3] = static_cast<uint8_t>(nameLength);
        at += 4;
        for (int s = 0; s < steps; ++s) {
            const auto step = EncodeMacroStep(macro.steps[static_cast<size_t>(s)]);
            std::memcpy(out + at, step.data(), step.size());
            at += 4;
        }
        for (int c = 0; c < nameLength; ++c) {
            WriteU16(out + at, macro.name[static_cast<size_t>(c)]);
            at += 2;
        }
    }
    return true;
}

std::vector<MacroRecord> DecodeMacroArea(std::span<const uint8_t> image) {
    std::vector<MacroRecord> macros;
    DecodeMacroArea(image, macros);
    return macros;
}

size_t DecodeMacroArea(std::span<const uint8_t> image, std::vector<MacroRecord>& macros) {
    macros.clear();
    if (image.size() < kMacroAreaHeaderSize || ReadU16(image.data()) != kMacroAreaMagic) {
        return 0;
    }
    // Only macros whose offset entry the image holds exist; at most a list's worth.
    const size_t count = std::min<size_t>(
        {ReadU16(image.data() + 4), kMaxMacros, (image.size() - kMacroAreaHeaderSize) / 2});
    std::string prefix;
    macros.resize(count);
    for (size_t i = 0; i < count; ++i) {
        MacroRecord& macro = macros[i];
        macro.id = static_cast<uint16_t>(i + 1);
        macro.repeat = 0;
        const size_t at = ReadU16(image.data() + kMacroAreaHeaderSize + 2 * i);
        size_t nameLength = 0;
        if (at + 4 <= image.size()) {
            const uint8_t* record = image.data() + at;
            macro.repeat = record[2];
            const size_t room = (image.size() - at - 4) / 4;
            const size_t steps =
                std::min({static_cast<size_t>(ReadU16(record)), size_t{kMaxMacroSteps}, room});
            macro.stepCount = static_cast<uint16_t>(steps);
            for (size_t s = 0; s < steps; ++s) {
                macro.steps[s] = DecodeMacroStep(record + 4 + 4 * s);
            }
            // A name counts only when all steps were there to skip.
            if (steps == ReadU16(record)) {
                const size_t nameAt = at + 4 + 4 * steps;
                const size_t available = (image.size() - nameAt) / 2;
                nameLength = std::min<size_t>(record[3], available);
                std::u16string name(nameLength, u'\0');
                for (size_t c = 0; c < nameLength; ++c) {
                    name[c] = static_cast<char16_t>(ReadU16(image.data() + nameAt + 2 * c));
                }
                SetMacroName(macro, std::u16string_view(name));
                nameLength = static_cast<size_t>(MacroNameLength(macro));
            }
        }
        if (nameLength == 0) {
            if (prefix.empty()) {
                prefix = LangText("MACRO_NEW_PREFIX", CurrentLanguageIndex());
            }
            SetMacroName(macro, prefix + std::to_string(i + 1));
        }
    }
    return macros.size();
}
