// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/sim/SimStateFile.h"

#include "platform/AtomicFile.h"

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
    const SimKeyboardModel* model = FindKeyboardModel(Get16(data + 10), Get16(data + 12));
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
