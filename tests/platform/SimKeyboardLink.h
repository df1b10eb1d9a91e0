// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Talks to a simulated keyboard the way the command layer does, one frame at a time, so the
// tests can look at each reply byte by byte.

#include "platform/hid/sim/SimulatedKeyboard.h"
#include "support/ReportFrames.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class SimKeyboardLink {
public:
    explicit SimKeyboardLink(SimulatedKeyboard& keyboard) : keyboard_(keyboard) { Reopen(); }

    bool Reopen() {
        HidOpenFlags flags;
        flags.read = true;
        flags.write = true;
        HidOpenError error = HidOpenError::None;
        handle_ = keyboard_.Open(keyboard_.ConfigurationPath(), flags, error);
        return handle_ != nullptr;
    }
    HidInterface* Handle() { return handle_.get(); }

    HidTransferResult Write(const Frame& frame) {
        size_t moved = 0;
        return handle_->Write(frame.data(), frame.size(), moved, 1000);
    }
    HidTransferResult Read(Frame& reply, uint32_t timeoutMs = 300) {
        size_t moved = 0;
        return handle_->Read(reply.data(), reply.size(), moved, timeoutMs);
    }
    // The reply to one request; nullopt when none came within the timeout.
    std::optional<Frame> Transact(const Frame& request, uint32_t timeoutMs = 300) {
        if (Write(request) != HidTransferResult::Ok) {
            return std::nullopt;
        }
        Frame reply{};
        if (Read(reply, timeoutMs) != HidTransferResult::Ok) {
            return std::nullopt;
        }
        return reply;
    }
    // Status byte of the reply, -1 without one.
    int Status(uint8_t command, uint8_t length = 0, uint16_t offset = 0,
               const std::vector<uint8_t>& payload = {}) {
        const auto reply = Transact(MakeRequest(command, length, offset, payload));
        return reply ? (*reply)[7] : -1;
    }
    // Reads `total` bytes in pieces of 56 from `base`, as chunked commands do; empty on failure.
    std::vector<uint8_t> ReadChunked(uint8_t command, uint16_t base, size_t total) {
        std::vector<uint8_t> out;
        for (size_t done = 0; done < total; done += 56) {
            const auto piece = static_cast<uint8_t>(std::min<size_t>(56, total - done));
            const auto reply =
                Transact(MakeRequest(command, piece, static_cast<uint16_t>(base + done)));
            if (!reply || (*reply)[7] == 0xFF || (*reply)[7] == 0xFE) {
                return {};
            }
            out.insert(out.end(), reply->begin() + 8, reply->begin() + 8 + piece);
        }
        return out;
    }
    bool WriteChunked(uint8_t command, uint16_t base, const std::vector<uint8_t>& data) {
        for (size_t done = 0; done < data.size(); done += 56) {
            const size_t piece = std::min<size_t>(56, data.size() - done);
            const std::vector<uint8_t> payload(data.begin() + static_cast<ptrdiff_t>(done),
                                               data.begin() + static_cast<ptrdiff_t>(done + piece));
            if (Status(command, static_cast<uint8_t>(piece), static_cast<uint16_t>(base + done),
                       payload) != 0) {
                return false;
            }
        }
        return true;
    }

private:
    SimulatedKeyboard& keyboard_;
    std::unique_ptr<HidInterface> handle_;
};
