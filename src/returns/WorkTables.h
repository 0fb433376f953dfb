#pragma once

#include <QHash>
#include <QSqlQuery>
#include <QString>

class QSqlError;

// True when both work table files, "stemp4.DBF" and "ptemp5.DBF", are in the
// application folder (letter case of the names ignored). Otherwise shows
// "File Not Available (sTemp4)" or "(pTemp5)" and gives false.
bool CheckWorkTables();

// The same test without a message: "stemp4.DBF" or "ptemp5.DBF", whichever is
// missing first, or the empty text when both are there.
QString MissingWorkTable();

// The message for a failed query of the work table `table`: the table
// reader's own reason when the table cannot be read at all (a damaged file),
// otherwise "The query failed: <sql>" and the error.
QString WorkTableQueryFailure(const QString &connection, const QString &table, const QString &sql,
                              const QSqlError &error);

// The tariff master `Import` over one connection (cnProgram). Both statements
// are prepared once and take the tariff number as a bound value, so any text,
// apostrophes included, is looked up as it is. Answers are kept for the run:
// the master does not change while a return is written.
class TariffMaster
{
public:
    explicit TariffMaster(const QString &connectionName);
    ~TariffMaster();
    TariffMaster(const TariffMaster &) = delete;
    TariffMaster &operator=(const TariffMaster &) = delete;

    // Master check: at least one row of Import has this TariffNo.
    bool contains(const QString &tariffNo, bool *known);
    // The last row's Unit for this TariffNo; "U" when there is none or it is
    // null or empty. Never empty on success.
    bool unitFor(const QString &tariffNo, QString *unit);

    // The failing statement and the database's reason.
    QString errorString() const { return m_error; }

private:
    bool prepare(QSqlQuery *query, const QString &sql);
    bool run(QSqlQuery *query, const QString &tariffNo);

    QString m_connection;
    QSqlQuery m_known;
    QSqlQuery m_unit;
    bool m_knownReady = false;
    bool m_unitReady = false;
    bool m_triedSnapshot = false;
    bool m_snapshot = false; // a read transaction of ours is open
    QHash<QString, bool> m_knownCache;
    QHash<QString, QString> m_unitCache;
    QString m_error;
};

inline const QString kMasterCheckSql = QStringLiteral("Select TariffNo from IMport Where Tariffno =?");
inline const QString kUnitSql = QStringLiteral("Select Unit from Import Where TariffNo=? ");

// One unit lookup over cnProgram. On a failing query gives the empty text and
// fills `error`.
QString GetUnitForTariff(const QString &tariffNo, QString *error = nullptr);
// The same through a master the caller keeps for a whole return, so each
// number is looked up once; false when the master cannot be read.
bool GetUnitForTariff(TariffMaster &master, const QString &tariffNo, QString *unit);
