// Thin, non-owning wrappers over the native list view, tree view and tool
// bar; their methods forward to the ListView_*/TreeView_* macros.
#pragma once

#include "ui/ActionList.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace ui {

class ListView {
public:
    ListView() = default;
    explicit ListView(HWND hwnd) : hwnd_(hwnd) {}
    HWND Handle() const { return hwnd_; }

    void AddColumn(const std::string& caption, int width);
    // The column's caption and width; the column is added when the list has
    // fewer (as the next one).
    void SetColumn(int column, const std::string& caption, int width);
    int ColumnCount() const;
    void SetColumnWidth(int column, int width) { ListView_SetColumnWidth(hwnd_, column, width); }
    int ColumnWidth(int column) const { return ListView_GetColumnWidth(hwnd_, column); }

    int Count() const { return ListView_GetItemCount(hwnd_); }
    // Appends a row; returns its index.
    int AddItem(const std::string& caption, int image, LPARAM data);
    void SetText(int index, int column, const std::string& text);
    std::string Text(int index, int column) const;
    LPARAM Data(int index) const;
    bool Checked(int index) const { return ListView_GetCheckState(hwnd_, index) != 0; }
    void SetChecked(int index, bool checked) { ListView_SetCheckState(hwnd_, index, checked); }
    int Selected() const { return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); }
    void Select(int index);
    // Empties the list; rows filled in again stand in no order, so the
    // header's sort arrow goes too (a sort puts it back).
    void Clear();
    // Takes up to `rows` rows off the end, drawing off and marked as a
    // rebuild: emptying a long list a slice at a time keeps the window
    // serving its messages, where emptying it at once would not.
    void RemoveLastRows(int rows);

    DWORD ExtendedStyle() const { return ListView_GetExtendedListViewStyle(hwnd_); }
    void SetExtendedStyle(DWORD mask, DWORD style) {
        ListView_SetExtendedListViewStyleEx(hwnd_, mask, style);
    }
    bool ShowsCheckBoxes() const { return (ExtendedStyle() & LVS_EX_CHECKBOXES) != 0; }
    void SetBackColor(COLORREF color);

private:
    HWND hwnd_ = nullptr;
};

class TreeView {
public:
    TreeView() = default;
    explicit TreeView(HWND hwnd) : hwnd_(hwnd) {}
    HWND Handle() const { return hwnd_; }

    HTREEITEM Add(HTREEITEM parent, const std::string& caption, int image, LPARAM data);
    HTREEITEM Root() const { return TreeView_GetRoot(hwnd_); }
    HTREEITEM Selected() const { return TreeView_GetSelection(hwnd_); }
    void Select(HTREEITEM item) { TreeView_SelectItem(hwnd_, item); }
    LPARAM Data(HTREEITEM item) const;
    std::string Caption(HTREEITEM item) const;
    void SetImage(HTREEITEM item, int image);
    int Image(HTREEITEM item) const;
    bool Checked(HTREEITEM item) const { return TreeView_GetCheckState(hwnd_, item) == 1; }
    void ExpandAll(HTREEITEM item);
    HTREEITEM ItemWithData(LPARAM data) const;
    // Every item in a depth-first walk.
    std::vector<HTREEITEM> Items() const;

private:
    HWND hwnd_ = nullptr;
};

// Holds a control's drawing off while it lives (the rows of a listing go in
// without a paint after each) and draws it once at the end, on every path.
class ScopedRedrawOff {
public:
    explicit ScopedRedrawOff(HWND control) : control_(control) { SendMessageA(control_, WM_SETREDRAW, FALSE, 0); }
    ~ScopedRedrawOff() {
        SendMessageA(control_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(control_, nullptr, TRUE);
    }
    ScopedRedrawOff(const ScopedRedrawOff&) = delete;
    ScopedRedrawOff& operator=(const ScopedRedrawOff&) = delete;

private:
    HWND control_;
};

// While code rebuilds a list's rows (clears, fills, sorts, sets ticks), the
// list's change notifications are not the user's: the guard marks that list,
// and only that list, for its lifetime. Guards nest.
class ListRebuild {
public:
    explicit ListRebuild(HWND list);
    ~ListRebuild();
    ListRebuild(const ListRebuild&) = delete;
    ListRebuild& operator=(const ListRebuild&) = delete;

private:
    HWND list_;
};
// True while a ListRebuild guard of the list lives.
bool IsListRebuilding(HWND list);

// A flat tool bar of action buttons (0 in the list stands for a separator),
// images and disabled images from the given lists, hints as tool tips. The
// caller places it; buttons are 39 x 38 with 32 x 32 images at 96 DPI.
HWND CreateActionToolBar(HWND parent, int controlId, const std::vector<int>& actionIds,
                         const ActionList& actions, HIMAGELIST images, HIMAGELIST disabledImages, int dpi);
// Gives the tool bar new pictures and button sizes for the DPI.
void SetToolBarImages(HWND toolBar, HIMAGELIST images, HIMAGELIST disabledImages, int dpi);

// A pop-up menu of actions (0 = separator); items carry their enabled state
// and, as owner-drawn bitmaps, the action's small image.
HMENU BuildActionMenu(const std::vector<int>& actionIds, const ActionList& actions);

}  // namespace ui
