// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The firmware update dialog: the user picks the update program from the keyboard's maker,
// may back up the configuration to a profile file first, then sends the keyboard into boot mode
// and starts the program, which does the flashing. The main window owns one and runs it
// modally on its firmware update command.

#include "skin/ui/CBaseDialog.h"
#include "skin/ui/FileDialogs.h"

#include <filesystem>
#include <map>

class CPngButton;
class ColorStatic;
class MessageSink;
class QComboBox;

class CKestrow_DlgUpdate : public CBaseDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 149;
    // Controls.
    static constexpr int kIdUpdate = 1147;
    static constexpr int kIdPath = 1178; // hidden; holds the chosen path as its text
    static constexpr int kIdText = 1179;
    static constexpr int kIdCancelUpdate = 1180;
    static constexpr int kIdOpen = 1181;
    static constexpr int kIdBackup = 1182;

    // messages shows the dialog's texts (not owned; outlives the dialog).
    explicit CKestrow_DlgUpdate(MessageSink& messages, QWidget* parent = nullptr);
    ~CKestrow_DlgUpdate() override;

    bool OnInitDialog() override;
    // One opening: the texts in the language now in use, then the modal run.
    int DoModal();

    // Replaces the system's file dialogs (tests).
    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    // The chosen update program, one for the whole process; empty when none is chosen.
    static const std::filesystem::path& ProgramPath();
    // Where the maker's update programs are looked for first: ProgramFolder() + "Package".
    static std::filesystem::path PackageFolder();

private:
    void OnOpen();
    void OnBackup();
    void OnUpdate();
    void OnCancelUpdate();
    void SetTexts();
    void ShowChoice();
    std::filesystem::path Choose(const FileDialogRequest& request);
    CPngButton* MakeButton(int id, const char* skinKey);

    MessageSink& messages_;
    FileChooser chooser_;
    ColorStatic* text_ = nullptr;
    QComboBox* path_ = nullptr;
    std::map<int, CPngButton*> buttons_;
};
