#pragma once

#include "FileIdentity.h"
#include "JetValues.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <mdbtools.h>
#include <memory>
#include <vector>

// An Access (Jet 3 or Jet 4) file read through libmdb: its table list, each
// table's columns and the rows of one table. libmdb is only handed a regular
// file whose first page was checked here, and a table only when every page
// its page map names lies inside the file: libmdb would wait for ever on a
// FIFO, and takes a page it cannot read for the end of a table. The libmdb
// objects are owned by the handles below, and freed by nothing else.

namespace Jet {

struct CloseHandle
{
    void operator()(MdbHandle *mdb) const { mdb_close(mdb); }
};
struct FreeTableDef
{
    void operator()(MdbTableDef *table) const { mdb_free_tabledef(table); }
};
using Handle = std::unique_ptr<MdbHandle, CloseHandle>;
using TableDef = std::unique_ptr<MdbTableDef, FreeTableDef>; // free it before its handle

// Where a reader gets the file from: a path, or an image held in memory.
struct Source
{
    QString label; // the file as named in messages
    QByteArray path; // encoded file name; empty for an image
    QByteArray image; // the whole file; empty for a path
    qint64 size = 0; // bytes in the file; bounds every length read from it
};

// The file `path` names, once it was found to be a regular file that starts
// like an Access database of a version libmdb reads.
bool SourceOfPath(const QString &path, Source *source, QString *error);
// The same for a whole file image held in memory; `label` names it in errors.
bool SourceOfImage(const QByteArray &image, const QString &label, Source *source, QString *error);

struct ColumnInfo
{
    QByteArray name;
    int type = 0;
    int scale = 0;
    int precision = 0;
    bool operator==(const ColumnInfo &) const = default;
};

struct TableInfo
{
    QByteArray name;
    QList<ColumnInfo> columns;
    qint64 rowCount = 0;
    QString damage; // why the table cannot be read; its scans fail with this
};

struct FileInfo
{
    Source source;
    QList<TableInfo> tables;
};

// Reads the list of user tables and their columns once. A damaged table
// stays in the list with its damage; false only when the file cannot be
// opened or its table list cannot be read.
bool ReadCatalog(FileInfo *file, QString *error);

// Walks the live rows of one table and decodes them from the page buffer.
// libmdb's own row fetch cannot tell a null from empty text, takes a page it
// cannot read for the end of the table, and skips rows it cannot take apart.
class RowScanner
{
public:
    // `wanted`, when not empty, names the columns to decode; the others stay null.
    RowScanner(MdbTableDef *table, qint64 fileSize, std::vector<bool> wanted = {});
    void rewind();
    // 1 a row in `values`, 0 the end, -1 damage: `column` then names the
    // field at fault, or stays empty when the table's pages are.
    int next(std::vector<Value> *values, QByteArray *column);

private:
    bool ended() const;

    MdbTableDef *m_table;
    qint64 m_fileSize;
    std::vector<bool> m_wanted;
    std::vector<MdbField> m_fields;
    bool m_started = false;
    int m_pageRow = 0;
};

// One table of the file, opened afresh for one scan, so that every query
// has its own page buffers and position. Members go in reverse order: the
// table before the handle it was read from.
struct TableReader
{
    Handle mdb;
    MdbCatalogEntry entry = {}; // the table's, as read from the catalog here; `table` points to it
    TableDef table;
    FileIdentity identity; // of the file libmdb opened; invalid for an image
};

// Opens the table `info` of `file` for a scan, or fails with the reason
// (also when its columns are no longer those the catalog listed).
std::unique_ptr<TableReader> OpenTable(const FileInfo &file, const TableInfo &info, QString *error);

} // namespace Jet
