#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// A database value as text, whatever the data mode delivered. Null gives the
// empty text; a floating value its shortest round-trip text; a date the
// system's short-date text; a boolean "True" or "False".
QString ValueText(const QVariant &value);

// A database value as a date: a QDate, a QDateTime, ISO text ("2014-04-01",
// with or without a time) or day-first text ("01/04/2014", "1-4-2014",
// "01.04.2014"). Invalid when it is none of these.
QDate ValueDate(const QVariant &value);

// Canonical date text "DD/MM/YYYY"; empty for an invalid date.
QString CanonicalDateText(const QDate &date);

// "1 invoice line", "2 invoice lines": a count with its noun in the right number.
QString CountText(qint64 n, const char *one, const char *many);
