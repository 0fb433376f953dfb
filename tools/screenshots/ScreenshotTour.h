#pragma once

#include <QString>

// An aid for looking at the windows from outside the program: it walks the
// program through login, company selection (first
// asking with nothing picked, which shows the message box), the main window
// with the data check window, the return window and its export, the
// please-wait indicator, and the exit confirmation, saving a picture of the
// screen at each stop. It answers Yes at the end, which ends the program.
void StartScreenshotTour(const QString &folder);
