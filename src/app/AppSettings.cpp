#include "AppSettings.h"

#include "FolderSystem.h"
#include "Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
AppSettings g_settings;
QString g_appFolderOverride;
QString g_settledAppFolder; // remembered or chosen at start-up

QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))))
        path.chop(1);
    return path;
}
} // namespace

AppSettings &Settings()
{
    return g_settings;
}

void ResetSettings()
{
    g_settings = AppSettings();
}

void SetAppFolderOverride(const QString &folder)
{
    g_appFolderOverride = folder.isEmpty() ? QString() : QDir(folder).absolutePath();
}

QString AppFolder()
{
    const QString env = qEnvironmentVariable("QUORVANT_HOME");
    if (!g_appFolderOverride.isEmpty())
        return withoutTrailingSeparator(g_appFolderOverride);
    if (!env.isEmpty())
        return withoutTrailingSeparator(QDir(env).absolutePath());
    if (!g_settledAppFolder.isEmpty())
        return withoutTrailingSeparator(g_settledAppFolder);
    if (QCoreApplication::instance())
        return withoutTrailingSeparator(QCoreApplication::applicationDirPath());
    return withoutTrailingSeparator(QDir::currentPath());
}

void SetSettledAppFolder(const QString &folder)
{
    g_settledAppFolder = folder.isEmpty() ? QString() : QDir(folder).absolutePath();
}

QString AppFolderOverride()
{
    return g_appFolderOverride;
}

QSettings UserSettings()
{
    return QSettings(UserSettingsFormat(), QSettings::UserScope, QStringLiteral("Quorvant"),
                     QStringLiteral("Quorvant"));
}

QString ConfiguredAppFolderProblem()
{
    if (!g_appFolderOverride.isEmpty())
        return AppFolderProblem(g_appFolderOverride);
    const QString env = qEnvironmentVariable("QUORVANT_HOME");
    if (env.isEmpty())
        return QString();
    const QString problem = AppFolderProblem(env);
    return problem.isEmpty() ? problem : problem + QStringLiteral(" (QUORVANT_HOME names it)");
}

QString SystemFolder()
{
    const QString env = qEnvironmentVariable("QUORVANT_SYSTEM_DIR");
    if (!env.isEmpty())
        return withoutTrailingSeparator(env);
    return withoutTrailingSeparator(DefaultSystemFolder());
}

QString ReturnsFolder(const QString &code)
{
    return JoinPath(JoinPath(AppFolder(), QStringLiteral("ACES")), code);
}

QString CompanyOutputFolder()
{
    return ReturnsFolder(Settings().strCompCode);
}

QString JoinPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString FindFileNoCase(const QString &folder, const QString &name)
{
    const QString exact = JoinPath(folder, name);
    if (QFileInfo(exact).isFile())
        return exact;
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return JoinPath(folder, entry);
    }
    return QString();
}

bool FileExistsNoCase(const QString &folder, const QString &name)
{
    return !FindFileNoCase(folder, name).isEmpty();
}
