#include "ErrorLog.h"

#include "AppSettings.h"
#include "Clock.h"
#include "DateFormat.h"
#include "UserInterface.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString ErrorLogLine(const QString &generalDateTime, int number, const QString &description, const QString &source,
                     const QString &title)
{
    return generalDateTime + QString::number(number) + QLatin1Char('\t') + description + QLatin1Char('\t') + source
           + QLatin1Char('\t') + title;
}

void LogError(int number, const QString &description, const QString &source, const QString &title, bool showMessage)
{
    if (number == 0)
        return;
    CurrentUserInterface().restoreCursor();

    const QString path = JoinPath(AppFolder(), QStringLiteral("Errors.log"));
    QFile log(path);
    const QString line = ErrorLogLine(GeneralDateText(Clock::now()), number, description, source, title);
    QByteArray bytes = line.toUtf8();
    bytes.append("\r\n");
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append) || log.write(bytes) != bytes.size()) {
        // The logger's own failure first; the error it was given is still shown
        // when asked for, or the user would never learn of it.
        StandardMessage(log.errorString(), kAppTitle, StdIcon::None, StdButtons::Ok);
    } else {
        log.close();
    }

    if (showMessage) {
        const QString text =
            source + QStringLiteral("\r\n") + QString::number(number) + QStringLiteral("\r\n") + description;
        StandardMessage(text, title.isEmpty() ? kAppTitle : title, StdIcon::Exclamation, StdButtons::Ok);
    }
}

QString GetWindowsDir()
{
    QString dir = SystemFolder().trimmed();
    while (dir.size() > 1 && (dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\'))))
        dir.chop(1);
    return dir;
}

bool MakeFolder(const QString &path)
{
    if (path.isEmpty() || QFileInfo::exists(path))
        return false;
    const QFileInfo info(path);
    if (!info.dir().exists())
        return false;
    return QDir().mkdir(path);
}
