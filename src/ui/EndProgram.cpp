#include "EndProgram.h"

#include <QCoreApplication>

namespace {
bool g_ending = false;
std::function<void()> g_handler;
} // namespace

void EndProgram()
{
    g_ending = true;
    if (g_handler) {
        g_handler();
        return;
    }
    // exit() stops the main loop and every modal loop running inside it; a
    // loop started later returns at once.
    QCoreApplication::exit(0);
}

bool ProgramEnding()
{
    return g_ending;
}

void SetEndProgramHandler(std::function<void()> handler)
{
    g_handler = std::move(handler);
    g_ending = false;
}
