#pragma once

#include <QString>

// What folders and names mean to the system the program runs on;
// FolderSystemPosix.cpp and FolderSystemWindows.cpp hold the two ways.
// (WriteProblem, declared in Folders.h, is there too.)

// Creates the one folder `path` (its parent exists); empty when it was made
// or was there already, otherwise the system's reason.
QString MakeOneFolder(const QString &path);

// Why the system keeps `name` from naming a file or folder beyond the
// characters NameCharacterProblem refuses: on Windows "it names the device
// CON" for the reserved device names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with
// any extension) and "it ends in a dot or a blank"; empty when it can.
QString ReservedNameProblem(const QString &name);
