#include "DateFormat.h"

#include <QLocale>

namespace {
QChar dateSeparator(const QString &format)
{
    for (const QChar c : format) {
        if (!c.isLetter() && c != QLatin1Char('\''))
            return c;
    }
    return QLatin1Char('/');
}
} // namespace

QString ShortDateFormat()
{
    return DateFormatSystem::shortDateFormat();
}

QString ShortDateText(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return QLocale::system().toString(date, ShortDateFormat());
}

QString LongTimeText(const QTime &time)
{
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale::system().toString(time, format.trimmed()).trimmed();
}

QString GeneralDateText(const QDateTime &when)
{
    return ShortDateText(when.date()) + QLatin1Char(' ') + LongTimeText(when.time());
}

bool StoreShortDateFormat(const QString &picture)
{
    return DateFormatSystem::storeShortDateFormat(picture);
}

bool ShortDateFormatIsDayFirst(const QDate &today)
{
    const QChar sep = dateSeparator(ShortDateFormat());
    const QString pattern = QStringLiteral("dd%1MM%1yyyy").arg(sep);
    return today.toString(pattern).trimmed() == ShortDateText(today).trimmed();
}
