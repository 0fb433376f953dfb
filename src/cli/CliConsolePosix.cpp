#include "CliConsole.h"
#include "app/Progress.h"

#include <csignal>
#include <unistd.h>

namespace {
void onInterrupt(int)
{
    RequestCancel();
}
} // namespace

bool PrepareProgressLine()
{
    return isatty(STDERR_FILENO);
}

void UseBinaryStandardStreams() {}

void CatchInterrupt()
{
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

void DefaultInterrupt()
{
    std::signal(SIGINT, SIG_DFL);
    if (CancelRequested())
        std::raise(SIGINT);
}
