// SPDX-License-Identifier: GPL-3.0-or-later
// The main window over the simulated keyboard: from the window's start (device threads
// started) until the keyboard's configuration is in the working store, one Apply, and the
// lighting panel's two hot paths: a slider move until its frame is sent, and painting one key
// with its colour file write; and one whole preview tick with the repaint of the key buttons.

#include "QtBenchEnvironment.h"
#include "device/DeviceState.h"
#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/LightingPanel.h"
#include "model/KeyRecordAccess.h"
#include "model/ProfileStore.h"
#include "model/UserColourFile.h"
#include "platform/UserFolders.h"
#include "platform/hid/sim/SimulatedKeyboard.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ControlId.h"
#include "skin/ui/WindowMessageEvent.h"

#include <QApplication>
#include <QComboBox>
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

// A window in lighting mode on a keyboard that answers at once.
bool StartInLightingMode(Window& window, benchmark::State& state) {
    window.Start();
    if (!window.WaitForArrival()) {
        state.SkipWithError("the keyboard's arrival was not handled");
        return false;
    }
    // The setting may have brought it on already.
    if (!window.dlg->Panel()->LightingMode()) {
        window.dlg->Panel()->SetLightingMode();
    }
    if (!window.dlg->Panel()->LightingMode()) {
        state.SkipWithError("lighting mode did not come on");
        return false;
    }
    return true;
}

void BM_SliderMoveToFrameSent(benchmark::State& state) {
    QtBenchEnvironment("bench_mainwindow");
    Window window;
    if (!StartInLightingMode(window, state)) {
        return;
    }
    window.keyboard->ClearFrameLog();
    // Two positions in turn, so that every move changes the level and is sent.
    int position = 2;
    for (auto _ : state) {
        position = position == 2 ? 3 : 2;
        SendWindowMessage(window.dlg.get(), WM_BITMAPSLIDER_MOVING, LightingPanel::kIdBrightness,
                          position);
    }
    state.counters["frames"] = static_cast<double>(window.keyboard->RequestLog().size()) /
                               static_cast<double>(state.iterations());
    window.keyboard->ClearFrameLog();
}
BENCHMARK(BM_SliderMoveToFrameSent)->Unit(benchmark::kMicrosecond);

void BM_PaintOneKey(benchmark::State& state) {
    QtBenchEnvironment("bench_mainwindow");
    Window window;
    if (!StartInLightingMode(window, state)) {
        return;
    }
    auto* effects = FindControlAs<QComboBox>(window.dlg.get(), LightingPanel::kIdEffectList);
    effects->setCurrentIndex(Lighting().effects.PositionOf(kUserColourEffect));
    window.keyboard->ClearFrameLog();
    CPngButton* keyA = window.dlg->Button(1058);
    // Two paint colours in turn, so that every click changes the key and its file entry.
    bool red = true;
    for (auto _ : state) {
        UserColours().settings.paintColour = red ? PackColour(255, 0, 0) : PackColour(0, 0, 255);
        red = !red;
        keyA->click();
    }
    state.counters["frames"] = static_cast<double>(window.keyboard->RequestLog().size()) /
                               static_cast<double>(state.iterations());
    window.keyboard->ClearFrameLog();
}
BENCHMARK(BM_PaintOneKey)->Unit(benchmark::kMicrosecond);

// Timer 1052's work on a shown window: the engine's step, the frames given to the key buttons,
// and the repaint of the buttons whose colour changed. The timer's own ticks during the loop
// add one tick per 50 ms of running time.
void BM_PreviewTickWithRepaint(benchmark::State& state) {
    QtBenchEnvironment("bench_mainwindow");
    Window window;
    if (!StartInLightingMode(window, state)) {
        return;
    }
    LightingState& lighting = Lighting().state;
    lighting.effect = static_cast<uint8_t>(state.range(0));
    lighting.multicolour = true;
    lighting.direction = kDirectionFirst;
    window.dlg->ShowMainWindow();
    window.dlg->Panel()->Preview().Reset();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        window.dlg->Panel()->PreviewTick();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_PreviewTickWithRepaint)
    ->ArgName("effect")
    ->Arg(1)   // every key changes every tick
    ->Arg(3)   // the ring
    ->Arg(10)  // three drops and the fade
    ->Arg(13)  // spreading light
    ->Arg(20)  // nothing changes
    ->Arg(7)   // no preview
    ->Unit(benchmark::kMicrosecond);
// The same with the CPU time of every thread: the offscreen flush runs on Qt's own threads
// (the device threads idle meanwhile, and count too).
BENCHMARK(BM_PreviewTickWithRepaint)
    ->Name("BM_PreviewTickWithRepaint/process")
    ->ArgName("effect")
    ->Arg(1)
    ->Arg(20)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
