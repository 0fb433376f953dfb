#include "DataCheck.h"

#include "Decimal.h"
#include "RegistrationNumber.h"
#include "ReturnDocument.h"
#include "SchemaValidation.h"
#include "TextRules.h"
#include "WorkTables.h"
#include "app/AppSettings.h"
#include "app/DataConnections.h"
#include "app/Values.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
const QString kInvoiceSql = QStringLiteral("Select * from STEMP4 Order by Col02");
const QString kDocumentSql = QStringLiteral("Select * from PTEMP5 ORDER BY COL01");

QString printable(const QString &text)
{
    QString out = TrimBlanks(text);
    for (qsizetype i = FindCharacterNotInXml(out); i >= 0; i = FindCharacterNotInXml(out))
        out[i] = QLatin1Char('?');
    return out;
}

QString columnName(int number)
{
    return QStringLiteral("Col%1").arg(number, 2, 10, QLatin1Char('0'));
}

// Checks the rows of one table; columns are addressed by their number (Col01 is 1).
class RowChecker
{
public:
    RowChecker(DataCheckResult *result, TariffMaster *master, DataProblem::Table table)
        : m_result(result)
        , m_master(master)
        , m_table(table)
    {
    }

    bool open(QSqlQuery *query, const QString &connection, const QString &sql, int columns)
    {
        *query = QSqlQuery(QSqlDatabase::database(connection, false));
        query->setForwardOnly(true);
        if (!query->exec(sql))
            return fail(WorkTableQueryFailure(connection, DataProblemTableName(m_table), sql, query->lastError()));
        const QSqlRecord record = query->record();
        m_indexes = {-1};
        for (int i = 1; i <= columns; ++i) {
            const int at = record.indexOf(columnName(i)); // letter case ignored
            if (at < 0)
                return fail(QStringLiteral("The table %1 has no column %2.")
                                .arg(DataProblemTableName(m_table), columnName(i)));
            m_indexes << at;
        }
        m_query = query;
        return true;
    }

    bool fail(const QString &reason)
    {
        m_result->reason = reason;
        return false;
    }

    void startRow()
    {
        m_serial = printable(ValueText(value(1)));
        m_number = printable(ValueText(value(2)));
    }

    QVariant value(int column) const { return m_query->value(m_indexes.at(column)); }

    void add(int column, const QString &shown, const QString &problem)
    {
        add(columnName(column), shown, problem);
    }

    void add(const QString &column, const QString &shown, const QString &problem)
    {
        m_result->problems.append(DataProblem{m_table, m_serial, m_number, column, printable(shown), problem});
    }

    // The column as text; a character XML cannot carry ends the writer there.
    QString text(int column)
    {
        if (damaged(column))
            return DamagedValueText(value(column));
        const QString t = ValueText(value(column));
        const qsizetype at = FindCharacterNotInXml(t);
        if (at >= 0)
            add(column, t, badCharacter(t, at));
        return t;
    }

    // A numeric field that holds no number: the writer stops at it.
    bool damaged(int column)
    {
        if (!IsDamagedValue(value(column)))
            return false;
        add(column, DamagedValueText(value(column)), QStringLiteral("Not a number: the numeric field is damaged"));
        return true;
    }

    static QString badCharacter(const QString &text, qsizetype at)
    {
        return QStringLiteral("Holds a character a return cannot carry (code %1)")
            .arg(QString::number(text.at(at).unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }

    void serial()
    {
        const QString t = text(1);
        if (!FitsSchemaPositiveInteger(TrimBlanks(t).trimmed()))
            add(1, t, QStringLiteral("The serial number (SL-NO) must be a whole number from 1 up"));
    }

    void date(int column)
    {
        text(column);
        if (!ValueDate(value(column)).isValid())
            add(column, ValueText(value(column)), QStringLiteral("Not a date; the return needs DD/MM/YYYY"));
    }

    // Invoice lines are also looked up in the master; supplier documents only for their unit.
    bool tariff(bool invoiceLine)
    {
        const QString t = text(5);
        const QString cleaned = CleanedTariffNumber(t, invoiceLine);
        if (cleaned.size() != 8) {
            add(5, t, QStringLiteral("Invalid Chapter No.: %1 characters without blanks%2, not 8")
                          .arg(cleaned.size())
                          .arg(invoiceLine ? QStringLiteral(" and dots") : QString()));
            return true;
        }
        if (invoiceLine) {
            bool known = false;
            if (!m_master->contains(cleaned, &known))
                return fail(QStringLiteral("The query failed: ") + m_master->errorString());
            if (!known) {
                add(5, t, QStringLiteral("Chapter No. %1 is not in the tariff master").arg(cleaned));
                return true;
            }
        }
        QString unit;
        if (!m_master->unitFor(cleaned, &unit))
            return fail(QStringLiteral("The query failed: ") + m_master->errorString());
        const qsizetype at = FindCharacterNotInXml(unit);
        if (at >= 0)
            add(5, t, QStringLiteral("The unit in the tariff master for %1: %2").arg(cleaned, badCharacter(unit, at)));
        return true;
    }

    // A number as the return carries it: the XML library must take it.
    void fits(const QString &column, const QString &shown, const QString &carried)
    {
        if (!FitsSchemaDecimal(carried))
            add(column, shown, QStringLiteral("Not a number the return can carry (%1)").arg(carried));
    }

    void quantity(int column)
    {
        const QString t = text(column);
        Decimal parsed;
        if (IsDamagedValue(value(column)))
            return;
        if (!ReturnNumber(value(column), &parsed))
            add(column, t, QStringLiteral("Number out of range"));
        else
            fits(columnName(column), t, parsed.toText(2));
    }

    void documentQuantity(int column)
    {
        const QString t = text(column);
        QString carried;
        if (IsDamagedValue(value(column)))
            return;
        if (!DocumentQuantityText(value(column), &carried))
            add(column, t, QStringLiteral("Number out of range"));
        else
            fits(columnName(column), t, carried);
    }

    // The duty is the sum of four columns, rounded to whole rupees.
    void duty(int first)
    {
        Decimal sum;
        bool inRange = true;
        for (int column = first; column < first + 4; ++column) {
            Decimal part;
            if (damaged(column)) {
                inRange = false;
                continue;
            }
            if (!ReturnNumber(value(column), &part)) {
                add(column, ValueText(value(column)), QStringLiteral("Number out of range"));
                inRange = false;
            }
            sum = sum + part;
        }
        if (inRange) {
            const QString carried = sum.rounded(0).toText(2);
            fits(columnName(first) + QLatin1Char('-') + columnName(first + 3), carried, carried);
        }
    }

    // The writer checks numbers that are not ten characters long (a PAN).
    void registration()
    {
        const QString t = text(10);
        const QString trimmed = TrimBlanks(t);
        const QString carried = RemoveBlanks(trimmed);
        if (trimmed.size() != 10)
            if (const std::optional<RegistrationFault> fault = FindRegistrationFault(carried))
                add(10, carried, RegistrationFaultText(*fault));
        if (carried.size() > 15)
            add(10, carried, QStringLiteral("The registration number has %1 characters; the return takes at most 15")
                                 .arg(carried.size()));
    }

private:
    DataCheckResult *m_result;
    TariffMaster *m_master;
    DataProblem::Table m_table;
    QSqlQuery *m_query = nullptr;
    QList<int> m_indexes;
    QString m_serial;
    QString m_number;
};

// Columns in the order the writer takes them, so a row's problems read in that order.
bool checkInvoiceLines(DataCheckResult *r, TariffMaster *master, const QString &connection)
{
    RowChecker row(r, master, DataProblem::InvoiceLines);
    QSqlQuery q;
    if (!row.open(&q, connection, kInvoiceSql, 10))
        return false;
    while (q.next()) {
        ++r->invoiceLines;
        row.startRow();
        row.serial();
        row.text(2);
        row.date(3);
        row.text(4);
        if (!row.tariff(true))
            return false;
        row.quantity(6);
        row.duty(7);
    }
    if (q.lastError().isValid())
        return row.fail(QStringLiteral("The query failed: %1\r\n%2").arg(kInvoiceSql, q.lastError().text()));
    return true;
}

bool checkSupplierDocuments(DataCheckResult *r, TariffMaster *master, const QString &connection)
{
    RowChecker row(r, master, DataProblem::SupplierDocuments);
    QSqlQuery q;
    if (!row.open(&q, connection, kDocumentSql, 14))
        return false;
    while (q.next()) {
        ++r->supplierDocuments;
        row.startRow();
        row.serial();
        row.text(2);
        row.date(12);
        row.text(13);
        row.text(3);
        row.registration();
        row.text(4);
        if (!row.tariff(false))
            return false;
        row.text(14);
        row.documentQuantity(11);
        row.duty(6);
    }
    if (q.lastError().isValid())
        return row.fail(QStringLiteral("The query failed: %1\r\n%2").arg(kDocumentSql, q.lastError().text()));
    return true;
}
} // namespace

QString DataProblemTableName(DataProblem::Table table)
{
    return table == DataProblem::InvoiceLines ? QStringLiteral("STEMP4") : QStringLiteral("PTEMP5");
}

DataCheckResult CheckQuarterData(const QString &companyConnection, const QString &programConnection)
{
    DataCheckResult r;
    if (!QSqlDatabase::database(companyConnection, false).isOpen()) {
        r.reason = QStringLiteral("No company is chosen: the company's data are not open.");
        return r;
    }
    TariffMaster master(programConnection);
    r.checked = checkInvoiceLines(&r, &master, companyConnection)
                && checkSupplierDocuments(&r, &master, companyConnection);
    if (!r.checked) {
        r.invoiceLines = r.supplierDocuments = 0;
        r.problems.clear();
    }
    return r;
}

DataCheckResult CheckQuarterData()
{
    const QString missing = MissingWorkTable();
    if (!missing.isEmpty()) {
        DataCheckResult r;
        r.reason = QStringLiteral("The work table %1 is not in the folder %2.")
                       .arg(missing, QDir::toNativeSeparators(appFolder()));
        return r;
    }
    // The accounting system may have written the tables after the company was chosen.
    const AppSettings &s = settings();
    QString error;
    if (s.blnFoxPro && QSqlDatabase::database(s.cnCompany, false).isOpen()
        && !RefreshFoxProConnection(s.cnCompany, &error)) {
        DataCheckResult r;
        r.reason = error;
        return r;
    }
    return CheckQuarterData(s.cnCompany, s.cnProgram);
}

QString DataCheckSummary(const DataCheckResult &result)
{
    if (!result.checked)
        return result.reason;
    if (result.empty())
        return QStringLiteral("The work tables hold no rows: this quarter is empty.");
    const auto count = [](qsizetype n, const char *one, const char *many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    const QString rows = QStringLiteral("%1 and %2")
                             .arg(count(result.invoiceLines, "invoice line", "invoice lines"),
                                  count(result.supplierDocuments, "supplier document", "supplier documents"));
    if (result.problems.isEmpty())
        return QStringLiteral("No problems in %1.").arg(rows);
    return QStringLiteral("%1 in %2.").arg(count(result.problems.size(), "problem", "problems"), rows);
}
