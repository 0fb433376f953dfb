#include "FileIdentity.h"

#include <QFile>

#include <sys/stat.h>

namespace {
FileIdentity identityOf(const struct stat &st)
{
    FileIdentity id;
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
    id.size = qint64(st.st_size);
    id.modifiedSeconds = qint64(st.st_mtim.tv_sec);
    id.modifiedNanoseconds = qint64(st.st_mtim.tv_nsec);
    return id;
}
} // namespace

FileIdentity IdentityOfOpenFile(int fd)
{
    struct stat st;
    return fd >= 0 && ::fstat(fd, &st) == 0 ? identityOf(st) : FileIdentity();
}

FileIdentity IdentityOfPath(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? identityOf(st) : FileIdentity();
}
