#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

struct RowDate;

// The days a return covers: the financial year's quarter "Apr-Jun", "Jul-Sep"
// or "Oct-Dec" of `year`, or "Jan-Mar" of the year after.
struct ReturnQuarter
{
    QString quarter; // as the return window names it
    QString year;
    QDate first;
    QDate last;

    bool contains(const QDate &date) const { return date >= first && date <= last; }
    // "Apr-Jun 2014"
    QString name() const { return quarter + QLatin1Char(' ') + year; }
};

// "Apr-Jun", "Jul-Sep", "Oct-Dec", "Jan-Mar": the quarters of the financial year in order.
const QStringList &ReturnQuarterNames();

// None when the year is not four digits or the quarter not one of the four.
std::optional<ReturnQuarter> ReturnQuarterOf(const QString &year, const QString &quarter);

// A work table row's date, when it holds one.
std::optional<QDate> RowDateValue(const RowDate &date);

// The invoice lines and supplier documents dated outside the quarter.
struct RowsOutsideQuarter
{
    int invoiceLines = 0;
    int supplierDocuments = 0;
    QString firstNumber; // Col02 of the first such row, invoice lines first
    QDate firstDate;
    QString error; // the tables could not be read
    bool cancelled = false; // the user stopped the look (it reports its progress)

    bool any() const { return invoiceLines + supplierDocuments > 0; }
};

// Reads both work tables over `connection`; shows nothing.
RowsOutsideQuarter FindRowsOutsideQuarter(const QString &connection, const QString &programConnection,
                                          const ReturnQuarter &quarter);

// "N invoice lines and M supplier documents are dated outside <quarter> <year>
// (first: <number> of <date>)."
QString RowsOutsideQuarterText(const RowsOutsideQuarter &rows, const ReturnQuarter &quarter);
