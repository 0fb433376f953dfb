#include "JetSqlite.h"

#include "FileIdentity.h"
#include "JetFile.h"
#include "VirtualTable.h"

#include <QFile>

#include <memory>
#include <sqlite3.h>
#include <vector>

using namespace Jet;
using namespace VirtualTable;

namespace {

struct JetModule
{
    std::shared_ptr<FileInfo> file;
};

struct JetVtab
{
    sqlite3_vtab base; // first: SQLite hands this pointer back
    std::shared_ptr<FileInfo> file;
    int table = 0;
};

struct JetCursor
{
    sqlite3_vtab_cursor base;
    std::unique_ptr<TableReader> reader;
    std::unique_ptr<RowScanner> rows;
    bool eof = false;
    qint64 rowid = 0;
    std::vector<Value> values;
};

int xConnect(sqlite3 *db, void *aux, int argc, const char *const *argv, sqlite3_vtab **out, char **err)
{
    auto *module = static_cast<JetModule *>(aux);
    bool ok = false;
    const int index = argc > 3 ? UnquotedArgument(argv[3]).toInt(&ok) : -1;
    if (!ok || index < 0 || index >= module->file->tables.size()) {
        *err = sqlite3_mprintf("unknown Access table");
        return SQLITE_ERROR;
    }
    const TableInfo &info = module->file->tables.at(index);
    std::vector<Column> columns;
    for (const ColumnInfo &column : info.columns)
        columns.push_back({column.name, DeclaredType(column.type)});
    // A damaged table's columns cannot be used; scanning it fails with the damage.
    const int rc = columns.empty() ? DeclareUnreadable(db) : DeclareColumns(db, columns);
    if (rc != SQLITE_OK) {
        *err = sqlite3_mprintf("the columns of %s cannot be used: %s", info.name.constData(), sqlite3_errmsg(db));
        return rc;
    }
    auto *vtab = new JetVtab;
    vtab->base = sqlite3_vtab();
    vtab->file = module->file;
    vtab->table = index;
    *out = &vtab->base;
    return SQLITE_OK;
}

int xBestIndex(sqlite3_vtab *base, sqlite3_index_info *info)
{
    // Every query reads the whole table; SQLite applies the conditions.
    const auto *vtab = reinterpret_cast<JetVtab *>(base);
    const qint64 rows = qMax<qint64>(1, vtab->file->tables.at(vtab->table).rowCount);
    info->estimatedCost = double(rows);
    info->estimatedRows = rows;
    return SQLITE_OK;
}

int xOpen(sqlite3_vtab *, sqlite3_vtab_cursor **out)
{
    auto *cursor = new JetCursor;
    cursor->base = sqlite3_vtab_cursor();
    *out = &cursor->base;
    return SQLITE_OK;
}

// The file libmdb reads is still the one the path names, as it was when the
// scan's reader opened it. Always true for an image.
bool unchanged(const JetCursor *cursor, const FileInfo &file)
{
    return file.source.path.isEmpty() || FileUnchanged(cursor->reader->identity, QFile::decodeName(file.source.path));
}

int advance(JetCursor *cursor)
{
    auto *vtab = reinterpret_cast<JetVtab *>(cursor->base.pVtab);
    QByteArray column;
    const int got = cursor->rows->next(&cursor->values, &column);
    if (got > 0)
        ++cursor->rowid;
    // At the end, or where the file reads as damaged: rows already handed out
    // must have come from the file as it still is.
    if (got <= 0 && !unchanged(cursor, *vtab->file)) {
        SetError(&vtab->base, ChangedWhileReadMessage(vtab->file->source.label));
        cursor->eof = true;
        return SQLITE_ERROR;
    }
    if (got < 0) {
        const TableInfo &info = vtab->file->tables.at(vtab->table);
        const QString table = QString::fromUtf8(info.name);
        SetError(&vtab->base,
                 column.isEmpty()
                     ? QStringLiteral("The table %1 of %2 cannot be read to the end: the file is incomplete or "
                                      "damaged")
                           .arg(table, vtab->file->source.label)
                     : QStringLiteral("The field %1 of a row of the table %2 in %3 is damaged")
                           .arg(QString::fromUtf8(column), table, vtab->file->source.label));
        cursor->eof = true;
        return SQLITE_CORRUPT;
    }
    cursor->eof = got == 0;
    return SQLITE_OK;
}

int xFilter(sqlite3_vtab_cursor *base, int, const char *, int, sqlite3_value **)
{
    auto *cursor = reinterpret_cast<JetCursor *>(base);
    auto *vtab = reinterpret_cast<JetVtab *>(base->pVtab);
    const TableInfo &info = vtab->file->tables.at(vtab->table);
    if (!info.damage.isEmpty()) {
        SetError(&vtab->base, info.damage);
        return SQLITE_CORRUPT;
    }
    if (!cursor->reader) {
        QString error;
        cursor->reader = OpenTable(*vtab->file, info, &error);
        if (!cursor->reader) {
            SetError(&vtab->base, error);
            return SQLITE_ERROR;
        }
        cursor->rows = std::make_unique<RowScanner>(cursor->reader->table.get(), vtab->file->source.size);
    }
    if (!unchanged(cursor, *vtab->file)) {
        SetError(&vtab->base, ChangedWhileReadMessage(vtab->file->source.label));
        cursor->eof = true;
        return SQLITE_ERROR;
    }
    cursor->rows->rewind();
    cursor->eof = false;
    cursor->rowid = 0;
    return advance(cursor);
}

int xNext(sqlite3_vtab_cursor *base)
{
    return advance(reinterpret_cast<JetCursor *>(base));
}

int xColumn(sqlite3_vtab_cursor *base, sqlite3_context *ctx, int n)
{
    auto *cursor = reinterpret_cast<JetCursor *>(base);
    if (n < 0 || size_t(n) >= cursor->values.size()) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    const Value &v = cursor->values[size_t(n)];
    SetResult(ctx, v.kind, v.integer, v.real, v.bytes.constData(), size_t(v.bytes.size()));
    return SQLITE_OK;
}

int xRowid(sqlite3_vtab_cursor *base, sqlite3_int64 *rowid)
{
    *rowid = reinterpret_cast<JetCursor *>(base)->rowid;
    return SQLITE_OK;
}

const sqlite3_module kJetModule =
    ReadOnlyModule<JetVtab, JetCursor>({xConnect, xBestIndex, xOpen, xFilter, xNext, xColumn, xRowid});

bool attach(sqlite3 *db, Source source, QString *error)
{
    if (!db) {
        *error = QStringLiteral("No database to attach %1 to").arg(source.label);
        return false;
    }
    auto file = std::make_shared<FileInfo>();
    file->source = std::move(source);
    if (!ReadCatalog(file.get(), error))
        return false;

    static int modules = 0;
    const QByteArray moduleName = "jet_file_" + QByteArray::number(++modules);
    auto *module = new JetModule{file};
    const int rc = sqlite3_create_module_v2(db, moduleName.constData(), &kJetModule, module,
                                            [](void *p) { delete static_cast<JetModule *>(p); });
    if (rc != SQLITE_OK) {
        *error = QStringLiteral("%1: %2").arg(file->source.label, QString::fromUtf8(sqlite3_errmsg(db)));
        return false;
    }
    for (qsizetype i = 0; i < file->tables.size(); ++i) {
        QString message;
        if (!CreateTable(db, file->tables[i].name, moduleName, QByteArray::number(i), &message)) {
            *error = QStringLiteral("The table %1 of %2 cannot be used: %3")
                         .arg(QString::fromUtf8(file->tables[i].name), file->source.label, message);
            return false;
        }
    }
    return true;
}

} // namespace

bool AttachJetFile(sqlite3 *db, const QString &mdbFile, QString *error)
{
    Source source;
    return SourceOfPath(mdbFile, &source, error) && attach(db, std::move(source), error);
}

bool AttachJetImage(sqlite3 *db, const QByteArray &image, const QString &label, QString *error)
{
    Source source;
    return SourceOfImage(image, label, &source, error) && attach(db, std::move(source), error);
}

bool JetFilesReadable()
{
    return true;
}
