// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the key-setting dialog needs of the main window, which implements it: the key buttons
// (their look, tooltips and the pending-changes flag), where the button that opened the
// dialog is, the help page, and the message boxes.

#include <QRect>

class KeyButtonSink;
class MessageSink;

class KeyEditorHost {
public:
    virtual ~KeyEditorHost() = default;

    // The main window's key buttons.
    virtual KeyButtonSink& KeyButtons() = 0;
    // The screen rectangle of the key or G-key button with that control id; empty when none.
    virtual QRect KeyButtonScreenRect(int id) const = 0;
    // Gives the button its normal images back after the dialog highlighted it.
    virtual void RestoreKeyButton(int id) = 0;
    virtual void OpenHelp() = 0;
    // Shows the dialog's texts and asks its questions.
    virtual MessageSink& KeyEditorMessages() = 0;
};
