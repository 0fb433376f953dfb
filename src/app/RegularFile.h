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

// The system's side of the above, one file per platform.
namespace RegularFileSystem {
enum class Opened { Yes, Failed, NotRegular };
// Opens `path` read-only without waiting for a writer or a device: `handle`
// is a C runtime descriptor (what QFile::open(int) takes); `errorNumber` the
// errno value when it fails.
Opened openForReading(const QString &path, int *handle, int *errorNumber);
void close(int handle);
} // namespace RegularFileSystem
