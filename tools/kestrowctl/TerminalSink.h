// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The terminal's side of MessageSink and FileMessageSink: the texts the model shows go to
// standard error in the user's language; questions are answered Yes only with --yes, No when
// standard input is no terminal, and otherwise asked on the terminal.

#include "device/MessageSink.h"
#include "model/ProfileFile.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

class TerminalSink : public MessageSink, public FileMessageSink {
public:
    // input: where answers are read (a terminal or not); out: where texts go.
    TerminalSink(bool assumeYes, std::FILE* input = stdin, std::FILE* out = stderr);

    void ShowText(std::string_view textKey, std::optional<long long> argument) override;
    bool AskYesNo(std::string_view textKey, std::optional<long long> argument) override;
    void ShowPathText(std::string_view textKey, const std::filesystem::path& path) override;

    // A question of kestrowctl's own (no language text for it).
    bool AskPlain(const std::string& question);
    // A line of kestrowctl's own, prefixed with the program name.
    void Note(const std::string& line);

    // How often the language text textKey has been shown or asked.
    size_t ShownCount(std::string_view textKey) const;

private:
    bool Ask(const std::string& question);
    void Line(const std::string& text);
    std::string Text(std::string_view textKey, std::optional<long long> argument);

    bool assumeYes_;
    std::FILE* input_;
    std::FILE* out_;
    mutable std::mutex lock_; // the presence thread may show a text too
    std::multiset<std::string, std::less<>> shown_;
};
