// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window's side of the key-setting dialog: owns the dialog, which lives as long as
// the window, and is its host.

#include "editors/KeyEditorHost.h"

#include <memory>

class CKestrowDlg;
class Kestrow_DlgComposite;

class KeyEditorLink : public KeyEditorHost {
public:
    explicit KeyEditorLink(CKestrowDlg& window);
    ~KeyEditorLink() override;

    Kestrow_DlgComposite& Dialog() { return *dialog_; }

    KeyButtonSink& KeyButtons() override;
    QRect KeyButtonScreenRect(int id) const override;
    void RestoreKeyButton(int id) override;
    void OpenHelp() override;
    MessageSink& KeyEditorMessages() override;

private:
    CKestrowDlg& window_;
    std::unique_ptr<Kestrow_DlgComposite> dialog_;
};
