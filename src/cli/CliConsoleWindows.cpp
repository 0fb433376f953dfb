#include "CliConsole.h"
#include "CliProgress.h"
#include "app/Progress.h"
#include "app/SystemErrorWindows.h"

#include <cstdio>
#include <io.h>
#include <windows.h>

namespace {
// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        if (CancelRequested())
            TerminateProcess(GetCurrentProcess(), CliCancelled); // the second one
        RequestCancel();
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // The system ends the process once this returns (or after a few
        // seconds): give the work that time to stop at its next batch.
        RequestCancel();
        Sleep(4000);
        return TRUE;
    default:
        return FALSE;
    }
}
} // namespace

bool PrepareProgressLine()
{
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!_isatty(_fileno(stderr)) || err == INVALID_HANDLE_VALUE || !GetConsoleMode(err, &mode))
        return false;
    // The line is rewritten with "\r" and an erase sequence, which a console
    // follows only with virtual terminal processing on.
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)
           || SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

void UseBinaryStandardStreams()
{
    _setmode(_fileno(stdout), kCrtBinary);
    _setmode(_fileno(stderr), kCrtBinary);
}

void CatchInterrupt()
{
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void DefaultInterrupt()
{
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    if (CancelRequested()) {
        std::fflush(nullptr);
        TerminateProcess(GetCurrentProcess(), CliCancelled);
    }
}
