#include "WorkTables.h"

#include "app/AppSettings.h"
#include "app/Connections.h"
#include "app/SqliteTemp.h"
#include "app/UserInterface.h"
#include "app/Values.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

namespace {
// Tariff numbers are few; the bound only keeps memory flat on strange data.
constexpr qsizetype kCacheLimit = 100000;
} // namespace

QString MissingWorkTable()
{
    for (const QString &name : {QStringLiteral("stemp4.DBF"), QStringLiteral("ptemp5.DBF")})
        if (FindFileNoCase(AppFolder(), name).isEmpty())
            return name;
    return QString();
}

bool CheckWorkTables()
{
    const QString missing = MissingWorkTable();
    if (missing.isEmpty())
        return true;
    const QString which = missing.startsWith(QLatin1Char('s')) ? QStringLiteral("sTemp4") : QStringLiteral("pTemp5");
    ShowMessage(QStringLiteral("File Not Available (%1)").arg(which), QStringLiteral("Invalid File"),
                MsgBoxType::Critical, MsgButtons::Ok, true);
    return false;
}

QString WorkTableQueryFailure(const QString &connection, const QString &table, const QString &sql,
                              const QSqlError &error)
{
    // A table reader that cannot read its file says why when it is read; the
    // query's own error ("no such column") would only mislead.
    QSqlQuery probe(QSqlDatabase::database(connection, false));
    probe.setForwardOnly(true);
    if (!probe.exec(QStringLiteral("SELECT * FROM ") + table) || (!probe.next() && probe.lastError().isValid())) {
        const QString reason = probe.lastError().databaseText();
        if (!reason.isEmpty() && reason != error.databaseText())
            return reason;
    }
    return QStringLiteral("The query failed: %1\r\n%2").arg(sql, error.text()) + SqliteFullNote(error);
}

QString WorkTablesNotReady(const QString &companyConnection, const QString &programConnection)
{
    if (!QSqlDatabase::database(companyConnection, false).isOpen())
        return QStringLiteral("No company is chosen: the company's data are not open.");
    if (!ConnectionIsOpen(programConnection))
        return kTariffMasterMissing;
    return QString();
}

QString SqliteFullNote(const QSqlError &error)
{
    // The extended code's low byte is the primary one.
    if ((error.nativeErrorCode().toInt() & 0xFF) != SQLITE_FULL)
        return QString();
    return QStringLiteral("\r\nThe disk that holds %1, where the table is sorted, is full.")
        .arg(SqliteTemporaryFolder());
}

TariffMaster::TariffMaster(const QString &connectionName)
    : m_connection(connectionName)
{
}

TariffMaster::~TariffMaster()
{
    m_exact = QSqlQuery();
    m_cleaned = QSqlQuery();
    if (m_snapshot)
        QSqlDatabase::database(m_connection, false).rollback(); // it only read
}

bool TariffMaster::prepare(QSqlQuery *query, const QString &sql)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.isOpen()) {
        m_error = QStringLiteral("%1\r\nThe tariff master database is not open.").arg(sql);
        return false;
    }
    // All lookups of one return read one snapshot of the master, under one
    // lock, rather than locking and checking the file again for each number.
    if (!m_snapshot && !m_triedSnapshot) {
        m_triedSnapshot = true;
        m_snapshot = db.transaction();
    }
    *query = QSqlQuery(db);
    query->setForwardOnly(true);
    if (!query->prepare(sql)) {
        m_error = sql + QStringLiteral("\r\n") + query->lastError().text();
        return false;
    }
    return true;
}

bool TariffMaster::run(QSqlQuery *query, const QString &tariffNo)
{
    query->bindValue(0, tariffNo);
    if (!query->exec()) {
        m_error = query->lastQuery() + QStringLiteral("\r\n") + query->lastError().text();
        return false;
    }
    return true;
}

namespace {
// A tariff number as the lookups compare it: without blanks and dots, on
// either side, whichever way it was typed.
QString lookupKey(const QString &tariffNo)
{
    QString key;
    key.reserve(tariffNo.size());
    for (QChar c : tariffNo)
        if (c != QLatin1Char(' ') && c != QLatin1Char('.'))
            key.append(c);
    return key;
}
} // namespace

// The rows of Import for `key`: those stored as it is, through the index,
// else those stored with blanks or dots (a scan, once per number).
bool TariffMaster::select(const QString &key, QSqlQuery **rows)
{
    QSqlQuery *queries[] = {&m_exact, &m_cleaned};
    const QString sqls[] = {kUnitSql, kCleanedUnitSql};
    for (int i = 0; i < 2; ++i) {
        QSqlQuery *q = queries[i];
        if (!q->isValid() && q->lastQuery().isEmpty() && !prepare(q, sqls[i]))
            return false;
        if (!run(q, key))
            return false;
        if (q->next() || i == 1) {
            *rows = q;
            return true;
        }
        q->finish();
    }
    return true;
}

bool TariffMaster::find(const QString &tariffNo, Entry *entry)
{
    const QString key = lookupKey(tariffNo);
    const auto cached = m_cache.constFind(key);
    if (cached != m_cache.constEnd()) {
        *entry = cached.value();
        return true;
    }
    QSqlQuery *rows = nullptr;
    if (!select(key, &rows))
        return false;
    Entry e;
    // The last row's unit wins.
    for (bool row = rows->isValid(); row; row = rows->next()) {
        e.known = true;
        e.unit = ValueText(rows->value(0));
    }
    rows->finish();
    if (m_cache.size() >= kCacheLimit)
        m_cache.clear();
    m_cache.insert(key, e);
    *entry = e;
    return true;
}

bool TariffMaster::lookUp(const QString &tariffNo, bool *known, QString *storedUnit)
{
    Entry e;
    if (!find(tariffNo, &e))
        return false;
    *known = e.known;
    *storedUnit = e.unit;
    return true;
}

bool GetUnitForTariff(TariffMaster &master, const QString &tariffNo, QString *unit, bool *known, bool *defaulted)
{
    bool inMaster = false;
    if (!master.lookUp(tariffNo, &inMaster, unit))
        return false;
    if (known)
        *known = inMaster;
    if (defaulted)
        *defaulted = unit->isEmpty();
    if (unit->isEmpty())
        *unit = QStringLiteral("U");
    return true;
}
