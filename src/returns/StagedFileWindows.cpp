#include "StagedFile.h"
#include "app/SystemErrorWindows.h"

#include <QDir>

#include <io.h>

// The writer's lock is its open handle: it shares reading, writing (the
// workbook library writes the file by its name) and deleting (so it can be
// renamed while held), and a cleaner opens a file only without sharing, which
// fails while any writer holds it.
namespace {
std::wstring nativeName(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

HANDLE handleOf(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

bool sameFile(HANDLE a, HANDLE b)
{
    BY_HANDLE_FILE_INFORMATION x;
    BY_HANDLE_FILE_INFORMATION y;
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y)
           && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh
           && x.nFileIndexLow == y.nFileIndexLow;
}

bool isPlainFile(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info)
           && !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}
} // namespace

namespace StagedFileSystem {
int create(const QString &path, int *errorNumber)
{
    HANDLE file =
        CreateFileW(nativeName(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *errorNumber = ErrnoOfWindowsError(GetLastError());
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), kCrtWriteBinary);
    if (fd < 0) {
        CloseHandle(file);
        DeleteFileW(nativeName(path).c_str());
        *errorNumber = EMFILE;
        return -1;
    }
    return fd;
}

bool write(int handle, const char *data, qint64 size, int *errorNumber)
{
    qint64 done = 0;
    while (done < size) {
        const DWORD step = DWORD(qMin<qint64>(size - done, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(handleOf(handle), data + done, step, &written, nullptr)) {
            *errorNumber = ErrnoOfWindowsError(GetLastError());
            return false;
        }
        done += written;
    }
    return true;
}

void startWriteback(int, qint64, qint64)
{
    // Windows has no writeback hint; the flush at the end writes it all.
}

bool sync(int handle, int *errorNumber)
{
    if (FlushFileBuffers(handleOf(handle)))
        return true;
    *errorNumber = ErrnoOfWindowsError(GetLastError());
    return false;
}

bool namesFile(const QString &path, int handle)
{
    HANDLE atPath = CreateFileW(nativeName(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (atPath == INVALID_HANDLE_VALUE)
        return false;
    const bool same = sameFile(atPath, handleOf(handle));
    CloseHandle(atPath);
    return same;
}

void close(int handle)
{
    _close(handle);
}

bool rename(const QString &from, const QString &to, int *errorNumber)
{
    // Written through: the move is on the disk when this returns.
    if (MoveFileExW(nativeName(from).c_str(), nativeName(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    *errorNumber = ErrnoOfWindowsError(GetLastError());
    return false;
}

void remove(const QString &path)
{
    DeleteFileW(nativeName(path).c_str());
}

void syncFolder(const QString &)
{
    // MoveFileExW wrote the move through already.
}

void removeIfAbandoned(const QString &path)
{
    // Without sharing: fails while a live writer holds the file.
    HANDLE file = CreateFileW(nativeName(path).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    if (isPlainFile(file)) {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
    }
    CloseHandle(file);
}
} // namespace StagedFileSystem
