#include "ReturnQuarter.h"

#include "TextRules.h"
#include "WorkTableRecords.h"
#include "WorkTables.h"
#include "app/Values.h"

#include <QStringList>

const QStringList &ReturnQuarterNames()
{
    static const QStringList quarters{QStringLiteral("Apr-Jun"), QStringLiteral("Jul-Sep"), QStringLiteral("Oct-Dec"),
                                      QStringLiteral("Jan-Mar")};
    return quarters;
}

std::optional<ReturnQuarter> ReturnQuarterOf(const QString &year, const QString &quarter)
{
    const qsizetype index = ReturnQuarterNames().indexOf(quarter);
    bool ok = false;
    const int y = year.toInt(&ok);
    if (index < 0 || !ok || year.size() != 4)
        return std::nullopt;
    // Quarters of the financial year that starts in April: Jan-Mar belongs to the year before.
    const QDate first = index == 3 ? QDate(y + 1, 1, 1) : QDate(y, 4 + 3 * int(index), 1);
    return ReturnQuarter{quarter, year, first, first.addMonths(3).addDays(-1)};
}

std::optional<QDate> RowDateValue(const RowDate &date)
{
    if (!date.valid)
        return std::nullopt;
    return QDate(date.year, date.month, date.day);
}

namespace {
bool countTable(WorkTableReader &reader, WorkTable table, const ReturnQuarter &quarter, int *count,
                RowsOutsideQuarter *rows)
{
    const auto walk = reader.walk<DatedRow>(table, QStringLiteral("Checking dates"), [&](const DatedRow &row) {
        const std::optional<QDate> date = RowDateValue(row.date);
        if (!date || quarter.contains(*date))
            return true;
        if (!rows->any()) {
            rows->firstNumber = PrintableText(TrimBlanks(row.number));
            rows->firstDate = *date;
        }
        ++*count;
        return true;
    });
    rows->cancelled = walk == WorkTableReader::Walk::Cancelled;
    rows->error = rows->cancelled ? QString() : reader.errorString();
    return walk == WorkTableReader::Walk::Done;
}
} // namespace

RowsOutsideQuarter FindRowsOutsideQuarter(const QString &connection, const QString &programConnection,
                                          const ReturnQuarter &quarter)
{
    RowsOutsideQuarter rows;
    TariffMaster master(programConnection);
    // Every date read, also of a row the writer would stop in.
    WorkTableReader reader(connection, &master, WorkTableReader::Mode::Everything);
    if (countTable(reader, WorkTable::InvoiceLines, quarter, &rows.invoiceLines, &rows))
        countTable(reader, WorkTable::SupplierDocuments, quarter, &rows.supplierDocuments, &rows);
    return rows;
}

QString RowsOutsideQuarterText(const RowsOutsideQuarter &rows, const ReturnQuarter &quarter)
{
    return QStringLiteral("%1 and %2 are dated outside %3 (first: %4 of %5).")
        .arg(CountText(rows.invoiceLines, "invoice line", "invoice lines"),
             CountText(rows.supplierDocuments, "supplier document", "supplier documents"), quarter.name(),
             rows.firstNumber, CanonicalDateText(rows.firstDate));
}
