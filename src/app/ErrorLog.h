#pragma once

#include <QString>

// Appends one line to "Errors.log" in the application folder:
// general date and time, the number, Tab, description, Tab, source, Tab, title.
// Number 0 means there is nothing to log. With showMessage, the platform's box
// shows source, number and description on three lines.
void LogError(int number, const QString &description, const QString &source, const QString &title, bool showMessage);

// The system folder without a trailing separator; empty when it cannot be told.
QString GetWindowsDir();

// Creates exactly this folder (its parent must exist). False on any failure,
// including a folder that is already there; never a message.
bool MakeFolder(const QString &path);

// The text of one log line, without the line end (tests compare it).
QString ErrorLogLine(const QString &generalDateTime, int number, const QString &description, const QString &source,
                     const QString &title);

// Numbers for failures that have none of their own (the program's own checks).
enum ErrorNumber {
    ErrBadFileName = 52,
    ErrFileNotFound = 53,
    ErrPathNotFound = 76,
    ErrDeviceUnavailable = 68,
    ErrFileAccess = 75,
    ErrDatabase = 3146,
};
