#pragma once

#include <QDate>
#include <QString>

// The system's short-date format. On Windows the locale's; elsewhere the system
// locale's, unless the user accepted "dd/MM/yyyy" at start-up, which is then kept
// in the user's settings.
QString ShortDateFormat();
QString ShortDateText(const QDate &date);
// The long time format without a time-zone part.
QString LongTimeText(const QTime &time);
// "General date": short date, a blank, long time.
QString GeneralDateText(const QDateTime &when);

// Sets the short-date format; false when it could not be stored.
bool StoreShortDateFormat(const QString &picture);

// The start-up check: today as "dd/MM/yyyy" joined by the system's date
// separator, compared with today in the short-date format.
bool ShortDateFormatIsDayFirst(const QDate &today);

// The system's side, one file per platform: on Windows the user's own short
// date (GetLocaleInfoEx), set with SetLocaleInfoEx and announced to the other
// programs; elsewhere the one kept in the user's settings, else the locale's.
namespace DateFormatSystem {
QString shortDateFormat();
bool storeShortDateFormat(const QString &picture);
} // namespace DateFormatSystem
