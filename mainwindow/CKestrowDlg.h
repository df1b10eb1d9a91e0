// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's only top-level window: the keyboard picture with one button per key, the
// profile bar and the lighting panel's place. It lives hidden behind the tray icon, is run
// modally by the application object, receives the own window messages of
// platform/OwnMessages.h from the device threads and from a second instance, and closes in a
// fixed order.

#include "device/MainWindowLink.h"
#include "mainwindow/UserMessages.h"
#include "model/KeyButtonSink.h"
#include "platform/OwnMessages.h"
#include "skin/ui/CBaseDialog.h"

#include <QEvent>
#include <QPixmap>
#include <QPointer>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class BusyIndicator;
class CKestrow_DlgProfile;
class CKestrow_DlgUpdate;
class CPngButton;
class QDialog;
class QEventLoop;
struct ApplyOutcome;
class DeviceThreads;
class LightingPanel;
class ProfileManagerHost;
class QLabel;
class QMenu;
class CTrayIcon;
class KeyEditorLink;
class Kestrow_DlgComposite;
class QTimer;
struct KeyAssignment;

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

// An own window message posted to a window: QCoreApplication::postEvent of one of these. A
// sent one carries the sender's wait record.
class OwnMessageEvent : public QEvent {
public:
    struct Reply {
        std::mutex lock;
        std::condition_variable done;
        bool answered = false;
        intptr_t result = 0;
    };

    OwnMessageEvent(uint32_t message, uintptr_t wParam, intptr_t lParam,
                    std::shared_ptr<Reply> reply = nullptr);
    static QEvent::Type EventType();

    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    std::shared_ptr<Reply> reply;
};

class CKestrowDlg : public CBaseDialog, public MainWindowLink, public KeyButtonSink {
    Q_OBJECT

public:
    static constexpr int kDialogId = 102;
    // Commands of the tray menu and of the menu button's menu (kBackupMenuId).
    static constexpr int kCommandOpen = 32771;
    static constexpr int kCommandAbout = 32773;
    static constexpr int kCommandExit = 32774;
    static constexpr int kCommandImport = 32776;
    static constexpr int kCommandExport = 32777;
    static constexpr int kCommandFirmware = 32780;
    // Relabelled with "MENU_4" should the menu button's menu ever hold it; no item does.
    static constexpr int kCommandMenu4 = 32779;
    static constexpr int kSysCommandAbout = 0x10;
    // The profile pop-up: 9000 the default profile, 9001 + n profile n.
    static constexpr int kProfileMenuFirst = 9000;
    static constexpr int kProfileMenuLast = 9200;

    // Controls.
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;
    static constexpr int kIdProfiles = 1005;
    static constexpr int kIdApply = 1006;
    static constexpr int kIdMacro = 1007;
    static constexpr int kIdTest = 1008;
    static constexpr int kIdProfileMenu = 1009;
    static constexpr int kIdLink = 1121;
    static constexpr int kIdHelp = 1122;
    static constexpr int kIdMinimize = 1123;
    static constexpr int kIdClose = 1124;
    static constexpr int kIdLockCaps = 1125;
    static constexpr int kIdLockNum = 1126;
    static constexpr int kIdLockScroll = 1127;
    static constexpr int kIdLockAb = 1128;
    static constexpr int kIdFlip0 = 1129;
    static constexpr int kIdFlip1 = 1130;
    static constexpr int kIdFlip2 = 1131;
    static constexpr int kIdLeftArrow = 1132;
    static constexpr int kIdRightArrow = 1133;
    static constexpr int kIdVersion = 1134;
    static constexpr int kIdProfile1 = 1135;
    static constexpr int kIdDefault = 1138;
    static constexpr int kIdMenu = 1139;
    static constexpr int kIdSwitch = 1144;
    static constexpr int kIdBusy = 1177;

    // Timers.
    static constexpr int kTimerBusy = 1050;
    static constexpr int kTimerLighting = static_cast<int>(kTimerReloadLighting); // 1051
    static constexpr int kTimerPreview = 1052;
    static constexpr int kTimerProfile = static_cast<int>(kTimerReloadProfile); // 1053
    static constexpr int kBusyFrameMs = 50;
    static constexpr int kPreviewFirstMs = 100;
    static constexpr int kPreviewPeriodMs = 50;

    // Tray.
    static constexpr int kTrayCallbackMessage = 1725;
    static constexpr int kTrayIconId = 140; // also the id of its menu
    static constexpr int kBackupMenuId = 144;

    // The keyboard variant word fixed at start-up; bit 8 would select the second G-key bank.
    static constexpr uint16_t kVariantWord = 0x0205;

    // The skin pictures of the key buttons, in load order, relative to the program folder.
    static const std::array<const char*, 11>& KeyImageSetFiles();
    enum KeyImage {
        kNormal = 0,
        kOver,
        kDown,
        kDisable,
        kNormal2,
        kOver2,
        kDown2,
        kDisable2,
        kArrow,
        kColour0,
        kColour1
    };

    explicit CKestrowDlg(MainWindowShell* shell = nullptr, QWidget* parent = nullptr);
    ~CKestrowDlg() override;

    // The window's initialisation. False when the program cannot run (a key picture is missing
    // or cannot be read); the application then ends with exit code 0 and nothing has been
    // shown.
    bool OnInitDialog() override;

    // Initialises the window and runs it modally without showing it: the window is first shown
    // by UM_OPEN or the tray. Returns -1 when the initialisation failed, otherwise the code the
    // window was ended with.
    int DoModal();
    // The modal loop of an initialised window; returns when the window has ended.
    int RunModalLoop();

    // MainWindowLink. On the user-interface thread a sent message is handled at once; from
    // another thread the sender waits until it was handled (or the window closed). Every
    // handler returns 0; a message with a wrong tag is ignored.
    intptr_t SendOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    bool PostOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void RequestTimer(uint32_t timerId) override;
    void SetTrayState(int kind, int iconId) override;
    void HideMainWindow() override;

    // Commands of buttons and menus (WM_COMMAND).
    void OnCommand(int id);

    void ShowMainWindow();
    void CloseMainWindow();
    // Saves the working file and writes the keyboard on a worker thread, and returns when that
    // is done. Meanwhile the busy animation runs, the window takes no input and no command,
    // and whatever else would touch the stores (a reload, the keyboard's profile notice) waits
    // until the write is over.
    void ApplyChanges();
    bool Applying() const { return applying_; }
    void SetPendingChanges(int flag) override;
    int PendingChanges() const { return pendingChanges_; }

    // The key map.
    int OpenKeyEditor(int id);
    void RefreshKeyButtons();
    void RefreshMarks();
    void ApplyFlipLayout();
    int FlipLayout() const { return flipLayout_; }
    int ViewMode() const { return viewMode_; }
    // KeyButtonSink: the buttons' codes (keys, then G-keys of the bank in use) and their
    // checked look and tooltip.
    std::vector<KeyCode> KeyButtonCodes() const override;
    void DescribeKeyButton(KeyCode code, std::string_view tooltip, bool assigned) override;
    // The button of a key or G-key code, or nullptr.
    CPngButton* ButtonOfCode(KeyCode code) const;

    // The profile bar.
    void OnProfileButton(int n);
    // Makes profile n (3 or more: 0) the keyboard's active one; true when it now is. A negative
    // n (the pop-up's default item) switches nothing.
    bool SwitchProfile(int n);
    void RestoreDefault();
    void ExportProfileFile();
    void ImportProfileFile();
    void BuildProfileMenu(); // made on first use, refilled after that

    // The lighting panel (its own controls, the lighting mode switch and the user colour modes).
    LightingPanel* Panel() const { return lightingPanel_; }
    bool LightingMode() const;
    // Before lighting mode goes on: the keyboard is made to use CurrentProfile, the profile the
    // panel shows. False when the profile bar refuses (an editor is open, or the switch failed).
    bool MakeCurrentProfileActive();

    // The profile manager (kIdProfiles) and the firmware update dialog (kCommandFirmware): each is
    // made at its first opening and kept while the window lives. Return the modal result.
    int OpenProfileManager();
    int OpenUpdateDialog();
    CKestrow_DlgProfile* ProfileManager() const { return profileManager_; }
    CKestrow_DlgUpdate* UpdateDialog() const { return updateDialog_; }

    // Who shows texts and questions (message boxes unless replaced; not owned).
    void SetUserMessages(UserMessages* messages);
    UserMessages& Messages() const { return *messages_; }
    // Chooses the file of an export (save) or import; empty when cancelled. The system's file
    // dialog unless replaced.
    using FileChooser = std::function<std::filesystem::path(bool save)>;
    void SetFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
    // The modal key-setting dialog for a key or G-key (record index, control id, macro-only);
    // returns what its modal run returns. Until one is given, function-view clicks open nothing.
    using KeyEditor = std::function<int(int recordIndex, int id, bool macroOnly)>;
    void SetKeyEditor(KeyEditor editor) { keyEditor_ = std::move(editor); }
    bool KeyEditorOpen() const { return keyEditorOpen_ > 0; }
    // An editor dialog (the profile manager, the key-setting dialog; in that order) that is
    // cancelled when the keyboard goes and when the window closes. Not owned.
    void AddEditorDialog(QDialog* dialog);
    // The key-setting dialog the window made at its initialisation (nullptr before).
    Kestrow_DlgComposite* KeyEditorDialog() const;
    // A key button's own images again after the key-setting dialog highlighted it.
    void RestoreKeyButtonImages(int id);
    // Whether the desktop has a notification area (asked once at start unless overridden).
    void SetNotificationAreaAvailable(bool available) {
        notificationArea_ = available;
        notificationAreaSet_ = true;
    }
    bool NotificationAreaAvailable() const { return notificationArea_; }
    // Whether the device threads are started by the initialisation (tests drive them by hand).
    void SetStartDeviceThreads(bool start) { startDeviceThreads_ = start; }

    // kMainWindowTag once the initialisation has tagged the window, 0 before and after close.
    uint32_t WindowUserData() const { return windowUserData_; }
    bool StartedHidden() const { return startedHidden_ != 0; }
    bool Initialised() const { return initialised_; }
    int TrayIconId() const { return trayIconId_; }
    const QPixmap& KeyImage(int index) const { return keyImageSet_.at(static_cast<size_t>(index)); }
    CPngButton* Button(int id) const;
    QMenu* ProfileMenu() const { return profileMenu_; }
    CTrayIcon* TrayIcon() const { return tray_.get(); }
    // The menu button's menu with its items relabelled (the caller shows it).
    std::unique_ptr<QMenu> BuildBackupMenu();
    bool BusyShown() const;
    // The busy animation's next frame, 0..9.
    int BusyFrame() const { return busyFrame_; }

signals:
    // After the window was shown by ShowMainWindow.
    void mainWindowShown();
    // After the window was minimized where, with a notification area, it would have hidden.
    void mainWindowMinimized();

public slots:
    // Cancel, the close box and Alt+F4 only hide the window.
    void reject() override;

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The key-setting dialog (KeyEditorLink.cpp).
    friend class KeyEditorLink;
    void CreateKeyEditor();
    void CloseKeyEditorIfOpen();
    friend class ProfileManagerLink;
    bool ProfileManagerModified() const;
    // A switch while the profile manager is open marks its row of profile n.
    void ProfileManagerFollowSwitch(int n);
    void OnProfileListApplied();
    bool UpdateDialogOpen() const;
    // The link to other threads (WindowLink.cpp).
    intptr_t HandleOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void WakeSenders();
    void StartTimer(int id, int ms);
    void KillTimer(int id);
    void OnTimer(int id);
    // The keyboard's arrival, removal and own notices (DeviceEvents.cpp).
    // UM_PROFILE_RELOAD: the keyboard's configuration replaces the working store, unless edits
    // are pending; then the user is asked first.
    void OnProfileReload();
    void AskAboutPendingEdits();
    void ReloadKeyboardConfiguration();
    // After an arrival: the profile buttons, key map and pop-up follow the keyboard.
    void FollowArrivedKeyboard();
    void OnDisconnected();
    void CloseEditorDialogs();
    // kTimerLighting: the lighting was changed on the keyboard itself.
    void OnLightingNotice();
    // kTimerProfile: the keyboard changed something of its profile by itself; the key map and
    // Apply follow the profile it is on now.
    void OnProfileNotice();
    // Reads the keyboard's active profile and makes the panel, the key map and Apply follow it.
    // False when it cannot be read.
    bool FollowKeyboardProfile();
    void CheckProfileButton(int p);
    // Controls (ControlLayout.cpp).
    bool LoadKeyImageSet();
    void CreateControls();
    void PlaceKeyButtons();
    void PlaceOtherButtons();
    CPngButton* MakeButton(int id);
    void UpdateArrow(int flipButtonId);
    std::filesystem::path SkinFile() const;
    // Commands (Commands.cpp), texts (Relabelling.cpp), tray (TrayAndMenus.cpp).
    void OnClicked(int id);
    void OnLanguage(int languageIndex);
    void SetSwitchText();
    void CreateTray();
    // Apply (Apply.cpp).
    void PostBusy(uint32_t message);
    void RunApplyWorker();
    void JoinApplyWorker();
    void OnApplyDone(const ApplyOutcome& outcome);
    // While Apply runs, keeps action for when it is done and returns true; otherwise false.
    bool DeferWhileApplying(std::function<void()> action);
    // Showing and closing (ShowAndClose.cpp).
    // UM_OPEN: shows the window, then reads the info block.
    void OnOpen();
    void ShowWindowNow();
    void HideOrMinimize();
    bool AnyKeyboardUnopenable() const;
    void CloseModalWindows();
    void ReleaseStores();
    int CurrentArea() const; // ActiveProfile, or -1

    MainWindowShell* shell_;
    std::unique_ptr<MessageBoxes> messageBoxes_;
    UserMessages* messages_;
    FileChooser fileChooser_;
    KeyEditor keyEditor_;
    std::unique_ptr<KeyEditorLink> keyEditorLink_;
    CKestrow_DlgProfile* profileManager_ = nullptr; // children of the window
    CKestrow_DlgUpdate* updateDialog_ = nullptr;
    std::shared_ptr<ProfileManagerHost> profileManagerLink_;

    std::array<QPixmap, 11> keyImageSet_;
    std::map<int, CPngButton*> buttons_;
    QLabel* busy_ = nullptr;
    std::array<QPixmap, 10> busyFrames_;
    int busyFrame_ = 0;
    LightingPanel* lightingPanel_ = nullptr; // a child of the window
    QMenu* profileMenu_ = nullptr;
    std::unique_ptr<CTrayIcon> tray_;
    std::map<int, QTimer*> timers_;
    std::unique_ptr<BusyIndicator> busyIndicator_;
    std::unique_ptr<DeviceThreads> deviceThreads_;
    QString linkText_;

    // The language the window's texts were last set in (by the language notice).
    int languageIndex_ = 0;
    int pendingChanges_ = 0;
    int trayIconId_ = 0;
    int presenceIcon_ = kTrayIconAbsent;
    int viewMode_ = 0;
    int flipLayout_ = 0;
    int startedHidden_ = 0;
    int keyEditorOpen_ = 0;
    bool switchQuestionOpen_ = false;
    bool pendingEditsQuestionOpen_ = false;
    // An import whose write did not get through: the next Apply sends all three profiles.
    bool allProfilesOwed_ = false;
    bool applying_ = false;
    std::thread applyWorker_;
    QEventLoop* applyLoop_ = nullptr;
    std::vector<std::function<void()>> afterApply_;
    std::vector<QPointer<QDialog>> editorDialogs_;
    bool notificationArea_ = true;
    bool notificationAreaSet_ = false;
    bool startDeviceThreads_ = true;
    uint32_t windowUserData_ = 0;
    bool initialised_ = false;
    bool closing_ = false;
    std::atomic<bool> linkClosed_{false};
    std::mutex sendersLock_;
    std::vector<std::weak_ptr<OwnMessageEvent::Reply>> senders_;
};
