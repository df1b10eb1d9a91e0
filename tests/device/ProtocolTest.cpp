// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/Protocol.h"

#include "SimTestSupport.h"
#include "device/CHidDevice.h"
#include "device/DeviceState.h"
#include "support/ReportFrames.h"
#include "support/SimulatedConnection.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <numeric>
#include <thread>

namespace {

// A simulated keyboard installed for the process, its configuration interface open in the
// process-wide device as the presence thread would leave it.
class ProtocolTest : public ::testing::Test {
protected:
    void Connect(const SimKeyboardModel& model) {
        keyboard = ConnectSimulatedKeyboard(model);
        ASSERT_TRUE(keyboard);
    }
    void SetUp() override { Connect(kSimModel5004); }
    void TearDown() override {
        ConfigDevice().Close();
        DeviceState().Reset();
    }

    std::vector<SimFrame> Requests() const { return keyboard->RequestLog(); }

    std::shared_ptr<SimulatedKeyboard> keyboard;
};

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    }
    return bytes;
}

uint16_t OffsetOf(const SimFrame& frame) {
    return static_cast<uint16_t>(frame.bytes[5] | (frame.bytes[6] << 8));
}

// Passes everything on to the keyboard and counts every write or read that one thread makes
// while another thread's request still waits for its reply.
class PairingChecker : public HidBackend {
public:
    explicit PairingChecker(std::shared_ptr<SimulatedKeyboard> keyboard)
        : keyboard_(std::move(keyboard)) {}

    bool ListInterfaces(std::vector<std::string>& paths) override {
        return keyboard_->ListInterfaces(paths);
    }
    bool PathExists(const std::string& path) override { return keyboard_->PathExists(path); }
    std::unique_ptr<HidInterface> Open(const std::string& path, const HidOpenFlags& flags,
                                       HidOpenError& error) override {
        auto inner = keyboard_->Open(path, flags, error);
        if (!inner) {
            return nullptr;
        }
        return std::make_unique<Checked>(*this, std::move(inner));
    }
    int Violations() const {
        std::lock_guard lock(mutex_);
        return violations_;
    }

private:
    class Checked : public HidInterface {
    public:
        Checked(PairingChecker& owner, std::unique_ptr<HidInterface> inner)
            : owner_(owner), inner_(std::move(inner)) {}
        uint16_t VendorId() const override { return inner_->VendorId(); }
        uint16_t ProductId() const override { return inner_->ProductId(); }
        const std::vector<uint8_t>& ReportDescriptorBytes() const override {
            return inner_->ReportDescriptorBytes();
        }
        size_t CollectionIndex() const override { return inner_->CollectionIndex(); }
        HidTransferResult Read(uint8_t* buffer, size_t length, size_t& transferred,
                               uint32_t timeoutMs) override {
            owner_.Enter();
            const HidTransferResult result = inner_->Read(buffer, length, transferred, timeoutMs);
            owner_.Leave(result == HidTransferResult::Ok);
            return result;
        }
        HidTransferResult Write(const uint8_t* buffer, size_t length, size_t& transferred,
                                uint32_t timeoutMs) override {
            owner_.Enter();
            const HidTransferResult result = inner_->Write(buffer, length, transferred, timeoutMs);
            owner_.Wrote(result == HidTransferResult::Ok);
            return result;
        }
        void Cancel() override { inner_->Cancel(); }

    private:
        PairingChecker& owner_;
        std::unique_ptr<HidInterface> inner_;
    };

    void Enter() {
        std::lock_guard lock(mutex_);
        if (waiting_ && waiter_ != std::this_thread::get_id()) {
            ++violations_;
        }
    }
    void Wrote(bool ok) {
        std::lock_guard lock(mutex_);
        if (ok) {
            waiting_ = true;
            waiter_ = std::this_thread::get_id();
        }
    }
    void Leave(bool gotReply) {
        std::lock_guard lock(mutex_);
        if (gotReply && waiting_ && waiter_ == std::this_thread::get_id()) {
            waiting_ = false;
        }
    }

    std::shared_ptr<SimulatedKeyboard> keyboard_;
    mutable std::mutex mutex_;
    bool waiting_ = false;
    std::thread::id waiter_;
    int violations_ = 0;
};

} // namespace

TEST_F(ProtocolTest, NothingReachesTheKeyboardWhileTheDeviceIsClosed) {
    DeviceState().DeviceOpen.store(0);
    std::vector<uint8_t> buffer(2048, 0);
    EXPECT_EQ(CmdBeginSession(), 0);
    EXPECT_EQ(CmdEndSession(), 0);
    EXPECT_EQ(CmdReadInfoBlock(buffer.data()), 0);
    EXPECT_EQ(CmdWriteInfoBlock(buffer.data()), 0);
    EXPECT_EQ(CmdReadLightData(buffer.data(), 56, 0), 0);
    EXPECT_EQ(CmdWriteLightData(buffer.data(), 3, 0), 0);
    EXPECT_EQ(CmdReadKeyTable(buffer.data(), 0), 0);
    EXPECT_EQ(CmdReadKeyTable(buffer.data(), 3), 0); // the closed device is tested first
    EXPECT_EQ(CmdWriteKeyTable(buffer.data(), 1), 0);
    EXPECT_EQ(CmdReadMacroArea(buffer.data(), 128), 0);
    EXPECT_EQ(CmdWriteMacroArea(buffer.data(), 128), 0);
    EXPECT_EQ(CmdTest(), 0);
    EXPECT_EQ(CmdReadDefaultKeyTable(buffer.data()), 0);
    EXPECT_EQ(CmdWriteKeyColours(buffer.data(), 54, 0), 0);
    EXPECT_EQ(CmdEnterBootMode(), 0);
    uint8_t request[64] = {4, 0, 0, 1};
    EXPECT_EQ(TransactReport(request, 64, buffer.data(), 64, nullptr), 0);
    EXPECT_EQ(SendReportOnly(request, 64), 0);
    EXPECT_TRUE(keyboard->FrameLog().empty());
    EXPECT_FALSE(keyboard->InBootMode());
}

TEST_F(ProtocolTest, RequestsAreFramedWithTheirChecksum) {
    ASSERT_EQ(CmdBeginSession(), 1);
    auto log = Requests();
    ASSERT_EQ(log.size(), 1u);
    std::array<uint8_t, 64> expected{};
    expected[0] = 4;
    expected[1] = 0x01; // the sum of bytes 3..63: only the command byte
    expected[2] = 0x00;
    expected[3] = 1;
    EXPECT_EQ(log[0].bytes, expected);

    // A payload is summed with the header bytes, never with bytes 0..2.
    keyboard->ClearFrameLog();
    const auto data = Pattern(35, 0xC0);
    ASSERT_EQ(CmdWriteLightData(data.data(), 35, 42), 1);
    log = Requests();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].bytes[3], 6);
    EXPECT_EQ(log[0].bytes[4], 35);
    EXPECT_EQ(OffsetOf(log[0]), 42);
    EXPECT_EQ(log[0].bytes[7], 0);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), log[0].bytes.begin() + 8));
    EXPECT_TRUE(std::all_of(log[0].bytes.begin() + 8 + 35, log[0].bytes.end(),
                            [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(ChecksumHolds(log[0].bytes));
    const auto record = keyboard->LightRecord(1);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), record.begin()));

    ReportFrame frame = ReportFrame::Request(3, 44, 0);
    frame.bytes[1] = 0xAA;
    frame.bytes[2] = 0xBB;
    frame.bytes[0] = 0x99;
    EXPECT_EQ(frame.ComputeChecksum(), 3 + 44);
}

TEST_F(ProtocolTest, EmptyAndRefusedTransfersSendNothing) {
    std::vector<uint8_t> out(512, 0x5A);
    EXPECT_EQ(CmdReadMacroArea(out.data(), 0), 1);
    EXPECT_EQ(CmdWriteMacroArea(out.data(), 0), 1);
    EXPECT_EQ(CmdReadKeyTable(out.data(), 3), -201);
    EXPECT_EQ(CmdWriteKeyTable(out.data(), 3), -201);
    EXPECT_EQ(CmdWriteKeyTable(out.data(), 0xFFFFFFFFu), -201); // compared unsigned
    // A payload longer than one report, or an offset beyond 16 bits, cannot be framed.
    EXPECT_EQ(CmdWriteLightData(out.data(), 57, 0), -1);
    EXPECT_EQ(CmdReadLightData(out.data(), 57, 0), -1);
    EXPECT_EQ(CmdWriteLightData(out.data(), 3, 0x10000), -1);
    EXPECT_EQ(CmdWriteKeyColours(out.data(), 57, 0), -1);
    EXPECT_EQ(CmdWriteKeyColours(out.data(), 54, -1), -1);
    EXPECT_EQ(CmdReadMacroArea(out.data(), 0x10001), -1);
    EXPECT_TRUE(keyboard->FrameLog().empty());
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == 0x5A; }));
}

TEST_F(ProtocolTest, KeyTableOfTheSmallModelMovesInSevenPieces) {
    std::vector<uint8_t> out(378, 0);
    ASSERT_EQ(CmdReadKeyTable(out.data(), 2), 1);
    EXPECT_EQ(out, keyboard->KeyTable(2));
    const auto log = Requests();
    ASSERT_EQ(log.size(), 7u);
    const uint16_t offsets[] = {756, 812, 868, 924, 980, 1036, 1092};
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(log[i].bytes[3], 7);
        EXPECT_EQ(OffsetOf(log[i]), offsets[i]);
        EXPECT_EQ(log[i].bytes[4], i < 6 ? 56 : 42);
        EXPECT_TRUE(ChecksumHolds(log[i].bytes));
    }

    // Writing goes to the same places; the short last piece still carries the previous
    // piece's tail, as the keyboard has always received it.
    keyboard->ClearFrameLog();
    const auto table = Pattern(378, 3);
    ASSERT_EQ(CmdWriteKeyTable(table.data(), 1), 1);
    EXPECT_EQ(keyboard->KeyTable(1), table);
    EXPECT_EQ(keyboard->KeyTable(0), keyboard->FactoryKeyTable());
    const auto writes = Requests();
    ASSERT_EQ(writes.size(), 7u);
    EXPECT_EQ(OffsetOf(writes[0]), 378);
    EXPECT_EQ(OffsetOf(writes[6]), 378 + 336);
    EXPECT_TRUE(std::equal(table.begin() + 336, table.end(), writes[6].bytes.begin() + 8));
    EXPECT_TRUE(std::equal(table.begin() + 280 + 42, table.begin() + 336,
                           writes[6].bytes.begin() + 8 + 42));
    EXPECT_TRUE(ChecksumHolds(writes[6].bytes));
}

TEST_F(ProtocolTest, KeyTableOfTheLargeModelMovesInTenPieces) {
    ConfigDevice().Close();
    Connect(kSimModel5000);
    const auto table = Pattern(512, 11);
    ASSERT_EQ(CmdWriteKeyTable(table.data(), 2), 1);
    EXPECT_EQ(keyboard->KeyTable(2), table);
    const auto log = Requests();
    ASSERT_EQ(log.size(), 10u);
    EXPECT_EQ(OffsetOf(log[0]), 1024);
    EXPECT_EQ(OffsetOf(log[9]), 1024 + 504);
    EXPECT_EQ(log[9].bytes[4], 8);

    std::vector<uint8_t> factory(512, 0);
    ASSERT_EQ(CmdReadDefaultKeyTable(factory.data()), 1);
    EXPECT_EQ(factory, keyboard->FactoryKeyTable());
}

TEST_F(ProtocolTest, OnlyStatusBytesFEAndFFFail) {
    uint8_t info[44];
    for (uint8_t status : {0x00, 0x01, 0x80}) {
        keyboard->AnswerWithStatus(status);
        std::fill(std::begin(info), std::end(info), 0xEE);
        EXPECT_EQ(CmdReadInfoBlock(info), 1) << int(status);
        const auto expected = keyboard->InfoBlock();
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), info)) << int(status);
    }
    const struct {
        uint8_t status;
        int result;
    } failures[] = {{0xFE, -103}, {0xFF, -102}};
    for (const auto& failure : failures) {
        keyboard->AnswerWithStatus(failure.status);
        std::fill(std::begin(info), std::end(info), 0xEE);
        EXPECT_EQ(CmdReadInfoBlock(info), failure.result);
        EXPECT_TRUE(std::all_of(std::begin(info), std::end(info), [](uint8_t b) {
            return b == 0xEE;
        })) << "payload copied although the keyboard refused";
        keyboard->AnswerWithStatus(failure.status);
        EXPECT_EQ(CmdBeginSession(), failure.result);
    }
}

TEST_F(ProtocolTest, SilentKeyboardGetsFourIdenticalWritesThenNoReply) {
    keyboard->DropNextReplies(kSimForever);
    EXPECT_EQ(CmdTest(), 0);
    const auto log = Requests();
    ASSERT_EQ(log.size(), 4u);
    for (const auto& frame : log) {
        EXPECT_EQ(frame.bytes, log[0].bytes);
    }
    EXPECT_EQ(log[0].bytes[3], 13);
    keyboard->DropNextReplies(0);
}

TEST_F(ProtocolTest, LostRepliesAreRetriedAndAFailedWriteIsNot) {
    keyboard->DropNextReplies(2);
    uint8_t info[44] = {};
    EXPECT_EQ(CmdReadInfoBlock(info), 1);
    EXPECT_EQ(Requests().size(), 3u);
    EXPECT_EQ(info[10], keyboard->InfoBlock()[10]);

    keyboard->ClearFrameLog();
    keyboard->FailWrites(1);
    EXPECT_EQ(CmdBeginSession(), -1);
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(CmdBeginSession(), 1);
}

TEST_F(ProtocolTest, FailedPieceStopsTheTransferAndKeepsWhatArrived) {
    // A macro area of 128 bytes: the third piece (112..167) reaches beyond it.
    auto info = keyboard->InfoBlock();
    info[11] = 1;
    keyboard->SetInfoBlock(info);
    const auto area = Pattern(128, 40);
    ASSERT_TRUE(keyboard->SetMacroArea(area));
    std::vector<uint8_t> out(300, 0xA5);
    EXPECT_EQ(CmdReadMacroArea(out.data(), 300), -102);
    EXPECT_TRUE(std::equal(area.begin(), area.begin() + 112, out.begin()));
    EXPECT_TRUE(std::all_of(out.begin() + 112, out.end(), [](uint8_t b) { return b == 0xA5; }));
    EXPECT_EQ(Requests().size(), 3u);

    keyboard->ClearFrameLog();
    ASSERT_EQ(CmdReadMacroArea(out.data(), 128), 1);
    EXPECT_TRUE(std::equal(area.begin(), area.end(), out.begin()));
}

TEST_F(ProtocolTest, KeyColoursGoToTheBankOfTheCurrentProfile) {
    DeviceState().CurrentProfile.store(1);
    const auto colours = Pattern(54, 90);
    ASSERT_EQ(CmdWriteKeyColours(colours.data(), 54, 18), 1);
    const auto log = Requests();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].bytes[5], 0x36);
    EXPECT_EQ(log[0].bytes[6], 0x02);
    EXPECT_EQ(log[0].bytes[4], 54);
    const auto bank = keyboard->KeyColourBank(1);
    EXPECT_TRUE(std::equal(colours.begin(), colours.end(), bank.begin() + 54));
    const auto other = keyboard->KeyColourBank(0);
    EXPECT_TRUE(std::all_of(other.begin(), other.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(ProtocolTest, LightReadsCopyTheWholePayload) {
    std::array<uint8_t, 126> light{};
    std::iota(light.begin(), light.end(), uint8_t{1});
    keyboard->SetLightArea(light);
    uint8_t out[56];
    std::fill(std::begin(out), std::end(out), 0xEE);
    ASSERT_EQ(CmdReadLightData(out, 3, 42), 1);
    EXPECT_EQ(out[0], 43);
    EXPECT_EQ(out[2], 45);
    // Beyond the length the reply's payload is copied too (zeros from this keyboard).
    EXPECT_TRUE(std::all_of(out + 3, out + 56, [](uint8_t b) { return b == 0; }));
}

TEST_F(ProtocolTest, BootRequestCarriesNoChecksumAndReadsNoReply) {
    EXPECT_EQ(CmdEnterBootMode(), 1);
    const auto log = keyboard->FrameLog();
    ASSERT_EQ(log.size(), 1u);
    std::array<uint8_t, 64> expected{};
    expected[0] = 4;
    expected[3] = 0xEE;
    expected[4] = 0xEE;
    EXPECT_EQ(log[0].bytes, expected);
    EXPECT_EQ(keyboard->BootRequestCount(), 1u);
    EXPECT_TRUE(keyboard->InBootMode());
}

TEST_F(ProtocolTest, LateReplyIsNeverTakenForTheNextAnswer) {
    // The first write's reply comes during the second read; the second write's reply comes
    // after the command has finished and must not answer the next command.
    keyboard->DelayReplies(400);
    EXPECT_EQ(CmdBeginSession(), 1);
    // The late reply's delay runs out: it waits unread when the next command starts. No event
    // tells when it is due; the pause is that delay itself.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(keyboard->ReplyLog().size(), 2u);
    keyboard->DelayReplies(0);
    uint8_t info[44] = {};
    ASSERT_EQ(CmdReadInfoBlock(info), 1);
    const auto expected = keyboard->InfoBlock();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), info));
}

TEST_F(ProtocolTest, TransactionsOfTwoThreadsNeverInterleave) {
    auto checker = std::make_shared<PairingChecker>(keyboard);
    SetCurrentHidBackend(checker);
    ASSERT_TRUE(ConfigDevice().Open(keyboard->ConfigurationPath(),
                                    {.read = true, .write = true, .overlapped = true}));
    keyboard->DelayReplies(1);
    const auto table = Pattern(378, 77);
    std::atomic<int> failures{0};
    std::thread writer([&] {
        for (int i = 0; i < 5; ++i) {
            if (CmdWriteKeyTable(table.data(), 1) != 1) {
                ++failures;
            }
        }
    });
    std::thread reader([&] {
        const auto expected = keyboard->InfoBlock();
        for (int i = 0; i < 30; ++i) {
            uint8_t info[44] = {};
            if (CmdReadInfoBlock(info) != 1 ||
                !std::equal(expected.begin(), expected.end(), info)) {
                ++failures;
            }
        }
    });
    writer.join();
    reader.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(checker->Violations(), 0);
    EXPECT_EQ(keyboard->KeyTable(1), table);
    // No request had to be repeated.
    EXPECT_EQ(keyboard->RequestLog().size(), 5u * 7 + 30);
}

TEST_F(ProtocolTest, UnpluggedKeyboardFailsTheWrite) {
    keyboard->Unplug();
    EXPECT_EQ(CmdBeginSession(), -1);
    uint8_t info[44];
    EXPECT_EQ(CmdReadInfoBlock(info), -1);
}

TEST_F(ProtocolTest, TraceSeesEveryReportMovedInOrder) {
    struct Recorder : ReportTrace {
        std::vector<SimFrame> frames;
        void OnReport(bool toKeyboard, const uint8_t* report, size_t length) override {
            SimFrame frame;
            frame.direction =
                toKeyboard ? SimFrameDirection::ToKeyboard : SimFrameDirection::FromKeyboard;
            std::copy_n(report, std::min<size_t>(length, 64), frame.bytes.begin());
            frames.push_back(frame);
        }
    } recorder;
    SetReportTrace(&recorder);
    keyboard->DropNextReplies(1);
    uint8_t info[44];
    EXPECT_EQ(CmdReadInfoBlock(info), 1);
    EXPECT_EQ(CmdEnterBootMode(), 1);
    SetReportTrace(nullptr);
    EXPECT_EQ(CmdTest(), -1); // in boot mode the keyboard has gone; nothing more is traced
    const auto log = keyboard->FrameLog();
    ASSERT_EQ(recorder.frames.size(), 4u); // request, its repetition, the reply, boot request
    ASSERT_EQ(log.size(), recorder.frames.size());
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(recorder.frames[i].direction, log[i].direction) << i;
        EXPECT_EQ(recorder.frames[i].bytes, log[i].bytes) << i;
    }
}
