#include "mainwindow/CKestrowDlg.h"

#include "platform/UserFolders.h"
#include "skin/Language.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>

OwnMessageEvent::OwnMessageEvent(uint32_t message_, uintptr_t wParam_, intptr_t lParam_)
    : QEvent(EventType()), message(message_), wParam(wParam_), lParam(lParam_) {}

QEvent::Type OwnMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

const std::array<const char*, 11>& CKestrowDlg::KeyImageSetFiles() {
    // The normal four twice (two independent sets), the arrow, the two colour-view pictures.
    static const std::array<const char*, 11> files = {
        "Skins/main_normal.jpg",  "Skins/main_over.jpg",    "Skins/main_down.jpg",
        "Skins/main_disable.jpg", "Skins/main_normal.jpg",  "Skins/main_over.jpg",
        "Skins/main_down.jpg",    "Skins/main_disable.jpg", "Skins/Arrow.jpg",
        "Skins/main_color0.jpg",  "Skins/main_color1.jpg"};
    return files;
}

CKestrowDlg::CKestrowDlg(MainWindowShell* shell, QWidget* parent) : QDialog(parent), shell_(shell) {
    setObjectName(QString::number(kDialogId));
    // The application's icon is the program icon.
    setWindowIcon(QApplication::windowIcon());
}

CKestrowDlg::~CKestrowDlg() = default;

bool CKestrowDlg::LoadKeyImageSet() {
    const std::filesystem::path folder = ProgramFolder();
    for (size_t i = 0; i < keyImageSet_.size(); ++i) {
        const std::filesystem::path file = folder / KeyImageSetFiles()[i];
        if (!keyImageSet_[i].load(QString::fromStdString(file.string()))) {
            return false;
        }
    }
    return true;
}

bool CKestrowDlg::OnInitDialog() {
    startedHidden_ = 0;
    if (!LoadKeyImageSet()) {
        return false;
    }
    // Tagged so that another instance's request reaches this window.
    windowUserData_ = kMainWindowTag;
    setWindowTitle(QString::fromStdString(LangText("MAIN_CAPTION", CurrentLanguageIndex())));
    // Never visible during start-up: the posted UM_STARTED hides it again should anything
    // have shown it.
    PostOwnMessage(UM_STARTED, kStartedTag, 0);
    SendOwnMessage(UM_LANGUAGE, kLanguageNoticeTag, LanguageNoticeIndex(CurrentLanguageIndex()));
    initialised_ = true;
    return true;
}

int CKestrowDlg::DoModal() {
    if (!OnInitDialog()) {
        return -1;
    }
    // QDialog::exec() would show the window; this modal loop runs it hidden.
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::DialogExec);
    return result();
}

long CKestrowDlg::SendOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case UM_OPEN:
        if (wParam == kOpenTag) {
            ShowMainWindow();
        }
        break;
    case UM_KILL:
        if (wParam == kKillTag) {
            CloseMainWindow();
        }
        break;
    case UM_STARTED:
        if (wParam == kStartedTag) {
            startedHidden_ = 1;
            hide();
        }
        break;
    case UM_LANGUAGE:
        if (wParam == kLanguageNoticeTag) {
            OnLanguage(static_cast<int>(lParam));
        }
        break;
    case UM_DISCONNECTED:
        if (shell_ != nullptr) {
            shell_->CloseAboutBox();
        }
        break;
    default:
        break;
    }
    return 0;
}

void CKestrowDlg::PostOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    QCoreApplication::postEvent(this, new OwnMessageEvent(message, wParam, lParam));
}

void CKestrowDlg::OnCommand(int id) {
    switch (id) {
    case kCommandOpen:
        ShowMainWindow();
        break;
    case kCommandAbout:
    case kSysCommandAbout:
        if (shell_ != nullptr) {
            shell_->OpenAboutBox();
        }
        break;
    case kCommandExit:
        CloseMainWindow();
        break;
    default:
        break;
    }
}

void CKestrowDlg::OnLanguage(int languageIndex) {
    if (shell_ != nullptr) {
        shell_->ForwardLanguage(languageIndex);
    }
}

void CKestrowDlg::ShowMainWindow() {
    if (closing_) {
        return;
    }
    showNormal();
    raise();
    activateWindow();
    emit mainWindowShown();
}

void CKestrowDlg::CloseMainWindow() {
    if (closing_) {
        return;
    }
    closing_ = true;
    hide();
    if (shell_ != nullptr) {
        shell_->CloseAboutBox();
        shell_->ReleaseSingleInstance();
    }
    windowUserData_ = 0;
    // Ends the modal loop of DoModal.
    QDialog::done(QDialog::Rejected);
}

void CKestrowDlg::reject() {
    hide();
}

bool CKestrowDlg::event(QEvent* e) {
    if (e->type() == OwnMessageEvent::EventType()) {
        const auto* own = static_cast<OwnMessageEvent*>(e);
        SendOwnMessage(own->message, own->wParam, own->lParam);
        return true;
    }
    return QDialog::event(e);
}

void CKestrowDlg::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Neither applies nor hides the window.
        e->accept();
        return;
    case Qt::Key_F1:
        if (shell_ != nullptr) {
            shell_->OpenHelp();
        }
        e->accept();
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

void CKestrowDlg::closeEvent(QCloseEvent* e) {
    // The close box hides the window; only CloseMainWindow ends it.
    e->ignore();
    hide();
}
