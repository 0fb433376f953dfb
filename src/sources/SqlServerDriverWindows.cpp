#include "Odbc.h"
#include "SqlServerDriver.h"

namespace {
// Whether Windows' ODBC driver manager lists the driver `wanted`.
bool driverInstalled(const char *wanted)
{
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return false;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    bool found = false;
    SQLCHAR name[256];
    SQLCHAR attributes[1024];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (!found
           && SQL_SUCCEEDED(SQLDrivers(env, direction, name, sizeof name, &nameLength, attributes, sizeof attributes,
                                       &attributesLength))) {
        found = qstricmp(reinterpret_cast<const char *>(name), wanted) == 0;
        direction = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return found;
}
} // namespace

QString SqlServerDriverConnectionText(const QString &server, const QString &catalog)
{
    // The newer driver when it is there; "SQL Server" comes with every Windows.
    static const QString driver = driverInstalled("ODBC Driver 17 for SQL Server")
                                      ? QStringLiteral("ODBC Driver 17 for SQL Server")
                                      : QStringLiteral("SQL Server");
    return QStringLiteral("Driver={%1};Server=%2;Database=%3;UID=sa;PWD=").arg(driver, server, catalog);
}
