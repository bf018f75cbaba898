// Whole values of report-view lists: cut cells' tool tips and sort arrows.
#include "ui/CellTips.h"

#include "platform/Text.h"
#include "ui/Controls.h"
#include "ui/Dpi.h"
#include "ui/WindowContext.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace ui {

namespace {

// Room the list keeps on each side of a cell's text at 96 DPI: a column is
// sized to its text with this much either side. Taken a little wide, so a
// text that only just fits may get a tip, and one the list cuts never misses
// it (Wine pads the left by 5 or 2 pixels and the right not at all).
constexpr int kTextMargin = 6;

// The tip keeps at most this many characters (Wine's limit).
constexpr size_t kTipTextLimit = 1024;

int ColumnCount(HWND list) {
    const HWND header = ListView_GetHeader(list);
    return header ? Header_GetItemCount(header) : 0;
}

// The cell's rectangle (what the pointer rests on) and the part the list
// draws its text in (for the first column: beside its tick and picture).
bool CellRects(HWND list, int row, int column, RECT& cell, RECT& textRoom) {
    if (row < 0 || row >= ListView_GetItemCount(list) || column < 0 || column >= ColumnCount(list)) return false;
    if (column == 0) {
        // A row's bounds span every column; the first column is the row's
        // start as wide as the column.
        if (!ListView_GetItemRect(list, row, &cell, LVIR_BOUNDS)) return false;
        cell.right = cell.left + ListView_GetColumnWidth(list, 0);
        if (!ListView_GetItemRect(list, row, &textRoom, LVIR_LABEL)) return false;
        textRoom.right = std::min(textRoom.right, cell.right);
    } else {
        if (!ListView_GetSubItemRect(list, row, column, LVIR_BOUNDS, &cell)) return false;
        textRoom = cell;
    }
    return true;
}

std::wstring CutCellTextW(HWND list, int row, int column) {
    RECT cell{}, textRoom{};
    if (!CellRects(list, row, column, cell, textRoom)) return {};
    std::wstring text = platform::text::Widen(ListView(list).Text(row, column));
    if (text.empty()) return {};
    // What the list's client area shows of the text's room: a cell scrolled
    // partly out of sight is cut too.
    RECT client{};
    GetClientRect(list, &client);
    const int room = std::min(textRoom.right, client.right) - std::max(textRoom.left, client.left);
    // The list measures with its own font on its own DC.
    const int width =
        static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
    const int margins = 2 * ScaleForDpi(kTextMargin, WindowDpi(list));
    if (width + margins <= room) return {};
    return text;
}

// What a list with cell tips keeps (its hook): its tip window and the cell
// the pointer was last on, with the tool made for it (id 0: none, the cell
// shows whole). Each cell gets a tool of a new id, so the tip waits and
// shows anew for it rather than carrying over from the last cell. The tip
// goes with the list.
class CellTipsHook final : public WindowHook {
public:
    explicit CellTipsHook(HWND tipWindow) : tip(tipWindow) {}
    ~CellTipsHook() override {
        if (tip) DestroyWindow(tip);
    }
    LRESULT OnMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND tip = nullptr;
    int row = -1, column = -1;
    UINT_PTR toolId = 0;
    UINT_PTR nextId = 1;
};

TTTOOLINFOW ToolInfo(HWND list, UINT_PTR id) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = list;
    tool.uId = id;
    return tool;
}

// Drops the tool of the last cell (which hides its tip) and that cell.
void Forget(HWND list, CellTipsHook& state) {
    if (state.toolId && state.tip) {
        TTTOOLINFOW tool = ToolInfo(list, state.toolId);
        SendMessageW(state.tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    state.toolId = 0;
    state.row = state.column = -1;
}

// Takes the tip down now, wherever the pointer is; the next move of the
// pointer over the list decides afresh.
void Pop(HWND list, CellTipsHook& state) {
    Forget(list, state);
    if (state.tip) SendMessageW(state.tip, TTM_POP, 0, 0);
}

void FollowPointer(HWND list, CellTipsHook& state, POINT point) {
    LVHITTESTINFO hit{};
    hit.pt = point;
    SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const bool onCell = hit.iItem >= 0 && (hit.flags & LVHT_ONITEM) != 0;
    const int row = onCell ? hit.iItem : -1;
    const int column = onCell ? hit.iSubItem : -1;
    if (row == state.row && column == state.column) return;
    Forget(list, state);
    state.row = row;
    state.column = column;
    if (row < 0 || !state.tip) return;
    std::wstring text = CutCellTextW(list, row, column);
    if (text.empty()) return;
    if (text.size() >= kTipTextLimit) text.resize(kTipTextLimit - 1);
    RECT cell{}, textRoom{};
    if (!CellRects(list, row, column, cell, textRoom)) return;
    TTTOOLINFOW tool = ToolInfo(list, state.nextId++);
    tool.rect = cell;
    tool.lpszText = text.data();  // the tip keeps a copy
    if (SendMessageW(state.tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) state.toolId = tool.uId;
}

// The tip learns of the pointer only through the list: it waits, shows and
// hides by what it is handed.
void Relay(HWND list, const CellTipsHook& state, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!state.tip) return;
    MSG relayed{};
    relayed.hwnd = list;
    relayed.message = message;
    relayed.wParam = wParam;
    relayed.lParam = lParam;
    relayed.time = static_cast<DWORD>(GetMessageTime());
    GetCursorPos(&relayed.pt);
    SendMessageW(state.tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

// Messages after which the cell under the pointer may show another text or
// lie elsewhere: the next move of the pointer decides afresh.
bool ChangesCells(UINT message) {
    switch (message) {
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_KEYDOWN:
    case WM_SIZE:
    case WM_SETFONT:
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW:
    case LVM_SETITEMA:
    case LVM_SETITEMW:
    case LVM_SETITEMTEXTA:
    case LVM_SETITEMTEXTW:
    case LVM_INSERTCOLUMNA:
    case LVM_INSERTCOLUMNW:
    case LVM_SETCOLUMNA:
    case LVM_SETCOLUMNW:
    case LVM_DELETECOLUMN:
    case LVM_SETCOLUMNWIDTH:
    case LVM_SORTITEMS:
    case LVM_SORTITEMSEX:
    case LVM_SCROLL:
    case LVM_ENSUREVISIBLE:
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
    case LVM_SETIMAGELIST:
        return true;
    default: return false;
    }
}

bool ColumnWidthChanges(UINT code) {
    switch (code) {
    case HDN_TRACKA:
    case HDN_TRACKW:
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW:
    case HDN_ITEMCHANGEDA:
    case HDN_ITEMCHANGEDW:
    case HDN_DIVIDERDBLCLICKA:
    case HDN_DIVIDERDBLCLICKW:
        return true;
    default: return false;
    }
}

// The tip is owned by the list's top window, which destroys it before its
// children when it goes: the list then must not use the handle again.
class TipHook final : public WindowHook {
public:
    explicit TipHook(CellTipsHook& list) : list_(list) {}
    ~TipHook() override {
        list_.tip = nullptr;
        list_.toolId = 0;
    }
    LRESULT OnMessage(HWND tip, UINT message, WPARAM wParam, LPARAM lParam) override {
        return Next(tip, message, wParam, lParam);
    }

private:
    CellTipsHook& list_;
};

LRESULT CellTipsHook::OnMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case LVM_DELETEALLITEMS:
    case LVM_DELETEITEM:
        // A tip goes with its row, whether or not the pointer moves again:
        // deleting the tool alone is not said to hide a tip showing for it.
        Pop(list, *this);
        break;
    case WM_MOUSEMOVE:
        try {
            FollowPointer(list, *this, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        } catch (...) {
            // Out of memory for a cell's text: no tip, the list goes on.
            Forget(list, *this);
        }
        Relay(list, *this, message, wParam, lParam);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        Relay(list, *this, message, wParam, lParam);
        break;
    case WM_NOTIFY:
        // The tip's own notices are for no one else; a column dragged wider
        // or narrower changes which cells are cut.
        if (reinterpret_cast<NMHDR*>(lParam)->hwndFrom == tip) return 0;
        if (reinterpret_cast<NMHDR*>(lParam)->hwndFrom == ListView_GetHeader(list) &&
            ColumnWidthChanges(reinterpret_cast<NMHDR*>(lParam)->code))
            Forget(list, *this);
        break;
    case WM_KILLFOCUS:
        // The focus gone elsewhere (another page, a dialog): the tip is
        // topmost and would stay over whatever comes.
        Pop(list, *this);
        break;
    case WM_SHOWWINDOW:
        if (!wParam) Pop(list, *this);
        break;
    default:
        if (ChangesCells(message)) Forget(list, *this);
        break;
    }
    return Next(list, message, wParam, lParam);
}

}  // namespace

std::string CutCellText(HWND list, int row, int column) {
    return platform::text::Narrow(CutCellTextW(list, row, column));
}

void AttachCellTips(HWND list) {
    if (!list || HookOf<CellTipsHook>(list)) return;
    // Owned by the list (the system gives it the list's top window as owner);
    // destroyed with the list.
    const HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, list, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    if (!tip) return;
    auto hook = std::make_unique<CellTipsHook>(tip);
    CellTipsHook& state = *hook;
    if (!HookWindow(tip, std::make_unique<TipHook>(state))) {
        DestroyWindow(tip);
        return;
    }
    // A list's hook that cannot be put in place takes the tip down with it.
    if (!HookWindow(list, std::move(hook))) return;
    // A long value wraps at its spaces rather than running off the screen.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    const int widest = GetMonitorInfoW(MonitorFromWindow(list, MONITOR_DEFAULTTONEAREST), &monitor)
                           ? (monitor.rcWork.right - monitor.rcWork.left) * 3 / 4
                           : ScaleForDpi(600, WindowDpi(list));
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, widest);
}

std::string CellTipText(HWND list) {
    const CellTipsHook* state = HookOf<CellTipsHook>(list);
    if (!state || !state->toolId || !state->tip) return {};
    std::vector<wchar_t> buffer(kTipTextLimit + 1, L'\0');
    TTTOOLINFOW tool = ToolInfo(list, state->toolId);
    tool.lpszText = buffer.data();
    SendMessageW(state->tip, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&tool));
    buffer.back() = L'\0';
    return platform::text::Narrow(std::wstring(buffer.data()));
}

void PopCellTips() {
    for (const HWND window : HookedWindows())
        if (CellTipsHook* state = HookOf<CellTipsHook>(window)) Pop(window, *state);
}

HWND CellTipWindow(HWND list) {
    const CellTipsHook* state = HookOf<CellTipsHook>(list);
    return state ? state->tip : nullptr;
}

void SetSortArrow(HWND list, int column, bool descending) {
    const HWND header = ListView_GetHeader(list);
    if (!header) return;
    const int count = Header_GetItemCount(header);
    for (int i = 0; i < count; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item))) continue;
        int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == column) format |= descending ? HDF_SORTDOWN : HDF_SORTUP;
        if (format == item.fmt) continue;
        item.fmt = format;
        SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

}  // namespace ui
