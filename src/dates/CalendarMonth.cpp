#include "CalendarMonth.h"

#include <QLocale>

#include <cmath>

int DaysInMonth(int month, int year)
{
    switch (month) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        return 31;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2: {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return leap ? 29 : 28;
    }
    default:
        return 0;
    }
}

bool CellOfDay(int day, int month, int year, CalendarCell *cell)
{
    const QDate first(year, month, 1);
    if (!first.isValid())
        return false;
    const int n = first.dayOfWeek() - 1 + day;
    cell->row = (n >= 1 && n <= 42) ? (n - 1) / 7 + 1 : 1;
    const QDate date = first.addDays(day - 1);
    if (!date.isValid())
        return false;
    cell->column = date.dayOfWeek();
    return true;
}

int WeekNumber(const QDate &date)
{
    if (!date.isValid())
        return 0;
    const QDate newYear(date.year(), 1, 1);
    if (!newYear.isValid())
        return 0;
    return (date.dayOfYear() - 1 + newYear.dayOfWeek() - 1) / 7 + 1;
}

bool IsYearInRange(qint64 year)
{
    return year >= 1900 && year < 2100;
}

QString MonthName(int month)
{
    static const char *const names[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
    return month >= 1 && month <= 12 ? QString::fromLatin1(names[month - 1]) : QString();
}

QStringList DayNames()
{
    return {QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"), QStringLiteral("Thu"),
            QStringLiteral("Fri"), QStringLiteral("Sat"), QStringLiteral("Sun")};
}

bool YearFromText(const QString &text, int *year)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > 1e6)
        return false;
    *year = int(std::lround(value));
    return true;
}

bool LayOutMonth(int month, int year, const QDate &today, MonthLayout *layout, QString *error)
{
    *layout = MonthLayout();
    const QStringList days = DayNames();
    for (int c = 1; c < kCalendarColumns; ++c)
        layout->text[0][c] = days.at(c - 1);

    const QDate first(year, month, 1);
    if (!first.isValid()) {
        *error = month < 1 || month > 12 ? QStringLiteral("There is no month %1.").arg(month)
                                         : QStringLiteral("The year %1 cannot be shown.").arg(year);
        return false;
    }

    const int count = DaysInMonth(month, year);
    for (int d = 1; d <= count; ++d) {
        CalendarCell cell;
        if (!CellOfDay(d, month, year, &cell)) {
            *error = QStringLiteral("The year %1 cannot be shown.").arg(year);
            return false;
        }
        layout->text[cell.row][cell.column] = QString::number(d);
    }

    layout->text[1][0] = QString::number(WeekNumber(first));
    // A week row without a Monday lies past the month's end and gets no number.
    for (int r = 2; r < kCalendarRows; ++r) {
        const int monday = layout->text[r][1].toInt();
        if (monday != 0)
            layout->text[r][0] = QString::number(WeekNumber(QDate(year, month, monday)));
    }

    if (today.month() == month && today.year() == year) {
        CellOfDay(today.day(), month, year, &layout->today);
        layout->hasToday = true;
    }
    return true;
}
