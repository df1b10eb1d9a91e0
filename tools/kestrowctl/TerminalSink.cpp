// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/kestrowctl/TerminalSink.h"

#include "skin/Language.h"

#include <cctype>
#include <unistd.h>

TerminalSink::TerminalSink(bool assumeYes, std::FILE* input, std::FILE* out)
    : assumeYes_(assumeYes), input_(input), out_(out) {}

std::string TerminalSink::Text(std::string_view textKey, std::optional<long long> argument) {
    {
        std::lock_guard lock(lock_);
        shown_.emplace(textKey);
    }
    std::string text = LangText(textKey, CurrentLanguageIndex());
    if (argument) {
        text = FormatLangText(text, *argument);
    }
    return text;
}

void TerminalSink::Line(const std::string& text) {
    // One write per line, so that trace lines from another thread never split it.
    const std::string line = text + "\n";
    std::lock_guard lock(lock_);
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
}

void TerminalSink::ShowText(std::string_view textKey, std::optional<long long> argument) {
    Line(Text(textKey, argument));
}

void TerminalSink::ShowPathText(std::string_view textKey, const std::filesystem::path& path) {
    Line(FormatLangText(Text(textKey, std::nullopt), std::string_view(path.string())));
}

bool TerminalSink::AskYesNo(std::string_view textKey, std::optional<long long> argument) {
    return Ask(Text(textKey, argument));
}

bool TerminalSink::AskPlain(const std::string& question) {
    return Ask(question);
}

void TerminalSink::Note(const std::string& line) {
    Line("kestrowctl: " + line);
}

size_t TerminalSink::ShownCount(std::string_view textKey) const {
    std::lock_guard lock(lock_);
    return shown_.count(textKey);
}

bool TerminalSink::Ask(const std::string& question) {
    if (assumeYes_) {
        Line(question + " [y/N] yes (--yes)");
        return true;
    }
    if (input_ == nullptr || isatty(fileno(input_)) == 0) {
        // Nobody to ask: No is the default answer, and only Yes acts.
        Line(question + " [y/N] no (no terminal; --yes answers yes)");
        return false;
    }
    std::lock_guard lock(lock_);
    std::fputs((question + " [y/N] ").c_str(), out_);
    std::fflush(out_);
    std::string answer;
    for (int c = std::fgetc(input_); c != EOF && c != '\n'; c = std::fgetc(input_)) {
        answer.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return answer == "y" || answer == "yes";
}
