#include "Connections.h"

#include "AppSettings.h"
#include "Folders.h"
#include "RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <cerrno>
#include <sqlite3.h>

QString FoxProCompanyCode(const QVariant &code)
{
    const QString text = code.toString().trimmed();
    bool ok = false;
    const qlonglong n = text.toLongLong(&ok);
    if (!ok) {
        const double d = text.toDouble(&ok);
        if (!ok)
            return text;
        return QStringLiteral("%1").arg(qRound64(d), 3, 10, QLatin1Char('0'));
    }
    if (n < 0)
        return QLatin1Char('-') + QStringLiteral("%1").arg(-n, 3, 10, QLatin1Char('0'));
    return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
}

QString CompanyFolder(const QString &appFolder, const QString &compCode)
{
    return JoinPath(appFolder, compCode);
}

QString PeriodCode(const QDate &from, const QDate &to)
{
    if (!from.isValid() || !to.isValid())
        return QString();
    auto two = [](int n) { return QStringLiteral("%1").arg(n % 100, 2, 10, QLatin1Char('0')); };
    return two(from.year()) + two(from.month()) + two(to.year()) + two(to.month());
}

QString PeriodFolder(const QString &companyFolder, const QString &periodCode)
{
    return JoinPath(companyFolder, periodCode);
}

QString JetCompanyFile(const QString &dataFolder, const QString &compCode, const QString &periodCode)
{
    return dataFolder + QLatin1Char('/') + compCode + QLatin1Char('/') + periodCode + QStringLiteral("/DbData.mdb");
}

QString JetCompanyListFile(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("/nKolvSet.mdb");
}

QString CompanyCatalog(const QString &compCode)
{
    return QStringLiteral("DB") + compCode;
}

bool ServerNameFromDataPath(const QString &dataPath, QString *serverName)
{
    const qsizetype open = dataPath.indexOf(QLatin1Char('[')); // -1 when absent
    const qsizetype close = dataPath.indexOf(QLatin1Char(']'));
    const qsizetype length = close - open - 1;
    if (close < 0 || length < 0)
        return false;
    *serverName = dataPath.mid(open + 1, length);
    return true;
}

QString ProgramDatabasePath(const QString &appFolder)
{
    return JoinPath(JoinPath(appFolder, QStringLiteral("Data")), QStringLiteral("db.sqlite"));
}

const QString kTariffMasterMissing =
    QStringLiteral("The tariff master (Data/db.sqlite) is missing; import it with Tariff \u2192 Import.");

namespace {
bool openProgram(const QString &name, const QString &path, bool create, QString *error)
{
    CloseConnection(name);
    const QFileInfo info(path);
    if (create && !CreateFolder(info.absolutePath(), error))
        return false;
    // An empty file is what SQLite leaves of a database it never wrote.
    if (!create && (!info.exists() || (info.isFile() && info.size() == 0))) {
        *error = kTariffMasterMissing;
        return false;
    }
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kProgramDatabaseWaitSeconds * 1000));
        if (!db.open()) {
            *error = ProgramDatabaseError(db, db.lastError());
        } else {
            QSqlQuery q(db);
            if (!create
                && !q.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'Import'")))
                *error = ProgramDatabaseError(db, q.lastError());
            else if (!create && !q.next())
                *error = kTariffMasterMissing;
            else if ((create && !q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS Import (TariffNo TEXT, Unit TEXT)")))
                     || !q.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS ImportTariffNo ON Import (TariffNo)")))
                *error = ProgramDatabaseError(db, q.lastError());
            else
                ok = true;
        }
    }
    // Closed only once no handle of it is left, or Qt complains that it is still in use.
    if (!ok)
        CloseConnection(name);
    return ok;
}
} // namespace

bool OpenProgramDatabase(const QString &name, const QString &path, QString *error)
{
    return openProgram(name, path, false, error);
}

bool CreateProgramDatabase(const QString &name, const QString &path, QString *error)
{
    return openProgram(name, path, true, error);
}

QString ProgramDatabaseError(const QSqlDatabase &db, const QSqlError &error)
{
    const QString file = QDir::toNativeSeparators(db.databaseName());
    // The extended code's low byte is the primary one.
    switch (error.nativeErrorCode().toInt() & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("%1 is in use by another program (locked for more than %2 seconds)")
            .arg(file)
            .arg(kProgramDatabaseWaitSeconds);
    case SQLITE_FULL:
        // SQLite keeps no errno for a full disk; running out of space is the only cause.
        return QStringLiteral("%1 cannot be written: %2").arg(file, SystemErrorText(ENOSPC));
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
    case SQLITE_PERM: {
        QString reason = WriteProblem(db.databaseName());
        if (sqlite3 *access = SqliteHandle(db); reason.isEmpty() && access)
            if (const int systemError = sqlite3_system_errno(access))
                reason = SystemErrorText(systemError);
        if (reason.isEmpty())
            reason = error.databaseText().isEmpty() ? error.text() : error.databaseText();
        return QStringLiteral("%1 cannot be written: %2").arg(file, reason);
    }
    default:
        return QStringLiteral("%1: %2").arg(file, error.text());
    }
}

sqlite3 *SqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

void CloseConnection(const QString &name)
{
    if (!QSqlDatabase::contains(name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

bool ConnectionIsOpen(const QString &name)
{
    return QSqlDatabase::contains(name) && QSqlDatabase::database(name, false).isOpen();
}

QSqlDatabase NamedConnection(const QString &name)
{
    return QSqlDatabase::database(name, false);
}
