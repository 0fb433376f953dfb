#pragma once

#include "returns/Decimal.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <map>

enum class WorkTable; // returns/WorkTableRecords.h

// One tariff number's goods in a quarter: what the dealer's invoices passed on
// (STEMP4) against what the supplier documents brought in (PTEMP5), in the
// figures the return carries (two decimals).
struct SummaryEntry
{
    QString cetsh;
    QString unit; // the master's unit of the number; empty for the total
    int invoiceLines = 0;
    Decimal quantityOut;
    Decimal dutyOut;
    int documents = 0;
    Decimal quantityIn;
    Decimal dutyIn;

    Decimal dutyDifference() const { return dutyIn - dutyOut; }
    // "duty-exceeds-received", "quantity-exceeds-received", or both.
    QStringList flags() const;
};

// Gathers goods lines, by tariff number, as the return carries them.
class SummaryBuilder
{
public:
    SummaryBuilder() { m_total.cetsh = QStringLiteral("TOTAL"); }
    // An invoice line (goods out) or a supplier's document (goods in).
    void add(WorkTable table, const QString &cetsh, const QString &unit, const Decimal &quantity, const Decimal &duty);
    // In ascending order of the tariff number.
    QList<SummaryEntry> entries() const;
    SummaryEntry total() const { return m_total; }

private:
    SummaryEntry &entry(const QString &cetsh, const QString &unit);

    std::map<QString, SummaryEntry> m_entries;
    SummaryEntry m_total;
};

struct QuarterSummary
{
    bool read = false; // false: the tables could not be read, `reason` says why
    bool cancelled = false; // the user stopped it (then not read either)
    QString reason;
    QList<SummaryEntry> entries;
    SummaryEntry total;
    // Rows the return cannot carry (what the data check reports), not in the figures.
    int leftOutInvoiceLines = 0;
    int leftOutDocuments = 0;
};

// The quarter's work tables read by the return's own record reader; a row
// with a problem that keeps it out of a valid return is counted, not summed.
// Reports its progress and stops when the user cancels.
QuarterSummary SummariseQuarter(const QString &companyConnection, const QString &programConnection);
// The same over the chosen company, after the test the export makes first.
QuarterSummary SummariseQuarter();

// The reason a cancelled summary gives.
extern const QString kSummaryCancelled;

// What was left out, in one sentence; empty when nothing was.
QString LeftOutText(const QuarterSummary &summary);

// The summary's columns in their order, each as the CSV and JSON name it,
// the text table heads it, the window heads it and the workbook heads it.
enum class SummaryColumnTitle { Csv, Text, Window, Workbook };
QStringList SummaryColumns(SummaryColumnTitle title);

// An entry's fields as text, in the order of the columns; the flags joined by ";".
QStringList SummaryFields(const SummaryEntry &entry);

enum class SummaryFormat { Text, Csv, Json };

// The entries and the total. CSV lines end in CR LF, fields quoted where
// they need it; JSON is one object with "entries" and "total"; text is a
// table for reading.
QString FormatSummary(const QList<SummaryEntry> &entries, const SummaryEntry &total, SummaryFormat format);

struct ChapterDuty
{
    QString chapter; // the first four characters of the tariff numbers
    Decimal dutyIn;
    Decimal dutyOut;
};

// Duty received and passed on per chapter, in ascending order.
QList<ChapterDuty> DutyByChapter(const QList<SummaryEntry> &entries);
