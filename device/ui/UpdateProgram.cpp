// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/ui/UpdateProgram.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <unistd.h>

namespace {

bool IsWindowsProgram(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".exe";
}

} // namespace

UpdateProgramCheck CheckUpdateProgram(const std::filesystem::path& path, UpdateLaunch* launch) {
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error)) {
        return UpdateProgramCheck::Missing;
    }
    if (!std::filesystem::is_regular_file(path, error)) {
        return UpdateProgramCheck::NotExecutable;
    }
    UpdateLaunch how;
    if (IsWindowsProgram(path)) {
        // Searched on the PATH of this process, as a shell would.
        const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
        if (wine.isEmpty()) {
            return UpdateProgramCheck::NeedsWine;
        }
        how.program = wine.toStdString();
        how.arguments.push_back(std::filesystem::absolute(path, error).string());
    } else {
        if (access(path.c_str(), X_OK) != 0) {
            return UpdateProgramCheck::NotExecutable;
        }
        // Absolute, so that a bare name is never looked up on the PATH instead.
        how.program = std::filesystem::absolute(path, error);
    }
    if (launch != nullptr) {
        *launch = std::move(how);
    }
    return UpdateProgramCheck::Ready;
}

bool StartUpdateProgram(const UpdateLaunch& launch) {
    QStringList arguments;
    for (const std::string& a : launch.arguments) {
        arguments << QString::fromStdString(a);
    }
    return QProcess::startDetached(QString::fromStdString(launch.program.string()), arguments,
                                   QDir::currentPath());
}
