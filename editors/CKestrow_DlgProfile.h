// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The profile manager: a list of profile files, the three working files of the keyboard's
// profiles first, in which the user marks the profile to make active, creates new profile
// files, adds existing ones and removes rows. Apply stores the list in the numbered "PROFILE"
// settings values for other programs, makes the marked profile active on the keyboard and
// reloads the configuration from it. The main window owns one and opens it with button 1005.

#include "skin/ui/CBaseDialog.h"
#include "skin/ui/FileDialogs.h"

#include <QPixmap>
#include <array>
#include <filesystem>
#include <map>

class CPngButton;
class CReportCtrl;
class ProfileManagerHost;

class CKestrow_DlgProfile : public CBaseDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 131;
    // Controls.
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;
    static constexpr int kIdList = 1007;
    static constexpr int kIdLoad = 1008;
    static constexpr int kIdAdd = 1010;
    static constexpr int kIdDelete = 1011;
    static constexpr int kIdApply = 1012;
    static constexpr int kIdTest = 1013; // hidden, no action
    // List columns.
    static constexpr int kColumnActive = 0; // the check mark of the profile to make active
    static constexpr int kColumnName = 1;   // file name without extension
    static constexpr int kColumnFolder = 2; // folder with a trailing separator

    explicit CKestrow_DlgProfile(ProfileManagerHost& host, QWidget* parent = nullptr);
    ~CKestrow_DlgProfile() override;

    bool OnInitDialog() override;
    // One opening: the rows of the three working files, the mark on the active profile, Apply
    // disabled; then the modal run; then the close path.
    int DoModal();

    // Replaces the system's file dialogs (tests).
    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    // How many openings are running (the profile switch reads it).
    int OpenCount() const { return openCount_; }
    // Changes not yet applied; mirrors the Apply button.
    bool Modified() const { return modified_; }
    // The keyboard was switched to profile n while the dialog is open: that profile's row
    // takes the mark and Apply is disabled.
    void OnProfileSwitched(int n);

    CReportCtrl* List() const { return list_; }

public slots:
    // OK: Apply, then close; a refused Apply keeps the dialog open.
    void accept() override;

private:
    void OnAdd();
    void OnLoad();
    void OnDelete();
    void OnApply();
    bool Apply();
    void FillRows();
    // A row for file; profile is the on-board profile whose working file it is, or -1.
    void AppendRow(const std::filesystem::path& file, int profile);
    int ProfileOfRow(int row) const;
    void SetModified(bool modified);
    void SetTexts();
    void StoreRowSettings();
    std::filesystem::path Choose(const FileDialogRequest& request);
    CPngButton* MakeButton(int id, const char* skinKey);

    ProfileManagerHost& host_;
    FileChooser chooser_;
    // Normal, over, down; the pressed picture also serves as the disabled one.
    std::array<QPixmap, 3> pictures_;
    CReportCtrl* list_ = nullptr;
    std::map<int, CPngButton*> buttons_;
    int openCount_ = 0;
    bool modified_ = false;
};
