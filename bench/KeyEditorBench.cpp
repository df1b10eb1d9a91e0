// The key-setting dialog offscreen, from a click on a key button of the main window until the
// dialog shows: its first opening in a window's life (the page pictures loaded) and a later one.

#include "QtBenchEnvironment.h"
#include "device/DeviceState.h"
#include "editors/Kestrow_DlgComposite.h"
#include "mainwindow/CKestrowDlg.h"
#include "platform/UserFolders.h"
#include "platform/hid/sim/SimulatedKeyboard.h"
#include "skin/ui/CPngButton.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kButtonA = 1058;

// A main window without device threads on a keyboard's profile 0.
struct Window {
    std::shared_ptr<SimulatedKeyboard> keyboard = std::make_shared<SimulatedKeyboard>();
    std::unique_ptr<CKestrowDlg> dlg;

    Window() {
        DeviceState().Reset();
        SetCurrentHidBackend(keyboard);
        dlg = std::make_unique<CKestrowDlg>();
        dlg->SetStartDeviceThreads(false);
        dlg->SetNotificationAreaAvailable(true);
        dlg->InitDialog();
        DeviceState().CachedProfile = 0;
        DeviceState().KeyboardPresent = 1;
        dlg->SendOwnMessage(UM_PROFILE_RELOAD, kProfileTag, 0);
    }
    ~Window() {
        dlg->CloseMainWindow();
        dlg.reset();
        SetCurrentHidBackend(nullptr);
        DeviceState().Reset();
    }

    // Seconds from the click until the dialog is shown; the dialog is then cancelled.
    double ClickToShown() {
        const auto clicked = std::chrono::steady_clock::now();
        double seconds = -1;
        QTimer::singleShot(0, dlg.get(), [&] {
            Kestrow_DlgComposite* dialog = dlg->KeyEditorDialog();
            if (dialog->isVisible()) {
                seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - clicked)
                              .count();
            }
            dialog->CloseIfOpen();
        });
        dlg->Button(kButtonA)->click();
        return seconds;
    }
};

void BM_FirstOpening(benchmark::State& state) {
    QtBenchEnvironment("bench_key_editor");
    for (auto _ : state) {
        Window window;
        const double seconds = window.ClickToShown();
        if (seconds < 0) {
            state.SkipWithError("the dialog did not show");
            break;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_FirstOpening)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_LaterOpening(benchmark::State& state) {
    QtBenchEnvironment("bench_key_editor");
    Window window;
    window.ClickToShown();
    for (auto _ : state) {
        const double seconds = window.ClickToShown();
        if (seconds < 0) {
            state.SkipWithError("the dialog did not show");
            break;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_LaterOpening)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
