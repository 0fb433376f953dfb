#include "sources/DataConnections.h"

#include "DbfSqlite.h"
#include "app/Connections.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

namespace {
sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.data());
}
} // namespace

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
    if (!db.open() || !(handle = sqliteHandle(db))) {
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
    sqlite3 *handle = db.isOpen() ? sqliteHandle(db) : nullptr;
    if (!handle) {
        *error = QStringLiteral("The connection %1 is not open").arg(name);
        return false;
    }
    return AttachDbfFolder(handle, db.userName(), error);
}
