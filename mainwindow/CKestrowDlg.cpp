// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's construction, its initialisation in order, and its hidden modal run.

#include "mainwindow/CKestrowDlg.h"

#include "device/DeviceState.h"
#include "device/Presence.h"
#include "mainwindow/BusyIndicator.h"
#include "mainwindow/KeyEditorLink.h"
#include "mainwindow/LightingPanel.h"
#include "mainwindow/WindowText.h"
#include "model/ProfileFile.h"
#include "model/ProfileFolder.h"
#include "model/ProfileStore.h"
#include "platform/UserFolders.h"
#include "skin/CIniFile.h"
#include "skin/ui/CPngButton.h"
#include "widgets/CTrayIcon.h"

#include <QApplication>
#include <QEventLoop>
#include <QSystemTrayIcon>

namespace {

// The skin's link address is cut to this many characters.
constexpr size_t kMaxLinkLength = 260;

} // namespace

CKestrowDlg::CKestrowDlg(MainWindowShell* shell, QWidget* parent)
    : CBaseDialog(kDialogId, parent, ProgramFolder() / "Skins" / "Main.ini",
                  ProgramFolder() / "Skins"),
      shell_(shell), messageBoxes_(std::make_unique<MessageBoxes>(this)),
      messages_(messageBoxes_.get()) {
    setObjectName(QString::number(kDialogId));
    // The application's icon is the program icon.
    setWindowIcon(QApplication::windowIcon());
}

CKestrowDlg::~CKestrowDlg() {
    // Device threads first: they may still be waiting for this window.
    linkClosed_ = true;
    WakeSenders();
    messageBoxes_->Release();
    deviceThreads_.reset();
    JoinApplyWorker();
    busyIndicator_.reset();
}

void CKestrowDlg::SetUserMessages(UserMessages* messages) {
    messages_ = messages != nullptr ? messages : messageBoxes_.get();
}

std::filesystem::path CKestrowDlg::SkinFile() const {
    return IniPath();
}

bool CKestrowDlg::OnInitDialog() {
    // Every key picture must be there before anything else is built: a broken skin ends the
    // program before any window or thread exists.
    if (!LoadKeyImageSet()) {
        return false;
    }
    CBaseDialog::OnInitDialog();
    // The window icon is the program icon (set by the constructor).
    startedHidden_ = 0;
    DeviceState().CachedProfile = -1;
    if (!notificationAreaSet_) {
        notificationArea_ = QSystemTrayIcon::isSystemTrayAvailable();
    }

    // The working store starts as an all-default block, before any thread can reach it.
    {
        ProfileStore& store = WorkingStore();
        std::lock_guard guard(store.lock);
        ClearWorkingStore();
        MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore);
        // Nothing has been read from the keyboard yet.
        store.standIn = true;
    }
    // The macro recorder's state belongs to the key-setting dialog, which starts it clear.

    const std::string link = CIniFile(SkinFile().string())
                                 .GetString("SCREEN", "Link")
                                 .value_or("https://kestrow.example.org/");
    linkText_ = QString::fromStdString(link.substr(0, kMaxLinkLength));

    CreateControls();
    CreateKeyEditor();
    pendingChanges_ = 1; // so that the first SetPendingChanges(0) disables Apply
    SetPendingChanges(0);
    PlaceKeyButtons();
    PlaceOtherButtons();

    EnsureProfileFolder();
    lightingPanel_ = new LightingPanel(*this);
    lightingPanel_->SetUpPanel();

    // No taskbar button while hidden in the tray; tagged so that another instance finds it.
    if (notificationArea_) {
        setWindowFlag(Qt::Tool, true);
    }
    windowUserData_ = kMainWindowTag;
    setWindowTitle(Q(LangText("MAIN_CAPTION", CurrentLanguageIndex())));

    viewMode_ = 0;
    languageIndex_ = CurrentLanguageIndex();
    if (CPngButton* sw = Button(kIdSwitch)) {
        sw->SetTextStyle(true, kButtonTextSize, kArialUnicode, SkinTextColours(),
                         kTextLineVCentred);
    }
    SetSwitchText();

    CreateTray();
    BuildProfileMenu();

    // Never visible during start-up: the posted UM_STARTED hides it again should anything
    // have shown it.
    PostOwnMessage(UM_STARTED, kStartedTag, 0);
    SendOwnMessage(UM_LANGUAGE, kLanguageNoticeTag, LanguageNoticeIndex(CurrentLanguageIndex()));
    // Session notifications cause no action: not registered.
    StartTimer(kTimerPreview, kPreviewFirstMs);

    // The device threads last: their first message finds a complete window.
    if (startDeviceThreads_) {
        deviceThreads_ = std::make_unique<DeviceThreads>(*this, *messages_);
        deviceThreads_->Start();
    }
    initialised_ = true;
    return true;
}

int CKestrowDlg::DoModal() {
    if (!InitDialog() || !initialised_) {
        return -1;
    }
    return RunModalLoop();
}

int CKestrowDlg::RunModalLoop() {
    // QDialog::exec() would show the window; this modal loop runs it hidden.
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::DialogExec);
    return result();
}
