// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How code below the windows tells the user something or asks a question. The main window
// shows message boxes; the command-line tool writes to the terminal; tests record the calls.

#include <optional>
#include <string_view>

class MessageSink {
public:
    virtual ~MessageSink() = default;

    // Shows the language text `textKey` (its number conversion filled with `argument` when
    // given) with an OK button and the application title; returns after the user's OK.
    virtual void ShowText(std::string_view textKey,
                          std::optional<long long> argument = std::nullopt) = 0;
    // Shows the same without waiting for the OK: for callers that must not be held up (the
    // presence thread, which would notice no removal meanwhile).
    virtual void NotifyText(std::string_view textKey) { ShowText(textKey); }
    // Asks a Yes/No question with the language text `textKey`; No is the default answer.
    // True only when the user chose Yes.
    virtual bool AskYesNo(std::string_view textKey,
                          std::optional<long long> argument = std::nullopt) = 0;
};
