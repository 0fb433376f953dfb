#pragma once

#include <QtGlobal>

// Reads up to `length` bytes at `offset` of the open file `fd` (a C runtime
// descriptor, as QFile::handle() gives) without moving the position the file
// is read from otherwise; the count read (0 at the end), or -1 with errno
// set (EINTR: try again). PositionalReadPosix.cpp and
// PositionalReadWindows.cpp hold the two systems' ways.
qint64 ReadAt(int fd, void *buffer, qint64 length, qint64 offset);
