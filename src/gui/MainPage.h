// PageWindow: the base of the main window's pages. A page is a child window of
// the frame that owns its controls, handles their notifications, holds its
// branch of the central refresh and its actions' handlers. What every page
// shares lives here: routing tool bar commands to the frame's actions, tool
// tips, pop-up menus with small images, the marked tree selection, colours.
#pragma once

#include "formats/ReportFile.h"
#include "platform/Dialogs.h"
#include "platform/Handles.h"
#include "gui/ElevationOffer.h"
#include "ui/ActionList.h"
#include "ui/Controls.h"
#include "ui/Splitter.h"
#include "ui/Window.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class FileVersionInfo;
namespace common {
struct ProgramSettings;
}
namespace ui {
class DpiLayout;
}

namespace gui {

// Pages, as CurrentPage() counts them.
enum Page : int { kPageStartUp = 0, kPageRegistry = 1, kPageHistory = 2, kPageAbout = 3 };

// Command identifiers of the actions.
enum ActionId : int {
    aSuAdd = 1001,
    aSuDelete,
    aSuUpdate,
    aSuCheck,
    aSuEdit,
    aSuInfo,
    aRgScan,
    aRgFix,
    aRgFixAll,
    aRgSelectAll,
    aRgSelectNone,
    aHsDelete,
    aHsUpdate,
    aHsDeleteAll,
    aReport,
    aBackUp,
    // The row commands of the result lists' pop-up menus (any page's list).
    aRowCopy,
    aRowRegistryEditor,
    aRowFileLocation,
};


// What a page may ask of the frame that holds it: its window, the current
// page, the shared actions, sorting and pictures, the central refresh, and
// the program's settings. A page knows the frame only through this.
class IPageHost {
public:
    virtual HWND Handle() const = 0;
    virtual int CurrentPage() const = 0;
    // Asks for the central refresh (the current page recomputes its actions).
    virtual void RefreshView() = 0;
    virtual ui::ActionList& Actions() = 0;
    virtual bool ExecuteAction(int id) = 0;
    // Column click on a result list, with the shared sort state; and the
    // list sorted again with the stored state (after an Update).
    virtual void SortListByColumn(HWND list, int column) = 0;
    virtual void SortListAgain(HWND list) = 0;
    virtual ui::DpiLayout& Layout() = 0;
    virtual int Dpi() const = 0;
    virtual HFONT Font() const = 0;
    virtual HIMAGELIST ToolBarImages() const = 0;
    virtual HIMAGELIST ToolBarDisabledImages() const = 0;
    virtual HIMAGELIST SmallImages() const = 0;
    virtual FileVersionInfo& VersionInfo() = 0;
    // The program's folder, backup folder and version.
    virtual const common::ProgramSettings& Settings() const = 0;
    // Runs the main window's one save dialog (no filter, no default
    // extension, no title), which the commands that write a file share.
    // fileName: a name to offer, or empty to offer the one it last held;
    // receives the chosen name. False when the user cancelled.
    virtual bool RunSaveDialog(std::string& fileName) = 0;
    // Refresh requests between the two run once, at the end of the outermost
    // batch (see RefreshBatch). The end never throws: a refresh that fails
    // there, or a batch ended by an exception, leaves the refresh to the
    // message loop, where a failure is shown as any other.
    virtual void BeginRefreshBatch() = 0;
    virtual void EndRefreshBatch() noexcept = 0;
    // A change to a machine-wide key or file was refused for want of
    // rights: tells the refusal and, unless Orvelin already runs as
    // administrator or work is under way, offers to restart it so, on the
    // same page and selection; otherwise the refusal is shown in a box of
    // the kind given. owner: the window the box belongs to (a dialog over
    // the frame), the frame when none. True when the restart is under way
    // (this window closes).
    virtual bool OfferElevatedRestart(const std::string& refusal, HWND owner = nullptr,
                                      platform::dialogs::BoxKind otherwise = platform::dialogs::BoxKind::Warning) = 0;

protected:
    ~IPageHost() = default;
};

// Holds the central refresh back while a command or a control's event
// runs, so the burst of requests it makes refreshes the page once.
class RefreshBatch {
public:
    explicit RefreshBatch(IPageHost& host) : host_(host) { host_.BeginRefreshBatch(); }
    ~RefreshBatch() { host_.EndRefreshBatch(); }
    RefreshBatch(const RefreshBatch&) = delete;
    RefreshBatch& operator=(const RefreshBatch&) = delete;

private:
    IPageHost& host_;
};

class PageWindow : public ui::Window {
public:
    PageWindow(IPageHost& frame, int page);
    ~PageWindow() override;

    int PageIndex() const { return page_; }
    // The page's section tree (none on the About page).
    virtual ui::TreeView SectionTree() const { return {}; }
    // The control that takes the focus when the page is shown (the page
    // itself when null): its section tree, unless the page says otherwise.
    virtual HWND InitialFocus() const { return SectionTree().Handle(); }
    // The page's branch of the central refresh.
    virtual void RefreshView() {}
    // The page was shown: expands and selects the first node of its tree,
    // which lists it, gives the tree the focus and refreshes.
    virtual void tabSheetShow();
    // Sees a message before it is dispatched; true when the page used it.
    virtual bool PreTranslateMessage(MSG&) { return false; }
    // The window moved to a display of another DPI: fonts, images and
    // column widths follow (positions follow through the frame's layout).
    virtual void DpiChanged(int /*oldDpi*/, int /*newDpi*/) {}
    // The frame gave every control its font; a page sets its own fonts on top.
    virtual void ApplyPageFonts(int /*dpi*/) {}
    // The window's size changed (or a splitter moved): fill columns fit again.
    virtual void LayoutChanged() {}
    // The "BackUp\Restore" command while the page is shown.
    virtual void BackUpRestore() {}
    // The splitter between the section tree and the list (none on About).
    ui::Splitter* SectionSplitter() const { return splitter_.get(); }
    // Puts the splitter at an offset (96-DPI) from its place, kept within
    // the same bounds as a drag.
    void MoveSplitTo(int offset);
    // The frame's sort rewrote the rows of a list (any page's) in a new order.
    virtual void ListReordered(HWND /*list*/) {}
    // The report of the page's list: its heading with the selected node,
    // the column line and the rows in the order shown; nothing on a page
    // without a list.
    virtual std::optional<common::ReportBuilder> Report() const { return std::nullopt; }
    // The selected tree node's data (false when none is selected), and the
    // selected row's caption ("" for none): what a restart shows again.
    bool SelectedNodeData(LPARAM& data) const;
    std::string SelectedRowCaption() const;
    int SelectedRowIndex() const;
    // Selects the tree node with the data (which lists it) and then the row
    // with the caption, when they are there: the one at rowIndex when it has
    // that caption (rows may share one), else the first.
    void ShowNodeAndRow(bool hasNode, LPARAM node, const std::string& row, int rowIndex = -1);
    // Why the program may not close now (work that must not be cut off), or "".
    virtual std::string BusyText() const { return {}; }
    // The frame's offer of a restart as administrator, for a dialog of the page.
    ElevationOffer ElevationOfferOfFrame() const;

    // ---- the row commands (Copy, Open in Registry Editor, Open File Location)
    // The page's result list (none on About).
    virtual ui::ListView ResultList() const { return {}; }
    // What the selected row names: the registry key the editor is to open
    // ("<root>\<key>") and the file Explorer is to show; empty when it
    // names none.
    struct RowPlaces {
        std::string registryKey;
        std::string filePath;
    };
    virtual RowPlaces SelectedRowPlaces() const { return {}; }
    // The actions of the pop-up menu over a control, 0 for a separator;
    // empty: no menu.
    virtual std::vector<int> ContextMenuActions(HWND /*source*/) const { return {}; }
    // The row commands' states for the list's selection (the central
    // refresh sets them after the page's own).
    void RefreshRowActions();
    // Copy: the selected rows' cells, in the columns' shown order, each row a
    // line, to the clipboard as text.
    void CopySelectedRows();
    void OpenSelectedInRegistryEditor();
    void OpenSelectedFileLocation();

protected:
    IPageHost& Frame() const { return frame_; }
    // tabSheetShow expanded the whole tree; a programmatic expand does not
    // always notify, so a page whose nodes show their state sets it here.
    virtual void TreeExpandedAll() {}
    // Creates a child control of the page at its 96-DPI place, following the
    // window's size as its anchors (ui::Anchor) say.
    HWND AddControl(const char* className, const char* text, DWORD style, int x, int y, int width, int height,
                    int id, DWORD exStyle = 0, unsigned anchors = 0);
    HWND AddToolBar(int id, const std::vector<int>& actionIds, int width);
    // The section tree keeps its width (the splitter's aside) and takes the
    // height; the list beside it takes the rest.
    HWND AddTree(int id, int width, DWORD extraStyle, HIMAGELIST images);
    HWND AddList(int id, int left, DWORD listExStyle);
    // The splitter on the edge between tree and list at left (96-DPI): a drag
    // widens one and narrows the other, each kept at a usable width.
    void AddSplitter(int left);
    // Makes the column fill what the list's other columns leave (never less
    // than a usable width), leaving room for a vertical scroll bar to come.
    static void FillColumn(ui::ListView list, int column, int dpi);
    // What every result list reports: a column click sorts with the shared
    // state; a change (outside a rebuild) or a click runs the central refresh.
    LRESULT OnResultListNotify(NMHDR* header);
    // After a DPI change: an empty section image list of the new size for
    // the tree; the tool bar's new pictures and the list's columns.
    static void RenewSectionImages(platform::ImageListHandle& images, ui::TreeView tree, int dpi);
    void RenewToolBarAndColumns(int toolBarId, ui::ListView list, int oldDpi, int newDpi);
    // Shows a pop-up menu of actions at the point (keyboard: near the control).
    void ShowActionMenu(HWND source, POINT screen, const std::vector<int>& actionIds);
    // The row commands after the page's own entries, behind a separator.
    static std::vector<int> WithRowActions(std::vector<int> own, bool registryEditor = true);
    // Ctrl+C on the result list (its LVN_KEYDOWN): copies the selected rows.
    // Handled on the list only, so edit fields keep their own Ctrl+C.
    bool ResultListKeyDown(const NMLVKEYDOWN* key);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT OnNotify(NMHDR* header);
    virtual void OnCommand(int id, int code, HWND control);
    virtual void OnContextMenu(HWND /*source*/, POINT /*screen*/) {}
    virtual LRESULT OnControlColor(HDC dc, HWND control);

private:
    LRESULT DrawTreeItem(NMTVCUSTOMDRAW* draw);
    bool OnToolTip(NMHDR* header);

    void SplitterDragged(int edge);

    IPageHost& frame_;
    int page_;
    int splitterHome_ = 0;  // the edge's default place, 96-DPI
    std::unique_ptr<ui::Splitter> splitter_;
};

// Adds the columns (96-DPI widths, scaled); the one of width 0 fills what
// the others leave.
void AddListColumns(ui::ListView list, int dpi, std::initializer_list<std::pair<const char*, int>> columns);
// Scales every column width of the list from one DPI to another.
void RescaleListColumns(ui::ListView list, int oldDpi, int newDpi);

struct SortState;
// Sorts the rows of a result list by the shared compare rule. Rows are
// rewritten in their new order (texts, data, image, tick, selection) under
// the list's rebuild guard, so the rows' data need not be unique and no tick
// handler runs while rows move. The sorted column shows the header's arrow.
void SortListView(ui::ListView list, const SortState& state);

}  // namespace gui
