// SPDX-License-Identifier: GPL-3.0-or-later
// The key-setting dialog's opening, its pages, Apply, OK, Cancel and close.

#include "editors/Kestrow_DlgComposite.h"

#include "device/KeyboardKeyReader.h"
#include "editors/DialogPlacement.h"
#include "editors/KeyEditorHost.h"
#include "editors/MacroPage.h"
#include "model/AssignmentChoice.h"
#include "model/AssignmentText.h"
#include "model/KeyButtonSink.h"
#include "model/KeyboardTransfer.h"
#include "model/MacroChecks.h"
#include "model/ProfileStore.h"
#include "platform/ProgramNames.h"
#include "platform/UserFolders.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/WindowMessageEvent.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

namespace {

// Record types the dialog offers no page for: kept as they are unless the user picks another.
bool HasPageOfItsOwn(int pageType) {
    return pageType == Kestrow_DlgComposite::kPageCleared ||
           pageType == Kestrow_DlgComposite::kPageKey ||
           pageType == Kestrow_DlgComposite::kPageMacro ||
           pageType == Kestrow_DlgComposite::kPageMedia ||
           pageType == Kestrow_DlgComposite::kPageFunction;
}

QRect ScreenArea(const QRect& near) {
    QScreen* screen = QGuiApplication::screenAt(near.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

const std::array<uint16_t, 5>& Kestrow_DlgComposite::MouseCodes() {
    static const std::array<uint16_t, 5> codes = {kMouseLeft, kMouseRight, kMouseMiddle, kWheelUp,
                                                  kWheelDown};
    return codes;
}

Kestrow_DlgComposite::Kestrow_DlgComposite(KeyEditorHost& host, QWidget* parent)
    : CBaseDialog(kDialogId, parent, ProgramFolder() / "Skins" / "Composite.ini",
                  ProgramFolder() / "Skins"),
      host_(host) {
    setObjectName(QString::number(kDialogId));
    grabRetry_.setSingleShot(true);
    connect(&grabRetry_, &QTimer::timeout, this, &Kestrow_DlgComposite::UpdateKeyboardGrab);
    releaseHold_.setSingleShot(true);
    connect(&releaseHold_, &QTimer::timeout, this, &Kestrow_DlgComposite::FlushHeldRelease);
}

Kestrow_DlgComposite::~Kestrow_DlgComposite() {
    CloseKeySources();
    if (filtering_) {
        qApp->removeEventFilter(this);
    }
}

bool Kestrow_DlgComposite::OnInitDialog() {
    CBaseDialog::OnInitDialog();
    CreateControls();
    return true;
}

int Kestrow_DlgComposite::Run(int recordIndex, int keyButtonId) {
    InitOpening(recordIndex, keyButtonId);
    return exec();
}

void Kestrow_DlgComposite::Open(int recordIndex, int keyButtonId) {
    InitOpening(recordIndex, keyButtonId);
    show();
}

void Kestrow_DlgComposite::InitOpening(int recordIndex, int keyButtonId) {
    InitDialog();
    // OK frees the face; every opening has it again.
    if (Background() == nullptr) {
        LoadSkin();
    }
    keyButtonId_ = keyButtonId;
    macroOnly_ = keyButtonId == kMacroOnlyButtonId;
    recordIndex_ = recordIndex;

    // 1. Counted open; the page pictures once per dialog.
    ++openCount_;
    LoadPageImages();
    if (!filtering_) {
        qApp->installEventFilter(this);
        filtering_ = true;
    }
    // 2. Placed and skinned; the macro page reads its record-delay setting.
    PlaceControls();
    // 3. Lists, repeat count, the macro copies.
    FillLists();
    macroPage_->Open();
    macroPageShown_ = false;
    merger_.Reset();
    SetModified(false);
    // 4. The record as it is.
    ReadRecord();
    // 5. Macros only: the other pages cannot be chosen.
    if (macroOnly_) {
        pageType_ = kPageMacro;
    }
    ApplyMacroOnlyLook();
    UpdateOnScreenKeyboardButton();
    // 6. Its page.
    ShowPage(true);
    SetModified(false);
    // 7. Beside its button.
    Position();
    // 8. Texts.
    SendWindowMessage(this, UM_LANGUAGE, kLanguageNoticeTag,
                      LanguageNoticeIndex(CurrentLanguageIndex()));
}

void Kestrow_DlgComposite::ReadRecord() {
    pageType_ = kPageCleared;
    storedValue_ = 0;
    ProfileStore& store = WorkingStore();
    std::lock_guard guard(store.lock);
    const int area = ActiveProfile();
    const KeyAssignment* record =
        area >= 0 && area < kProfileCount ? WorkingRecord(area, recordIndex_) : nullptr;
    if (record != nullptr) {
        pageType_ = record->type;
        storedValue_ = record->value;
    }
}

void Kestrow_DlgComposite::Position() {
    const QRect button = host_.KeyButtonScreenRect(keyButtonId_);
    const QRect screen = ScreenArea(button.isEmpty() ? geometry() : button);
    if (keyButtonId_ == kMacroOnlyButtonId || button.isEmpty()) {
        move(PlaceCentred(size(), screen));
    } else {
        move(PlaceBesideButton(button, size(), screen));
    }
}

int Kestrow_DlgComposite::PageShown() const {
    switch (pageType_) {
    case kPageMacro:
    case kPageMedia:
    case kPageFunction:
        return pageType_;
    default:
        return kPageKey;
    }
}

void Kestrow_DlgComposite::ShowPage(bool restore) {
    const int page = PageShown();
    const PageImageSet& set = PictureSetOf(page);
    pagePicture_->setPixmap(set[PageImageSet::kNormal]->copy(pagePicture_->geometry()));
    switch (page) {
    case kPageMacro:
        StopKeyCapture();
        if (restore) {
            macroPage_->SelectMacroOfId(storedValue_);
        } else if (!macroPageShown_ && storedValue_ == 0) {
            macroPage_->SelectFirstMacro();
        }
        macroPageShown_ = true;
        break;
    case kPageMedia:
    case kPageFunction: {
        macroPage_->StopRecording();
        StopKeyCapture();
        QComboBox* list = page == kPageMedia ? mediaList_ : functionList_;
        if (restore && storedValue_ < static_cast<uint32_t>(list->count())) {
            list->setCurrentIndex(static_cast<int>(storedValue_));
        }
        break;
    }
    default:
        macroPage_->StopRecording();
        StartKeyCapture();
        if (restore) {
            // Only a key record's value is a key: a macro id or a string offset is none.
            capturedCode_ = pageType_ == kPageKey ? static_cast<uint16_t>(storedValue_) : 0;
        }
        if (pageType_ == kPageKey && capturedCode_ != 0) {
            const auto& mouse = MouseCodes();
            const auto entry = std::find(mouse.begin(), mouse.end(), capturedCode_);
            if (entry != mouse.end()) {
                SelectRadio(Radio::Mouse);
                mouseList_->setCurrentIndex(static_cast<int>(entry - mouse.begin()));
            } else {
                SelectRadio(Radio::Keyboard);
                keyField_->setText(QString::fromStdString(KeyNameFromCode(capturedCode_)));
            }
        } else {
            SelectRadio(Radio::Keyboard);
            keyField_->clear();
        }
        break;
    }
    ShowPageControls(page);
}

void Kestrow_DlgComposite::ShowPageControls(int page) {
    macroPage_->SetShown(page == kPageMacro);
    macroCaption_->setVisible(page == kPageMacro);
    for (QWidget* control :
         std::initializer_list<QWidget*>{keyField_, keyboardRadio_, mouseRadio_, keyboardCaption_,
                                         mouseCaption_, mouseList_, singleCaption_}) {
        control->setVisible(page == kPageKey);
    }
    mediaList_->setVisible(page == kPageMedia);
    mediaCaption_->setVisible(page == kPageMedia);
    functionList_->setVisible(page == kPageFunction);
    functionCaption_->setVisible(page == kPageFunction);
    const int pages[] = {kPageKey, kPageMacro, kPageMedia, kPageFunction};
    for (size_t i = 0; i < pageButtons_.size(); ++i) {
        pageButtons_[i]->SetCheck(pages[i] == page, true);
    }
}

void Kestrow_DlgComposite::SelectRadio(Radio radio) {
    const bool keyboard = radio == Radio::Keyboard;
    keyboardRadio_->setChecked(keyboard);
    mouseRadio_->setChecked(!keyboard);
    keyField_->setEnabled(keyboard);
    mouseList_->setEnabled(!keyboard);
}

void Kestrow_DlgComposite::SetModified(bool modified) {
    modified_ = modified;
    apply_->setEnabled(modified);
}

// ---- pages and buttons ----

void Kestrow_DlgComposite::ChangePage(int pageType) {
    if (pageType_ == pageType) {
        return;
    }
    pageType_ = pageType;
    ShowPage(false);
    SetModified(true);
}

void Kestrow_DlgComposite::OnKeyPage() {
    if (pageType_ == kPageMacro || pageType_ == kPageMedia || pageType_ == kPageFunction) {
        ChangePage(kPageKey);
    }
}

void Kestrow_DlgComposite::OnMacroPage() {
    ChangePage(kPageMacro);
}

void Kestrow_DlgComposite::OnMediaPage() {
    ChangePage(kPageMedia);
}

void Kestrow_DlgComposite::OnFunctionPage() {
    ChangePage(kPageFunction);
}

void Kestrow_DlgComposite::OnClear() {
    OnKeyPage();
    // A record of a type without a page (disabled, program, text) is cleared too.
    if (pageType_ == kPageKey || !HasPageOfItsOwn(pageType_)) {
        keyField_->clear();
        capturedCode_ = 0;
        pageType_ = kPageCleared;
        SelectRadio(Radio::Keyboard);
    }
}

void Kestrow_DlgComposite::OnKeyboardRadio() {
    SelectRadio(Radio::Keyboard);
    pageType_ = kPageKey;
}

void Kestrow_DlgComposite::OnMouseRadio() {
    SelectRadio(Radio::Mouse);
    pageType_ = kPageKey;
}

void Kestrow_DlgComposite::OnListChosen() {
    SetModified(true);
}

void Kestrow_DlgComposite::OnApply() {
    ApplyAssignment();
}

// ---- storing ----

void Kestrow_DlgComposite::ApplyAssignment() {
    // 1-2. The macro copies replace the working store's macros, keys of vanished ones reset.
    ApplyDialogMacros(macroPage_->TakeForApply(), &host_.KeyButtons());

    // 3. The record of the choice; types the dialog has no page for stay as they were.
    std::optional<KeyAssignment> built;
    AssignmentChoice choice;
    switch (pageType_) {
    case kPageCleared:
        built = BuildAssignment(recordIndex_, choice);
        break;
    case kPageKey:
        if (keyboardRadio_->isChecked()) {
            choice = {AssignmentKind::Key, capturedCode_};
        } else {
            const int entry = std::max(0, mouseList_->currentIndex());
            choice = {AssignmentKind::Mouse, MouseCodes()[static_cast<size_t>(entry)]};
        }
        built = BuildAssignment(recordIndex_, choice);
        break;
    case kPageMacro:
        if (macroPage_->HasMacros()) {
            const int id = MacroIdAt(macroPage_->CurrentMacro());
            choice = {id != 0 ? AssignmentKind::Macro : AssignmentKind::FirstMacro,
                      static_cast<uint32_t>(id), macroPage_->RepeatCount()};
        }
        built = BuildAssignment(recordIndex_, choice);
        break;
    case kPageMedia:
        built = BuildAssignment(recordIndex_, {AssignmentKind::Media,
                                               static_cast<uint32_t>(mediaList_->currentIndex())});
        break;
    case kPageFunction:
        built =
            BuildAssignment(recordIndex_, {AssignmentKind::Function,
                                           static_cast<uint32_t>(functionList_->currentIndex())});
        break;
    default:
        break;
    }

    // 4-6. Stored (its string released) with its colour mark and last word kept.
    if (built) {
        ProfileStore& store = WorkingStore();
        std::lock_guard guard(store.lock);
        const int area = ActiveProfile();
        if (area >= 0 && area < kProfileCount) {
            StoreAssignment(area, recordIndex_, *built);
        }
    }
    // 7. Every button of the profile tells its record again.
    KeyButtonSink& buttons = host_.KeyButtons();
    DescribeAllButtons(buttons);
    SetModified(false);
    buttons.SetPendingChanges(1);
}

// ---- closing ----

void Kestrow_DlgComposite::OnOK() {
    ApplyAssignment();
    ClosePath();
    CBaseDialog::OnOK();
}

void Kestrow_DlgComposite::OnCancel() {
    ClosePath();
    QDialog::done(kIdCancel);
}

void Kestrow_DlgComposite::reject() {
    OnCancel();
}

void Kestrow_DlgComposite::closeEvent(QCloseEvent* e) {
    // The close box and Alt+F4 cancel; a close of the closing path itself passes.
    if (openCount_ > 0) {
        e->ignore();
        OnCancel();
        return;
    }
    CBaseDialog::closeEvent(e);
}

void Kestrow_DlgComposite::CloseIfOpen() {
    if (openCount_ > 0) {
        OnCancel();
    }
}

void Kestrow_DlgComposite::ClosePath() {
    if (openCount_ <= 0) {
        return;
    }
    StopKeyCapture();
    macroPage_->Close();
    SetModified(false);
    --openCount_;
    if (filtering_) {
        qApp->removeEventFilter(this);
        filtering_ = false;
    }
    host_.RestoreKeyButton(keyButtonId_);
}

bool Kestrow_DlgComposite::event(QEvent* e) {
    // Without the keyboard focus no keys come (a Wayland client cannot keep them): a recording
    // that went on would miss keys.
    if (e->type() == QEvent::WindowDeactivate && macroPage_ != nullptr) {
        macroPage_->StopRecording();
    }
    if (e->type() == WindowMessageEvent::EventType()) {
        auto* message = static_cast<WindowMessageEvent*>(e);
        if (message->message() == UM_LANGUAGE) {
            OnLanguageMessage(message->wParam(), message->lParam());
            return true;
        }
    }
    return CBaseDialog::event(e);
}

bool Kestrow_DlgComposite::OnLanguageMessage(uintptr_t wParam, intptr_t lParam) {
    if (wParam != kLanguageNoticeTag) {
        return false;
    }
    OnLanguage(static_cast<int>(lParam));
    return true;
}
