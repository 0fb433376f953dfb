#include "JetSqlite.h"

#include <QDate>

#include <algorithm>
#include <cmath>

QString JetDateTimeText(double value)
{
    // Access keeps dates from 1 January 100 to 31 December 9999.
    if (!std::isfinite(value) || value < -657434.0 || value >= 2958466.0)
        return QString();
    const double whole = std::trunc(value);
    const qint64 day = qint64(whole);
    // The day is the one the value falls on: a time that rounds up to
    // midnight stays the last second of its day, as the FoxPro reader keeps it.
    const qint64 seconds = std::min<qint64>(qRound64(std::fabs(value - whole) * 86400.0), 86399);
    const QDate date = QDate(1899, 12, 30).addDays(day);
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return QString();
    QString text = date.toString(QStringLiteral("yyyy-MM-dd"));
    if (seconds)
        text += QStringLiteral(" %1:%2:%3")
                    .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                    .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                    .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return text;
}

QString JetCurrencyText(qint64 tenThousandths)
{
    const bool negative = tenThousandths < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(tenThousandths) : quint64(tenThousandths);
    return QStringLiteral("%1%2.%3")
        .arg(negative ? QStringLiteral("-") : QString())
        .arg(magnitude / 10000)
        .arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
}
