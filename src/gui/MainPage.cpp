// PageWindow: what the main window's pages share.
#include "gui/MainPage.h"

#include "common/RowActions.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "gui/ListSorting.h"
#include "gui/MainLayout.h"
#include "ui/CellTips.h"
#include "ui/Dpi.h"
#include "ui/ListPlace.h"
#include "ui/RowData.h"

#include <algorithm>

namespace gui {

using namespace layout;

namespace {

constexpr const char* kPageClass = "OrvPage";

}  // namespace

PageWindow::PageWindow(IPageHost& frame, int page) : frame_(frame), page_(page) {
    RegisterWindowClass(kPageClass, FormBrush(), nullptr);
    // A control parent, so Tab moves between the page's controls.
    CreateInstance(kPageClass, "", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, 0, 0, 0, 0,
                   frame.Handle(), nullptr);
    frame.Layout().Place(Handle(), 0, kPageTop, kClientWidth, kPageHeight, ui::kGrowRight | ui::kGrowDown);
}

PageWindow::~PageWindow() { DestroyHandle(); }

HWND PageWindow::AddControl(const char* className, const char* text, DWORD style, int x, int y, int width,
                           int height, int id, DWORD exStyle, unsigned anchors) {
    HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, Handle(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    return frame_.Layout().Place(control, x, y, width, height, anchors, page_);
}

HWND PageWindow::AddToolBar(int id, const std::vector<int>& actionIds, int width) {
    HWND toolBar = ui::CreateActionToolBar(Handle(), id, actionIds, frame_.Actions(), frame_.ToolBarImages(),
                                           frame_.ToolBarDisabledImages(), frame_.Dpi());
    frame_.Layout().Place(toolBar, 0, 1, width, kStripHeight - 2);
    frame_.Actions().RegisterToolBar(toolBar);
    return toolBar;
}

HWND PageWindow::AddTree(int id, int width, DWORD extraStyle, HIMAGELIST images) {
    HWND tree = AddControl(WC_TREEVIEWA, "",
                           WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | extraStyle,
                           0, kStripHeight, width, kPageHeight - kStripHeight, id, WS_EX_CLIENTEDGE,
                           ui::kGrowDown | ui::kGrowSplit);
    TreeView_SetImageList(tree, images, TVSIL_NORMAL);
    TreeView_SetBkColor(tree, kListColor);
    return tree;
}

HWND PageWindow::AddList(int id, int left, DWORD listExStyle) {
    // The image lists belong to the pages, not to the list.
    HWND list = AddControl(WC_LISTVIEWA, "",
                           WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, left,
                           kStripHeight, kClientWidth - left, kPageHeight - kStripHeight, id,
                           WS_EX_CLIENTEDGE,
                           ui::kGrowRight | ui::kGrowDown | ui::kFollowSplit | ui::kShrinkSplit);
    ListView_SetExtendedListViewStyleEx(list, listExStyle, listExStyle);
    ui::ListView(list).SetBackColor(kListColor);
    ui::AttachCellTips(list);
    return list;
}

void PageWindow::AddSplitter(int left) {
    splitterHome_ = left;
    splitter_ = std::make_unique<ui::Splitter>(Handle(), 0, [this](int edge) { SplitterDragged(edge); });
    frame_.Layout().Place(splitter_->Handle(), left - ui::Splitter::kWidth / 2, kStripHeight, ui::Splitter::kWidth,
                          kPageHeight - kStripHeight, ui::kGrowDown | ui::kFollowSplit, page_);
}

bool PageWindow::SelectedNodeData(LPARAM& data) const {
    const ui::TreeView tree = SectionTree();
    const HTREEITEM selected = tree.Handle() ? tree.Selected() : nullptr;
    if (!selected) return false;
    data = tree.Data(selected);
    return true;
}

ElevationOffer PageWindow::ElevationOfferOfFrame() const {
    IPageHost* frame = &frame_;
    return [frame](const std::string& refusal, HWND owner, platform::dialogs::BoxKind otherwise) {
        return frame->OfferElevatedRestart(refusal, owner, otherwise);
    };
}

std::string PageWindow::SelectedRowCaption() const {
    const ui::ListView list = ResultList();
    const int selected = list.Handle() ? list.Selected() : -1;
    return selected >= 0 ? list.Text(selected, 0) : std::string();
}

int PageWindow::SelectedRowIndex() const {
    const ui::ListView list = ResultList();
    return list.Handle() ? list.Selected() : -1;
}

void PageWindow::ShowNodeAndRow(bool hasNode, LPARAM node, const std::string& row, int rowIndex) {
    const RefreshBatch batch(frame_);
    ui::TreeView tree = SectionTree();
    if (hasNode && tree.Handle())
        if (const HTREEITEM item = tree.ItemWithData(node)) tree.Select(item);
    ui::ListView list = ResultList();
    if (row.empty() || !list.Handle()) return;
    const bool indexHolds = rowIndex >= 0 && rowIndex < list.Count() && list.Text(rowIndex, 0) == row;
    for (int i = indexHolds ? rowIndex : 0; i < list.Count(); ++i)
        if (list.Text(i, 0) == row) {
            list.Select(i);
            ListView_EnsureVisible(list.Handle(), i, FALSE);
            return;
        }
}

void PageWindow::MoveSplitTo(int offset) {
    if (splitter_) SplitterDragged(frame_.Layout().Scale(splitterHome_ + offset));
}

void PageWindow::SplitterDragged(int edge) {
    ui::DpiLayout& layout = frame_.Layout();
    RECT client{};
    GetClientRect(Handle(), &client);
    // Both sides stay wide enough to read: the tree shows its captions'
    // beginnings, the list a column or two.
    constexpr int kNarrowest = 120;
    const int widest = layout.Unscale(client.right) - kNarrowest;
    const int wanted = std::min(std::max(layout.Unscale(edge), kNarrowest), std::max(widest, kNarrowest));
    if (wanted - splitterHome_ == layout.Split(page_)) return;
    layout.SetSplit(page_, wanted - splitterHome_);
    layout.Apply();
    LayoutChanged();
}

void PageWindow::FillColumn(ui::ListView list, int column, int dpi) {
    const int count = list.ColumnCount();
    if (column < 0 || column >= count) return;
    RECT client{};
    GetClientRect(list.Handle(), &client);
    int others = 0;
    for (int i = 0; i < count; ++i)
        if (i != column) others += list.ColumnWidth(i);
    // Room for a scroll bar that rows may bring, as the columns were first made.
    const bool scrollBar = (GetWindowLongA(list.Handle(), GWL_STYLE) & WS_VSCROLL) != 0;
    const int room = client.right - others - (scrollBar ? 0 : GetSystemMetrics(SM_CXVSCROLL));
    const int minimum = ui::ScaleForDpi(60, dpi);
    list.SetColumnWidth(column, room > minimum ? room : minimum);
}

void PageWindow::RenewSectionImages(platform::ImageListHandle& images, ui::TreeView tree, int dpi) {
    platform::ImageListHandle old = std::move(images);  // freed once the tree holds the new one
    const int size = ui::ScaleForDpi(16, dpi);
    images.Reset(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 0, 4));
    TreeView_SetImageList(tree.Handle(), images.Get(), TVSIL_NORMAL);
}

void PageWindow::RenewToolBarAndColumns(int toolBarId, ui::ListView list, int oldDpi, int newDpi) {
    ui::SetToolBarImages(GetDlgItem(Handle(), toolBarId), frame_.ToolBarImages(), frame_.ToolBarDisabledImages(),
                         newDpi);
    RescaleListColumns(list, oldDpi, newDpi);
}

void PageWindow::tabSheetShow() {
    ui::TreeView tree = SectionTree();
    if (!tree.Handle()) return;
    if (HTREEITEM first = tree.Root()) {
        tree.ExpandAll(first);
        TreeExpandedAll();
        tree.Select(first);
    }
    SetFocus(tree.Handle());
    frame_.RefreshView();
}

void PageWindow::ShowActionMenu(HWND source, POINT screen, const std::vector<int>& actionIds) {
    if (screen.x == -1 && screen.y == -1) {  // from the keyboard
        RECT rect{};
        GetWindowRect(source, &rect);
        screen = {rect.left + frame_.Layout().Scale(8), rect.top + frame_.Layout().Scale(24)};
    }
    RefreshRowActions();  // for the row under a right click, selected just now
    platform::MenuHandle menu(ui::BuildActionMenu(actionIds, frame_.Actions()));
    const int chosen =
        TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr);
    if (chosen) frame_.ExecuteAction(chosen);
}

// ---- the row commands ------------------------------------------------------

std::vector<int> PageWindow::WithRowActions(std::vector<int> own, bool registryEditor) {
    if (!own.empty()) own.push_back(0);
    own.push_back(aRowCopy);
    if (registryEditor) own.push_back(aRowRegistryEditor);
    own.push_back(aRowFileLocation);
    return own;
}

void PageWindow::RefreshRowActions() {
    ui::ActionList& actions = frame_.Actions();
    const ui::ListView list = ResultList();
    const bool rowSelected = list.Handle() && list.Selected() >= 0;
    const RowPlaces places = rowSelected ? SelectedRowPlaces() : RowPlaces{};
    actions.SetEnabled(aRowCopy, rowSelected);
    actions.SetEnabled(aRowRegistryEditor, !common::RegistryEditorKeyText(places.registryKey).empty());
    actions.SetEnabled(aRowFileLocation, common::FileLocationStart(places.filePath).has_value());
}

void PageWindow::CopySelectedRows() {
    const ui::ListView list = ResultList();
    if (!list.Handle()) return;
    // The columns in the order the header shows them (a dragged header
    // reorders the display, not the column numbers).
    const int columns = list.ColumnCount();
    std::vector<int> order(static_cast<size_t>(std::max(columns, 0)));
    for (int k = 0; k < columns; ++k) order[k] = k;
    if (columns > 0) ListView_GetColumnOrderArray(list.Handle(), columns, order.data());
    std::vector<std::vector<std::string>> rows;
    for (int row = ListView_GetNextItem(list.Handle(), -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(list.Handle(), row, LVNI_SELECTED)) {
        std::vector<std::string> cells;
        for (int column : order) cells.push_back(list.Text(row, column));
        rows.push_back(std::move(cells));
    }
    if (rows.empty()) return;
    if (!platform::clipboard::SetText(common::RowsAsText(rows)))
        platform::dialogs::ShowBox(frame_.Handle(), "Cannot copy to the clipboard: another program holds it.",
                                   ui::kApplicationTitle, platform::dialogs::BoxKind::ErrorCancel);
}

namespace {

void TellStartFailure(HWND owner, const std::string& program, DWORD error) {
    if (error == ERROR_CANCELLED) return;  // the user said No to the elevation prompt
    platform::dialogs::ShowBox(owner, "Cannot start " + program + ": " + platform::processes::SystemErrorText(error),
                               ui::kApplicationTitle, platform::dialogs::BoxKind::ErrorCancel);
}

}  // namespace

void PageWindow::OpenSelectedInRegistryEditor() {
    const ui::ListView list = ResultList();
    if (!list.Handle() || list.Selected() < 0) return;
    common::ProgramStart start;
    const DWORD prepared = common::PrepareRegistryEditor(SelectedRowPlaces().registryKey, start);
    if (prepared == ERROR_INVALID_PARAMETER) return;  // the row names no key (the command is disabled then)
    if (prepared != ERROR_SUCCESS) {
        platform::dialogs::ShowBox(frame_.Handle(),
                                   "Cannot tell the registry editor which key to open: " +
                                       platform::processes::SystemErrorText(prepared),
                                   ui::kApplicationTitle, platform::dialogs::BoxKind::ErrorCancel);
        return;
    }
    if (const DWORD error = platform::shell::StartProgram(frame_.Handle(), start.program, start.arguments))
        TellStartFailure(frame_.Handle(), start.program, error);
}

void PageWindow::OpenSelectedFileLocation() {
    const ui::ListView list = ResultList();
    if (!list.Handle() || list.Selected() < 0) return;
    const std::string path = SelectedRowPlaces().filePath;
    const std::optional<common::ProgramStart> start = common::FileLocationStart(path);
    if (!start) {
        // Gone since the menu was shown.
        if (!path.empty())
            platform::dialogs::ShowBox(frame_.Handle(), "The file " + path + " does not exist.",
                                       ui::kApplicationTitle, platform::dialogs::BoxKind::ErrorCancel);
        frame_.RefreshView();
        return;
    }
    if (const DWORD error = platform::shell::StartProgram(frame_.Handle(), start->program, start->arguments))
        TellStartFailure(frame_.Handle(), start->program, error);
}

bool PageWindow::ResultListKeyDown(const NMLVKEYDOWN* key) {
    if (key->wVKey != 'C' || GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return false;
    CopySelectedRows();
    return true;
}

bool PageWindow::OnToolTip(NMHDR* header) {
    const ui::Action* action = frame_.Actions().Find(static_cast<int>(header->idFrom));
    if (!action) return true;
    if (header->code == TTN_GETDISPINFOA) {
        reinterpret_cast<NMTTDISPINFOA*>(header)->lpszText = const_cast<char*>(action->hint.c_str());
    } else {
        // The tool tip asks in UTF-16 when it was created as a wide window;
        // the text must outlive this call.
        static std::wstring hint;
        hint = platform::text::Widen(action->hint);
        reinterpret_cast<NMTTDISPINFOW*>(header)->lpszText = hint.data();
    }
    return true;
}

// The selected section stays marked while the focus is in the list, so the
// user sees which section the list shows.
LRESULT PageWindow::DrawTreeItem(NMTVCUSTOMDRAW* draw) {
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const HWND tree = draw->nmcd.hdr.hwndFrom;
    const auto item = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
    if (GetFocus() != tree && TreeView_GetSelection(tree) == item) {
        draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
        draw->clrTextBk = kSelectionColor;
    }
    return CDRF_DODEFAULT;
}

LRESULT PageWindow::OnNotify(NMHDR* header) {
    if (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW) {
        OnToolTip(header);
        return 0;
    }
    if (header->code == NM_CUSTOMDRAW && header->hwndFrom == SectionTree().Handle())
        return DrawTreeItem(reinterpret_cast<NMTVCUSTOMDRAW*>(header));
    return 0;
}

LRESULT PageWindow::OnResultListNotify(NMHDR* header) {
    switch (header->code) {
    case LVN_COLUMNCLICK:
        frame_.SortListByColumn(header->hwndFrom, reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        break;
    case LVN_ITEMCHANGED:
        if (!ui::IsListRebuilding(header->hwndFrom)) frame_.RefreshView();
        break;
    case NM_CLICK: frame_.RefreshView(); break;
    case NM_SETFOCUS: ui::ShowFocusMark(header->hwndFrom); break;
    case LVN_KEYDOWN: ResultListKeyDown(reinterpret_cast<NMLVKEYDOWN*>(header)); break;
    case LVN_DELETEALLITEMS:
        // The rows' data are plain numbers with nothing to free: no
        // notification per row, which made emptying a list of tens of
        // thousands keep the window from its messages.
        return TRUE;
    }
    return 0;
}

void PageWindow::OnCommand(int id, int, HWND) {
    if (frame_.Actions().Find(id)) frame_.ExecuteAction(id);
}

LRESULT PageWindow::OnControlColor(HDC dc, HWND) {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, kFormColor);
    return reinterpret_cast<LRESULT>(FormBrush());
}

LRESULT PageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY: {
        const RefreshBatch batch(frame_);
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    }
    case WM_COMMAND: {
        const RefreshBatch batch(frame_);
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    }
    case WM_CONTEXTMENU: {
        const RefreshBatch batch(frame_);
        OnContextMenu(reinterpret_cast<HWND>(wParam),
                      POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NEXTDLGCTL:
        // A control that keeps Tab for itself in a dialog (a multi-line edit)
        // asks its parent to move the focus on: the frame's Tab order does.
        return SendMessageA(frame_.Handle(), message, wParam, lParam);
    case WM_CLOSE:
        // A multi-line edit posts this to its parent on Esc, as if the parent
        // were a dialog; a page closes only with the frame.
        return 0;
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_MENU) break;
        measure->itemWidth = measure->itemHeight = static_cast<UINT>(frame_.Layout().Scale(16));
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlType != ODT_MENU) break;
        const int image = static_cast<int>(draw->itemData);
        const int size = frame_.Layout().Scale(16);
        if (image >= 0)
            ImageList_Draw(frame_.SmallImages(), image, draw->hDC, draw->rcItem.left,
                           draw->rcItem.top + (draw->rcItem.bottom - draw->rcItem.top - size) / 2,
                           (draw->itemState & ODS_DISABLED) ? ILD_BLEND50 : ILD_TRANSPARENT);
        return TRUE;
    }
    }
    return DefaultProcedure(message, wParam, lParam);
}

// ---- list columns ----------------------------------------------------------

void AddListColumns(ui::ListView list, int dpi, std::initializer_list<std::pair<const char*, int>> columns) {
    RECT client{};
    GetClientRect(list.Handle(), &client);
    int fixed = 0;
    for (const auto& column : columns) fixed += ui::ScaleForDpi(column.second, dpi);
    const int fill = client.right - fixed - GetSystemMetrics(SM_CXVSCROLL);
    const int minimum = ui::ScaleForDpi(60, dpi);
    for (const auto& column : columns)
        list.AddColumn(column.first,
                       column.second ? ui::ScaleForDpi(column.second, dpi) : (fill > minimum ? fill : minimum));
}

void RescaleListColumns(ui::ListView list, int oldDpi, int newDpi) {
    for (int column = 0; column < list.ColumnCount(); ++column)
        list.SetColumnWidth(column, MulDiv(list.ColumnWidth(column), newDpi, oldDpi));
}

// ---- sorting ---------------------------------------------------------------

namespace {

// Everything a row carries besides its texts.
struct RowExtras {
    LPARAM data = 0;
    int image = 0;
    UINT state = 0;  // selection, focus and tick
};

RowExtras ReadExtras(HWND list, int index) {
    LVITEMA item{};
    item.mask = LVIF_PARAM | LVIF_IMAGE | LVIF_STATE;
    item.iItem = index;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return {item.lParam, item.iImage, item.state};
}

void WriteExtras(HWND list, int index, const RowExtras& extras) {
    LVITEMA item{};
    item.mask = LVIF_PARAM | LVIF_IMAGE | LVIF_STATE;
    item.iItem = index;
    item.lParam = extras.data;
    item.iImage = extras.image;
    item.state = extras.state;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void SortListView(ui::ListView list, const SortState& state) {
    const int count = list.Count();
    const int columns = list.ColumnCount();
    std::vector<SortRow> rows;
    std::vector<RowExtras> extras;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        extras.push_back(ReadExtras(list.Handle(), i));
        // The row's position is its key: unique whatever its data holds.
        SortRow row{i, list.Text(i, 0), {}};
        const size_t held = std::min<size_t>(ui::RowSubItemCount(extras.back().data), columns - 1);
        for (size_t k = 0; k < held; ++k) row.subItems.push_back(list.Text(i, static_cast<int>(k + 1)));
        rows.push_back(std::move(row));
    }
    SortRows(rows, state.column, state.descending);
    {
        const ui::ListRebuild rebuild(list.Handle());
        ui::ScopedRedrawOff quiet(list.Handle());
        for (int i = 0; i < count; ++i) {
            const SortRow& row = rows[i];
            list.SetText(i, 0, row.caption);
            for (int k = 1; k < columns; ++k)
                list.SetText(i, k, static_cast<size_t>(k - 1) < row.subItems.size() ? row.subItems[k - 1] : "");
            WriteExtras(list.Handle(), i, extras[row.key]);
        }
    }
    ui::SetSortArrow(list.Handle(), state.column, state.descending);
}

}  // namespace gui
