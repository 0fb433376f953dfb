#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// One month as the calendar window shows it: row 0 holds the day names, column 0
// the week numbers, rows 1-6 the weeks from Monday (column 1) to Sunday (column 7).
constexpr int kCalendarRows = 7;
constexpr int kCalendarColumns = 8;

// The number the calendar reports to the error log when a month cannot be laid out.
constexpr int ErrCalendarMonth = 5;

// Gregorian: February has 29 days in 2000 but 28 in 1900 and 2100.
// 0 for a month outside 1-12.
int DaysInMonth(int month, int year);

struct CalendarCell
{
    int row = 0;
    int column = 0;
};

// Where a day of the month stands in the grid. A day past the month's end is
// carried into the next month for its weekday. False when the year cannot be
// represented as a date.
bool CellOfDay(int day, int month, int year, CalendarCell *cell);

// Weeks run Monday to Sunday and week 1 is the week holding 1 January, so the last
// days of December can fall in week 53 or 54. Not the ISO week. 0 for an invalid date.
int WeekNumber(const QDate &date);

// The years the "+" and "-" buttons step through: 1900 to 2099.
bool IsYearInRange(qint64 year);

// "January" ... "December"; empty outside 1-12.
QString MonthName(int month);
// "Mon" ... "Sun".
QStringList DayNames();

// The year box's text as a whole year (a number, rounded). False when the text
// holds no number or one far outside any calendar.
bool YearFromText(const QString &text, int *year);

struct MonthLayout
{
    QString text[kCalendarRows][kCalendarColumns];
    bool hasToday = false; // the month shown is today's month
    CalendarCell today;
};

// Fills the grid's texts for one month. On failure the layout holds what was
// written before the failure and error says why.
bool LayOutMonth(int month, int year, const QDate &today, MonthLayout *layout, QString *error);
