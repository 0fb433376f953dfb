#include "StagedFile.h"

#include "app/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {
QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString randomTag()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString tag;
    for (int i = 0; i < 8; ++i)
        tag += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
    return tag;
}

// The rename itself is only durable once the folder is on disk too.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

StagedFile::StagedFile(const QString &finalPath)
    : m_finalPath(finalPath)
{
}

StagedFile::~StagedFile()
{
    discard();
}

bool StagedFile::create(QString *error)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = m_finalPath + QLatin1Char('.') + randomTag() + QStringLiteral(".partial");
        const int fd =
            ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0644);
        if (fd >= 0) {
            m_fd = fd;
            m_written = 0;
            m_writebackFrom = 0;
            m_stagingPath = candidate;
            m_moved = false;
            QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    *error = QStringLiteral("Could not create the file %1: %2").arg(shown(m_finalPath), SystemErrorText(errno));
    return false;
}

qint64 StagedFile::writeData(const char *data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, size_t(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            setErrorString(SystemErrorText(errno));
            return -1;
        }
        done += n;
    }
    m_written += done;
#ifdef __linux__
    // Start writing to disk what is written so far, so that the flush at the
    // end waits for the last few megabytes, not for the whole file.
    if (m_written - m_writebackFrom >= kWritebackStep) {
        ::sync_file_range(m_fd, m_writebackFrom, m_written - m_writebackFrom, SYNC_FILE_RANGE_WRITE);
        m_writebackFrom = m_written;
    }
#endif
    return done;
}

bool StagedFile::finish(QString *error)
{
    if (m_fd < 0) {
        *error = QStringLiteral("Could not write the file %1: it is not open").arg(shown(m_finalPath));
        return false;
    }
    const int synced = ::fsync(m_fd);
    const int syncError = errno;
    const int closed = ::close(m_fd);
    const int closeError = errno;
    m_fd = -1;
    QIODevice::close();
    if (synced != 0 || closed != 0) {
        *error = QStringLiteral("Could not write the file %1: %2")
                     .arg(shown(m_finalPath), SystemErrorText(synced != 0 ? syncError : closeError));
        return false;
    }
    return true;
}

bool StagedFile::moveTo(const QString &path, QString *error)
{
    if (m_stagingPath.isEmpty() || m_fd >= 0) {
        *error = QStringLiteral("Could not put the file %1 in place: it is not finished").arg(shown(path));
        return false;
    }
    if (::rename(QFile::encodeName(m_stagingPath).constData(), QFile::encodeName(path).constData()) != 0) {
        *error = QStringLiteral("Could not put the file %1 in place: %2").arg(shown(path), SystemErrorText(errno));
        return false;
    }
    m_moved = true;
    syncFolder(QFileInfo(path).absolutePath());
    return true;
}

void StagedFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
        QIODevice::close();
    }
    if (!m_stagingPath.isEmpty() && !m_moved)
        ::unlink(QFile::encodeName(m_stagingPath).constData());
    m_stagingPath.clear();
}
