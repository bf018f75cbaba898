// THistoryPage: creation, the section tree, the dispatcher and its scan
// thread, the rows and columns of the list, the mask controls and the
// History branch of the refresh.
#include "shell/HistoryPage.h"

#include "common/CommandLinePath.h"
#include "common/Masks.h"
#include "history/HistoryCatalogue.h"
#include "history/HsFunMyComputer.h"
#include "shell/history/HsScanThread.h"
#include "resource.h"
#include "shell/MainLayout.h"
#include "ui/Dpi.h"
#include "ui/Pictures.h"
#include "ui/RowData.h"
#include "ui/Dpi.h"
#include "ui/ModalDialog.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

using namespace layout;

namespace {

void ThrowIfInvalidMask(const std::string& mask) { const TMask compiled(mask); }

// Rows of the scan thread go into the list twice a second: each time the
// list turns its drawing back on it updates its scroll bar, which costs a
// fixed ~20 ms under Wine whatever the number of rows.
constexpr UINT_PTR kShowLinesTimer = 1;
constexpr UINT kShowLinesEveryMs = 500;

}  // namespace

// ---- creation --------------------------------------------------------------------

THistoryPage::THistoryPage(IPageHost& frame) : TMainPage(frame, kPageHistory) {
    imlHiSectionsIco.Reset(ui::LoadImageStrip(IDB_HS_SECTIONS, 16, frame.Dpi()));
    AddToolBar(kIdHsToolBar, {aReport, aHsUpdate, 0, aHsDelete, aHsDeleteAll}, 170);
    cbUseMask = AddControl("BUTTON", "Use Mask:", WS_TABSTOP | BS_AUTOCHECKBOX, 182, 11, 72, 18, kIdUseMask);
    edtMask = AddControl("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 258, 9, 193, 21, kIdMask, WS_EX_CLIENTEDGE);
    cbWholeWord = AddControl("BUTTON", "Whole Word", WS_TABSTOP | BS_AUTOCHECKBOX, 460, 11, 90, 18, kIdWholeWord);
    tvHsSections = ui::TreeView(AddTree(kIdHsTree, kHistoryTreeWidth, 0, imlHiSectionsIco.Get()));
    lvHsValues = ui::ListView(AddList(kIdHsList, kHistoryTreeWidth, LVS_EX_FULLROWSELECT));
    AddListColumns(lvHsValues, frame.Dpi(), {{"Value", 0}});
    AddSectionNodes();
    SetMaskControls(true);
    AttachActions();
}

THistoryPage::~THistoryPage() {
    for (int id : {aHsUpdate, aHsDelete, aHsDeleteAll})
        if (ui::Action* action = Frame().Actions().Find(id)) action->onExecute = {};
    // A listing still running is stopped and frees itself; none of its rows
    // or its end reaches this page again.
    if (scanThread_) scanThread_->Abandon();
    scanThread_ = nullptr;
    DestroyHandle();
}

void THistoryPage::AttachActions() {
    ui::ActionList& actions = Frame().Actions();
    actions.Find(aHsUpdate)->onExecute = [this] { aHsUpdateExecute(); };
    actions.Find(aHsDelete)->onExecute = [this] { aHsDeleteExecute(); };
    actions.Find(aHsDeleteAll)->onExecute = [this] { aHsDeleteAllExecute(); };
}

void THistoryPage::AddSectionNodes() {
    std::vector<HTREEITEM> parents;  // the last node of each depth
    for (const HistorySection& section : HistorySections()) {
        HTREEITEM parent = section.depth > 0 ? parents[section.depth - 1] : nullptr;
        HTREEITEM item = tvHsSections.Add(parent, section.caption, section.icon, section.number);
        parents.resize(section.depth);
        parents.push_back(item);
        nodes_.push_back(item);
    }
}

void THistoryPage::DpiChanged(int oldDpi, int newDpi) {
    platform::ImageListHandle old = std::move(imlHiSectionsIco);  // freed once the tree holds the new one
    imlHiSectionsIco.Reset(ui::LoadImageStrip(IDB_HS_SECTIONS, 16, newDpi));
    TreeView_SetImageList(tvHsSections.Handle(), imlHiSectionsIco.Get(), TVSIL_NORMAL);
    RenewToolBarAndColumns(kIdHsToolBar, lvHsValues, oldDpi, newDpi);
}

// ---- the tree and the mask -----------------------------------------------------------

HTREEITEM THistoryPage::NodeOf(int section) const {
    return section >= 0 && section < static_cast<int>(nodes_.size()) ? nodes_[section] : nullptr;
}

int THistoryPage::SelectedHsSection() const {
    HTREEITEM item = tvHsSections.Selected();
    return item ? static_cast<int>(tvHsSections.Data(item)) : -1;
}

void THistoryPage::SelectHsSection(int section) {
    if (HTREEITEM item = NodeOf(section)) tvHsSections.Select(item);
}

std::string THistoryPage::CurrentMask() const {
    return EffectiveMask(SendMessageA(cbUseMask, BM_GETCHECK, 0, 0) == BST_CHECKED, ui::ControlText(edtMask),
                         SendMessageA(cbWholeWord, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

void THistoryPage::SetMaskControls(bool allowed) {
    EnableWindow(cbUseMask, allowed);
    const bool maskOn = allowed && SendMessageA(cbUseMask, BM_GETCHECK, 0, 0) == BST_CHECKED;
    EnableWindow(edtMask, maskOn);
    EnableWindow(cbWholeWord, maskOn);
    InvalidateRect(edtMask, nullptr, TRUE);
}

// ---- the dispatcher ----------------------------------------------------------------

void THistoryPage::tvHsSectionsChange(int section) {
    ListHsSection(section);
    FitHsColumns();
}

void THistoryPage::ListHsSection(int section) {
    if (busy_) return;  // one listing at a time: the request is dropped
    busy_ = true;
    listedSection_ = section;
    ShowCursorNow();
    {
        const ui::ListRebuild rebuild(lvHsValues.Handle());
        lvHsValues.Clear();
    }
    // Every listing ends through its scan thread's end step, which returns
    // the page to idle; a thread that cannot be made leaves it idle at once.
    THistoryScanThread* scan = nullptr;
    try {
        scan = new THistoryScanThread(Frame().Handle(),
                                      [this](std::vector<std::string>&& lines) { ReceiveLines(std::move(lines)); });
    } catch (...) {
        busy_ = false;
        ShowCursorNow();
        throw;
    }
    scan->SetFreeOnTerminate(true);
    scan->SetOnTerminate([this] { ScanThreadEnded(); });
    scan->BeforeError = [this] { ShowPendingLines(); };  // the rows found before the error, then its box
    scanThread_ = scan;

    const HistorySection* entry = FindHistorySection(section);
    const HistorySectionOperations& operations = HistoryOperationsOf(section);
    if (entry && !entry->group) {
        try {
            SetSectionColumns(section);
            const bool takesMask = HistorySectionTakesMask(section);
            const std::string mask = takesMask ? CurrentMask() : "*";
            // A typed mask that is not one is told whether or not the source holds anything.
            if (takesMask) ThrowIfInvalidMask(mask);
            if (operations.scanFlags) {
                scan->SectionFlags = operations.scanFlags;
                scan->Mask = mask;
            } else if (operations.list) {
                std::vector<HistoryRow> rows;
                try {
                    operations.list(rows, mask);
                } catch (...) {
                    AppendRows(std::move(rows));  // what was found before the error stays
                    throw;
                }
                AppendRows(std::move(rows));
            }
        } catch (const std::exception& error) {
            ui::ShowExceptionBox(Frame().Handle(), error);
        } catch (...) {
            ui::ShowExceptionBox(Frame().Handle(), std::runtime_error("Unexpected error"));
        }
    }
    Frame().RefreshView();
    UpdateWindow(lvHsValues.Handle());
    if (!scan->Resume()) {
        scanThread_ = nullptr;
        scan->Abandon();
        ScanThreadEnded();
        ShowHsBox("The listing could not be started.", platform::dialogs::BoxKind::ErrorCancel);
    }
}

void THistoryPage::ScanThreadEnded() {
    ShowPendingLines();
    scanThread_ = nullptr;  // it frees itself after this step
    busy_ = false;
    ShowCursorNow();
    // The rows that arrived may have brought a scroll bar: the columns fit again.
    FitHsColumns();
}

// ---- rows ------------------------------------------------------------------------

// Rows go in with the list's drawing held off, after the list has made room
// for all of them at once; blank captions are left out.
void THistoryPage::AppendRows(std::vector<HistoryRow>&& rows) {
    if (rows.empty()) return;
    ui::ScopedRedrawOff quiet(lvHsValues.Handle());
    const int columns = lvHsValues.ColumnCount();
    ListView_SetItemCountEx(lvHsValues.Handle(), lvHsValues.Count() + static_cast<int>(rows.size()),
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    for (const HistoryRow& row : rows) {
        if (TrimBlanks(row.caption).empty()) continue;
        const size_t shown = std::min(row.subItems.size(), static_cast<size_t>(columns > 0 ? columns - 1 : 0));
        const int index = lvHsValues.AddItem(row.caption, -1, ui::MakeRowData(lvHsValues.Count(), shown));
        for (size_t k = 0; k < shown; ++k) lvHsValues.SetText(index, static_cast<int>(k + 1), row.subItems[k]);
    }
}

void THistoryPage::AppendLines(std::vector<std::string>&& lines) {
    if (lines.empty()) return;
    ui::ScopedRedrawOff quiet(lvHsValues.Handle());
    int count = lvHsValues.Count();
    ListView_SetItemCountEx(lvHsValues.Handle(), count + static_cast<int>(lines.size()),
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    for (const std::string& line : lines) {
        if (TrimBlanks(line).empty()) continue;
        item.iItem = count;
        item.pszText = const_cast<char*>(line.c_str());
        item.lParam = ui::MakeRowData(count, 0);
        if (SendMessageA(lvHsValues.Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) >= 0) ++count;
    }
}

void THistoryPage::ReceiveLines(std::vector<std::string>&& lines) {
    if (pendingLines_.empty())
        pendingLines_ = std::move(lines);
    else
        pendingLines_.insert(pendingLines_.end(), std::make_move_iterator(lines.begin()),
                             std::make_move_iterator(lines.end()));
    if (!showTimerSet_) showTimerSet_ = SetTimer(Handle(), kShowLinesTimer, kShowLinesEveryMs, nullptr) != 0;
    if (!showTimerSet_) ShowPendingLines();  // no timer to be had: at once
}

void THistoryPage::ShowPendingLines() {
    if (showTimerSet_) KillTimer(Handle(), kShowLinesTimer);
    showTimerSet_ = false;
    std::vector<std::string> lines = std::move(pendingLines_);
    pendingLines_.clear();
    AppendLines(std::move(lines));
}

HistoryRow THistoryPage::RowAt(int index) const {
    HistoryRow row{lvHsValues.Text(index, 0), {}};
    const size_t held = std::min(ui::RowSubItemCount(lvHsValues.Data(index)),
                                 static_cast<size_t>(std::max(lvHsValues.ColumnCount() - 1, 0)));
    for (size_t k = 0; k < held; ++k) row.subItems.push_back(lvHsValues.Text(index, static_cast<int>(k + 1)));
    return row;
}

std::vector<HistoryRow> THistoryPage::ListedRows() const {
    std::vector<HistoryRow> rows;
    const int count = lvHsValues.Count();
    rows.reserve(count);
    for (int index = 0; index < count; ++index) rows.push_back(RowAt(index));
    return rows;
}

// ---- columns ---------------------------------------------------------------------

void THistoryPage::SetSectionColumns(int section) {
    const std::vector<HistoryColumn> layout =
        HistoryColumnLayout(section, HistoryOperationsOf(section).headingFromLister);
    if (layout.empty()) return;
    const HWND list = lvHsValues.Handle();
    while (lvHsValues.ColumnCount() > static_cast<int>(layout.size()))
        ListView_DeleteColumn(list, lvHsValues.ColumnCount() - 1);
    RECT client{};
    GetClientRect(list, &client);
    int fixed = 0;
    for (const HistoryColumn& column : layout) fixed += Frame().Layout().Scale(column.width);
    for (size_t index = 0; index < layout.size(); ++index) {
        const HistoryColumn& column = layout[index];
        const int width = column.width ? Frame().Layout().Scale(column.width) : std::max<int>(client.right - fixed, 0);
        if (static_cast<int>(index) >= lvHsValues.ColumnCount()) {
            lvHsValues.AddColumn(column.caption, width);
            continue;
        }
        LVCOLUMNA change{};
        change.mask = LVCF_TEXT | LVCF_WIDTH;
        change.pszText = const_cast<char*>(column.caption.c_str());
        change.cx = width;
        SendMessageA(list, LVM_SETCOLUMNA, index, reinterpret_cast<LPARAM>(&change));
    }
}

void THistoryPage::FitHsColumns() {
    Frame().RefreshView();
    const int section = SelectedHsSection();
    if (section < 0) return;
    RECT client{};
    GetClientRect(lvHsValues.Handle(), &client);
    const int width = client.right;
    switch (section) {
        case hsAutoCompleteForms:
        case hsAutoCompletePasswords:
        case hsDownloadedProgramFiles:
        case hsBrowserHelperObjects:
            if (lvHsValues.ColumnCount() > 1)
                lvHsValues.SetColumnWidth(1, std::max(width - lvHsValues.ColumnWidth(0), 0));
            break;
        case hsMozillaVisitedPages: {
            const int pageType = Frame().Layout().Scale(kPageTypeColumnWidth);
            if (lvHsValues.ColumnCount() < 2) lvHsValues.AddColumn("Count, Page Type", pageType);
            LVCOLUMNA change{};
            change.mask = LVCF_TEXT | LVCF_WIDTH;
            change.pszText = const_cast<char*>("Count, Page Type");
            change.cx = pageType;
            SendMessageA(lvHsValues.Handle(), LVM_SETCOLUMNA, 1, reinterpret_cast<LPARAM>(&change));
            lvHsValues.SetColumnWidth(0, std::max(width - pageType, 0));
            break;
        }
        default: lvHsValues.SetColumnWidth(0, width); break;
    }
}

// ---- the refresh -------------------------------------------------------------------

void THistoryPage::RefreshView() {
    toolbarCommand_.clear();
    HistoryListFacts facts;
    facts.section = SelectedHsSection();
    facts.itemCount = lvHsValues.Count();
    const int selected = lvHsValues.Selected();
    facts.itemSelected = selected >= 0;
    if (facts.section == hsClipboard) facts.clipboardHoldsText = ClipboardHoldsText();
    const HistorySectionOperations& operations = HistoryOperationsOf(facts.section);
    if (facts.section == hsToolbars && facts.itemSelected && operations.uninstallCommand) {
        toolbarCommand_ = operations.uninstallCommand(RowAt(selected));
        facts.toolbarCommandFound = !toolbarCommand_.empty();
    }
    const HistoryActionStates states = HistoryActionRules(facts);
    ui::ActionList& actions = Frame().Actions();
    const bool listComplete = ListMatchesSelection();
    actions.SetEnabled(aHsDelete, states.deleteEnabled && listComplete);
    actions.SetEnabled(aHsDeleteAll, states.deleteAllEnabled && listComplete);
    actions.SetEnabled(aHsUpdate, states.updateEnabled);
    if (states.maskControls != MaskControlsRule::Unchanged)
        SetMaskControls(states.maskControls == MaskControlsRule::Enabled);
    actions.SetEnabled(aReport, states.reportEnabled);
}

// ---- events --------------------------------------------------------------------------

LRESULT THistoryPage::OnNotify(NMHDR* header) {
    if (header->hwndFrom == tvHsSections.Handle() &&
        (header->code == TVN_SELCHANGEDA || header->code == TVN_SELCHANGEDW)) {
        tvHsSectionsChange(SelectedHsSection());
        return 0;
    }
    if (header->hwndFrom == lvHsValues.Handle()) return OnResultListNotify(header);
    return TMainPage::OnNotify(header);
}

void THistoryPage::OnCommand(int id, int code, HWND control) {
    if (id == kIdUseMask && code == BN_CLICKED) {
        Frame().RefreshView();  // the mask takes effect at the next listing
        return;
    }
    TMainPage::OnCommand(id, code, control);
}

void THistoryPage::OnContextMenu(HWND source, POINT screen) {
    if (source == lvHsValues.Handle()) ShowActionMenu(source, screen, {aHsDelete, aHsDeleteAll, 0, aReport});
}

LRESULT THistoryPage::OnControlColor(HDC dc, HWND control) {
    if (control != edtMask) return TMainPage::OnControlColor(dc, control);
    // The mask field shows the window colour when it can be typed in and
    // the button-face colour when not.
    const int colour = IsWindowEnabled(edtMask) ? COLOR_WINDOW : COLOR_BTNFACE;
    SetBkColor(dc, GetSysColor(colour));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
}

void THistoryPage::ShowCursorNow() {
    // Over the page the cursor follows WM_SETCURSOR; this shows the change
    // before the pointer next moves.
    POINT point{};
    GetCursorPos(&point);
    RECT rect{};
    GetWindowRect(Handle(), &rect);
    if (PtInRect(&rect, point)) SetCursor(LoadCursor(nullptr, Hourglass() ? IDC_WAIT : IDC_ARROW));
}

LRESULT THistoryPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // The controls ask their parent first, so the page sets the hourglass for them too.
    if (message == WM_SETCURSOR && Hourglass() && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
    }
    if (message == WM_TIMER && wParam == kShowLinesTimer) {
        ShowPendingLines();
        return 0;
    }
    return TMainPage::HandleMessage(message, wParam, lParam);
}

int THistoryPage::ShowHsBox(const std::string& text, platform::dialogs::BoxKind kind) const {
    return platform::dialogs::ShowBox(Frame().Handle(), text, ui::kApplicationTitle, kind);
}
