#include "DataCheck.h"

#include "TextRules.h"
#include "WorkTableRecords.h"
#include "WorkTables.h"
#include "app/AppSettings.h"
#include "app/Progress.h"
#include "sources/DataConnections.h"
#include "app/Values.h"

#include <QDir>
#include <QSqlDatabase>

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
    case RowProblem::TariffLength:
        return QStringLiteral("Invalid Chapter No.: %1 characters without blanks%2, not 8")
            .arg(p.detail.size())
            .arg(invoiceLine ? QStringLiteral(" and dots") : QString());
    case RowProblem::NotInMaster:
        return QStringLiteral("Chapter No. %1 is not in the tariff master").arg(p.detail);
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
    }
    return QString();
}

// Every row of one table, every problem of each, in the order the writer meets them.
template <typename Record>
bool checkTable(DataCheckResult *r, WorkTableReader &reader, DataProblem::Table table, int *rows)
{
    const bool invoiceLine = table == DataProblem::InvoiceLines;
    ProgressPhase progress(invoiceLine ? QStringLiteral("Invoice lines") : QStringLiteral("Supplier documents"),
                           invoiceLine ? reader.countInvoiceLines() : reader.countSupplierDocuments());
    reader.setProgress(&progress);
    auto cancelled = [r] {
        r->cancelled = true;
        r->reason = QStringLiteral("The data check was cancelled.");
        return false;
    };
    if (!(invoiceLine ? reader.openInvoiceLines() : reader.openSupplierDocuments())) {
        if (reader.cancelled())
            return cancelled();
        r->reason = reader.errorString();
        return false;
    }
    if (!progress.look())
        return cancelled();
    Record row;
    while (reader.next(&row)) {
        ++*rows;
        if (!progress.step())
            return cancelled();
        if (reader.problems().isEmpty())
            continue;
        const QString serial = printable(ValueText(row.serial));
        const QString number = printable(row.number);
        for (const RowProblem &p : reader.problems())
            r->problems.append(
                DataProblem{table, serial, number, p.column, printable(p.value), checkText(p, invoiceLine)});
    }
    r->reason = reader.errorString();
    if (reader.failed())
        return false;
    return progress.finish() || cancelled();
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
    WorkTableReader reader(companyConnection, &master, WorkTableReader::Mode::Everything);
    r.checked = checkTable<InvoiceLine>(&r, reader, DataProblem::InvoiceLines, &r.invoiceLines)
                && checkTable<SupplierDocument>(&r, reader, DataProblem::SupplierDocuments, &r.supplierDocuments);
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

DataCheckResult CheckQuarterData()
{
    DataCheckResult r;
    if (!PrepareWorkTables(&r.reason))
        return r;
    return CheckQuarterData(Settings().cnCompany, Settings().cnProgram);
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
