#include "StagedFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray name(const QString &path)
{
    return QFile::encodeName(path);
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `path` names the file open as `fd`, without following a link.
bool pathNames(const QString &path, int fd)
{
    struct stat atPath;
    struct stat open;
    return ::lstat(name(path).constData(), &atPath) == 0 && ::fstat(fd, &open) == 0 && sameFile(atPath, open);
}
} // namespace

namespace StagedFileSystem {
int create(const QString &path, int *errorNumber)
{
    const int fd = ::open(name(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
        *errorNumber = errno;
        return -1;
    }
    // A cleaner that took the lock first may have removed the new file
    // meanwhile: then the name is free again and taken afresh.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !pathNames(path, fd)) {
        ::close(fd);
        *errorNumber = EEXIST;
        return -1;
    }
    return fd;
}

bool write(int handle, const char *data, qint64 size, int *errorNumber)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(handle, data + done, size_t(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *errorNumber = errno;
            return false;
        }
        done += n;
    }
    return true;
}

void startWriteback(int handle, qint64 from, qint64 length)
{
#ifdef __linux__
    ::sync_file_range(handle, from, length, SYNC_FILE_RANGE_WRITE);
#else
    Q_UNUSED(handle);
    Q_UNUSED(from);
    Q_UNUSED(length);
#endif
}

bool sync(int handle, int *errorNumber)
{
    if (::fsync(handle) == 0)
        return true;
    *errorNumber = errno;
    return false;
}

bool namesFile(const QString &path, int handle)
{
    return pathNames(path, handle);
}

void close(int handle)
{
    ::close(handle);
}

bool rename(const QString &from, const QString &to, int *errorNumber)
{
    if (::rename(name(from).constData(), name(to).constData()) == 0)
        return true;
    *errorNumber = errno;
    return false;
}

void remove(const QString &path)
{
    ::unlink(name(path).constData());
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(name(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void removeIfAbandoned(const QString &path)
{
    const int fd = ::open(name(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat st;
    // A live writer holds its lock until the file is moved or removed.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && pathNames(path, fd))
        ::unlink(name(path).constData());
    ::close(fd);
}
} // namespace StagedFileSystem
