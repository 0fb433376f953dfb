#include "ReturnWorkbookFile.h"

#include <cstdio>
#include <io.h>

QuietLibraryOutput::QuietLibraryOutput()
{
    std::fflush(stderr);
    m_saved = _dup(_fileno(stderr));
    FILE *nowhere = _wfopen(L"NUL", L"w");
    if (m_saved >= 0 && nowhere)
        _dup2(_fileno(nowhere), _fileno(stderr));
    if (nowhere)
        std::fclose(nowhere);
}

QuietLibraryOutput::~QuietLibraryOutput()
{
    std::fflush(stderr);
    if (m_saved >= 0) {
        _dup2(m_saved, _fileno(stderr));
        _close(m_saved);
    }
}
