#include "WorkTables.h"

#include "app/AppSettings.h"
#include "app/UserInterface.h"
#include "app/Values.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

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
    return QStringLiteral("The query failed: %1\r\n%2").arg(sql, error.text());
}

TariffMaster::TariffMaster(const QString &connectionName)
    : m_connection(connectionName)
{
}

TariffMaster::~TariffMaster()
{
    m_known = QSqlQuery();
    m_unit = QSqlQuery();
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

bool TariffMaster::contains(const QString &tariffNo, bool *known)
{
    const auto cached = m_knownCache.constFind(tariffNo);
    if (cached != m_knownCache.constEnd()) {
        *known = cached.value();
        return true;
    }
    if (!m_knownReady) {
        if (!prepare(&m_known, kMasterCheckSql))
            return false;
        m_knownReady = true;
    }
    if (!run(&m_known, tariffNo))
        return false;
    *known = m_known.next();
    m_known.finish();
    if (m_knownCache.size() >= kCacheLimit)
        m_knownCache.clear();
    m_knownCache.insert(tariffNo, *known);
    return true;
}

bool TariffMaster::unitFor(const QString &tariffNo, QString *unit)
{
    const auto cached = m_unitCache.constFind(tariffNo);
    if (cached != m_unitCache.constEnd()) {
        *unit = cached.value();
        return true;
    }
    if (!m_unitReady) {
        if (!prepare(&m_unit, kUnitSql))
            return false;
        m_unitReady = true;
    }
    if (!run(&m_unit, tariffNo))
        return false;
    QString result;
    while (m_unit.next())
        result = ValueText(m_unit.value(0));
    m_unit.finish();
    if (result.isEmpty())
        result = QStringLiteral("U");
    if (m_unitCache.size() >= kCacheLimit)
        m_unitCache.clear();
    m_unitCache.insert(tariffNo, result);
    *unit = result;
    return true;
}

bool GetUnitForTariff(TariffMaster &master, const QString &tariffNo, QString *unit)
{
    return master.unitFor(tariffNo, unit);
}

QString GetUnitForTariff(const QString &tariffNo, QString *error)
{
    TariffMaster master(Settings().cnProgram);
    QString unit;
    if (!GetUnitForTariff(master, tariffNo, &unit)) {
        if (error)
            *error = master.errorString();
        return QString();
    }
    return unit;
}
