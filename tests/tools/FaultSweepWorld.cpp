// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultSweepWorld.h"

#include "device/DeviceState.h"
#include "device/Presence.h"
#include "model/KeyboardTransfer.h"
#include "model/Lighting.h"
#include "model/ProfileFile.h"
#include "model/ProfileFolder.h"
#include "model/ProfileStore.h"
#include "platform/UserFolders.h"
#include "support/SweepMacro.h"

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr KeyCode kKeyA = 0x1E;
constexpr KeyCode kKeyB = 0x30;
constexpr KeyCode kKeyEsc = 0x01;
constexpr int kStartProfile = 0;
constexpr int kColourProfile = 1;
constexpr int kColourMode = 2;

// A working store of its own for each variant: keys, media keys and a G-key macro in every
// profile, and variant + 2 macros of a few dozen steps (a macro area of several frames).
void FillWorkingStore(int variant) {
    ClearWorkingStore();
    MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore);
    KeyRecordBlock& block = *WorkingStore().block;
    for (int area = 0; area < kProfileCount; ++area) {
        KeyAssignment& a = block.Record(area, RecordIndexOfCode(kKeyA));
        a.type = AssignmentType::kKey;
        a.value = static_cast<uint32_t>(kKeyB + variant + area);
        KeyAssignment& esc = block.Record(area, RecordIndexOfCode(kKeyEsc));
        esc.type = AssignmentType::kMedia;
        esc.value = static_cast<uint32_t>(variant + area);
        KeyAssignment& g1 = block.Record(area, kFirstGKeyRecord);
        g1.type = AssignmentType::kMacro;
        g1.value = static_cast<uint32_t>(1 + area % 2);
        g1.param = 1;
    }
    for (int i = 0; i < variant + 2; ++i) {
        WorkingStore().macros.push_back(
            SweepMacro(static_cast<uint16_t>(i + 1), 12 + 9 * i,
                       "sweep " + std::to_string(variant) + "." + std::to_string(i)));
    }
}

std::string ColourFileText() {
    std::string text = "[PRESENTMODE]\nmode=" + std::to_string(kColourMode) +
                       "\n[MODENAME]\n2=Sweep\n[Mode" + std::to_string(kColourMode) +
                       "]\ntool=0\njcolor=1,2,3\ncolor=4,5,6\n";
    for (int slot = 0; slot < 126; slot += 5) {
        text += std::to_string(slot) + "=" + std::to_string(slot) + "," +
                std::to_string(255 - slot) + ",7,0\n";
    }
    return text;
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

FaultSweepWorld::FaultSweepWorld()
    : restoreFile_(home_ / "restore.fwc"), backupFile_(home_ / "backup.fwc"),
      coloursFile_(home_ / "modes.userd") {
    env_.push_back(std::make_unique<ScopedEnv>("XDG_DATA_HOME", (home_ / "data").string()));
    env_.push_back(std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", (home_ / "config").string()));
    env_.push_back(std::make_unique<ScopedEnv>("XDG_STATE_HOME", (home_ / "state").string()));
    SetProgramFolder(home_ / "program");
    home_.write("program/Skins/UserDengColor_3.userd", "[PRESENTMODE]\nmode=0\n");
    input_ = std::fopen("/dev/null", "r");
    ready_ = input_ != nullptr && Build();
}

FaultSweepWorld::~FaultSweepWorld() {
    DisconnectKeyboard();
    DeviceState().Reset();
    {
        std::lock_guard guard(WorkingStore().lock);
        ClearWorkingStore();
    }
    sink_.reset();
    if (notes_ != nullptr) {
        std::fclose(notes_);
    }
    if (input_ != nullptr) {
        std::fclose(input_);
    }
}

bool FaultSweepWorld::Build() {
    keyboard = std::make_shared<SimulatedKeyboard>(kSimModel5004);
    SetCurrentHidBackend(keyboard);
    DeviceState().Reset();
    if (ConnectKeyboard(keyboard->ConfigurationPath()) != 1) {
        return false;
    }
    // Thousands of lost replies: each would wait out its 300 ms.
    keyboard->SetInstantTimeouts(true);
    DeviceState().CachedProfile.store(kStartProfile);
    NewSink();

    std::lock_guard guard(WorkingStore().lock);
    FillWorkingStore(0);
    if (!WriteStoreToKeyboard(ProfilesToWrite::All, sink_.get()) || !EnsureProfileFolder() ||
        !ReadKeyboardToFile(ProfilePath(kStartProfile))) {
        return false;
    }
    // The other working files are stale: a switch must replace them, a failure must not.
    for (int p = 0; p < kProfileCount; ++p) {
        if (p != kStartProfile && !MakeDefaultStore(ProfilePath(p), 0, DefaultStoreTarget::File)) {
            return false;
        }
    }
    FillWorkingStore(1);
    if (!WriteProfileFile(StoreLock::HeldByCaller, restoreFile_) || !MakeDefaultStore(backupFile_, 0, DefaultStoreTarget::File)) {
        return false;
    }
    WriteBytes(coloursFile_, ColourFileText());
    initial.keyboard = keyboard->Memory();
    initial.files = Capture().files;
    return true;
}

void FaultSweepWorld::NewSink() {
    sink_.reset();
    if (notes_ != nullptr) {
        std::fclose(notes_);
    }
    notes_ = std::tmpfile();
    sink_ = std::make_unique<TerminalSink>(false, input_, notes_);
}

void FaultSweepWorld::Reset() {
    keyboard->DropNextReplies(0);
    keyboard->AnswerWithStatus(0, 0);
    keyboard->FailWrites(0);
    keyboard->Replug();
    keyboard->SetMemory(initial.keyboard);
    ConnectKeyboard(keyboard->ConfigurationPath());
    DeviceState().CachedProfile.store(kStartProfile);
    DeviceState().CurrentProfile.store(kStartProfile);

    for (const char* folder : {"data", "config", "state"}) {
        fs::remove_all(home_ / folder);
    }
    for (const fs::path& file : {restoreFile_, backupFile_, coloursFile_}) {
        fs::remove(file);
    }
    for (const auto& [name, bytes] : initial.files) {
        WriteBytes(home_.path() / name, bytes);
    }

    {
        std::lock_guard guard(WorkingStore().lock);
        ClearWorkingStore();
        LoadProfileFile(ProfilePath(kStartProfile));
    }
    MacroDeletedFlag.store(false);
    Lighting() = LightingModel{};
    UserColours() = UserColourState{};
    NewSink();
    keyboard->ClearFrameLog();
}

void FaultSweepWorld::Recover() {
    keyboard->DropNextReplies(0);
    keyboard->AnswerWithStatus(0, 0);
    keyboard->FailWrites(0);
    if (!keyboard->IsPlugged()) {
        keyboard->Replug();
        // As the presence thread: the removal forgets the profile, the arrival reconnects.
        DeviceState().CachedProfile.store(-1);
        ConnectKeyboard(keyboard->ConfigurationPath());
    }
    NewSink();
    keyboard->ClearFrameLog();
}

FaultSweepWorld::State FaultSweepWorld::Capture() const {
    State state;
    state.keyboard = keyboard->Memory();
    for (const auto& entry : fs::recursive_directory_iterator(home_.path())) {
        const fs::path relative = fs::relative(entry.path(), home_.path());
        if (entry.is_regular_file() && *relative.begin() != "program") {
            state.files[relative.string()] = ReadBytes(entry.path());
        }
    }
    return state;
}

std::string FaultSweepWorld::ChangedFiles(const State& now, const State& reference) const {
    std::string changed;
    const auto add = [&](const std::string& what) {
        changed += (changed.empty() ? "" : ", ") + what;
    };
    for (const auto& [name, bytes] : reference.files) {
        const auto it = now.files.find(name);
        if (it == now.files.end()) {
            add(name + " (gone)");
        } else if (it->second != bytes) {
            add(name);
        }
    }
    for (const auto& [name, bytes] : now.files) {
        if (!reference.files.contains(name)) {
            add(name + " (new)");
        }
    }
    return changed;
}

CtlOptions FaultSweepWorld::Options(CtlCommand command) const {
    CtlOptions options;
    options.command = command;
    switch (command) {
    case CtlCommand::Restore:
        options.file = restoreFile_.string();
        break;
    case CtlCommand::Backup:
        options.file = backupFile_.string();
        break;
    case CtlCommand::Colours:
        options.file = coloursFile_.string();
        options.profile = kColourProfile;
        break;
    case CtlCommand::Profile:
        options.profileNumber = kCtlProfileTarget;
        break;
    default:
        break;
    }
    return options;
}

bool FaultSweepWorld::RunCapturingStdout(const std::function<bool()>& operation) {
    std::fflush(stdout);
    std::FILE* captured = std::tmpfile();
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(::fileno(captured), STDOUT_FILENO);
    const bool result = operation();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    stdout_.clear();
    std::rewind(captured);
    for (int c; (c = std::fgetc(captured)) != EOF;) {
        stdout_.push_back(static_cast<char>(c));
    }
    std::fclose(captured);
    return result;
}

std::string FaultSweepWorld::Notes() {
    std::fflush(notes_);
    std::string text;
    std::rewind(notes_);
    for (int c; (c = std::fgetc(notes_)) != EOF;) {
        text.push_back(static_cast<char>(c));
    }
    return text;
}

void FaultSweepWorld::EditWorkingStore() {
    std::lock_guard guard(WorkingStore().lock);
    KeyRecordBlock& block = *WorkingStore().block;
    KeyAssignment& a = block.Record(kStartProfile, RecordIndexOfCode(kKeyA));
    a.type = AssignmentType::kDisabled;
    a.value = 0;
    auto& macros = WorkingStore().macros;
    const uint16_t id = LowestFreeMacroId(macros);
    macros.push_back(SweepMacro(id, 30, "added by Apply"));
    KeyAssignment& g2 = block.Record(kStartProfile, kFirstGKeyRecord + 1);
    g2.type = AssignmentType::kMacro;
    g2.value = id;
    g2.param = 3;
}

bool FaultSweepWorld::Apply() {
    const StoreWriteResult result = WriteStoreAndWorkingFile(ProfilesToWrite::Active, sink_.get());
    return result.written && result.saved;
}
