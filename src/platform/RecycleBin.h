// The recycle bin, reached through the shell's late-bound call.
#pragma once

namespace platform::recycle_bin {

// Loads shell32.dll and calls SHEmptyRecycleBinA with no owner window, an
// empty root (every drive) and flags 7 (no confirmation, no progress, no
// sound). False when the library or the call is missing; the call's own
// result is not reported.
bool EmptyAllDrives();

}  // namespace platform::recycle_bin
