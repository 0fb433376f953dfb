#pragma once

#include <QString>

// The ODBC connection text that reaches a SQL Server by its name with the
// driver this system has: FreeTDS here, Windows' own drivers on Windows
// (SqlServerDriverPosix.cpp, SqlServerDriverWindows.cpp).
QString SqlServerDriverConnectionText(const QString &server, const QString &catalog);
