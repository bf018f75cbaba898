// The keyboard's place in a list after its rows changed.
#include "ui/ListPlace.h"

#include "ui/Controls.h"

#include <commctrl.h>

#include <algorithm>

namespace ui {

int RowTakingPlace(int removedRow, int rowCount) {
    if (removedRow < 0 || rowCount <= 0) return -1;
    return std::min(removedRow, rowCount - 1);
}

int SelectRowTakingPlace(HWND list, int removedRow) {
    ListView view(list);
    const int row = RowTakingPlace(removedRow, view.Count());
    if (row < 0) return -1;
    view.Select(row);
    ListView_EnsureVisible(list, row, FALSE);
    return row;
}

void ShowFocusMark(HWND list) {
    if (!list || GetFocus() != list) return;
    const int count = ListView_GetItemCount(list);
    if (count == 0 || ListView_GetNextItem(list, -1, LVNI_FOCUSED) >= 0) return;
    {
        // Not the user's change: the pages do not treat it as a choice.
        const ListRebuild mark(list);
        const int top = std::clamp(ListView_GetTopIndex(list), 0, count - 1);
        ListView_SetItemState(list, top, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    // Windows draws no focus rectangle until the keyboard has been used in
    // the window; told to this list alone, the rest of the window keeps its
    // state. Wine draws the rectangle either way.
    SendMessageW(list, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

}  // namespace ui
