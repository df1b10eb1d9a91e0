// The main window over the simulated keyboard: from the window's start (device threads
// started) until the keyboard's configuration is in the working store, and one Apply.

#include "QtBenchEnvironment.h"
#include "device/DeviceState.h"
#include "mainwindow/CKestrowDlg.h"
#include "model/KeyRecordAccess.h"
#include "model/ProfileStore.h"
#include "platform/UserFolders.h"
#include "platform/hid/SimulatedKeyboard.h"
#include "skin/ui/CPngButton.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <memory>

namespace {

class SilentMessages : public UserMessages {
public:
    void ShowText(std::string_view, std::optional<long long>) override {}
    void ShowUncaptioned(std::string_view) override {}
    void ShowPathText(std::string_view, const std::filesystem::path&) override {}
    bool AskYesNo(std::string_view, std::optional<long long>) override { return false; }
};

bool Arrived(const CKestrowDlg& dlg, const SimulatedKeyboard& keyboard) {
    const int p = keyboard.ActiveProfile();
    return DeviceState().KeyboardPresent.load() == 1 && dlg.TrayIconId() == 141 &&
           dlg.Button(CKestrowDlg::kIdProfile1 + p)->GetCheck();
}

struct Window {
    std::shared_ptr<SimulatedKeyboard> keyboard = std::make_shared<SimulatedKeyboard>();
    SilentMessages messages;
    std::unique_ptr<CKestrowDlg> dlg;

    void Start() {
        DeviceState().Reset();
        DeviceState().OpenNotified = 1;
        SetCurrentHidBackend(keyboard);
        dlg = std::make_unique<CKestrowDlg>();
        dlg->SetUserMessages(&messages);
        dlg->SetNotificationAreaAvailable(true);
        dlg->InitDialog();
    }
    bool WaitForArrival() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!Arrived(*dlg, *keyboard)) {
            if (std::chrono::steady_clock::now() > until) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        return true;
    }
    ~Window() {
        if (dlg) {
            dlg->CloseMainWindow();
        }
        dlg.reset();
        SetCurrentHidBackend(nullptr);
        DeviceState().Reset();
    }
};

void BM_StartToWorkingStoreLoaded(benchmark::State& state) {
    QtBenchEnvironment("bench_mainwindow");
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Window>();
        state.ResumeTiming();
        window->Start();
        if (!window->WaitForArrival()) {
            state.SkipWithError("the keyboard's arrival was not handled");
            break;
        }
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToWorkingStoreLoaded)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

void BM_Apply(benchmark::State& state) {
    QtBenchEnvironment("bench_mainwindow");
    Window window;
    window.Start();
    if (!window.WaitForArrival()) {
        state.SkipWithError("the keyboard's arrival was not handled");
        return;
    }
    // Reply delay of the keyboard per report (0 = the simulation answers at once).
    window.keyboard->DelayReplies(static_cast<uint32_t>(state.range(0)));
    uint16_t type = AssignmentType::kDisabled;
    for (auto _ : state) {
        {
            std::lock_guard guard(WorkingStore().lock);
            CurrentRecord(0x1E)->type = type;
        }
        type = type == AssignmentType::kDisabled ? AssignmentType::kDefault
                                                 : AssignmentType::kDisabled;
        window.dlg->SetPendingChanges(1);
        window.dlg->ApplyChanges();
        if (window.dlg->PendingChanges() != 0) {
            state.SkipWithError("Apply failed");
            break;
        }
    }
    state.counters["frames"] = static_cast<double>(window.keyboard->RequestLog().size()) /
                               static_cast<double>(state.iterations());
    window.keyboard->ClearFrameLog();
}
BENCHMARK(BM_Apply)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
