#include "app/DataConnections.h"

#include "app/Connections.h"

#include <QSqlDatabase>
#include <QSqlError>

#include <sql.h>
#include <sqlext.h>

namespace {
// True when `server` is the name of a data source configured in odbc.ini.
bool isConfiguredDataSource(const QString &server)
{
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return false;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    bool found = false;
    SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR description[256];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (!found
           && SQL_SUCCEEDED(SQLDataSources(env, direction, name, sizeof name, &nameLength, description,
                                           sizeof description, &descriptionLength))) {
        found = QString::fromLocal8Bit(reinterpret_cast<const char *>(name)).compare(server, Qt::CaseInsensitive) == 0;
        direction = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return found;
}
} // namespace

QString SqlServerConnectionText(const QString &server, const QString &catalog, bool serverIsDataSource)
{
    // The accounting system sets its databases up for the account "sa" without a password.
    if (serverIsDataSource)
        return QStringLiteral("DSN=%1;Database=%2;UID=sa;PWD=").arg(server, catalog);
    return QStringLiteral("Driver=FreeTDS;Server=%1;Database=%2;UID=sa;PWD=;TDS_Version=auto").arg(server, catalog);
}

bool OpenSqlServerConnection(const QString &name, const QString &server, const QString &catalog, QString *error)
{
    CloseConnection(name);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC"))) {
        *error = QStringLiteral("The ODBC database driver is not installed");
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
    db.setDatabaseName(SqlServerConnectionText(server, catalog, isConfiguredDataSource(server)));
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=15;SQL_ATTR_CONNECTION_TIMEOUT=30"));
    if (!db.open()) {
        *error = QStringLiteral("[%1] %2").arg(catalog, db.lastError().text());
        CloseConnection(name);
        return false;
    }
    return true;
}
