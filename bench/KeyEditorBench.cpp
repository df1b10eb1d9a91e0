// The key-setting dialog offscreen, from a click on a key button of the main window until the
// dialog shows: its first opening in a window's life (the page pictures loaded) and a later one.

#include "device/DeviceState.h"
#include "editors/Kestrow_DlgComposite.h"
#include "mainwindow/CKestrowDlg.h"
#include "platform/UserFolders.h"
#include "platform/hid/SimulatedKeyboard.h"
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

void Environment() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    static QTemporaryDir home;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_DATA_HOME", qPrintable(home.path() + "/data"), 1);
    setenv("XDG_CONFIG_HOME", qPrintable(home.path() + "/config"), 1);
    setenv("XDG_RUNTIME_DIR", qPrintable(home.path()), 1);
    static int argc = 1;
    static char name[] = "bench_key_editor";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    SetProgramFolder(KESTROW_BIN_DIR);
}

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
    Environment();
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
    Environment();
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
