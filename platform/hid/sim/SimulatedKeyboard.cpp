// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/sim/SimKeyboardCore.h"

#include <algorithm>
#include <atomic>

// The simulated keyboard's controls for tests and tools: its memory, the faults it can show,
// the user's actions on it and boot mode.

namespace {

std::atomic<unsigned> nextInstance{0};

} // namespace

SimulatedKeyboard::SimulatedKeyboard(const SimKeyboardModel& model)
    : core_(std::make_shared<Core>()) {
    const SimKeyboardModel* known = FindKeyboardModel(model.vendorId, model.productId);
    core_->model = known != nullptr ? *known : kSimModel5004;
    const unsigned instance = nextInstance.fetch_add(1);
    const std::string ids = HidIdsQuery(core_->model.vendorId, core_->model.productId);
    for (size_t i = 0; i < core_->paths.size(); ++i) {
        core_->paths[i] = "simkbd" + std::to_string(instance) + "/input" + std::to_string(i) + ids;
    }
    core_->factory = SimFactoryKeyTable(core_->model);
    core_->memory = FactorySimKeyboardMemory(core_->model);
}

SimulatedKeyboard::~SimulatedKeyboard() {
    std::lock_guard lock(core_->mutex);
    core_->EndSession();
    core_->alive = false;
    core_->changed.notify_all();
}

const SimKeyboardModel& SimulatedKeyboard::Model() const {
    return core_->model; // fixed at construction
}

SimKeyboardMemory SimulatedKeyboard::Memory() const {
    std::lock_guard lock(core_->mutex);
    return core_->memory;
}

bool SimulatedKeyboard::SetMemory(const SimKeyboardMemory& memory) {
    std::lock_guard lock(core_->mutex);
    if (memory.model != core_->model ||
        memory.keyTables.size() != kSimProfileCount * core_->model.keyTableLength ||
        memory.macroArea.size() != memory.infoBlock[kSimFirstFirmwareByte] * kSimMacroUnit) {
        return false;
    }
    core_->memory = memory;
    core_->MemoryChanged();
    return true;
}

std::array<uint8_t, kSimInfoBlockSize> SimulatedKeyboard::InfoBlock() const {
    std::lock_guard lock(core_->mutex);
    return core_->memory.infoBlock;
}

void SimulatedKeyboard::SetInfoBlock(const std::array<uint8_t, kSimInfoBlockSize>& block) {
    std::lock_guard lock(core_->mutex);
    core_->memory.infoBlock = block;
    core_->memory.macroArea.resize(block[kSimFirstFirmwareByte] * kSimMacroUnit, 0);
    core_->MemoryChanged();
}

int SimulatedKeyboard::ActiveProfile() const {
    std::lock_guard lock(core_->mutex);
    return core_->memory.infoBlock[kSimActiveProfileByte];
}

std::array<uint8_t, kSimLightAreaSize> SimulatedKeyboard::LightArea() const {
    std::lock_guard lock(core_->mutex);
    return core_->memory.lightArea;
}

std::array<uint8_t, kSimLightRecordSize> SimulatedKeyboard::LightRecord(int profile) const {
    std::array<uint8_t, kSimLightRecordSize> record{};
    if (profile < 0 || profile >= static_cast<int>(kSimProfileCount)) {
        return record;
    }
    std::lock_guard lock(core_->mutex);
    SimFetch(core_->memory.lightArea, static_cast<size_t>(profile) * kSimLightRecordSize,
             record.data(), record.size());
    return record;
}

void SimulatedKeyboard::SetLightArea(const std::array<uint8_t, kSimLightAreaSize>& area) {
    std::lock_guard lock(core_->mutex);
    core_->memory.lightArea = area;
    core_->MemoryChanged();
}

std::vector<uint8_t> SimulatedKeyboard::KeyTable(int profile) const {
    if (profile < 0 || profile >= static_cast<int>(kSimProfileCount)) {
        return {};
    }
    std::lock_guard lock(core_->mutex);
    const size_t length = core_->model.keyTableLength;
    const auto first = core_->memory.keyTables.begin() +
                       static_cast<ptrdiff_t>(static_cast<size_t>(profile) * length);
    return std::vector<uint8_t>(first, first + static_cast<ptrdiff_t>(length));
}

bool SimulatedKeyboard::SetKeyTable(int profile, const std::vector<uint8_t>& table) {
    std::lock_guard lock(core_->mutex);
    const size_t length = core_->model.keyTableLength;
    if (profile < 0 || profile >= static_cast<int>(kSimProfileCount) || table.size() != length) {
        return false;
    }
    std::copy(table.begin(), table.end(),
              core_->memory.keyTables.begin() +
                  static_cast<ptrdiff_t>(static_cast<size_t>(profile) * length));
    core_->MemoryChanged();
    return true;
}

std::vector<uint8_t> SimulatedKeyboard::MacroArea() const {
    std::lock_guard lock(core_->mutex);
    return core_->memory.macroArea;
}

size_t SimulatedKeyboard::MacroCapacity() const {
    std::lock_guard lock(core_->mutex);
    return core_->memory.macroArea.size();
}

bool SimulatedKeyboard::SetMacroArea(const std::vector<uint8_t>& area) {
    std::lock_guard lock(core_->mutex);
    auto& macro = core_->memory.macroArea;
    if (area.size() > macro.size()) {
        return false;
    }
    std::fill(std::copy(area.begin(), area.end(), macro.begin()), macro.end(), 0);
    core_->MemoryChanged();
    return true;
}

std::vector<uint8_t> SimulatedKeyboard::FactoryKeyTable() const {
    return core_->factory; // fixed at construction
}

std::array<uint8_t, kSimKeyColourBankSize> SimulatedKeyboard::KeyColourBank(int profile) const {
    std::array<uint8_t, kSimKeyColourBankSize> bank{};
    if (profile < 0 || profile >= static_cast<int>(kSimProfileCount)) {
        return bank;
    }
    std::lock_guard lock(core_->mutex);
    SimFetch(core_->memory.colourBanks, static_cast<size_t>(profile) * kSimKeyColourBankSize,
             bank.data(), bank.size());
    return bank;
}

bool SimulatedKeyboard::SetKeyColourBank(int profile,
                                         const std::array<uint8_t, kSimKeyColourBankSize>& bank) {
    if (profile < 0 || profile >= static_cast<int>(kSimProfileCount)) {
        return false;
    }
    std::lock_guard lock(core_->mutex);
    SimStore(core_->memory.colourBanks, static_cast<size_t>(profile) * kSimKeyColourBankSize,
             bank.data(), bank.size());
    core_->MemoryChanged();
    return true;
}

bool SimulatedKeyboard::SessionOpen() const {
    std::lock_guard lock(core_->mutex);
    return core_->session;
}

std::vector<SimFrame> SimulatedKeyboard::FrameLog() const {
    std::lock_guard lock(core_->mutex);
    return std::vector<SimFrame>(core_->log.begin(), core_->log.end());
}

std::vector<SimFrame> SimulatedKeyboard::RequestLog() const {
    std::lock_guard lock(core_->mutex);
    std::vector<SimFrame> frames;
    std::copy_if(core_->log.begin(), core_->log.end(), std::back_inserter(frames),
                 [](const SimFrame& f) { return f.direction == SimFrameDirection::ToKeyboard; });
    return frames;
}

std::vector<SimFrame> SimulatedKeyboard::ReplyLog() const {
    std::lock_guard lock(core_->mutex);
    std::vector<SimFrame> frames;
    std::copy_if(core_->log.begin(), core_->log.end(), std::back_inserter(frames),
                 [](const SimFrame& f) { return f.direction == SimFrameDirection::FromKeyboard; });
    return frames;
}

void SimulatedKeyboard::ClearFrameLog() {
    std::lock_guard lock(core_->mutex);
    core_->log.clear();
}

void SimulatedKeyboard::Unplug() {
    std::lock_guard lock(core_->mutex);
    core_->plugged = false;
    core_->Vanish();
}

void SimulatedKeyboard::Replug() {
    std::lock_guard lock(core_->mutex);
    if (!core_->plugged) {
        core_->plugged = true;
        core_->InterfacesChanged();
    }
}

bool SimulatedKeyboard::IsPlugged() const {
    std::lock_guard lock(core_->mutex);
    return core_->plugged;
}

void SimulatedKeyboard::DropNextReplies(unsigned count) {
    std::lock_guard lock(core_->mutex);
    core_->dropReplies = count;
}

void SimulatedKeyboard::AnswerWithStatus(uint8_t status, unsigned count) {
    std::lock_guard lock(core_->mutex);
    core_->forcedStatus = status;
    core_->forcedCount = count;
}

void SimulatedKeyboard::DelayReplies(uint32_t ms) {
    std::lock_guard lock(core_->mutex);
    core_->delayMs = ms;
}

void SimulatedKeyboard::FailWrites(unsigned count) {
    std::lock_guard lock(core_->mutex);
    core_->failWrites = count;
}

void SimulatedKeyboard::ScheduleFault(SimFault fault, unsigned requestsBefore, unsigned count) {
    std::lock_guard lock(core_->mutex);
    core_->scheduled = Core::ScheduledFault{fault, requestsBefore, count};
}

bool SimulatedKeyboard::FaultPending() const {
    std::lock_guard lock(core_->mutex);
    return core_->scheduled.has_value();
}

void SimulatedKeyboard::SetInstantTimeouts(bool on) {
    std::lock_guard lock(core_->mutex);
    core_->instantTimeouts = on;
    core_->changed.notify_all();
}

int SimulatedKeyboard::PushConsumerNotice(uint16_t usage) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    return core_->Present() ? core_->Notice(usage) : 0;
}

int SimulatedKeyboard::TypeKey(uint8_t usage) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    if (!core_->Present()) {
        return 0;
    }
    const int reached = core_->KeyboardReport({usage});
    core_->KeyboardReport({});
    return reached;
}

int SimulatedKeyboard::SendKeyboardReport(const std::vector<uint8_t>& usagesDown) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    return core_->Present() ? core_->KeyboardReport(usagesDown) : 0;
}

bool SimulatedKeyboard::ChangeProfileOnKeyboard(int profile) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    if (profile < 0 || profile >= static_cast<int>(kSimProfileCount) || !core_->Present()) {
        return false;
    }
    core_->memory.infoBlock[kSimActiveProfileByte] = static_cast<uint8_t>(profile);
    core_->MemoryChanged();
    core_->Notice(kSimNoticeProfileChanged);
    core_->Notice(kSimNoticeReleased);
    return true;
}

bool SimulatedKeyboard::ChangeLightByteOnKeyboard(size_t offset, uint8_t value) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    if (offset >= kSimLightAreaSize || !core_->Present()) {
        return false;
    }
    core_->memory.lightArea[offset] = value;
    core_->MemoryChanged();
    core_->Notice(kSimNoticeLightingChanged);
    core_->Notice(kSimNoticeReleased);
    return true;
}

void SimulatedKeyboard::EnterBootMode() {
    std::lock_guard lock(core_->mutex);
    core_->EnterBoot();
}

void SimulatedKeyboard::ReturnFromBootMode() {
    std::lock_guard lock(core_->mutex);
    if (core_->boot) {
        core_->LeaveBoot();
    }
}

bool SimulatedKeyboard::InBootMode() const {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    return core_->boot;
}

void SimulatedKeyboard::SetBootModeDuration(std::optional<uint32_t> ms) {
    std::lock_guard lock(core_->mutex);
    core_->bootDuration = ms;
}

unsigned SimulatedKeyboard::BootRequestCount() const {
    std::lock_guard lock(core_->mutex);
    return core_->bootRequests;
}
