// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated keyboard's firmware on arbitrary configuration frames: it never touches memory
// outside its areas, answers each request at most once with a well-formed reply, keeps the
// sizes of its areas and its factory table, and survives fault controls between frames.
// Input: one model byte, then steps of one control byte and one 64-byte frame.
#include "platform/hid/sim/SimulatedKeyboard.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "firmware invariant broken: %s\n", what);
        std::abort();
    }
}

constexpr size_t kStep = 65;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const SimKeyboardModel model = (data[0] & 1) ? kSimModel5000 : kSimModel5004;
    SimulatedKeyboard keyboard(model);
    const std::vector<uint8_t> factory = keyboard.FactoryKeyTable();
    HidOpenFlags flags;
    flags.read = true;
    flags.write = true;
    HidOpenError error = HidOpenError::None;
    auto handle = keyboard.Open(keyboard.ConfigurationPath(), flags, error);
    Require(handle != nullptr, "configuration interface opens");

    for (size_t at = 1; at + kStep <= size; at += kStep) {
        const uint8_t control = data[at];
        uint8_t frame[64];
        std::memcpy(frame, data + at + 1, sizeof frame);
        if (control & 0x01) {
            frame[0] = 4;
        }
        if (control & 0x02) { // most frames should get past the checksum
            unsigned sum = 0;
            for (size_t i = 3; i < 64; ++i) {
                sum += frame[i];
            }
            frame[1] = static_cast<uint8_t>(sum);
            frame[2] = static_cast<uint8_t>(sum >> 8);
        }
        // Faults of one step only: a frame that got no reply leaves none pending.
        const bool forced = (control & 0x0C) == 0x04;
        keyboard.AnswerWithStatus(frame[7], forced ? 1 : 0);
        keyboard.DropNextReplies((control & 0x0C) == 0x08 ? 1 : 0);
        if ((control & 0x30) == 0x30) {
            keyboard.Unplug();
            keyboard.Replug();
            handle = keyboard.Open(keyboard.ConfigurationPath(), flags, error);
        }
        if ((control & 0xC0) == 0xC0) {
            keyboard.ReturnFromBootMode();
            handle = keyboard.Open(keyboard.ConfigurationPath(), flags, error);
        }
        if (!handle) {
            continue; // in boot mode
        }

        const size_t repliesBefore = keyboard.ReplyLog().size();
        size_t moved = 0;
        const HidTransferResult written = handle->Write(frame, sizeof frame, moved, 0);
        Require(written == HidTransferResult::Ok || written == HidTransferResult::Gone,
                "a whole frame is always taken");
        const auto replies = keyboard.ReplyLog();
        Require(replies.size() <= repliesBefore + 1, "at most one reply per request");
        if (replies.size() == repliesBefore + 1) {
            const auto& reply = replies.back().bytes;
            unsigned sum = 0;
            for (size_t i = 3; i < 64; ++i) {
                sum += reply[i];
            }
            Require(reply[0] == 4 &&
                        static_cast<unsigned>(reply[1] | (reply[2] << 8)) == (sum & 0xFFFF),
                    "reply id and checksum");
            Require(reply[3] == frame[3] && reply[4] == frame[4], "reply echoes the request");
            Require(forced || reply[7] == 0 || reply[7] == 0xFE || reply[7] == 0xFF,
                    "reply status");
            uint8_t back[64];
            Require(handle->Read(back, sizeof back, moved, 0) == HidTransferResult::Ok &&
                        std::memcmp(back, reply.data(), sizeof back) == 0,
                    "the logged reply is the one delivered");
        }
        const SimKeyboardMemory memory = keyboard.Memory();
        Require(memory.keyTables.size() == 3u * model.keyTableLength, "key tables keep size");
        Require(memory.macroArea.size() == memory.infoBlock[11] * kSimMacroUnit,
                "macro area keeps its capacity");
        Require(memory.infoBlock[10] < 3, "active profile stays 0..2");
        if (keyboard.InBootMode()) {
            handle.reset();
        }
    }
    Require(keyboard.FactoryKeyTable() == factory, "factory table unchanged");
    return 0;
}
