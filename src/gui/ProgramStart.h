// Program start: the single-instance guard, the main window and the message loop.
#pragma once

#include <windows.h>

#include <string>

namespace gui {

constexpr const char* kInstanceMutexName = "ORV-{7942D41B-5188-4AAA-872C-3B132317410C}";

// Initialises the application, refuses a second instance with "ORV is
// already running!", creates the main window, reports a restore that did
// not finish, runs the loop, closes the mutex. Returns the exit code.
int RunOrvelin(int show);

// Tells the user (a warning box) when a restore of a backup point in
// backupFolder started and never ended, the program having been ended by
// force, then forgets it, so it is told once. Nothing when there is none.
void ReportUnfinishedRestore(HWND owner, const std::string& backupFolder);

// Initialises common controls and COM for the window's thread.
void InitialiseApplication();

}  // namespace gui
