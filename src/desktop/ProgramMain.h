#pragma once

// The program's start: regional check, data mode, the two lasting connections,
// then the main window with the login and company selection over it.
// Returns the process exit status when the program must end before the event
// loop, or -1 to go on into the main window's event loop.
int Main();

// Makes Main ask for the application folder again (--choose-app-dir), even
// when one was chosen before.
void AskForAppFolder();
