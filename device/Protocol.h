// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The command protocol of the configuration interface: one 64-byte request, one 64-byte reply,
// paired by order only. Every operation returns an int result code (below). All of them go
// through ConfigDevice() under DeviceState().DeviceIoLock and do nothing while
// DeviceState().DeviceOpen is clear.

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr size_t kReportLength = 64;
inline constexpr size_t kReportPayloadLength = 56; // bytes 8..63
inline constexpr uint8_t kConfigReportId = 4;
inline constexpr size_t kInfoBlockLength = 44;
inline constexpr size_t kLightRecordLength = 42; // records at 0, 42 and 84
inline constexpr size_t kKeyColourBankStride = 512;
inline constexpr uint8_t kReplyStatusFF = 0xFF;
inline constexpr uint8_t kReplyStatusFE = 0xFE;

// Result codes.
inline constexpr int kCmdOk = 1;
inline constexpr int kCmdNoReply = 0;       // DeviceOpen clear, or no reply after four writes
inline constexpr int kCmdWriteFailed = -1;  // the request could not be written
inline constexpr int kCmdStatusFF = -102;   // reply status 0xFF
inline constexpr int kCmdStatusFE = -103;   // reply status 0xFE
inline constexpr int kCmdBadProfile = -201; // profile index 3 or more; nothing sent

// Command codes (byte 3).
namespace CmdCode {
inline constexpr uint8_t BeginSession = 1;
inline constexpr uint8_t EndSession = 2;
inline constexpr uint8_t ReadInfoBlock = 3;
inline constexpr uint8_t WriteInfoBlock = 4;
inline constexpr uint8_t ReadLightData = 5;
inline constexpr uint8_t WriteLightData = 6;
inline constexpr uint8_t ReadKeyTable = 7;
inline constexpr uint8_t WriteKeyTable = 8;
inline constexpr uint8_t ReadMacroArea = 9;
inline constexpr uint8_t WriteMacroArea = 10;
inline constexpr uint8_t Test = 13;
inline constexpr uint8_t ReadDefaultKeyTable = 15;
inline constexpr uint8_t WriteKeyColours = 17;
inline constexpr uint8_t EnterBootMode = 0xEE;
} // namespace CmdCode

// The 64-byte report in both directions: byte 0 report id, 1-2 checksum (little-endian sum of
// bytes 3..63, 16 bits), 3 command, 4 length, 5-6 offset (little-endian), 7 status, 8-63
// payload.
struct ReportFrame {
    std::array<uint8_t, kReportLength> bytes{};

    uint8_t ReportId() const { return bytes[0]; }
    uint16_t Checksum() const { return static_cast<uint16_t>(bytes[1] | (bytes[2] << 8)); }
    uint8_t Command() const { return bytes[3]; }
    uint8_t Length() const { return bytes[4]; }
    uint16_t Offset() const { return static_cast<uint16_t>(bytes[5] | (bytes[6] << 8)); }
    uint8_t Status() const { return bytes[7]; }
    uint8_t* Payload() { return bytes.data() + 8; }
    const uint8_t* Payload() const { return bytes.data() + 8; }

    void SetOffset(uint16_t offset) {
        bytes[5] = static_cast<uint8_t>(offset & 0xFF);
        bytes[6] = static_cast<uint8_t>(offset >> 8);
    }
    // The sum of bytes 3..63 as unsigned bytes, truncated to 16 bits.
    uint16_t ComputeChecksum() const;
    // Stores ComputeChecksum() in bytes 1-2; call it last.
    void StoreChecksum();

    // A request: report id 4, the command, length and offset, status 0, `payloadLength` bytes
    // of payload (at most 56) and every other byte 0, with its checksum.
    static ReportFrame Request(uint8_t command, uint8_t length, uint16_t offset,
                               const uint8_t* payload = nullptr, size_t payloadLength = 0);
};

// Sees every report moved on the configuration interface, in order: each request written and
// each report read (also stale ones that were discarded). Called under DeviceIoLock, so it must
// not issue commands itself.
class ReportTrace {
public:
    virtual ~ReportTrace() = default;
    virtual void OnReport(bool toKeyboard, const uint8_t* report, size_t length) = 0;
};
// Installs `trace` (nullptr: none). It must outlive every command issued while installed.
void SetReportTrace(ReportTrace* trace);

// Transport. `request` is zero-filled to 64 bytes when shorter. Writes it (1000 ms) and reads
// one reply (300 ms), writing the same request again up to four writes in all; the whole
// exchange holds DeviceIoLock. Input reports already waiting are discarded before each write,
// so a late reply is never taken for the answer to a later request. Returns 1, 0 (closed or no
// reply) or -1 (write failed, no retry). `bytesRead` may be null.
int TransactReport(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                   size_t* bytesRead);
// One write (1000 ms) of a zero-filled 64-byte report, no reply, no retry. Nonzero when written.
int SendReportOnly(const uint8_t* request, size_t requestLength);

// Commands. Writes are bracketed by CmdBeginSession and CmdEndSession.
int CmdBeginSession();
int CmdEndSession();                      // sent after a 10 ms pause
int CmdReadInfoBlock(uint8_t* out);       // 44 bytes, copied only on success
int CmdWriteInfoBlock(const uint8_t* in); // 44 bytes
// out: 56 bytes, all of the reply payload whatever the length. length 0..56 and an offset that
// fits 16 bits, else -1 without traffic.
int CmdReadLightData(uint8_t* out, int length, int offset);
// The first `length` bytes of data (none when length <= 0); length above 56 or an offset that
// does not fit 16 bits: -1 without traffic.
int CmdWriteLightData(const uint8_t* data, int length, int offset);
// KeyTableLength bytes of profile 0..2 (else -201 without traffic), in pieces of 56.
int CmdReadKeyTable(uint8_t* out, unsigned profile);
int CmdWriteKeyTable(const uint8_t* in, unsigned profile);
// n bytes from offset 0 of the macro area; n = 0 sends nothing and returns 1. An area that
// would reach beyond offset 0xFFFF: -1 without traffic.
int CmdReadMacroArea(uint8_t* out, unsigned n);
int CmdWriteMacroArea(const uint8_t* in, unsigned n);
int CmdTest();
// KeyTableLength bytes of the factory key table.
int CmdReadDefaultKeyTable(uint8_t* out);
// The first `length` bytes of data (at most 56) for the keys from `firstKey` on, in the bank of
// CurrentProfile at the time of the call (offset CurrentProfile x 512 + 3 x firstKey).
int CmdWriteKeyColours(const uint8_t* data, int length, int firstKey);
// The boot request: bytes 0, 3 and 4 are 4, 0xEE, 0xEE and all others 0 (no checksum); no
// reply is read. 1 when written, 0 otherwise.
int CmdEnterBootMode();
