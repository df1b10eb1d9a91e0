// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShellOpen.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>
#include <unistd.h>

bool OpenHelpPage(const std::filesystem::path& helpFolder) {
    const std::filesystem::path page = helpFolder / "index.html";
    std::error_code error;
    if (!std::filesystem::is_regular_file(page, error)) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page.string())));
}

QUrl WebAddress(const std::string& text) {
    const QUrl url(QString::fromStdString(text).trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const bool web = (scheme == "http" || scheme == "https") && !url.host().isEmpty();
    const bool mail = scheme == "mailto" && !url.path().isEmpty();
    return url.isValid() && (web || mail) ? url : QUrl();
}

bool OpenWebAddress(const std::string& text) {
    const QUrl url = WebAddress(text);
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool StartResidentProgram(const std::filesystem::path& program) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(program, error) || ::access(program.c_str(), X_OK) != 0) {
        return false;
    }
    return QProcess::startDetached(QString::fromStdString(program.string()), {});
}
