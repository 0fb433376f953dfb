#include "VirtualTable.h"

namespace VirtualTable {

QString UnquotedArgument(const char *raw)
{
    QString s = QString::fromUtf8(raw).trimmed();
    if (s.size() >= 2 && (s.front() == QLatin1Char('\'') || s.front() == QLatin1Char('"')) && s.back() == s.front()) {
        const QChar q = s.front();
        s = s.mid(1, s.size() - 2);
        s.replace(QString(2, q), QString(q));
    }
    return s;
}

namespace {
QByteArray quoted(const QByteArray &text, char quote)
{
    QByteArray q = text;
    q.replace(quote, QByteArray(2, quote));
    return quote + q + quote;
}
} // namespace

QByteArray QuotedIdentifier(const QByteArray &name)
{
    return quoted(name, '"');
}

QByteArray QuotedLiteral(const QByteArray &text)
{
    return quoted(text, '\'');
}

void SetError(sqlite3_vtab *table, const QString &message)
{
    sqlite3_free(table->zErrMsg);
    table->zErrMsg = sqlite3_mprintf("%s", message.toUtf8().constData());
}

int DeclareColumns(sqlite3 *db, const std::vector<Column> &columns)
{
    QByteArray schema = "CREATE TABLE x(";
    for (const Column &column : columns) {
        if (&column != columns.data())
            schema += ", ";
        schema += QuotedIdentifier(column.name) + ' ' + column.type;
    }
    schema += ')';
    return sqlite3_declare_vtab(db, schema.constData());
}

int DeclareUnreadable(sqlite3 *db)
{
    return sqlite3_declare_vtab(db, "CREATE TABLE x(\"_error\" TEXT)");
}

bool HasTable(sqlite3 *db, const QByteArray &name)
{
    sqlite3_stmt *exists = nullptr;
    sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE name = ?1 COLLATE NOCASE", -1, &exists, nullptr);
    sqlite3_bind_text(exists, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    const bool present = sqlite3_step(exists) == SQLITE_ROW;
    sqlite3_finalize(exists);
    return present;
}

bool CreateTable(sqlite3 *db, const QByteArray &name, const QByteArray &module, const QByteArray &argument,
                 QString *message)
{
    const QByteArray sql = "CREATE VIRTUAL TABLE " + QuotedIdentifier(name) + " USING " + module + '(' + argument + ')';
    char *text = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &text) == SQLITE_OK)
        return true;
    *message = QString::fromUtf8(text ? text : sqlite3_errmsg(db));
    sqlite3_free(text);
    return false;
}

} // namespace VirtualTable
