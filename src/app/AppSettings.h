#pragma once

#include <QSettings>
#include <QString>

// Process-wide values that live for the whole run. Written only by start-up and
// company selection; read everywhere else. Connections are kept in Qt's named
// connection registry; the cn* members hold their names.
struct AppSettings
{
    bool blnFoxPro = false;
    bool blnKolvSet = false;
    QString strWinDir;
    QString strDataPath;
    QString strServerName;

    QString cnKolvSet = QStringLiteral("cnKolvSet");
    QString cnProgram = QStringLiteral("cnProgram");
    QString cnFoxCompany = QStringLiteral("cnFoxCompany");
    QString cnCompany = QStringLiteral("cnCompany");
    QString cnCompanyPeriod = QStringLiteral("cnCompanyPeriod");

    QString strCompCode;
    QString strCompName;
    QString strPeriodFrom;
    QString strPeriodTo;
    QString strUserId;
};

AppSettings &Settings();
// Back to a fresh state (tests, and the command line between commands).
void ResetSettings();

inline const QString kAppTitle = QStringLiteral("Quorvant");

// The application folder, without a trailing separator: the override (from
// --app-dir), else QUORVANT_HOME, else the folder start-up settled on (see
// AppFolder.h), else the executable's folder.
QString AppFolder();
void SetAppFolderOverride(const QString &folder);
void SetSettledAppFolder(const QString &folder);
QString AppFolderOverride();

// The user's own settings file (remembered folder, accepted date format).
QSettings UserSettings();
// Why the folder named by the override or QUORVANT_HOME cannot be the
// application folder (see AppFolderProblem); empty when it can or when neither
// names one. Start-up ends on it rather than create anything there.
QString ConfiguredAppFolderProblem();

// The "Windows folder" where NaturePath.inf and Access.inf live:
// QUORVANT_SYSTEM_DIR when set, else /etc/quorvant (the system call on Windows).
QString SystemFolder();

// folder + one separator + name, whatever the folder ends with.
QString JoinPath(const QString &folder, const QString &name);

// Where the returns of the company `code` go: <application folder>/ACES/<code>.
QString ReturnsFolder(const QString &code);
// The same for the chosen company.
QString CompanyOutputFolder();

// Full path of `name` inside `folder`: the exact name first, then a name that
// differs only in letter case. Empty when neither exists.
QString FindFileNoCase(const QString &folder, const QString &name);
bool FileExistsNoCase(const QString &folder, const QString &name);
