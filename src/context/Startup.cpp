#include "Startup.h"

#include "app/AppSettings.h"
#include "app/Clock.h"
#include "app/Connections.h"
#include "app/DateFormat.h"
#include "app/ErrorLog.h"
#include "app/UserInterface.h"
#include "sources/DataConnections.h"

#include <QDir>
#include <QFile>

bool ReadFirstLine(const QString &path, QString *line)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = f.readLine(64 * 1024);
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    *line = QString::fromLocal8Bit(bytes);
    return true;
}

ModeDecision DecideDataMode(const QString &appFolder, const QString &winDir)
{
    ModeDecision d;
    if (FileExistsNoCase(appFolder, QStringLiteral("KOLV.Bat"))) {
        d.mode = DataMode::FoxPro;
        return d;
    }
    const QString naturePath = FindFileNoCase(winDir, QStringLiteral("NaturePath.inf"));
    if (!naturePath.isEmpty() && !ReadFirstLine(naturePath, &d.dataPath)) {
        d.ok = false;
        d.error = QStringLiteral("Cannot read %1").arg(QDir::toNativeSeparators(naturePath));
        return d;
    }
    if (FileExistsNoCase(winDir, QStringLiteral("Access.inf"))) {
        d.mode = DataMode::Jet;
        return d;
    }
    d.mode = DataMode::SqlServer;
    if (!ServerNameFromDataPath(d.dataPath, &d.serverName)) {
        d.ok = false;
        d.error =
            naturePath.isEmpty()
                ? QStringLiteral("NaturePath.inf was not found in %1, so no server name is known")
                      .arg(QDir::toNativeSeparators(winDir))
                : QStringLiteral("Invalid procedure call or argument: no server name between \"[\" and \"]\" in \"%1\"")
                      .arg(d.dataPath);
    }
    return d;
}

bool RunRegionalDateCheck()
{
    const QDate today = Clock::today();
    if (ShortDateFormatIsDayFirst(today))
        return true;
    const StdResult answer = StandardMessage(
        QStringLiteral("Invalid Regional Setting for Date.\r\nDo you want to change date to dd/MM/yyyy ?"),
        QStringLiteral("Pondrel"), StdIcon::Question, StdButtons::OkCancel, StdResult::Ok);
    if (answer != StdResult::Ok)
        return false;
    if (!StoreShortDateFormat(QStringLiteral("dd/MM/yyyy")))
        StandardMessage(QStringLiteral("Failed"), kAppTitle, StdIcon::None, StdButtons::Ok);
    return true;
}

bool OpenStartupConnections(StartupFailure *failure)
{
    AppSettings &s = Settings();
    s.strDataPath.clear();
    CloseConnection(s.cnCompany);
    CloseConnection(s.cnKolvSet);

    s.strWinDir = GetWindowsDir();
    const QString app = AppFolder();
    const ModeDecision d = DecideDataMode(app, s.strWinDir);
    s.strDataPath = d.dataPath;
    s.strServerName = d.serverName;
    if (!d.ok) {
        failure->number = ErrPathNotFound;
        failure->description = d.error;
        return false;
    }

    QString error;
    bool opened = false;
    switch (d.mode) {
    case DataMode::FoxPro:
        opened = OpenFoxProConnection(s.cnKolvSet, app, &error);
        s.blnFoxPro = true;
        s.blnKolvSet = false;
        break;
    case DataMode::Jet:
        opened = OpenJetConnection(s.cnKolvSet, JetCompanyListFile(s.strDataPath), &error);
        s.blnFoxPro = false;
        s.blnKolvSet = true;
        break;
    case DataMode::SqlServer:
        opened = OpenSqlServerConnection(s.cnKolvSet, s.strServerName, QStringLiteral("nKolvSet"), &error);
        s.blnFoxPro = false;
        s.blnKolvSet = true;
        break;
    }
    if (!opened) {
        failure->number = ErrDatabase;
        failure->description = error;
        return false;
    }
    if (!OpenProgramDatabase(s.cnProgram, ProgramDatabasePath(app), &error)) {
        failure->number = ErrDatabase;
        failure->description = error;
        failure->tariffMasterMissing = error == kTariffMasterMissing;
        return false;
    }
    return true;
}
