#include "platform/hid/SimulatedKeyboard.h"

#include "platform/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <iterator>
#include <mutex>
#include <optional>
#include <sys/stat.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kFrameSize = 64;
constexpr size_t kMaxPayload = 56;
constexpr size_t kPayloadOffset = 8;
constexpr size_t kConsumerReportSize = 3;
constexpr size_t kBootReportSize = 8;
constexpr size_t kBootKeySlots = 6;
constexpr size_t kBootFirstKeyByte = 2;
constexpr uint8_t kFirstModifierUsage = 0xE0;
constexpr uint8_t kLastModifierUsage = 0xE7;
constexpr uint8_t kRollOverUsage = 0x01;
constexpr uint8_t kConfigReportId = 4;
constexpr uint8_t kConsumerReportId = 3;
constexpr size_t kActiveProfileByte = 10;
constexpr size_t kFirstFirmwareByte = 11; // InfoBlock bytes from here on are the firmware's
constexpr size_t kMaxQueuedReports = 64;  // per handle, as hidraw keeps
constexpr size_t kMaxLoggedFrames = 65536;

// Vendor page 0xFF1C, usage 0x92: 64-byte input and output reports with id 4.
const std::vector<uint8_t> kConfigDescriptor = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

// Consumer control with id 3: one 16-bit array field of usages 0..0x3FFF.
const std::vector<uint8_t> kConsumerDescriptor = {
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x3F,
    0x19, 0x00, 0x2A, 0xFF, 0x3F, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};

// Boot keyboard without report ids: modifier bits, a reserved byte, six key slots; LEDs out.
const std::vector<uint8_t> kKeyboardDescriptor = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

std::atomic<unsigned> nextInstance{0};

uint16_t FrameChecksum(const uint8_t* frame) {
    unsigned sum = 0;
    for (size_t i = 3; i < kFrameSize; ++i) {
        sum += frame[i];
    }
    return static_cast<uint16_t>(sum);
}

bool IsFailureStatus(uint8_t status) {
    return status == kSimStatusBadFrame || status == kSimStatusRefused;
}

// What tells one version of the state file from the next, without reading it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    long long mtimeSec = 0;
    long long mtimeNsec = 0;
    off_t size = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return FileIdentity{st.st_dev, st.st_ino, static_cast<long long>(st.st_mtim.tv_sec),
                        static_cast<long long>(st.st_mtim.tv_nsec), st.st_size};
}

// Copies `length` bytes from `in` to `area` at `offset`; true when anything changed.
template <typename Area> bool Store(Area& area, size_t offset, const uint8_t* in, size_t length) {
    const auto first = area.begin() + static_cast<ptrdiff_t>(offset);
    if (std::equal(in, in + length, first)) {
        return false;
    }
    std::copy_n(in, length, first);
    return true;
}

template <typename Area> void Fetch(const Area& area, size_t offset, uint8_t* out, size_t length) {
    std::copy_n(area.begin() + static_cast<ptrdiff_t>(offset), length, out);
}

// One open handle: its own queue of reports, as each hidraw reader has.
struct SimHandle {
    struct Report {
        std::array<uint8_t, kFrameSize> bytes{};
        size_t length = 0;
        Clock::time_point readyAt;
    };
    SimInterface kind = SimInterface::Keyboard;
    uint64_t generation = 0;
    bool canRead = false;
    bool canWrite = false;
    bool cancelled = false;
    std::deque<Report> queue;
};

} // namespace

struct SimulatedKeyboard::Core {
    mutable std::mutex mutex;
    std::condition_variable changed;

    SimKeyboardModel model;
    std::array<std::string, 3> paths;
    std::vector<uint8_t> factory;
    SimKeyboardMemory memory;

    bool alive = true; // false once the SimulatedKeyboard object is gone
    bool plugged = true;
    bool boot = false;
    std::optional<uint32_t> bootDuration;
    std::optional<Clock::time_point> bootReturnAt;
    unsigned bootRequests = 0;
    uint64_t generation = 0;  // raised whenever the interfaces vanish
    uint64_t appearances = 0; // raised whenever they vanish or come back, for change monitors
    bool session = false;
    std::deque<SimFrame> log;

    unsigned dropReplies = 0;
    uint8_t forcedStatus = 0;
    unsigned forcedCount = 0;
    uint32_t delayMs = 0;
    unsigned failWrites = 0;
    bool instantTimeouts = false;

    struct ScheduledFault {
        SimFault fault = SimFault::Unplug;
        unsigned requestsBefore = 0;
        unsigned count = 1;
    };
    std::optional<ScheduledFault> scheduled;

    std::vector<SimHandle*> handles;

    std::optional<std::filesystem::path> stateFile;
    std::optional<FileIdentity> stateIdentity;
    SimStateError lastSaveError = SimStateError::None;
    bool unsaved = false; // changes of the open session not yet in the state file

    bool Present() const { return alive && plugged && !boot; }
    bool Dead(const SimHandle& handle) const {
        return !Present() || handle.generation != generation;
    }

    static void Consume(unsigned& count) {
        if (count != kSimForever) {
            --count;
        }
    }

    // Work that time or another process may have made due; run before acting on a request.
    void Refresh() {
        if (boot && bootReturnAt && Clock::now() >= *bootReturnAt) {
            LeaveBoot();
        }
        TakeUpStateFile();
    }

    void LeaveBoot() {
        boot = false;
        bootReturnAt.reset();
        InterfacesChanged();
    }

    void InterfacesChanged() {
        ++appearances;
        changed.notify_all();
    }

    // Counts one configuration request against the scheduled fault and arms it when due;
    // false when the keyboard vanished with it.
    bool ReachScheduledFault() {
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

    void Vanish() {
        ++generation;
        EndSession();
        for (SimHandle* handle : handles) {
            handle->queue.clear();
        }
        InterfacesChanged();
    }

    void EnterBoot() {
        boot = true;
        bootReturnAt.reset();
        if (bootDuration) {
            bootReturnAt = Clock::now() + std::chrono::milliseconds(*bootDuration);
        }
        Vanish();
    }

    void Log(SimFrameDirection direction, const uint8_t* bytes) {
        SimFrame frame;
        frame.direction = direction;
        std::copy_n(bytes, kFrameSize, frame.bytes.begin());
        log.push_back(frame);
        if (log.size() > kMaxLoggedFrames) {
            log.pop_front();
        }
    }

    int Deliver(SimInterface kind, const uint8_t* bytes, size_t length, Clock::time_point readyAt) {
        int reached = 0;
        for (SimHandle* handle : handles) {
            if (handle->kind != kind || !handle->canRead || Dead(*handle)) {
                continue;
            }
            if (handle->queue.size() >= kMaxQueuedReports) {
                handle->queue.pop_front();
            }
            SimHandle::Report report;
            std::copy_n(bytes, length, report.bytes.begin());
            report.length = length;
            report.readyAt = readyAt;
            handle->queue.push_back(report);
            ++reached;
        }
        changed.notify_all();
        return reached;
    }

    int Notice(uint16_t usage) {
        const uint8_t report[kConsumerReportSize] = {kConsumerReportId,
                                                     static_cast<uint8_t>(usage & 0xFF),
                                                     static_cast<uint8_t>(usage >> 8)};
        return Deliver(SimInterface::Consumer, report, sizeof report, Clock::now());
    }

    int KeyboardReport(const std::vector<uint8_t>& usagesDown) {
        std::array<uint8_t, kBootReportSize> report{};
        size_t slot = kBootFirstKeyByte;
        bool rollOver = false;
        for (uint8_t usage : usagesDown) {
            if (usage >= kFirstModifierUsage && usage <= kLastModifierUsage) {
                report[0] |= static_cast<uint8_t>(1u << (usage - kFirstModifierUsage));
            } else if (usage != 0 && slot < kBootFirstKeyByte + kBootKeySlots) {
                report[slot++] = usage;
            } else if (usage != 0) {
                rollOver = true;
            }
        }
        if (rollOver) {
            std::fill(report.begin() + kBootFirstKeyByte, report.end(), kRollOverUsage);
        }
        return Deliver(SimInterface::Keyboard, report.data(), report.size(), Clock::now());
    }

    // A session's writes reach the file together when it ends: one save per Apply, not one per
    // frame, and never half an Apply.
    void MemoryChanged() {
        if (!stateFile) {
            return;
        }
        if (session) {
            unsaved = true;
            return;
        }
        Save();
    }

    void Save() {
        unsaved = false;
        lastSaveError = SaveSimStateFile(*stateFile, memory);
        stateIdentity = IdentityOf(*stateFile);
    }

    void EndSession() {
        session = false;
        if (unsaved && stateFile) {
            Save();
        }
        unsaved = false;
    }

    // Another process (kestrowctl beside the program, say) replaced the state file: its
    // memory is the keyboard's now, and the keyboard tells the listener what changed.
    void TakeUpStateFile() {
        if (!stateFile || unsaved) {
            return; // our open session wins: it is saved when it ends
        }
        const std::optional<FileIdentity> identity = IdentityOf(*stateFile);
        if (!identity || identity == stateIdentity) {
            return;
        }
        stateIdentity = identity;
        SimKeyboardMemory loaded;
        if (LoadSimStateFile(*stateFile, loaded) != SimStateError::None || loaded.model != model) {
            return; // keep ours; the next change writes a sound file again
        }
        const bool profileChanged =
            loaded.infoBlock[kActiveProfileByte] != memory.infoBlock[kActiveProfileByte];
        const bool lightChanged = loaded.lightArea != memory.lightArea;
        memory = std::move(loaded);
        if (Present()) {
            if (profileChanged) {
                Notice(kSimNoticeProfileChanged);
                Notice(kSimNoticeReleased);
            }
            if (lightChanged) {
                Notice(kSimNoticeLightingChanged);
                Notice(kSimNoticeReleased);
            }
        }
    }

    uint8_t Execute(uint8_t command, size_t length, size_t offset, const uint8_t* in, uint8_t* out,
                    bool& memoryChanged) {
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
            Fetch(info, offset, out, length);
            return kSimStatusOk;
        case kSimCmdWriteInfoBlock: {
            if (!fits(info.size())) {
                return kSimStatusRefused;
            }
            if (offset <= kActiveProfileByte && kActiveProfileByte < offset + length &&
                in[kActiveProfileByte - offset] >= kSimProfileCount) {
                return kSimStatusRefused;
            }
            const size_t end = std::min(offset + length, kFirstFirmwareByte);
            if (offset < end) {
                memoryChanged |= Store(info, offset, in, end - offset);
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
            memoryChanged |= Store(memory.lightArea, offset, in, length);
            return kSimStatusOk;
        case kSimCmdReadKeyTable:
            if (!fits(memory.keyTables.size())) {
                return kSimStatusRefused;
            }
            Fetch(memory.keyTables, offset, out, length);
            return kSimStatusOk;
        case kSimCmdWriteKeyTable:
            if (!fits(memory.keyTables.size())) {
                return kSimStatusRefused;
            }
            memoryChanged |= Store(memory.keyTables, offset, in, length);
            return kSimStatusOk;
        case kSimCmdReadMacroArea:
            if (!fits(memory.macroArea.size())) {
                return kSimStatusRefused;
            }
            Fetch(memory.macroArea, offset, out, length);
            return kSimStatusOk;
        case kSimCmdWriteMacroArea:
            if (!fits(memory.macroArea.size())) {
                return kSimStatusRefused;
            }
            memoryChanged |= Store(memory.macroArea, offset, in, length);
            return kSimStatusOk;
        case kSimCmdReadDefaultKeyTable:
            if (!fits(factory.size())) {
                return kSimStatusRefused;
            }
            Fetch(factory, offset, out, length);
            return kSimStatusOk;
        case kSimCmdReadKeyColours:
            if (!fits(memory.colourBanks.size())) {
                return kSimStatusRefused;
            }
            Fetch(memory.colourBanks, offset, out, length);
            return kSimStatusOk;
        case kSimCmdWriteKeyColours:
            if (!fits(memory.colourBanks.size())) {
                return kSimStatusRefused;
            }
            memoryChanged |= Store(memory.colourBanks, offset, in, length);
            return kSimStatusOk;
        default:
            return kSimStatusBadFrame;
        }
    }

    void HandleFrame(const uint8_t* frame) {
        Log(SimFrameDirection::ToKeyboard, frame);
        if (frame[0] != kConfigReportId) {
            return; // a report of no collection of this interface
        }
        if (frame[3] == kSimCmdEnterBootMode && frame[4] == kSimCmdEnterBootMode) {
            ++bootRequests;
            EnterBoot();
            return;
        }

        std::array<uint8_t, kFrameSize> reply{};
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
            Deliver(SimInterface::Configuration, reply.data(), kFrameSize,
                    Clock::now() + std::chrono::milliseconds(delayMs));
        }
        if (memoryChanged) {
            MemoryChanged();
        }
    }
};

namespace {

class SimHidInterface : public HidInterface {
public:
    SimHidInterface(std::shared_ptr<SimulatedKeyboard::Core> core, SimHandle handle)
        : core_(std::move(core)), handle_(std::move(handle)) {}

    ~SimHidInterface() override {
        std::lock_guard lock(core_->mutex);
        auto& handles = core_->handles;
        handles.erase(std::remove(handles.begin(), handles.end(), &handle_), handles.end());
    }

    SimHandle& Handle() { return handle_; }

    uint16_t VendorId() const override { return core_->model.vendorId; }
    uint16_t ProductId() const override { return core_->model.productId; }
    const std::vector<uint8_t>& ReportDescriptorBytes() const override {
        return SimulatedKeyboard::ReportDescriptorOf(handle_.kind);
    }

    HidTransferResult Read(uint8_t* buffer, size_t length, size_t& transferred,
                           uint32_t timeoutMs) override {
        transferred = 0;
        const bool unlimited = timeoutMs == kHidNoTimeout;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::unique_lock lock(core_->mutex);
        for (;;) {
            if (handle_.cancelled) {
                return HidTransferResult::Cancelled;
            }
            if (core_->Dead(handle_)) {
                return HidTransferResult::Gone;
            }
            if (!handle_.canRead || buffer == nullptr || length == 0) {
                return HidTransferResult::Failed;
            }
            const Clock::time_point now = Clock::now();
            std::optional<Clock::time_point> wake;
            if (!handle_.queue.empty()) {
                const SimHandle::Report& report = handle_.queue.front();
                if (report.readyAt <= now) {
                    transferred = std::min(length, report.length);
                    std::copy_n(report.bytes.begin(), transferred, buffer);
                    handle_.queue.pop_front();
                    return HidTransferResult::Ok;
                }
                wake = report.readyAt;
            }
            if (!unlimited) {
                if (now >= deadline || (core_->instantTimeouts && handle_.queue.empty())) {
                    return HidTransferResult::Timeout;
                }
                wake = wake ? std::min(*wake, deadline) : deadline;
            }
            if (wake) {
                core_->changed.wait_until(lock, *wake);
            } else {
                core_->changed.wait(lock);
            }
        }
    }

    HidTransferResult Write(const uint8_t* buffer, size_t length, size_t& transferred,
                            uint32_t /*timeoutMs*/) override {
        transferred = 0;
        std::lock_guard lock(core_->mutex);
        core_->Refresh();
        if (handle_.cancelled) {
            return HidTransferResult::Cancelled;
        }
        if (core_->Dead(handle_)) {
            return HidTransferResult::Gone;
        }
        if (!handle_.canWrite || buffer == nullptr) {
            return HidTransferResult::Failed;
        }
        if (handle_.kind == SimInterface::Configuration && !core_->ReachScheduledFault()) {
            return HidTransferResult::Gone;
        }
        if (core_->failWrites > 0) {
            SimulatedKeyboard::Core::Consume(core_->failWrites);
            return HidTransferResult::Failed;
        }
        switch (handle_.kind) {
        case SimInterface::Keyboard:
            if (length != 1) { // the LED report
                return HidTransferResult::Failed;
            }
            break;
        case SimInterface::Consumer:
            return HidTransferResult::Failed; // no output report
        case SimInterface::Configuration:
            if (length != kFrameSize) {
                return HidTransferResult::Failed;
            }
            core_->HandleFrame(buffer);
            break;
        }
        transferred = length;
        return HidTransferResult::Ok;
    }

    void Cancel() override {
        std::lock_guard lock(core_->mutex);
        handle_.cancelled = true;
        core_->changed.notify_all();
    }

private:
    std::shared_ptr<SimulatedKeyboard::Core> core_;
    SimHandle handle_; // guarded by the core's mutex
};

// Wakes the presence thread when the keyboard is unplugged, plugged in, or leaves or enters
// boot mode, as the udev monitor does for hidraw nodes.
class SimChangeMonitor : public HidChangeMonitor {
public:
    explicit SimChangeMonitor(std::shared_ptr<SimulatedKeyboard::Core> core)
        : core_(std::move(core)), seen_(core_->appearances) {}

    HidChangeWait Wait(uint32_t timeoutMs) override {
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::unique_lock lock(core_->mutex);
        for (;;) {
            core_->Refresh(); // a boot mode that ends by itself ends now
            if (cancelled_) {
                return HidChangeWait::Cancelled;
            }
            if (core_->appearances != seen_) {
                seen_ = core_->appearances;
                return HidChangeWait::Changed;
            }
            const Clock::time_point now = Clock::now();
            if (now >= deadline) {
                return HidChangeWait::Timeout;
            }
            Clock::time_point wake = deadline;
            if (core_->boot && core_->bootReturnAt) {
                wake = std::min(wake, *core_->bootReturnAt);
            }
            core_->changed.wait_until(lock, wake);
        }
    }

    void Cancel() override {
        std::lock_guard lock(core_->mutex);
        cancelled_ = true;
        core_->changed.notify_all();
    }

private:
    std::shared_ptr<SimulatedKeyboard::Core> core_;
    uint64_t seen_;          // guarded by the core's mutex
    bool cancelled_ = false; // guarded by the core's mutex
};

} // namespace

std::unique_ptr<HidChangeMonitor> SimulatedKeyboard::WatchChanges() {
    std::lock_guard lock(core_->mutex);
    return std::make_unique<SimChangeMonitor>(core_);
}

SimulatedKeyboard::SimulatedKeyboard(const SimKeyboardModel& model)
    : core_(std::make_shared<Core>()) {
    const SimKeyboardModel* known = FindSimKeyboardModel(model.vendorId, model.productId);
    core_->model = known != nullptr ? *known : kSimModel5004;
    const unsigned instance = nextInstance.fetch_add(1);
    char ids[32];
    std::snprintf(ids, sizeof ids, "?vid_%04x&pid_%04x", core_->model.vendorId,
                  core_->model.productId);
    for (size_t i = 0; i < core_->paths.size(); ++i) {
        core_->paths[i] = "simkbd" + std::to_string(instance) + "/input" + std::to_string(i) + ids;
    }
    core_->factory = SimFactoryKeyTable(core_->model);
    core_->memory = FactorySimKeyboardMemory(core_->model);
}

SimulatedKeyboard::~SimulatedKeyboard() {
    std::lock_guard lock(core_->mutex);
    core_->EndSession();
    core_->alive = false;
    core_->changed.notify_all();
}

bool SimulatedKeyboard::ListInterfaces(std::vector<std::string>& paths) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    paths.clear();
    if (core_->Present()) {
        paths.assign(core_->paths.begin(), core_->paths.end());
    }
    return true;
}

std::unique_ptr<HidInterface>
SimulatedKeyboard::Open(const std::string& path, const HidOpenFlags& flags, HidOpenError& error) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    for (size_t i = 0; i < core_->paths.size(); ++i) {
        if (path != core_->paths[i] || !core_->Present()) {
            continue;
        }
        SimHandle handle;
        handle.kind = static_cast<SimInterface>(i);
        handle.generation = core_->generation;
        handle.canRead = flags.read;
        handle.canWrite = flags.write;
        auto opened = std::make_unique<SimHidInterface>(core_, std::move(handle));
        core_->handles.push_back(&opened->Handle());
        error = HidOpenError::None;
        return opened;
    }
    error = HidOpenError::NotFound;
    return nullptr;
}

bool SimulatedKeyboard::PathExists(const std::string& path) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    return core_->Present() &&
           std::find(core_->paths.begin(), core_->paths.end(), path) != core_->paths.end();
}

const SimKeyboardModel& SimulatedKeyboard::Model() const {
    return core_->model; // fixed at construction
}

std::string SimulatedKeyboard::InterfacePath(SimInterface which) const {
    return core_->paths[static_cast<size_t>(which)];
}

const std::vector<uint8_t>& SimulatedKeyboard::ReportDescriptorOf(SimInterface which) {
    switch (which) {
    case SimInterface::Consumer:
        return kConsumerDescriptor;
    case SimInterface::Configuration:
        return kConfigDescriptor;
    case SimInterface::Keyboard:
        break;
    }
    return kKeyboardDescriptor;
}

int SimulatedKeyboard::OpenHandleCount(SimInterface which) const {
    std::lock_guard lock(core_->mutex);
    return static_cast<int>(std::count_if(core_->handles.begin(), core_->handles.end(),
                                          [&](const SimHandle* h) { return h->kind == which; }));
}

SimKeyboardMemory SimulatedKeyboard::Memory() const {
    std::lock_guard lock(core_->mutex);
    return core_->memory;
}

bool SimulatedKeyboard::SetMemory(const SimKeyboardMemory& memory) {
    std::lock_guard lock(core_->mutex);
    if (memory.model != core_->model ||
        memory.keyTables.size() != kSimProfileCount * core_->model.keyTableLength ||
        memory.macroArea.size() != memory.infoBlock[kFirstFirmwareByte] * kSimMacroUnit) {
        return false;
    }
    core_->memory = memory;
    core_->MemoryChanged();
    return true;
}

std::array<uint8_t, kSimInfoBlockSize> SimulatedKeyboard::InfoBlock() const {
    std::lock_guard lock(core_->mutex);
    return core_->memory.infoBlock;
}

void SimulatedKeyboard::SetInfoBlock(const std::array<uint8_t, kSimInfoBlockSize>& block) {
    std::lock_guard lock(core_->mutex);
    core_->memory.infoBlock = block;
    core_->memory.macroArea.resize(block[kFirstFirmwareByte] * kSimMacroUnit, 0);
    core_->MemoryChanged();
}

int SimulatedKeyboard::ActiveProfile() const {
    std::lock_guard lock(core_->mutex);
    return core_->memory.infoBlock[kActiveProfileByte];
}

std::array<uint8_t, kSimLightAreaSize> SimulatedKeyboard::LightArea() const {
    std::lock_guard lock(core_->mutex);
    return core_->memory.lightArea;
}

std::array<uint8_t, kSimLightRecordSize> SimulatedKeyboard::LightRecord(int profile) const {
    std::array<uint8_t, kSimLightRecordSize> record{};
    if (profile < 0 || profile >= static_cast<int>(kSimProfileCount)) {
        return record;
    }
    std::lock_guard lock(core_->mutex);
    Fetch(core_->memory.lightArea, static_cast<size_t>(profile) * kSimLightRecordSize,
          record.data(), record.size());
    return record;
}

void SimulatedKeyboard::SetLightArea(const std::array<uint8_t, kSimLightAreaSize>& area) {
    std::lock_guard lock(core_->mutex);
    core_->memory.lightArea = area;
    core_->MemoryChanged();
}

std::vector<uint8_t> SimulatedKeyboard::KeyTable(int profile) const {
    if (profile < 0 || profile >= static_cast<int>(kSimProfileCount)) {
        return {};
    }
    std::lock_guard lock(core_->mutex);
    const size_t length = core_->model.keyTableLength;
    const auto first = core_->memory.keyTables.begin() +
                       static_cast<ptrdiff_t>(static_cast<size_t>(profile) * length);
    return std::vector<uint8_t>(first, first + static_cast<ptrdiff_t>(length));
}

bool SimulatedKeyboard::SetKeyTable(int profile, const std::vector<uint8_t>& table) {
    std::lock_guard lock(core_->mutex);
    const size_t length = core_->model.keyTableLength;
    if (profile < 0 || profile >= static_cast<int>(kSimProfileCount) || table.size() != length) {
        return false;
    }
    std::copy(table.begin(), table.end(),
              core_->memory.keyTables.begin() +
                  static_cast<ptrdiff_t>(static_cast<size_t>(profile) * length));
    core_->MemoryChanged();
    return true;
}

std::vector<uint8_t> SimulatedKeyboard::MacroArea() const {
    std::lock_guard lock(core_->mutex);
    return core_->memory.macroArea;
}

size_t SimulatedKeyboard::MacroCapacity() const {
    std::lock_guard lock(core_->mutex);
    return core_->memory.macroArea.size();
}

bool SimulatedKeyboard::SetMacroArea(const std::vector<uint8_t>& area) {
    std::lock_guard lock(core_->mutex);
    auto& macro = core_->memory.macroArea;
    if (area.size() > macro.size()) {
        return false;
    }
    std::fill(std::copy(area.begin(), area.end(), macro.begin()), macro.end(), 0);
    core_->MemoryChanged();
    return true;
}

std::vector<uint8_t> SimulatedKeyboard::FactoryKeyTable() const {
    return core_->factory; // fixed at construction
}

std::array<uint8_t, kSimKeyColourBankSize> SimulatedKeyboard::KeyColourBank(int profile) const {
    std::array<uint8_t, kSimKeyColourBankSize> bank{};
    if (profile < 0 || profile >= static_cast<int>(kSimProfileCount)) {
        return bank;
    }
    std::lock_guard lock(core_->mutex);
    Fetch(core_->memory.colourBanks, static_cast<size_t>(profile) * kSimKeyColourBankSize,
          bank.data(), bank.size());
    return bank;
}

bool SimulatedKeyboard::SetKeyColourBank(int profile,
                                         const std::array<uint8_t, kSimKeyColourBankSize>& bank) {
    if (profile < 0 || profile >= static_cast<int>(kSimProfileCount)) {
        return false;
    }
    std::lock_guard lock(core_->mutex);
    Store(core_->memory.colourBanks, static_cast<size_t>(profile) * kSimKeyColourBankSize,
          bank.data(), bank.size());
    core_->MemoryChanged();
    return true;
}

bool SimulatedKeyboard::SessionOpen() const {
    std::lock_guard lock(core_->mutex);
    return core_->session;
}

std::vector<SimFrame> SimulatedKeyboard::FrameLog() const {
    std::lock_guard lock(core_->mutex);
    return std::vector<SimFrame>(core_->log.begin(), core_->log.end());
}

std::vector<SimFrame> SimulatedKeyboard::RequestLog() const {
    std::lock_guard lock(core_->mutex);
    std::vector<SimFrame> frames;
    std::copy_if(core_->log.begin(), core_->log.end(), std::back_inserter(frames),
                 [](const SimFrame& f) { return f.direction == SimFrameDirection::ToKeyboard; });
    return frames;
}

std::vector<SimFrame> SimulatedKeyboard::ReplyLog() const {
    std::lock_guard lock(core_->mutex);
    std::vector<SimFrame> frames;
    std::copy_if(core_->log.begin(), core_->log.end(), std::back_inserter(frames),
                 [](const SimFrame& f) { return f.direction == SimFrameDirection::FromKeyboard; });
    return frames;
}

void SimulatedKeyboard::ClearFrameLog() {
    std::lock_guard lock(core_->mutex);
    core_->log.clear();
}

void SimulatedKeyboard::Unplug() {
    std::lock_guard lock(core_->mutex);
    core_->plugged = false;
    core_->Vanish();
}

void SimulatedKeyboard::Replug() {
    std::lock_guard lock(core_->mutex);
    if (!core_->plugged) {
        core_->plugged = true;
        core_->InterfacesChanged();
    }
}

bool SimulatedKeyboard::IsPlugged() const {
    std::lock_guard lock(core_->mutex);
    return core_->plugged;
}

void SimulatedKeyboard::DropNextReplies(unsigned count) {
    std::lock_guard lock(core_->mutex);
    core_->dropReplies = count;
}

void SimulatedKeyboard::AnswerWithStatus(uint8_t status, unsigned count) {
    std::lock_guard lock(core_->mutex);
    core_->forcedStatus = status;
    core_->forcedCount = count;
}

void SimulatedKeyboard::DelayReplies(uint32_t ms) {
    std::lock_guard lock(core_->mutex);
    core_->delayMs = ms;
}

void SimulatedKeyboard::FailWrites(unsigned count) {
    std::lock_guard lock(core_->mutex);
    core_->failWrites = count;
}

void SimulatedKeyboard::ScheduleFault(SimFault fault, unsigned requestsBefore, unsigned count) {
    std::lock_guard lock(core_->mutex);
    core_->scheduled = Core::ScheduledFault{fault, requestsBefore, count};
}

bool SimulatedKeyboard::FaultPending() const {
    std::lock_guard lock(core_->mutex);
    return core_->scheduled.has_value();
}

void SimulatedKeyboard::SetInstantTimeouts(bool on) {
    std::lock_guard lock(core_->mutex);
    core_->instantTimeouts = on;
    core_->changed.notify_all();
}

int SimulatedKeyboard::PushConsumerNotice(uint16_t usage) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    return core_->Present() ? core_->Notice(usage) : 0;
}

int SimulatedKeyboard::TypeKey(uint8_t usage) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    if (!core_->Present()) {
        return 0;
    }
    const int reached = core_->KeyboardReport({usage});
    core_->KeyboardReport({});
    return reached;
}

int SimulatedKeyboard::SendKeyboardReport(const std::vector<uint8_t>& usagesDown) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    return core_->Present() ? core_->KeyboardReport(usagesDown) : 0;
}

bool SimulatedKeyboard::ChangeProfileOnKeyboard(int profile) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    if (profile < 0 || profile >= static_cast<int>(kSimProfileCount) || !core_->Present()) {
        return false;
    }
    core_->memory.infoBlock[kActiveProfileByte] = static_cast<uint8_t>(profile);
    core_->MemoryChanged();
    core_->Notice(kSimNoticeProfileChanged);
    core_->Notice(kSimNoticeReleased);
    return true;
}

bool SimulatedKeyboard::ChangeLightByteOnKeyboard(size_t offset, uint8_t value) {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    if (offset >= kSimLightAreaSize || !core_->Present()) {
        return false;
    }
    core_->memory.lightArea[offset] = value;
    core_->MemoryChanged();
    core_->Notice(kSimNoticeLightingChanged);
    core_->Notice(kSimNoticeReleased);
    return true;
}

void SimulatedKeyboard::EnterBootMode() {
    std::lock_guard lock(core_->mutex);
    core_->EnterBoot();
}

void SimulatedKeyboard::ReturnFromBootMode() {
    std::lock_guard lock(core_->mutex);
    if (core_->boot) {
        core_->LeaveBoot();
    }
}

bool SimulatedKeyboard::InBootMode() const {
    std::lock_guard lock(core_->mutex);
    core_->Refresh();
    return core_->boot;
}

void SimulatedKeyboard::SetBootModeDuration(std::optional<uint32_t> ms) {
    std::lock_guard lock(core_->mutex);
    core_->bootDuration = ms;
}

unsigned SimulatedKeyboard::BootRequestCount() const {
    std::lock_guard lock(core_->mutex);
    return core_->bootRequests;
}

SimStateError SimulatedKeyboard::LoadState(const std::filesystem::path& file) {
    SimKeyboardMemory loaded;
    const SimStateError error = LoadSimStateFile(file, loaded);
    if (error != SimStateError::None) {
        return error;
    }
    std::lock_guard lock(core_->mutex);
    if (loaded.model != core_->model) {
        return SimStateError::WrongModel;
    }
    core_->memory = std::move(loaded);
    core_->MemoryChanged();
    return SimStateError::None;
}

SimStateError SimulatedKeyboard::SaveState(const std::filesystem::path& file) const {
    return SaveSimStateFile(file, Memory());
}

SimStateError SimulatedKeyboard::AttachStateFile(const std::filesystem::path& file) {
    std::lock_guard lock(core_->mutex);
    if (core_->unsaved) {
        core_->Save();
    }
    core_->stateFile.reset();
    core_->stateIdentity.reset();
    // A run killed while it saved the file may have left its temporary file behind.
    RemoveStaleTemporaries(file);
    std::error_code ec;
    const bool exists = std::filesystem::exists(file, ec);
    if (ec) {
        return SimStateError::CannotRead;
    }
    if (exists) {
        SimKeyboardMemory loaded;
        const SimStateError error = LoadSimStateFile(file, loaded);
        if (error != SimStateError::None) {
            return error;
        }
        if (loaded.model != core_->model) {
            return SimStateError::WrongModel;
        }
        core_->memory = std::move(loaded);
    } else if (const SimStateError error = SaveSimStateFile(file, core_->memory);
               error != SimStateError::None) {
        return error;
    }
    core_->stateFile = file;
    core_->stateIdentity = IdentityOf(file);
    core_->lastSaveError = SimStateError::None;
    core_->unsaved = false;
    return SimStateError::None;
}

void SimulatedKeyboard::DetachStateFile() {
    std::lock_guard lock(core_->mutex);
    if (core_->unsaved) {
        core_->Save();
    }
    core_->stateFile.reset();
    core_->stateIdentity.reset();
}

SimStateError SimulatedKeyboard::LastSaveError() const {
    std::lock_guard lock(core_->mutex);
    return core_->lastSaveError;
}
