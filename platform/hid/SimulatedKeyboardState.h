#pragma once

// The memory of a simulated keyboard and its state file.
//
// File layout (little-endian, version 1):
//   0   8  magic "KSIMKBD\x1A"
//   8   2  format version (1)
//   10  2  vendor id        12  2  product id
//   14  2  key table length 16  2  macro area length (bytes)
//   18  2  reserved, 0
//   20  ... info block (44), lighting area (126), three key tables (3 x key table length),
//           three key colour banks (3 x 512), macro area (macro area length)
//   end-4   4  CRC-32 (IEEE) of every byte before it
// The factory key table is not stored: it belongs to the model.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t kSimInfoBlockSize = 44;
inline constexpr size_t kSimLightRecordSize = 42;
inline constexpr size_t kSimLightAreaSize = 3 * kSimLightRecordSize; // 126
inline constexpr size_t kSimKeyColourBankSize = 512;
inline constexpr size_t kSimProfileCount = 3;
// InfoBlock byte 11 counts 128-byte units.
inline constexpr size_t kSimMacroUnit = 128;

// One of the two supported keyboards.
struct SimKeyboardModel {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t keySlotCount = 0;
    uint16_t keyTableLength = 0;

    bool operator==(const SimKeyboardModel&) const = default;
};

inline constexpr SimKeyboardModel kSimModel5004{0x0C45, 0x5004, 126, 378};
inline constexpr SimKeyboardModel kSimModel5000{0x320F, 0x5000, 128, 512};

// The supported model with these ids; nullptr for any other pair.
const SimKeyboardModel* FindSimKeyboardModel(uint16_t vendorId, uint16_t productId);

// Everything the keyboard keeps between power cycles except its factory key table.
struct SimKeyboardMemory {
    SimKeyboardModel model = kSimModel5004;
    std::array<uint8_t, kSimInfoBlockSize> infoBlock{};
    std::array<uint8_t, kSimLightAreaSize> lightArea{};
    std::vector<uint8_t> keyTables; // 3 x model.keyTableLength
    std::array<uint8_t, kSimProfileCount * kSimKeyColourBankSize> colourBanks{};
    std::vector<uint8_t> macroArea; // infoBlock[11] x 128 bytes

    bool operator==(const SimKeyboardMemory&) const = default;
};

// A keyboard fresh from the factory: profile 0 active, every key table equal to the factory
// table, an empty macro area, the default light record in all three profiles, black keys.
SimKeyboardMemory FactorySimKeyboardMemory(const SimKeyboardModel& model);

// The model's factory key table (model.keyTableLength bytes): every entry of the built-in
// default table for positions 0..62, G1..G9 (06 A2 n) in nine positions the built-in table
// leaves empty (6, 7, 14, 15, 22, 23, 30, 31, 39), and from 63 on the keys the built-in table
// does not place, so that every key of the key map has a position. Position 87 repeats 95
// (every table the program sends has that copy).
std::vector<uint8_t> SimFactoryKeyTable(const SimKeyboardModel& model);

enum class SimStateError {
    None,
    CannotRead,         // the file could not be opened or read
    CannotWrite,        // the file could not be written (the previous file is unchanged)
    NotAStateFile,      // wrong magic: some other file
    UnsupportedVersion, // a state file of a format version we do not know
    Truncated,          // shorter (or longer) than its header says
    BadChecksum,        // the bytes were changed or damaged
    UnknownModel,       // the ids name no supported keyboard, or its lengths do not match it
    WrongModel,         // a valid file of the other model than the one asked for
    BadContent,         // fields that contradict each other (macro area length and capacity)
};

// A short English sentence for messages on the terminal.
const char* SimStateErrorText(SimStateError error);

std::string SerializeSimKeyboardMemory(const SimKeyboardMemory& memory);
// Never reads past `bytes`; `memory` is changed only on success.
SimStateError ParseSimKeyboardMemory(std::string_view bytes, SimKeyboardMemory& memory);

SimStateError LoadSimStateFile(const std::filesystem::path& file, SimKeyboardMemory& memory);
// Written atomically: a crash leaves the previous file or the new one, never a mix.
SimStateError SaveSimStateFile(const std::filesystem::path& file, const SimKeyboardMemory& memory);
