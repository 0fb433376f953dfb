#pragma once

#include <cerrno>
#include <windows.h>

// The C runtime's modes for _open_osfhandle (their values in its fcntl.h):
// bytes as they are, no line-end translation.
constexpr int kCrtReadBinary = 0x8000; // _O_RDONLY | _O_BINARY
constexpr int kCrtWriteBinary = 0x8001; // _O_WRONLY | _O_BINARY
constexpr int kCrtBinary = 0x8000; // _O_BINARY, for _setmode

// The errno value closest to a Windows error code, so that messages use the
// same words (SystemErrorText) as on other systems: "No space left on device".
inline int ErrnoOfWindowsError(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
        return EINVAL;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}
