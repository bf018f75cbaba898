// Thin wrappers over native controls.
#include "ui/Controls.h"

#include <algorithm>

#include "ui/CellTips.h"
#include "ui/Dpi.h"
#include "ui/WindowContext.h"

namespace ui {

void ListView::AddColumn(const std::string& caption, int width) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(caption.c_str());
    column.cx = width;
    column.iSubItem = ColumnCount();
    SendMessageA(hwnd_, LVM_INSERTCOLUMNA, column.iSubItem, reinterpret_cast<LPARAM>(&column));
}

void ListView::SetColumn(int column, const std::string& caption, int width) {
    if (column >= ColumnCount()) {
        AddColumn(caption, width);
        return;
    }
    LVCOLUMNA change{};
    change.mask = LVCF_TEXT | LVCF_WIDTH;
    change.pszText = const_cast<char*>(caption.c_str());
    change.cx = width;
    SendMessageA(hwnd_, LVM_SETCOLUMNA, column, reinterpret_cast<LPARAM>(&change));
}

int ListView::ColumnCount() const {
    return Header_GetItemCount(ListView_GetHeader(hwnd_));
}

int ListView::AddItem(const std::string& caption, int image, LPARAM data) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = Count();
    item.pszText = const_cast<char*>(caption.c_str());
    item.iImage = image < 0 ? I_IMAGENONE : image;
    item.lParam = data;
    return static_cast<int>(SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::SetText(int index, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(hwnd_, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
}

void ListView::Clear() {
    ListView_DeleteAllItems(hwnd_);
    SetSortArrow(hwnd_, -1, false);
}

std::string ListView::Text(int index, int column) const {
    std::vector<char> buffer(1024);
    for (;;) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        int got = static_cast<int>(
            SendMessageA(hwnd_, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item)));
        if (got < static_cast<int>(buffer.size()) - 1) return std::string(buffer.data(), got);
        if (buffer.size() >= (1u << 20)) return std::string(buffer.data(), got);
        buffer.resize(buffer.size() * 4);
    }
}

LPARAM ListView::Data(int index) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

void ListView::Select(int index) {
    ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (index >= 0)
        ListView_SetItemState(hwnd_, index, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
}

void ListView::SetBackColor(COLORREF color) {
    ListView_SetBkColor(hwnd_, color);
    ListView_SetTextBkColor(hwnd_, color);
}

HTREEITEM TreeView::Add(HTREEITEM parent, const std::string& caption, int image, LPARAM data) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(caption.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(hwnd_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

LPARAM TreeView::Data(HTREEITEM handle) const {
    TVITEMA item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = handle;
    SendMessageA(hwnd_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

std::string TreeView::Caption(HTREEITEM handle) const {
    char buffer[512] = {};
    TVITEMA item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = handle;
    item.pszText = buffer;
    item.cchTextMax = sizeof(buffer);
    SendMessageA(hwnd_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

void TreeView::SetImage(HTREEITEM handle, int image) {
    TVITEMA item{};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    item.hItem = handle;
    item.iImage = image;
    item.iSelectedImage = image;
    SendMessageA(hwnd_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int TreeView::Image(HTREEITEM handle) const {
    TVITEMA item{};
    item.mask = TVIF_IMAGE | TVIF_HANDLE;
    item.hItem = handle;
    SendMessageA(hwnd_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

void TreeView::ExpandAll(HTREEITEM item) {
    if (!item) return;
    TreeView_Expand(hwnd_, item, TVE_EXPAND);
    for (HTREEITEM child = TreeView_GetChild(hwnd_, item); child;
         child = TreeView_GetNextSibling(hwnd_, child))
        ExpandAll(child);
}

std::vector<HTREEITEM> TreeView::Items() const {
    std::vector<HTREEITEM> items;
    std::vector<HTREEITEM> pending;
    for (HTREEITEM root = Root(); root; root = TreeView_GetNextSibling(hwnd_, root)) {
        pending.push_back(root);
        while (!pending.empty()) {
            HTREEITEM item = pending.back();
            pending.pop_back();
            items.push_back(item);
            std::vector<HTREEITEM> children;
            for (HTREEITEM child = TreeView_GetChild(hwnd_, item); child;
                 child = TreeView_GetNextSibling(hwnd_, child))
                children.push_back(child);
            pending.insert(pending.end(), children.rbegin(), children.rend());
        }
    }
    return items;
}

HTREEITEM TreeView::ItemWithData(LPARAM data) const {
    for (HTREEITEM item : Items())
        if (Data(item) == data) return item;
    return nullptr;
}

void SetToolBarImages(HWND toolBar, HIMAGELIST images, HIMAGELIST disabledImages, int dpi) {
    SendMessageA(toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    SendMessageA(toolBar, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabledImages));
    const int image = ScaleForDpi(32, dpi);
    SendMessageA(toolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(image, image));
    SendMessageA(toolBar, TB_SETBUTTONSIZE, 0, MAKELPARAM(ScaleForDpi(39, dpi), ScaleForDpi(38, dpi)));
}

HWND CreateActionToolBar(HWND parent, int controlId, const std::vector<int>& actionIds,
                         const ActionList& actions, HIMAGELIST images, HIMAGELIST disabledImages, int dpi) {
    HWND toolBar = CreateWindowExA(
        0, TOOLBARCLASSNAMEA, "",
        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE |
            CCS_NOPARENTALIGN,
        0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
        GetModuleHandleA(nullptr), nullptr);
    SendMessageA(toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SetToolBarImages(toolBar, images, disabledImages, dpi);
    std::vector<TBBUTTON> buttons;
    for (int id : actionIds) {
        TBBUTTON button{};
        if (id == 0) {
            button.iBitmap = ScaleForDpi(6, dpi);  // the separator's width
            button.fsStyle = BTNS_SEP;
        } else if (const Action* action = actions.Find(id)) {
            button.iBitmap = action->imageIndex;
            button.idCommand = id;
            button.fsState = action->enabled ? TBSTATE_ENABLED : 0;
            button.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(button);
    }
    SendMessageA(toolBar, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    return toolBar;
}

HMENU BuildActionMenu(const std::vector<int>& actionIds, const ActionList& actions) {
    HMENU menu = CreatePopupMenu();
    for (int id : actionIds) {
        if (id == 0) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const Action* action = actions.Find(id);
        if (!action) continue;
        MENUITEMINFOA item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_BITMAP | MIIM_DATA;
        item.wID = id;
        item.dwTypeData = const_cast<char*>(action->caption.c_str());
        item.fState = action->enabled ? MFS_ENABLED : MFS_DISABLED;
        item.hbmpItem = HBMMENU_CALLBACK;  // drawn from the small image list
        item.dwItemData = static_cast<ULONG_PTR>(action->imageIndex);
        InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &item);
    }
    return menu;
}

// ---- list rebuild guard ---------------------------------------------------

// The guard's depth is kept in the list's context, which goes with the
// list (or with the last guard, for a list that keeps nothing else).
ListRebuild::ListRebuild(HWND list) : list_(list) {
    if (list_) ++MakeContext(list_).rebuildDepth;
}

ListRebuild::~ListRebuild() {
    WindowContext* context = list_ ? ContextOf(list_) : nullptr;
    if (context && context->rebuildDepth > 0 && --context->rebuildDepth == 0) DropContextIfEmpty(list_);
}

bool IsListRebuilding(HWND list) {
    const WindowContext* context = list ? ContextOf(list) : nullptr;
    return context && context->rebuildDepth > 0;
}

void ListView::RemoveLastRows(int rows) {
    const int count = Count();
    if (count == 0 || rows <= 0) return;
    const ListRebuild rebuild(hwnd_);
    const ScopedRedrawOff quiet(hwnd_);
    // From the end, so no row moves and the serials of those left stay valid.
    for (int index = count - 1; index >= std::max(count - rows, 0); --index) ListView_DeleteItem(hwnd_, index);
}

}  // namespace ui
