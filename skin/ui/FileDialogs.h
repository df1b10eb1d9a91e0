// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The common open and save dialogs on QFileDialog. They take the filter strings the windows
// are written with ("(*.fwc)|*.fwc|(*.*)|*.*||": description and pattern pairs joined by "|",
// ended by "||") unchanged.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string_view>

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string filter;
    // Appended to a typed name that has none; empty: nothing is appended.
    QString defaultSuffix;
    // The folder the dialog starts in, optionally followed by the initial file name.
    std::filesystem::path start;
};

// Chooses a file for a request: the path, or empty when cancelled. Windows run the dialog below
// unless a test puts its own chooser in its place.
using FileChooser = std::function<std::filesystem::path(const FileDialogRequest&)>;

// The Qt name filters of a filter string, one per pair: the description, followed by the
// patterns in parentheses unless it already ends with them ("(*.fwc)|*.fwc" gives "(*.fwc)").
// "*.*" matches every file, also one without a dot ("(*.*)|*.*" gives "(*.*) (*)"). A pair
// without a pattern is dropped.
QStringList NameFiltersOf(std::string_view filter);

// Runs the dialog modally over owner. A save dialog asks before it overwrites a file.
std::filesystem::path RunFileDialog(QWidget* owner, const FileDialogRequest& request);
