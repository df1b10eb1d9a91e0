// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/Protocol.h"

#include "device/CHidDevice.h"
#include "device/DeviceState.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

constexpr uint32_t kWriteTimeoutMs = 1000;
constexpr uint32_t kReadTimeoutMs = 300;
constexpr int kMaxWrites = 4;
// Enough to empty any backlog a keyboard can build; bounds the loop if input never stops.
constexpr int kMaxDiscardedReports = 256;
constexpr unsigned kOffsetLimit = 0x10000;

std::atomic<ReportTrace*> gTrace{nullptr};

enum class ReportDirection { ToKeyboard, FromKeyboard };

void Trace(ReportDirection direction, const uint8_t* report, size_t length) {
    if (ReportTrace* trace = gTrace.load(std::memory_order_acquire)) {
        trace->OnReport(direction == ReportDirection::ToKeyboard, report, length);
    }
}

// Reads with zero timeout until nothing is waiting, so that a reply which came after its
// request gave up is not paired with the next request. Called under DeviceIoLock.
void DiscardPendingInput(CHidDevice& device) {
    uint8_t stale[kReportLength];
    size_t got = 0;
    for (int i = 0; i < kMaxDiscardedReports && device.ReadReport(stale, sizeof stale, &got, 0);
         ++i) {
        Trace(ReportDirection::FromKeyboard, stale, got);
    }
}

// 1 for a reply status that counts as success, else the status's result code.
int StatusResult(const ReportFrame& reply) {
    switch (reply.Status()) {
    case kReplyStatusFF:
        return kCmdStatusFF;
    case kReplyStatusFE:
        return kCmdStatusFE;
    default:
        return kCmdOk;
    }
}

int Transact(ReportFrame& request, ReportFrame& reply) {
    return TransactReport(request.bytes.data(), kReportLength, reply.bytes.data(), kReportLength,
                          nullptr);
}

// One request of commands 1 to 6, 13 and 17. The reply's payload goes to `out` (copyLength
// bytes) only on success.
int SingleCommand(uint8_t command, uint8_t length, uint16_t offset, const uint8_t* payload,
                  size_t payloadLength, uint8_t* out = nullptr, size_t copyLength = 0) {
    if (DeviceState().DeviceOpen.load() == 0) {
        return kCmdNoReply;
    }
    ReportFrame request = ReportFrame::Request(command, length, offset, payload, payloadLength);
    ReportFrame reply;
    const int result = Transact(request, reply);
    if (result != kCmdOk) {
        return result;
    }
    const int status = StatusResult(reply);
    if (status == kCmdOk && out != nullptr) {
        std::memcpy(out, reply.Payload(), copyLength);
    }
    return status;
}

// Commands 7, 8, 9, 10 and 15: `total` bytes from `base` in pieces of 56. The frame is built
// once; a short last piece leaves the previous piece's tail in the payload, as the keyboard
// has always received it.
int ChunkedTransfer(uint8_t command, unsigned base, unsigned total, const uint8_t* source,
                    uint8_t* destination) {
    if (DeviceState().DeviceOpen.load() == 0) {
        return kCmdNoReply;
    }
    // A 16-bit offset field cannot address more; truncating it would move the wrong bytes.
    if (base > kOffsetLimit || total > kOffsetLimit - base) {
        return kCmdWriteFailed;
    }
    ReportFrame request;
    request.bytes[0] = kConfigReportId;
    request.bytes[3] = command;
    if (total == 0) {
        return kCmdOk;
    }
    ReportFrame reply;
    for (unsigned done = 0; done < total; done += kReportPayloadLength) {
        const unsigned piece =
            done + kReportPayloadLength < total ? unsigned{kReportPayloadLength} : total - done;
        request.bytes[4] = static_cast<uint8_t>(piece);
        request.SetOffset(static_cast<uint16_t>(base + done));
        if (source != nullptr) {
            std::memcpy(request.Payload(), source + done, piece);
        }
        request.StoreChecksum();
        const int result = Transact(request, reply);
        if (result != kCmdOk) {
            return result;
        }
        const int status = StatusResult(reply);
        if (status != kCmdOk) {
            return status;
        }
        if (destination != nullptr) {
            std::memcpy(destination + done, reply.Payload(), piece);
        }
    }
    return kCmdOk;
}

bool FitsOffset(long long offset) {
    return offset >= 0 && offset < kOffsetLimit;
}

} // namespace

uint16_t ReportFrame::ComputeChecksum() const {
    uint32_t sum = 0;
    for (size_t i = 3; i < kReportLength; ++i) {
        sum += bytes[i];
    }
    return static_cast<uint16_t>(sum & 0xFFFF);
}

void ReportFrame::StoreChecksum() {
    const uint16_t sum = ComputeChecksum();
    bytes[1] = static_cast<uint8_t>(sum & 0xFF);
    bytes[2] = static_cast<uint8_t>(sum >> 8);
}

ReportFrame ReportFrame::Request(uint8_t command, uint8_t length, uint16_t offset,
                                 const uint8_t* payload, size_t payloadLength) {
    ReportFrame frame;
    frame.bytes[0] = kConfigReportId;
    frame.bytes[3] = command;
    frame.bytes[4] = length;
    frame.SetOffset(offset);
    frame.bytes[7] = 0;
    if (payload != nullptr) {
        std::memcpy(frame.Payload(), payload, std::min(payloadLength, kReportPayloadLength));
    }
    frame.StoreChecksum();
    return frame;
}

int TransactReport(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                   size_t* bytesRead) {
    if (bytesRead != nullptr) {
        *bytesRead = 0;
    }
    DeviceStateRecord& state = DeviceState();
    if (state.DeviceOpen.load() == 0) {
        return kCmdNoReply;
    }
    uint8_t out[kReportLength] = {};
    std::memcpy(out, request, std::min(requestLength, kReportLength));

    // One lock for the writes, reads and retries: the keyboard pairs replies by order alone.
    std::lock_guard lock(state.DeviceIoLock);
    CHidDevice& device = ConfigDevice();
    for (int attempt = 0; attempt < kMaxWrites; ++attempt) {
        DiscardPendingInput(device);
        if (device.WriteReport(out, kReportLength, nullptr, kWriteTimeoutMs) == 0) {
            return kCmdWriteFailed;
        }
        Trace(ReportDirection::ToKeyboard, out, kReportLength);
        // Read into our own buffer: a short reply must not leave the caller's old bytes in
        // place of the status and payload.
        uint8_t in[kReportLength] = {};
        size_t got = 0;
        if (device.ReadReport(in, kReportLength, &got, kReadTimeoutMs) != 0) {
            Trace(ReportDirection::FromKeyboard, in, got);
            if (bytesRead != nullptr) {
                *bytesRead = got;
            }
            if (reply != nullptr) {
                std::memcpy(reply, in, std::min(replyLength, kReportLength));
                if (replyLength > kReportLength) {
                    std::memset(reply + kReportLength, 0, replyLength - kReportLength);
                }
            }
            return kCmdOk;
        }
    }
    return kCmdNoReply;
}

int SendReportOnly(const uint8_t* request, size_t requestLength) {
    DeviceStateRecord& state = DeviceState();
    if (state.DeviceOpen.load() == 0) {
        return 0;
    }
    uint8_t out[kReportLength] = {};
    std::memcpy(out, request, std::min(requestLength, kReportLength));
    std::lock_guard lock(state.DeviceIoLock);
    if (ConfigDevice().WriteReport(out, kReportLength, nullptr, kWriteTimeoutMs) == 0) {
        return 0;
    }
    Trace(ReportDirection::ToKeyboard, out, kReportLength);
    return 1;
}

void SetReportTrace(ReportTrace* trace) {
    // Under the lock: once this returns, no command is still inside the previous trace.
    std::lock_guard lock(DeviceState().DeviceIoLock);
    gTrace.store(trace, std::memory_order_release);
}

int CmdBeginSession() {
    return SingleCommand(CmdCode::BeginSession, 0, 0, nullptr, 0);
}

int CmdEndSession() {
    if (DeviceState().DeviceOpen.load() == 0) {
        return kCmdNoReply;
    }
    // The keyboard needs a moment after the last write before it closes the session.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return SingleCommand(CmdCode::EndSession, 0, 0, nullptr, 0);
}

int CmdReadInfoBlock(uint8_t* out) {
    return SingleCommand(CmdCode::ReadInfoBlock, kInfoBlockLength, 0, nullptr, 0, out,
                         kInfoBlockLength);
}

int CmdWriteInfoBlock(const uint8_t* in) {
    return SingleCommand(CmdCode::WriteInfoBlock, kInfoBlockLength, 0, in, kInfoBlockLength);
}

int CmdReadLightData(uint8_t* out, int length, int offset) {
    if (DeviceState().DeviceOpen.load() == 0) {
        return kCmdNoReply;
    }
    if (length < 0 || length > static_cast<int>(kReportPayloadLength) || !FitsOffset(offset)) {
        return kCmdWriteFailed;
    }
    return SingleCommand(CmdCode::ReadLightData, static_cast<uint8_t>(length),
                         static_cast<uint16_t>(offset), nullptr, 0, out, kReportPayloadLength);
}

int CmdWriteLightData(const uint8_t* data, int length, int offset) {
    if (DeviceState().DeviceOpen.load() == 0) {
        return kCmdNoReply;
    }
    // A longer payload does not fit the report; copying it would overrun the frame.
    if (length > static_cast<int>(kReportPayloadLength) || !FitsOffset(offset)) {
        return kCmdWriteFailed;
    }
    const size_t count = length > 0 ? static_cast<size_t>(length) : 0;
    return SingleCommand(CmdCode::WriteLightData, static_cast<uint8_t>(std::max(length, 0)),
                         static_cast<uint16_t>(offset), data, count);
}

int CmdReadKeyTable(uint8_t* out, unsigned profile) {
    if (DeviceState().DeviceOpen.load() == 0) {
        return kCmdNoReply;
    }
    if (profile >= 3) {
        return kCmdBadProfile;
    }
    const unsigned length = DeviceState().KeyTableLength.load();
    return ChunkedTransfer(CmdCode::ReadKeyTable, profile * length, length, nullptr, out);
}

int CmdWriteKeyTable(const uint8_t* in, unsigned profile) {
    if (DeviceState().DeviceOpen.load() == 0) {
        return kCmdNoReply;
    }
    if (profile >= 3) {
        return kCmdBadProfile;
    }
    const unsigned length = DeviceState().KeyTableLength.load();
    return ChunkedTransfer(CmdCode::WriteKeyTable, profile * length, length, in, nullptr);
}

int CmdReadMacroArea(uint8_t* out, unsigned n) {
    return ChunkedTransfer(CmdCode::ReadMacroArea, 0, n, nullptr, out);
}

int CmdWriteMacroArea(const uint8_t* in, unsigned n) {
    return ChunkedTransfer(CmdCode::WriteMacroArea, 0, n, in, nullptr);
}

int CmdTest() {
    return SingleCommand(CmdCode::Test, 0, 0, nullptr, 0);
}

int CmdReadDefaultKeyTable(uint8_t* out) {
    return ChunkedTransfer(CmdCode::ReadDefaultKeyTable, 0, DeviceState().KeyTableLength.load(),
                           nullptr, out);
}

int CmdWriteKeyColours(const uint8_t* data, int length, int firstKey) {
    DeviceStateRecord& state = DeviceState();
    if (state.DeviceOpen.load() == 0) {
        return kCmdNoReply;
    }
    const long long offset = static_cast<long long>(state.CurrentProfile.load()) *
                                 static_cast<long long>(kKeyColourBankStride) +
                             3LL * firstKey;
    if (length > static_cast<int>(kReportPayloadLength) || firstKey < 0 || !FitsOffset(offset)) {
        return kCmdWriteFailed;
    }
    const size_t count = length > 0 ? static_cast<size_t>(length) : 0;
    return SingleCommand(CmdCode::WriteKeyColours, static_cast<uint8_t>(std::max(length, 0)),
                         static_cast<uint16_t>(offset), data, count);
}

int CmdEnterBootMode() {
    // No checksum: the boot loader takes this frame as it stands.
    ReportFrame request;
    request.bytes[0] = kConfigReportId;
    request.bytes[3] = CmdCode::EnterBootMode;
    request.bytes[4] = CmdCode::EnterBootMode;
    return SendReportOnly(request.bytes.data(), kReportLength);
}
