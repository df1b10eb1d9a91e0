// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls: the key pictures, creating every button, edit and label, and
// placing each where the skin puts it.

#include "mainwindow/CKestrowDlg.h"
#include "mainwindow/FlipSetting.h"
#include "mainwindow/KeyMapTables.h"
#include "mainwindow/WindowText.h"
#include "platform/UserFolders.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ControlId.h"
#include "skin/ui/Placement.h"

#include <QLabel>
#include <QTimer>

namespace {

// Sections of the skin layout file.
constexpr const char* kButtonInfo = "BUTTONINFO";
constexpr const char* kButtonInfo2 = "BUTTONINFO2";
// D1-D6 have no key code of their own.
constexpr const char* kDKeySkinKeys[] = {"KEY_D1", "KEY_D2", "KEY_D3",
                                         "KEY_D4", "KEY_D5", "KEY_D6"};
// The profile button's text is turned by 26.8 degrees (in tenths of a degree).
constexpr int kProfileTextEscapement = 0x10C;

} // namespace

const std::array<const char*, 11>& CKestrowDlg::KeyImageSetFiles() {
    // The normal four twice (two independent sets), the arrow, the two colour-view pictures.
    static const std::array<const char*, 11> files = {
        "Skins/main_normal.jpg",  "Skins/main_over.jpg",    "Skins/main_down.jpg",
        "Skins/main_disable.jpg", "Skins/main_normal.jpg",  "Skins/main_over.jpg",
        "Skins/main_down.jpg",    "Skins/main_disable.jpg", "Skins/Arrow.jpg",
        "Skins/main_color0.jpg",  "Skins/main_color1.jpg"};
    return files;
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
    for (int id :
         {IDOK,       IDCANCEL,    kIdProfiles,     kIdApply,        kIdMacro,     kIdLink,
          kIdHelp,    kIdMinimize, kIdClose,        kIdLockCaps,     kIdLockNum,   kIdLockScroll,
          kIdLockAb,  kIdFlip0,    kIdFlip1,        kIdFlip2,        kIdLeftArrow, kIdRightArrow,
          kIdVersion, kIdProfile1, kIdProfile1 + 1, kIdProfile1 + 2, kIdDefault,   kIdMenu,
          kIdSwitch,  kFnKeyId}) {
        MakeButton(id);
    }
    // The test button and the profile-menu button exist but are never shown.
    MakeButton(kIdTest)->hide();
    MakeButton(kIdProfileMenu)->hide();

    busy_ = new QLabel(this);
    SetControlId(busy_, kIdBusy);
    busy_->hide();
    for (size_t i = 0; i < busyFrames_.size(); ++i) {
        busyFrames_[i].load(QString::fromStdString(
            (SkinFolder() / ("jdt" + std::to_string(i + 1) + ".bmp")).string()));
    }
    // Hidden until Apply runs, showing the first frame.
    busy_->setPixmap(busyFrames_[0]);

    for (int id : {kTimerBusy, kTimerLighting, kTimerPreview, kTimerProfile}) {
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
    profiles->SetRotation(kProfileTextEscapement, true);
    profiles->SetTextStyle(true, kButtonTextSize, kArialUnicode, SkinTextColours(),
                           kTextLineBottom);
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
    version->SetTextStyle(true, kSmallButtonTextSize, QStringLiteral("Verdana Unicode MS"),
                          SkinTextColours(), kTextLineVCentred);
    version->setEnabled(false);
    const char* bar[] = {"FUNC_PROFILE1", "FUNC_PROFILE2", "FUNC_PROFILE3", "FUNC_DEFAULT"};
    for (int i = 0; i < 4; ++i) {
        place(kIdProfile1 + i, bar[i], n, o, d, n, x);
    }
    place(kIdSwitch, "FUNC_SWITCH", n, o, d, n, x);
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

bool CKestrowDlg::BusyShown() const {
    return busy_ != nullptr && !busy_->isHidden();
}
