// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The keyboard's lighting: the effects it offers (from the info block), one 42-byte record per
// profile, the per-key colour banks, and the command sequences that change them. Every change
// is written at once, field by field, in its own session bracket; there is no apply step.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

inline constexpr int kEffectSlotCount = 32;
inline constexpr size_t kEffectListOffset = 12; // info block bytes 12..43
inline constexpr uint8_t kUserColourEffect = 20;
inline constexpr size_t kLightRecordSize = 42;
inline constexpr size_t kKeyColourBankSize = 512;

using LightRecord = std::array<uint8_t, kLightRecordSize>;

// Record bytes the program reads or writes.
namespace LightField {
inline constexpr int Effect = 0;
inline constexpr int Brightness = 1;  // 0..5
inline constexpr int Speed = 2;       // 0..5, stored as 5 - slider position
inline constexpr int Direction = 3;   // 0xFF first choice, anything else the second
inline constexpr int Multicolour = 4; // nonzero: cycles through colours
inline constexpr int Colour = 5;      // 5, 6, 7: red, green, blue
inline constexpr int ReportRate = 15; // 0..3
inline constexpr int FourColour = 17; // 0 red, 1 yellow, 2 green, 3 blue
inline constexpr int ReactionMulticolour = 18;
inline constexpr int TriggerMode = 19;  // 0 single key, 1 grid
inline constexpr int SecondColour = 25; // 25..27, multicolour flag 28
inline constexpr int ThirdColour = 30;  // 30..32, multicolour flag 33
} // namespace LightField

inline constexpr uint8_t kDirectionFirst = 0xFF;
inline constexpr uint8_t kDirectionSecond = 0;

// The effects the keyboard offers, in list order: (list position, effect code) for every
// nonzero slot of the info block's effect list.
struct EffectTable {
    std::vector<std::pair<int, uint8_t>> entries;

    // -1 when the code is not offered; the first match wins.
    int PositionOf(uint8_t code) const;
    // 0 for a position outside the table.
    uint8_t CodeAt(int position) const;
    bool UserColoursAvailable() const { return PositionOf(kUserColourEffect) >= 0; }
};
EffectTable BuildEffectTable(std::span<const uint8_t> infoBlock);

enum class DirectionPair { None, LeftRight, UpDown, DiffuseConverge };

// Which controls an effect uses and which bytes its selection writes.
struct EffectOptions {
    bool known = false; // 1..18 and 20; other codes carry no options
    bool brightness = false;
    bool speed = false;
    DirectionPair direction = DirectionPair::None;
    bool colourGroup = false;
    bool reactionColourGroup = false;
    bool fourColour = false;
    bool userColours = false;
    bool writesMulticolour = false; // selecting it also writes byte 4
};
EffectOptions OptionsOfEffect(uint8_t code);

// Colours as one integer: red + 256 x green + 65536 x blue.
constexpr uint32_t PackColour(uint8_t red, uint8_t green, uint8_t blue) {
    return red | static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(blue) << 16;
}

constexpr uint8_t RedOf(uint32_t colour) {
    return static_cast<uint8_t>(colour & 0xFF);
}
constexpr uint8_t GreenOf(uint32_t colour) {
    return static_cast<uint8_t>((colour >> 8) & 0xFF);
}
constexpr uint8_t BlueOf(uint32_t colour) {
    return static_cast<uint8_t>((colour >> 16) & 0xFF);
}

// The effect's name: section MODE of the language file, key = the code in decimal.
std::string EffectName(uint8_t code);

// Slider positions and stored values, both 0..5: brightness is stored as shown, speed reversed.
constexpr uint8_t SpeedValueFromSlider(int position) {
    return static_cast<uint8_t>(5 - (position < 0 ? 0 : position > 5 ? 5 : position));
}
constexpr int SliderFromSpeedValue(uint8_t value) {
    return 5 - (value > 5 ? 5 : value);
}
// 0xFF is the first choice of a direction pair; every other value the second.
constexpr bool IsFirstDirection(uint8_t value) {
    return value == kDirectionFirst;
}

struct PresetColour {
    uint8_t red, green, blue;
};
extern const std::array<PresetColour, 8> kPresetColours;

// The 35 bytes written at the start of a record to restore it (bytes 35..41 are left alone).
extern const std::array<uint8_t, 35> kDefaultLightRecord;

// What the lighting panel shows, for CurrentProfile only.
struct LightingState {
    uint8_t effect = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    bool multicolour = false;
    std::array<uint32_t, 3> colour{}; // one per colour control, all from bytes 5..7
    uint8_t reportRate = 0;
    uint8_t fourColour = 0;
    uint8_t reactionMulticolour = 0;
    uint8_t triggerMode = 0;
    uint32_t secondColour = 0;
    bool secondMulticolour = false;
    uint32_t thirdColour = 0;
    bool thirdMulticolour = false;
};
// Takes the state from a record: fields the record holds no usable value for (reaction
// multicolour outside effect 7 or not 0/1, trigger mode not 0/1) keep their value; the report
// rate is capped at 3.
void DeriveLightingState(const LightRecord& record, LightingState& state);

// The program's lighting data.
struct LightingModel {
    std::array<uint8_t, 44> infoBlock{}; // as last read; bytes 12..43 cleared by a failed read
    EffectTable effects;
    std::array<LightRecord, 3> records{}; // as last read
    LightingState state;
    // Copies of the three per-key colour banks: the source of every upload.
    std::array<std::array<uint8_t, kKeyColourBankSize>, 3> keyColourBanks{};
};
LightingModel& Lighting();

// Reads the info block (effect list) and the three records, and takes the state from the
// record of CurrentProfile. 0 on success; -1 when the info block cannot be read (the effect
// list is then empty and records and state stay as they were).
int ReloadLighting();
// Reads CurrentProfile's record again and takes the state from it: what the keyboard holds after
// a write it refused. The read's result; on failure record and state stay as they were.
int RereadLightRecord();
// The writes below return the result of their bracket (Protocol.h): 1 when the session's
// opening, every write and its close succeeded, otherwise the first result that did not (all
// commands are sent whatever the earlier ones answered). -201 when CurrentProfile names no
// profile and -1 when the arguments leave nothing to send; nothing goes out in either case.
// The lighting panel ignores them; kestrowctl reports them.

// One byte of CurrentProfile's record.
int WriteLightByte(int field, uint8_t value);
// Selects an effect: its code, and for effects that take the colour also the current
// multicolour flag; nothing for codes without options.
int WriteEffect(uint8_t code);
// A single colour: multicolour off, then red, green, blue.
int WriteColour(uint8_t red, uint8_t green, uint8_t blue);
// Restores CurrentProfile's record.
int WriteDefaultRecord();
// Sends CurrentProfile's bank copy in pieces of 18 keys: KeySlotCount / 18 + 1 pieces.
int UploadKeyColours();
// Stores one key's colour in the bank copy of CurrentProfile and sends it. A slot whose three
// bytes would lie outside the bank is refused: nothing is changed or sent.
int WriteKeyColour(int slot, uint8_t red, uint8_t green, uint8_t blue);
