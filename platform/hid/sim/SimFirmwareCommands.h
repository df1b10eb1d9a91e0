// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the simulated keyboard's firmware understands on its configuration interface.
//
// Configuration frames (both directions): byte 0 report id 4, bytes 1-2 checksum (16-bit
// little-endian sum of bytes 3..63), byte 3 command, byte 4 length (<= 56), bytes 5-6 offset
// (little-endian), byte 7 status, bytes 8..63 payload. Every request is answered with one frame
// (exceptions below): id 4, the request's command, length and offset, the status, for reads the
// data in the first `length` payload bytes (the rest zero), and its own checksum. Status bytes:
//   0x00  done
//   0xFE  frame refused: checksum wrong, unknown command, or length above 56
//   0xFF  request refused: offset + length beyond the addressed area, or a value the keyboard
//         cannot take (active profile 3 or more); nothing is changed
// A frame whose byte 0 is not 4 is not meant for this interface: it is logged and ignored
// (no reply). The boot request (bytes 3 and 4 both 0xEE; it carries no checksum) gets no reply:
// the keyboard enters boot mode and all three interfaces vanish until it returns.
//
// Areas: InfoBlock (commands 3/4, 44 bytes; byte 10 the active profile; bytes 11..43, macro
// capacity and effect list, belong to the firmware and keep their values when written);
// lighting (5/6: three 42-byte records at 0, 42, 84; reads may reach up to offset 256, where
// the bytes after the records read as 0; writes must stay within the 126 record bytes);
// key tables (7/8, profile p at p x key table length); macro area (9/10, InfoBlock byte 11 x
// 128 bytes, stored as written); factory key table (15, read only); key colour banks (16 read,
// 17 write; profile p at p x 512). Commands 1, 2 and 13 only answer
// (whatever their length and offset); 1 opens a session and 2 ends it.

#include <cstddef>
#include <cstdint>

// Consumer-control usages the keyboard sends on its own.
inline constexpr uint16_t kSimNoticeLightingChanged = 0x0401;
inline constexpr uint16_t kSimNoticeProfileChanged = 0x0402;
inline constexpr uint16_t kSimNoticeSpecialModeOff = 0x1810;
inline constexpr uint16_t kSimNoticeSpecialModeOn = 0x1811;
inline constexpr uint16_t kSimNoticeReleased = 0x0000;

// Command codes the keyboard understands.
inline constexpr uint8_t kSimCmdBeginSession = 1;
inline constexpr uint8_t kSimCmdEndSession = 2;
inline constexpr uint8_t kSimCmdReadInfoBlock = 3;
inline constexpr uint8_t kSimCmdWriteInfoBlock = 4;
inline constexpr uint8_t kSimCmdReadLightData = 5;
inline constexpr uint8_t kSimCmdWriteLightData = 6;
inline constexpr uint8_t kSimCmdReadKeyTable = 7;
inline constexpr uint8_t kSimCmdWriteKeyTable = 8;
inline constexpr uint8_t kSimCmdReadMacroArea = 9;
inline constexpr uint8_t kSimCmdWriteMacroArea = 10;
inline constexpr uint8_t kSimCmdTest = 13;
inline constexpr uint8_t kSimCmdReadDefaultKeyTable = 15;
inline constexpr uint8_t kSimCmdReadKeyColours = 16;
inline constexpr uint8_t kSimCmdWriteKeyColours = 17;
inline constexpr uint8_t kSimCmdEnterBootMode = 0xEE;

inline constexpr uint8_t kSimStatusOk = 0x00;
inline constexpr uint8_t kSimStatusBadFrame = 0xFE;
inline constexpr uint8_t kSimStatusRefused = 0xFF;

// The readable extent of the lighting area (records plus reserved tail that reads as 0).
inline constexpr size_t kSimLightPageSize = 256;
