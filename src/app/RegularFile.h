#pragma once

#include <QString>

class QFile;

// Opens `path` for reading only when it is a regular file. The file is opened
// without blocking first, so a FIFO or a device can never hang the program;
// anything but a regular file gets "<path> is not a regular file".
bool OpenRegularFile(QFile *file, const QString &path, QString *error);

// Empty when `path` is a regular file that can be opened for reading;
// otherwise the reason, naming the path.
QString RegularFileProblem(const QString &path);

// The system's own words for an errno value ("No space left on device").
QString SystemErrorText(int errorNumber);
