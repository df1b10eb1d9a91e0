// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The key-setting dialog: what one key or G-key of the active profile does. Four pages (another
// key or a mouse button, a macro, a multimedia function, a keyboard function) and Clear; Apply
// and OK store the choice into the working store, which the main window's Apply sends. The
// dialog lives as long as the main window and is opened again for every key.
//
// While the single-key page is shown, the dialog takes every key press before its controls
// do: from its own key events (holding the keyboard grab on X11) and, for the Win and
// Applications keys that the desktop keeps, from the keyboard's own keyboard interface.

#include "editors/CompositeSkin.h"
#include "model/BootKeyboardKeys.h"
#include "skin/ui/CBaseDialog.h"

#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class ColorStatic;
class KeyboardKeyReader;
class KeyEditorHost;
class MacroPage;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;

// The program's monotonic clock in ms: the one clock key events are timed with.
int64_t MonotonicNowMs();

class Kestrow_DlgComposite : public CBaseDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 134;

    // Controls.
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdApply = 1015;
    static constexpr int kIdKeyPage = 1028;
    static constexpr int kIdMacroPage = 1029;
    static constexpr int kIdMediaPage = 1030;
    static constexpr int kIdFunctionPage = 1031;
    static constexpr int kIdClear = 1032;
    static constexpr int kIdPagePicture = 1033;
    static constexpr int kIdKeyField = 1127;
    static constexpr int kIdMediaList = 1128;
    static constexpr int kIdFunctionList = 1129;
    static constexpr int kIdTitle = 1131;
    static constexpr int kIdOnScreenKeyboard = 1132;
    static constexpr int kIdKeyboardCaption = 1134;
    static constexpr int kIdMouseCaption = 1135;
    static constexpr int kIdKeyboardRadio = 1185;
    static constexpr int kIdMouseRadio = 1186;
    static constexpr int kIdMouseList = 1187;
    static constexpr int kIdSettingCaption = 1199;
    static constexpr int kIdMacroCaption = 1200;
    static constexpr int kIdSingleCaption = 1201;
    static constexpr int kIdMediaCaption = 1202;
    static constexpr int kIdFunctionCaption = 1203;

    // The G9 button (and the main window's Macros button, which opens as G9): macros only.
    static constexpr int kMacroOnlyButtonId = 1143;

    // Page types; also the assignment type Apply stores.
    static constexpr int kPageCleared = 0;
    static constexpr int kPageKey = 2;
    static constexpr int kPageMacro = 4;
    static constexpr int kPageMedia = 7;
    static constexpr int kPageFunction = 8;

    // The mouse list's entries, in list order.
    static const std::array<uint16_t, 5>& MouseCodes();

    explicit Kestrow_DlgComposite(KeyEditorHost& host, QWidget* parent = nullptr);
    ~Kestrow_DlgComposite() override;

    // Opens the dialog modally for record recordIndex of the active profile (a key-table index,
    // or 256 + G-key slot), beside the button keyButtonId; returns kIdOk or kIdCancel.
    int Run(int recordIndex, int keyButtonId);
    // The same opening, shown without waiting for its end.
    void Open(int recordIndex, int keyButtonId);
    // Cancels the dialog when it is open.
    void CloseIfOpen();
    // Raised by each opening, lowered by each close.
    int OpenCount() const { return openCount_; }

    // Shows the page of pageType (the single-key page for any type that has no page of its
    // own); restore takes the values of the record the dialog opened with.
    void ShowPage(bool restore);
    // Stores the choice shown into the working store's record and redescribes the key buttons.
    void ApplyAssignment();

    int PageType() const { return pageType_; }
    uint16_t CapturedCode() const { return capturedCode_; }
    uint32_t StoredValue() const { return storedValue_; }
    int RecordIndex() const { return recordIndex_; }
    int KeyButtonId() const { return keyButtonId_; }
    bool MacroOnly() const { return macroOnly_; }
    bool IsModified() const { return modified_; }
    MacroPage& Macros() { return *macroPage_; }
    // The page shown: kPageKey, kPageMacro, kPageMedia or kPageFunction.
    int PageShown() const;
    // Whether key presses are being captured (the single-key page is shown in an opening).
    bool KeyCaptureActive() const { return captureActive_; }
    // Whether a macro recording takes the keys.
    bool RecordingKeys() const { return recordingKeys_; }
    // The clock key events are timed with when they are handled (tests set their own).
    void SetKeyClock(std::function<int64_t()> clock) { keyClock_ = std::move(clock); }
    // Whether the keyboard grab is held (X11 only).
    bool KeyboardGrabbed() const { return grabbed_; }
    // Whether the reader of the keyboard's own keyboard interface runs.
    bool KeyboardInterfaceRead() const;

    // The language message: relabels every control in the language lParam names.
    bool OnLanguageMessage(uintptr_t wParam, intptr_t lParam);

    bool OnInitDialog() override;
    void OnOK() override;

public slots:
    void reject() override;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    enum class Radio { Keyboard, Mouse };

    // Opening and closing.
    void InitOpening(int recordIndex, int keyButtonId);
    void LoadPageImages();
    void PlaceControls();
    void FillLists();
    void ReadRecord();
    void ApplyMacroOnlyLook();
    void Position();
    void ClosePath();
    void OnCancel();

    // Controls.
    void CreateControls();
    CPngButton* MakeButton(int id);
    ColorStatic* MakeCaption(int id);
    QComboBox* MakeList(int id);
    void OnLanguage(int languageIndex);
    const PageImageSet& PictureSetOf(int page) const;
    void SetModified(bool modified);
    void SelectRadio(Radio radio);

    // Pages and buttons.
    void OnKeyPage();
    void OnMacroPage();
    void OnMediaPage();
    void OnFunctionPage();
    void OnClear();
    void OnKeyboardRadio();
    void OnMouseRadio();
    void OnListChosen();
    void OnOnScreenKeyboard();
    void OnApply();
    void ChangePage(int pageType);
    void ShowPageControls(int page);
    void UpdateOnScreenKeyboardButton();

    // Key capture.
    void StartKeyCapture();
    void StopKeyCapture();
    void OnRecordingToggled(bool recording);
    void OpenKeySources();
    void CloseKeySources();
    void UpdateKeyboardGrab();
    bool HandleKeyEvent(QKeyEvent* key);
    void OnWindowKey(KeyCode code, bool autoRepeat);
    void OnKeyboardInterfaceKey(KeyCode code, bool pressed);
    void OnRecordedWindowKey(KeyCode code, bool pressed, uint64_t serverTime);
    void FlushHeldRelease();
    void OnRecordedKey(KeySource source, KeyCode code, bool pressed, int64_t now);
    void CaptureKey(KeyCode code);

    KeyEditorHost& host_;

    // Dialog state.
    int pageType_ = kPageCleared;
    uint16_t capturedCode_ = 0;
    uint32_t storedValue_ = 0;
    int recordIndex_ = 0;
    int keyButtonId_ = 0;
    bool macroOnly_ = false;
    bool modified_ = false;
    int openCount_ = 0;
    bool imagesLoaded_ = false;
    // The macro page has been shown once in this opening.
    bool macroPageShown_ = false;

    // Page pictures: key, macro, macro-only, multimedia, function.
    enum PictureSet { kKeySet = 0, kMacroSet, kMacroOnlySet, kMediaSet, kFunctionSet };
    std::array<PageImageSet, 5> pictureSets_;

    // Controls.
    std::vector<CPngButton*> pageButtons_; // 1028 .. 1031
    CPngButton* clear_ = nullptr;
    CPngButton* ok_ = nullptr;
    CPngButton* cancel_ = nullptr;
    CPngButton* apply_ = nullptr;
    CPngButton* onScreenKeyboard_ = nullptr;
    QLabel* pagePicture_ = nullptr;
    QLabel* title_ = nullptr;
    QLineEdit* keyField_ = nullptr;
    QCheckBox* keyboardRadio_ = nullptr;
    QCheckBox* mouseRadio_ = nullptr;
    ColorStatic* keyboardCaption_ = nullptr;
    ColorStatic* mouseCaption_ = nullptr;
    QComboBox* mouseList_ = nullptr;
    QComboBox* mediaList_ = nullptr;
    QComboBox* functionList_ = nullptr;
    ColorStatic* settingCaption_ = nullptr;
    ColorStatic* macroCaption_ = nullptr;
    ColorStatic* singleCaption_ = nullptr;
    ColorStatic* mediaCaption_ = nullptr;
    ColorStatic* functionCaption_ = nullptr;
    MacroPage* macroPage_ = nullptr;

    // Key capture and recording.
    bool captureActive_ = false;
    bool recordingKeys_ = false;
    // The window's key events are filtered, the grab wanted and the keyboard interface read.
    bool sourcesOpen_ = false;
    bool grabbed_ = false;
    int grabAttempts_ = 0;
    QTimer grabRetry_;
    KeyPressMerger merger_;
    KeyPressMerger releaseMerger_;
    std::function<int64_t()> keyClock_ = MonotonicNowMs;
    // A recorded release of the window held back until it is clear that no press of the same
    // key and server time follows (an auto-repeat pair whose mark was missed).
    struct HeldRelease {
        KeyCode code;
        uint64_t serverTime;
        int64_t at;
    };
    static constexpr int kRepeatPairWaitMs = 50;
    std::optional<HeldRelease> heldRelease_;
    // The window's last release while capturing.
    HeldRelease lastRelease_{0, 0, 0};
    QTimer releaseHold_;
    // Used on the reader's thread only, while it runs.
    BootKeyboardKeys interfaceKeys_;
    std::unique_ptr<KeyboardKeyReader> reader_;
    // The key events of the application pass this dialog while an opening lasts.
    bool filtering_ = false;
};
