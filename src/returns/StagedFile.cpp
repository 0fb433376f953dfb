#include "StagedFile.h"

#include "app/RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>

namespace {
QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

constexpr int kTagLength = 8;

QString randomTag()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString tag;
    for (int i = 0; i < kTagLength; ++i)
        tag += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
    return tag;
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

bool StagedFile::IsStagingName(const QString &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^.+\\.(xml|xlsx)\\.[a-z0-9]{%1}\\.partial$").arg(kTagLength));
    return pattern.match(name).hasMatch();
}

void StagedFile::RemoveAbandoned(const QString &folder)
{
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.partial")}, QDir::Files | QDir::Hidden | QDir::System))
        if (IsStagingName(name))
            StagedFileSystem::removeIfAbandoned(dir.filePath(name));
}

bool StagedFile::create(QString *error)
{
    discard();
    RemoveAbandoned(QFileInfo(m_finalPath).absolutePath());
    int errorNumber = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = m_finalPath + QLatin1Char('.') + randomTag() + QStringLiteral(".partial");
        const int handle = StagedFileSystem::create(candidate, &errorNumber);
        if (handle >= 0) {
            m_handle = handle;
            m_finished = false;
            m_written = 0;
            m_writebackFrom = 0;
            m_stagingPath = candidate;
            m_moved = false;
            QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
            return true;
        }
        if (errorNumber != EEXIST)
            break;
    }
    *error = QStringLiteral("Could not create the file %1: %2").arg(shown(m_finalPath), SystemErrorText(errorNumber));
    return false;
}

qint64 StagedFile::writeData(const char *data, qint64 size)
{
    int errorNumber = 0;
    if (m_handle < 0 || m_finished) {
        setErrorString(QStringLiteral("the file is not open for writing"));
        return -1;
    }
    if (!StagedFileSystem::write(m_handle, data, size, &errorNumber)) {
        setErrorString(SystemErrorText(errorNumber));
        return -1;
    }
    m_written += size;
    // Start writing to disk what is written so far, so that the flush at the
    // end waits for the last few megabytes, not for the whole file.
    if (m_written - m_writebackFrom >= kWritebackStep) {
        StagedFileSystem::startWriteback(m_handle, m_writebackFrom, m_written - m_writebackFrom);
        m_writebackFrom = m_written;
    }
    return size;
}

bool StagedFile::finish(QString *error)
{
    if (m_handle < 0) {
        *error = QStringLiteral("Could not write the file %1: it is not open").arg(shown(m_finalPath));
        return false;
    }
    QIODevice::close();
    m_finished = true;
    int errorNumber = 0;
    if (!StagedFileSystem::sync(m_handle, &errorNumber)) {
        *error =
            QStringLiteral("Could not write the file %1: %2").arg(shown(m_finalPath), SystemErrorText(errorNumber));
        return false;
    }
    if (!StagedFileSystem::namesFile(m_stagingPath, m_handle)) {
        *error = QStringLiteral("Could not write the file %1: its staging file %2 was removed or replaced meanwhile")
                     .arg(shown(m_finalPath), shown(m_stagingPath));
        return false;
    }
    return true;
}

bool StagedFile::moveTo(const QString &path, QString *error)
{
    if (m_stagingPath.isEmpty() || !m_finished) {
        *error = QStringLiteral("Could not put the file %1 in place: it is not finished").arg(shown(path));
        return false;
    }
    int errorNumber = 0;
    // Renamed while still held, so no cleaner of another process takes it for abandoned.
    if (!StagedFileSystem::rename(m_stagingPath, path, &errorNumber)) {
        *error =
            QStringLiteral("Could not put the file %1 in place: %2").arg(shown(path), SystemErrorText(errorNumber));
        return false;
    }
    m_moved = true;
    closeHandle();
    StagedFileSystem::syncFolder(QFileInfo(path).absolutePath());
    m_stagingPath.clear();
    return true;
}

void StagedFile::closeHandle()
{
    if (m_handle >= 0) {
        StagedFileSystem::close(m_handle);
        m_handle = -1;
    }
    if (isOpen())
        QIODevice::close();
}

void StagedFile::discard()
{
    // Removed before the lock goes, so the name is never free while the file is ours.
    if (!m_stagingPath.isEmpty() && !m_moved && m_handle >= 0 && StagedFileSystem::namesFile(m_stagingPath, m_handle))
        StagedFileSystem::remove(m_stagingPath);
    closeHandle();
    m_stagingPath.clear();
}
