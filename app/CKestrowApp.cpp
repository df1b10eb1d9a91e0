// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CKestrowApp.h"

#include "app/InstanceServer.h"
#include "app/ProgramIcon.h"
#include "app/ShellOpen.h"
#include "app/StartupReport.h"
#include "app/UserDataSeed.h"
#include "device/DeviceState.h"
#include "model/ProfileFolder.h"
#include "platform/LicenceNotice.h"
#include "platform/SettingsHive.h"
#include "platform/UserFolders.h"
#include "skin/Language.h"

#include <QApplication>
#include <cstdio>

#ifndef KESTROW_VERSION
#define KESTROW_VERSION "0.0.0"
#endif

namespace {

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

void ReportLanguage() {
    char text[32];
    std::snprintf(text, sizeof text, "language id=0x%04X", unsigned{CurrentLanguageId()});
    ReportLine(text);
}

} // namespace

CKestrowApp::CKestrowApp() = default;

CKestrowApp::~CKestrowApp() = default;

int CKestrowApp::Run(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    options_ = ParseCommandLine(arguments);
    if (options_.help) {
        std::fputs(UsageText("kestrow").c_str(), stdout);
        return 0;
    }
    if (options_.version) {
        std::printf("kestrow %s\n%s", KESTROW_VERSION, kLicenceNotice);
        return 0;
    }
    if (!options_.error.empty()) {
        std::fprintf(stderr, "kestrow: %s\n", options_.error.c_str());
        return 2;
    }
    SetCurrentLaunchOptions(options_);
    return InitInstance(argc, argv);
}

int CKestrowApp::InitInstance(int argc, char** argv) {
    // 1. The settings area and the application's name.
    QCoreApplication::setOrganizationName(kProfileAreaKey);
    QCoreApplication::setApplicationName(kApplicationTitle);

    // 2. Paths, from the executable's own folder.
    paths_ = ComputeAppPaths(ProgramFolder(), ExecutablePath());
    SetCurrentAppPaths(paths_);

    // 3. The per-user settings key; without it the values kept there last for this run only.
    registryKeyOpen_ = SettingsHive::Instance().CreateKey(kAppRegistryKey);
    // "--language": kept for later runs and for kestrowctl, and in use for this one; a running
    // instance is told below.
    if (options_.language) {
        if (!StoreLanguageId(SettingsHive::Instance(), *options_.language)) {
            std::fprintf(stderr, "kestrow: the language chosen cannot be kept in %s\n",
                         SettingsHive::Instance().File().c_str());
        }
        SetCurrentLanguageId(*options_.language);
    }

    // 4. The working and the outgoing store's locks are the stores' own (model/ProfileStore.h):
    // process-wide, they exist before the main window runs and after it has closed.

    // 5. The single-instance steps run before any window exists; a later start ends here with
    // exit code 0, before it even connects to the display.
    instance_ = std::make_unique<SingleInstance>(PrivateRuntimeFolder());
    const InstanceStart start = RunSingleInstanceSteps(*instance_, options_);
    const auto endEarly = [this](int exitCode) {
        instance_.reset();
        return exitCode;
    };
    if (start.decision == StartDecision::EndProcess) {
        return endEarly(0);
    }

    // The keyboard: the hidraw devices, or the simulated keyboard. Only the first instance
    // chooses, so that a later start never touches a simulated keyboard's state file.
    std::string backendError;
    if (!SelectHidBackend(options_.simulation, backendError)) {
        std::fprintf(stderr, "kestrow: %s\n", backendError.c_str());
        return endEarly(1);
    }

    {
        QApplication application(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        QApplication::setWindowIcon(ProgramIcon());
        // Lets the desktop match the windows with the menu entry and its icon.
        QGuiApplication::setDesktopFileName(kDesktopId);

        InstanceServer server([this](uint32_t message, uint32_t wParam, uint32_t lParam) {
            return OnInstanceRequest(message, wParam, lParam);
        });
        if (start.guarded && !server.Listen(instance_->SocketPath())) {
            // Later starts find the lock but nobody to hand over to; they end after waiting.
            std::fprintf(stderr, "kestrow: cannot listen on %s\n", instance_->SocketPath().c_str());
        }
        server_ = &server;

        // The resident program runs beside every first instance; its absence is no error.
        StartResidentProgram(paths_.residentProgram);

        // The user's data folder and the colour files it starts with; what a run killed
        // while writing there left behind goes.
        SeedUserDataFolder(UserDataFolder(), paths_.ColourTemplate());
        RemoveStaleProfileFolderTemporaries();

        {
            CKestrowDlg window(this);
            mainWindow_ = &window;
            // "/Start": the keyboard's first arrival leaves the window in the notification area.
            // Set after the window's constructor and before its initialisation starts the
            // device threads.
            DeviceState().OpenNotified.store(options_.start ? 1 : 0);
            QObject::connect(&window, &CKestrowDlg::mainWindowShown, [] { ReportLine("shown"); });
            // Without a notification area the window waits on the taskbar instead.
            QObject::connect(&window, &CKestrowDlg::mainWindowMinimized,
                             [] { ReportLine("minimized"); });
            const bool initialised = window.OnInitDialog();
            if (initialised) {
                ReportLine("ready ms=" + std::to_string(MillisecondsSinceProcessStart()) +
                           " pid=" + std::to_string(QCoreApplication::applicationPid()));
                ReportLanguage();
                window.RunModalLoop();
                ReportLine("closed");
            }
            // A missing skin picture ends the process with 0, before any window was shown.
            about_.Close();
            mainWindow_ = nullptr;
        }
        server_ = nullptr;
        server.Close();
    }

    // 6. The main window's close has released both stores under their locks; the instance lock
    // goes with the process.
    instance_.reset();
    return 0;
}

long CKestrowApp::OnInstanceRequest(uint32_t message, uint32_t wParam, uint32_t lParam) {
    const bool tagged = mainWindow_ != nullptr && mainWindow_->WindowUserData() == kMainWindowTag;
    ReportLine("received message=" + Hex(message) + " wparam=" + Hex(wParam) +
               " window=" + (tagged ? "1" : "0") + " lparam=" + Hex(lParam));
    if (!tagged) {
        return 0;
    }
    if (message == UM_LANGUAGE && wParam == kLanguageNoticeTag) {
        const int index = LanguageNoticeIndex(static_cast<int>(lParam));
        SetCurrentLanguageId(kSupportedLanguages[index].id);
        const long result = mainWindow_->SendOwnMessage(message, wParam, index);
        ReportLanguage();
        return result;
    }
    return mainWindow_->SendOwnMessage(message, wParam, lParam);
}

void CKestrowApp::OpenAboutBox() {
    about_.Open(ReadSkinLink(paths_.mainSkinFile), mainWindow_);
}

void CKestrowApp::CloseAboutBox() {
    about_.Close();
}

void CKestrowApp::ForwardLanguage(int languageIndex) {
    about_.ForwardLanguage(languageIndex);
}

void CKestrowApp::OpenHelp() {
    OpenHelpPage(paths_.helpFolder);
}

void CKestrowApp::ReleaseSingleInstance() {
    // The socket goes before the lock, so that a start that takes the lock next never finds
    // its own new socket removed.
    if (server_ != nullptr) {
        server_->Close();
    }
    if (instance_ != nullptr) {
        instance_->Unlock();
    }
}
