// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/KeyEditorLink.h"

#include "editors/Kestrow_DlgComposite.h"
#include "mainwindow/CKestrowDlg.h"
#include "skin/ui/CPngButton.h"

KeyEditorLink::KeyEditorLink(CKestrowDlg& window)
    : window_(window), dialog_(std::make_unique<Kestrow_DlgComposite>(*this, &window)) {}

KeyEditorLink::~KeyEditorLink() = default;

KeyButtonSink& KeyEditorLink::KeyButtons() {
    return window_;
}

QRect KeyEditorLink::KeyButtonScreenRect(int id) const {
    const CPngButton* button = window_.Button(id);
    if (button == nullptr) {
        return {};
    }
    return {button->mapToGlobal(QPoint(0, 0)), button->size()};
}

void KeyEditorLink::RestoreKeyButton(int id) {
    window_.RestoreKeyButtonImages(id);
}

void KeyEditorLink::OpenHelp() {
    if (window_.shell_ != nullptr) {
        window_.shell_->OpenHelp();
    }
}

MessageSink& KeyEditorLink::KeyEditorMessages() {
    return window_.Messages();
}

void CKestrowDlg::CreateKeyEditor() {
    keyEditorLink_ = std::make_unique<KeyEditorLink>(*this);
    SetKeyEditor([this](int recordIndex, int id, bool /*macroOnly: the dialog knows G9*/) {
        return keyEditorLink_->Dialog().Run(recordIndex, id);
    });
}

void CKestrowDlg::CloseKeyEditorIfOpen() {
    if (keyEditorLink_) {
        keyEditorLink_->Dialog().CloseIfOpen();
    }
}

Kestrow_DlgComposite* CKestrowDlg::KeyEditorDialog() const {
    return keyEditorLink_ ? &keyEditorLink_->Dialog() : nullptr;
}
