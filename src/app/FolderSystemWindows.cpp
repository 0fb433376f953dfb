#include "FolderSystem.h"
#include "Folders.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

namespace {
std::wstring nativeName(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// The system's own words for an error code ("Access is denied.").
QString errorText(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString message = length ? QString::fromWCharArray(text, int(length)).trimmed() : QString();
    LocalFree(text);
    if (message.endsWith(QLatin1Char('.')))
        message.chop(1);
    return message.isEmpty() ? QStringLiteral("Error %1").arg(code) : message;
}
} // namespace

QString MakeOneFolder(const QString &path)
{
    if (CreateDirectoryW(nativeName(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return QString();
    return errorText(GetLastError());
}

QString WriteProblem(const QString &path)
{
    // Windows has no access(W_OK): the read-only attribute, then an open for
    // writing (sharing everything) that is closed again.
    const DWORD attributes = GetFileAttributesW(nativeName(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)
        && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return errorText(ERROR_ACCESS_DENIED);
    HANDLE file =
        CreateFileW(nativeName(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return QString();
    }
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_NOT_FOUND)
        return errorText(code);
    const DWORD folder = GetFileAttributesW(nativeName(QFileInfo(path).absolutePath()).c_str());
    if (folder == INVALID_FILE_ATTRIBUTES)
        return errorText(GetLastError());
    if (!(folder & FILE_ATTRIBUTE_DIRECTORY))
        return errorText(ERROR_DIRECTORY);
    return QString();
}

QString DefaultSystemFolder()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    return n && n <= MAX_PATH ? QString::fromWCharArray(buffer, int(n)) : QString();
}

QSettings::Format UserSettingsFormat()
{
    return QSettings::NativeFormat; // HKEY_CURRENT_USER\Software\Quorvant\Quorvant
}
