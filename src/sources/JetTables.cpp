#include "JetTables.h"

#include "CodePages.h"
#include "FileIdentity.h"
#include "app/RegularFile.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSet>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <mdbtools.h>
#include <sqlite3.h>

namespace {

// Where a reader gets the file from: a path, or an image held in memory.
struct JetSource
{
    QString label;      // the file as named in messages
    QByteArray path;    // encoded file name; empty for an image
    QByteArray image;   // the whole file; empty for a path
    qint64 size = 0;    // bytes in the file; bounds every length read from it
};

struct JetColumnInfo
{
    QByteArray name;
    int type = 0;
    int scale = 0;
    int precision = 0;
};

struct JetTableInfo
{
    QByteArray name;
    QList<JetColumnInfo> columns;
    qint64 rowCount = 0;
    QString damage; // why the table cannot be read; its scans fail with this
};

struct JetFileInfo
{
    JetSource source;
    QList<JetTableInfo> tables;
};

// An open libmdb handle with one table definition read from it.
class JetReader
{
public:
    ~JetReader()
    {
        if (table)
            mdb_free_tabledef(table);
        if (mdb)
            mdb_close(mdb);
    }
    MdbHandle *mdb = nullptr;
    MdbCatalogEntry entry = {}; // the table's, as read from the catalog here
    MdbTableDef *table = nullptr;
    FileIdentity identity;      // of the file libmdb opened; invalid for an image
};

// Checks the first page's signature ourselves, so that libmdb is only ever
// handed something that starts like a Jet database of a version it reads.
bool checkHeader(const QByteArray &head, qint64 size, const JetSource &source, QString *error)
{
    static const char jetMagic[] = "Standard Jet DB";
    static const char aceMagic[] = "Standard ACE DB";
    const bool magic = head.size() >= 0x18 && head.at(0) == 0 && head.at(1) == 1 && head.at(2) == 0
        && head.at(3) == 0
        && (head.mid(4, 15) == QByteArray(jetMagic) || head.mid(4, 15) == QByteArray(aceMagic));
    if (!magic) {
        *error = QStringLiteral("%1 is not an Access database").arg(source.label);
        return false;
    }
    const quint32 version = qFromLittleEndian<quint32>(head.constData() + 0x14);
    if (version > MDB_VER_ACCDB_2019) {
        *error = QStringLiteral("%1 is an Access database of a version that cannot be read").arg(source.label);
        return false;
    }
    // Jet writes whole pages, and the table catalog lives on page 2.
    const qint64 pageSize = version == MDB_VER_JET3 ? 2048 : 4096;
    if (size < 3 * pageSize || size % pageSize != 0) {
        *error = QStringLiteral("The Access file %1 is incomplete").arg(source.label);
        return false;
    }
    return true;
}

MdbHandle *openHandle(const JetSource &source, QString *error)
{
    if (!source.path.isEmpty()) {
        // libmdb opens by name, and would wait for ever on a FIFO put in the file's place.
        const QString problem = RegularFileProblem(QFile::decodeName(source.path));
        if (!problem.isEmpty()) {
            *error = problem;
            return nullptr;
        }
    }
    MdbHandle *mdb = source.path.isEmpty()
        ? mdb_open_buffer(const_cast<char *>(source.image.constData()), size_t(source.image.size()), MDB_NOFLAGS)
        : mdb_open(source.path.constData(), MDB_NOFLAGS);
    if (!mdb)
        *error = QStringLiteral("%1 cannot be opened as an Access database").arg(source.label);
    return mdb;
}

// The table's page map is one libmdb can follow: it dereferences a missing
// map, reads past a short one and gives up on (or leaves the program at) a
// map page it cannot read.
bool usageMapSound(const MdbTableDef *table, qint64 fileSize)
{
    if (!table->usage_map || table->map_sz < 1)
        return false;
    switch (table->usage_map[0]) {
    case 0: // type byte, first page, then a bit for each page
        return table->map_sz >= 5;
    case 1: { // type byte, then the numbers of the pages that hold the bits
        const qint64 pages = fileSize / qint64(table->entry->mdb->fmt->pg_size);
        for (size_t i = 1; i + 4 <= table->map_sz; i += 4) {
            const quint32 page = qFromLittleEndian<quint32>(table->usage_map + i);
            if (page != 0 && qint64(page) >= pages)
                return false;
        }
        return true;
    }
    default: // libmdb then reads every page of the file
        return true;
    }
}

bool readTableDefinition(MdbCatalogEntry *entry, qint64 fileSize, MdbTableDef **table)
{
    *table = mdb_read_table(entry);
    if (!*table)
        return false;
    if (!usageMapSound(*table, fileSize) || !mdb_read_columns(*table) || !(*table)->columns || (*table)->columns->len != (*table)->num_cols) {
        mdb_free_tabledef(*table);
        *table = nullptr;
        return false;
    }
    return true;
}

// Every page the table's page map names lies inside the file. libmdb takes a
// page it cannot read for the end of a table, which would quietly drop rows
// of a file that was cut short.
bool pagesInsideFile(MdbTableDef *table, qint64 fileSize)
{
    MdbHandle *mdb = table->entry->mdb;
    const qint64 pages = fileSize / qint64(mdb->fmt->pg_size);
    qint64 steps = 0;
    for (gint32 page = 0;;) {
        const gint32 next = mdb_map_find_next(mdb, table->usage_map, guint(table->map_sz), guint32(page));
        if (next <= 0)
            return true; // the end, or a map libmdb does not read (it then scans every page)
        if (next >= pages || next <= page || ++steps > pages)
            return false;
        page = next;
    }
}

QList<JetColumnInfo> columnsOf(MdbTableDef *table)
{
    QList<JetColumnInfo> columns;
    for (guint i = 0; i < table->num_cols; ++i) {
        auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        columns.append({QByteArray(col->name), col->col_type, col->col_scale, col->col_prec});
    }
    return columns;
}

bool sameColumns(const QList<JetColumnInfo> &a, const QList<JetColumnInfo> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].type != b[i].type || a[i].scale != b[i].scale
            || a[i].precision != b[i].precision)
            return false;
    }
    return true;
}

// Jet 4 text: UTF-16LE, or "compressed" (FF FE, then single bytes for code
// points below 256, a zero byte switching between single bytes and pairs).
QString decodeJet4Text(const uchar *p, int n)
{
    QString text;
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        text.reserve(n);
        bool single = true;
        for (int i = 2; i < n;) {
            if (p[i] == 0) {
                single = !single;
                ++i;
            } else if (single) {
                text.append(QChar(p[i]));
                ++i;
            } else if (i + 1 < n) {
                text.append(QChar(char16_t(p[i] | (p[i + 1] << 8))));
                i += 2;
            } else {
                break;
            }
        }
        return text;
    }
    text.reserve(n / 2);
    for (int i = 0; i + 1 < n; i += 2)
        text.append(QChar(char16_t(p[i] | (p[i + 1] << 8))));
    return text;
}

// Jet 3 text is in Windows-1252, the code page the files are written in here;
// bytes it leaves undefined keep their own value.
QByteArray decodeText(MdbHandle *mdb, const uchar *p, int n)
{
    if (!IS_JET3(mdb))
        return decodeJet4Text(p, n).toUtf8();
    std::string text;
    AppendDecodedUtf8(text, reinterpret_cast<const char *>(p), size_t(n), CodePageHighHalf(1252),
                      UndefinedBytes::KeepValue);
    return QByteArray(text.data(), qsizetype(text.size()));
}

// A memo or OLE value: 12 bytes in the row that hold its length and either
// the data itself or where its chain of pages starts.
bool readLongValue(MdbHandle *mdb, int start, int size, qint64 fileSize, QByteArray *out)
{
    out->clear();
    if (size < MDB_MEMO_OVERHEAD)
        return true;
    const uchar *head = mdb->pg_buf + start;
    const quint32 length = qFromLittleEndian<quint32>(head);
    const qint32 pageRow = qFromLittleEndian<qint32>(head + 4);
    const int pageSize = int(mdb->fmt->pg_size);

    auto rowAt = [&](qint32 where, const uchar **data, size_t *len) {
        void *buf = nullptr;
        int offset = 0;
        if (mdb_find_pg_row(mdb, where, &buf, &offset, len) != 0 || !buf)
            return false;
        if (offset < 0 || offset > pageSize || *len > size_t(pageSize - offset))
            return false;
        *data = static_cast<const uchar *>(buf) + offset;
        return true;
    };

    if (length & 0x80000000u) { // inline
        out->append(reinterpret_cast<const char *>(head + MDB_MEMO_OVERHEAD), size - MDB_MEMO_OVERHEAD);
        return true;
    }
    if (length & 0x40000000u) { // one page
        const uchar *data = nullptr;
        size_t len = 0;
        if (!rowAt(pageRow, &data, &len))
            return false;
        out->append(reinterpret_cast<const char *>(data), qsizetype(len));
        return true;
    }
    if (length & 0xFF000000u)
        return false;
    // A chain of pages, each row starting with the next one's page and row.
    const qint64 total = qMin<qint64>(length, fileSize);
    out->reserve(qsizetype(total));
    QSet<qint32> visited;
    for (qint32 where = pageRow; where != 0 && out->size() < total;) {
        if (visited.contains(where))
            return false;
        visited.insert(where);
        const uchar *data = nullptr;
        size_t len = 0;
        if (!rowAt(where, &data, &len) || len < 4)
            return false;
        const qint64 part = qMin<qint64>(qint64(len) - 4, total - out->size());
        out->append(reinterpret_cast<const char *>(data + 4), qsizetype(part));
        where = qFromLittleEndian<qint32>(data);
    }
    return true;
}

struct Value
{
    enum Kind { Null, Integer, Real, Text, Blob } kind = Null;
    qint64 integer = 0;
    double real = 0;
    QByteArray bytes;
};

int fixedSize(int type)
{
    switch (type) {
    case MDB_BYTE: return 1;
    case MDB_INT: return 2;
    case MDB_LONGINT: return 4;
    case MDB_FLOAT: return 4;
    case MDB_DOUBLE: return 8;
    case MDB_DATETIME: return 8;
    case MDB_MONEY: return 8;
    case MDB_REPID: return 16;
    case MDB_NUMERIC: return 17;
    default: return 0;
    }
}

QByteArray guidText(const uchar *p)
{
    // The first three groups are little-endian, the rest as stored.
    static const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    QByteArray text = "{";
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += QByteArray::number(p[order[i]] | 0x100, 16).right(2).toUpper();
    }
    return text + '}';
}

// One field of the current row, read from the page buffer.
bool decodeField(MdbHandle *mdb, const MdbColumn *col, const MdbField &field, qint64 fileSize, Value *v)
{
    *v = Value();
    if (col->col_type == MDB_BOOL) {
        // A yes/no field has no data: its null bit is its value.
        v->kind = Value::Integer;
        v->integer = field.is_null ? 0 : 1;
        return true;
    }
    if (field.is_null)
        return true;
    const int pageSize = int(mdb->fmt->pg_size);
    if (field.start < 0 || field.siz < 0 || field.start > pageSize || field.siz > pageSize - field.start)
        return false;
    const uchar *p = mdb->pg_buf + field.start;
    const int n = field.siz;
    const int need = fixedSize(col->col_type);
    if (need && n < need)
        return false;
    switch (col->col_type) {
    case MDB_BYTE:
        v->kind = Value::Integer;
        v->integer = p[0];
        return true;
    case MDB_INT:
        v->kind = Value::Integer;
        v->integer = qFromLittleEndian<qint16>(p);
        return true;
    case MDB_LONGINT:
        v->kind = Value::Integer;
        v->integer = qFromLittleEndian<qint32>(p);
        return true;
    case MDB_FLOAT: {
        const float f = qFromLittleEndian<float>(p);
        v->kind = Value::Real;
        v->real = double(f);
        return true;
    }
    case MDB_DOUBLE:
        v->kind = Value::Real;
        v->real = qFromLittleEndian<double>(p);
        return true;
    case MDB_DATETIME: {
        const QString text = JetDateTimeText(qFromLittleEndian<double>(p));
        if (!text.isEmpty()) {
            v->kind = Value::Text;
            v->bytes = text.toUtf8();
        }
        return true;
    }
    case MDB_MONEY:
        v->kind = Value::Text;
        v->bytes = JetCurrencyText(qFromLittleEndian<qint64>(p)).toUtf8();
        return true;
    case MDB_NUMERIC: {
        if (col->col_prec < 1 || col->col_prec > 28 || col->col_scale < 0 || col->col_scale > col->col_prec)
            return false;
        char *text = mdb_numeric_to_string(mdb, field.start, col->col_scale, col->col_prec);
        if (!text)
            return false;
        v->kind = Value::Text;
        v->bytes = QByteArray(text);
        g_free(text);
        return true;
    }
    case MDB_REPID:
        v->kind = Value::Text;
        v->bytes = guidText(p);
        return true;
    case MDB_TEXT:
        v->kind = Value::Text;
        v->bytes = decodeText(mdb, p, n);
        return true;
    case MDB_BINARY:
        v->kind = Value::Blob;
        v->bytes = QByteArray(reinterpret_cast<const char *>(p), n);
        return true;
    case MDB_MEMO:
    case MDB_OLE: {
        QByteArray raw;
        if (!readLongValue(mdb, field.start, n, fileSize, &raw))
            return false;
        if (col->col_type == MDB_MEMO) {
            v->kind = Value::Text;
            v->bytes = decodeText(mdb, reinterpret_cast<const uchar *>(raw.constData()), int(raw.size()));
        } else {
            v->kind = Value::Blob;
            v->bytes = raw;
        }
        return true;
    }
    default:
        return true; // a type this program has no use for reads as null
    }
}

// Walks the live rows of one table and decodes them from the page buffer.
// libmdb's own row fetch cannot tell a null from empty text, takes a page it
// cannot read for the end of the table, and skips rows it cannot take apart.
class RowScanner
{
public:
    RowScanner(MdbTableDef *table, qint64 fileSize, std::vector<bool> wanted = {})
        : m_table(table), m_fileSize(fileSize), m_wanted(std::move(wanted)), m_fields(table->num_cols)
    {
    }
    void rewind()
    {
        mdb_rewind_table(m_table);
        m_started = false;
        m_pageRow = 0;
    }
    // 1 a row in `values`, 0 the end, -1 damage: `column` then names the
    // field at fault, or stays empty when the table's pages are.
    int next(std::vector<Value> *values, QByteArray *column)
    {
        MdbHandle *mdb = m_table->entry->mdb;
        const int pageSize = int(mdb->fmt->pg_size);
        if (!m_started) {
            m_started = true;
            m_pageRow = 0;
            if (m_table->num_cols == 0)
                return 0;
            if (!mdb_read_next_dpg(m_table))
                return ended() ? 0 : -1;
        }
        for (;;) {
            const int rows = mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset);
            if (m_pageRow >= rows) {
                m_pageRow = 0;
                if (!mdb_read_next_dpg(m_table))
                    return ended() ? 0 : -1;
                continue;
            }
            const int row = m_pageRow++;
            int start = 0;
            size_t size = 0;
            if (mdb_find_row(mdb, row, &start, &size) != 0 || size == 0)
                continue;
            if (start & 0x4000) // deleted
                continue;
            start &= 0x1FFF;
            if (start >= pageSize || size > size_t(pageSize - start))
                continue;
            if (mdb_crack_row(m_table, start, size, m_fields.data()) < 0)
                return -1;
            values->assign(m_table->num_cols, Value());
            for (const MdbField &field : m_fields) {
                if (field.colnum < 0 || guint(field.colnum) >= m_table->num_cols)
                    continue;
                if (!m_wanted.empty() && !m_wanted[size_t(field.colnum)])
                    continue;
                const auto *col = static_cast<MdbColumn *>(g_ptr_array_index(m_table->columns, field.colnum));
                if (!decodeField(mdb, col, field, m_fileSize, &(*values)[size_t(field.colnum)])) {
                    *column = QByteArray(col->name);
                    return -1;
                }
            }
            return 1;
        }
    }

private:
    // After libmdb found no further data page: true when the table really
    // ends, false when its page map names a page that could not be read.
    bool ended() const
    {
        MdbHandle *mdb = m_table->entry->mdb;
        return mdb_map_find_next(mdb, m_table->usage_map, guint(m_table->map_sz), m_table->cur_phys_pg) <= 0;
    }

    MdbTableDef *m_table;
    qint64 m_fileSize;
    std::vector<bool> m_wanted;
    std::vector<MdbField> m_fields;
    bool m_started = false;
    int m_pageRow = 0;
};

struct CatalogRow
{
    QByteArray name;
    quint32 page = 0;
    quint32 flags = 0;
};

// The user tables listed in the catalog, itself a table whose definition is
// on page 2. It is read here rather than with libmdb's catalog reader, which
// also parses every object's properties and on some damaged ones allocates
// without end.
bool readCatalogRows(MdbHandle *mdb, qint64 fileSize, QList<CatalogRow> *tables)
{
    MdbCatalogEntry system = {};
    system.mdb = mdb;
    system.object_type = MDB_TABLE;
    system.table_pg = 2;
    qstrcpy(system.object_name, "MSysObjects");
    MdbTableDef *table = nullptr;
    if (!readTableDefinition(&system, fileSize, &table))
        return false;
    const std::unique_ptr<MdbTableDef, void (*)(MdbTableDef *)> owner(table, mdb_free_tabledef);
    if (!pagesInsideFile(table, fileSize))
        return false;
    int id = -1, name = -1, type = -1, flags = -1;
    std::vector<bool> wanted(table->num_cols, false);
    for (guint i = 0; i < table->num_cols; ++i) {
        const QByteArray column(static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i))->name);
        int *slot = column == "Id" ? &id : column == "Name" ? &name : column == "Type" ? &type
                                                              : column == "Flags" ? &flags : nullptr;
        if (slot) {
            *slot = int(i);
            wanted[i] = true;
        }
    }
    if (id < 0 || name < 0 || type < 0 || flags < 0)
        return false;
    RowScanner rows(table, fileSize, wanted);
    std::vector<Value> values;
    QByteArray bad;
    for (int got; (got = rows.next(&values, &bad)) != 0;) {
        if (got < 0)
            return false;
        const Value &t = values[size_t(type)];
        const Value &f = values[size_t(flags)];
        // Type 1 is a table; flags 0x80000002 mark the system's own.
        if (t.kind != Value::Integer || t.integer != MDB_TABLE || (f.kind == Value::Integer && (f.integer & 0x80000002)))
            continue;
        if (values[size_t(id)].kind != Value::Integer || values[size_t(name)].kind != Value::Text)
            continue;
        tables->append({values[size_t(name)].bytes, quint32(values[size_t(id)].integer) & 0x00FFFFFFu,
                        f.kind == Value::Integer ? quint32(f.integer) : 0u});
    }
    return true;
}

void fillEntry(MdbCatalogEntry *entry, MdbHandle *mdb, const CatalogRow &row)
{
    *entry = MdbCatalogEntry();
    entry->mdb = mdb;
    entry->object_type = MDB_TABLE;
    entry->table_pg = row.page;
    entry->flags = int(row.flags);
    qstrncpy(entry->object_name, row.name.constData(), sizeof entry->object_name);
}

// Opens the source afresh and reads one table's definition, so that every
// query has its own page buffers and position.
std::unique_ptr<JetReader> openTable(const JetFileInfo &file, const JetTableInfo &info, QString *error)
{
    auto reader = std::make_unique<JetReader>();
    reader->mdb = openHandle(file.source, error);
    if (!reader->mdb)
        return nullptr;
    if (!file.source.path.isEmpty())
        reader->identity = IdentityOfOpenFile(fileno(reader->mdb->f->stream));
    QList<CatalogRow> tables;
    const bool listed = readCatalogRows(reader->mdb, file.source.size, &tables);
    qsizetype found = -1;
    for (qsizetype i = 0; listed && i < tables.size() && found < 0; ++i) {
        if (tables[i].name == info.name)
            found = i;
    }
    if (found >= 0) {
        fillEntry(&reader->entry, reader->mdb, tables[found]);
        readTableDefinition(&reader->entry, file.source.size, &reader->table);
    }
    if (!reader->table) {
        *error = QStringLiteral("The table %1 of %2 cannot be read")
                     .arg(QString::fromUtf8(info.name), file.source.label);
        return nullptr;
    }
    if (!sameColumns(columnsOf(reader->table), info.columns)) {
        *error = QStringLiteral("The table %1 of %2 has changed since the file was opened")
                     .arg(QString::fromUtf8(info.name), file.source.label);
        return nullptr;
    }
    mdb_rewind_table(reader->table);
    return reader;
}

const char *declaredType(int type)
{
    switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return "INTEGER";
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return "REAL";
    case MDB_MONEY:
    case MDB_NUMERIC:
        return "NUMERIC";
    case MDB_BINARY:
    case MDB_OLE:
        return "BLOB";
    default:
        return "TEXT";
    }
}

QByteArray quotedIdentifier(const QByteArray &name)
{
    QByteArray quoted = name;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

// ---- the SQLite module -------------------------------------------------------

struct JetModule
{
    std::shared_ptr<JetFileInfo> file;
};

struct JetVtab
{
    sqlite3_vtab base; // first: SQLite hands this pointer back
    std::shared_ptr<JetFileInfo> file;
    int table = 0;
};

struct JetCursor
{
    sqlite3_vtab_cursor base;
    std::unique_ptr<JetReader> reader;
    std::unique_ptr<RowScanner> rows;
    bool eof = false;
    qint64 rowid = 0;
    std::vector<Value> values;
};

void setError(sqlite3_vtab *vtab, const QString &text)
{
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("%s", text.toUtf8().constData());
}

int xConnect(sqlite3 *db, void *aux, int argc, const char *const *argv, sqlite3_vtab **out, char **err)
{
    auto *module = static_cast<JetModule *>(aux);
    bool ok = false;
    const int index = argc > 3 ? QByteArray(argv[3]).toInt(&ok) : -1;
    if (!ok || index < 0 || index >= module->file->tables.size()) {
        *err = sqlite3_mprintf("unknown Access table");
        return SQLITE_ERROR;
    }
    const JetTableInfo &info = module->file->tables.at(index);
    QByteArray schema = "CREATE TABLE x(";
    if (info.columns.isEmpty())
        schema += "\"?\""; // SQLite wants a column; scanning a damaged table fails anyway
    for (qsizetype i = 0; i < info.columns.size(); ++i) {
        if (i)
            schema += ", ";
        schema += quotedIdentifier(info.columns[i].name) + ' ' + declaredType(info.columns[i].type);
    }
    schema += ')';
    const int rc = sqlite3_declare_vtab(db, schema.constData());
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

int xDisconnect(sqlite3_vtab *base)
{
    auto *vtab = reinterpret_cast<JetVtab *>(base);
    sqlite3_free(vtab->base.zErrMsg);
    delete vtab;
    return SQLITE_OK;
}

int xOpen(sqlite3_vtab *, sqlite3_vtab_cursor **out)
{
    auto *cursor = new JetCursor;
    cursor->base = sqlite3_vtab_cursor();
    *out = &cursor->base;
    return SQLITE_OK;
}

int xClose(sqlite3_vtab_cursor *base)
{
    delete reinterpret_cast<JetCursor *>(base);
    return SQLITE_OK;
}

// The file libmdb reads is still the one the path names, as it was when the
// scan's reader opened it. Always true for an image.
bool unchanged(const JetCursor *cursor, const JetFileInfo &file)
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
        setError(&vtab->base, ChangedWhileReadMessage(vtab->file->source.label));
        cursor->eof = true;
        return SQLITE_ERROR;
    }
    if (got < 0) {
        const JetTableInfo &info = vtab->file->tables.at(vtab->table);
        const QString table = QString::fromUtf8(info.name);
        setError(&vtab->base,
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
    const JetTableInfo &info = vtab->file->tables.at(vtab->table);
    if (!info.damage.isEmpty()) {
        setError(&vtab->base, info.damage);
        return SQLITE_CORRUPT;
    }
    if (!cursor->reader) {
        QString error;
        cursor->reader = openTable(*vtab->file, info, &error);
        if (!cursor->reader) {
            setError(&vtab->base, error);
            return SQLITE_ERROR;
        }
        cursor->rows = std::make_unique<RowScanner>(cursor->reader->table, vtab->file->source.size);
    }
    if (!unchanged(cursor, *vtab->file)) {
        setError(&vtab->base, ChangedWhileReadMessage(vtab->file->source.label));
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

int xEof(sqlite3_vtab_cursor *base)
{
    return reinterpret_cast<JetCursor *>(base)->eof;
}

int xColumn(sqlite3_vtab_cursor *base, sqlite3_context *ctx, int n)
{
    auto *cursor = reinterpret_cast<JetCursor *>(base);
    if (n < 0 || size_t(n) >= cursor->values.size()) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    const Value &v = cursor->values[size_t(n)];
    switch (v.kind) {
    case Value::Null: sqlite3_result_null(ctx); break;
    case Value::Integer: sqlite3_result_int64(ctx, v.integer); break;
    case Value::Real: sqlite3_result_double(ctx, v.real); break;
    case Value::Text: sqlite3_result_text(ctx, v.bytes.constData(), int(v.bytes.size()), SQLITE_TRANSIENT); break;
    case Value::Blob: sqlite3_result_blob(ctx, v.bytes.constData(), int(v.bytes.size()), SQLITE_TRANSIENT); break;
    }
    return SQLITE_OK;
}

int xRowid(sqlite3_vtab_cursor *base, sqlite3_int64 *rowid)
{
    *rowid = reinterpret_cast<JetCursor *>(base)->rowid;
    return SQLITE_OK;
}

const sqlite3_module kJetModule = {
    /* iVersion */ 1,
    /* xCreate */ xConnect,
    /* xConnect */ xConnect,
    /* xBestIndex */ xBestIndex,
    /* xDisconnect */ xDisconnect,
    /* xDestroy */ xDisconnect,
    /* xOpen */ xOpen,
    /* xClose */ xClose,
    /* xFilter */ xFilter,
    /* xNext */ xNext,
    /* xEof */ xEof,
    /* xColumn */ xColumn,
    /* xRowid */ xRowid,
    /* xUpdate: read only */ nullptr,
    /* xBegin */ nullptr,
    /* xSync */ nullptr,
    /* xCommit */ nullptr,
    /* xRollback */ nullptr,
    /* xFindFunction */ nullptr,
    /* xRename */ nullptr,
    /* xSavepoint */ nullptr,
    /* xRelease */ nullptr,
    /* xRollbackTo */ nullptr,
    /* xShadowName */ nullptr,
#if SQLITE_VERSION_NUMBER >= 3044000
    /* xIntegrity */ nullptr,
#endif
};

// Reads the list of user tables and their columns once, for the schema.
bool readCatalog(JetFileInfo *file, QString *error)
{
    JetReader holder;
    holder.mdb = openHandle(file->source, error);
    if (!holder.mdb)
        return false;
    QList<CatalogRow> tables;
    if (!readCatalogRows(holder.mdb, file->source.size, &tables)) {
        *error = QStringLiteral("The table list of the Access file %1 cannot be read: the file is incomplete or "
                                "damaged")
                     .arg(file->source.label);
        return false;
    }
    // A damaged table does not stop the others from being read: it stays
    // in the list, and reading it fails with the reason.
    QSet<QByteArray> seen;
    for (const CatalogRow &row : tables) {
        if (row.name.isEmpty() || seen.contains(row.name.toLower()))
            continue; // a name Jet would not allow: not a table of this file
        seen.insert(row.name.toLower());
        JetTableInfo info;
        info.name = row.name;
        MdbCatalogEntry entry;
        fillEntry(&entry, holder.mdb, row);
        MdbTableDef *table = nullptr;
        if (!readTableDefinition(&entry, file->source.size, &table)) {
            info.damage = QStringLiteral("The table %1 of %2 cannot be read: the file is damaged")
                              .arg(QString::fromUtf8(row.name), file->source.label);
        } else {
            info.columns = columnsOf(table);
            info.rowCount = qint64(table->num_rows);
            QSet<QByteArray> names;
            for (const JetColumnInfo &column : std::as_const(info.columns))
                names.insert(column.name.toLower());
            if (names.size() != info.columns.size() || names.contains(QByteArray())) {
                info.columns.clear(); // unusable as columns; scans report the damage
                info.damage = QStringLiteral("The table %1 of %2 cannot be read: the file is damaged")
                                  .arg(QString::fromUtf8(row.name), file->source.label);
            } else if (!pagesInsideFile(table, file->source.size))
                info.damage = QStringLiteral("The table %1 of %2 is incomplete or damaged")
                                  .arg(QString::fromUtf8(row.name), file->source.label);
            mdb_free_tabledef(table);
        }
        file->tables.append(info);
    }
    return true;
}

bool attach(sqlite3 *db, JetSource source, QString *error)
{
    if (!db) {
        *error = QStringLiteral("No database to attach %1 to").arg(source.label);
        return false;
    }
    auto file = std::make_shared<JetFileInfo>();
    file->source = std::move(source);
    if (!readCatalog(file.get(), error))
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
        const QByteArray sql = "CREATE VIRTUAL TABLE " + quotedIdentifier(file->tables[i].name) + " USING "
            + moduleName + '(' + QByteArray::number(i) + ')';
        char *message = nullptr;
        if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            *error = QStringLiteral("The table %1 of %2 cannot be used: %3")
                         .arg(QString::fromUtf8(file->tables[i].name), file->source.label,
                              QString::fromUtf8(message ? message : sqlite3_errmsg(db)));
            sqlite3_free(message);
            return false;
        }
    }
    return true;
}

} // namespace

bool AttachJetFile(sqlite3 *db, const QString &mdbFile, QString *error)
{
    JetSource source;
    source.label = mdbFile;
    const QFileInfo info(mdbFile);
    if (!info.exists()) {
        *error = QStringLiteral("The Access file %1 was not found").arg(mdbFile);
        return false;
    }
    // Never opened unless it is a regular file: a FIFO would hang the program.
    QFile f;
    if (!OpenRegularFile(&f, mdbFile, error))
        return false;
    source.size = f.size();
    if (!checkHeader(f.read(0x20), source.size, source, error))
        return false;
    source.path = QFile::encodeName(info.absoluteFilePath());
    return attach(db, std::move(source), error);
}

bool AttachJetImage(sqlite3 *db, const QByteArray &image, const QString &label, QString *error)
{
    JetSource source;
    source.label = label;
    source.image = image;
    source.size = image.size();
    if (!checkHeader(image.left(0x20), source.size, source, error))
        return false;
    return attach(db, std::move(source), error);
}

QString JetDateTimeText(double value)
{
    // Access keeps dates from 1 January 100 to 31 December 9999.
    if (!std::isfinite(value) || value < -657434.0 || value >= 2958466.0)
        return QString();
    const double whole = std::trunc(value);
    qint64 day = qint64(whole);
    qint64 seconds = qRound64(std::fabs(value - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++day;
    }
    const QDate date = QDate(1899, 12, 30).addDays(day);
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return QString();
    QString text = date.toString(QStringLiteral("yyyy-MM-dd"));
    if (seconds)
        text += QStringLiteral(" %1:%2:%3")
                    .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                    .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                    .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return text;
}

QString JetCurrencyText(qint64 tenThousandths)
{
    const bool negative = tenThousandths < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(tenThousandths) : quint64(tenThousandths);
    return QStringLiteral("%1%2.%3")
        .arg(negative ? QStringLiteral("-") : QString())
        .arg(magnitude / 10000)
        .arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
}
