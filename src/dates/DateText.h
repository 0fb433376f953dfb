#pragma once

#include "app/Values.h"

#include <QDate>
#include <QString>

// Dates are shown as "DD/MM/YYYY" and typed as short runs of digits:
// DD, DDM, DDMM, DDMMYY (always 20YY) or DDMMYYYY.

// Completes the digits typed in a date box. The caller removes every "/" and
// trims blanks first. True: output is the canonical date text, or empty for
// empty input. False: output is the input, unchanged. Month and year that the
// input leaves out are taken from today.
bool CompleteDateText(const QString &input, QString &output, const QDate &today);
bool CompleteDateText(const QString &input, QString &output); // today from Clock::today()

// Why the digits typed in a date box are refused, the date as the user meant it
// where the digits say one: "31/02/2014 is not a date".
QString DateRefusalText(const QString &input, const QDate &today);

// A day-first date text ("5/3/2014", "05/03/2014", "05-03-2014", "05.03.2014")
// as a date (DayFirstDate); invalid for anything else, including digits without separators.
QDate DateFromText(const QString &text);
bool IsDateText(const QString &text);

// The text with every "/" removed: what a date box shows while it is edited.
QString WithoutSlashes(const QString &text);
