// SPDX-License-Identifier: GPL-3.0-or-later
// Every kind of file the program keeps, written over and over by a child process that is
// killed with SIGKILL at a random moment, hundreds of times: each time the file must be the old
// one or the new one, whole, and what the next start of the program runs must leave no
// temporary file behind.

#include "device/DeviceState.h"
#include "device/Presence.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileFile.h"
#include "model/ProfileFolder.h"
#include "model/ProfileStore.h"
#include "model/UserColourFile.h"
#include "platform/ProfileString.h"
#include "platform/ProgramNames.h"
#include "platform/SettingsHive.h"
#include "platform/UserFolders.h"
#include "platform/hid/sim/SimulatedKeyboard.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/TestNames.h"
#include "tools/kestrowctl/CtlCommands.h"
#include "tools/kestrowctl/TerminalSink.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <poll.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kKillsPerKind = 200;
// Kills land anywhere in the first few writes of the child (one takes a few milliseconds with
// its fsync calls).
constexpr int kLatestKillUs = 12000;
constexpr int kReadyTimeoutMs = 10000;
constexpr KeyCode kKeyA = 0x1E;

// The world the writers share in this process and, after the fork, in the child.
struct Writers {
    std::shared_ptr<SimulatedKeyboard> keyboard;
    std::unique_ptr<SettingsHive> hive;
    std::unique_ptr<SimulatedKeyboard> stateKeeper;
    fs::path backup;
    fs::path stateFile;
};
Writers& Shared() {
    static Writers writers;
    return writers;
}

struct FileKind {
    const char* name;
    fs::path (*target)();
    // Once, in this process, before the first write.
    bool (*prepare)();
    // Writes version 0 or 1 of the file; true when written.
    bool (*write)(int version);
    // What the next start of the program runs for this file.
    void (*nextStart)();
};

bool WriteWorkingFile(int version) {
    std::lock_guard guard(WorkingStore().lock);
    KeyAssignment& a = WorkingStore().block->Record(0, RecordIndexOfCode(kKeyA));
    a.type = AssignmentType::kKey;
    a.value = static_cast<uint32_t>(0x30 + version);
    return WriteProfileFile(StoreLock::HeldByCaller, ProfilePath(0));
}

bool WriteBackup(int version) {
    // Position 19 is A by default (02 02 04); B there reads back as a reassigned key.
    constexpr size_t kUsageOfA = 3 * 19 + 2;
    std::vector<uint8_t> table = Shared().keyboard->KeyTable(0);
    table[kUsageOfA] = static_cast<uint8_t>(version ? 0x05 : 0x04);
    return Shared().keyboard->SetKeyTable(0, table) && ReadKeyboardToFile(Shared().backup);
}

const FileKind kFileKinds[] = {
    {"working file", [] { return UserDataFolder() / "$Profile0"; },
     [] {
         std::lock_guard guard(WorkingStore().lock);
         ClearWorkingStore();
         WorkingStore().macros.resize(3); // a file of some 130 KB
         return MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore) && EnsureProfileFolder();
     },
     WriteWorkingFile, RemoveStaleProfileFolderTemporaries},
    {"backup", [] { return Shared().backup; },
     [] {
         Shared().backup = LocalAppDataFolder() / "exported.fwc";
         fs::create_directories(LocalAppDataFolder());
         Shared().keyboard = std::make_shared<SimulatedKeyboard>(kSimModel5004);
         SetCurrentHidBackend(Shared().keyboard);
         DeviceState().Reset();
         const bool connected = ConnectKeyboard(Shared().keyboard->ConfigurationPath()) == 1;
         DeviceState().CachedProfile.store(0);
         return connected;
     },
     WriteBackup,
     [] {
         // kestrowctl started on the file.
         CtlOptions options;
         options.command = CtlCommand::Check;
         options.file = Shared().backup.string();
         std::FILE* quiet = std::fopen("/dev/null", "w");
         TerminalSink sink(false, stdin, quiet);
         RunCtlCommand(options, sink);
         std::fclose(quiet);
     }},
    {"user colour file", [] { return UserColourFilePath(0); }, EnsureProfileFolder,
     [](int version) { return WriteKeyEntry(0, 0, 5, version ? 0x123456 : 0x654321, true); },
     RemoveStaleProfileFolderTemporaries},
    {"wskb.ini", [] { return UserDataFolder() / "wskb.ini"; }, EnsureProfileFolder,
     [](int version) {
         return WritePrivateProfileString("KEYCOLOR", "DengCheck", version ? "1" : "0",
                                          UserDataFolder() / "wskb.ini");
     },
     RemoveStaleProfileFolderTemporaries},
    {"registry.ini", [] { return UserConfigFolder() / "registry.ini"; },
     [] {
         Shared().hive = std::make_unique<SettingsHive>(UserConfigFolder() / "registry.ini");
         return Shared().hive->CreateKey(kAppRegistryKey);
     },
     [](int version) {
         return Shared().hive->WriteDword(kAppRegistryKey, "dwLanguageId",
                                          version ? 0x0409 : 0x0416);
     },
     [] {
         // The first read of the settings at start-up.
         SettingsHive(UserConfigFolder() / "registry.ini").ReadDword(kAppRegistryKey, "x");
     }},
    {"simulated keyboard state", [] { return Shared().stateFile; },
     [] {
         Shared().stateFile = UserStateFolder() / "keyboard.state";
         fs::create_directories(UserStateFolder());
         Shared().stateKeeper = std::make_unique<SimulatedKeyboard>(kSimModel5000);
         return Shared().stateKeeper->AttachStateFile(Shared().stateFile) == SimStateError::None;
     },
     [](int version) {
         auto area = Shared().stateKeeper->LightArea();
         area[1] = static_cast<uint8_t>(version);
         Shared().stateKeeper->SetLightArea(area);
         return Shared().stateKeeper->LastSaveError() == SimStateError::None;
     },
     [] {
         // --simulate=FILE.
         SimulatedKeyboard keyboard(kSimModel5000);
         keyboard.AttachStateFile(Shared().stateFile);
     }},
};

// Files beside target whose names start as its temporaries do.
int TemporariesBeside(const fs::path& target) {
    const std::string prefix = "." + target.filename().string() + ".";
    int count = 0;
    for (const auto& entry : fs::directory_iterator(target.parent_path())) {
        count += entry.path().filename().string().starts_with(prefix) ? 1 : 0;
    }
    return count;
}

// A child that writes versions 1, 0, 1, 0, ... of the file until it is killed.
pid_t StartWriter(const FileKind& kind) {
    int ready[2];
    if (::pipe(ready) != 0) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        const char byte = 1;
        if (::write(ready[1], &byte, 1) != 1) {
            ::_exit(2);
        }
        for (int version = 1;; version ^= 1) {
            if (!kind.write(version)) {
                ::_exit(3);
            }
        }
    }
    ::close(ready[1]);
    pollfd wait{ready[0], POLLIN, 0};
    char byte = 0;
    const bool started =
        pid > 0 && ::poll(&wait, 1, kReadyTimeoutMs) == 1 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    if (!started && pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

std::string Bytes(const fs::path& file) {
    std::string bytes;
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (in == nullptr) {
        return "(missing)";
    }
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) {
        bytes.append(buffer, n);
    }
    std::fclose(in);
    return bytes;
}

class CrashSafety : public ::testing::TestWithParam<FileKind> {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"}) {
            env_.push_back(std::make_unique<ScopedEnv>(name, (home_ / name).string()));
        }
        SetProgramFolder(home_ / "program");
    }
    void TearDown() override {
        DisconnectKeyboard();
        DeviceState().Reset();
        std::lock_guard guard(WorkingStore().lock);
        ClearWorkingStore();
        Shared() = Writers{};
    }

    TempDir home_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
};

TEST_P(CrashSafety, AKilledWriterLeavesTheOldOrTheNewFileAndTheNextStartCleansUp) {
    const FileKind& kind = GetParam();
    ASSERT_TRUE(kind.prepare());
    const fs::path target = kind.target();
    ASSERT_TRUE(kind.write(1));
    const std::string newer = Bytes(target);
    ASSERT_TRUE(kind.write(0));
    const std::string older = Bytes(target);
    ASSERT_TRUE(older != newer) << "two versions that differ";
    ASSERT_TRUE(kind.write(1));
    ASSERT_TRUE(kind.write(0));
    ASSERT_EQ(Bytes(target), older) << "the same version must give the same bytes";

    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> when(0, kLatestKillUs);
    int leftTemporaries = 0;
    int newerSeen = 0;
    for (int kill = 0; kill < kKillsPerKind; ++kill) {
        ASSERT_TRUE(kind.write(0));
        const pid_t child = StartWriter(kind);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(when(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << kind.name << ": the writer stopped by itself with status " << status;

        const std::string now = Bytes(target);
        ASSERT_TRUE(now == older || now == newer)
            << kind.name << ", kill " << kill << ": " << now.size() << " bytes, neither version";
        newerSeen += now == newer ? 1 : 0;
        leftTemporaries += TemporariesBeside(target) > 0 ? 1 : 0;
        kind.nextStart();
        ASSERT_EQ(TemporariesBeside(target), 0) << kind.name << ", kill " << kill;
    }
    std::printf("crash safety %s: %d kills, %d left the new file, %d left a temporary file\n",
                kind.name, kKillsPerKind, newerSeen, leftTemporaries);
}

// Test names and messages show the description, not the bytes.
void PrintTo(const FileKind& param, std::ostream* out) {
    *out << param.name;
}

INSTANTIATE_TEST_SUITE_P(FileKinds, CrashSafety, ::testing::ValuesIn(kFileKinds),
                         [](const ::testing::TestParamInfo<FileKind>& param) {
                             return TestNameOf(param.param.name);
                         });

} // namespace
