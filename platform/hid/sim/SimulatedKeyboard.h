// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A HidBackend that is the keyboard: an emulation of its firmware for running the program and
// kestrowctl without hardware (--simulate) and for every test above the HID backend.
//
// Interfaces, listed in this order (N is the instance number, 0 for the first keyboard made in
// the process):
//   "simkbd<N>/input0?vid_VVVV&pid_PPPP"  ordinary boot keyboard (page 0x01, usage 0x06): 8-byte
//                                        input reports of the keys typed on it (modifier bits,
//                                        a reserved byte, six key slots), LED output reports
//   "simkbd<N>/input1?vid_VVVV&pid_PPPP"  consumer control (page 0x0C, usage 0x01): 3-byte input
//                                        reports, report id 3 then the usage, little-endian
//   "simkbd<N>/input2?vid_VVVV&pid_PPPP"  configuration (page 0xFF1C, usage 0x92): 64-byte input
//                                        and output reports with report id 4
// VVVV and PPPP are the model's ids as four lower-case hex digits.
//
// Replies go to every configuration handle open at the moment (as hidraw hands a report to every
// open reader), in order. A read that times out leaves an unread reply queued for the next read;
// closing the handle discards its queue. At most 64 replies are kept per handle (oldest dropped).
//
// Thread-safe: every member may be called from any thread, also while transfers run. Reads wait
// until data arrives, the timeout passes, Cancel(), or the keyboard goes away (Unplug, boot
// mode), which ends them with Gone. Handles stay valid after the SimulatedKeyboard object is
// destroyed (they then act as unplugged).

#include "platform/hid/HidBackend.h"
#include "platform/hid/sim/SimFirmwareCommands.h"
#include "platform/hid/sim/SimStateFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class SimInterface { Keyboard = 0, Consumer = 1, Configuration = 2 };

enum class SimFrameDirection {
    ToKeyboard,   // a frame written to the configuration interface
    FromKeyboard, // a reply the keyboard sent (also one no reader picked up; dropped ones not)
};

struct SimFrame {
    SimFrameDirection direction = SimFrameDirection::ToKeyboard;
    std::array<uint8_t, 64> bytes{};
};

// Counts for the fault controls meaning "until told otherwise".
inline constexpr unsigned kSimForever = 0xFFFFFFFFu;

// Faults that ScheduleFault places at one request frame of the configuration interface.
enum class SimFault {
    Unplug,      // the keyboard vanishes as the frame arrives: that write ends with Gone
    DropReplies, // that request and the next count - 1 are carried out, their replies never come
    StatusFF,    // the next count replies say 0xFF (refused, not carried out)
    StatusFE,    // the next count replies say 0xFE (refused, not carried out)
    FailWrite,   // that write and the next count - 1 fail and reach nothing
};

class SimulatedKeyboard : public HidBackend {
public:
    // Fresh from the factory (FactorySimKeyboardMemory), plugged in, no faults. Ids other than
    // the two supported pairs give the 0x0C45/0x5004 keyboard.
    explicit SimulatedKeyboard(const SimKeyboardModel& model = kSimModel5004);
    ~SimulatedKeyboard() override;
    SimulatedKeyboard(const SimulatedKeyboard&) = delete;
    SimulatedKeyboard& operator=(const SimulatedKeyboard&) = delete;

    // HidBackend. ListInterfaces gives the three paths while plugged in and not in boot mode,
    // none otherwise (and never fails). Open gives NotFound then, and for unknown paths.
    bool ListInterfaces(std::vector<std::string>& paths) override;
    std::unique_ptr<HidInterface> Open(const std::string& path, const HidOpenFlags& flags,
                                       HidOpenError& error) override;
    bool PathExists(const std::string& path) override;
    // Wakes its waiter when the keyboard is unplugged or plugged in, or enters or leaves boot
    // mode.
    std::unique_ptr<HidChangeMonitor> WatchChanges() override;

    const SimKeyboardModel& Model() const;
    std::string InterfacePath(SimInterface which) const;
    std::string ConfigurationPath() const { return InterfacePath(SimInterface::Configuration); }
    std::string ConsumerPath() const { return InterfacePath(SimInterface::Consumer); }
    std::string KeyboardPath() const { return InterfacePath(SimInterface::Keyboard); }
    static const std::vector<uint8_t>& ReportDescriptorOf(SimInterface which);
    // Handles of that interface open right now.
    int OpenHandleCount(SimInterface which) const;

    // Memory, for tests and tools (copies; setters take effect at once, outside any frame).
    SimKeyboardMemory Memory() const;
    // False (and nothing changed) for another model's memory or areas of the wrong length.
    bool SetMemory(const SimKeyboardMemory& memory);
    std::array<uint8_t, kSimInfoBlockSize> InfoBlock() const;
    // All 44 bytes, firmware bytes included; byte 11 resizes the macro area (kept bytes stay,
    // new ones are 0).
    void SetInfoBlock(const std::array<uint8_t, kSimInfoBlockSize>& block);
    int ActiveProfile() const; // InfoBlock byte 10
    std::array<uint8_t, kSimLightAreaSize> LightArea() const;
    std::array<uint8_t, kSimLightRecordSize> LightRecord(int profile) const; // 0..2
    void SetLightArea(const std::array<uint8_t, kSimLightAreaSize>& area);
    std::vector<uint8_t> KeyTable(int profile) const; // key table length bytes; empty if p > 2
    bool SetKeyTable(int profile, const std::vector<uint8_t>& table); // exact length only
    std::vector<uint8_t> MacroArea() const;                           // capacity bytes
    size_t MacroCapacity() const;                                     // InfoBlock[11] x 128
    bool SetMacroArea(const std::vector<uint8_t>& area); // at most the capacity; rest zeroed
    std::vector<uint8_t> FactoryKeyTable() const;        // key table length bytes
    std::array<uint8_t, kSimKeyColourBankSize> KeyColourBank(int profile) const;
    bool SetKeyColourBank(int profile, const std::array<uint8_t, kSimKeyColourBankSize>& bank);
    // Whether a CmdBeginSession was answered and no CmdEndSession since.
    bool SessionOpen() const;

    // Every configuration frame in both directions, oldest first.
    std::vector<SimFrame> FrameLog() const;
    // Only the frames written to the keyboard / only its replies.
    std::vector<SimFrame> RequestLog() const;
    std::vector<SimFrame> ReplyLog() const;
    void ClearFrameLog();

    // Fault controls. Each takes effect for frames written after the call.
    void Unplug(); // interfaces vanish; open handles end with Gone; replies queued are lost
    void Replug(); // interfaces are back (same paths); old handles stay dead
    bool IsPlugged() const;
    // The next `count` requests are carried out but their replies never come.
    void DropNextReplies(unsigned count);
    // The next `count` replies carry `status`. With 0xFE or 0xFF the request is not carried out
    // (the keyboard refused it); with any other value it is, and only the status byte differs.
    void AnswerWithStatus(uint8_t status, unsigned count = 1);
    // Replies become readable only `ms` after their request was written (0: at once).
    void DelayReplies(uint32_t ms);
    // The next `count` writes on any interface fail (HidTransferResult::Failed) and reach
    // nothing; kSimForever until FailWrites(0).
    void FailWrites(unsigned count);
    // Arms `fault` for the configuration request written after `requestsBefore` more of them
    // (0: the next one); until then every frame is answered as usual. One fault at a time: a
    // later call replaces one not yet reached.
    void ScheduleFault(SimFault fault, unsigned requestsBefore, unsigned count = 1);
    // Whether a scheduled fault has not been reached yet.
    bool FaultPending() const;
    // On: a timed read that only its timeout could end (nothing queued, no delayed reply on its
    // way) ends with Timeout at once instead of waiting it out, for tests that provoke many
    // lost replies. Replies held back by DelayReplies are still waited for.
    void SetInstantTimeouts(bool on);
    // Sends one consumer report with this usage to every open consumer handle; the number of
    // handles it reached (a notice nobody listens to is lost, as on the wire).
    int PushConsumerNotice(uint16_t usage);
    // The user typed a key: one boot keyboard report with the keyboard-page usage down (the
    // modifiers 0xE0..0xE7 as bits of byte 0), then one with no key down, to every open keyboard
    // handle. The number of handles reached.
    int TypeKey(uint8_t usage);
    // One boot keyboard report with these keyboard-page usages down; more than six keys besides
    // the modifiers give the rollover error in every slot, as a keyboard reports it.
    int SendKeyboardReport(const std::vector<uint8_t>& usagesDown);
    // The user switched profile with the keyboard's own keys: InfoBlock byte 10 changes and the
    // keyboard sends 0x0402. False for a profile outside 0..2.
    bool ChangeProfileOnKeyboard(int profile);
    // The user changed a lighting byte on the keyboard: the byte changes and 0x0401 is sent.
    bool ChangeLightByteOnKeyboard(size_t offset, uint8_t value);

    // Boot mode: entered by the boot request or by this call; the interfaces vanish. The
    // keyboard comes back by ReturnFromBootMode(), or by itself after the delay set here
    // (nullopt: never by itself, the default).
    void EnterBootMode();
    void ReturnFromBootMode();
    bool InBootMode() const;
    void SetBootModeDuration(std::optional<uint32_t> ms);
    // Boot requests received since construction.
    unsigned BootRequestCount() const;

    // State file. LoadState replaces the whole memory from the file (same model only: another
    // model's file gives WrongModel); on failure the memory is unchanged. SaveState writes it.
    SimStateError LoadState(const std::filesystem::path& file);
    SimStateError SaveState(const std::filesystem::path& file) const;
    // Keeps the memory in `file`: loads it when it exists (a missing file is created from the
    // current memory), then saves after every change; changes made inside a session (between
    // CmdBeginSession and CmdEndSession) are saved together when it ends, or when the keyboard
    // goes away or is destroyed. If another process replaced the file in the meantime, its
    // contents are taken up before the next frame (and the matching notice sent when the active
    // profile or the lighting changed there). An error leaves nothing attached.
    SimStateError AttachStateFile(const std::filesystem::path& file);
    void DetachStateFile();
    // The result of the last save after a change (None right after attaching).
    SimStateError LastSaveError() const;

    struct Core; // shared with the open handles

private:
    std::shared_ptr<Core> core_;
};
