#include "RegularFile.h"

#include <QDir>
#include <QFile>

#include <cstring>

QString SystemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

bool OpenRegularFile(QFile *file, const QString &path, QString *error)
{
    const QString shown = QDir::toNativeSeparators(path);
    int handle = -1;
    int errorNumber = 0;
    switch (RegularFileSystem::openForReading(path, &handle, &errorNumber)) {
    case RegularFileSystem::Opened::Failed:
        *error = QStringLiteral("%1 cannot be opened: %2").arg(shown, SystemErrorText(errorNumber));
        return false;
    case RegularFileSystem::Opened::NotRegular:
        *error = QStringLiteral("%1 is not a regular file").arg(shown);
        return false;
    case RegularFileSystem::Opened::Yes:
        break;
    }
    file->setFileName(path);
    if (!file->open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *error = QStringLiteral("%1 cannot be opened: %2").arg(shown, file->errorString());
        RegularFileSystem::close(handle);
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
