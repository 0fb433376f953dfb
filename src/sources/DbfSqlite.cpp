#include "DbfSqlite.h"

#include "DbfTable.h"
#include "VirtualTable.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cmath>
#include <cstring>
#include <memory>
#include <sqlite3.h>
#include <vector>

using namespace VirtualTable;

namespace {
struct DbfVTab
{
    sqlite3_vtab base{};
    QString path;
    QString openError; // the file could not be read when the table was made
    bool refused = false; // its fields could not be declared: openError says why
    std::vector<DbfField> declared; // the fields the table was declared with
    std::vector<int> columnField; // column of the table -> field of the file (repeated names are left out)
};

struct OrderTerm
{
    int field = 0;
    bool desc = false;
};

// Keys of ORDER BY terms for one record, and a check that records come in that order.
class OrderCheck
{
public:
    void reset(std::vector<OrderTerm> terms)
    {
        m_terms = std::move(terms);
        m_previous.assign(m_terms.size(), DbfValue());
        m_current.assign(m_terms.size(), DbfValue());
        m_first = true;
    }
    bool active() const { return !m_terms.empty(); }
    // False when the current record sorts before the one read last (or when
    // a key cannot be read: the table has then failed).
    bool next(const DbfTable &table);

private:
    std::vector<OrderTerm> m_terms;
    std::vector<DbfValue> m_previous;
    std::vector<DbfValue> m_current;
    bool m_first = true;
};

struct DbfCursor
{
    sqlite3_vtab_cursor base{};
    DbfTable table;
    DbfValue value;
    OrderCheck order; // set when the scan promised SQLite the ORDER BY's order
    bool eof = true;
};

// SQLite's order for the values a scan hands out (BINARY collation): NULL
// first, then numbers by value, then text by its bytes, then blobs (numeric
// fields that hold no number) by theirs.
int typeRank(const DbfValue &v)
{
    switch (v.kind) {
    case DbfValue::Null:
        return 0;
    case DbfValue::Integer:
        return 1;
    case DbfValue::Real:
        return std::isnan(v.real) ? 0 : 1; // SQLite stores NaN as NULL
    case DbfValue::Text:
        return 2;
    case DbfValue::BadNumber:
        return 3;
    }
    return 0;
}

int integerRealCompare(qint64 i, double r)
{
    if (r < -9223372036854775808.0)
        return 1;
    if (r >= 9223372036854775808.0)
        return -1;
    const qint64 y = qint64(r);
    if (i != y)
        return i < y ? -1 : 1;
    const double s = double(i);
    return s < r ? -1 : (s > r ? 1 : 0);
}

int compareValues(const DbfValue &a, const DbfValue &b)
{
    const int ra = typeRank(a);
    const int rb = typeRank(b);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    if (ra == 0)
        return 0;
    if (ra >= 2) {
        const size_t n = std::min(a.text.size(), b.text.size());
        const int c = n ? memcmp(a.text.data(), b.text.data(), n) : 0;
        if (c != 0)
            return c < 0 ? -1 : 1;
        return a.text.size() == b.text.size() ? 0 : (a.text.size() < b.text.size() ? -1 : 1);
    }
    if (a.kind == DbfValue::Integer && b.kind == DbfValue::Integer)
        return a.integer == b.integer ? 0 : (a.integer < b.integer ? -1 : 1);
    if (a.kind == DbfValue::Real && b.kind == DbfValue::Real)
        return a.real == b.real ? 0 : (a.real < b.real ? -1 : 1);
    if (a.kind == DbfValue::Integer)
        return integerRealCompare(a.integer, b.real);
    return -integerRealCompare(b.integer, a.real);
}

bool OrderCheck::next(const DbfTable &table)
{
    for (size_t i = 0; i < m_terms.size(); ++i) {
        if (!table.value(m_terms[i].field, m_current[i]))
            return false;
    }
    bool ordered = true;
    if (!m_first) {
        for (size_t i = 0; i < m_terms.size(); ++i) {
            int c = compareValues(m_previous[i], m_current[i]);
            if (m_terms[i].desc)
                c = -c;
            if (c != 0) {
                ordered = c < 0;
                break;
            }
        }
    }
    m_first = false;
    m_previous.swap(m_current);
    return ordered;
}

const char *declaredType(char type, int decimals)
{
    switch (type) {
    case 'N':
    case 'F':
        return decimals > 0 ? "REAL" : "NUMERIC";
    case 'I':
        return "INTEGER";
    case 'Y':
    case 'B':
        return "REAL";
    case 'L':
        return "BOOLEAN";
    case 'D':
        return "DATE";
    case 'T':
        return "DATETIME";
    default:
        return "TEXT";
    }
}

int xConnect(sqlite3 *db, void *, int argc, const char *const *argv, sqlite3_vtab **out, char **err)
{
    if (argc < 4) {
        *err = sqlite3_mprintf("dbf: the table needs the file's path");
        return SQLITE_ERROR;
    }
    auto vtab = std::make_unique<DbfVTab>();
    vtab->path = UnquotedArgument(argv[3]);

    DbfTable table;
    QString error;
    std::vector<Column> columns;
    // The columns come from the table alone: a memo file that cannot be read
    // fails the queries, with its reason, not the table's declaration.
    if (table.open(vtab->path, &error, false)) {
        vtab->declared = table.fields();
        QSet<QString> seen;
        for (const DbfField &f : vtab->declared) {
            const QString key = f.name.toLower();
            if (seen.contains(key))
                continue; // a repeated name cannot be a column twice; the first one wins
            seen.insert(key);
            vtab->columnField.push_back(int(&f - vtab->declared.data()));
            columns.push_back({f.name.toUtf8(), declaredType(f.type, f.decimals)});
        }
    } else {
        vtab->openError = error;
    }
    if (vtab->openError.isEmpty() && DeclareColumns(db, columns) != SQLITE_OK) {
        vtab->openError = QStringLiteral("%1 is damaged: its fields cannot be the columns of a table (%2)")
                              .arg(QFileInfo(vtab->path).fileName(), QString::fromUtf8(sqlite3_errmsg(db)));
        vtab->refused = true;
        vtab->declared.clear();
        vtab->columnField.clear();
    }
    // A table that cannot be read still exists, so that reading it gives the reason.
    if (!vtab->openError.isEmpty()) {
        const int rc = DeclareUnreadable(db);
        if (rc != SQLITE_OK) {
            *err = sqlite3_mprintf("%s: %s", vtab->path.toUtf8().constData(), sqlite3_errmsg(db));
            return rc;
        }
    }
    *out = &vtab.release()->base;
    return SQLITE_OK;
}

// Whether the file's records already come in the order of `terms`.
bool fileIsOrdered(const DbfVTab *t, const std::vector<OrderTerm> &terms)
{
    DbfTable table;
    QString error;
    if (!table.open(t->path, &error) || table.fields().size() != t->declared.size())
        return false;
    OrderCheck check;
    check.reset(terms);
    while (table.next()) {
        if (!check.next(table))
            return false; // most unordered tables stop here within a few records
    }
    return !table.failed();
}

QByteArray encodeTerms(const std::vector<OrderTerm> &terms)
{
    QByteArray out;
    for (const OrderTerm &term : terms)
        out += QByteArray::number(term.field) + (term.desc ? '-' : '+');
    return out;
}

std::vector<OrderTerm> decodeTerms(const char *text)
{
    std::vector<OrderTerm> terms;
    OrderTerm term;
    for (const char *p = text ? text : ""; *p; ++p) {
        if (*p >= '0' && *p <= '9') {
            term.field = term.field * 10 + (*p - '0');
        } else {
            term.desc = *p == '-';
            terms.push_back(term);
            term = OrderTerm();
        }
    }
    return terms;
}

// A table written in the order a query asks for (the supplier documents by
// serial number, often the invoice lines by number) is handed out as it
// stands, sparing SQLite a sort of the whole table through temporary files.
// Equal keys then come in file order, as SQLite's own sort leaves them.
int xBestIndex(sqlite3_vtab *vtab, sqlite3_index_info *info)
{
    const auto *t = reinterpret_cast<DbfVTab *>(vtab);
    info->estimatedCost = 1000.0 + double(t->declared.size());
    info->estimatedRows = 1000;
    if (info->nOrderBy <= 0 || !t->openError.isEmpty())
        return SQLITE_OK;
    std::vector<OrderTerm> terms;
    for (int i = 0; i < info->nOrderBy; ++i) {
        const int column = info->aOrderBy[i].iColumn;
        if (column < 0 || size_t(column) >= t->columnField.size())
            return SQLITE_OK; // rowid or unknown: leave the sorting to SQLite
        terms.push_back(OrderTerm{t->columnField[size_t(column)], info->aOrderBy[i].desc != 0});
    }
    if (!fileIsOrdered(t, terms))
        return SQLITE_OK;
    const QByteArray encoded = encodeTerms(terms);
    info->idxNum = 1;
    info->idxStr = sqlite3_mprintf("%s", encoded.constData());
    info->needToFreeIdxStr = 1;
    info->orderByConsumed = 1;
    return SQLITE_OK;
}

int xOpen(sqlite3_vtab *vtab, sqlite3_vtab_cursor **out)
{
    auto *t = reinterpret_cast<DbfVTab *>(vtab);
    auto cursor = std::make_unique<DbfCursor>();
    QString error;
    // Opened afresh, so the reason given is the file's as it is now.
    if (!cursor->table.open(t->path, &error)) {
        SetError(vtab, error);
        return SQLITE_ERROR;
    }
    if (t->refused) {
        SetError(vtab, t->openError);
        return SQLITE_ERROR;
    }
    const std::vector<DbfField> &now = cursor->table.fields();
    bool same = now.size() == t->declared.size();
    for (size_t i = 0; same && i < now.size(); ++i)
        same = now[i].name.compare(t->declared[i].name, Qt::CaseInsensitive) == 0 && now[i].type == t->declared[i].type;
    if (!same) {
        SetError(vtab, QStringLiteral(
                           "%1: the table's fields changed while the program was reading it; select the company again")
                           .arg(QFileInfo(t->path).fileName()));
        return SQLITE_ERROR;
    }
    *out = &cursor.release()->base;
    return SQLITE_OK;
}

int advance(DbfCursor *c)
{
    c->eof = !c->table.next();
    if (c->eof && c->table.failed()) {
        SetError(c->base.pVtab, c->table.error());
        return SQLITE_ERROR;
    }
    if (!c->eof && c->order.active() && !c->order.next(c->table)) {
        if (c->table.failed()) {
            SetError(c->base.pVtab, c->table.error());
            return SQLITE_ERROR;
        }
        // Rewritten between planning and reading: the promised order would be a lie.
        SetError(c->base.pVtab, QStringLiteral("%1: the table changed while the program was reading it; try again")
                                    .arg(QFileInfo(c->table.path()).fileName()));
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

int xFilter(sqlite3_vtab_cursor *cursor, int idxNum, const char *idxStr, int, sqlite3_value **)
{
    auto *c = reinterpret_cast<DbfCursor *>(cursor);
    // A scan reads one state of the file: the one opened, checked here and at its end.
    if (!c->table.rewind()) {
        c->eof = true;
        SetError(cursor->pVtab, c->table.error());
        return SQLITE_ERROR;
    }
    c->order.reset(idxNum == 1 ? decodeTerms(idxStr) : std::vector<OrderTerm>());
    return advance(c);
}

int xNext(sqlite3_vtab_cursor *cursor)
{
    return advance(reinterpret_cast<DbfCursor *>(cursor));
}

int xColumn(sqlite3_vtab_cursor *cursor, sqlite3_context *ctx, int column)
{
    auto *c = reinterpret_cast<DbfCursor *>(cursor);
    const auto *t = reinterpret_cast<const DbfVTab *>(cursor->pVtab);
    if (column < 0 || size_t(column) >= t->columnField.size()) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    if (!c->table.value(t->columnField[size_t(column)], c->value)) {
        const QByteArray message = c->table.error().toUtf8();
        sqlite3_result_error(ctx, message.constData(), int(message.size()));
        return SQLITE_ERROR;
    }
    const DbfValue &v = c->value;
    SetResult(ctx, ValueKind(v.kind), v.integer, v.real, v.text.data(), v.text.size());
    return SQLITE_OK;
}

int xRowid(sqlite3_vtab_cursor *cursor, sqlite3_int64 *rowid)
{
    *rowid = reinterpret_cast<DbfCursor *>(cursor)->table.recordNumber();
    return SQLITE_OK;
}

// A table's kinds of value are SQLite's; a number that is none comes as a blob.
static_assert(int(DbfValue::Null) == int(ValueKind::Null) && int(DbfValue::Integer) == int(ValueKind::Integer)
              && int(DbfValue::Real) == int(ValueKind::Real) && int(DbfValue::Text) == int(ValueKind::Text)
              && int(DbfValue::BadNumber) == int(ValueKind::Blob));

const sqlite3_module kModule =
    ReadOnlyModule<DbfVTab, DbfCursor>({xConnect, xBestIndex, xOpen, xFilter, xNext, xColumn, xRowid});

} // namespace

bool RegisterDbfModule(sqlite3 *db, QString *error)
{
    const int rc = sqlite3_create_module_v2(db, "dbf", &kModule, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        return false;
    }
    return true;
}

bool AttachDbfFolder(sqlite3 *db, const QString &folder, QString *error)
{
    const QDir dir(folder);
    if (!dir.exists()) {
        *error = QStringLiteral("The folder %1 does not exist").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    // FIFOs and devices count as system files: listed, so that reading one
    // says what it is rather than the table being silently absent.
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::System, QDir::Name);
    for (const QFileInfo &file : files) {
        if (file.suffix().compare(QLatin1String("dbf"), Qt::CaseInsensitive) != 0)
            continue;
        const QByteArray name = file.completeBaseName().toUtf8();
        if (HasTable(db, name))
            continue; // already there, or another file whose name differs only in case
        // A name SQLite cannot take is left out; the other tables stay usable.
        QString ignored;
        CreateTable(db, name, "dbf", QuotedLiteral(file.absoluteFilePath().toUtf8()), &ignored);
    }
    return true;
}
