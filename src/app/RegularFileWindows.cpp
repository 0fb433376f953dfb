#include "Folders.h"
#include "RegularFile.h"
#include "SystemErrorWindows.h"

#include <QDir>
#include <QFileInfo>

#include <io.h>

namespace RegularFileSystem {
Opened openForReading(const QString &path, int *handle, int *errorNumber)
{
    // A reserved name opens the device whatever folder it is in; a serial
    // port could hang the program.
    if (!ReservedNameProblem(QFileInfo(path).fileName()).isEmpty())
        return Opened::NotRegular;
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    // Shared for everything: the accounting system may hold the table open.
    // Folders open too, so that they are told apart from missing files.
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *errorNumber = ErrnoOfWindowsError(GetLastError());
        return Opened::Failed;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool isFile = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info)
                        && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!isFile) {
        CloseHandle(file);
        return Opened::NotRegular;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), kCrtReadBinary);
    if (fd < 0) {
        *errorNumber = EMFILE;
        CloseHandle(file);
        return Opened::Failed;
    }
    *handle = fd;
    return Opened::Yes;
}

void close(int handle)
{
    _close(handle);
}
} // namespace RegularFileSystem
