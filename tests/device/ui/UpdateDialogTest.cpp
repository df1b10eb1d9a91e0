// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware update dialog over the simulated keyboard: choosing the update program, the
// checks before the boot request, the boot request and the start, the backup.

#include "AppTestSupport.h"
#include "device/MessageSink.h"
#include "device/ui/CKestrow_DlgUpdate.h"
#include "model/ProfileFile.h"
#include "model/ProfileStore.h"
#include "platform/UserFolders.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ControlId.h"
#include "support/SimulatedConnection.h"

#include <QComboBox>
#include <QTest>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class RecordedMessages : public MessageSink {
public:
    void ShowText(std::string_view key, std::optional<long long>) override {
        shown.emplace_back(key);
    }
    bool AskYesNo(std::string_view key, std::optional<long long>) override {
        shown.emplace_back(key);
        return false;
    }
    std::vector<std::string> shown;
};

using Texts = std::vector<std::string>;

class UpdateDialogTest : public testing::Test {
protected:
    void SetUp() override {
        previousDirectory_ = fs::current_path();
        // A program folder of its own, so that its package folder is the test's.
        fs::create_directories(program_ / "Package");
        fs::create_directory_symlink(BinFolder() / "Skins", program_ / "Skins");
        for (const char* lang : {"Lang0416.ini", "Lang0409.ini", "Lang0000.ini"}) {
            fs::create_symlink(BinFolder() / lang, program_ / lang);
        }
        SetProgramFolder(program_.path());
        keyboard_ = ConnectSimulatedKeyboard(kSimModel5004);
        ASSERT_NE(keyboard_, nullptr);
        {
            std::lock_guard guard(WorkingStore().lock);
            ClearWorkingStore();
            MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore);
        }
        dlg_ = std::make_unique<CKestrow_DlgUpdate>(messages_);
        dlg_->SetFileChooser([this](const FileDialogRequest& request) {
            requests_.push_back(request);
            return nextChoice_;
        });
        dlg_->InitDialog();
        dlg_->show();
    }
    void TearDown() override {
        Click(CKestrow_DlgUpdate::kIdCancelUpdate); // forgets any choice for the next test
        dlg_.reset();
        ConfigDevice().Close();
        DeviceState().Reset();
        SetCurrentHidBackend(nullptr);
        fs::current_path(previousDirectory_);
    }

    void Click(int id) { FindControlAs<CPngButton>(dlg_.get(), id)->click(); }
    void Choose(const fs::path& path) {
        nextChoice_ = path;
        Click(CKestrow_DlgUpdate::kIdOpen);
    }
    // A shell script in the temporary folder, made executable unless told otherwise.
    fs::path Script(const std::string& name, const std::string& body, bool executable = true) {
        const fs::path file = files_.write(name, body);
        fs::permissions(file,
                        executable ? fs::perms::owner_all
                                   : fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::replace);
        return file;
    }
    bool WaitForFile(const fs::path& file) {
        return QTest::qWaitFor([&] { return fs::exists(file) && fs::file_size(file) > 0; }, 10000);
    }

    PrivateUserFolders folders_;
    TempDir program_;
    TempDir files_;
    fs::path previousDirectory_;
    std::shared_ptr<SimulatedKeyboard> keyboard_;
    RecordedMessages messages_;
    std::unique_ptr<CKestrow_DlgUpdate> dlg_;
    std::vector<FileDialogRequest> requests_;
    fs::path nextChoice_;
};

} // namespace

TEST_F(UpdateDialogTest, UpdateWithoutAChosenFileShowsItsTextAndSendsNothing) {
    Click(CKestrow_DlgUpdate::kIdUpdate);
    EXPECT_EQ(messages_.shown, Texts{"UPDATE_PROMPT_SELECT"});
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_TRUE(dlg_->isVisible());
}

TEST_F(UpdateDialogTest, OpenStartsInThePackageFolderAndLeavesItCurrentAlsoWhenCancelled) {
    nextChoice_.clear();
    Click(CKestrow_DlgUpdate::kIdOpen);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].kind, FileDialogKind::Open);
    EXPECT_EQ(requests_[0].start, program_.path() / "Package");
    // Native programs and Windows programs are both offered.
    const QString programs =
        QString::fromStdString(LangText("UPDATE_PROGRAM_FILES", CurrentLanguageIndex()));
    EXPECT_EQ(
        NameFiltersOf(requests_[0].filter),
        (QStringList{programs + QStringLiteral(" (*)"), QStringLiteral("MyType Files (*.exe)")}));
    EXPECT_EQ(fs::current_path(), fs::canonical(program_.path() / "Package"));
    EXPECT_TRUE(CKestrow_DlgUpdate::ProgramPath().empty());

    const fs::path tool = Script("flash-tool", "#!/bin/sh\n");
    Choose(tool);
    EXPECT_EQ(CKestrow_DlgUpdate::ProgramPath(), tool);
    EXPECT_EQ(FindControlAs<QComboBox>(dlg_.get(), CKestrow_DlgUpdate::kIdPath)->currentText(),
              QString::fromStdString(tool.string()));
}

TEST_F(UpdateDialogTest, AnUnpluggedKeyboardShowsTheBootTextAndKeepsTheChosenFile) {
    const fs::path marker = files_ / "ran";
    const fs::path tool = Script("flash-tool", "#!/bin/sh\necho ran > '" + marker.string() + "'\n");
    Choose(tool);
    keyboard_->Unplug();
    Click(CKestrow_DlgUpdate::kIdUpdate);
    EXPECT_EQ(messages_.shown, Texts{"UPDATE_PROMPT_BOOT"});
    EXPECT_EQ(CKestrow_DlgUpdate::ProgramPath(), tool);
    EXPECT_TRUE(dlg_->isVisible());
    EXPECT_EQ(keyboard_->BootRequestCount(), 0u);
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(UpdateDialogTest, AGoodProgramGetsTheKeyboardIntoBootModeRunsInThePackageFolderAndCloses) {
    const fs::path marker = files_ / "ran";
    const fs::path tool = Script("flash-tool", "#!/bin/sh\npwd > '" + marker.string() + "'\n");
    Choose(tool);
    Click(CKestrow_DlgUpdate::kIdUpdate);
    EXPECT_EQ(keyboard_->BootRequestCount(), 1u);
    EXPECT_TRUE(keyboard_->InBootMode());
    ASSERT_TRUE(WaitForFile(marker));
    EXPECT_EQ(ReadFileBytes(marker), fs::canonical(program_.path() / "Package").string() + "\n");
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_EQ(dlg_->result(), QDialog::Rejected);
    EXPECT_TRUE(CKestrow_DlgUpdate::ProgramPath().empty());
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(UpdateDialogTest, ProgramsThatCannotRunAreRefusedBeforeTheBootRequest) {
    // Missing, not executable, a folder, and a Windows program with no wine on the PATH: the
    // keyboard must not be left in boot mode with nothing to update it.
    const fs::path emptyBin = files_ / "bin";
    fs::create_directories(emptyBin);
    ScopedEnv path("PATH", emptyBin.string());
    const struct {
        fs::path file;
        const char* text;
    } cases[] = {
        {files_ / "gone", "UPDATE_PROMPT_SELECT"},
        {Script("notes.txt", "#!/bin/sh\n", false), "UPDATE_PROMPT_NOT_EXECUTABLE"},
        {emptyBin, "UPDATE_PROMPT_NOT_EXECUTABLE"},
        {Script("Flash.EXE", "MZ", false), "UPDATE_PROMPT_NEED_WINE"},
    };
    for (const auto& c : cases) {
        messages_.shown.clear();
        Choose(c.file);
        Click(CKestrow_DlgUpdate::kIdUpdate);
        EXPECT_EQ(messages_.shown, Texts{c.text}) << c.file;
        EXPECT_EQ(CKestrow_DlgUpdate::ProgramPath(), c.file) << "the choice stays";
        EXPECT_TRUE(dlg_->isVisible());
    }
    EXPECT_TRUE(keyboard_->RequestLog().empty());
    EXPECT_FALSE(keyboard_->InBootMode());
}

TEST_F(UpdateDialogTest, AWindowsProgramRunsThroughWineFromThePath) {
    const fs::path bin = files_ / "bin";
    fs::create_directories(bin);
    const fs::path marker = files_ / "wine-args";
    Script("bin/wine", "#!/bin/sh\necho \"$@\" > '" + marker.string() + "'\n");
    ScopedEnv path("PATH", bin.string() + ":/usr/bin:/bin");
    const fs::path exe = Script("Flash.exe", "MZ", false);
    Choose(exe);
    Click(CKestrow_DlgUpdate::kIdUpdate);
    EXPECT_EQ(keyboard_->BootRequestCount(), 1u);
    ASSERT_TRUE(WaitForFile(marker));
    EXPECT_EQ(ReadFileBytes(marker), exe.string() + "\n");
    EXPECT_FALSE(dlg_->isVisible());
}

TEST_F(UpdateDialogTest, AStartThatFailsAfterTheBootRequestSaysSoAndForgetsTheChoice) {
    const fs::path tool = Script("flash-tool", "#!/nonexistent/interpreter\n");
    Choose(tool);
    Click(CKestrow_DlgUpdate::kIdUpdate);
    EXPECT_EQ(keyboard_->BootRequestCount(), 1u);
    // The text also tells how to bring the keyboard back from boot mode.
    EXPECT_EQ(messages_.shown, Texts{"UPDATE_PROMPT_START"});
    EXPECT_TRUE(CKestrow_DlgUpdate::ProgramPath().empty());
    EXPECT_TRUE(dlg_->isVisible());
}

TEST_F(UpdateDialogTest, CancelUpdateForgetsTheChoiceAndCloses) {
    Choose(Script("flash-tool", "#!/bin/sh\n"));
    Click(CKestrow_DlgUpdate::kIdCancelUpdate);
    EXPECT_TRUE(CKestrow_DlgUpdate::ProgramPath().empty());
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_EQ(dlg_->result(), QDialog::Rejected);
    EXPECT_TRUE(keyboard_->RequestLog().empty());
}

TEST_F(UpdateDialogTest, BackupWritesAValidProfileFileAndTellsEitherWay) {
    const fs::path file = files_ / "before-update.fwc";
    nextChoice_ = file;
    Click(CKestrow_DlgUpdate::kIdBackup);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].kind, FileDialogKind::Save);
    EXPECT_EQ(NameFiltersOf(requests_[0].filter),
              (QStringList{QStringLiteral("(*.fwc)"), QStringLiteral("(*.*) (*)")}));
    EXPECT_EQ(requests_[0].defaultSuffix, QStringLiteral("fwc"));
    EXPECT_EQ(messages_.shown, Texts{"UPDATE_PROMPT_BACKUP_OK"});
    EXPECT_EQ(CheckProfileFile(file, nullptr), kProfileFileValid);

    messages_.shown.clear();
    nextChoice_ = files_ / "no-such-folder" / "backup.fwc";
    Click(CKestrow_DlgUpdate::kIdBackup);
    EXPECT_EQ(messages_.shown, Texts{"UPDATE_PROMPT_BACKUP_FAIL"});
    // A backup talks to nobody: the keyboard saw nothing.
    EXPECT_TRUE(keyboard_->RequestLog().empty());
}
