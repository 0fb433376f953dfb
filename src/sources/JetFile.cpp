#include "JetFile.h"

#include "app/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>

#include <cstdio>

namespace {

using namespace Jet;

// Checks the first page's signature ourselves, so that libmdb is only ever
// handed something that starts like a Jet database of a version it reads.
bool checkHeader(const QByteArray &head, const Source &source, QString *error)
{
    const qint64 size = source.size;
    static const char jetMagic[] = "Standard Jet DB";
    static const char aceMagic[] = "Standard ACE DB";
    const bool magic = head.size() >= 0x18 && head.at(0) == 0 && head.at(1) == 1 && head.at(2) == 0 && head.at(3) == 0
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

Handle openHandle(const Source &source, QString *error)
{
    if (!source.path.isEmpty()) {
        // libmdb opens by name, and would wait for ever on a FIFO put in the file's place.
        const QString problem = RegularFileProblem(QFile::decodeName(source.path));
        if (!problem.isEmpty()) {
            *error = problem;
            return nullptr;
        }
    }
    Handle mdb(source.path.isEmpty() ? mdb_open_buffer(const_cast<char *>(source.image.constData()),
                                                       size_t(source.image.size()), MDB_NOFLAGS)
                                     : mdb_open(source.path.constData(), MDB_NOFLAGS));
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

// The table's definition and columns, or null when libmdb could not follow them.
TableDef readTableDefinition(MdbCatalogEntry *entry, qint64 fileSize)
{
    TableDef table(mdb_read_table(entry));
    if (!table || !usageMapSound(table.get(), fileSize) || !mdb_read_columns(table.get()) || !table->columns
        || table->columns->len != table->num_cols)
        return nullptr;
    return table;
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

QList<ColumnInfo> columnsOf(const MdbTableDef *table)
{
    QList<ColumnInfo> columns;
    for (guint i = 0; i < table->num_cols; ++i) {
        auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        columns.append({QByteArray(col->name), col->col_type, col->col_scale, col->col_prec});
    }
    return columns;
}

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
    const TableDef table = readTableDefinition(&system, fileSize);
    if (!table || !pagesInsideFile(table.get(), fileSize))
        return false;
    int id = -1, name = -1, type = -1, flags = -1;
    std::vector<bool> wanted(table->num_cols, false);
    for (guint i = 0; i < table->num_cols; ++i) {
        const QByteArray column(static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i))->name);
        int *slot = column == "Id"      ? &id
                    : column == "Name"  ? &name
                    : column == "Type"  ? &type
                    : column == "Flags" ? &flags
                                        : nullptr;
        if (slot) {
            *slot = int(i);
            wanted[i] = true;
        }
    }
    if (id < 0 || name < 0 || type < 0 || flags < 0)
        return false;
    RowScanner rows(table.get(), fileSize, wanted);
    std::vector<Value> values;
    QByteArray bad;
    for (int got; (got = rows.next(&values, &bad)) != 0;) {
        if (got < 0)
            return false;
        const Value &t = values[size_t(type)];
        const Value &f = values[size_t(flags)];
        // Type 1 is a table; flags 0x80000002 mark the system's own.
        if (t.kind != Value::Integer || t.integer != MDB_TABLE
            || (f.kind == Value::Integer && (f.integer & 0x80000002)))
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

} // namespace

namespace Jet {

std::unique_ptr<TableReader> OpenTable(const FileInfo &file, const TableInfo &info, QString *error)
{
    auto reader = std::make_unique<TableReader>();
    reader->mdb = openHandle(file.source, error);
    if (!reader->mdb)
        return nullptr;
    if (!file.source.path.isEmpty())
        reader->identity = IdentityOfOpenFile(fileno(reader->mdb->f->stream));
    QList<CatalogRow> tables;
    const bool listed = readCatalogRows(reader->mdb.get(), file.source.size, &tables);
    qsizetype found = -1;
    for (qsizetype i = 0; listed && i < tables.size() && found < 0; ++i) {
        if (tables[i].name == info.name)
            found = i;
    }
    if (found >= 0) {
        fillEntry(&reader->entry, reader->mdb.get(), tables[found]);
        reader->table = readTableDefinition(&reader->entry, file.source.size);
    }
    if (!reader->table) {
        *error =
            QStringLiteral("The table %1 of %2 cannot be read").arg(QString::fromUtf8(info.name), file.source.label);
        return nullptr;
    }
    if (columnsOf(reader->table.get()) != info.columns) {
        *error = QStringLiteral("The table %1 of %2 has changed since the file was opened")
                     .arg(QString::fromUtf8(info.name), file.source.label);
        return nullptr;
    }
    mdb_rewind_table(reader->table.get());
    return reader;
}

bool ReadCatalog(FileInfo *file, QString *error)
{
    const Handle mdb = openHandle(file->source, error);
    if (!mdb)
        return false;
    QList<CatalogRow> tables;
    if (!readCatalogRows(mdb.get(), file->source.size, &tables)) {
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
        TableInfo info;
        info.name = row.name;
        MdbCatalogEntry entry;
        fillEntry(&entry, mdb.get(), row);
        const TableDef table = readTableDefinition(&entry, file->source.size);
        if (!table) {
            info.damage = QStringLiteral("The table %1 of %2 cannot be read: the file is damaged")
                              .arg(QString::fromUtf8(row.name), file->source.label);
        } else {
            info.columns = columnsOf(table.get());
            info.rowCount = qint64(table->num_rows);
            QSet<QByteArray> names;
            for (const ColumnInfo &column : std::as_const(info.columns))
                names.insert(column.name.toLower());
            if (names.size() != info.columns.size() || names.contains(QByteArray())) {
                info.columns.clear(); // unusable as columns; scans report the damage
                info.damage = QStringLiteral("The table %1 of %2 cannot be read: the file is damaged")
                                  .arg(QString::fromUtf8(row.name), file->source.label);
            } else if (!pagesInsideFile(table.get(), file->source.size))
                info.damage = QStringLiteral("The table %1 of %2 is incomplete or damaged")
                                  .arg(QString::fromUtf8(row.name), file->source.label);
        }
        file->tables.append(info);
    }
    return true;
}

bool SourceOfPath(const QString &mdbFile, Source *source, QString *error)
{
    source->label = mdbFile;
    const QFileInfo info(mdbFile);
    if (!info.exists()) {
        *error = QStringLiteral("The Access file %1 was not found").arg(mdbFile);
        return false;
    }
    // Never opened unless it is a regular file: a FIFO would hang the program.
    QFile f;
    if (!OpenRegularFile(&f, mdbFile, error))
        return false;
    source->size = f.size();
    if (!checkHeader(f.read(0x20), *source, error))
        return false;
    source->path = QFile::encodeName(info.absoluteFilePath());
    return true;
}

bool SourceOfImage(const QByteArray &image, const QString &label, Source *source, QString *error)
{
    source->label = label;
    source->image = image;
    source->size = image.size();
    return checkHeader(image.left(0x20), *source, error);
}

RowScanner::RowScanner(MdbTableDef *table, qint64 fileSize, std::vector<bool> wanted)
    : m_table(table)
    , m_fileSize(fileSize)
    , m_wanted(std::move(wanted))
    , m_fields(table->num_cols)
{
}

void RowScanner::rewind()
{
    mdb_rewind_table(m_table);
    m_started = false;
    m_pageRow = 0;
}

int RowScanner::next(std::vector<Value> *values, QByteArray *column)
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
            if (!DecodeField(mdb, col, field, m_fileSize, &(*values)[size_t(field.colnum)])) {
                *column = QByteArray(col->name);
                return -1;
            }
        }
        return 1;
    }
}

// After libmdb found no further data page: true when the table really
// ends, false when its page map names a page that could not be read.
bool RowScanner::ended() const
{
    MdbHandle *mdb = m_table->entry->mdb;
    return mdb_map_find_next(mdb, m_table->usage_map, guint(m_table->map_sz), m_table->cur_phys_pg) <= 0;
}

} // namespace Jet
