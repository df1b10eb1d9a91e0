// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the device threads may ask of the main window. The main window implements it (posting
// to its own thread); the command-line tool and the tests implement it without any window.
// Every call may come from a thread other than the user-interface thread.

#include <cstdint>

// Timers the keyboard listener starts on the main window, with elapse 0.
inline constexpr uint32_t kTimerReloadLighting = 1051; // the lighting was changed on the keyboard
inline constexpr uint32_t kTimerReloadProfile = 1053;  // the keyboard changed its profile

// Tray icon resource ids.
inline constexpr int kTrayIconAbsent = 128;
inline constexpr int kTrayIconPresent = 141;
inline constexpr int kTrayIconSpecialMode = 142;

// SetTrayState kinds.
inline constexpr int kTrayKindPresence = 0; // icon id, or 0 for the remembered presence icon
inline constexpr int kTrayKindSpecial = 1;  // shows kTrayIconSpecialMode

class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;

    // Delivers an own message (message, wParam, lParam) to the main window and returns once the
    // window has handled it, with the handler's result.
    virtual intptr_t SendOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    // Queues an own message and returns at once; false when it could not be queued.
    virtual bool PostOwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    // Starts main-window timer `timerId` with elapse 0 (1051 or 1053); returns at once.
    virtual void RequestTimer(uint32_t timerId) = 0;
    // kind 1 shows icon 142; kind 0 with a nonzero icon shows it and remembers it as the
    // presence icon; kind 0 with 0 shows the remembered presence icon again.
    virtual void SetTrayState(int kind, int iconId) = 0;
    // Hides the main window (the keyboard has gone).
    virtual void HideMainWindow() = 0;
};
