#pragma once

// The console the command-line tool runs in; CliConsolePosix.cpp and
// CliConsoleWindows.cpp hold the two systems' ways.

// True when standard error is a terminal that can rewrite a line ("\r" and
// erase to the end of the line), made ready for it.
bool PrepareProgressLine();

// Standard output and error carry the bytes written, as on every system:
// Windows' text mode would turn a CSV's CRLF into CR CR LF.
void UseBinaryStandardStreams();

// From the start of the process, Ctrl+C asks the work to stop (a second one
// ends the process at once, with status 130); a command that does no long
// work hands it back with DefaultInterrupt(), which ends the process if it
// came meanwhile. On Windows Ctrl+Break and closing the console ask the same.
void CatchInterrupt();
void DefaultInterrupt();
