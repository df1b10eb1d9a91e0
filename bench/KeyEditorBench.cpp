// SPDX-License-Identifier: GPL-3.0-or-later
// The key-setting dialog offscreen, from a click on a key button of the main window until the
// dialog shows: its first opening in a window's life (the page pictures loaded) and a later one.
// Its macro page: showing a macro of 4000 steps, and the CPU time of one recorded key event.

#include "QtBenchEnvironment.h"
#include "device/DeviceState.h"
#include "editors/Kestrow_DlgComposite.h"
#include "editors/MacroPage.h"
#include "model/ProfileStore.h"
#include "mainwindow/CKestrowDlg.h"
#include "platform/UserFolders.h"
#include "platform/hid/sim/SimulatedKeyboard.h"
#include "skin/ui/CPngButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDevice>
#include <QKeyEvent>
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

// The dialog shown for key A on its macro page, with one macro of `steps` steps.
Kestrow_DlgComposite& OpenOnMacroPage(Window& window, int steps) {
    {
        std::lock_guard guard(WorkingStore().lock);
        MacroRecord macro;
        SetMacroName(macro, std::string_view("Long"));
        macro.id = 1;
        for (int i = 0; i < steps; ++i) {
            macro.steps[static_cast<size_t>(i)] = {
                10, static_cast<uint16_t>(0x010 + i % 26),
                static_cast<uint16_t>(i % 2 == 0 ? MacroAction::kPress : MacroAction::kRelease)};
        }
        macro.stepCount = static_cast<uint16_t>(steps);
        WorkingStore().macros.assign(1, macro);
    }
    Kestrow_DlgComposite& dialog = *window.dlg->KeyEditorDialog();
    dialog.Open(0x1E, kButtonA);
    dialog.findChild<QAbstractButton*>(QString::number(Kestrow_DlgComposite::kIdMacroPage))
        ->click();
    QCoreApplication::processEvents();
    return dialog;
}

// Wall time of ShowMacro and of the layout and painting it causes.
void BM_ShowMacroOf4000Steps(benchmark::State& state) {
    QtBenchEnvironment("bench_key_editor");
    Window window;
    Kestrow_DlgComposite& dialog = OpenOnMacroPage(window, kMaxMacroSteps);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        dialog.Macros().ShowMacro(0);
        QCoreApplication::processEvents();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    if (dialog.Macros().ShownSteps().size() != static_cast<size_t>(kMaxMacroSteps)) {
        state.SkipWithError("the steps were not shown");
    }
    dialog.CloseIfOpen();
}
BENCHMARK(BM_ShowMacroOf4000Steps)->UseManualTime()->Unit(benchmark::kMillisecond);

// One iteration records a macro full to its 4000 steps from key events as the window gets
// them; items_per_second is recorded events per CPU second.
void BM_RecordedKeyEvent(benchmark::State& state) {
    QtBenchEnvironment("bench_key_editor");
    Window window;
    Kestrow_DlgComposite& dialog = OpenOnMacroPage(window, 0);
    MacroPage& page = dialog.Macros();
    dialog.findChild<QAbstractButton*>(QString::number(MacroPage::kIdRecord))->click();
    constexpr quint32 kXKeycodes[] = {38, 56, 40, 41};
    constexpr int kQtKeys[] = {Qt::Key_A, Qt::Key_B, Qt::Key_D, Qt::Key_F};
    for (auto _ : state) {
        for (int i = 0; i < kMaxMacroSteps; ++i) {
            const size_t k = static_cast<size_t>(i / 2) % 4;
            QKeyEvent event(i % 2 == 0 ? QEvent::KeyPress : QEvent::KeyRelease, kQtKeys[k],
                            Qt::NoModifier, kXKeycodes[k], 0, 0);
            QCoreApplication::sendEvent(&dialog, &event);
        }
        state.PauseTiming();
        if (page.ShownSteps().size() != static_cast<size_t>(kMaxMacroSteps)) {
            state.SkipWithError("events were lost");
            break;
        }
        page.ShowMacro(0); // the saved copy has no steps
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kMaxMacroSteps);
    dialog.CloseIfOpen();
    // The key events made Qt's default keyboard, a child of the application; left to the end of
    // the static application it would be destroyed after the device list it leaves.
    delete QInputDevice::primaryKeyboard();
}
BENCHMARK(BM_RecordedKeyEvent)->Unit(benchmark::kMillisecond);

} // namespace
