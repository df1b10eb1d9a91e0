#include "platform/hid/SimulatedKeyboardState.h"

#include "platform/AtomicFile.h"
#include "platform/hid/BuiltInKeyTable.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

constexpr char kMagic[8] = {'K', 'S', 'I', 'M', 'K', 'B', 'D', '\x1A'};
constexpr uint16_t kVersion = 1;
constexpr size_t kHeaderSize = 20;
constexpr size_t kChecksumSize = 4;
constexpr size_t kMaxMacroArea = 255 * kSimMacroUnit;
// Larger than any valid file, so that reading a huge or endless file stops early.
constexpr size_t kMaxFileSize = kHeaderSize + kSimInfoBlockSize + kSimLightAreaSize +
                                kSimProfileCount * 512 + kSimProfileCount * kSimKeyColourBankSize +
                                kMaxMacroArea + kChecksumSize;

// Positions the built-in table leaves empty, used for G1..G9.
constexpr size_t kGKeyPositions[9] = {6, 7, 14, 15, 22, 23, 30, 31, 39};

// The keys the built-in table does not place, from position 63 on (87 is skipped: it repeats
// position 95). Category 2: b1 2 = usage byte, b1 1 = modifier mask.
constexpr uint8_t kLaterPositions[][2] = {
    {2, 0x40}, {2, 0x24}, {2, 0x18}, {2, 0x0D}, {2, 0x10}, {2, 0x36}, // F7 7 U J M ,
    {2, 0x41}, {2, 0x25}, {2, 0x0C}, {2, 0x0E}, {2, 0x37},            // F8 8 I K .
    {2, 0x42}, {2, 0x26}, {2, 0x12}, {2, 0x0F}, {2, 0x38}, {1, 0x10}, // F9 9 O L / RCtrl
    {2, 0x43}, {2, 0x27}, {2, 0x13}, {2, 0x33}, {1, 0x20}, {1, 0x80}, // F10 0 P ; RShift RWin
    {2, 0x44}, {2, 0x2D}, {2, 0x2F}, {2, 0x34}, {2, 0x28},            // F11 - [ ' Enter
    {2, 0x45}, {2, 0x2A}, {2, 0x30}, {2, 0x31}, {2, 0x64}, {2, 0x87}, // F12 BS ] \ K45 K56
    {2, 0x49}, {2, 0x4A}, {2, 0x4B}, {2, 0x4C}, {2, 0x4D}, {2, 0x4E}, // Ins Home PgUp Del End PgDn
    {2, 0x52}, {2, 0x50}, {2, 0x51}, {2, 0x4F},                       // arrows
    {2, 0x53}, {2, 0x54}, {2, 0x55}, {2, 0x56}, {2, 0x57}, {2, 0x58}, // Num / * - + Enter
    {2, 0x59}, {2, 0x5A}, {2, 0x5B}, {2, 0x5C}, {2, 0x5D}, {2, 0x5E}, // keypad 1-6
    {2, 0x5F}, {2, 0x60}, {2, 0x61}, {2, 0x62}, {2, 0x63},            // keypad 7-9 0 .
};
constexpr size_t kFirstLaterPosition = 63;
constexpr size_t kRepeatedPosition = 87;
constexpr size_t kRepeatSource = 95;

// The default light record, as restoring a profile's lighting writes it.
constexpr uint8_t kDefaultLightRecord[8] = {1, 4, 2, 0, 0xFF, 0xFF, 0xFF, 0xFF};

uint32_t Crc32(const uint8_t* data, size_t length) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

void Put16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

template <typename Bytes> void PutBytes(std::string& out, const Bytes& bytes) {
    out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

const SimKeyboardModel* FindSimKeyboardModel(uint16_t vendorId, uint16_t productId) {
    static constexpr SimKeyboardModel kModels[] = {kSimModel5004, kSimModel5000};
    for (const SimKeyboardModel& model : kModels) {
        if (model.vendorId == vendorId && model.productId == productId) {
            return &model;
        }
    }
    return nullptr;
}

std::vector<uint8_t> SimFactoryKeyTable(const SimKeyboardModel& model) {
    std::vector<uint8_t> table(model.keyTableLength, 0);
    std::copy_n(kBuiltInDefaultKeyTable.begin(), 3 * kBuiltInKeyPositions, table.begin());
    for (size_t n = 0; n < std::size(kGKeyPositions); ++n) {
        uint8_t* slot = &table[3 * kGKeyPositions[n]];
        slot[0] = 0x06;
        slot[1] = 0xA2;
        slot[2] = static_cast<uint8_t>(n + 1);
    }
    size_t position = kFirstLaterPosition;
    for (const auto& key : kLaterPositions) {
        if (position == kRepeatedPosition) {
            ++position;
        }
        if (position >= model.keySlotCount) {
            break;
        }
        table[3 * position] = 0x02;
        table[3 * position + 1] = key[0];
        table[3 * position + 2] = key[1];
        ++position;
    }
    if (kRepeatSource < model.keySlotCount) {
        std::copy_n(&table[3 * kRepeatSource], 3, &table[3 * kRepeatedPosition]);
    }
    return table;
}

SimKeyboardMemory FactorySimKeyboardMemory(const SimKeyboardModel& model) {
    SimKeyboardMemory memory;
    memory.model = model;
    auto& info = memory.infoBlock;
    // Bytes 0..9: firmware version 1.05 and the keyboard's identity.
    info[0] = 0x01;
    info[1] = 0x05;
    info[2] = static_cast<uint8_t>(model.vendorId & 0xFF);
    info[3] = static_cast<uint8_t>(model.vendorId >> 8);
    info[4] = static_cast<uint8_t>(model.productId & 0xFF);
    info[5] = static_cast<uint8_t>(model.productId >> 8);
    info[6] = static_cast<uint8_t>(model.keySlotCount);
    info[10] = 0;                                    // active profile
    info[11] = model == kSimModel5000 ? 0x40 : 0x20; // 8 KiB or 4 KiB of macros
    // Effects 1..18 and the user colours (20).
    size_t slot = 12;
    for (uint8_t code = 1; code <= 18; ++code) {
        info[slot++] = code;
    }
    info[slot] = 20;

    for (size_t p = 0; p < kSimProfileCount; ++p) {
        std::copy(std::begin(kDefaultLightRecord), std::end(kDefaultLightRecord),
                  memory.lightArea.begin() + static_cast<ptrdiff_t>(p * kSimLightRecordSize));
    }
    const std::vector<uint8_t> factory = SimFactoryKeyTable(model);
    for (size_t p = 0; p < kSimProfileCount; ++p) {
        memory.keyTables.insert(memory.keyTables.end(), factory.begin(), factory.end());
    }
    // An empty macro area: magic, size 16, no macros, no names.
    memory.macroArea.assign(info[11] * kSimMacroUnit, 0);
    memory.macroArea[0] = 0xAA;
    memory.macroArea[1] = 0x55;
    memory.macroArea[2] = 16;
    return memory;
}

const char* SimStateErrorText(SimStateError error) {
    switch (error) {
    case SimStateError::None:
        return "no error";
    case SimStateError::CannotRead:
        return "the state file cannot be read";
    case SimStateError::CannotWrite:
        return "the state file cannot be written";
    case SimStateError::NotAStateFile:
        return "the file is not a simulated keyboard state file";
    case SimStateError::UnsupportedVersion:
        return "the state file was written by a newer version of the program";
    case SimStateError::Truncated:
        return "the state file is incomplete";
    case SimStateError::BadChecksum:
        return "the state file is damaged (checksum mismatch)";
    case SimStateError::UnknownModel:
        return "the state file is of an unknown keyboard model";
    case SimStateError::WrongModel:
        return "the state file belongs to the other keyboard model";
    case SimStateError::BadContent:
        return "the state file holds values no keyboard would";
    }
    return "unknown error";
}

std::string SerializeSimKeyboardMemory(const SimKeyboardMemory& memory) {
    std::string out(kMagic, sizeof kMagic);
    Put16(out, kVersion);
    Put16(out, memory.model.vendorId);
    Put16(out, memory.model.productId);
    Put16(out, memory.model.keyTableLength);
    Put16(out, static_cast<uint16_t>(memory.macroArea.size()));
    Put16(out, 0);
    PutBytes(out, memory.infoBlock);
    PutBytes(out, memory.lightArea);
    PutBytes(out, memory.keyTables);
    PutBytes(out, memory.colourBanks);
    PutBytes(out, memory.macroArea);
    Put32(out, Crc32(reinterpret_cast<const uint8_t*>(out.data()), out.size()));
    return out;
}

SimStateError ParseSimKeyboardMemory(std::string_view bytes, SimKeyboardMemory& memory) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t size = bytes.size();
    if (size < sizeof kMagic) {
        return size > 0 && std::memcmp(data, kMagic, size) == 0 ? SimStateError::Truncated
                                                    : SimStateError::NotAStateFile;
    }
    if (std::memcmp(data, kMagic, sizeof kMagic) != 0) {
        return SimStateError::NotAStateFile;
    }
    if (size < kHeaderSize) {
        return SimStateError::Truncated;
    }
    if (Get16(data + 8) != kVersion) {
        return SimStateError::UnsupportedVersion;
    }
    const SimKeyboardModel* model = FindSimKeyboardModel(Get16(data + 10), Get16(data + 12));
    if (model == nullptr || model->keyTableLength != Get16(data + 14)) {
        return SimStateError::UnknownModel;
    }
    const size_t macroLength = Get16(data + 16);
    if (macroLength % kSimMacroUnit != 0 || macroLength > kMaxMacroArea) {
        return SimStateError::BadContent;
    }
    const size_t keyTables = kSimProfileCount * model->keyTableLength;
    const size_t expected = kHeaderSize + kSimInfoBlockSize + kSimLightAreaSize + keyTables +
                            kSimProfileCount * kSimKeyColourBankSize + macroLength + kChecksumSize;
    if (size != expected) {
        return SimStateError::Truncated;
    }
    if (Crc32(data, size - kChecksumSize) != Get32(data + size - kChecksumSize)) {
        return SimStateError::BadChecksum;
    }

    SimKeyboardMemory parsed;
    parsed.model = *model;
    const uint8_t* p = data + kHeaderSize;
    std::copy_n(p, kSimInfoBlockSize, parsed.infoBlock.begin());
    p += kSimInfoBlockSize;
    std::copy_n(p, kSimLightAreaSize, parsed.lightArea.begin());
    p += kSimLightAreaSize;
    parsed.keyTables.assign(p, p + keyTables);
    p += keyTables;
    std::copy_n(p, parsed.colourBanks.size(), parsed.colourBanks.begin());
    p += parsed.colourBanks.size();
    parsed.macroArea.assign(p, p + macroLength);
    if (parsed.infoBlock[11] * kSimMacroUnit != macroLength) {
        return SimStateError::BadContent;
    }
    memory = std::move(parsed);
    return SimStateError::None;
}

SimStateError LoadSimStateFile(const std::filesystem::path& file, SimKeyboardMemory& memory) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return SimStateError::CannotRead;
    }
    std::string bytes(kMaxFileSize + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        return SimStateError::CannotRead;
    }
    const auto got = in.gcount();
    if (got == 0 && !in.eof()) {
        return SimStateError::CannotRead; // a folder, for instance
    }
    bytes.resize(static_cast<size_t>(got));
    if (bytes.size() > kMaxFileSize) {
        // Too long for any state file: say what it is, not just that its length is odd.
        SimKeyboardMemory ignored;
        const SimStateError error =
            ParseSimKeyboardMemory(std::string_view(bytes).substr(0, kHeaderSize), ignored);
        return error == SimStateError::NotAStateFile ? error : SimStateError::Truncated;
    }
    return ParseSimKeyboardMemory(bytes, memory);
}

SimStateError SaveSimStateFile(const std::filesystem::path& file, const SimKeyboardMemory& memory) {
    return WriteFileAtomically(file, SerializeSimKeyboardMemory(memory))
               ? SimStateError::None
               : SimStateError::CannotWrite;
}
