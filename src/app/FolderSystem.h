#pragma once

#include <QSettings>
#include <QString>

// What folders and names mean to the system the program runs on;
// FolderSystemPosix.cpp and FolderSystemWindows.cpp hold the two ways.
// (WriteProblem, declared in Folders.h, is there too.)

// Creates the one folder `path` (its parent exists); empty when it was made
// or was there already, otherwise the system's reason.
QString MakeOneFolder(const QString &path);

// Where NaturePath.inf and Access.inf are looked for when QUORVANT_SYSTEM_DIR
// names no folder: /etc/quorvant, or the Windows folder (GetWindowsDirectoryW).
QString DefaultSystemFolder();

// How the user's settings are kept: a file under the user's configuration
// folder, or on Windows the registry.
QSettings::Format UserSettingsFormat();
