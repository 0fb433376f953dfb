#include "Values.h"

#include "DateFormat.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

QString ValueText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Float:
        return QString::number(double(value.toFloat()), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return ShortDateText(value.toDate());
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (dt.time() == QTime(0, 0))
            return ShortDateText(dt.date());
        return GeneralDateText(dt);
    }
    default:
        return value.toString();
    }
}

namespace {
char16_t unit(QChar c)
{
    return c.unicode();
}
char16_t unit(char c)
{
    return char16_t(uchar(c));
}

bool isDigit(char16_t c)
{
    return c >= '0' && c <= '9';
}

// `min` to `max` digits at `*at` as a number; `*at` moves past them.
template <typename Char> bool digits(const Char *text, qsizetype size, qsizetype *at, int min, int max, int *out)
{
    int n = 0;
    int value = 0;
    while (*at < size && n < max && isDigit(unit(text[*at]))) {
        value = value * 10 + (unit(text[*at]) - '0');
        ++*at;
        ++n;
    }
    *out = value;
    return n >= min;
}

bool isDateSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('.') || c == QLatin1Char('-');
}

// A date's digits at the start of `text`: "d/m/yyyy" (one or two digits for
// day and month; "/", "." or "-" after each) or ISO "yyyy-m-d". `rest` is what
// follows; `separators` the two that were read (day-first only).
struct LeadingDate
{
    QDate date;
    bool read = false; // the shape was there (the day may still not exist)
    QStringView rest;
    QChar separators[2];
};

LeadingDate dayFirstAtStart(QStringView text)
{
    LeadingDate d;
    qsizetype at = 0;
    int day = 0, month = 0, year = 0;
    if (!digits(text.data(), text.size(), &at, 1, 2, &day) || at >= text.size() || !isDateSeparator(text[at]))
        return d;
    d.separators[0] = text[at++];
    if (!digits(text.data(), text.size(), &at, 1, 2, &month) || at >= text.size() || !isDateSeparator(text[at]))
        return d;
    d.separators[1] = text[at++];
    if (!digits(text.data(), text.size(), &at, 4, 4, &year))
        return d;
    d.read = true;
    d.date = QDate(year, month, day); // QDate refuses 31 April and 29 February outside leap years
    d.rest = text.mid(at);
    return d;
}

LeadingDate isoAtStart(QStringView text, int dayDigits)
{
    LeadingDate d;
    qsizetype at = 0;
    int day = 0, month = 0, year = 0;
    if (!digits(text.data(), text.size(), &at, 4, 4, &year) || at >= text.size() || text[at++] != QLatin1Char('-')
        || !digits(text.data(), text.size(), &at, dayDigits, 2, &month) || at >= text.size()
        || text[at++] != QLatin1Char('-') || !digits(text.data(), text.size(), &at, dayDigits, 2, &day))
        return d;
    d.read = true;
    d.date = QDate(year, month, day);
    d.rest = text.mid(at);
    return d;
}

bool startsWithAny(QStringView text, QStringView characters)
{
    return !text.isEmpty() && characters.contains(text.front());
}
} // namespace

QDate DayFirstDate(QStringView text)
{
    const LeadingDate d = dayFirstAtStart(text.trimmed());
    if (!d.read || !d.rest.isEmpty() || d.separators[0] != d.separators[1] || d.date.year() < kFirstDateYear
        || d.date.year() > kLastDateYear)
        return QDate();
    return d.date;
}

template <typename Char> static bool isoDigits(const Char *text, qsizetype size, int *year, int *month, int *day)
{
    if (size != 10 || unit(text[4]) != '-' || unit(text[7]) != '-')
        return false;
    qsizetype at = 0;
    if (!digits(text, size, &at, 4, 4, year) || !digits(text, size, &++at, 2, 2, month)
        || !digits(text, size, &++at, 2, 2, day))
        return false;
    return *year >= 1000 && QDate::isValid(*year, *month, *day);
}

bool IsoDateDigits(const char *text, qsizetype size, int *year, int *month, int *day)
{
    return isoDigits(text, size, year, month, day);
}

bool IsoDateDigits(QStringView text, int *year, int *month, int *day)
{
    return isoDigits(text.data(), text.size(), year, month, day);
}

QDate IsoDateAtMidnight(QStringView text)
{
    const LeadingDate d = isoAtStart(text, 2);
    if (!d.read)
        return QDate();
    static const QRegularExpression midnight(QStringLiteral("^(?:[T ]00:00(?::00(?:\\.0+)?)?)?$"));
    return midnight.match(d.rest.toString()).hasMatch() ? d.date : QDate();
}

QDate ValueDate(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QDate();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();

    const QString text = value.toString().trimmed();
    // A time or anything else may follow the date: after "T" or a blank (ISO), after white space (day first).
    if (const LeadingDate iso = isoAtStart(text, 1); iso.read)
        return iso.rest.isEmpty() || startsWithAny(iso.rest, u"T ") ? iso.date : QDate();
    const LeadingDate dayFirst = dayFirstAtStart(text);
    if (dayFirst.read && (dayFirst.rest.isEmpty() || startsWithAny(dayFirst.rest, u" \t\n\v\f\r")))
        return dayFirst.date;
    return QDate();
}

QString CanonicalDateText(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString CountText(qint64 n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}
