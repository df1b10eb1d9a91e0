// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the profile manager asks of the main window, which implements it.

class KeyButtonSink;
class MessageSink;

class ProfileManagerHost {
public:
    virtual ~ProfileManagerHost() = default;

    // Shows the manager's texts and questions.
    virtual MessageSink& ProfileManagerMessages() = 0;
    // The key buttons that the reload after Apply redescribes; they hold the pending flag.
    virtual KeyButtonSink& ProfileManagerKeyButtons() = 0;
    // The working store holds edits not yet sent to the keyboard.
    virtual bool HasPendingChanges() const = 0;
    // Sends them as the main window's Apply does; false when they are still unsent.
    virtual bool ApplyPendingChanges() = 0;
    // After Apply reloaded the working store: the profile pop-up (BuildProfileMenu) and the
    // profile buttons follow the keyboard's active profile.
    virtual void ProfileListApplied() = 0;
};
