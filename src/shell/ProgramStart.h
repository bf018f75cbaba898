// Program start: the single-instance guard, the main window and the message loop.
#pragma once

#include <windows.h>

namespace shell {

constexpr const char* kInstanceMutexName = "ORV-{7942D41B-5188-4AAA-872C-3B132317410C}";

// Initialises the application, refuses a second instance with "ORV is
// already running!", creates the main window, runs the loop, closes the
// mutex. Returns the exit code.
int RunOrvelin(int show);

// Initialises common controls and COM for the window's thread.
void InitialiseApplication();

}  // namespace shell
