#include "FolderSystem.h"
#include "Folders.h"
#include "RegularFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

QString MakeOneFolder(const QString &path)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0 && errno != EEXIST)
        return SystemErrorText(errno);
    return QString();
}

QString WriteProblem(const QString &path)
{
    const QByteArray file = QFile::encodeName(path);
    if (::access(file.constData(), W_OK) == 0)
        return QString();
    if (errno != ENOENT)
        return SystemErrorText(errno);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::access(folder.constData(), W_OK) != 0)
        return SystemErrorText(errno);
    return QString();
}

QString DefaultSystemFolder()
{
    return QStringLiteral("/etc/quorvant");
}

QSettings::Format UserSettingsFormat()
{
    return QSettings::IniFormat;
}
