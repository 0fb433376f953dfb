#include "AppFolder.h"

#include "AppSettings.h"
#include "Folders.h"
#include "UserInterface.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
const char *kRememberedKey = "paths/applicationFolder";

bool isFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}
} // namespace

bool HoldsAccountingData(const QString &folder)
{
    return FileExistsNoCase(folder, QStringLiteral("KOLV.Bat")) || isFolder(JoinPath(folder, QStringLiteral("Data")));
}

QString RememberedAppFolder()
{
    return UserSettings().value(QLatin1String(kRememberedKey)).toString();
}

bool RememberAppFolder(const QString &folder)
{
    QSettings s = UserSettings();
    s.setValue(QLatin1String(kRememberedKey), folder);
    s.sync();
    return s.status() == QSettings::NoError;
}

AppFolderChoice ResolveAppFolder()
{
    AppFolderChoice c;
    const QString option = AppFolderOverride();
    const QString env = qEnvironmentVariable("QUORVANT_HOME");
    if (!option.isEmpty() || !env.isEmpty()) {
        c.source = option.isEmpty() ? AppFolderSource::Environment : AppFolderSource::Option;
        c.folder = option.isEmpty() ? QDir(env).absolutePath() : option;
        c.problem = ConfiguredAppFolderProblem();
        return c;
    }
    const QString remembered = RememberedAppFolder();
    if (isFolder(remembered)) {
        c.source = AppFolderSource::Remembered;
        c.folder = remembered;
        return c;
    }
    c.forgotten = remembered;
    const QString own = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (!own.isEmpty() && HoldsAccountingData(own)) {
        c.source = AppFolderSource::Executable;
        c.folder = own;
    }
    return c;
}

QString AppFolderQuestion(const QString &forgotten)
{
    const QString ask =
        QStringLiteral("Choose the folder that holds the accounting data (KOLV.Bat or the Data folder)");
    if (forgotten.isEmpty())
        return ask;
    return QStringLiteral("The folder %1 chosen before is gone: choose the folder that holds the accounting data")
        .arg(QDir::toNativeSeparators(forgotten));
}

AppFolderOutcome SettleAppFolder(bool askAgain, QString *problem)
{
    const AppFolderChoice c = ResolveAppFolder();
    switch (c.source) {
    case AppFolderSource::Option:
    case AppFolderSource::Environment:
        *problem = c.problem;
        return c.problem.isEmpty() ? AppFolderOutcome::Ready : AppFolderOutcome::Failed;
    case AppFolderSource::Remembered:
    case AppFolderSource::Executable:
        if (!askAgain) {
            SetSettledAppFolder(c.folder);
            return AppFolderOutcome::Ready;
        }
        break;
    case AppFolderSource::None:
        break;
    }
    const QString start = c.folder.isEmpty() ? QDir::homePath() : c.folder;
    const QString chosen = CurrentUserInterface().chooseFolder(AppFolderQuestion(c.forgotten), start);
    if (chosen.isEmpty())
        return AppFolderOutcome::Cancelled;
    *problem = AppFolderProblem(chosen);
    if (!problem->isEmpty())
        return AppFolderOutcome::Failed;
    const QString folder = QDir(chosen).absolutePath();
    if (!RememberAppFolder(folder)) {
        *problem = QStringLiteral("The folder %1 could not be kept in the user's settings (%2)")
                       .arg(QDir::toNativeSeparators(folder), UserSettings().fileName());
        return AppFolderOutcome::Failed;
    }
    SetSettledAppFolder(folder);
    return AppFolderOutcome::Ready;
}

QString CliAppFolderProblem()
{
    const AppFolderChoice c = ResolveAppFolder();
    if (!c.problem.isEmpty())
        return c.problem;
    if (c.source != AppFolderSource::None) {
        SetSettledAppFolder(c.folder);
        return QString();
    }
    QString why = QStringLiteral("No application folder: give one with --app-dir DIR or the environment variable "
                                 "QUORVANT_HOME");
    if (!c.forgotten.isEmpty())
        why += QStringLiteral(" (the folder %1 chosen before is gone)").arg(QDir::toNativeSeparators(c.forgotten));
    return why;
}
