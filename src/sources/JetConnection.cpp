#include "app/Connections.h"
#include "sources/DataConnections.h"
#include "sources/JetSqlite.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>

#include <sqlite3.h>

bool OpenJetConnection(const QString &name, const QString &mdbFile, QString *error)
{
    CloseConnection(name);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(QStringLiteral(":memory:"));
    if (!db.open()) {
        *error = db.lastError().text();
        CloseConnection(name);
        return false;
    }
    sqlite3 *sqlite = SqliteHandle(db);
    if (!sqlite) {
        *error = QStringLiteral("The SQLite driver gives no handle to attach %1 to").arg(mdbFile);
        db = QSqlDatabase();
        CloseConnection(name);
        return false;
    }
    if (!AttachJetFile(sqlite, mdbFile, error)) {
        db = QSqlDatabase();
        CloseConnection(name);
        return false;
    }
    return true;
}
