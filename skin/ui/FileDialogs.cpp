// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/FileDialogs.h"

#include <QFileDialog>

namespace {

QString Patterns(std::string_view patterns) {
    QStringList out;
    for (const QString& p :
         QString::fromUtf8(patterns.data(), static_cast<qsizetype>(patterns.size()))
             .split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = p.trimmed();
        // "*.*" means every file here, also one without an extension.
        out << (trimmed == QStringLiteral("*.*") ? QStringLiteral("*") : trimmed);
    }
    return out.join(u' ');
}

} // namespace

QStringList NameFiltersOf(std::string_view filter) {
    QStringList filters;
    size_t at = 0;
    while (at < filter.size()) {
        const size_t bar = filter.find('|', at);
        if (bar == std::string_view::npos) {
            break;
        }
        const std::string_view description = filter.substr(at, bar - at);
        if (description.empty()) {
            break; // the closing "||"
        }
        const size_t end = filter.find('|', bar + 1);
        const std::string_view patterns =
            filter.substr(bar + 1, (end == std::string_view::npos ? filter.size() : end) - bar - 1);
        const QString qtPatterns = Patterns(patterns);
        if (!qtPatterns.isEmpty()) {
            // Qt reads the patterns from the last parentheses; a description that already ends
            // with them stays as it is.
            const QString text =
                QString::fromUtf8(description.data(), static_cast<qsizetype>(description.size()));
            const QString suffix = QStringLiteral("(") + qtPatterns + QStringLiteral(")");
            filters << (text.endsWith(suffix) ? text : text + QStringLiteral(" ") + suffix);
        }
        if (end == std::string_view::npos) {
            break;
        }
        at = end + 1;
    }
    return filters;
}

std::filesystem::path RunFileDialog(QWidget* owner, const FileDialogRequest& request) {
    std::error_code error;
    const bool startIsFolder = std::filesystem::is_directory(request.start, error);
    const std::filesystem::path folder =
        startIsFolder ? request.start : request.start.parent_path();
    QFileDialog dialog(owner);
    dialog.setNameFilters(NameFiltersOf(request.filter));
    dialog.setDirectory(QString::fromStdString(folder.string()));
    if (!startIsFolder && request.start.has_filename()) {
        dialog.selectFile(QString::fromStdString(request.start.filename().string()));
    }
    if (!request.defaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(request.defaultSuffix);
    }
    if (request.kind == FileDialogKind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return std::filesystem::path(dialog.selectedFiles().first().toStdString());
}
