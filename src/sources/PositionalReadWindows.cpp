#include "PositionalRead.h"

#include <cerrno>
#include <io.h>
#include <windows.h>

qint64 ReadAt(int fd, void *buffer, qint64 length, qint64 offset)
{
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE || length < 0 || length > 0x7fffffff) {
        errno = EBADF;
        return -1;
    }
    // A read at an offset moves a synchronous handle's position; put it back.
    LARGE_INTEGER here = {};
    LARGE_INTEGER zero = {};
    if (!SetFilePointerEx(handle, zero, &here, FILE_CURRENT)) {
        errno = EIO;
        return -1;
    }
    OVERLAPPED at = {};
    at.Offset = DWORD(quint64(offset) & 0xffffffffu);
    at.OffsetHigh = DWORD(quint64(offset) >> 32);
    DWORD got = 0;
    const bool read = ReadFile(handle, buffer, DWORD(length), &got, &at) || GetLastError() == ERROR_HANDLE_EOF;
    if (!SetFilePointerEx(handle, here, nullptr, FILE_BEGIN) || !read) {
        errno = EIO;
        return -1;
    }
    return qint64(got);
}
