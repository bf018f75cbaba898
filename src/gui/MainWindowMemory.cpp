// MainWindow: the window's state kept between runs (shell/WindowMemory).
#include "gui/MainWindow.h"

#include "ui/Controls.h"
#include "ui/ScreenPlacement.h"

#include <algorithm>

namespace gui {

namespace {

// The window's restored rectangle in screen pixels, also while it is
// maximised or minimised (the placement gives it in work-area coordinates,
// which differ from the screen's by a taskbar at the left or top).
RECT NormalRectOnScreen(HWND window) {
    if (!IsZoomed(window) && !IsIconic(window)) {
        RECT shown{};
        GetWindowRect(window, &shown);
        return shown;
    }
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    RECT normal = placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        OffsetRect(&normal, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    return normal;
}

}  // namespace

RememberedWindow MainWindow::RememberedState() const {
    RememberedWindow state;
    state.found = true;
    state.normal = NormalRectOnScreen(Handle());
    state.dpi = Dpi();
    state.maximised = IsZoomed(Handle());
    if (IsIconic(Handle())) {  // minimised from a maximised window: it comes back maximised
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        state.maximised = GetWindowPlacement(Handle(), &placement) && (placement.flags & WPF_RESTORETOMAXIMIZED);
    }
    state.page = currentPage_;
    state.sort = sortState_;
    for (int page = 0; page < kPageCount; ++page) {
        state.splits[page] = layout_.Split(page);
        const ui::ListView list = pages_[page]->ResultList();
        if (!list.Handle()) continue;
        for (int column = 0; column < list.ColumnCount(); ++column)
            state.columnWidths[page].push_back(layout_.Unscale(list.ColumnWidth(column)));
    }
    return state;
}

void MainWindow::ApplyRememberedState(const RememberedWindow& state) {
    firstPage_ = state.page;
    sortState_ = state.sort;
    if (state.found) {
        // A rectangle taken at another DPI keeps its size in 96-DPI terms.
        RECT place = state.normal;
        place.right = place.left + MulDiv(place.right - place.left, Dpi(), state.dpi);
        place.bottom = place.top + MulDiv(place.bottom - place.top, Dpi(), state.dpi);
        place.right = std::max(place.right, place.left + minimumFrame_.cx);
        place.bottom = std::max(place.bottom, place.top + minimumFrame_.cy);
        place = ui::PlaceOnWorkArea(place, ui::MonitorWorkAreas());
        SetWindowPos(Handle(), nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (int page = 0; page < kPageCount; ++page) {
        pages_[page]->MoveSplitTo(state.splits[page]);
        ui::ListView list = pages_[page]->ResultList();
        const std::vector<int>& widths = state.columnWidths[page];
        // Widths of another set of columns (another version's list) are not this list's.
        if (list.Handle() && static_cast<int>(widths.size()) == list.ColumnCount())
            for (int column = 0; column < list.ColumnCount(); ++column)
                list.SetColumnWidth(column, layout_.Scale(widths[column]));
        pages_[page]->LayoutChanged();
    }
}

int MainWindow::UseRememberedState(const std::string& file, int show) {
    stateFile_ = file;
    const RememberedWindow state = ReadRememberedWindow(file);
    ApplyRememberedState(state);
    const bool plainShow = show == SW_SHOWNORMAL || show == SW_SHOWDEFAULT || show == SW_SHOW;
    return state.found && state.maximised && plainShow ? SW_SHOWMAXIMIZED : show;
}

void MainWindow::SaveRememberedState() const {
    // A file that cannot be written costs only the next start's defaults.
    if (!stateFile_.empty()) WriteRememberedWindow(stateFile_, RememberedState());
}

}  // namespace gui
