// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/sim/SimKeyboardCore.h"

#include <algorithm>

// The firmware's side of the configuration interface: a request frame in, the command carried
// out on the memory, one reply frame out (or the fault armed for it).

namespace {

constexpr size_t kMaxPayload = 56;
constexpr size_t kPayloadOffset = 8;
constexpr uint8_t kConfigReportId = 4;
constexpr size_t kMaxLoggedFrames = 65536;

uint16_t FrameChecksum(const uint8_t* frame) {
    unsigned sum = 0;
    for (size_t i = 3; i < kSimFrameSize; ++i) {
        sum += frame[i];
    }
    return static_cast<uint16_t>(sum);
}

bool IsFailureStatus(uint8_t status) {
    return status == kSimStatusBadFrame || status == kSimStatusRefused;
}

} // namespace

bool SimulatedKeyboard::Core::ReachScheduledFault() {
    if (!scheduled) {
        return true;
    }
    if (scheduled->requestsBefore > 0) {
        --scheduled->requestsBefore;
        return true;
    }
    const ScheduledFault due = *scheduled;
    scheduled.reset();
    switch (due.fault) {
    case SimFault::Unplug:
        plugged = false;
        Vanish();
        return false;
    case SimFault::DropReplies:
        dropReplies = due.count;
        break;
    case SimFault::StatusFF:
        forcedStatus = kSimStatusRefused;
        forcedCount = due.count;
        break;
    case SimFault::StatusFE:
        forcedStatus = kSimStatusBadFrame;
        forcedCount = due.count;
        break;
    case SimFault::FailWrite:
        failWrites = due.count;
        break;
    }
    return true;
}

void SimulatedKeyboard::Core::Log(SimFrameDirection direction, const uint8_t* bytes) {
    SimFrame frame;
    frame.direction = direction;
    std::copy_n(bytes, kSimFrameSize, frame.bytes.begin());
    log.push_back(frame);
    if (log.size() > kMaxLoggedFrames) {
        log.pop_front();
    }
}

uint8_t SimulatedKeyboard::Core::Execute(uint8_t command, size_t length, size_t offset,
                                         const uint8_t* in, uint8_t* out, bool& memoryChanged) {
    const auto fits = [&](size_t size) { return offset + length <= size; };
    auto& info = memory.infoBlock;
    switch (command) {
    case kSimCmdBeginSession:
        session = true;
        return kSimStatusOk;
    case kSimCmdEndSession:
        EndSession();
        return kSimStatusOk;
    case kSimCmdTest:
        return kSimStatusOk;
    case kSimCmdReadInfoBlock:
        if (!fits(info.size())) {
            return kSimStatusRefused;
        }
        SimFetch(info, offset, out, length);
        return kSimStatusOk;
    case kSimCmdWriteInfoBlock: {
        if (!fits(info.size())) {
            return kSimStatusRefused;
        }
        if (offset <= kSimActiveProfileByte && kSimActiveProfileByte < offset + length &&
            in[kSimActiveProfileByte - offset] >= kSimProfileCount) {
            return kSimStatusRefused;
        }
        const size_t end = std::min(offset + length, kSimFirstFirmwareByte);
        if (offset < end) {
            memoryChanged |= SimStore(info, offset, in, end - offset);
        }
        return kSimStatusOk;
    }
    case kSimCmdReadLightData:
        if (!fits(kSimLightPageSize)) {
            return kSimStatusRefused;
        }
        for (size_t i = 0; i < length; ++i) {
            out[i] = offset + i < memory.lightArea.size() ? memory.lightArea[offset + i] : 0;
        }
        return kSimStatusOk;
    case kSimCmdWriteLightData:
        if (!fits(memory.lightArea.size())) {
            return kSimStatusRefused;
        }
        memoryChanged |= SimStore(memory.lightArea, offset, in, length);
        return kSimStatusOk;
    case kSimCmdReadKeyTable:
        if (!fits(memory.keyTables.size())) {
            return kSimStatusRefused;
        }
        SimFetch(memory.keyTables, offset, out, length);
        return kSimStatusOk;
    case kSimCmdWriteKeyTable:
        if (!fits(memory.keyTables.size())) {
            return kSimStatusRefused;
        }
        memoryChanged |= SimStore(memory.keyTables, offset, in, length);
        return kSimStatusOk;
    case kSimCmdReadMacroArea:
        if (!fits(memory.macroArea.size())) {
            return kSimStatusRefused;
        }
        SimFetch(memory.macroArea, offset, out, length);
        return kSimStatusOk;
    case kSimCmdWriteMacroArea:
        if (!fits(memory.macroArea.size())) {
            return kSimStatusRefused;
        }
        memoryChanged |= SimStore(memory.macroArea, offset, in, length);
        return kSimStatusOk;
    case kSimCmdReadDefaultKeyTable:
        if (!fits(factory.size())) {
            return kSimStatusRefused;
        }
        SimFetch(factory, offset, out, length);
        return kSimStatusOk;
    case kSimCmdReadKeyColours:
        if (!fits(memory.colourBanks.size())) {
            return kSimStatusRefused;
        }
        SimFetch(memory.colourBanks, offset, out, length);
        return kSimStatusOk;
    case kSimCmdWriteKeyColours:
        if (!fits(memory.colourBanks.size())) {
            return kSimStatusRefused;
        }
        memoryChanged |= SimStore(memory.colourBanks, offset, in, length);
        return kSimStatusOk;
    default:
        return kSimStatusBadFrame;
    }
}

void SimulatedKeyboard::Core::HandleFrame(const uint8_t* frame) {
    Log(SimFrameDirection::ToKeyboard, frame);
    if (frame[0] != kConfigReportId) {
        return; // a report of no collection of this interface
    }
    if (frame[3] == kSimCmdEnterBootMode && frame[4] == kSimCmdEnterBootMode) {
        ++bootRequests;
        EnterBoot();
        return;
    }

    std::array<uint8_t, kSimFrameSize> reply{};
    reply[0] = kConfigReportId;
    std::copy_n(frame + 3, 4, reply.begin() + 3); // command, length, offset
    const uint8_t command = frame[3];
    const size_t length = frame[4];
    const size_t offset = static_cast<size_t>(frame[5] | (frame[6] << 8));

    const bool forced = forcedCount > 0;
    const uint8_t forcedValue = forcedStatus;
    if (forced) {
        Consume(forcedCount);
    }
    bool memoryChanged = false;
    uint8_t status = kSimStatusOk;
    if (FrameChecksum(frame) != (frame[1] | (frame[2] << 8)) || length > kMaxPayload) {
        status = kSimStatusBadFrame;
    } else if (forced && IsFailureStatus(forcedValue)) {
        status = forcedValue; // refused: not carried out
    } else {
        status = Execute(command, length, offset, frame + kPayloadOffset,
                         reply.data() + kPayloadOffset, memoryChanged);
    }
    if (forced) {
        status = forcedValue;
    }
    if (IsFailureStatus(status)) {
        std::fill(reply.begin() + kPayloadOffset, reply.end(), 0);
    }
    reply[7] = status;
    const uint16_t sum = FrameChecksum(reply.data());
    reply[1] = static_cast<uint8_t>(sum & 0xFF);
    reply[2] = static_cast<uint8_t>(sum >> 8);

    if (dropReplies > 0) {
        Consume(dropReplies);
    } else {
        Log(SimFrameDirection::FromKeyboard, reply.data());
        Deliver(SimInterface::Configuration, reply.data(), kSimFrameSize,
                SimClock::now() + std::chrono::milliseconds(delayMs));
    }
    if (memoryChanged) {
        MemoryChanged();
    }
}
