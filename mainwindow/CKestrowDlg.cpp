#include "mainwindow/CKestrowDlg.h"

#include "device/DeviceState.h"
#include "device/Presence.h"
#include "device/Protocol.h"
#include "mainwindow/BusyIndicator.h"
#include "mainwindow/FlipSetting.h"
#include "mainwindow/KeyEditorLink.h"
#include "mainwindow/KeyMapTables.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileFile.h"
#include "model/ProfileFolder.h"
#include "model/ProfileStore.h"
#include "platform/UserFolders.h"
#include "platform/hid/HidBackend.h"
#include "skin/CIniFile.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ColorRef.h"
#include "skin/ui/ControlId.h"
#include "skin/ui/Placement.h"
#include "skin/ui/WindowMessageEvent.h"
#include "widgets/CTrayIcon.h"
#include "widgets/MenuResource.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <thread>

namespace {

// Colours of the skinned button texts: normal, over, down, disabled, checked.
CPngButton::TextColours SkinTextColours() {
    return {ToQColor(0xFFFFFF), ToQColor(0x0082FF), ToQColor(0x049BFF), ToQColor(0x7F7F7F),
            ToQColor(0xFFFFFF)};
}

const QString kArialUnicode = QStringLiteral("Arial Unicode MS");

// Sections of the skin layout file.
constexpr const char* kButtonInfo = "BUTTONINFO";
constexpr const char* kButtonInfo2 = "BUTTONINFO2";
// D1-D6 have no key code of their own.
constexpr const char* kDKeySkinKeys[] = {"KEY_D1", "KEY_D2", "KEY_D3",
                                         "KEY_D4", "KEY_D5", "KEY_D6"};

QString Lang(std::string_view key) {
    return QString::fromStdString(LangText(key, CurrentLanguageIndex()));
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The tray icons 128 (idle), 141 (connected) and 142 (special mode), drawn as small keyboards.
QIcon TrayIconPicture(int iconId) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor body = iconId == kTrayIconPresent       ? QColor(0x2E, 0xA0, 0x4E)
                        : iconId == kTrayIconSpecialMode ? QColor(0xFF, 0x82, 0x00)
                                                         : QColor(0x70, 0x70, 0x78);
    painter.setBrush(body);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 8, 30, 16), 3, 3);
    painter.setBrush(QColor(0xF4, 0xF4, 0xF4));
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 6; ++col) {
            painter.drawRect(QRectF(4 + col * 4.2, 11 + row * 5, 3, 3));
        }
    }
    return QIcon(pixmap);
}

// Menu texts by command id; commands the menu does not hold are skipped.
constexpr std::pair<int, const char*> kTrayMenuTexts[] = {
    {32771, "MENU_11"}, {32773, "MENU_22"}, {32774, "MENU_33"}};
constexpr std::pair<int, const char*> kBackupMenuTexts[] = {
    {32776, "MENU_1"}, {32777, "MENU_2"}, {32773, "MENU_3"}, {32779, "MENU_4"}};

template <size_t N> void RelabelMenu(QMenu* menu, const std::pair<int, const char*> (&texts)[N]) {
    for (const auto& [id, key] : texts) {
        if (QAction* action = FindMenuCommand(menu, id)) {
            action->setText(Lang(key));
        }
    }
}

} // namespace

OwnMessageEvent::OwnMessageEvent(uint32_t message_, uintptr_t wParam_, intptr_t lParam_,
                                 std::shared_ptr<Reply> reply_)
    : QEvent(EventType()), message(message_), wParam(wParam_), lParam(lParam_),
      reply(std::move(reply_)) {}

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
    busyIndicator_.reset();
}

void CKestrowDlg::SetUserMessages(UserMessages* messages) {
    messages_ = messages != nullptr ? messages : messageBoxes_.get();
}

std::filesystem::path CKestrowDlg::SkinFile() const {
    return IniPath();
}

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
    // Every key picture must be there before anything else is built: a broken skin ends the
    // program before any window or thread exists.
    if (!LoadKeyImageSet()) {
        return false;
    }
    CBaseDialog::OnInitDialog();
    // No system menu on a frameless window: the tray menu's About stands in for item 0x10.
    // The window icon is the program icon (set by the constructor).
    startedHidden_ = 0;
    DeviceState().CachedProfile = -1;
    // Kernel32.dll, User32.dll and SetLayeredWindowAttributes: no Linux counterpart to load.
    if (!notificationAreaSet_) {
        notificationArea_ = QSystemTrayIcon::isSystemTrayAvailable();
    }

    // The working store starts as an all-default block, before any thread can reach it.
    {
        ProfileStore& store = WorkingStore();
        std::lock_guard guard(store.lock);
        ClearWorkingStore();
        MakeDefaultStore({}, 0, true);
    }
    // The macro recorder's state belongs to the key-setting dialog, which starts it clear.

    const std::string link = CIniFile(SkinFile().string())
                                 .GetString("SCREEN", "Link")
                                 .value_or("https://kestrow.example.org/");
    linkText_ = QString::fromStdString(link.substr(0, 260));

    CreateControls();
    CreateKeyEditor();
    pendingChanges_ = 1; // so that the first SetPendingChanges(0) disables Apply
    SetPendingChanges(0);
    PlaceKeyButtons();
    PlaceOtherButtons();

    EnsureProfileFolder();
    // The lighting panel's images, layout and lists are set up by the panel itself.

    // No taskbar button while hidden in the tray; tagged so that another instance finds it.
    if (notificationArea_) {
        setWindowFlag(Qt::Tool, true);
    }
    windowUserData_ = kMainWindowTag;
    setWindowTitle(Q(LangText("MAIN_CAPTION", CurrentLanguageIndex())));
    // The 212 named events for other processes: no Linux counterpart, not created.

    viewMode_ = 0;
    languageIndex_ = CurrentLanguageIndex();
    if (CPngButton* sw = Button(kIdSwitch)) {
        sw->SetTextStyle(true, 10, kArialUnicode, SkinTextColours(), 0x24);
    }
    SetSwitchText();

    CreateTray();
    BuildProfileMenu(true);

    // Never visible during start-up: the posted UM_STARTED hides it again should anything
    // have shown it.
    PostOwnMessage(UM_STARTED, kStartedTag, 0);
    SendOwnMessage(UM_LANGUAGE, kLanguageNoticeTag, LanguageNoticeIndex(CurrentLanguageIndex()));
    // Session notifications cause no action: not registered.
    StartTimer(kTimerPreview, 100);

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

// ---- controls ----

CPngButton* CKestrowDlg::Button(int id) const {
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

CPngButton* CKestrowDlg::MakeButton(int id) {
    auto* button = new CPngButton(this, id);
    SetControlId(button, id);
    buttons_[id] = button;
    connect(button, &QAbstractButton::clicked, this, [this, id] { OnClicked(id); });
    return button;
}

void CKestrowDlg::CreateControls() {
    for (const KeyButtonEntry& entry : KeyButtonTable) {
        MakeButton(entry.id);
    }
    for (int id : GKeyTable) {
        MakeButton(id);
    }
    for (int i = 0; i < kDKeyCount; ++i) {
        MakeButton(kFirstDKeyId + i);
    }
    MakeButton(kEnterUpperId);
    for (int id : {IDOK,
                   IDCANCEL,
                   kIdProfiles,
                   kIdApply,
                   kIdMacro,
                   kIdLink,
                   kIdHelp,
                   kIdMinimize,
                   kIdClose,
                   1125,
                   1126,
                   1127,
                   kIdLockAb,
                   kIdFlip0,
                   kIdFlip1,
                   kIdFlip2,
                   kIdLeftArrow,
                   kIdRightArrow,
                   kIdVersion,
                   kIdProfile1,
                   kIdProfile1 + 1,
                   kIdProfile1 + 2,
                   kIdDefault,
                   kIdMenu,
                   kIdSwitch,
                   1147,
                   1168,
                   1169,
                   1170,
                   kFnKeyId}) {
        MakeButton(id);
    }
    // The test button and the profile-menu button exist but are never shown.
    MakeButton(kIdTest)->hide();
    MakeButton(kIdProfileMenu)->hide();

    for (int i = 0; i < 3; ++i) {
        auto* edit = new QLineEdit(this);
        SetControlId(edit, 1208 + i);
        // Drawn over the dark face of the lighting panel.
        edit->setStyleSheet(QStringLiteral("QLineEdit { background: rgba(255,255,255,24); color: "
                                           "white; border: 1px solid rgba(255,255,255,60); "
                                           "border-radius: 3px; }"));
        colourEdits_[static_cast<size_t>(i)] = edit;
    }

    busy_ = new QLabel(this);
    SetControlId(busy_, kIdBusy);
    busy_->hide();
    for (size_t i = 0; i < busyFrames_.size(); ++i) {
        busyFrames_[i].load(QString::fromStdString(
            (SkinFolder() / ("jdt" + std::to_string(i + 1) + ".bmp")).string()));
    }

    for (int id : {kTimerBusy, 1051, kTimerPreview, 1053}) {
        auto* timer = new QTimer(this);
        timer->setSingleShot(id != kTimerBusy);
        connect(timer, &QTimer::timeout, this, [this, id] { OnTimer(id); });
        timers_[id] = timer;
    }
}

void CKestrowDlg::PlaceKeyButtons() {
    const std::filesystem::path file = SkinFile();
    const QPixmap* n = &keyImageSet_[kNormal];
    const QPixmap* o = &keyImageSet_[kOver];
    const QPixmap* d = &keyImageSet_[kDown];
    const QPixmap* c = &keyImageSet_[kDisable];
    // A disabled key button looks like a normal one; a checked one is cut from main_disable.
    for (size_t i = 0; i < GKeyTable.size(); ++i) {
        const std::string key = "FUNC_G" + std::to_string(i + 1);
        PlaceImageControl(Button(GKeyTable[i]), file, kButtonInfo, key, n, o, d, n, c);
    }
    for (const KeyButtonEntry& entry : KeyButtonTable) {
        PlaceImageControl(Button(entry.id), file, kButtonInfo, KeySkinKey(entry.keyCode).data(), n,
                          o, d, n, c);
    }
    // The buttons of no key of their own.
    for (int i = 0; i < kDKeyCount; ++i) {
        PlaceImageControl(Button(kFirstDKeyId + i), file, kButtonInfo, kDKeySkinKeys[i], n, o, d, n,
                          c);
    }
    PlaceImageControl(Button(kEnterUpperId), file, kButtonInfo, "KEY_ENTER2", n, o, d, n, c);
}

void CKestrowDlg::PlaceOtherButtons() {
    const std::filesystem::path file = SkinFile();
    const QPixmap* n = &keyImageSet_[kNormal];
    const QPixmap* o = &keyImageSet_[kOver];
    const QPixmap* d = &keyImageSet_[kDown];
    const QPixmap* x = &keyImageSet_[kDisable];
    auto place = [&](int id, const char* key, const QPixmap* a, const QPixmap* b, const QPixmap* c2,
                     const QPixmap* e, const QPixmap* f) {
        PlaceImageControl(Button(id), file, kButtonInfo, key, a, b, c2, e, f);
        return Button(id);
    };

    place(kIdLink, "VELMAR_LINK", n, o, x, n, n)->SetTooltipText(linkText_);
    CPngButton* profiles = place(kIdProfiles, "FUNC_PROFILES", n, o, d, n, n);
    profiles->SetRotation(0x10C, true);
    profiles->SetTextStyle(true, 10, kArialUnicode, SkinTextColours(), 0x28);
    place(kIdMacro, "FUNC_MACRO", n, o, d, n, n);
    place(IDOK, "CONTROL_OK", n, o, d, n, n);
    place(IDCANCEL, "CONTROL_CANCEL", n, o, d, n, n);
    place(kIdHelp, "CONTROL_HELP", n, o, d, n, n)
        ->SetTooltipText(Q(LangText("MAIN_HELP_PROMPT", CurrentLanguageIndex())));
    place(kIdClose, "CONTROL_CLOSE", n, o, d, n, n)
        ->SetTooltipText(Q(LangText("MAIN_CLOSE_PROMPT", CurrentLanguageIndex())));
    place(kIdMinimize, "CONTROL_MINIMIZE", n, o, d, n, n)
        ->SetTooltipText(Q(LangText("MAIN_MINIMIZE_PROMPT", CurrentLanguageIndex())));
    place(kIdMenu, "CONTROL_MENU", n, o, d, n, n)
        ->SetTooltipText(Q(LangText("MAIN_MENU_PROMPT", CurrentLanguageIndex())));
    place(kIdApply, "CONTROL2_APPLY", n, o, d, x, n);
    const char* locks[] = {"LOCK_CAPS", "LOCK_NUM", "LOCK_SCROLL", "LOCK_AB"};
    for (int i = 0; i < 4; ++i) {
        place(kIdLockCaps + i, locks[i], n, n, n, n, o);
    }
    place(kIdFlip0, "FLIP_0", n, n, n, n, x);
    place(kIdFlip1, "FLIP_1", n, o, d, n, x);
    place(kIdFlip2, "FLIP_2", n, o, d, n, x);
    CPngButton* version = place(kIdVersion, "VELMAR_VER", n, n, n, n, n);
    version->setText(QString());
    version->SetTextStyle(true, 8, QStringLiteral("Verdana Unicode MS"), SkinTextColours(), 0x24);
    version->setEnabled(false);
    const char* bar[] = {"FUNC_PROFILE1", "FUNC_PROFILE2", "FUNC_PROFILE3", "FUNC_DEFAULT"};
    for (int i = 0; i < 4; ++i) {
        place(kIdProfile1 + i, bar[i], n, o, d, n, x);
    }
    place(kIdSwitch, "FUNC_SWITCH", n, o, d, n, x);
    const char* colours[] = {"COLOR_R", "COLOR_G", "COLOR_B"};
    for (int i = 0; i < 3; ++i) {
        PlaceControl(colourEdits_[static_cast<size_t>(i)], file, kButtonInfo, colours[i]);
    }
    const char* reports[] = {"FUNC_REPORT1", "FUNC_REPORT2", "FUNC_REPORT3", "FUNC_REPORT4"};
    const int reportIds[] = {1147, 1168, 1169, 1170};
    for (int i = 0; i < 4; ++i) {
        place(reportIds[i], reports[i], n, o, d, n, x);
    }
    place(kFnKeyId, "KEY_FN", n, o, d, n, x);
    PlaceControl(busy_, file, kButtonInfo, "CONTROL_JDTStatic");

    // The arrows over the flip buttons are drawn from the arrow sprite sheet.
    for (int id : {kIdLeftArrow, kIdRightArrow}) {
        CPngButton* arrow = Button(id);
        arrow->setAttribute(Qt::WA_TransparentForMouseEvents);
        UpdateArrow(id == kIdLeftArrow ? kIdFlip1 : kIdFlip2);
    }

    // Buttons that overlap others repaint what lies beneath them after each of their repaints.
    Button(kIdFlip1)->SetAfterDraw([this](CPngButton*, QPainter&, bool) {
        QTimer::singleShot(0, this, [this] { UpdateArrow(kIdFlip1); });
    });
    Button(kIdFlip2)->SetAfterDraw([this](CPngButton*, QPainter&, bool) {
        QTimer::singleShot(0, this, [this] { UpdateArrow(kIdFlip2); });
    });
    // The flip buttons' hover moves the arrows; watch them for it.
    Button(kIdFlip1)->installEventFilter(this);
    Button(kIdFlip2)->installEventFilter(this);

    // FlipLayout from the settings, then applied.
    flipLayout_ = ReadFlipLayout();
    ApplyFlipLayout();
}

void CKestrowDlg::UpdateArrow(int flipButtonId) {
    const bool left = flipButtonId == kIdFlip1;
    CPngButton* arrow = Button(left ? kIdLeftArrow : kIdRightArrow);
    if (arrow == nullptr) {
        return;
    }
    const std::string base = flipLayout_ == 1 ? (left ? "UP_ARROW_LEFT" : "UP_ARROW_RIGHT")
                                              : (left ? "DOWN_ARROW_LEFT" : "DOWN_ARROW_RIGHT");
    PlaceImageControlSplit(arrow, SkinFile(), kButtonInfo, left ? "LEFT_ARROW" : "RIGHT_ARROW",
                           kButtonInfo2, base + "1", &keyImageSet_[kArrow]);
    arrow->raise();
}

void CKestrowDlg::SetSwitchText() {
    if (CPngButton* sw = Button(kIdSwitch)) {
        sw->setText(
            Q(LangText(viewMode_ == 1 ? "MAIN_SWITCH_COLOR_TEXT" : "MAIN_SWITCH_FUNCTION_TEXT",
                       languageIndex_)));
    }
}

bool CKestrowDlg::BusyShown() const {
    return busy_ != nullptr && !busy_->isHidden();
}

// ---- own messages ----

intptr_t CKestrowDlg::SendOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (QThread::currentThread() == thread()) {
        return HandleOwnMessage(message, wParam, lParam);
    }
    if (linkClosed_) {
        return 0;
    }
    auto reply = std::make_shared<OwnMessageEvent::Reply>();
    {
        std::lock_guard guard(sendersLock_);
        senders_.push_back(reply);
    }
    QCoreApplication::postEvent(this, new OwnMessageEvent(message, wParam, lParam, reply));
    std::unique_lock guard(reply->lock);
    // A window that closes drops what it was sent, so that no sender waits for ever.
    reply->done.wait(guard, [&] { return reply->answered || linkClosed_.load(); });
    return reply->result;
}

bool CKestrowDlg::PostOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (linkClosed_) {
        return false;
    }
    QCoreApplication::postEvent(this, new OwnMessageEvent(message, wParam, lParam));
    return true;
}

void CKestrowDlg::WakeSenders() {
    std::lock_guard guard(sendersLock_);
    for (auto& weak : senders_) {
        if (auto reply = weak.lock()) {
            std::lock_guard replyGuard(reply->lock);
            reply->done.notify_all();
        }
    }
    senders_.clear();
}

void CKestrowDlg::RequestTimer(uint32_t timerId) {
    if (linkClosed_) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, timerId] { StartTimer(static_cast<int>(timerId), 0); }, Qt::QueuedConnection);
}

void CKestrowDlg::HideMainWindow() {
    if (QThread::currentThread() == thread()) {
        HideOrMinimize();
        return;
    }
    if (!linkClosed_) {
        QMetaObject::invokeMethod(
            this, [this] { hide(); }, Qt::QueuedConnection);
    }
}

intptr_t CKestrowDlg::HandleOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    // A closed window has released its stores; late messages find nothing to act on.
    if (closing_) {
        return 0;
    }
    switch (message) {
    case UM_OPEN:
        if (wParam == kOpenTag) {
            ShowMainWindow();
            // The info block read after showing; the short wait lets older firmware of the
            // first model settle.
            uint8_t info[kInfoBlockLength] = {};
            if (CmdReadInfoBlock(info) == kCmdOk) {
                const unsigned word = info[8] | (info[9] << 8);
                if (DeviceState().KeySlotCount == kKeySlotCountSmall && word >= 1 &&
                    word <= 0x107) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
            }
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
    case UM_PROFILE_RELOAD:
        if (wParam == kProfileTag) {
            OnProfileReload();
        }
        break;
    case UM_LANGUAGE:
        if (wParam == kLanguageNoticeTag) {
            OnLanguage(static_cast<int>(lParam));
        }
        break;
    case UM_DISCONNECTED:
        OnDisconnected();
        break;
    default:
        break;
    }
    return 0;
}

bool CKestrowDlg::event(QEvent* e) {
    if (e->type() == OwnMessageEvent::EventType()) {
        auto* own = static_cast<OwnMessageEvent*>(e);
        const intptr_t result = HandleOwnMessage(own->message, own->wParam, own->lParam);
        if (own->reply) {
            std::lock_guard guard(own->reply->lock);
            own->reply->result = result;
            own->reply->answered = true;
            own->reply->done.notify_all();
        }
        return true;
    }
    if (e->type() == WindowMessageEvent::EventType()) {
        // Commands of the tray icon's menu and double click.
        auto* message = static_cast<WindowMessageEvent*>(e);
        if (message->message() == WM_COMMAND) {
            OnCommand(static_cast<int>(message->wParam()));
            return true;
        }
    }
    return CBaseDialog::event(e);
}

void CKestrowDlg::OnProfileReload() {
    ReloadFromKeyboard(false, this);
    const int p = DeviceState().CachedProfile.load();
    if (p >= 0 && p <= 2) {
        CheckProfileButton(p);
        DeviceState().CurrentProfile = p;
    }
    // The reload described the buttons; the flip and, in colour view, the marks follow.
    ApplyFlipLayout();
    if (viewMode_ == 1) {
        RefreshMarks();
    }
    BuildProfileMenu(false);
    // The lighting, LightingMode and the per-key colours are reread by the lighting panel.
    // Without a notification area the window could not be reached: it comes forward itself.
    // (The reload is the arrival itself, so the keyboard is there even though the presence
    // thread marks it present only after this message.)
    if (!notificationArea_ && !closing_) {
        ShowWindowNow();
    }
}

void CKestrowDlg::OnKeyboardProfileChanged() {
    uint8_t info[kInfoBlockLength] = {};
    if (CmdReadInfoBlock(info) != kCmdOk || info[10] >= kProfileCount) {
        return;
    }
    const int p = info[10];
    DeviceState().CurrentProfile = p;
    if (DeviceState().CachedProfile.load() == p) {
        return;
    }
    // The keyboard is on another profile now: the key map and every later Apply must follow
    // it, or Apply would write the old profile's records into the new profile's table.
    DeviceState().CachedProfile = p;
    CheckProfileButton(p);
    viewMode_ = 0;
    SetSwitchText();
    RefreshKeyButtons();
    RefreshMarks();
    BuildProfileMenu(false);
}

void CKestrowDlg::OnDisconnected() {
    if (shell_ != nullptr) {
        shell_->CloseAboutBox();
    }
    // Any open modal dialog (key setting, profile manager, file dialogs, message boxes) is
    // closed as if cancelled.
    CloseKeyEditorIfOpen();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible() && w->isModal()) {
            if (auto* dialog = qobject_cast<QDialog*>(w)) {
                dialog->reject();
            } else {
                w->close();
            }
        }
    }
    setFocus();
}

void CKestrowDlg::CheckProfileButton(int p) {
    for (int i = 0; i < 3; ++i) {
        if (CPngButton* b = Button(kIdProfile1 + i)) {
            b->SetCheck(i == p, true);
        }
    }
}

// ---- tray ----

void CKestrowDlg::CreateTray() {
    // Menu 140 (the tray's) and menu 144 (the menu button's), and the three tray icons.
    RegisterMenuResource(kTrayIconId, {{0,
                                        QStringLiteral("Tray"),
                                        {{kCommandOpen, QStringLiteral("Open")},
                                         {kCommandAbout, QStringLiteral("About")},
                                         {kCommandExit, QStringLiteral("Exit")}}}});
    RegisterMenuResource(kBackupMenuId, {{0,
                                          QStringLiteral("Menu"),
                                          {{kCommandImport, QStringLiteral("restore")},
                                           {kCommandExport, QStringLiteral("backup")}}}});
    for (int id : {kTrayIconAbsent, kTrayIconPresent, kTrayIconSpecialMode}) {
        RegisterIconResource(id, TrayIconPicture(id));
    }
    tray_ = std::make_unique<CTrayIcon>();
    if (notificationArea_) {
        tray_->Create(this, kTrayCallbackMessage,
                      Q(LangText("KEYBOARD_TRAY_DESC", CurrentLanguageIndex())),
                      TrayIconPicture(kTrayIconAbsent), kTrayIconId);
    }
    tray_->SetClickCommand(kIdProfileMenu);
    tray_->SetDefaultItem(0); // a double click opens the window
    tray_->SetMenuCallback([](QMenu* menu) { RelabelMenu(menu, kTrayMenuTexts); });
    trayIconId_ = kTrayIconAbsent;
}

void CKestrowDlg::SetTrayState(int kind, int iconId) {
    if (QThread::currentThread() != thread()) {
        if (!linkClosed_) {
            QMetaObject::invokeMethod(
                this, [this, kind, iconId] { SetTrayState(kind, iconId); }, Qt::QueuedConnection);
        }
        return;
    }
    if (closing_ || trayIconId_ == 0) {
        return;
    }
    int show = 0;
    if (kind == kTrayKindSpecial) {
        show = kTrayIconSpecialMode;
    } else if (iconId != 0) {
        presenceIcon_ = iconId;
        show = iconId;
    } else {
        show = presenceIcon_;
    }
    if (show == trayIconId_) {
        return;
    }
    trayIconId_ = show;
    if (tray_ != nullptr) {
        tray_->SetIcon(show);
    }
}

std::unique_ptr<QMenu> CKestrowDlg::BuildBackupMenu() {
    const MenuDescription* resource = FindMenuResource(kBackupMenuId);
    std::unique_ptr<QMenu> menu(BuildMenu(resource->front().submenu, this));
    RelabelMenu(menu.get(), kBackupMenuTexts);
    for (QAction* action : menu->actions()) {
        const int command = MenuCommandId(action);
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    }
    return menu;
}

// ---- commands ----

void CKestrowDlg::OnClicked(int id) {
    if (GKeyIndexOf(id) >= 0 || KeyButtonIndexOf(id) >= 0) {
        // While lighting mode is on, clicks paint keys (the lighting panel); else the editor.
        if (!lightingMode_) {
            OpenKeyEditor(id);
        }
        return;
    }
    OnCommand(id);
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
    case kIdClose:
        CloseMainWindow();
        break;
    case kIdHelp:
        if (shell_ != nullptr) {
            shell_->OpenHelp();
        }
        break;
    case kIdApply:
        ApplyChanges();
        break;
    case IDOK:
        ApplyChanges();
        HideOrMinimize();
        break;
    case IDCANCEL:
        HideOrMinimize();
        break;
    case kIdMacro:
        OpenKeyEditor(GKeyTable[8]);
        break;
    case kIdTest:
        CmdTest();
        break;
    case kIdProfileMenu:
        raise();
        activateWindow();
        profileMenu_->popup(QCursor::pos());
        break;
    case kIdLink:
        QDesktopServices::openUrl(QUrl(linkText_));
        break;
    case kIdMinimize:
        showMinimized();
        break;
    case kIdFlip1:
    case kIdFlip2:
        flipLayout_ = 1 - flipLayout_;
        WriteFlipLayout(flipLayout_);
        ApplyFlipLayout();
        UpdateArrow(kIdFlip1);
        UpdateArrow(kIdFlip2);
        break;
    case kIdProfile1:
    case kIdProfile1 + 1:
    case kIdProfile1 + 2:
        OnProfileButton(id - kIdProfile1);
        break;
    case kIdDefault:
        RestoreDefault();
        break;
    case kIdMenu: {
        std::unique_ptr<QMenu> menu = BuildBackupMenu();
        menu->exec(QCursor::pos());
        break;
    }
    case kIdSwitch:
        viewMode_ = viewMode_ == 0 ? 1 : 0;
        SetSwitchText();
        RefreshMarks();
        break;
    case kCommandImport:
        ImportProfileFile();
        break;
    case kCommandExport:
        ExportProfileFile();
        break;
    default:
        if (id >= kProfileMenuFirst && id <= kProfileMenuLast) {
            SwitchProfile(id - (kProfileMenuFirst + 1));
        }
        // Lock indicators, FLIP_0, D1-D6, the Enter part and Fn do nothing here.
        break;
    }
}

void CKestrowDlg::OnLanguage(int languageIndex) {
    if (shell_ != nullptr) {
        shell_->ForwardLanguage(languageIndex);
    }
    // The texts come from the language the notice names.
    languageIndex_ = languageIndex;
    auto text = [languageIndex](const char* key) { return Q(LangText(key, languageIndex)); };
    // The key-setting dialog relabels itself when it is opened.
    const std::pair<int, const char*> tips[] = {{kIdMinimize, "MAIN_MINIMIZE_PROMPT"},
                                                {kIdMenu, "MAIN_MENU_PROMPT"},
                                                {kIdClose, "MAIN_CLOSE_PROMPT"}};
    for (const auto& [id, key] : tips) {
        if (CPngButton* b = Button(id)) {
            b->SetTooltipText(QString(), false);
            b->SetTooltipText(text(key));
        }
    }
    // The lighting panel's captions are set by the panel.
    const std::tuple<int, const char*, int> texts[] = {
        {kIdProfile1, "PROFILE_1", 10},      {kIdProfile1 + 1, "PROFILE_2", 10},
        {kIdProfile1 + 2, "PROFILE_3", 10},  {kIdMacro, "PROFILE_MACRO", 10},
        {kIdDefault, "PROFILE_DEFAULT", 10}, {IDOK, "PROFILE_OK", 8},
        {IDCANCEL, "PROFILE_CANCLE", 8},     {kIdApply, "PROFILE_APPLY", 8}};
    for (const auto& [id, key, size] : texts) {
        if (CPngButton* b = Button(id)) {
            b->setText(text(key));
            b->SetTextStyle(true, size, kArialUnicode, SkinTextColours());
        }
    }
    SetSwitchText();
}

// ---- timers ----

void CKestrowDlg::StartTimer(int id, int ms) {
    const auto it = timers_.find(id);
    if (it != timers_.end() && !closing_) {
        it->second->start(ms);
    }
}

void CKestrowDlg::KillTimer(int id) {
    const auto it = timers_.find(id);
    if (it != timers_.end()) {
        it->second->stop();
    }
}

void CKestrowDlg::OnTimer(int id) {
    switch (id) {
    case kTimerBusy:
        if (!busyFrames_[static_cast<size_t>(busyFrame_)].isNull()) {
            busy_->setPixmap(busyFrames_[static_cast<size_t>(busyFrame_)]);
        }
        busyFrame_ = (busyFrame_ + 1) % static_cast<int>(busyFrames_.size());
        break;
    case 1051:
        // The lighting is reread by the lighting panel.
        KillTimer(id);
        break;
    case 1053:
        KillTimer(id);
        OnKeyboardProfileChanged();
        // The user colour modes and the lighting are reread by the lighting panel.
        break;
    case kTimerPreview:
        // The preview does nothing while lighting mode is off; re-armed at its running rate.
        KillTimer(id);
        StartTimer(kTimerPreview, 50);
        break;
    default:
        break;
    }
}

// ---- showing, applying, closing ----

bool CKestrowDlg::AnyKeyboardUnopenable() const {
    std::vector<std::string> paths;
    HidBackend& backend = CurrentHidBackend();
    if (!backend.ListInterfaces(paths)) {
        return false;
    }
    for (const std::string& path : paths) {
        if (!IsCandidatePath(path)) {
            continue;
        }
        HidOpenError error = HidOpenError::None;
        HidOpenFlags flags;
        flags.read = true;
        flags.write = true;
        if (backend.Open(path, flags, error) == nullptr &&
            error == HidOpenError::PermissionDenied) {
            return true;
        }
    }
    return false;
}

void CKestrowDlg::ShowMainWindow() {
    if (closing_) {
        return;
    }
    if (DeviceState().KeyboardPresent.load() == 0) {
        // A keyboard that is there but may not be opened needs the udev rule, not a replug.
        messages_->ShowUncaptioned(AnyKeyboardUnopenable() ? "MAIN_NO_PERMISSION_PROMPT"
                                                           : "MAIN_NO_DEVICE_PROMPT");
        return;
    }
    ShowWindowNow();
}

void CKestrowDlg::ShowWindowNow() {
    // Shown, it has a taskbar button.
    if (windowFlags().testFlag(Qt::Tool)) {
        setWindowFlag(Qt::Tool, false);
    }
    showNormal();
    raise();
    activateWindow();
    emit mainWindowShown();
}

void CKestrowDlg::HideOrMinimize() {
    // Without a notification area a hidden window could not be brought back.
    if (notificationArea_) {
        hide();
    } else if (isVisible()) {
        showMinimized();
    }
}

void CKestrowDlg::SetPendingChanges(int flag) {
    pendingChanges_ = flag != 0 ? 1 : 0;
    if (CPngButton* apply = Button(kIdApply)) {
        apply->setEnabled(pendingChanges_ != 0);
    }
}

void CKestrowDlg::ApplyChanges() {
    if (!busyIndicator_) {
        // Started once and kept for later Applies; its queue exists before it runs, so the
        // first message cannot be lost.
        busyIndicator_ = std::make_unique<BusyIndicator>(
            [this] {
                QMetaObject::invokeMethod(this, [this] {
                    busy_->show();
                    StartTimer(kTimerBusy, 50);
                });
            },
            [this] {
                QMetaObject::invokeMethod(this, [this] {
                    KillTimer(kTimerBusy);
                    busy_->hide();
                });
            });
    }
    busyIndicator_->Post(kBusyStart);
    if (pendingChanges_ != 0 && CurrentArea() >= 0) {
        ProfileStore& store = WorkingStore();
        bool ok = false;
        {
            std::lock_guard guard(store.lock);
            const bool saved = SaveWorkingFile(false);
            const bool written = WriteStoreToKeyboard(false, messages_);
            ok = saved && written;
        }
        if (ok) {
            SetPendingChanges(0);
        }
    }
    busyIndicator_->Post(kBusyStop);
}

void CKestrowDlg::ReleaseStores() {
    {
        ProfileStore& store = WorkingStore();
        std::lock_guard guard(store.lock);
        ClearWorkingStore();
        store.strings.ClearAll();
    }
    ProfileStore& out = OutgoingStore();
    std::lock_guard guard(out.lock);
    out.block.reset();
    out.macros.clear();
    out.strings.ClearAll();
}

void CKestrowDlg::CloseMainWindow() {
    if (closing_) {
        return;
    }
    closing_ = true;
    hide();
    if (shell_ != nullptr) {
        shell_->CloseAboutBox();
    }
    // The editors and any other modal window close as if cancelled.
    OnDisconnected();
    if (shell_ != nullptr) {
        shell_->ReleaseSingleInstance();
    }
    // The 212 named events: none on Linux.
    // The device threads end before the stores go; a send they wait on is dropped.
    linkClosed_ = true;
    WakeSenders();
    messageBoxes_->Release();
    if (deviceThreads_) {
        deviceThreads_->Stop();
    }
    if (tray_ != nullptr) {
        tray_->Remove();
    }
    trayIconId_ = 0;
    SetPendingChanges(0);
    for (auto& [id, timer] : timers_) {
        timer->stop();
    }
    ReleaseStores();
    windowUserData_ = 0;
    // Ends the modal loop of DoModal.
    QDialog::done(QDialog::Rejected);
}

void CKestrowDlg::reject() {
    HideOrMinimize();
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
        CBaseDialog::keyPressEvent(e);
    }
}

bool CKestrowDlg::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            return true;
        }
    }
    if (e->type() == QEvent::Enter || e->type() == QEvent::Leave) {
        if (watched == Button(kIdFlip1)) {
            UpdateArrow(kIdFlip1);
        } else if (watched == Button(kIdFlip2)) {
            UpdateArrow(kIdFlip2);
        }
    }
    return CBaseDialog::eventFilter(watched, e);
}

void CKestrowDlg::closeEvent(QCloseEvent* e) {
    // The close box hides the window (or minimizes it without a tray); only CloseMainWindow
    // ends it.
    e->ignore();
    if (!closing_) {
        HideOrMinimize();
    }
}
