#include "RegularFile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString SystemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

bool OpenRegularFile(QFile *file, const QString &path, QString *error)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *error = QStringLiteral("%1 cannot be opened: %2").arg(shown, SystemErrorText(errno));
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        *error = QStringLiteral("%1 cannot be opened: %2").arg(shown, SystemErrorText(errno));
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *error = QStringLiteral("%1 is not a regular file").arg(shown);
        ::close(fd);
        return false;
    }
    // Reads of a regular file never block; the flag only mattered for the open.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file->setFileName(path);
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *error = QStringLiteral("%1 cannot be opened: %2").arg(shown, file->errorString());
        ::close(fd);
        return false;
    }
    return true;
}

QString RegularFileProblem(const QString &path)
{
    QFile file;
    QString error;
    if (!OpenRegularFile(&file, path, &error))
        return error;
    return QString();
}
