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
// Why the quarter's rows cannot be read yet (no company chosen, no tariff
// master), or the empty text when they can.
QString WorkTablesNotReady(const QString &companyConnection, const QString &programConnection);

// "The disk that holds <folder>, where the table is sorted, is full." on a
// new line when SQLite ran out of room for its temporary files; otherwise empty.
QString SqliteFullNote(const QSqlError &error);

QString WorkTableQueryFailure(const QString &connection, const QString &table, const QString &sql,
                              const QSqlError &error);

// The tariff master `Import` over one connection (cnProgram). The statements
// are prepared once and take the tariff number as a bound value, so any text,
// apostrophes included, is looked up as it is. A number matches a master
// entry when both are the same without blanks and dots ("7408.21.00" is
// 74082100); what is stored is not changed. Answers are kept for the run:
// the master does not change while a return is written.
class TariffMaster
{
public:
    explicit TariffMaster(const QString &connectionName);
    ~TariffMaster();
    TariffMaster(const TariffMaster &) = delete;
    TariffMaster &operator=(const TariffMaster &) = delete;

    // One look for this TariffNo: whether a row of Import has it (`known`),
    // and the last such row's Unit as stored (empty when none or null).
    bool lookUp(const QString &tariffNo, bool *known, QString *storedUnit);

    // The failing statement and the database's reason.
    QString errorString() const { return m_error; }

private:
    struct Entry
    {
        bool known = false;
        QString unit; // as stored, empty when null
    };
    bool prepare(QSqlQuery *query, const QString &sql);
    bool run(QSqlQuery *query, const QString &tariffNo);
    bool select(const QString &key, QSqlQuery **rows);
    bool find(const QString &tariffNo, Entry *entry);

    QString m_connection;
    QSqlQuery m_exact;
    QSqlQuery m_cleaned;
    bool m_triedSnapshot = false;
    bool m_snapshot = false; // a read transaction of ours is open
    QHash<QString, Entry> m_cache;
    QString m_error;
};

inline const QString kUnitSql = QStringLiteral("Select Unit from Import Where TariffNo=? ");
inline const QString kCleanedUnitSql =
    QStringLiteral("Select Unit from Import Where replace(replace(TariffNo, ' ', ''), '.', '') = ?");

// The unit of quantity of a tariff number through a master the caller keeps
// for a whole return, so each number is looked up once: the master's, or "U"
// when it has none (then `defaulted`); never empty. `known` says whether the
// master has the number at all. False when the master cannot be read.
bool GetUnitForTariff(TariffMaster &master, const QString &tariffNo, QString *unit, bool *known = nullptr,
                      bool *defaulted = nullptr);
