#include "app/Connections.h"
#include "sources/DataConnections.h"
#include "sources/Odbc.h"
#include "sources/SqlServerDriver.h"

#include <QSqlDatabase>
#include <QSqlError>

namespace {
constexpr int kLoginTimeoutSeconds = 5;
constexpr int kRequestTimeoutSeconds = 30;

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

// FreeTDS ignores the login timeout once "TDS_Version=auto" falls back from
// the TDS 7 login to the Sybase one, so a server that takes the connection
// but never answers would hang the program. A first login with the version
// fixed keeps to the timeout; false when it ran out.
bool serverAnswers(const QString &text)
{
    QString pinned = text;
    pinned.replace(QStringLiteral("TDS_Version=auto"), QStringLiteral("TDS_Version=7.4"));
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return true;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    bool answered = true;
    if (SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(kLoginTimeoutSeconds)), 0);
        QByteArray bytes = pinned.toUtf8();
        const SQLRETURN rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR *>(bytes.data()), SQL_NTS, nullptr,
                                              0, nullptr, SQL_DRIVER_NOPROMPT);
        if (SQL_SUCCEEDED(rc)) {
            SQLDisconnect(dbc);
        } else {
            SQLCHAR state[6] = {};
            SQLINTEGER native = 0;
            SQLCHAR message[512];
            SQLSMALLINT length = 0;
            for (SQLSMALLINT i = 1;
                 SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_DBC, dbc, i, state, &native, message, sizeof message, &length));
                 ++i) {
                if (qstrcmp(reinterpret_cast<const char *>(state), "HYT00") == 0)
                    answered = false;
            }
        }
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return answered;
}
} // namespace

QString SqlServerConnectionText(const QString &server, const QString &catalog, bool serverIsDataSource)
{
    // The accounting system sets its databases up for the account "sa" without a password.
    if (serverIsDataSource)
        return QStringLiteral("DSN=%1;Database=%2;UID=sa;PWD=").arg(server, catalog);
    return SqlServerDriverConnectionText(server, catalog);
}

bool OpenSqlServerConnection(const QString &name, const QString &server, const QString &catalog, QString *error)
{
    CloseConnection(name);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC"))) {
        *error = QStringLiteral("The ODBC database driver is not installed");
        return false;
    }
    const bool dataSource = isConfiguredDataSource(server);
    const QString text = SqlServerConnectionText(server, catalog, dataSource);
    if (!dataSource && !serverAnswers(text)) {
        *error = QStringLiteral("Cannot connect to the database %1 on the server %2: the server does not answer "
                                "(waited %3 seconds)")
                     .arg(catalog, server)
                     .arg(kLoginTimeoutSeconds);
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
    // QODBC puts "DSN=" before a text that names neither a driver nor a server.
    db.setDatabaseName(dataSource ? text.mid(4) : text);
    // A server that does not answer must give an error soon, not hang start-up.
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%2")
                             .arg(kLoginTimeoutSeconds)
                             .arg(kRequestTimeoutSeconds));
    if (!db.open()) {
        *error = QStringLiteral("Cannot connect to the database %1 on the server %2: %3")
                     .arg(catalog, server, db.lastError().text());
        db = QSqlDatabase();
        CloseConnection(name);
        return false;
    }
    return true;
}
