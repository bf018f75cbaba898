// What the main window remembers between runs, per user: its place, size and
// maximised state, each page's splitter, the result lists' column widths,
// the sort and the last page. Kept in the data folder's "Settings.ini".
#pragma once

#include "gui/ListSorting.h"
#include "gui/MainPage.h"
#include "gui/TitleStrip.h"

#include <windows.h>

#include <array>
#include <string>
#include <vector>

namespace gui {

constexpr const char* kSettingsFileName = "Settings.ini";

struct RememberedWindow {
    bool found = false;  // the file held a window to restore
    RECT normal{};       // the restored (not maximised) rectangle, screen pixels
    int dpi = 96;        // the DPI the rectangle was taken at
    bool maximised = false;
    int page = kPageStartUp;
    std::array<int, kPageCount> splits{};                   // 96-DPI offsets from each splitter's place
    std::array<std::vector<int>, kPageCount> columnWidths;  // 96-DPI, per result list
    SortState sort;
};

// Reads what the file holds; anything missing or malformed reads as the
// window's defaults (found false when the window's place is not there).
RememberedWindow ReadRememberedWindow(const std::string& file);
// Writes it whole; false when the file cannot be written.
bool WriteRememberedWindow(const std::string& file, const RememberedWindow& window);

}  // namespace gui
