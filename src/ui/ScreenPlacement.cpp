// A remembered window rectangle kept within reach.
#include "ui/ScreenPlacement.h"

#include <algorithm>

namespace ui {

namespace {

// The part of the caption that must show: this much of its width and height.
constexpr LONG kReachableWidth = 100;
constexpr LONG kCaptionHeight = 24;

bool CaptionReachable(const RECT& window, const RECT& work) {
    const RECT caption{window.left, window.top, window.right, window.top + kCaptionHeight};
    RECT shown{};
    if (!IntersectRect(&shown, &caption, &work)) return false;
    return shown.right - shown.left >= std::min<LONG>(kReachableWidth, window.right - window.left) &&
           shown.bottom - shown.top >= std::min<LONG>(kCaptionHeight / 2, window.bottom - window.top);
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    auto& areas = *reinterpret_cast<std::vector<RECT>*>(data);
    if (info.dwFlags & MONITORINFOF_PRIMARY) areas.insert(areas.begin(), info.rcWork);
    else areas.push_back(info.rcWork);
    return TRUE;
}

}  // namespace

std::vector<RECT> MonitorWorkAreas() {
    std::vector<RECT> areas;
    EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

RECT PlaceOnWorkArea(const RECT& saved, const std::vector<RECT>& workAreas) {
    if (workAreas.empty()) return saved;
    for (const RECT& work : workAreas)
        if (CaptionReachable(saved, work)) return saved;
    const RECT& primary = workAreas.front();
    const LONG width = std::min(saved.right - saved.left, primary.right - primary.left);
    const LONG height = std::min(saved.bottom - saved.top, primary.bottom - primary.top);
    const LONG left = primary.left + ((primary.right - primary.left) - width) / 2;
    const LONG top = primary.top + ((primary.bottom - primary.top) - height) / 2;
    return RECT{left, top, left + width, top + height};
}

}  // namespace ui
