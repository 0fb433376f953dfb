#pragma once

#include <QString>

// Opening the accounting system's data, one function per data mode. Each
// replaces any connection of that name and fills `error` on failure.

// FoxPro mode: an in-memory SQLite database in which every .dbf file of the
// folder is a table named by its file name without extension.
bool OpenFoxProConnection(const QString &name, const QString &folder, QString *error);

// Jet mode: the user tables of an Access file, read only.
bool OpenJetConnection(const QString &name, const QString &mdbFile, QString *error);

// SQL Server mode: QODBC through FreeTDS, or through a configured data source
// when `server` names one.
bool OpenSqlServerConnection(const QString &name, const QString &server, const QString &catalog, QString *error);

// The ODBC connection text for a server and catalog (pure; tests compare it).
QString SqlServerConnectionText(const QString &server, const QString &catalog, bool serverIsDataSource);

// FoxPro mode: adds tables for .dbf files that appeared in the folder since the
// connection was opened (the accounting system writes the work tables later).
bool RefreshFoxProConnection(const QString &name, QString *error);
