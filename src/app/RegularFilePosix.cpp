#include "RegularFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFileSystem {
Opened openForReading(const QString &path, int *handle, int *errorNumber)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *errorNumber = errno;
        return Opened::Failed;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        *errorNumber = errno;
        ::close(fd);
        return Opened::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return Opened::NotRegular;
    }
    // Reads of a regular file never block; the flag only mattered for the open.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    *handle = fd;
    return Opened::Yes;
}

void close(int handle)
{
    ::close(handle);
}
} // namespace RegularFileSystem
