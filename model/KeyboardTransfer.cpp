// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/KeyboardTransfer.h"

#include "device/DeviceState.h"
#include "device/MessageSink.h"
#include "device/Protocol.h"
#include "model/AssignmentText.h"
#include "model/KeyButtonSink.h"
#include "model/ProfileFile.h"
#include "model/ProfileFolder.h"
#include "model/ProfileStore.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>

namespace {

constexpr size_t kActiveProfileByte = 10;

// The factory table as the encoders read it: its first KeyTableLength bytes.
struct FactoryTable {
    KeyTableBytes bytes{};
    KeyTableLayout layout;

    FactoryTable() {
        DeviceState().GetDefaultKeyTable(bytes);
        const size_t length = std::min<size_t>(DeviceState().KeyTableLength.load(), bytes.size());
        layout = {std::span<const uint8_t>(bytes.data(), length),
                  static_cast<int>(DeviceState().KeySlotCount.load())};
    }
};

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// The ids of the macros in the keyboard's macro area, in area order, as far as this program
// knows them: noted at each read of the area and at each write of it that got through. The key
// tables of the profiles a write leaves alone name macros by these positions.
std::mutex gKeyboardMacroIdsLock;
std::optional<std::vector<uint16_t>> gKeyboardMacroIds;

void NoteKeyboardMacroIds(std::optional<std::vector<uint16_t>> ids) {
    std::lock_guard guard(gKeyboardMacroIdsLock);
    gKeyboardMacroIds = std::move(ids);
}

std::vector<uint16_t> MacroIdsOf(std::span<const MacroRecord> macros) {
    std::vector<uint16_t> ids;
    ids.reserve(macros.size());
    for (const MacroRecord& macro : macros) {
        ids.push_back(macro.id);
    }
    return ids;
}

// The position a key table gives the macro with this id: 0 when none has it.
size_t TablePosition(const std::vector<uint16_t>& ids, uint16_t id) {
    const auto it = std::find(ids.begin(), ids.end(), id);
    return it == ids.end() ? 0 : static_cast<size_t>(it - ids.begin());
}

// Whether the keyboard's key table of a profile other than `active` names one of its macros by
// a position that the new macro list moves (or whose position on the keyboard is not known).
bool OtherTablesNameMovedMacros(const KeyRecordBlock& block, std::span<const MacroRecord> macros,
                                int active) {
    const std::vector<uint16_t> ids = MacroIdsOf(macros);
    std::lock_guard guard(gKeyboardMacroIdsLock);
    for (int p = 0; p < kProfileCount; ++p) {
        if (p == active) {
            continue;
        }
        for (int r = 0; r < kRecordsPerArea; ++r) {
            const KeyAssignment& record = block.Record(p, r);
            if (record.type != AssignmentType::kMacro) {
                continue;
            }
            const auto id = static_cast<uint16_t>(record.value);
            if (!gKeyboardMacroIds ||
                TablePosition(*gKeyboardMacroIds, id) != TablePosition(ids, id)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

int ActiveProfile() {
    const int cached = DeviceState().CachedProfile.load();
    if (cached >= 0 && cached < kProfileCount) {
        return cached;
    }
    std::array<uint8_t, kInfoBlockLength> info{};
    if (CmdReadInfoBlock(info.data()) != kCmdOk || info[kActiveProfileByte] >= kProfileCount) {
        return -1;
    }
    DeviceState().CachedProfile.store(info[kActiveProfileByte]);
    return info[kActiveProfileByte];
}

bool SetDeviceProfile(int n) {
    if (n < 0 || n >= kProfileCount) {
        return false;
    }
    std::array<uint8_t, kInfoBlockLength> info{};
    if (CmdReadInfoBlock(info.data()) != kCmdOk) {
        return false;
    }
    info[kActiveProfileByte] = static_cast<uint8_t>(n);
    if (CmdWriteInfoBlock(info.data()) == kCmdOk) {
        DeviceState().CachedProfile.store(info[kActiveProfileByte]);
        return true;
    }
    DeviceState().CachedProfile.store(-1);
    return false;
}

void EncodeKeyTable(int profile, std::span<uint8_t, kKeyTableBufferSize> out) {
    ProfileStore& outgoing = OutgoingStore();
    std::lock_guard guard(outgoing.lock);
    const FactoryTable factory;
    if (!outgoing.block || profile < 0 || profile >= kProfileCount) {
        std::fill(out.begin(), out.end(), uint8_t{0});
        std::copy(factory.layout.defaults.begin(), factory.layout.defaults.end(), out.begin());
        return;
    }
    // Macro positions come from the working store's list, of which the outgoing list is a copy.
    EncodeKeyTableWith(*outgoing.block, profile, factory.layout, MacroIndexOf, out);
}

void DecodeKeyTable(std::span<const uint8_t> table, KeyRecordBlock& block, int area) {
    if (area < 0 || area >= kRecordAreaCount) {
        return;
    }
    const FactoryTable factory;
    DecodeKeyTableInto(table, factory.layout, block, area);
}

namespace {

// Which key tables a write sends with the macro area.
enum class TablesToSend { ActiveProfile, OneProfile, AllProfiles };

bool SendStore(TablesToSend sent, int profile, MessageSink* messages) {
    ProfileStore& working = WorkingStore();
    ProfileStore& outgoing = OutgoingStore();
    std::lock_guard workingGuard(working.lock);
    std::lock_guard outgoingGuard(outgoing.lock);
    if (!working.block || working.standIn) {
        return false;
    }
    outgoing.block.reset();
    outgoing.macros.clear();
    try {
        outgoing.block = std::make_unique<KeyRecordBlock>(*working.block);
        outgoing.macros = working.macros;
    } catch (const std::bad_alloc&) {
        return false;
    }

    const MacroAreaSize sizes = MacroAreaSizes(outgoing.macros);
    const size_t capacity = DeviceState().MacroCapacity.load();
    if (sizes.compact > capacity) {
        // The text says by how much the smallest image is too large.
        if (messages) {
            messages->ShowText("EXTRA_MACRO_TOO_LONG",
                               static_cast<long long>(sizes.compact - capacity));
        }
        return false;
    }
    const bool withNames = sizes.full <= capacity;
    const size_t areaSize = withNames ? sizes.full : sizes.compact;
    std::vector<uint8_t> area;
    try {
        area.resize(areaSize);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!EncodeMacroArea(outgoing.macros, area, areaSize, withNames)) {
        return false;
    }

    int first = 0;
    int last = kProfileCount - 1;
    if (sent != TablesToSend::AllProfiles) {
        const int target = sent == TablesToSend::OneProfile ? profile : ActiveProfile();
        // Without an active profile there is no table to send.
        if (target < 0) {
            return false;
        }
        // The other profiles' tables on the keyboard play macros by their place in the area, so
        // they are rewritten after a used macro was deleted and whenever the new area moves a
        // macro one of them plays.
        if (!MacroDeletedFlag.load() &&
            !OtherTablesNameMovedMacros(*outgoing.block, outgoing.macros, target)) {
            first = last = target;
        }
    }
    std::array<std::array<uint8_t, kKeyTableBufferSize>, kProfileCount> tables{};
    for (int p = first; p <= last; ++p) {
        EncodeKeyTable(p, tables[static_cast<size_t>(p)]);
    }

    CmdBeginSession();
    bool written = CmdWriteMacroArea(area.data(), static_cast<unsigned>(areaSize)) == kCmdOk;
    for (int p = first; p <= last; ++p) {
        written = CmdWriteKeyTable(tables[static_cast<size_t>(p)].data(),
                                   static_cast<unsigned>(p)) == kCmdOk &&
                  written;
    }
    CmdEndSession();
    // Every table on the keyboard now plays the new area's order. After a failure an area may
    // be partly written or a table left on the old order: the order is unknown then.
    NoteKeyboardMacroIds(written ? std::optional(MacroIdsOf(outgoing.macros)) : std::nullopt);
    if (!withNames && messages) {
        messages->ShowText("EXTRA_PROFILE_SPACE_TIGHT");
    }
    // A write that did not get through still owes the keyboard all three tables.
    if (written) {
        MacroDeletedFlag.store(false);
    }
    return written;
}

} // namespace

bool WriteStoreToKeyboard(ProfilesToWrite profiles, MessageSink* messages) {
    return SendStore(profiles == ProfilesToWrite::All ? TablesToSend::AllProfiles
                                                      : TablesToSend::ActiveProfile,
                     -1, messages);
}

bool WriteStoreProfileToKeyboard(int profile, MessageSink* messages) {
    if (profile < 0 || profile >= kProfileCount) {
        return false;
    }
    return SendStore(TablesToSend::OneProfile, profile, messages);
}

bool ReadKeyboardImage(std::string& image) {
    if (ActiveProfile() < 0) {
        return false;
    }
    std::array<std::array<uint8_t, kKeyTableBufferSize>, kProfileCount> tables{};
    for (int p = 0; p < kProfileCount; ++p) {
        if (CmdReadKeyTable(tables[static_cast<size_t>(p)].data(), static_cast<unsigned>(p)) !=
            kCmdOk) {
            return false;
        }
    }
    std::array<uint8_t, kMacroAreaHeaderSize> header{};
    if (CmdReadMacroArea(header.data(), kMacroAreaHeaderSize) != kCmdOk) {
        return false;
    }
    std::vector<uint8_t> area;
    if (ReadU16(header.data()) == kMacroAreaMagic) {
        const uint16_t size = ReadU16(header.data() + 2);
        area.resize(std::max<size_t>(size, kMacroAreaHeaderSize));
        std::copy(header.begin(), header.end(), area.begin());
        if (size > kMacroAreaHeaderSize && CmdReadMacroArea(area.data(), size) != kCmdOk) {
            return false;
        }
    }
    const std::vector<MacroRecord> macros = DecodeMacroArea(area);
    NoteKeyboardMacroIds(MacroIdsOf(macros));

    auto block = std::make_unique<KeyRecordBlock>();
    StampHeader(*block, static_cast<uint32_t>(macros.size()), 0, 0);
    block->info = kProfileInfoBlock;
    const size_t length = DeviceState().KeyTableLength.load();
    for (int p = 0; p < kProfileCount; ++p) {
        DecodeKeyTable(std::span<const uint8_t>(tables[static_cast<size_t>(p)].data(),
                                                std::min(length, kKeyTableBufferSize)),
                       *block, p);
    }
    image.assign(sizeof(KeyRecordBlock) + macros.size() * sizeof(MacroRecord), '\0');
    std::memcpy(image.data(), block.get(), sizeof(KeyRecordBlock));
    if (!macros.empty()) {
        std::memcpy(image.data() + sizeof(KeyRecordBlock), macros.data(),
                    macros.size() * sizeof(MacroRecord));
    }
    return true;
}

bool ReadKeyboardToFile(const std::filesystem::path& path) {
    std::string image;
    if (!ReadKeyboardImage(image)) {
        return false;
    }
    RemoveStaleTemporaries(path);
    return WriteFileAtomically(path, image);
}

bool ReloadFromKeyboard(PendingChanges pending, KeyButtonSink* buttons) {
    EnsureProfileFolder();
    const int n = ActiveProfile();
    ProfileStore& working = WorkingStore();
    bool loaded = false;
    {
        std::lock_guard guard(working.lock);
        ClearWorkingStore();
        if (n >= 0) {
            const std::filesystem::path path = ProfilePath(n);
            loaded = ReadKeyboardToFile(path) && LoadProfileFile(path);
        }
        if (!loaded) {
            ClearWorkingStore();
            MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore);
        }
        working.standIn = !loaded;
        if (buttons) {
            DescribeAllButtons(*buttons);
        }
    }
    if (pending == PendingChanges::Clear && buttons) {
        buttons->SetPendingChanges(0);
    }
    return loaded;
}

bool SaveWorkingFile(StoreLock lock) {
    ProfileStore& working = WorkingStore();
    std::unique_lock guard(working.lock, std::defer_lock);
    if (lock == StoreLock::Take) {
        guard.lock();
    }
    const int n = ActiveProfile();
    if (n < 0 || working.standIn) {
        return false;
    }
    const std::filesystem::path path = ProfilePath(n);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    return WriteProfileFile(StoreLock::HeldByCaller, path);
}

StoreWriteResult WriteStoreAndWorkingFile(ProfilesToWrite profiles, MessageSink* messages) {
    std::lock_guard guard(WorkingStore().lock);
    StoreWriteResult result;
    result.written = WriteStoreToKeyboard(profiles, messages);
    result.saved = result.written && SaveWorkingFile(StoreLock::HeldByCaller);
    return result;
}

void ForgetKeyboardMacroOrder() {
    NoteKeyboardMacroIds(std::nullopt);
}
