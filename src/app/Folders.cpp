#include "Folders.h"

#include "FolderSystem.h"
#include "RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>

namespace {
bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}
} // namespace

QString NameCharacterProblem(const QString &name)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar c : name) {
        if (isControl(c))
            return QStringLiteral("a control character");
        if (forbidden.contains(c))
            return QStringLiteral("the character %1").arg(c);
    }
    if (name.contains(QLatin1String("..")))
        return QStringLiteral("\"..\"");
    return QString();
}

QString ReservedNameProblem(const QString &name)
{
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return QStringLiteral("it ends in a dot or a blank");
    // "nul.txt" and "COM1 .log" name the device too.
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9]) *(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = device.match(name);
    if (match.hasMatch())
        return QStringLiteral("it names the device %1").arg(match.captured(1).toUpper());
    return QString();
}

QString PrintableName(const QString &name)
{
    QString printable = name;
    for (QChar &c : printable)
        if (isControl(c))
            c = QLatin1Char('?');
    return printable;
}

QString FolderNameProblem(const QString &what, const QString &name)
{
    const QString held = NameCharacterProblem(name);
    QString why = held.isEmpty() ? QString() : QStringLiteral("it holds ") + held;
    if (why.isEmpty() && name.trimmed().isEmpty())
        why = QStringLiteral("it is empty");
    else if (why.isEmpty() && name == QLatin1String("."))
        why = QStringLiteral("it is \".\"");
    else if (why.isEmpty())
        why = ReservedNameProblem(name);
    if (why.isEmpty())
        return QString();
    return QStringLiteral("The %1 %2 cannot name a folder: %3.").arg(what, PrintableName(name), why);
}

bool CreateFolder(const QString &path, QString *error)
{
    const QString absolute = QDir(path).absolutePath();
    if (QFileInfo(absolute).isDir())
        return true;
    // The missing folders from the outermost in, each made by itself so the
    // system's reason for the one that fails is known.
    QStringList missing;
    for (QString p = absolute; !QFileInfo::exists(p); p = QFileInfo(p).path())
        missing.prepend(p);
    for (const QString &folder : missing) {
        const QString problem = MakeOneFolder(folder);
        if (!problem.isEmpty()) {
            *error = QStringLiteral("The folder %1 cannot be created: %2").arg(shown(folder), problem);
            return false;
        }
    }
    if (!QFileInfo(absolute).isDir()) {
        *error = QStringLiteral("The folder %1 cannot be created: %2").arg(shown(path), SystemErrorText(ENOTDIR));
        return false;
    }
    return true;
}

QString AppFolderProblem(const QString &folder)
{
    const QFileInfo info(folder);
    const QString name = shown(info.absoluteFilePath());
    if (!info.exists())
        return QStringLiteral("The application folder %1 does not exist").arg(name);
    if (!info.isDir())
        return QStringLiteral("The application folder %1 is not a folder").arg(name);
    return QString();
}
