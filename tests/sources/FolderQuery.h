#pragma once

// A query over a folder of tables through SQLite's own API (no Qt driver in
// between), stepped to its end or to its first error.

#include "sources/DbfSqlite.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <sqlite3.h>

struct FolderQuery
{
    QStringList rows; // each row's first column as text ("NULL" for a null)
    QString error; // empty when every step succeeded
};

// `afterTenRows` runs once the tenth row was read, as a table changes under a scan.
inline FolderQuery RunFolderQuery(const QString &folder, const char *sql,
                                  const std::function<void()> &afterTenRows = {})
{
    FolderQuery result;
    sqlite3 *db = nullptr;
    sqlite3_open(":memory:", &db);
    QString error;
    if (!RegisterDbfModule(db, &error) || !AttachDbfFolder(db, folder, &error)) {
        result.error = QStringLiteral("attach: ") + error;
    } else {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
            result.error = QStringLiteral("prepare: ") + QString::fromUtf8(sqlite3_errmsg(db));
        } else {
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
                result.rows << (text ? QString::fromUtf8(text) : QStringLiteral("NULL"));
                if (result.rows.size() == 10 && afterTenRows)
                    afterTenRows();
            }
            if (rc != SQLITE_DONE)
                result.error = QString::fromUtf8(sqlite3_errmsg(db));
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return result;
}
