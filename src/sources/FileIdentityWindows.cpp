#include "FileIdentity.h"

#include <QDir>

#include <io.h>
#include <windows.h>

namespace {
FileIdentity identityOf(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info))
        return FileIdentity();
    FileIdentity id;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.size = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    // FILETIME counts 100 ns steps; only equality matters here, not the epoch.
    const quint64 ticks = (quint64(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    id.modifiedSeconds = qint64(ticks / 10000000);
    id.modifiedNanoseconds = qint64(ticks % 10000000) * 100;
    return id;
}
} // namespace

FileIdentity IdentityOfOpenFile(int fd)
{
    return fd >= 0 ? identityOf(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) : FileIdentity();
}

FileIdentity IdentityOfPath(const QString &path)
{
    // Attributes only, sharing everything: the accounting system may hold the table open.
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    HANDLE handle =
        CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return FileIdentity();
    const FileIdentity id = identityOf(handle);
    CloseHandle(handle);
    return id;
}
