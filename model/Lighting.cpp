// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/Lighting.h"

#include "device/DeviceState.h"
#include "device/Protocol.h"
#include "skin/Language.h"

#include <algorithm>
#include <initializer_list>

const std::array<PresetColour, 8> kPresetColours = {{
    {235, 99, 30},
    {255, 0, 0},
    {0, 126, 255},
    {90, 255, 0},
    {234, 255, 0},
    {255, 192, 0},
    {255, 0, 180},
    {174, 0, 255},
}};

const std::array<uint8_t, 35> kDefaultLightRecord = {1, 4, 2, 0, 0xFF, 0xFF, 0xFF, 0xFF};

namespace {

constexpr int kKeysPerPiece = 18;

// CurrentProfile as a record index; -1 when it names no profile.
int LightProfile() {
    const int p = DeviceState().CurrentProfile.load();
    return p >= 0 && p < 3 ? p : -1;
}

uint32_t ColourAt(const LightRecord& r, size_t at) {
    return PackColour(r[at], r[at + 1], r[at + 2]);
}

// A session bracket around the reads of a reload; their results are looked at one by one.
class Session {
public:
    Session() { CmdBeginSession(); }
    ~Session() { CmdEndSession(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};

// The first result that is not success, in the order given.
int FirstFailure(std::initializer_list<int> results) {
    for (int r : results) {
        if (r != kCmdOk) {
            return r;
        }
    }
    return kCmdOk;
}

// The writes of one change inside their bracket. Every command goes out whatever the ones
// before it answered (as the keyboard has always been written); the result is the first that
// did not succeed: the bracket's opening, the writes in order, then its close.
template <typename Writes> int WriteInSession(Writes writes) {
    const int begin = CmdBeginSession();
    const int written = writes();
    const int end = CmdEndSession();
    return FirstFailure({begin, written, end});
}

} // namespace

int EffectTable::PositionOf(uint8_t code) const {
    for (const auto& [position, c] : entries) {
        if (c == code) {
            return position;
        }
    }
    return -1;
}

uint8_t EffectTable::CodeAt(int position) const {
    if (position < 0 || static_cast<size_t>(position) >= entries.size()) {
        return 0;
    }
    return entries[static_cast<size_t>(position)].second;
}

EffectTable BuildEffectTable(std::span<const uint8_t> infoBlock) {
    EffectTable table;
    for (size_t i = kEffectListOffset;
         i < std::min(infoBlock.size(), kEffectListOffset + kEffectSlotCount); ++i) {
        if (infoBlock[i] != 0) {
            table.entries.emplace_back(static_cast<int>(table.entries.size()), infoBlock[i]);
        }
    }
    return table;
}

std::string EffectName(uint8_t code) {
    return ModeText(std::to_string(code), CurrentLanguageIndex());
}

EffectOptions OptionsOfEffect(uint8_t code) {
    EffectOptions o;
    if (code == 0 || code == 19 || code > 20) {
        return o;
    }
    o.known = true;
    o.brightness = true;
    o.speed = !(code == 6 || code == 16 || code == 17 || code == 18 || code == 20);
    if (code <= 3) {
        o.direction = DirectionPair::LeftRight;
    } else if (code == 12) {
        o.direction = DirectionPair::UpDown;
    } else if (code == 18) {
        o.direction = DirectionPair::DiffuseConverge;
    }
    // The colour effects whose selection also writes the multicolour flag.
    constexpr uint8_t kColourEffects[] = {1, 2, 3, 5, 7, 8, 9, 13, 14, 15};
    if (std::find(std::begin(kColourEffects), std::end(kColourEffects), code) !=
        std::end(kColourEffects)) {
        o.colourGroup = true;
        o.writesMulticolour = true;
    }
    switch (code) {
    case 10:
        o.colourGroup = true;
        break;
    case 6:
    case 16:
        o.reactionColourGroup = true;
        break;
    case 17:
        o.fourColour = true;
        break;
    case 20:
        o.userColours = true;
        break;
    default:
        break;
    }
    return o;
}

void DeriveLightingState(const LightRecord& r, LightingState& s) {
    s.effect = r[LightField::Effect];
    s.brightness = r[LightField::Brightness];
    s.speed = r[LightField::Speed];
    s.direction = r[LightField::Direction];
    s.fourColour = r[LightField::FourColour];
    s.reportRate = std::min<uint8_t>(r[LightField::ReportRate], 3);
    s.colour.fill(ColourAt(r, LightField::Colour));
    s.multicolour = r[LightField::Multicolour] != 0;
    if (r[LightField::Effect] == 7 && r[LightField::ReactionMulticolour] <= 1) {
        s.reactionMulticolour = r[LightField::ReactionMulticolour];
    }
    if (r[LightField::TriggerMode] <= 1) {
        s.triggerMode = r[LightField::TriggerMode];
    }
    s.secondColour = ColourAt(r, LightField::SecondColour);
    s.secondMulticolour = r[LightField::SecondColour + 3] != 0;
    s.thirdColour = ColourAt(r, LightField::ThirdColour);
    s.thirdMulticolour = r[LightField::ThirdColour + 3] != 0;
}

LightingModel& Lighting() {
    static LightingModel model;
    return model;
}

int ReloadLighting() {
    LightingModel& model = Lighting();
    std::fill(model.infoBlock.begin() + kEffectListOffset, model.infoBlock.end(), uint8_t{0});
    std::array<uint8_t, 44> info = model.infoBlock;
    const bool read = CmdReadInfoBlock(info.data()) == kCmdOk;
    if (read) {
        model.infoBlock = info;
    }
    model.effects = BuildEffectTable(model.infoBlock);
    if (!read) {
        return -1;
    }
    {
        Session session;
        for (size_t p = 0; p < model.records.size(); ++p) {
            std::array<uint8_t, kReportPayloadLength> reply{};
            if (CmdReadLightData(reply.data(), kReportPayloadLength,
                                 static_cast<int>(kLightRecordSize * p)) == kCmdOk) {
                std::copy_n(reply.begin(), kLightRecordSize, model.records[p].begin());
            }
        }
    }
    if (const int p = LightProfile(); p >= 0) {
        DeriveLightingState(model.records[static_cast<size_t>(p)], model.state);
    }
    return 0;
}

int RereadLightRecord() {
    const int p = LightProfile();
    if (p < 0) {
        return kCmdBadProfile;
    }
    std::array<uint8_t, kReportPayloadLength> reply{};
    int read = kCmdOk;
    {
        Session session;
        read = CmdReadLightData(reply.data(), kReportPayloadLength,
                                static_cast<int>(kLightRecordSize) * p);
    }
    if (read != kCmdOk) {
        return read;
    }
    LightingModel& model = Lighting();
    std::copy_n(reply.begin(), kLightRecordSize, model.records[static_cast<size_t>(p)].begin());
    DeriveLightingState(model.records[static_cast<size_t>(p)], model.state);
    return kCmdOk;
}

int WriteLightByte(int field, uint8_t value) {
    const int p = LightProfile();
    if (p < 0) {
        return kCmdBadProfile;
    }
    if (field < 0 || field >= static_cast<int>(kLightRecordSize)) {
        return kCmdWriteFailed;
    }
    return WriteInSession([&] {
        return CmdWriteLightData(&value, 1, static_cast<int>(kLightRecordSize) * p + field);
    });
}

int WriteEffect(uint8_t code) {
    const int p = LightProfile();
    const EffectOptions options = OptionsOfEffect(code);
    if (p < 0) {
        return kCmdBadProfile;
    }
    if (!options.known) {
        return kCmdWriteFailed;
    }
    const int base = static_cast<int>(kLightRecordSize) * p;
    return WriteInSession([&] {
        const int effect = CmdWriteLightData(&code, 1, base + LightField::Effect);
        if (!options.writesMulticolour) {
            return effect;
        }
        const uint8_t flag = Lighting().state.multicolour ? 1 : 0;
        const int multicolour = CmdWriteLightData(&flag, 1, base + LightField::Multicolour);
        return FirstFailure({effect, multicolour});
    });
}

int WriteColour(uint8_t red, uint8_t green, uint8_t blue) {
    const int p = LightProfile();
    if (p < 0) {
        return kCmdBadProfile;
    }
    const int base = static_cast<int>(kLightRecordSize) * p;
    const uint8_t off = 0;
    const uint8_t rgb[3] = {red, green, blue};
    return WriteInSession([&] {
        const int flag = CmdWriteLightData(&off, 1, base + LightField::Multicolour);
        const int colour = CmdWriteLightData(rgb, 3, base + LightField::Colour);
        return FirstFailure({flag, colour});
    });
}

int WriteDefaultRecord() {
    const int p = LightProfile();
    if (p < 0) {
        return kCmdBadProfile;
    }
    return WriteInSession([&] {
        return CmdWriteLightData(kDefaultLightRecord.data(),
                                 static_cast<int>(kDefaultLightRecord.size()),
                                 static_cast<int>(kLightRecordSize) * p);
    });
}

int UploadKeyColours() {
    const int p = LightProfile();
    if (p < 0) {
        return kCmdBadProfile;
    }
    const auto& bank = Lighting().keyColourBanks[static_cast<size_t>(p)];
    const int pieces = static_cast<int>(DeviceState().KeySlotCount.load()) / kKeysPerPiece + 1;
    return WriteInSession([&] {
        int result = kCmdOk;
        for (int i = 0; i < pieces; ++i) {
            const size_t at = static_cast<size_t>(3 * kKeysPerPiece * i);
            if (at + 3 * kKeysPerPiece > bank.size()) {
                break; // never beyond the bank, whatever the slot count
            }
            result = FirstFailure({result, CmdWriteKeyColours(bank.data() + at, 3 * kKeysPerPiece,
                                                              kKeysPerPiece * i)});
        }
        return result;
    });
}

int WriteKeyColour(int slot, uint8_t red, uint8_t green, uint8_t blue) {
    const int p = LightProfile();
    if (p < 0) {
        return kCmdBadProfile;
    }
    if (slot < 0 || 3 * static_cast<size_t>(slot) + 3 > kKeyColourBankSize) {
        return kCmdWriteFailed;
    }
    auto& bank = Lighting().keyColourBanks[static_cast<size_t>(p)];
    const size_t at = 3 * static_cast<size_t>(slot);
    bank[at] = red;
    bank[at + 1] = green;
    bank[at + 2] = blue;
    return WriteInSession([&] { return CmdWriteKeyColours(bank.data() + at, 3, slot); });
}
