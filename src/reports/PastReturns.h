#pragma once

#include "returns/Decimal.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The returns a company has written (ACES/<company>), read back: what each
// says it is and whether the schema still takes it.

enum class ReturnState {
    Valid, // an ACES return the schema takes
    Invalid, // an ACES return the schema refuses today
    Damaged, // not well-formed XML (cut short, overwritten)
    Foreign, // well-formed XML that is no return
    Unreadable, // not a regular file, or cannot be opened
};

// "valid", "invalid", "damaged", "foreign", "unreadable".
QString ReturnStateName(ReturnState state);

struct PastReturn
{
    QString path;
    QString fileName;
    QString year; // RETURN-YEAR, as written
    QString quarter; // QUARTER ("Apr-Jun")
    QString registration; // REGISTRATION-NUMBER of HEADER-DATA
    QDateTime written; // the export's moment from the file name, else the file's modification time
    qint64 size = 0;
    bool rejected = false; // a ".rejected" file the export kept: never a return
    ReturnState state = ReturnState::Unreadable;
    QString reason; // why it is not valid (for a rejected file, why it was refused)
};

struct PastReturnList
{
    QString folder;
    bool found = false; // the folder exists
    bool cancelled = false;
    QList<PastReturn> returns; // *.xml, newest first
    QList<PastReturn> rejected; // *.xml.rejected, newest first
};

// AppFolder()/ACES/<company>; empty when `company` cannot name a folder
// there ("", ".", "..", or holding a path separator).
QString CompanyReturnsFolder(const QString &company);

// Reads every return in `folder` and validates it against `schemaPath`,
// through a progress phase ("Returns") that Cancel stops. A file that cannot
// be read or parsed is listed with its state, never skipped.
PastReturnList ListPastReturns(const QString &folder, const QString &schemaPath);

// One file of the list read again (after "Validate again").
PastReturn ReadPastReturn(const QString &path, const QString &schemaPath);

enum class ListFormat { Text, Csv, Json };
// Text: a table for reading, the rejected files under their own heading; CSV
// (lines end in CR LF) and JSON carry a "rejected" column/field instead.
QString FormatPastReturns(const PastReturnList &list, ListFormat format);

// One goods line of a return: an invoice line or a supplier document.
struct ReturnLine
{
    QString number; // INVOICE-NUMBER or INVOICE-BILL-ENTRY-NO
    QString date;
    QString party; // the supplier's REGISTRATION-NUMBER (documents)
    QString description;
    QString cetsh;
    QString unit;
    Decimal quantity;
    Decimal duty;
    QStringList other; // the document's ISSUED-BY, NAME, ADDRESS
};

struct ReturnContent
{
    bool read = false;
    QString reason; // why it could not be read
    QString year, quarter, registration;
    QList<ReturnLine> invoiceLines;
    QList<ReturnLine> documents;
};

// The whole return at `path`, read as a stream.
ReturnContent ReadReturnContent(const QString &path);

struct LineChange
{
    enum Kind { Added, Removed, Changed } kind;
    bool document = false;
    ReturnLine before; // Removed, Changed
    ReturnLine after; // Added, Changed
};

struct DutySide
{
    QString cetsh; // "TOTAL" for the last
    Decimal dutyOutBefore, dutyOutAfter; // invoice lines
    Decimal dutyInBefore, dutyInAfter; // supplier documents
};

struct ReturnComparison
{
    QString problem; // not compared: a file unreadable, or another quarter
    QList<LineChange> changes; // invoice lines first, in the order of the later return
    QList<DutySide> duty; // by tariff number, then the total
};

// What changed from return `before` to return `after` of the same quarter.
// Lines are matched by number, date, party and tariff number (the n-th such
// line with the n-th), so renumbered serial numbers change nothing.
ReturnComparison CompareReturns(const ReturnContent &before, const ReturnContent &after);

QString FormatComparison(const ReturnComparison &comparison, ListFormat format);
