// Item data of the result lists: a serial number that indexes the page's
// own store of listed rows, and the number of sub-values the row holds (a
// list view keeps every column for every row). The store finds a row's record
// whatever a sort did to the rows' order.
#pragma once

#include <windows.h>

#include <cstddef>

namespace ui {

inline LPARAM MakeRowData(int serial, size_t subItemCount) {
    return (static_cast<LPARAM>(serial) << 8) | static_cast<LPARAM>(subItemCount & 0xFF);
}
inline int RowSerial(LPARAM data) { return static_cast<int>(data >> 8); }
inline size_t RowSubItemCount(LPARAM data) { return static_cast<size_t>(data & 0xFF); }

}  // namespace ui
