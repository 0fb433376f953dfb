#pragma once

#include <QString>

struct sqlite3;

// Makes dBase/FoxPro tables queryable as SQLite virtual tables:
//   CREATE VIRTUAL TABLE "stemp4" USING dbf('/path/stemp4.DBF')
// Each query reopens the file, so the accounting system may rewrite it between
// queries; a scan during which it changes fails rather than mix two states of
// it. A file that cannot be read still gets a table, whose every query fails
// (at its first step) with the reader's reason.
bool RegisterDbfModule(sqlite3 *db, QString *error);

// One table per .dbf file of `folder` that `db` does not have yet, named by the
// file name without extension. Returns false only when the folder cannot be read.
bool AttachDbfFolder(sqlite3 *db, const QString &folder, QString *error);
