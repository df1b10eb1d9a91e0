// SPDX-License-Identifier: GPL-3.0-or-later
#include "editors/OnScreenKeyboard.h"

#include <QProcess>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr const char* kPrograms[] = {"onboard", "florence"};

bool IsOnScreenKeyboardName(const std::string& name) {
    for (const char* program : kPrograms) {
        if (name == program) {
            return true;
        }
    }
    return false;
}

} // namespace

QString OnScreenKeyboardProgram() {
    for (const char* program : kPrograms) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(program));
        if (!path.isEmpty()) {
            return path;
        }
    }
    return {};
}

bool OnScreenKeyboardRunning() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string pid = entry.path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        // Processes end while the folder is read; one that is gone is no keyboard.
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && IsOnScreenKeyboardName(name)) {
            return true;
        }
    }
    return false;
}

bool StartOnScreenKeyboard() {
    if (OnScreenKeyboardRunning()) {
        return true;
    }
    const QString program = OnScreenKeyboardProgram();
    return !program.isEmpty() && QProcess::startDetached(program, {});
}
