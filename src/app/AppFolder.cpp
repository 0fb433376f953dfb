#include "AppFolder.h"

#include "AppSettings.h"
#include "Folders.h"
#include "UserInterface.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
const char *kRememberedKey = "paths/applicationFolder";

// Copies the folder `from` (files and sub-folders) to `to`, which must not hold anything yet: first
// beside it, then renamed, so that a copy cut short is never taken for the demo. False with why.
bool CopyFolder(const QString &from, const QString &to, QString *problem)
{
    const QString staging = to + QStringLiteral(".copying");
    QDir(staging).removeRecursively();
    *problem = QStringLiteral("The demo company could not be copied to %1").arg(QDir::toNativeSeparators(to));
    if (!QDir().mkpath(staging))
        return false;
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo source(it.next());
        const QString target = QDir(staging).filePath(QDir(from).relativeFilePath(source.filePath()));
        if (!(source.isDir() ? QDir().mkpath(target) : QFile::copy(source.filePath(), target))) {
            *problem += QStringLiteral(" (%1)").arg(QDir::toNativeSeparators(target));
            QDir(staging).removeRecursively();
            return false;
        }
    }
    QDir().rmdir(to); // an empty folder left in its place
    if (!QDir().rename(staging, to)) {
        QDir(staging).removeRecursively();
        return false;
    }
    problem->clear();
    return true;
}

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
    // With no data anywhere, a newcomer may look at the demo company first.
    const QString demo = c.folder.isEmpty() ? InstalledDataPath(QStringLiteral("demo")) : QString();
    bool demoChosen = false;
    QString chosen =
        demo.isEmpty() ? CurrentUserInterface().chooseFolder(AppFolderQuestion(c.forgotten), start)
                       : CurrentUserInterface().chooseFolderOrDemo(AppFolderQuestion(c.forgotten), start, &demoChosen);
    if (demoChosen) {
        chosen = DemoCopyFolder();
        // A copy made before is opened as it stands: the user may have worked in it.
        if (!HoldsAccountingData(chosen) && !CopyFolder(demo, chosen, problem))
            return AppFolderOutcome::Failed;
    }
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

QString InstalledDataPath(const QString &name)
{
    if (!QCoreApplication::instance())
        return QString();
    const QDir own(QCoreApplication::applicationDirPath());
    for (const QString &path : {own.filePath(name), own.filePath(QStringLiteral("../share/quorvant/") + name)}) {
        if (QFileInfo::exists(path))
            return QDir::cleanPath(path);
    }
    return QString();
}

QString DemoCopyFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("quorvant/demo"));
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
