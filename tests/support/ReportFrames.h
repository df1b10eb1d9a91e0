// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The 64-byte frames of the configuration interface, built and checked byte by byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

using Frame = std::array<uint8_t, 64>;

inline constexpr uint8_t kRequestReportId = 4;
inline constexpr size_t kFramePayloadOffset = 8;
inline constexpr size_t kFramePayloadLength = 56;

// The sum of bytes 3 to 63 that bytes 1 and 2 of a request or reply carry.
inline uint16_t ChecksumOf(const Frame& frame) {
    unsigned sum = 0;
    for (size_t i = 3; i < frame.size(); ++i) {
        sum += frame[i];
    }
    return static_cast<uint16_t>(sum);
}

inline bool ChecksumHolds(const Frame& frame) {
    const uint16_t sum = ChecksumOf(frame);
    return frame[1] == (sum & 0xFF) && frame[2] == (sum >> 8);
}

// A request as the keyboard expects it: id 4, command, length, offset, payload, checksum.
inline Frame MakeRequest(uint8_t command, uint8_t length = 0, uint16_t offset = 0,
                         const std::vector<uint8_t>& payload = {}) {
    Frame frame{};
    frame[0] = kRequestReportId;
    frame[3] = command;
    frame[4] = length;
    frame[5] = static_cast<uint8_t>(offset & 0xFF);
    frame[6] = static_cast<uint8_t>(offset >> 8);
    for (size_t i = 0; i < payload.size() && i < kFramePayloadLength; ++i) {
        frame[kFramePayloadOffset + i] = payload[i];
    }
    const uint16_t sum = ChecksumOf(frame);
    frame[1] = static_cast<uint8_t>(sum & 0xFF);
    frame[2] = static_cast<uint8_t>((sum >> 8) & 0xFF);
    return frame;
}
