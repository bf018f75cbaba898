// Where a window remembered from an earlier run may go: a place no monitor
// shows any more (a monitor unplugged, a resolution lowered) is brought back
// onto a work area, so the window never opens out of reach.
#pragma once

#include <windows.h>

#include <vector>

namespace ui {

// The work areas of every monitor, the primary's first.
std::vector<RECT> MonitorWorkAreas();

// The saved rectangle when enough of its caption lies on one of the work
// areas to take it with the mouse; else the same size (cut to the primary
// work area when larger) at the primary work area's centre. An empty list
// of work areas keeps the rectangle as it is.
RECT PlaceOnWorkArea(const RECT& saved, const std::vector<RECT>& workAreas);

}  // namespace ui
