// Where the keyboard's place in a list goes when rows go: the row that takes
// a removed row's place, and the focus mark of a list that has the focus
// but no chosen row.
#pragma once

#include <windows.h>

namespace ui {

// The row that takes the place of the row that stood at removedRow, in a
// list that now holds rowCount rows: the same index, or the new last row
// when the last one went; -1 when the list is empty or removedRow is.
int RowTakingPlace(int removedRow, int rowCount);

// Selects and focuses that row of the list and scrolls it into view; returns
// it (-1: none).
int SelectRowTakingPlace(HWND list, int removedRow);

// A list that has the keyboard focus and rows but no focused row gives its
// top row the focus mark (without selecting it), and shows the mark even
// before the keyboard has been used: a keyboard user sees where the arrow
// keys start.
void ShowFocusMark(HWND list);

}  // namespace ui
