#pragma once

#include <functional>

// Ends the program at once, as Cancel in the login, the exit confirmations
// and the company window's Close do: every event loop stops, and no window
// asks again on the way out.
void EndProgram();
// True once EndProgram has been called.
bool ProgramEnding();
// Tests observe the ending instead of stopping their own process. An empty
// function restores the default. Either way the ending flag is cleared.
void SetEndProgramHandler(std::function<void()> handler);
