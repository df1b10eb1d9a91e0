#pragma once

// The program's only top-level window. It lives hidden (later behind the tray icon), is run
// modally by the application object, receives the own window messages of mainwindow/OwnMessages.h
// from other threads and from a second instance, and closes in a fixed order.

#include "mainwindow/OwnMessages.h"

#include <QDialog>
#include <QEvent>
#include <QPixmap>
#include <array>
#include <cstdint>

// What the main window asks of the application layer, which sits above it.
class MainWindowShell {
public:
    virtual ~MainWindowShell() = default;
    // The about box: open it (or bring the open one forward), close it if it exists, and
    // forward a language notice to it if it exists.
    virtual void OpenAboutBox() = 0;
    virtual void CloseAboutBox() = 0;
    virtual void ForwardLanguage(int languageIndex) = 0;
    // Opens the help page.
    virtual void OpenHelp() = 0;
    // Lets the next start of the program be a first instance again.
    virtual void ReleaseSingleInstance() = 0;
};

// An own window message posted to a window: QCoreApplication::postEvent of one of these.
class OwnMessageEvent : public QEvent {
public:
    OwnMessageEvent(uint32_t message, uintptr_t wParam, intptr_t lParam);
    static QEvent::Type EventType();

    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

class CKestrowDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDialogId = 102;
    // Commands of the tray menu.
    static constexpr int kCommandOpen = 32771;
    static constexpr int kCommandAbout = 32773;
    static constexpr int kCommandExit = 32774;
    // The system menu's about item.
    static constexpr int kSysCommandAbout = 0x10;

    // The skin pictures of the key buttons, in load order, relative to the program folder.
    static const std::array<const char*, 11>& KeyImageSetFiles();

    explicit CKestrowDlg(MainWindowShell* shell = nullptr, QWidget* parent = nullptr);
    ~CKestrowDlg() override;

    // The window's initialisation. False when the program cannot run (a skin picture is
    // missing or cannot be read); the application then ends with exit code 0 and nothing has
    // been shown.
    bool OnInitDialog();

    // Initialises the window and runs it modally without showing it: the window is first shown
    // by UM_OPEN or the tray. Returns -1 when the initialisation failed, otherwise the code the
    // window was ended with.
    int DoModal();

    // Delivers an own window message at once, on the calling (user-interface) thread, as a
    // sent message. Every handler returns 0; a message with a wrong tag is ignored.
    long SendOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Queues an own window message; safe from any thread.
    void PostOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // Tray and menu commands handled here.
    void OnCommand(int id);

    void ShowMainWindow();
    void CloseMainWindow();

    // kMainWindowTag once the initialisation has tagged the window, 0 before.
    uint32_t WindowUserData() const { return windowUserData_; }
    bool StartedHidden() const { return startedHidden_ != 0; }
    bool Initialised() const { return initialised_; }
    const QPixmap& KeyImage(int index) const { return keyImageSet_.at(static_cast<size_t>(index)); }

signals:
    // After the window was shown by ShowMainWindow.
    void mainWindowShown();

public slots:
    // Cancel, the close box and Alt+F4 only hide the window.
    void reject() override;

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    bool LoadKeyImageSet();
    void OnLanguage(int languageIndex);

    MainWindowShell* shell_;
    std::array<QPixmap, 11> keyImageSet_;
    uint32_t windowUserData_ = 0;
    int startedHidden_ = 0;
    bool initialised_ = false;
    bool closing_ = false;
};
