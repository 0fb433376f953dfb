#include "ReturnWorkbookFile.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

QuietLibraryOutput::QuietLibraryOutput()
{
    std::fflush(stderr);
    m_saved = ::dup(STDERR_FILENO);
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (m_saved >= 0 && nowhere >= 0)
        ::dup2(nowhere, STDERR_FILENO);
    if (nowhere >= 0)
        ::close(nowhere);
}

QuietLibraryOutput::~QuietLibraryOutput()
{
    std::fflush(stderr);
    if (m_saved >= 0) {
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
}
