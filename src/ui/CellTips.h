// Whole values of report-view lists: a tool tip with the whole text of a
// cell the column cuts short, and the header's sort arrow.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The whole text of the list's cell when the cell shows only part of it (the
// text is wider than the room the list draws it in, or the cell reaches past
// the list's visible area); empty when the whole text shows, and for a cell
// that does not exist.
std::string CutCellText(HWND list, int row, int column);

// Gives the list a tool tip that shows the whole text of a cut cell while the
// pointer rests on it. The tip goes with the list.
void AttachCellTips(HWND list);

// Takes down every cell tip showing: for a list hidden with its page or
// dialog, which the list itself does not hear of.
void PopCellTips();

// The text the list's cell tip holds for the cell under the pointer; empty
// when that cell shows whole (or the list has no cell tips).
std::string CellTipText(HWND list);
// The tip window of a list with cell tips (nullptr for other lists).
HWND CellTipWindow(HWND list);

// Marks the column's header with the arrow of the rows' order (up:
// ascending) and takes the arrow off every other column; a column of -1
// takes every arrow off.
void SetSortArrow(HWND list, int column, bool descending);

}  // namespace ui
