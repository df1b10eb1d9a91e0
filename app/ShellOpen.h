// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the program opens through the desktop: the help page, web addresses, the resident
// program.

#include <filesystem>
#include <string>

class QUrl;

// Opens helpFolder/index.html with the desktop's viewer; false when it is missing or the desktop
// could not open it.
bool OpenHelpPage(const std::filesystem::path& helpFolder);

// The address when it is one the program hands to the desktop (http, https or mailto with
// something after the scheme); an empty (invalid) address otherwise. Skin files are data, so
// a file, program or other address from them is never opened.
QUrl WebAddress(const std::string& text);

// Opens a web address with the desktop; false when it is not one WebAddress accepts.
bool OpenWebAddress(const std::string& text);

// Starts program detached, without arguments, when it is an executable file; its absence is not
// reported. True when it was started.
bool StartResidentProgram(const std::filesystem::path& program);
