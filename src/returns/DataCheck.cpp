#include "DataCheck.h"

#include "TextRules.h"
#include "WorkTableRecords.h"
#include "WorkTables.h"
#include "app/AppSettings.h"
#include "app/Progress.h"
#include "app/Values.h"
#include "sources/DataConnections.h"

#include <QDir>
#include <QHash>
#include <QSqlDatabase>

#include <algorithm>

namespace {
QString printable(const QString &text)
{
    return PrintableText(TrimBlanks(text));
}

// A problem in the words of the data check's list.
QString checkText(const RowProblem &p, bool invoiceLine)
{
    switch (p.kind) {
    case RowProblem::DamagedNumber:
        return QStringLiteral("Not a number: the numeric field is damaged");
    case RowProblem::BadCharacter:
        return QStringLiteral("Holds a character a return cannot carry (code %1)").arg(CharacterCodeText(p.code));
    case RowProblem::NumberOutOfRange:
        return QStringLiteral("Number out of range");
    case RowProblem::NotANumber:
        return QStringLiteral("Not a number: the text must be one number and nothing else");
    case RowProblem::TariffLength:
        return QStringLiteral("Invalid Chapter No.: %1 characters without blanks%2, not 8")
            .arg(p.detail.size())
            .arg(invoiceLine ? QStringLiteral(" and dots") : QString());
    case RowProblem::NotInMaster:
        return QStringLiteral("Tariff number %1 is not in the tariff master").arg(p.detail);
    case RowProblem::UnitCharacter:
        return QStringLiteral("The unit in the tariff master for %1: Holds a character a return cannot carry (code %2)")
            .arg(p.detail, CharacterCodeText(p.code));
    case RowProblem::SerialNotPositive:
        return QStringLiteral("The serial number (SL-NO) must be a whole number from 1 up");
    case RowProblem::NotADate:
        return QStringLiteral("Not a date; the return needs DD/MM/YYYY");
    case RowProblem::NumberNotFitting:
        return QStringLiteral("Not a number the return can carry (%1)").arg(p.detail);
    case RowProblem::RegistrationFault:
        return p.detail;
    case RowProblem::RegistrationTooLong:
        return QStringLiteral("The registration number has %1 characters; the return takes at most 15")
            .arg(p.value.size());
    case RowProblem::NoValue:
        return QStringLiteral("Warning: no value; written as 0.00");
    case RowProblem::UnitMissing:
        return QStringLiteral("Warning: tariff number %1 has no unit in the tariff master; unit written as U")
            .arg(p.detail);
    case RowProblem::DocumentNotInMaster:
        return QStringLiteral("Warning: tariff number %1 is not in the tariff master; unit written as U").arg(p.detail);
    case RowProblem::BlankNumber:
        return invoiceLine ? QStringLiteral("Warning: the invoice number is blank")
                           : QStringLiteral("Warning: the document number is blank");
    case RowProblem::Negative:
        return QStringLiteral("Warning: a negative number (%1)").arg(p.detail);
    }
    return QString();
}

// Every row of one table, every problem of each, in the order the writer meets them.
template <typename Record>
bool checkTable(DataCheckResult *r, WorkTableReader &reader, DataProblem::Table table, int *rows,
                const std::optional<ReturnQuarter> &quarter)
{
    const bool invoiceLine = table == DataProblem::InvoiceLines;
    const auto walk = reader.walk<Record>(
        invoiceLine ? WorkTable::InvoiceLines : WorkTable::SupplierDocuments,
        invoiceLine ? QStringLiteral("Invoice lines") : QStringLiteral("Supplier documents"), [&](const Record &row) {
            ++*rows;
            const std::optional<QDate> date = quarter ? RowDateValue(row.date) : std::nullopt;
            const bool outside = date && !quarter->contains(*date);
            if (reader.problems().isEmpty() && !outside)
                return true;
            const QString serial = printable(ValueText(row.serial));
            const QString number = printable(row.number);
            for (const RowProblem &p : reader.problems())
                r->problems.append(DataProblem{table, serial, number, p.column, printable(p.value),
                                               checkText(p, invoiceLine), p.warning()});
            if (outside)
                r->problems.append(DataProblem{table, serial, number, WorkTableColumn(invoiceLine ? 3 : 12),
                                               CanonicalDateText(*date),
                                               QStringLiteral("Dated outside %1").arg(quarter->name())});
            return true;
        });
    r->cancelled = walk == WorkTableReader::Walk::Cancelled;
    r->reason = r->cancelled ? QStringLiteral("The data check was cancelled.") : reader.errorString();
    return walk == WorkTableReader::Walk::Done;
}
} // namespace

QString DataProblemTableName(DataProblem::Table table)
{
    return table == DataProblem::InvoiceLines ? QStringLiteral("STEMP4") : QStringLiteral("PTEMP5");
}

DataCheckResult CheckQuarterData(const QString &companyConnection, const QString &programConnection,
                                 const std::optional<ReturnQuarter> &quarter)
{
    DataCheckResult r;
    r.checked = ReadQuarterTables(companyConnection, programConnection, &r.reason, [&](WorkTableReader &reader) {
        return checkTable<InvoiceLine>(&r, reader, DataProblem::InvoiceLines, &r.invoiceLines, quarter)
               && checkTable<SupplierDocument>(&r, reader, DataProblem::SupplierDocuments, &r.supplierDocuments,
                                               quarter);
    });
    if (!r.checked) {
        r.invoiceLines = r.supplierDocuments = 0;
        r.problems.clear();
    }
    return r;
}

bool PrepareWorkTables(QString *reason)
{
    const QString missing = MissingWorkTable();
    if (!missing.isEmpty()) {
        *reason = QStringLiteral("The work table %1 is not in the folder %2.")
                      .arg(missing, QDir::toNativeSeparators(AppFolder()));
        return false;
    }
    // The accounting system may have written the tables after the company was chosen.
    const AppSettings &s = Settings();
    return !(s.blnFoxPro && QSqlDatabase::database(s.cnCompany, false).isOpen()
             && !RefreshFoxProConnection(s.cnCompany, reason));
}

DataCheckResult CheckQuarterData(const std::optional<ReturnQuarter> &quarter)
{
    DataCheckResult r;
    if (!PrepareWorkTables(&r.reason))
        return r;
    return CheckQuarterData(Settings().cnCompany, Settings().cnProgram, quarter);
}

QString DataCheckSummary(const DataCheckResult &result)
{
    if (!result.checked)
        return result.reason;
    if (result.empty())
        return QStringLiteral("The work tables hold no rows: this quarter is empty.");
    const QString rows = QStringLiteral("%1 and %2")
                             .arg(CountText(result.invoiceLines, "invoice line", "invoice lines"),
                                  CountText(result.supplierDocuments, "supplier document", "supplier documents"));
    const qsizetype problems = result.problemCount();
    const qsizetype warnings = result.warningCount();
    if (problems == 0 && warnings == 0)
        return QStringLiteral("No problems in %1.").arg(rows);
    const QString written = QStringLiteral(" (warnings: the export writes those rows as shown)");
    if (problems == 0)
        return QStringLiteral("No problems in %1; %2%3.")
            .arg(rows, CountText(warnings, "warning", "warnings"), written);
    if (warnings == 0)
        return QStringLiteral("%1 in %2.").arg(CountText(problems, "problem", "problems"), rows);
    return QStringLiteral("%1 and %2 in %3%4.")
        .arg(CountText(problems, "problem", "problems"), CountText(warnings, "warning", "warnings"), rows, written);
}

qsizetype DataCheckResult::problemCount() const
{
    return std::count_if(problems.begin(), problems.end(), [](const DataProblem &p) { return !p.warning; });
}

QString WorkTableColumnTitle(DataProblem::Table table, const QString &column)
{
    static const QHash<QString, QString> invoiceLines{
        {QStringLiteral("Col01"), QStringLiteral("Serial number")},
        {QStringLiteral("Col02"), QStringLiteral("Invoice number")},
        {QStringLiteral("Col03"), QStringLiteral("Invoice date")},
        {QStringLiteral("Col04"), QStringLiteral("Product name")},
        {QStringLiteral("Col05"), QStringLiteral("Tariff number (CETSH)")},
        {QStringLiteral("Col06"), QStringLiteral("Quantity")},
        {QStringLiteral("Col07"), QStringLiteral("Duty")},
        {QStringLiteral("Col08"), QStringLiteral("Duty")},
        {QStringLiteral("Col09"), QStringLiteral("Duty")},
        {QStringLiteral("Col10"), QStringLiteral("Duty")},
        {QStringLiteral("Col07-Col10"), QStringLiteral("Duty")},
    };
    static const QHash<QString, QString> supplierDocuments{
        {QStringLiteral("Col01"), QStringLiteral("Serial number")},
        {QStringLiteral("Col02"), QStringLiteral("Document number")},
        {QStringLiteral("Col03"), QStringLiteral("Supplier name")},
        {QStringLiteral("Col04"), QStringLiteral("Product name")},
        {QStringLiteral("Col05"), QStringLiteral("Tariff number (CETSH)")},
        {QStringLiteral("Col06"), QStringLiteral("Duty")},
        {QStringLiteral("Col07"), QStringLiteral("Duty")},
        {QStringLiteral("Col08"), QStringLiteral("Duty")},
        {QStringLiteral("Col09"), QStringLiteral("Duty")},
        {QStringLiteral("Col06-Col09"), QStringLiteral("Duty")},
        {QStringLiteral("Col10"), QStringLiteral("Registration number")},
        {QStringLiteral("Col11"), QStringLiteral("Quantity")},
        {QStringLiteral("Col12"), QStringLiteral("Document date")},
        {QStringLiteral("Col13"), QStringLiteral("Issued by")},
        {QStringLiteral("Col14"), QStringLiteral("Supplier address")},
    };
    const QString title = (table == DataProblem::InvoiceLines ? invoiceLines : supplierDocuments).value(column);
    return title.isEmpty() ? column : QStringLiteral("%1 (%2)").arg(title, column);
}

QString DataProblemValueText(const QString &value)
{
    const QDate date = IsoDateAtMidnight(value);
    return date.isValid() ? CanonicalDateText(date) : value;
}
