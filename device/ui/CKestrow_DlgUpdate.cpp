// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/ui/CKestrow_DlgUpdate.h"

#include "device/MessageSink.h"
#include "device/Protocol.h"
#include "device/ui/UpdateProgram.h"
#include "model/ProfileFile.h"
#include "model/ProfileStore.h"
#include "platform/UserFolders.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/ControlId.h"
#include "skin/ui/DialogText.h"
#include "skin/ui/Placement.h"
#include "skin/ui/SkinPicture.h"

#include <QComboBox>
#include <mutex>

namespace {

constexpr const char* kButtonInfo = "BUTTONINFO";
constexpr const char* kProgramFilter = "|*|MyType Files (*.exe)|*.exe||";

std::filesystem::path& ChosenProgram() {
    static std::filesystem::path path;
    return path;
}

// The normal and hover pictures every button of the dialog cuts its face from, loaded the
// first time a dialog is initialised and kept for the process.
struct StatePictures {
    QPixmap normal;
    QPixmap over;
};
const StatePictures& UpdateStatePictures() {
    static StatePictures pictures;
    static std::once_flag loaded;
    std::call_once(loaded, [] {
        const std::filesystem::path skins = ProgramFolder() / "Skins";
        pictures.normal = LoadSkinPictureOrExit(skins / "update_normal.jpg");
        pictures.over = LoadSkinPictureOrExit(skins / "update_over.jpg");
    });
    return pictures;
}

} // namespace

CKestrow_DlgUpdate::CKestrow_DlgUpdate(MessageSink& messages, QWidget* parent)
    : CBaseDialog(kDialogId, parent, ProgramFolder() / "Skins" / "UpdateDlg.ini",
                  ProgramFolder() / "Skins"),
      messages_(messages) {
    setObjectName(QString::number(kDialogId));
}

CKestrow_DlgUpdate::~CKestrow_DlgUpdate() = default;

const std::filesystem::path& CKestrow_DlgUpdate::ProgramPath() {
    return ChosenProgram();
}

std::filesystem::path CKestrow_DlgUpdate::PackageFolder() {
    return ProgramFolder() / "Package";
}

CPngButton* CKestrow_DlgUpdate::MakeButton(int id, const char* skinKey) {
    const StatePictures& pictures = UpdateStatePictures();
    auto* button = new CPngButton(this, id);
    SetControlId(button, id);
    PlaceImageControl(button, IniPath(), kButtonInfo, skinKey, &pictures.normal, &pictures.over,
                      &pictures.over, &pictures.normal, &pictures.normal);
    buttons_[id] = button;
    return button;
}

bool CKestrow_DlgUpdate::OnInitDialog() {
    CBaseDialog::OnInitDialog();
    UpdateStatePictures();

    text_ = new ColorStatic(this, kIdText);
    text_->SetTextColour(QColor(0xE8, 0xEB, 0xF1));
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceControl(text_, IniPath(), kButtonInfo, "CONTROL_UPStatic");
    path_ = new QComboBox(this);
    SetControlId(path_, kIdPath);
    path_->setEditable(true);
    path_->hide();
    PlaceControl(path_, IniPath(), kButtonInfo, "CONTROL_UPCombox");

    connect(MakeButton(kIdOpen, "CONTROL_OPENButton"), &QAbstractButton::clicked, this,
            &CKestrow_DlgUpdate::OnOpen);
    connect(MakeButton(kIdBackup, "CONTROL_BACKUPButton"), &QAbstractButton::clicked, this,
            &CKestrow_DlgUpdate::OnBackup);
    connect(MakeButton(kIdUpdate, "CONTROL_UPButton"), &QAbstractButton::clicked, this,
            &CKestrow_DlgUpdate::OnUpdate);
    connect(MakeButton(kIdCancelUpdate, "CONTROL_CUPButton"), &QAbstractButton::clicked, this,
            &CKestrow_DlgUpdate::OnCancelUpdate);
    SetTexts();
    return true;
}

int CKestrow_DlgUpdate::DoModal() {
    InitDialog();
    SetTexts();
    return exec();
}

void CKestrow_DlgUpdate::SetTexts() {
    setWindowTitle(LangQText("UPDATE_CAPTION"));
    const std::pair<int, const char*> texts[] = {{kIdOpen, "UPDATE_OPEN"},
                                                 {kIdBackup, "UPDATE_BACKUP"},
                                                 {kIdUpdate, "UPDATE_START"},
                                                 {kIdCancelUpdate, "UPDATE_CANCEL"}};
    for (const auto& [id, key] : texts) {
        SetDialogButtonText(buttons_.at(id), LangQText(key));
    }
    ShowChoice();
}

void CKestrow_DlgUpdate::ShowChoice() {
    const std::filesystem::path& chosen = ChosenProgram();
    path_->setEditText(QString::fromStdString(chosen.string()));
    QString line = LangQText("UPDATE_HINT");
    if (!chosen.empty()) {
        QString shown = QString::fromStdString(
            FormatLangText(LangText("UPDATE_CHOSEN", CurrentLanguageIndex()), chosen.string()));
        // A long path may wrap after any separator.
        shown.replace(u'/', QStringLiteral("/\u200B"));
        line += QStringLiteral("\n") + shown;
    }
    text_->setText(line);
    repaint();
}

std::filesystem::path CKestrow_DlgUpdate::Choose(const FileDialogRequest& request) {
    return chooser_ ? chooser_(request) : RunFileDialog(this, request);
}

void CKestrow_DlgUpdate::OnOpen() {
    // Native programs have no extension, so no default extension is added to a typed name;
    // the filters offer every file and the Windows programs.
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.filter = LangText("UPDATE_PROGRAM_FILES", CurrentLanguageIndex()) + kProgramFilter;
    request.start = PackageFolder();
    const std::filesystem::path chosen = Choose(request);
    // Either way the package folder becomes the current directory, which the update program
    // then starts in. A package folder that is not there leaves it unchanged.
    std::error_code error;
    std::filesystem::current_path(PackageFolder(), error);
    if (chosen.empty()) {
        return;
    }
    ChosenProgram() = chosen;
    ShowChoice();
}

void CKestrow_DlgUpdate::OnBackup() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.filter = kProfileFileFilter;
    request.defaultSuffix = QStringLiteral("fwc");
    std::error_code error;
    request.start = std::filesystem::current_path(error) / "*.fwc";
    const std::filesystem::path chosen = Choose(request);
    if (chosen.empty()) {
        return;
    }
    bool written = false;
    {
        ProfileStore& store = WorkingStore();
        std::lock_guard guard(store.lock);
        written = WriteProfileFile(StoreLock::HeldByCaller, chosen);
    }
    messages_.ShowText(written ? "UPDATE_PROMPT_BACKUP_OK" : "UPDATE_PROMPT_BACKUP_FAIL");
}

void CKestrow_DlgUpdate::OnUpdate() {
    UpdateLaunch launch;
    switch (CheckUpdateProgram(ChosenProgram(), &launch)) {
    case UpdateProgramCheck::Ready:
        break;
    case UpdateProgramCheck::Missing:
        messages_.ShowText("UPDATE_PROMPT_SELECT");
        return;
    case UpdateProgramCheck::NotExecutable:
        messages_.ShowText("UPDATE_PROMPT_NOT_EXECUTABLE");
        return;
    case UpdateProgramCheck::NeedsWine:
        messages_.ShowText("UPDATE_PROMPT_NEED_WINE");
        return;
    }
    if (CmdEnterBootMode() != kCmdOk) {
        // The choice stays: the user may plug the keyboard in and try again.
        messages_.ShowText("UPDATE_PROMPT_BOOT");
        return;
    }
    const bool started = StartUpdateProgram(launch);
    ChosenProgram().clear();
    ShowChoice();
    if (started) {
        reject();
        return;
    }
    // The keyboard waits in boot mode; the text tells how to bring it back.
    messages_.ShowText("UPDATE_PROMPT_START");
}

void CKestrow_DlgUpdate::OnCancelUpdate() {
    ChosenProgram().clear();
    ShowChoice();
    reject();
}
