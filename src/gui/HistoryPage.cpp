// HistoryPageWindow: creation, the section tree, the dispatcher and its worker,
// the rows and columns of the list, the mask controls and the History
// branch of the refresh.
#include "gui/HistoryPage.h"

#include "formats/CommandLinePath.h"
#include "formats/Masks.h"
#include "formats/ReportFile.h"
#include "history/HistoryActionRules.h"
#include "history/HistorySectionTable.h"
#include "resource.h"
#include "gui/MainLayout.h"
#include "ui/Dpi.h"
#include "ui/ListPlace.h"
#include "ui/Pictures.h"
#include "ui/RowData.h"
#include "ui/ModalDialog.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace gui {

using namespace layout;
using history::HistoryRow;
using history::HistorySectionRow;

namespace {

void ThrowIfInvalidMask(const std::string& mask) { const Mask compiled(mask); }

// Rows of the worker go into the list twice a second: each time the
// list turns its drawing back on it updates its scroll bar, which costs a
// fixed ~20 ms under Wine whatever the number of rows.
constexpr UINT_PTR kShowLinesTimer = 1;
constexpr UINT kShowLinesEveryMs = 500;

// While Delete All runs, the list is emptied a few thousand rows at a time:
// the section is listed again at its end, and emptying 20,000 rows at once
// keeps the window from its messages for a tenth of a second under Wine.
constexpr UINT_PTR kEmptyListTimer = 2;
constexpr UINT kEmptyListEveryMs = 20;
constexpr int kRowsPerEmptyStep = 2000;

}  // namespace

// A lister on the window thread reports here: its rows go into the list
// when it ends, or before a notice's box, so the box shows what was found
// before it.
class HistoryPageWindow::WindowThreadSink final : public history::IHistorySink {
public:
    explicit WindowThreadSink(HistoryPageWindow& page) : page_(page) {}
    void Add(HistoryRow&& row) override { rows_.push_back(std::move(row)); }
    void Notice(const std::string& text) override {
        Flush();
        page_.ShowNotice(text);
    }
    void Flush() {
        std::vector<HistoryRow> rows = std::move(rows_);
        rows_.clear();
        page_.AppendRows(std::move(rows));
    }

private:
    HistoryPageWindow& page_;
    std::vector<HistoryRow> rows_;
};

// ---- creation --------------------------------------------------------------------

HistoryPageWindow::HistoryPageWindow(IPageHost& frame) : PageWindow(frame, kPageHistory) {
    imlHiSectionsIco.Reset(ui::LoadImageStrip(IDB_HS_SECTIONS, 16, frame.Dpi()));
    AddToolBar(kIdHsToolBar, {aReport, aHsUpdate, 0, aHsDelete, aHsDeleteAll}, 170);
    cbUseMask = AddControl("BUTTON", "Use Mask:", WS_TABSTOP | BS_AUTOCHECKBOX, 182, 11, 72, 18, kIdUseMask);
    edtMask = AddControl("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 258, 9, 193, 21, kIdMask, WS_EX_CLIENTEDGE);
    cbWholeWord = AddControl("BUTTON", "Whole Word", WS_TABSTOP | BS_AUTOCHECKBOX, 460, 11, 90, 18, kIdWholeWord);
    lblHsProgress =
        AddControl("STATIC", "", SS_LEFT | SS_NOPREFIX, 562, 12, 150, 18, kIdHsProgress, 0, ui::kMoveRight);
    btnHsStop =
        AddControl("BUTTON", "Stop", WS_TABSTOP | BS_PUSHBUTTON, 716, 8, 70, 24, kIdHsStop, 0, ui::kMoveRight);
    SetDeleteAllControls(false);
    tvHsSections = ui::TreeView(AddTree(kIdHsTree, kHistoryTreeWidth, 0, imlHiSectionsIco.Get()));
    lvHsValues = ui::ListView(AddList(kIdHsList, kHistoryTreeWidth, LVS_EX_FULLROWSELECT));
    AddListColumns(lvHsValues, frame.Dpi(), {{"Value", 0}});
    AddSplitter(kHistoryTreeWidth);
    AddSectionNodes();
    SetMaskControls(true);
    AttachActions();
}

HistoryPageWindow::~HistoryPageWindow() {
    for (int id : {aHsUpdate, aHsDelete, aHsDeleteAll})
        if (ui::Action* action = Frame().Actions().Find(id)) action->onExecute = {};
    // A listing still running is stopped and frees itself; none of its rows
    // or its end reaches this page again.
    worker_.reset();
    DestroyHandle();
}

void HistoryPageWindow::AttachActions() {
    ui::ActionList& actions = Frame().Actions();
    actions.Find(aHsUpdate)->onExecute = [this] { aHsUpdateExecute(); };
    actions.Find(aHsDelete)->onExecute = [this] { aHsDeleteExecute(); };
    actions.Find(aHsDeleteAll)->onExecute = [this] { aHsDeleteAllExecute(); };
}

void HistoryPageWindow::AddSectionNodes() {
    // In tree order: a node's parent is added before it.
    for (const HistorySectionRow& section : history::HistorySectionRows()) {
        HTREEITEM parent = section.parent == history::kTreeRoot ? nullptr : NodeOf(section.parent);
        nodes_[section.id] = tvHsSections.Add(parent, section.caption, section.picture, section.id);
    }
}

void HistoryPageWindow::DpiChanged(int oldDpi, int newDpi) {
    platform::ImageListHandle old = std::move(imlHiSectionsIco);  // freed once the tree holds the new one
    imlHiSectionsIco.Reset(ui::LoadImageStrip(IDB_HS_SECTIONS, 16, newDpi));
    TreeView_SetImageList(tvHsSections.Handle(), imlHiSectionsIco.Get(), TVSIL_NORMAL);
    RenewToolBarAndColumns(kIdHsToolBar, lvHsValues, oldDpi, newDpi);
}

// ---- the tree and the mask -----------------------------------------------------------

HTREEITEM HistoryPageWindow::NodeOf(int section) const {
    const auto found = nodes_.find(section);
    return found != nodes_.end() ? found->second : nullptr;
}

int HistoryPageWindow::SelectedHsSection() const {
    HTREEITEM item = tvHsSections.Selected();
    return item ? static_cast<int>(tvHsSections.Data(item)) : -1;
}

void HistoryPageWindow::SelectHsSection(int section) {
    if (HTREEITEM item = NodeOf(section)) tvHsSections.Select(item);
}

std::string HistoryPageWindow::CurrentMask() const {
    return history::EffectiveMask(SendMessageA(cbUseMask, BM_GETCHECK, 0, 0) == BST_CHECKED, ui::ControlText(edtMask),
                         SendMessageA(cbWholeWord, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

void HistoryPageWindow::SetMaskControls(bool allowed) {
    EnableWindow(cbUseMask, allowed);
    const bool maskOn = allowed && SendMessageA(cbUseMask, BM_GETCHECK, 0, 0) == BST_CHECKED;
    EnableWindow(edtMask, maskOn);
    EnableWindow(cbWholeWord, maskOn);
    InvalidateRect(edtMask, nullptr, TRUE);
}

// ---- the dispatcher ----------------------------------------------------------------

void HistoryPageWindow::tvHsSectionsChange(int section) {
    ListHsSection(section);
    FitHsColumns();
}

void HistoryPageWindow::ListHsSection(int section) {
    if (busy_) return;  // one listing at a time: the request is dropped
    busy_ = true;
    listedSection_ = section;
    placeAfterListing_ = -1;
    ShowCursorNow();
    {
        const ui::ListRebuild rebuild(lvHsValues.Handle());
        ClearRows();
    }
    // Every listing ends through its worker's end step, which returns the
    // page to idle; a worker that cannot be made leaves it idle at once.
    try {
        worker_.reset(new HistoryWorker(
            Frame().Handle(), [this](std::vector<HistoryRow>&& rows) { ReceiveRows(std::move(rows)); },
            [this](const std::string& text) { ShowNotice(text); }));
    } catch (...) {
        busy_ = false;
        ShowCursorNow();
        throw;
    }
    HistoryWorker& worker = *worker_;
    worker.SetOnTerminate([this] { ListingEnded(); });
    worker.BeforeError = [this] { ShowPendingRows(); };  // the rows found before the error, then its box

    const HistorySectionRow& row = history::HistorySectionRowOf(section);
    if (row.id >= 0 && !row.group) {
        try {
            SetSectionColumns(row);
            const std::string mask = row.takesMask ? CurrentMask() : "*";
            // A typed mask that is not one is told whether or not the source holds anything.
            if (row.takesMask) ThrowIfInvalidMask(mask);
            if (row.listsOnWorker) {
                worker.Lister = row.list;
                worker.Mask = mask;
            } else if (row.list) {
                RunListerHere(row, mask);
            }
        } catch (const std::exception& error) {
            ui::ShowExceptionBox(Frame().Handle(), error);
        } catch (...) {
            ui::ShowExceptionBox(Frame().Handle(), std::runtime_error("Unexpected error"));
        }
    }
    Frame().RefreshView();
    UpdateWindow(lvHsValues.Handle());
    if (!worker.Resume()) {
        worker_.reset();
        ListingEnded();
        ShowHsBox("The listing could not be started.", platform::dialogs::BoxKind::ErrorCancel);
    }
}

void HistoryPageWindow::RunListerHere(const HistorySectionRow& row, const std::string& mask) {
    WindowThreadSink sink(*this);
    try {
        history::RunLister(row.list, sink, mask, common::StopToken());
    } catch (...) {
        sink.Flush();  // what was found before the error stays
        throw;
    }
    sink.Flush();
}

void HistoryPageWindow::ListingEnded() {
    const RefreshBatch batch(Frame());
    ShowPendingRows();
    busy_ = false;
    ShowCursorNow();
    ui::SelectRowTakingPlace(lvHsValues.Handle(), std::exchange(placeAfterListing_, -1));
    ui::ShowFocusMark(lvHsValues.Handle());
    // The rows that arrived may have brought a scroll bar: the columns fit again.
    FitHsColumns();
}

void HistoryPageWindow::ShowNotice(const std::string& text) {
    ShowPendingRows();
    ShowHsBox(text, platform::dialogs::BoxKind::Plain);
}

// ---- rows ------------------------------------------------------------------------

void HistoryPageWindow::ClearRows() {
    lvHsValues.Clear();
    listedRows_.clear();
    pendingRows_.clear();
    listInStoreOrder_ = true;
    reportRows_.Clear();
}

void HistoryPageWindow::ListReordered(HWND list) {
    if (list == lvHsValues.Handle()) listInStoreOrder_ = false;
}

// Rows go in with the list's drawing held off, after the list has made room
// for all of them at once; blank captions are left out. Each keeps every
// value in the store; the list shows as many as it has columns for.
void HistoryPageWindow::AppendRows(std::vector<HistoryRow>&& rows) {
    if (rows.empty()) return;
    ui::ScopedRedrawOff quiet(lvHsValues.Handle());
    const HWND list = lvHsValues.Handle();
    const size_t columns = static_cast<size_t>(std::max(lvHsValues.ColumnCount() - 1, 0));
    int count = lvHsValues.Count();
    ListView_SetItemCountEx(list, count + static_cast<int>(rows.size()), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    for (HistoryRow& row : rows) {
        if (TrimBlanks(row.caption).empty()) continue;
        const size_t shown = std::min(row.subItems.size(), columns);
        item.iItem = count;
        item.pszText = const_cast<char*>(row.caption.c_str());
        item.lParam = ui::MakeRowData(static_cast<int>(listedRows_.size()), shown);
        const int index = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (index < 0) continue;
        ++count;
        for (size_t k = 0; k < shown; ++k) lvHsValues.SetText(index, static_cast<int>(k + 1), row.subItems[k]);
        reportRows_.Add(row.caption);
        listedRows_.push_back(std::move(row));
    }
}

void HistoryPageWindow::ReceiveRows(std::vector<HistoryRow>&& rows) {
    if (pendingRows_.empty())
        pendingRows_ = std::move(rows);
    else
        pendingRows_.insert(pendingRows_.end(), std::make_move_iterator(rows.begin()),
                            std::make_move_iterator(rows.end()));
    if (!showTimerSet_) showTimerSet_ = SetTimer(Handle(), kShowLinesTimer, kShowLinesEveryMs, nullptr) != 0;
    if (!showTimerSet_) ShowPendingRows();  // no timer to be had: at once
}

void HistoryPageWindow::ShowPendingRows() {
    if (showTimerSet_) KillTimer(Handle(), kShowLinesTimer);
    showTimerSet_ = false;
    std::vector<HistoryRow> rows = std::move(pendingRows_);
    pendingRows_.clear();
    AppendRows(std::move(rows));
}

void HistoryPageWindow::StartEmptyingList() {
    emptyTimerSet_ = SetTimer(Handle(), kEmptyListTimer, kEmptyListEveryMs, nullptr) != 0;
}

void HistoryPageWindow::StopEmptyingList() {
    if (emptyTimerSet_) KillTimer(Handle(), kEmptyListTimer);
    emptyTimerSet_ = false;
}

// The store keeps the rows: the serials of those still shown stay valid.
void HistoryPageWindow::EmptyListStep() {
    const int count = lvHsValues.Count();
    if (!deletingAll_ || count == 0) {
        StopEmptyingList();
        return;
    }
    lvHsValues.RemoveLastRows(kRowsPerEmptyStep);
}

void HistoryPageWindow::RestoreListedRows() {
    if (lvHsValues.Count() == static_cast<int>(listedRows_.size())) return;
    std::vector<HistoryRow> rows = std::move(listedRows_);
    const ui::ListRebuild rebuild(lvHsValues.Handle());
    ClearRows();
    AppendRows(std::move(rows));
}

void HistoryPageWindow::DropRowsOf(const std::vector<std::string>& sources) {
    std::vector<HistoryRow> rows = std::move(listedRows_);
    std::erase_if(rows, [&sources](const HistoryRow& row) {
        return std::find(sources.begin(), sources.end(), row.source) != sources.end();
    });
    const ui::ListRebuild rebuild(lvHsValues.Handle());
    ClearRows();
    AppendRows(std::move(rows));
}

const HistoryRow* HistoryPageWindow::ListedRow(int index) const {
    if (index < 0 || index >= lvHsValues.Count()) return nullptr;
    const int serial = ui::RowSerial(lvHsValues.Data(index));
    return serial >= 0 && serial < static_cast<int>(listedRows_.size()) ? &listedRows_[serial] : nullptr;
}

HistoryRow HistoryPageWindow::RowAt(int index) const {
    const HistoryRow* row = ListedRow(index);
    return row ? *row : HistoryRow{};
}

std::vector<HistoryRow> HistoryPageWindow::ListedRows() const {
    std::vector<HistoryRow> rows;
    const int count = lvHsValues.Count();
    rows.reserve(count);
    for (int index = 0; index < count; ++index) rows.push_back(RowAt(index));
    return rows;
}

std::optional<common::ReportBuilder> HistoryPageWindow::Report() const {
    const HTREEITEM node = tvHsSections.Selected();
    common::ReportBuilder report(common::ReportKind::History, node ? tvHsSections.Caption(node) : std::string());
    const int count = lvHsValues.Count();
    // Asking the list for each row's serial costs far more than writing the
    // file; unsorted, the lines made as the rows went in are in the order shown.
    if (listInStoreOrder_ && static_cast<size_t>(count) == listedRows_.size() && reportRows_.Count() == count) {
        report.AddRows(reportRows_);
        return report;
    }
    for (int index = 0; index < count; ++index) {
        const HistoryRow* row = ListedRow(index);
        report.AddRow(row ? row->caption : lvHsValues.Text(index, 0));
    }
    return report;
}

// ---- columns ---------------------------------------------------------------------

void HistoryPageWindow::SetSectionColumns(const HistorySectionRow& row) {
    const std::vector<history::HistoryColumn>& layout = row.columns;
    if (layout.empty()) return;
    const HWND list = lvHsValues.Handle();
    while (lvHsValues.ColumnCount() > static_cast<int>(layout.size()))
        ListView_DeleteColumn(list, lvHsValues.ColumnCount() - 1);
    RECT client{};
    GetClientRect(list, &client);
    int fixed = 0;
    for (const history::HistoryColumn& column : layout) fixed += Frame().Layout().Scale(column.width);
    for (size_t index = 0; index < layout.size(); ++index) {
        const history::HistoryColumn& column = layout[index];
        const int width = column.width ? Frame().Layout().Scale(column.width) : std::max<int>(client.right - fixed, 0);
        lvHsValues.SetColumn(static_cast<int>(index), column.caption, width);
    }
}

void HistoryPageWindow::FitHsColumns() {
    Frame().RefreshView();
    const int section = SelectedHsSection();
    if (section < 0) return;
    const HistorySectionRow& row = history::HistorySectionRowOf(section);
    RECT client{};
    GetClientRect(lvHsValues.Handle(), &client);
    const int width = client.right;
    if (row.fit == history::ColumnFit::SecondFills) {
        if (lvHsValues.ColumnCount() > 1)
            lvHsValues.SetColumnWidth(1, std::max(width - lvHsValues.ColumnWidth(0), 0));
        return;
    }
    // The fixed columns after the first get their captions and widths again.
    int fixed = 0;
    for (size_t index = 1; index < row.columns.size(); ++index) {
        const history::HistoryColumn& column = row.columns[index];
        const int columnWidth = Frame().Layout().Scale(column.width);
        lvHsValues.SetColumn(static_cast<int>(index), column.caption, columnWidth);
        fixed += columnWidth;
    }
    lvHsValues.SetColumnWidth(0, std::max(width - fixed, 0));
}

// ---- the refresh -------------------------------------------------------------------

void HistoryPageWindow::RefreshView() {
    uninstallCommand_.clear();
    history::HistoryListFacts facts;
    facts.section = SelectedHsSection();
    facts.itemCount = lvHsValues.Count();
    const int selected = lvHsValues.Selected();
    facts.itemSelected = selected >= 0;
    const HistorySectionRow& row = history::HistorySectionRowOf(facts.section);
    if (row.contentPresent) facts.contentPresent = row.contentPresent();
    if (facts.itemSelected && row.uninstallCommand) {
        uninstallCommand_ = row.uninstallCommand(RowAt(selected));
        facts.uninstallCommandFound = !uninstallCommand_.empty();
    }
    const history::HistoryActionStates states = history::HistoryActionRules(facts);
    ui::ActionList& actions = Frame().Actions();
    const bool listComplete = ListMatchesSelection();
    actions.SetEnabled(aHsDelete, states.deleteEnabled && listComplete);
    actions.SetEnabled(aHsDeleteAll, states.deleteAllEnabled && listComplete);
    actions.SetEnabled(aHsUpdate, states.updateEnabled);
    if (states.maskControls != history::MaskControlsRule::Unchanged)
        SetMaskControls(states.maskControls == history::MaskControlsRule::Enabled);
    actions.SetEnabled(aReport, states.reportEnabled);
}

// ---- events --------------------------------------------------------------------------

LRESULT HistoryPageWindow::OnNotify(NMHDR* header) {
    if (header->hwndFrom == tvHsSections.Handle() &&
        (header->code == TVN_SELCHANGEDA || header->code == TVN_SELCHANGEDW)) {
        tvHsSectionsChange(SelectedHsSection());
        return 0;
    }
    if (header->hwndFrom == lvHsValues.Handle()) {
        // No row holds anything to free: the list need not tell of each row
        // it deletes.
        if (header->code == LVN_DELETEALLITEMS) return TRUE;
        return OnResultListNotify(header);
    }
    return PageWindow::OnNotify(header);
}

void HistoryPageWindow::OnCommand(int id, int code, HWND control) {
    if (id == kIdUseMask && code == BN_CLICKED) {
        Frame().RefreshView();  // the mask takes effect at the next listing
        return;
    }
    if (id == kIdHsStop && code == BN_CLICKED) {
        StopDeleteAll();
        return;
    }
    PageWindow::OnCommand(id, code, control);
}

std::vector<int> HistoryPageWindow::ContextMenuActions(HWND source) const {
    if (source != lvHsValues.Handle()) return {};
    return WithRowActions({aHsDelete, aHsDeleteAll, 0, aReport}, false);
}

PageWindow::RowPlaces HistoryPageWindow::SelectedRowPlaces() const {
    // The rows on show may be another section's while a listing is under way.
    if (!ListMatchesSelection()) return {};
    const HistoryRow* row = ListedRow(lvHsValues.Selected());
    if (!row) return {};
    return {"", history::RowFilePath(history::HistorySectionRowOf(listedSection_), *row)};
}

void HistoryPageWindow::OnContextMenu(HWND source, POINT screen) {
    const std::vector<int> actionIds = ContextMenuActions(source);
    if (!actionIds.empty()) ShowActionMenu(source, screen, actionIds);
}

LRESULT HistoryPageWindow::OnControlColor(HDC dc, HWND control) {
    if (control != edtMask) return PageWindow::OnControlColor(dc, control);
    // The mask field shows the window colour when it can be typed in and
    // the button-face colour when not.
    const int colour = IsWindowEnabled(edtMask) ? COLOR_WINDOW : COLOR_BTNFACE;
    SetBkColor(dc, GetSysColor(colour));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
}

void HistoryPageWindow::ShowCursorNow() {
    // Over the page the cursor follows WM_SETCURSOR; this shows the change
    // before the pointer next moves.
    POINT point{};
    GetCursorPos(&point);
    RECT rect{};
    GetWindowRect(Handle(), &rect);
    if (PtInRect(&rect, point)) SetCursor(LoadCursor(nullptr, Hourglass() ? IDC_WAIT : IDC_ARROW));
}

LRESULT HistoryPageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // The controls ask their parent first, so the page sets the hourglass
    // for them too; Stop keeps the arrow, as a button that can be pressed.
    if (message == WM_SETCURSOR && Hourglass() && LOWORD(lParam) == HTCLIENT &&
        reinterpret_cast<HWND>(wParam) != btnHsStop) {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
    }
    if (message == WM_TIMER && wParam == kShowLinesTimer) {
        ShowPendingRows();
        return 0;
    }
    if (message == WM_TIMER && wParam == kEmptyListTimer) {
        EmptyListStep();
        return 0;
    }
    return PageWindow::HandleMessage(message, wParam, lParam);
}

int HistoryPageWindow::ShowHsBox(const std::string& text, platform::dialogs::BoxKind kind) const {
    return platform::dialogs::ShowBox(Frame().Handle(), text, ui::kApplicationTitle, kind);
}

}  // namespace gui

namespace gui {

void HistoryPageWindow::LayoutChanged() { FitHsColumns(); }

}  // namespace gui
