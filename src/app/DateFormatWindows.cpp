#include "DateFormat.h"

#include <QLocale>

#include <iterator>
#include <windows.h>

namespace DateFormatSystem {
QString shortDateFormat()
{
    // Asked afresh each time: Qt keeps the locale it read at start-up.
    wchar_t buffer[LOCALE_NAME_MAX_LENGTH * 2] = {};
    const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTDATE, buffer, int(std::size(buffer)));
    if (n > 1)
        return QString::fromWCharArray(buffer, n - 1);
    return QLocale::system().dateFormat(QLocale::ShortFormat);
}

bool storeShortDateFormat(const QString &picture)
{
    const std::wstring text = picture.toStdWString();
    // The user's own setting (Windows names no ...Ex form of this call).
    if (!SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, text.c_str()))
        return false;
    // The programs already running read the change from here.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"), SMTO_ABORTIFHUNG, 5000,
                        &result);
    return true;
}
} // namespace DateFormatSystem
