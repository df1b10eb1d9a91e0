// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window's shell (about box, help, language, single-instance lock) as a list of calls.

#include "mainwindow/CKestrowDlg.h"

#include <string>
#include <vector>

class RecordingShell : public MainWindowShell {
public:
    void OpenAboutBox() override { calls.push_back("open-about"); }
    void CloseAboutBox() override { calls.push_back("close-about"); }
    void ForwardLanguage(int index) override {
        calls.push_back("language " + std::to_string(index));
    }
    void OpenHelp() override { calls.push_back("help"); }
    void ReleaseSingleInstance() override { calls.push_back("release"); }

    std::vector<std::string> calls;
};
