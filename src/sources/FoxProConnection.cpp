#include "DbfSqlite.h"
#include "app/Connections.h"
#include "sources/DataConnections.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

bool OpenFoxProConnection(const QString &name, const QString &folder, QString *error)
{
    CloseConnection(name);
    if (!QDir(folder).exists()) {
        *error = QStringLiteral("The folder %1 does not exist").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(QStringLiteral(":memory:"));
    db.setUserName(folder); // remembered for RefreshFoxProConnection
    sqlite3 *handle = nullptr;
    if (!db.open() || !(handle = SqliteHandle(db))) {
        *error = db.lastError().text();
        CloseConnection(name);
        return false;
    }
    if (!RegisterDbfModule(handle, error) || !AttachDbfFolder(handle, folder, error)) {
        CloseConnection(name);
        return false;
    }
    return true;
}

bool RefreshFoxProConnection(const QString &name, QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(name, false);
    sqlite3 *handle = db.isOpen() ? SqliteHandle(db) : nullptr;
    if (!handle) {
        *error = QStringLiteral("The connection %1 is not open").arg(name);
        return false;
    }
    return AttachDbfFolder(handle, db.userName(), error);
}
