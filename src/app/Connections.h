#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>

// Where each connection points. Pure functions over folders and codes.

// FoxPro company code: a number shown with at least three digits ("7" -> "007").
// A code that is not a number is kept as it is.
QString FoxProCompanyCode(const QVariant &code);
// <application folder>/<code>
QString CompanyFolder(const QString &appFolder, const QString &compCode);
// YYMMYYMM: 1 April 2014 to 31 March 2015 gives "14041503". Empty when a date is invalid.
QString PeriodCode(const QDate &from, const QDate &to);
// <company folder>/<period code>
QString PeriodFolder(const QString &companyFolder, const QString &periodCode);
// <data folder>/<code>/<period code>/DbData.mdb (the data folder used unchanged).
QString JetCompanyFile(const QString &dataFolder, const QString &compCode, const QString &periodCode);
// <data folder>/nKolvSet.mdb
QString JetCompanyListFile(const QString &dataFolder);
// "DB" + code
QString CompanyCatalog(const QString &compCode);
// The server name between "[" and "]" of the data path's line; false when the
// line has no "]" or the "]" comes before the "[".
bool ServerNameFromDataPath(const QString &dataPath, QString *serverName);

// The program's own database "Data/db.sqlite" under the application folder.
QString ProgramDatabasePath(const QString &appFolder);

// How long any statement on the program database waits for another program's
// lock before it fails; the same for every command and the desktop program.
inline constexpr int kProgramDatabaseWaitSeconds = 5;

// What every command but the tariff import says when the tariff master is gone.
extern const QString kTariffMasterMissing;

// Opens the program database under `name` when it holds the tariff master
// (the table Import); a missing or empty file, or one without the table, gives
// kTariffMasterMissing and is left as it is: an empty master would only make
// every tariff number unknown. The connection waits at most
// kProgramDatabaseWaitSeconds for a lock.
bool OpenProgramDatabase(const QString &name, const QString &path, QString *error);
// The same for the tariff import, which creates the folder, the file and the
// table Import (TariffNo, Unit) with its index when they are missing.
bool CreateProgramDatabase(const QString &name, const QString &path, QString *error);

// A failure on the program database, naming its file: "<file> is in use by
// another program (locked for more than 5 seconds)", "<file> cannot be written:
// <system's reason>", or the database's own text for anything else.
QString ProgramDatabaseError(const QSqlDatabase &db, const QSqlError &error);

// Removes a connection from the registry, closing it first.
void CloseConnection(const QString &name);
// The SQLite library's own handle of a connection through the QSQLITE
// driver; null for any other driver.
struct sqlite3 *SqliteHandle(const QSqlDatabase &db);
bool ConnectionIsOpen(const QString &name);
QSqlDatabase NamedConnection(const QString &name);
