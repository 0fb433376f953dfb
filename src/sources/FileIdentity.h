#pragma once

#include <QString>
#include <QtGlobal>

// Which file a path names and the state it was written in: device, inode,
// size and modification time (on Windows the volume serial number, the file
// index, the size and the last write time). Two reads of one table are of the same data
// only when its identity did not change between them.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedSeconds = 0;
    qint64 modifiedNanoseconds = 0;

    bool isValid() const { return size >= 0; }
    bool operator==(const FileIdentity &) const = default;
};

// The identity of an open file (a C runtime descriptor, as QFile::handle()
// gives); invalid when the system cannot tell it. FileIdentityPosix.cpp and
// FileIdentityWindows.cpp hold the two systems' ways.
FileIdentity IdentityOfOpenFile(int fd);
// The identity of the file `path` names now; invalid when it cannot be told.
FileIdentity IdentityOfPath(const QString &path);
// True while `path` still names the file `opened` was taken from, in the
// state it had then: what a scan checks at its start and at its end.
bool FileUnchanged(const FileIdentity &opened, const QString &path);

// "<name> changed while it was being read; ..." for a file the accounting
// system rewrote during a query.
QString ChangedWhileReadMessage(const QString &name);
