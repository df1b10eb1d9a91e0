// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A macro as the program keeps it (in a store's macro list and in profile files) and the
// keyboard's own form of all macros, the macro area.

#include "model/KeyCodeTables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kMaxMacros = 100;
inline constexpr int kMaxMacroSteps = 4000;
inline constexpr int kMacroNameUnits = 250; // with the terminator
inline constexpr int kMaxMacroNameChars = 249;
inline constexpr uint32_t kMaxHandDelayMs = 40000;

struct MacroAction {
    static constexpr uint16_t kPress = 0;
    static constexpr uint16_t kRelease = 1;

    uint32_t delay = 0; // ms to wait after this step
    uint16_t key = 0;   // key code or mouse code
    uint16_t direction = kPress;

    bool operator==(const MacroAction&) const = default;
};
static_assert(sizeof(MacroAction) == 8);

struct MacroRecord {
    std::array<char16_t, kMacroNameUnits> name{}; // zero-terminated
    uint8_t repeat = 1;
    uint8_t pad = 0;
    uint16_t isNew = 0; // created in the key-setting dialog and not yet applied
    uint16_t reserved = 0;
    uint16_t id = 0; // 1..100, unique within a list
    uint16_t stepCount = 0;
    uint16_t reserved2 = 0;
    std::array<MacroAction, kMaxMacroSteps> steps{};
};
static_assert(sizeof(MacroRecord) == 0x7F00);
static_assert(offsetof(MacroRecord, repeat) == 500 && offsetof(MacroRecord, id) == 506 &&
              offsetof(MacroRecord, steps) == 512);

// Records read from files or built elsewhere may carry any bytes: these bound what is used.
// The steps that count: stepCount, at most 4000.
int MacroStepCount(const MacroRecord& macro);
// Characters of the name before its terminator, at most 249.
int MacroNameLength(const MacroRecord& macro);
std::u16string_view MacroName(const MacroRecord& macro);
std::string MacroNameUtf8(const MacroRecord& macro);
// Stores a name cut to 249 characters (a surrogate pair is never split).
void SetMacroName(MacroRecord& macro, std::u16string_view name);
void SetMacroName(MacroRecord& macro, std::string_view utf8);

// The lowest id in 1..100 that no macro of the list uses; 0 when all are taken.
uint16_t LowestFreeMacroId(std::span<const MacroRecord> macros);

// --- The macro area -------------------------------------------------------------------------

inline constexpr uint16_t kMacroAreaMagic = 0x55AA;
inline constexpr size_t kMacroAreaHeaderSize = 16;
inline constexpr uint32_t kMaxAreaDelayUnits = 0x0FFF; // delay / 10 ms
// Record offsets and the size field are 16-bit: a larger image cannot be addressed.
inline constexpr size_t kMaxMacroAreaImage = 0xFFFF;

struct MacroAreaSize {
    size_t compact = 0; // without names
    size_t full = 0;    // with names
    bool operator==(const MacroAreaSize&) const = default;
};
MacroAreaSize MacroAreaSizes(std::span<const MacroRecord> macros);

// Fills buffer (at least MacroAreaSizes().full or .compact bytes, by withNames) with the image
// of the list; size goes into the header as given. False, with nothing written, when the
// buffer is too small for the image or the image or size is beyond kMaxMacroAreaImage.
bool EncodeMacroArea(std::span<const MacroRecord> macros, std::span<uint8_t> buffer, size_t size,
                     bool withNames);

// The 4-byte step of one action: delay in 10 ms units, category and press bit, b1, b2.
std::array<uint8_t, 4> EncodeMacroStep(const MacroAction& action);
MacroAction DecodeMacroStep(const uint8_t* step);

// The macros of an image read from the keyboard, numbered 1, 2, 3 ... in area order; an image
// without the magic holds none. Everything is bounded by the image: at most 100 macros and no
// more than the offset entries it holds, at most 4000 steps each, names cut to 249 characters;
// a record that lies outside the image comes back empty so that the later macros keep their
// numbers. Unnamed macros are called "MACRO_NEW_PREFIX" + number.
std::vector<MacroRecord> DecodeMacroArea(std::span<const uint8_t> image);
// The same into macros, whose storage is kept for the next decode (each record is 32 KB);
// returns the count.
size_t DecodeMacroArea(std::span<const uint8_t> image, std::vector<MacroRecord>& macros);
