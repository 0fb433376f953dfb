#include "DateText.h"

#include "app/Clock.h"

namespace {

bool allDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// The number made by the leading digits; 0 when the text starts with anything else.
int leadingNumber(const QString &text)
{
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = value * 10 + (c.unicode() - '0');
        if (value > 100000)
            break;
    }
    return value;
}

QString padLeft(const QString &text, int width)
{
    return text.size() >= width ? text : QString(width - text.size(), QLatin1Char('0')) + text;
}

} // namespace

bool CompleteDateText(const QString &input, QString &output, const QDate &today)
{
    const QString text = input.trimmed();
    if (text.isEmpty()) {
        output.clear();
        return true;
    }

    QString day, month, year;
    const QString thisMonth = QString::number(today.month());
    const QString thisYear = QString::number(today.year());
    switch (text.size()) {
    case 2:
        day = text;
        month = thisMonth;
        year = thisYear;
        break;
    case 3:
        day = text.left(2);
        month = text.mid(2, 1);
        year = thisYear;
        break;
    case 4:
        day = text.left(2);
        month = text.mid(2, 2);
        year = thisYear;
        break;
    case 6:
        // No century window: a two-digit year is always 20YY.
        day = text.left(2);
        month = text.mid(2, 2);
        year = QStringLiteral("20") + text.mid(4, 2);
        break;
    case 8:
        day = text.left(2);
        month = text.mid(2, 2);
        year = text.mid(4, 4);
        break;
    default:
        output = input;
        return false;
    }

    const int monthNumber = leadingNumber(month);
    if (monthNumber < 1 || monthNumber > 12) {
        output = input;
        return false;
    }

    const QString candidate =
        padLeft(day, 2) + QLatin1Char('/') + padLeft(month, 2) + QLatin1Char('/') + padLeft(year, 4);
    if (!allDigits(day) || !allDigits(month) || !allDigits(year) || !DateFromText(candidate).isValid()) {
        output = input;
        return false;
    }
    output = candidate;
    return true;
}

bool CompleteDateText(const QString &input, QString &output)
{
    return CompleteDateText(input, output, Clock::today());
}

QString DateRefusalText(const QString &input, const QDate &today)
{
    const QString text = input.trimmed();
    QString shown = QLatin1Char('"') + text + QLatin1Char('"');
    if (allDigits(text)) {
        const QString thisMonth = padLeft(QString::number(today.month()), 2);
        const QString thisYear = QString::number(today.year());
        switch (text.size()) {
        case 2:
            shown = text + QLatin1Char('/') + thisMonth + QLatin1Char('/') + thisYear;
            break;
        case 3:
            shown = text.left(2) + QStringLiteral("/0") + text.mid(2) + QLatin1Char('/') + thisYear;
            break;
        case 4:
            shown = text.left(2) + QLatin1Char('/') + text.mid(2) + QLatin1Char('/') + thisYear;
            break;
        case 6:
            shown = text.left(2) + QLatin1Char('/') + text.mid(2, 2) + QStringLiteral("/20") + text.mid(4);
            break;
        case 8:
            shown = text.left(2) + QLatin1Char('/') + text.mid(2, 2) + QLatin1Char('/') + text.mid(4);
            break;
        default:
            break;
        }
    }
    return shown + QStringLiteral(" is not a date");
}

QDate DateFromText(const QString &text)
{
    return DayFirstDate(text);
}

bool IsDateText(const QString &text)
{
    return DateFromText(text).isValid();
}

QString WithoutSlashes(const QString &text)
{
    QString result = text;
    result.remove(QLatin1Char('/'));
    return result;
}
