#pragma once

// The main window's working windows, each made by the menu entry that opens
// it, once, on its first use.
void RegisterWorkingWindows();
