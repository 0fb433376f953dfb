#pragma once

#include <QString>

// Names that become folders, the application folder itself, and why a file or
// folder cannot be written, in the system's own words.

// Why `name` cannot stand as one file or folder name: "a control character",
// "the character /" (any of / \ : * ? " < > |, which Windows cannot hold
// either) or "\"..\"". Empty when it can.
QString NameCharacterProblem(const QString &name);

// Why Windows keeps `name` from naming a file or folder: "it names the device
// CON" for the reserved device names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with
// any extension) and "it ends in a dot or a blank"; empty when it can. Refused
// on every system, so that no folder made here breaks when copied to Windows.
QString ReservedNameProblem(const QString &name);

// `name` with its control characters shown as "?", for messages.
QString PrintableName(const QString &name);

// "The company code ../../evil cannot name a folder: it holds the character /."
// for `what` = "company code"; empty when `name` can name one folder.
QString FolderNameProblem(const QString &what, const QString &name);

// Creates `path` and any missing parents; true when it is a folder afterwards.
// Otherwise "The folder <path> cannot be created: <system's reason>".
bool CreateFolder(const QString &path, QString *error);

// Why `path` (or, when it does not exist, its folder) cannot be written, in the
// system's words ("Read-only file system"); empty when nothing stops it.
QString WriteProblem(const QString &path);

// Why `folder` cannot serve as the application folder: "The application folder
// <folder> does not exist" or "... is not a folder"; empty when it can.
QString AppFolderProblem(const QString &folder);
