// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The application object: start-up, the single-instance rule, the main window's modal run and
// what follows it.

#include "app/AppPaths.h"
#include "app/CAboutDlg.h"
#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "mainwindow/CKestrowDlg.h"
#include "platform/ProgramNames.h"

#include <memory>
#include <string>
#include <vector>

class InstanceServer;

class CKestrowApp : public MainWindowShell {
public:
    CKestrowApp();
    ~CKestrowApp() override;

    // The whole life of the process; returns its exit code.
    int Run(int argc, char** argv);

    // Start-up after the command line was read: paths, settings key, the single-instance
    // steps, the keyboard backend, the main window run modally. Returns the
    // exit code: 0 however the window ended (and when a later start handed over, or a skin
    // picture was missing); 1 when the simulated keyboard asked for cannot be had.
    int InitInstance(int argc, char** argv);

    const LaunchOptions& Options() const { return options_; }
    // Whether the settings key could be opened or created; start-up goes on either way.
    bool RegistryKeyOpen() const { return registryKeyOpen_; }

    // MainWindowShell
    void OpenAboutBox() override;
    void CloseAboutBox() override;
    void ForwardLanguage(int languageIndex) override;
    void OpenHelp() override;
    void ReleaseSingleInstance() override;

    // A request of a later start, on the user-interface thread: delivered to the main window
    // when it carries the window tag. The language notice makes its language the one in use
    // first, so that every text looked up from then on follows.
    long OnInstanceRequest(uint32_t message, uint32_t wParam, uint32_t lParam = 0);

    void SetOptions(const LaunchOptions& options) { options_ = options; }
    void SetMainWindow(CKestrowDlg* window) { mainWindow_ = window; }
    void SetInstanceServer(InstanceServer* server) { server_ = server; }
    AboutBox& About() { return about_; }

private:
    LaunchOptions options_;
    AppPaths paths_;
    bool registryKeyOpen_ = false;
    std::unique_ptr<SingleInstance> instance_;
    InstanceServer* server_ = nullptr;
    CKestrowDlg* mainWindow_ = nullptr;
    AboutBox about_;
};
