// SPDX-License-Identifier: GPL-3.0-or-later
// The built kestrowctl over the real hidraw backend: umockdev emulates the keyboard's
// configuration and consumer-control nodes, and the simulated keyboard's firmware answers the
// configuration node frame by frame. The same commands against --simulate must give the same
// output, the same frames, the same files and the same keyboard. The program must run with
// libumockdev-preload loaded from the start (CTest sets LD_PRELOAD); kestrowctl inherits it.

#include "model/MacroRecord.h"
#include "model/ProfileFile.h"
#include "model/ProfileStore.h"
#include "platform/hid/sim/SimulatedKeyboard.h"
#include "support/EmulatedHid.h"
#include "support/KestrowctlRun.h"
#include "support/TempDir.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Node numbers no other test uses and no real machine has.
constexpr int kConfigNode = 240;
constexpr int kConsumerNode = 241;
constexpr const char* kConfigId = "0003:0C45:5004.0001";
constexpr const char* kConsumerId = "0003:0C45:5004.0002";
constexpr size_t kFrameSize = 64;
constexpr int kPollMs = 20;
constexpr auto kNoReaderPause = std::chrono::milliseconds(2);

// Plays the keyboard on the device side of the configuration node: every 64-byte frame the
// program writes goes to the simulated keyboard, and its reply (when it gives one) back.
class FirmwareOnNode {
public:
    FirmwareOnNode(std::shared_ptr<SimulatedKeyboard> keyboard, int deviceSide)
        : keyboard_(std::move(keyboard)), deviceSide_(deviceSide) {
        HidOpenFlags flags;
        flags.read = true;
        flags.write = true;
        HidOpenError error = HidOpenError::None;
        handle_ = keyboard_->Open(keyboard_->ConfigurationPath(), flags, error);
        if (handle_) {
            thread_ = std::thread([this] { Serve(); });
        }
    }
    ~FirmwareOnNode() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    FirmwareOnNode(const FirmwareOnNode&) = delete;
    FirmwareOnNode& operator=(const FirmwareOnNode&) = delete;

    bool Running() const { return thread_.joinable(); }

private:
    void Serve() {
        uint8_t frame[kFrameSize];
        size_t have = 0;
        while (!stop_.load()) {
            pollfd p{deviceSide_, POLLIN, 0};
            if (::poll(&p, 1, kPollMs) <= 0) {
                continue;
            }
            const ssize_t n =
                (p.revents & POLLIN) ? ::read(deviceSide_, frame + have, kFrameSize - have) : -1;
            if (n <= 0) {
                // No program has the node open: the terminal hangs up until one does.
                have = 0;
                std::this_thread::sleep_for(kNoReaderPause);
                continue;
            }
            have += static_cast<size_t>(n);
            if (have < kFrameSize) {
                continue;
            }
            have = 0;
            size_t moved = 0;
            if (handle_->Write(frame, kFrameSize, moved, 1000) != HidTransferResult::Ok) {
                continue;
            }
            uint8_t reply[kFrameSize];
            if (handle_->Read(reply, kFrameSize, moved, 0) == HidTransferResult::Ok) {
                WriteAll(deviceSide_, std::vector<uint8_t>(reply, reply + moved));
            }
        }
    }

    std::shared_ptr<SimulatedKeyboard> keyboard_;
    std::unique_ptr<HidInterface> handle_;
    int deviceSide_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A keyboard with something in every area: remapped keys, a media key, two named macros,
// a lighting record of its own.
SimKeyboardMemory ConfiguredMemory() {
    SimKeyboardMemory memory = FactorySimKeyboardMemory(kSimModel5004);
    const size_t length = kSimModel5004.keyTableLength;
    memory.keyTables[3 * 19 + 2] = 0x05;          // A gives B in profile 0
    memory.keyTables[length + 3 * 20 + 0] = 0x03; // Z is a media key in profile 1
    memory.keyTables[length + 3 * 20 + 1] = 0xE2;
    memory.keyTables[length + 3 * 20 + 2] = 0x00;
    memory.keyTables[2 * length + 3 * 17 + 0] = 0x05; // 1 plays the second macro in profile 2
    memory.keyTables[2 * length + 3 * 17 + 1] = 0x01;
    memory.keyTables[2 * length + 3 * 17 + 2] = 0x01;
    std::vector<MacroRecord> macros(2);
    for (size_t i = 0; i < macros.size(); ++i) {
        macros[i].id = static_cast<uint16_t>(i + 1);
        macros[i].repeat = static_cast<uint8_t>(i + 1);
        macros[i].stepCount = 40;
        for (size_t s = 0; s < 40; ++s) {
            macros[i].steps[s] = {static_cast<uint32_t>(10 * s),
                                  static_cast<uint16_t>(0x1E + s % 5),
                                  static_cast<uint16_t>(s % 2)};
        }
        SetMacroName(macros[i], "macro " + std::to_string(i));
    }
    EXPECT_TRUE(EncodeMacroArea(macros, memory.macroArea, MacroAreaSizes(macros).full, true));
    memory.lightArea[42 + 1] = 1;
    memory.lightArea[84 + 0] = 12;
    return memory;
}

// A profile file unlike the keyboard: other keys in every profile and three macros.
void WriteRestoreFile(const fs::path& file) {
    std::lock_guard guard(WorkingStore().lock);
    ClearWorkingStore();
    ASSERT_TRUE(MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore));
    KeyRecordBlock& block = *WorkingStore().block;
    for (int area = 0; area < 3; ++area) {
        block.Record(area, RecordIndexOfCode(0x10)).type = AssignmentType::kDisabled; // Q
        KeyAssignment& w = block.Record(area, RecordIndexOfCode(0x11));               // W
        w.type = AssignmentType::kKey;
        w.value = static_cast<uint32_t>(0x12 + area);
    }
    WorkingStore().macros.resize(3);
    for (size_t i = 0; i < 3; ++i) {
        MacroRecord& m = WorkingStore().macros[i];
        m.id = static_cast<uint16_t>(i + 1);
        m.stepCount = static_cast<uint16_t>(20 + 10 * i);
        SetMacroName(m, "restored " + std::to_string(i));
    }
    ASSERT_TRUE(WriteProfileFile(StoreLock::HeldByCaller, file));
    ClearWorkingStore();
}

// What one run of the command list left: each command's result, the frames it sent, the
// files below its home folder, and the keyboard.
struct Outcome {
    std::vector<int> exitCodes;
    std::vector<std::string> outputs;
    std::vector<std::vector<unsigned char>> requests;
    std::map<std::string, std::string> files;
    SimKeyboardMemory keyboard;
};

std::vector<std::vector<std::string>> Commands(const fs::path& home) {
    const std::string restore = (home / "restore.fwc").string();
    return {
        {"--trace", "backup", (home / "before.fwc").string()},
        {"--trace", "restore", restore},
        {"--trace", "profile", "2"},
        {"--trace", "profile"},
        {"--trace", "light", "--profile", "1", "--effect", "1", "--brightness", "2", "--speed", "4",
         "--direction", "first", "--colour", "102030", "--report-rate", "2"},
        {"--trace", "--json", "light", "--profile", "1"},
        {"--trace", "backup", (home / "after.fwc").string()},
    };
}

void Collect(const CtlRun& run, Outcome& outcome) {
    outcome.exitCodes.push_back(run.exitCode);
    outcome.outputs.push_back(run.out);
    for (const TracedFrame& frame : TracedFrames(run.err)) {
        if (frame.direction == '>') {
            outcome.requests.push_back(frame.bytes);
        }
    }
}

std::map<std::string, std::string> FilesBelow(const fs::path& home) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(home)) {
        if (entry.is_regular_file() && entry.path().filename() != "keyboard.state") {
            files[fs::relative(entry.path(), home).string()] = ReadFileBytes(entry.path());
        }
    }
    return files;
}

class KestrowctlHidraw : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EmulatedHid::Preloaded()) {
            GTEST_FAIL() << "run this program with LD_PRELOAD=libumockdev-preload.so.0 (or "
                            "through umockdev-wrapper): the hidraw nodes are emulated";
        }
        memory_ = ConfiguredMemory();
    }

    // The command list against the simulated backend, its memory in a state file.
    Outcome RunSimulated() {
        Outcome outcome;
        WriteRestoreFile(simulatedHome_ / "restore.fwc");
        const fs::path state = simulatedHome_ / "keyboard.state";
        EXPECT_EQ(SaveSimStateFile(state, memory_), SimStateError::None);
        for (std::vector<std::string> args : Commands(simulatedHome_.path())) {
            args.insert(args.begin(), "--simulate=" + state.string());
            Collect(RunKestrowctl(args, simulatedHome_.path()), outcome);
        }
        outcome.files = FilesBelow(simulatedHome_.path());
        EXPECT_EQ(LoadSimStateFile(state, outcome.keyboard), SimStateError::None);
        return outcome;
    }

    // The same list over hidraw, without --simulate.
    Outcome RunOverHidraw() {
        Outcome outcome;
        WriteRestoreFile(hidrawHome_ / "restore.fwc");
        auto keyboard = std::make_shared<SimulatedKeyboard>(kSimModel5004);
        EXPECT_TRUE(keyboard->SetMemory(memory_));
        EmulatedHid hid;
        const int config =
            hid.Add(kConfigId, 0x0C45, 0x5004, kConfigNode,
                    SimulatedKeyboard::ReportDescriptorOf(SimInterface::Configuration));
        const int consumer = hid.Add(kConsumerId, 0x0C45, 0x5004, kConsumerNode,
                                     SimulatedKeyboard::ReportDescriptorOf(SimInterface::Consumer));
        EXPECT_GE(config, 0);
        EXPECT_GE(consumer, 0);
        FirmwareOnNode firmware(keyboard, config);
        EXPECT_TRUE(firmware.Running());
        // kestrowctl sees the testbed through the preload library and its folder.
        std::vector<std::string> environment;
        for (const char* name : {"LD_PRELOAD", "UMOCKDEV_DIR", "ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
            if (const char* value = std::getenv(name)) {
                environment.push_back(std::string(name) + "=" + value);
            }
        }
        for (const std::vector<std::string>& args : Commands(hidrawHome_.path())) {
            Collect(RunKestrowctlWith(args, hidrawHome_.path(), environment), outcome);
        }
        listed_ = RunKestrowctlWith({"list"}, hidrawHome_.path(), environment).out;
        outcome.files = FilesBelow(hidrawHome_.path());
        outcome.keyboard = keyboard->Memory();
        return outcome;
    }

    SimKeyboardMemory memory_;
    std::string listed_; // kestrowctl list over hidraw
    TempDir simulatedHome_;
    TempDir hidrawHome_;
};

} // namespace

TEST_F(KestrowctlHidraw, BackupRestoreProfileAndLightGiveWhatTheSimulatedBackendGives) {
    const Outcome simulated = RunSimulated();
    const Outcome hidraw = RunOverHidraw();
    EXPECT_EQ(listed_.rfind("/dev/hidraw240", 0), 0u) << listed_;
    EXPECT_GT(hidraw.requests.size(), 100u);
    std::printf("%zu request frames over hidraw, %zu over the simulated backend\n",
                hidraw.requests.size(), simulated.requests.size());

    EXPECT_EQ(hidraw.exitCodes, simulated.exitCodes);
    EXPECT_EQ(hidraw.exitCodes, std::vector<int>(Commands({}).size(), 0));
    EXPECT_EQ(hidraw.outputs, simulated.outputs);
    EXPECT_EQ(hidraw.requests.size(), simulated.requests.size());
    EXPECT_TRUE(hidraw.requests == simulated.requests) << "the same frames in the same order";
    EXPECT_TRUE(hidraw.files == simulated.files) << "backups and working files";
    EXPECT_TRUE(hidraw.keyboard == simulated.keyboard) << "the keyboard ends the same";

    // And the commands did their work: the keyboard is on profile 2 with the restored macros
    // and profile 1's new lighting, and the second backup differs from the first.
    EXPECT_EQ(hidraw.keyboard.infoBlock[10], 2);
    EXPECT_EQ(hidraw.keyboard.lightArea[42 + 1], 2);
    EXPECT_EQ(hidraw.keyboard.macroArea[4], 3);
    EXPECT_NE(hidraw.files.at("before.fwc"), hidraw.files.at("after.fwc"));
    EXPECT_EQ(hidraw.outputs[3], "2\n");
}
