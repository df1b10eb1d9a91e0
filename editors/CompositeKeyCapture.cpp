// SPDX-License-Identifier: GPL-3.0-or-later
// The key-setting dialog's key capture: while the single-key page is shown, every key press
// aimed at the dialog is taken before its controls see it, the keyboard grab is held on X11,
// and the Win and Applications keys also come from the keyboard's own keyboard interface.

#include "device/KeyboardKeyReader.h"
#include "editors/Kestrow_DlgComposite.h"
#include "editors/KeyEditorHost.h"
#include "editors/KeyEventCode.h"
#include "editors/MacroPage.h"
#include "model/KeyInputCodes.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWindow>
#include <chrono>
#include <utility>

namespace {

// The window is mapped a little after it is shown; the grab waits for it.
constexpr int kGrabRetryMs = 25;
constexpr int kGrabAttempts = 40;

} // namespace

int64_t MonotonicNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

bool IsEnterOrEscape(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

} // namespace

void Kestrow_DlgComposite::StartKeyCapture() {
    captureActive_ = true;
    OpenKeySources();
}

void Kestrow_DlgComposite::StopKeyCapture() {
    captureActive_ = false;
    if (!recordingKeys_) {
        CloseKeySources();
    }
}

void Kestrow_DlgComposite::OnRecordingToggled(bool recording) {
    // Still recording while it ends: a release held back is a step yet.
    if (!recording) {
        FlushHeldRelease();
    }
    recordingKeys_ = recording;
    if (recording) {
        heldRelease_.reset();
        merger_.Reset();
        releaseMerger_.Reset();
        OpenKeySources();
    } else if (!captureActive_) {
        CloseKeySources();
    }
}

void Kestrow_DlgComposite::OpenKeySources() {
    if (sourcesOpen_) {
        return;
    }
    sourcesOpen_ = true;
    grabAttempts_ = 0;
    UpdateKeyboardGrab();
    interfaceKeys_.Reset();
    reader_ = std::make_unique<KeyboardKeyReader>([this](std::span<const uint16_t> usages) {
        // On the reader's thread: only the keys the window may never see go on.
        for (const KeyTransition& key : interfaceKeys_.Update(usages)) {
            if (IsDesktopKey(key.code)) {
                const KeyCode code = key.code;
                const bool pressed = key.pressed;
                QMetaObject::invokeMethod(
                    this, [this, code, pressed] { OnKeyboardInterfaceKey(code, pressed); },
                    Qt::QueuedConnection);
            }
        }
    });
    reader_->Start();
}

void Kestrow_DlgComposite::CloseKeySources() {
    if (reader_) {
        reader_->Stop();
        reader_.reset();
    }
    sourcesOpen_ = false;
    grabRetry_.stop();
    UpdateKeyboardGrab();
}

bool Kestrow_DlgComposite::KeyboardInterfaceRead() const {
    return reader_ != nullptr && reader_->Reading();
}

void Kestrow_DlgComposite::UpdateKeyboardGrab() {
    // Only X11 grabs; elsewhere the window's own events are all there is.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return;
    }
    QWindow* window = windowHandle();
    const bool wanted = sourcesOpen_ && isVisible() && window != nullptr;
    if (!wanted) {
        if (grabbed_ && window != nullptr) {
            window->setKeyboardGrabEnabled(false);
        }
        grabbed_ = false;
        return;
    }
    if (grabbed_) {
        return;
    }
    grabbed_ = window->setKeyboardGrabEnabled(true);
    if (!grabbed_ && ++grabAttempts_ < kGrabAttempts) {
        grabRetry_.start(kGrabRetryMs);
    }
}

void Kestrow_DlgComposite::showEvent(QShowEvent* e) {
    CBaseDialog::showEvent(e);
    grabAttempts_ = 0;
    UpdateKeyboardGrab();
}

bool Kestrow_DlgComposite::eventFilter(QObject* watched, QEvent* e) {
    const QEvent::Type type = e->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
        type != QEvent::ShortcutOverride) {
        return CBaseDialog::eventFilter(watched, e);
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return CBaseDialog::eventFilter(watched, e);
    }
    return HandleKeyEvent(static_cast<QKeyEvent*>(e));
}

bool Kestrow_DlgComposite::HandleKeyEvent(QKeyEvent* key) {
    const QEvent::Type type = key->type();
    if (recordingKeys_) {
        const KeyCode code = KeyCodeOfKeyEvent(*key);
        if (code != 0 && !IsMediaKeyCode(code)) {
            // A held key repeats as release and press pairs, both marked.
            if (type != QEvent::ShortcutOverride && !key->isAutoRepeat()) {
                OnRecordedWindowKey(code, type == QEvent::KeyPress, key->timestamp());
            }
            key->accept();
            return true;
        }
    }
    if (captureActive_) {
        const KeyCode code = KeyCodeOfKeyEvent(*key);
        if (code != 0 && !IsMediaKeyCode(code)) {
            const uint64_t serverTime = key->timestamp();
            if (type == QEvent::KeyPress) {
                // A repeat pair whose mark was missed shares one server time.
                const bool repeatPair = serverTime != 0 && lastRelease_.code == code &&
                                        lastRelease_.serverTime == serverTime;
                OnWindowKey(code, key->isAutoRepeat() || repeatPair);
            } else if (type == QEvent::KeyRelease) {
                lastRelease_ = {code, serverTime, 0};
                // Print Screen counts on its release too, where some systems give only that.
                if (code == kPrintScreenKey && !key->isAutoRepeat()) {
                    OnWindowKey(code, false);
                }
            }
            key->accept();
            return true;
        }
    }
    // Enter and Escape neither press OK nor Cancel; F1 opens the help.
    if (IsEnterOrEscape(key->key())) {
        key->accept();
        return true;
    }
    if (key->key() == Qt::Key_F1 && type != QEvent::ShortcutOverride) {
        if (type == QEvent::KeyPress && !key->isAutoRepeat()) {
            host_.OpenHelp();
        }
        key->accept();
        return true;
    }
    return false;
}

void Kestrow_DlgComposite::OnWindowKey(KeyCode code, bool autoRepeat) {
    if (autoRepeat) {
        return;
    }
    if (IsDesktopKey(code)) {
        if (merger_.IsNewPress(KeySource::Window, code, keyClock_())) {
            CaptureKey(code);
        }
        return;
    }
    if (keyboardRadio_->isChecked()) {
        CaptureKey(code);
    }
}

void Kestrow_DlgComposite::OnRecordedWindowKey(KeyCode code, bool pressed, uint64_t serverTime) {
    // One reading of the clock per event, for both sources.
    const int64_t now = keyClock_();
    // The mark of a repeat pair is missed when its press was not yet read as its release was
    // handled; the pair still shares one server time.
    if (pressed && heldRelease_ && heldRelease_->code == code && serverTime != 0 &&
        heldRelease_->serverTime == serverTime) {
        heldRelease_.reset();
        releaseHold_.stop();
        return;
    }
    FlushHeldRelease();
    if (!pressed && serverTime != 0) {
        heldRelease_ = HeldRelease{code, serverTime, now};
        releaseHold_.start(kRepeatPairWaitMs);
        return;
    }
    OnRecordedKey(KeySource::Window, code, pressed, now);
}

void Kestrow_DlgComposite::FlushHeldRelease() {
    releaseHold_.stop();
    if (const std::optional<HeldRelease> held = std::exchange(heldRelease_, std::nullopt)) {
        OnRecordedKey(KeySource::Window, held->code, false, held->at);
    }
}

void Kestrow_DlgComposite::OnKeyboardInterfaceKey(KeyCode code, bool pressed) {
    // A report that was on its way when the page or the recording went.
    if (recordingKeys_) {
        FlushHeldRelease();
        OnRecordedKey(KeySource::KeyboardInterface, code, pressed, keyClock_());
    } else if (captureActive_ && pressed &&
               merger_.IsNewPress(KeySource::KeyboardInterface, code, keyClock_())) {
        CaptureKey(code);
    }
}

void Kestrow_DlgComposite::OnRecordedKey(KeySource source, KeyCode code, bool pressed,
                                         int64_t now) {
    if (IsDesktopKey(code)) {
        KeyPressMerger& merger = pressed ? merger_ : releaseMerger_;
        if (!merger.IsNewPress(source, code, now)) {
            return;
        }
    }
    macroPage_->RecordKey(code, pressed, now);
}

void Kestrow_DlgComposite::CaptureKey(KeyCode code) {
    const KeyTableRow* row = KeyRowFromCode(code);
    // A key the program cannot name is not taken.
    if (row == nullptr || row->nameKey.empty()) {
        return;
    }
    // The Win and Applications keys come even with the mouse chosen; what the field shows is
    // what Apply stores.
    if (!keyboardRadio_->isChecked()) {
        SelectRadio(Radio::Keyboard);
    }
    keyField_->setText(QString::fromStdString(KeyNameFromCode(code)));
    capturedCode_ = code;
    pageType_ = kPageKey;
    SetModified(true);
}
