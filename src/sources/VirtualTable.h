#pragma once

#include <QByteArray>
#include <QString>

#include <sqlite3.h>
#include <vector>

// What the dBase/FoxPro and the Access modules share as SQLite virtual-table
// modules: a read-only module's set-up, their arguments and declarations,
// their errors, and registering a file's tables in a database.

namespace VirtualTable {

// The module callbacks that differ between readers; the rest is the same.
struct Callbacks
{
    int (*connect)(sqlite3 *, void *, int, const char *const *, sqlite3_vtab **, char **);
    int (*bestIndex)(sqlite3_vtab *, sqlite3_index_info *);
    int (*open)(sqlite3_vtab *, sqlite3_vtab_cursor **);
    int (*filter)(sqlite3_vtab_cursor *, int, const char *, int, sqlite3_value **);
    int (*next)(sqlite3_vtab_cursor *);
    int (*column)(sqlite3_vtab_cursor *, sqlite3_context *, int);
    int (*rowid)(sqlite3_vtab_cursor *, sqlite3_int64 *);
};

// A read-only module whose tables are `Table`s and cursors `Cursor`s, each
// starting with SQLite's own struct (SQLite hands that pointer back), made
// with new and deleted here; a cursor's `eof` says when its scan is over.
template <class Table, class Cursor> sqlite3_module ReadOnlyModule(const Callbacks &callbacks)
{
    sqlite3_module m{};
    m.iVersion = 1;
    m.xCreate = callbacks.connect; // the file is only read: creating a table is connecting to it
    m.xConnect = callbacks.connect;
    m.xBestIndex = callbacks.bestIndex;
    m.xDisconnect = [](sqlite3_vtab *table) {
        sqlite3_free(table->zErrMsg);
        delete reinterpret_cast<Table *>(table);
        return SQLITE_OK;
    };
    m.xDestroy = m.xDisconnect;
    m.xOpen = callbacks.open;
    m.xClose = [](sqlite3_vtab_cursor *cursor) {
        delete reinterpret_cast<Cursor *>(cursor);
        return SQLITE_OK;
    };
    m.xFilter = callbacks.filter;
    m.xNext = callbacks.next;
    m.xEof = [](sqlite3_vtab_cursor *cursor) { return int(reinterpret_cast<Cursor *>(cursor)->eof); };
    m.xColumn = callbacks.column;
    m.xRowid = callbacks.rowid;
    return m;
}

// What a column of the current row holds, as SQLite takes it.
enum class ValueKind { Null, Integer, Real, Text, Blob };

// Hands SQLite the value of a column; text (UTF-8) and blobs are copied.
inline void SetResult(sqlite3_context *ctx, ValueKind kind, sqlite3_int64 integer, double real, const char *bytes,
                      size_t size)
{
    switch (kind) {
    case ValueKind::Null:
        sqlite3_result_null(ctx);
        break;
    case ValueKind::Integer:
        sqlite3_result_int64(ctx, integer);
        break;
    case ValueKind::Real:
        sqlite3_result_double(ctx, real);
        break;
    case ValueKind::Text:
        sqlite3_result_text(ctx, bytes, int(size), SQLITE_TRANSIENT);
        break;
    case ValueKind::Blob:
        sqlite3_result_blob(ctx, bytes, int(size), SQLITE_TRANSIENT);
        break;
    }
}

// An argument of CREATE VIRTUAL TABLE ... USING module(argument), without
// the quotes it was written in.
QString UnquotedArgument(const char *raw);
// `name` as an SQL identifier: in double quotes, any inside doubled.
QByteArray QuotedIdentifier(const QByteArray &name);
// `text` as an SQL string literal.
QByteArray QuotedLiteral(const QByteArray &text);

// Sets the message SQLite reports for the call that is about to fail.
void SetError(sqlite3_vtab *table, const QString &message);

struct Column
{
    QByteArray name; // UTF-8
    const char *type;
};
// Declares the table's columns from within connect; SQLite's result code.
int DeclareColumns(sqlite3 *db, const std::vector<Column> &columns);
// Declares the one column "_error" for a table that cannot be read, so that
// the table still exists and reading it gives the reason.
int DeclareUnreadable(sqlite3 *db);

// Whether `db` has a table or view of this name, letter case aside.
bool HasTable(sqlite3 *db, const QByteArray &name);
// CREATE VIRTUAL TABLE "name" USING module(argument). False with SQLite's
// message when it refuses.
bool CreateTable(sqlite3 *db, const QByteArray &name, const QByteArray &module, const QByteArray &argument,
                 QString *message);

} // namespace VirtualTable
