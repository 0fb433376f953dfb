#pragma once

#include "ReturnQuarter.h"

#include <QList>
#include <QString>

#include <optional>

// One problem in one row of a work table.
struct DataProblem
{
    enum Table { InvoiceLines, SupplierDocuments }; // STEMP4, PTEMP5
    Table table = InvoiceLines;
    QString serial; // Col01, the row's SL-NO
    QString number; // Col02, the invoice or document number
    QString column; // "Col05"
    QString value; // as read, blanks trimmed; characters that cannot be shown become "?"
    QString problem; // in words
    bool warning = false; // the export writes the row all the same
};

struct DataCheckResult
{
    bool checked = false; // false: the tables could not be read, `reason` says why
    bool cancelled = false; // the user stopped it (then not checked either)
    QString reason;
    int invoiceLines = 0;
    int supplierDocuments = 0;
    QList<DataProblem> problems; // warnings among them, in the order the rows give them

    // Those that are not warnings: they stop the export or leave the return invalid.
    qsizetype problemCount() const;
    qsizetype warningCount() const { return problems.size() - problemCount(); }
    bool empty() const { return checked && invoiceLines == 0 && supplierDocuments == 0; }
};

// The quarter's work tables checked by the return writer's own rules, every
// row to the end: what would stop the writer (tariff numbers, values XML
// cannot carry, numbers out of range), what its supplier registration check
// would report, and what would leave the return invalid (serial numbers,
// dates, quantities and amounts). With a quarter, also the rows dated outside
// it. Reads only; shows nothing but its progress, and stops when the user cancels.
DataCheckResult CheckQuarterData(const QString &companyConnection, const QString &programConnection,
                                 const std::optional<ReturnQuarter> &quarter = std::nullopt);

// What the export does before it reads the work tables: both work table
// files in the application folder, and a FoxPro connection that sees files
// written since the company was chosen. False with the reason.
bool PrepareWorkTables(QString *reason);

// The same over the chosen company's connections, after PrepareWorkTables.
DataCheckResult CheckQuarterData(const std::optional<ReturnQuarter> &quarter = std::nullopt);

// One line on the outcome: why nothing was checked, an empty quarter, or the
// number of problems and of warnings among the rows read.
QString DataCheckSummary(const DataCheckResult &result);

// "STEMP4" or "PTEMP5".
QString DataProblemTableName(DataProblem::Table table);

// A column as the user knows it: "Tariff number (Col05)"; "Duty (Col07-Col10)".
QString WorkTableColumnTitle(DataProblem::Table table, const QString &column);

// A value for the user's eyes: a date read as "yyyy-mm-dd" becomes "DD/MM/YYYY".
QString DataProblemValueText(const QString &value);
