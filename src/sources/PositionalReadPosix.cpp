#include "PositionalRead.h"

#include <unistd.h>

qint64 ReadAt(int fd, void *buffer, qint64 length, qint64 offset)
{
    return qint64(::pread(fd, buffer, size_t(length), off_t(offset)));
}
