#include "AppSettings.h"
#include "DateFormat.h"

#include <QLocale>
#include <QSettings>

namespace {
const char *kShortDateKey = "regional/shortDateFormat";
} // namespace

namespace DateFormatSystem {
QString shortDateFormat()
{
    const QString stored = UserSettings().value(QLatin1String(kShortDateKey)).toString();
    if (!stored.isEmpty())
        return stored;
    return QLocale::system().dateFormat(QLocale::ShortFormat);
}

bool storeShortDateFormat(const QString &picture)
{
    QSettings s = UserSettings();
    s.setValue(QLatin1String(kShortDateKey), picture);
    s.sync();
    return s.status() == QSettings::NoError;
}
} // namespace DateFormatSystem
