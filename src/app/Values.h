#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// A database value as text, whatever the data mode delivered. Null gives the
// empty text; a floating value its shortest round-trip text; a date the
// system's short-date text; a boolean "True" or "False".
QString ValueText(const QVariant &value);

// Date texts, each shape stated once here:
// - the canonical "DD/MM/YYYY" that the return carries and the windows show;
// - day-first text as people type it: "5/3/2014", "05-03-2014", "05.03.2014";
// - ISO dates "2014-03-05" and date-times "2014-03-05 10:30:00", "2014-03-05T00:00:00" from the databases.
// The date box's short runs of digits (DDMM, DDMMYY, ...) are completed in dates/DateText.

// Years a typed date may carry. Below 100 an eight-digit entry such as 15040015
// is far more likely a slip of the finger than a date, so it is refused.
constexpr int kFirstDateYear = 100;
constexpr int kLastDateYear = 9999;

// Day-first text with one separator ("/", "-" or ".") used twice, a four-digit
// year from kFirstDateYear up and nothing else but blanks around it; invalid otherwise.
QDate DayFirstDate(QStringView text);

// "yyyy-mm-dd" exactly, as the table readers hand dates out: true with the day
// when the text has that shape and the day exists (from the year 1000). The
// reader's quick road over SQLite's bytes; anything else is left to ValueDate.
bool IsoDateDigits(const char *text, qsizetype size, int *year, int *month, int *day);
bool IsoDateDigits(QStringView text, int *year, int *month, int *day);

// ISO "yyyy-mm-dd" alone or with a midnight time ("2014-03-05 00:00",
// "2014-03-05T00:00:00.000"): what a database makes of a plain date. Invalid otherwise.
QDate IsoDateAtMidnight(QStringView text);

// A database value as a date: a QDate, a QDateTime, ISO text ("2014-04-01",
// with or without a time) or day-first text ("01/04/2014", "1-4-2014",
// "01.04.2014", a time after a blank allowed). Invalid when it is none of these.
QDate ValueDate(const QVariant &value);

// Canonical date text "DD/MM/YYYY"; empty for an invalid date.
QString CanonicalDateText(const QDate &date);

// "1 invoice line", "2 invoice lines": a count with its noun in the right number.
QString CountText(qint64 n, const char *one, const char *many);
