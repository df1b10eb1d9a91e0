// SPDX-License-Identifier: GPL-3.0-or-later
#include "editors/CKestrow_DlgProfile.h"

#include "device/MessageSink.h"
#include "editors/ProfileManagerHost.h"
#include "model/KeyAssignment.h"
#include "model/KeyButtonSink.h"
#include "model/KeyboardTransfer.h"
#include "model/ProfileFile.h"
#include "model/ProfileFolder.h"
#include "platform/ProgramNames.h"
#include "platform/SettingsHive.h"
#include "platform/UserFolders.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ControlId.h"
#include "skin/ui/DialogText.h"
#include "skin/ui/Placement.h"
#include "skin/ui/SkinPicture.h"
#include "widgets/CReportCtrl.h"

#include <QHeaderView>
#include <cstdio>

namespace {

constexpr const char* kButtonInfo = "BUTTONINFO";
constexpr int kColumnWidths[] = {60, 120, 230};
// Item data of a row: 0 for a file that is no working file, else its profile + 1.
constexpr quintptr kNoProfileData = 0;

// "PROFILE00", "PROFILE01", ...: the count, then the path of each row.
std::string SettingsValueName(int number) {
    char name[24];
    std::snprintf(name, sizeof name, "%s%02d", "PROFILE", number);
    return name;
}

} // namespace

CKestrow_DlgProfile::CKestrow_DlgProfile(ProfileManagerHost& host, QWidget* parent)
    : CBaseDialog(kDialogId, parent, ProgramFolder() / "Skins" / "Profile.ini",
                  ProgramFolder() / "Skins"),
      host_(host) {
    setObjectName(QString::number(kDialogId));
}

CKestrow_DlgProfile::~CKestrow_DlgProfile() = default;

CPngButton* CKestrow_DlgProfile::MakeButton(int id, const char* skinKey) {
    auto* button = new CPngButton(this, id);
    SetControlId(button, id);
    const QPixmap* normal = &pictures_[0];
    const QPixmap* down = &pictures_[2];
    PlaceImageControl(button, IniPath(), kButtonInfo, skinKey, normal, &pictures_[1], down, down,
                      normal);
    buttons_[id] = button;
    return button;
}

bool CKestrow_DlgProfile::OnInitDialog() {
    CBaseDialog::OnInitDialog();
    const char* files[] = {"Profile_normal.jpg", "Profile_over.jpg", "Profile_down.jpg"};
    for (size_t i = 0; i < pictures_.size(); ++i) {
        pictures_[i] = LoadSkinPictureOrExit(SkinFolder() / files[i]);
    }

    list_ = new CReportCtrl(this, kIdList);
    PlaceControl(list_, IniPath(), kButtonInfo, "PROGRAM_LIST");
    for (int c = 0; c < 3; ++c) {
        list_->InsertColumn(c, QString(), CReportCtrl::LVCFMT_LEFT, kColumnWidths[c]);
    }
    list_->SetGridLines(true);
    list_->SetCheckboxStyle(CReportCtrl::RC_CHKBOX_SINGLE);
    list_->SetOwner(this);
    list_->SetCheckChangedCallback([this](int, CReportCtrl*) { SetModified(true); });
    // A sorted list is stored in its new order.
    list_->SetSortCallbacks(nullptr, [this](CReportCtrl*, int, bool) { SetModified(true); });
    // Drawn on the dark face of the dialog.
    QPalette palette = list_->palette();
    palette.setColor(QPalette::Base, QColor(0x20, 0x24, 0x2D));
    palette.setColor(QPalette::AlternateBase, QColor(0x24, 0x28, 0x32));
    palette.setColor(QPalette::Text, QColor(0xE8, 0xEB, 0xF1));
    palette.setColor(QPalette::Highlight, QColor(0x4A, 0x33, 0x22));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Midlight, QColor(0x2B, 0x30, 0x3B));
    list_->setPalette(palette);
    list_->header()->setStyleSheet(QStringLiteral(
        "QHeaderView { background: #1B1E26; } QHeaderView::section { background: #1B1E26; color: "
        "#9AA3B2; border: none; "
        "border-right: 1px solid #2B303B; border-bottom: 1px solid #2B303B; padding: 3px 6px; }"));
    list_->setFrameShape(QFrame::NoFrame);

    connect(MakeButton(kIdAdd, "FUNC_ADD"), &QAbstractButton::clicked, this,
            &CKestrow_DlgProfile::OnAdd);
    connect(MakeButton(kIdLoad, "FUNC_LOAD"), &QAbstractButton::clicked, this,
            &CKestrow_DlgProfile::OnLoad);
    connect(MakeButton(kIdDelete, "FUNC_DELETE"), &QAbstractButton::clicked, this,
            &CKestrow_DlgProfile::OnDelete);
    connect(MakeButton(IDOK, "CONTROL_OK"), &QAbstractButton::clicked, this,
            &CKestrow_DlgProfile::accept);
    connect(MakeButton(IDCANCEL, "CONTROL_CANCEL"), &QAbstractButton::clicked, this,
            &CKestrow_DlgProfile::reject);
    connect(MakeButton(kIdApply, "CONTROL2_APPLY"), &QAbstractButton::clicked, this,
            &CKestrow_DlgProfile::OnApply);
    auto* test = new CPngButton(this, kIdTest);
    SetControlId(test, kIdTest);
    test->hide();
    SetModified(false);
    return true;
}

int CKestrow_DlgProfile::DoModal() {
    InitDialog();
    // Closing with OK frees the skin pictures; each opening has them again.
    if (Background() == nullptr) {
        LoadSkin();
    }
    ++openCount_;
    SetTexts();
    FillRows();
    const int result = exec();
    SetModified(false);
    --openCount_;
    return result;
}

void CKestrow_DlgProfile::SetTexts() {
    setWindowTitle(LangQText("PROFILE_CAPTION"));
    const char* headings[] = {"PROFILE_COLUMN_ACTIVE", "PROFILE_COLUMN_NAME",
                              "PROFILE_COLUMN_PATH"};
    for (int c = 0; c < 3; ++c) {
        list_->headerItem()->setText(c, LangQText(headings[c]));
    }
    SetDialogButtonText(buttons_.at(IDOK), LangQText("PROFILE_OK"));
    SetDialogButtonText(buttons_.at(IDCANCEL), LangQText("PROFILE_CANCLE"));
    SetDialogButtonText(buttons_.at(kIdApply), LangQText("PROFILE_APPLY"));
    buttons_.at(kIdAdd)->SetTooltipText(LangQText("PROFILE_ADD_TIP"));
    buttons_.at(kIdLoad)->SetTooltipText(LangQText("PROFILE_LOAD_TIP"));
    buttons_.at(kIdDelete)->SetTooltipText(LangQText("PROFILE_DELETE_TIP"));
}

void CKestrow_DlgProfile::AppendRow(const std::filesystem::path& file, int profile) {
    const int row = list_->InsertItem(list_->GetItemCount(), QString());
    list_->SetItemText(row, kColumnName, QString::fromStdString(file.stem().string()));
    list_->SetItemText(row, kColumnFolder,
                       QString::fromStdString((file.parent_path() / "").string()));
    list_->SetItemData(row, profile >= 0 ? static_cast<quintptr>(profile) + 1 : kNoProfileData);
}

int CKestrow_DlgProfile::ProfileOfRow(int row) const {
    return static_cast<int>(list_->GetItemData(row)) - 1;
}

void CKestrow_DlgProfile::FillRows() {
    list_->DeleteAllItems();
    for (int i = 0; i < kProfileCount; ++i) {
        AppendRow(ProfilePath(i), i);
    }
    const int active = ActiveProfile();
    if (active >= 0 && active < kProfileCount) {
        list_->SetItemStates(active, CReportCtrl::RC_ITEM_CHECKED);
    }
    SetModified(false);
}

void CKestrow_DlgProfile::SetModified(bool modified) {
    modified_ = modified;
    if (CPngButton* apply = buttons_.count(kIdApply) ? buttons_.at(kIdApply) : nullptr) {
        apply->setEnabled(modified);
    }
}

std::filesystem::path CKestrow_DlgProfile::Choose(const FileDialogRequest& request) {
    return chooser_ ? chooser_(request) : RunFileDialog(this, request);
}

void CKestrow_DlgProfile::OnAdd() {
    EnsureProfileFolder();
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.filter = kProfileFileFilter;
    request.defaultSuffix = QStringLiteral("fwc");
    request.start = UserDataFolder() / LangText("PROFILE_NEW", CurrentLanguageIndex());
    const std::filesystem::path chosen = Choose(request);
    if (chosen.empty()) {
        return;
    }
    // A row for a file that is not there would name nothing.
    if (!MakeDefaultStore(chosen, 0, DefaultStoreTarget::File)) {
        host_.ProfileManagerMessages().ShowText("PROFILE_PROMPT_ADD_FAILED");
        return;
    }
    AppendRow(chosen, -1);
    SetModified(true);
}

void CKestrow_DlgProfile::OnLoad() {
    EnsureProfileFolder();
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.filter = kProfileFileFilter;
    request.defaultSuffix = QStringLiteral("fwc");
    request.start = UserDataFolder() / "*.fwc";
    const std::filesystem::path chosen = Choose(request);
    if (chosen.empty()) {
        return;
    }
    // Only listed: the file is read by nothing here.
    AppendRow(chosen, -1);
    SetModified(true);
}

void CKestrow_DlgProfile::OnDelete() {
    const int row = list_->GetFirstItem(CReportCtrl::RC_ITEM_SELECTED);
    if (row < 0) {
        return;
    }
    // The file itself stays.
    list_->DeleteItem(row);
    SetModified(true);
}

void CKestrow_DlgProfile::OnApply() {
    Apply();
}

void CKestrow_DlgProfile::accept() {
    if (Apply()) {
        CBaseDialog::OnOK();
    }
}

void CKestrow_DlgProfile::StoreRowSettings() {
    SettingsHive& hive = SettingsHive::Instance();
    const int rows = list_->GetItemCount();
    for (int r = 0; r < rows; ++r) {
        const QString path = list_->GetItemText(r, kColumnFolder) +
                             list_->GetItemText(r, kColumnName) + QStringLiteral(".fwc");
        hive.WriteString(kProfilesSettingsKey, SettingsValueName(r + 1), path.toStdString());
    }
    hive.WriteString(kProfilesSettingsKey, SettingsValueName(0), std::to_string(rows));
}

bool CKestrow_DlgProfile::Apply() {
    MessageSink& messages = host_.ProfileManagerMessages();
    const int marked = list_->GetFirstItem(CReportCtrl::RC_ITEM_CHECKED);
    const int profile = marked >= 0 ? ProfileOfRow(marked) : -1;
    if (marked >= 0 && profile < 0) {
        // The keyboard has only its three profiles; a file of the list is none of them.
        messages.ShowText("PROFILE_PROMPT_NOT_ONBOARD");
        return false;
    }
    // The reload below replaces the working store: edits not yet sent would vanish unasked.
    if (host_.HasPendingChanges() && messages.AskYesNo("PROFILE_PROMPT_RELOAD") &&
        !host_.ApplyPendingChanges()) {
        return false;
    }
    StoreRowSettings();
    if (profile >= 0) {
        SetDeviceProfile(profile);
    }
    KeyButtonSink& buttons = host_.ProfileManagerKeyButtons();
    ReloadFromKeyboard(PendingChanges::Clear, &buttons);
    host_.ProfileListApplied();
    SetModified(false);
    buttons.SetPendingChanges(0);
    return true;
}

void CKestrow_DlgProfile::OnProfileSwitched(int n) {
    int row = -1;
    for (int r = 0; r < list_->GetItemCount(); ++r) {
        if (ProfileOfRow(r) == n) {
            row = r;
            break;
        }
    }
    if (row >= 0) {
        list_->SetItemStates(row, CReportCtrl::RC_ITEM_CHECKED);
    } else {
        // Its row was removed: no other row may keep claiming to be the active one.
        list_->SetItemStates(-1, CReportCtrl::RC_ITEM_UNCHECKED);
    }
    SetModified(false);
}
