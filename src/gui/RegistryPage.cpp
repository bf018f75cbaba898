// RegistryPageWindow: creation, the section tree and its check boxes, the results
// list and the Registry branch of the refresh.
#include "gui/RegistryPage.h"

#include "formats/ReportFile.h"
#include "gui/registry_scan/ScanDialog.h"
#include "resource.h"
#include "gui/MainLayout.h"
#include "ui/ListPlace.h"
#include "ui/Pictures.h"
#include "ui/RowData.h"
#include "gui/RegistryPageBackup.h"

namespace gui {

using namespace layout;
using registry_scan::kFix;
using registry_scan::kRegistrySectionCaptions;
using registry_scan::kRegistrySectionCount;
using registry_scan::RegistryProblem;
using registry_scan::ssNotScanned;
using registry_scan::ssScanned;
using registry_scan::ssScanning;
using registry_scan::ssStopped;

namespace {

// Posted after a click in the tree: the check box changes after the click is
// reported, so its new state is read once the click has been handled.
constexpr UINT kTreeClickDone = WM_APP + 20;

}  // namespace

// ---- captions, icons and the check rule ------------------------------------

std::string RgSectionCaption(int count, const std::string& caption) {
    const char* gap = count < 10 ? ")      " : count < 100 ? ")    " : count < 1000 ? ")  " : count < 10000 ? ") " : ")";
    std::string text = "(";
    text.append(std::to_string(count)).append(gap).append(caption);
    return text;
}

int RgSectionImage(int state, int count) {
    switch (state) {
    case ssScanned: return count > 0 ? rgiProblems : rgiClean;
    case ssScanning:
    case ssStopped: return rgiScanning;
    default: return rgiNotScanned;
    }
}

int RgRootImage(const std::array<int, kRegistrySectionCount>& sectionImages) {
    bool notScanned = false;
    for (int image : sectionImages) {
        if (image == rgiProblems || image == rgiScanning) return rgiProblems;
        notScanned = notScanned || image == rgiNotScanned;
    }
    return notScanned ? rgiNotScanned : rgiClean;
}

std::array<bool, kRegistrySectionCount + 1> ApplyRgCheckRule(const std::array<bool, kRegistrySectionCount + 1>& before,
                                                             const std::array<bool, kRegistrySectionCount + 1>& now) {
    int toggled = -1;  // the highest position that changed
    for (int position = 0; position <= kRegistrySectionCount; ++position)
        if (before[position] != now[position]) toggled = position;
    std::array<bool, kRegistrySectionCount + 1> result = now;
    if (toggled == 0) {
        result.fill(now[0]);
    } else if (toggled > 0 && !now[toggled] && now[0]) {
        result[0] = false;  // one section off: "All" no longer holds
    }
    return result;
}

// ---- creation ----------------------------------------------------------------

RegistryPageWindow::RegistryPageWindow(IPageHost& frame) : PageWindow(frame, kPageRegistry) {
    imlRgSectionsIco.Reset(ui::LoadImageStrip(IDB_RG_SECTIONS, 16, frame.Dpi()));
    AddToolBar(kIdRgToolBar, {aReport, aRgScan, 0, aRgFix, aRgFixAll, aRgSelectNone, aRgSelectAll, 0, aBackUp},
               kClientWidth);
    tvRgSections = ui::TreeView(AddTree(kIdRgTree, kTreeWidth, 0, imlRgSectionsIco.Get()));
    // The check-box style goes on after creation: a tree created with it
    // loses its items' check states at the first paint.
    const LONG_PTR treeStyle = GetWindowLongPtrA(tvRgSections.Handle(), GWL_STYLE);
    SetWindowLongPtrA(tvRgSections.Handle(), GWL_STYLE, treeStyle | TVS_CHECKBOXES);
    AddSectionNodes();
    lvRgValues = ui::ListView(AddList(kIdRgList, kTreeWidth, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT));
    AddListColumns(lvRgValues, frame.Dpi(),
                   {{"Section", 125}, {"Registry Path", 0}, {"File Name", 136}, {"Guess Path", 95}});
    AddSplitter(kTreeWidth);
    AttachActions();
}

RegistryPageWindow::~RegistryPageWindow() {
    for (int id : {aRgScan, aRgFix, aRgFixAll, aRgSelectAll, aRgSelectNone}) Frame().Actions().Find(id)->onExecute = {};
    // A scan still running is stopped and frees itself; nothing of it reaches
    // this page again.
    scanThread_.reset();
    backup_.reset();
    rgScanForm_.reset();
    DestroyHandle();
}

void RegistryPageWindow::AttachActions() {
    ui::ActionList& actions = Frame().Actions();
    actions.Find(aRgScan)->onExecute = [this] { aRgScanExecute(); };
    actions.Find(aRgFix)->onExecute = [this] { aRgFixExecute(); };
    actions.Find(aRgFixAll)->onExecute = [this] { aRgFixAllExecute(); };
    actions.Find(aRgSelectAll)->onExecute = [this] { aRgSelectAllExecute(); };
    actions.Find(aRgSelectNone)->onExecute = [this] { aRgSelectNoneExecute(); };
}

void RegistryPageWindow::AddSectionNodes() {
    // Every section starts ticked, so a first Scan looks everywhere.
    HTREEITEM root = tvRgSections.Add(nullptr, RgSectionCaption(0, "All"), rgiNotScanned, 0);
    for (int section = 0; section < kRegistrySectionCount; ++section)
        tvRgSections.Add(root, RgSectionCaption(0, kRegistrySectionCaptions[section]), rgiNotScanned, section + 1);
    for (HTREEITEM item : tvRgSections.Items()) TreeView_SetCheckState(tvRgSections.Handle(), item, TRUE);
    previousChecks_.fill(true);
    UpdateSectionNodes();
}

void RegistryPageWindow::DpiChanged(int oldDpi, int newDpi) {
    platform::ImageListHandle old = std::move(imlRgSectionsIco);
    imlRgSectionsIco.Reset(ui::LoadImageStrip(IDB_RG_SECTIONS, 16, newDpi));
    TreeView_SetImageList(tvRgSections.Handle(), imlRgSectionsIco.Get(), TVSIL_NORMAL);
    RenewToolBarAndColumns(kIdRgToolBar, lvRgValues, oldDpi, newDpi);
}

// ---- the tree ----------------------------------------------------------------

HTREEITEM RegistryPageWindow::NodeAt(int position) const { return tvRgSections.ItemWithData(position); }

int RegistryPageWindow::SelectedRgPosition() const {
    HTREEITEM item = tvRgSections.Selected();
    return item ? static_cast<int>(tvRgSections.Data(item)) : -1;
}

void RegistryPageWindow::SelectRgPosition(int position) {
    HTREEITEM item = NodeAt(position);
    if (!item) return;
    if (tvRgSections.Selected() == item) {
        // Already chosen: no change is reported, so list it here.
        ShowScanResults(position);
        Frame().RefreshView();
    } else {
        tvRgSections.Select(item);
    }
}

std::array<bool, RegistryPageWindow::kNodeCount> RegistryPageWindow::ReadChecks() const {
    std::array<bool, kNodeCount> checks{};
    for (int position = 0; position < kNodeCount; ++position)
        if (HTREEITEM item = NodeAt(position)) checks[position] = tvRgSections.Checked(item);
    return checks;
}

void RegistryPageWindow::RgTreeClicked() {
    const std::array<bool, kNodeCount> now = ReadChecks();
    if (now != previousChecks_) {
        const std::array<bool, kNodeCount> result = ApplyRgCheckRule(previousChecks_, now);
        for (int position = 0; position < kNodeCount; ++position)
            if (HTREEITEM item = NodeAt(position)) TreeView_SetCheckState(tvRgSections.Handle(), item, result[position]);
        previousChecks_ = result;
        if (HTREEITEM root = NodeAt(0)) TreeView_Expand(tvRgSections.Handle(), root, TVE_EXPAND);
    }
    Frame().RefreshView();
}

void RegistryPageWindow::SetNodeCaption(HTREEITEM item, const std::string& caption) {
    if (tvRgSections.Caption(item) == caption) return;  // no repaint for an unchanged count
    TVITEMA change{};
    change.mask = TVIF_TEXT;
    change.hItem = item;
    change.pszText = const_cast<char*>(caption.c_str());
    TreeView_SetItem(tvRgSections.Handle(), &change);
}

void RegistryPageWindow::UpdateSectionNodes() {
    nut_.RecountTotal();
    std::array<int, kRegistrySectionCount> images{};
    for (int section = 0; section < kRegistrySectionCount; ++section) {
        images[section] = RgSectionImage(nut_.State(section), nut_.Count(section));
        HTREEITEM item = NodeAt(section + 1);
        if (!item) continue;
        const std::string caption = RgSectionCaption(nut_.Count(section), kRegistrySectionCaptions[section]);
        SetNodeCaption(item, caption);
        if (tvRgSections.Image(item) != images[section]) tvRgSections.SetImage(item, images[section]);
    }
    if (HTREEITEM root = NodeAt(0)) {
        std::string caption = "(";
        caption.append(std::to_string(nut_.Total())).append(") All");
        SetNodeCaption(root, caption);
        tvRgSections.SetImage(root, RgRootImage(images));
    }
}

// ---- the results list ----------------------------------------------------------

void RegistryPageWindow::ShowScanResults(int position) {
    ui::ScopedRedrawOff quiet(lvRgValues.Handle());
    const ui::ListRebuild rebuild(lvRgValues.Handle());
    lvRgValues.SetExtendedStyle(LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    lvRgValues.Clear();
    listedRecords_.clear();
    for (int section = 0; section < kRegistrySectionCount; ++section) {
        if (position != 0 && position != section + 1) continue;
        if (nut_.State(section) == ssNotScanned) continue;
        for (int record = 0; record < nut_.Count(section); ++record) {
            const std::optional<RegistryProblem> problem = nut_.Problem(section, record);
            if (!problem) continue;
            const int serial = static_cast<int>(listedRecords_.size());
            listedRecords_.push_back({section, record});
            const int row = lvRgValues.AddItem(kRegistrySectionCaptions[section], -1, ui::MakeRowData(serial, 3));
            lvRgValues.SetText(row, 1, problem->registryPath);
            lvRgValues.SetText(row, 2, problem->fileName);
            lvRgValues.SetText(row, 3, problem->guessPath);
            lvRgValues.SetChecked(row, problem->fixState == kFix);
        }
    }
    UpdateSectionNodes();
    HTREEITEM node = NodeAt(position);
    const int image = node ? tvRgSections.Image(node) : rgiNotScanned;
    if (position >= 0 && (image == rgiNotScanned || image == rgiClean)) {
        lvRgValues.SetExtendedStyle(LVS_EX_CHECKBOXES, 0);
        lvRgValues.AddItem(image == rgiNotScanned ? kNotScannedRow : kNoErrorsRow, -1, ui::MakeRowData(-1, 0));
    }
    ui::ShowFocusMark(lvRgValues.Handle());
}

std::optional<common::ReportBuilder> RegistryPageWindow::Report() const {
    const HTREEITEM node = tvRgSections.Selected();
    common::ReportBuilder report(common::ReportKind::Registry, node ? tvRgSections.Caption(node) : std::string());
    const int count = lvRgValues.Count();
    for (int row = 0; row < count; ++row) {
        int section = 0, record = 0;
        if (RowRecord(row, section, record)) {
            if (const std::optional<RegistryProblem> problem = nut_.Problem(section, record)) {
                report.AddRow(kRegistrySectionCaptions[section],
                              {problem->registryPath, problem->fileName, problem->guessPath});
                continue;
            }
        }
        // The message rows ("Section is not scanned...") hold a caption only.
        std::vector<std::string> cells;
        const size_t held = ui::RowSubItemCount(lvRgValues.Data(row));
        for (size_t k = 0; k < held; ++k) cells.push_back(lvRgValues.Text(row, static_cast<int>(k + 1)));
        report.AddRow(lvRgValues.Text(row, 0), cells);
    }
    return report;
}

void RegistryPageWindow::ClearRgValues() {
    const ui::ListRebuild rebuild(lvRgValues.Handle());
    lvRgValues.Clear();
    listedRecords_.clear();
}

void RegistryPageWindow::ShowSelectedResults() {
    const int position = SelectedRgPosition();
    if (position >= 0) {
        ShowScanResults(position);
    } else {
        ClearRgValues();  // no node chosen: no results to show
    }
}

bool RegistryPageWindow::RowRecord(int row, int& section, int& record) const {
    if (row < 0 || row >= lvRgValues.Count()) return false;
    const int serial = ui::RowSerial(lvRgValues.Data(row));
    if (serial < 0 || serial >= static_cast<int>(listedRecords_.size())) return false;
    section = listedRecords_[serial].section;
    record = listedRecords_[serial].record;
    return true;
}

void RegistryPageWindow::RgValuesTickChanged(int row) {
    int section = 0, record = 0;
    if (RowRecord(row, section, record)) nut_.SetFix(section, record, lvRgValues.Checked(row));
}

// ---- the refresh ---------------------------------------------------------------

void RegistryPageWindow::RefreshView() {
    ui::ActionList& actions = Frame().Actions();
    const std::array<bool, kNodeCount> checks = ReadChecks();
    bool anySectionChecked = false;
    for (int position = 1; position < kNodeCount; ++position) anySectionChecked = anySectionChecked || checks[position];
    bool anyRecord = false;
    for (int section = 0; section < kRegistrySectionCount; ++section) anyRecord = anyRecord || nut_.Count(section) > 0;
    // One scan at a time: two would share the store.
    actions.SetEnabled(aRgScan, anySectionChecked && !ScanRunning());
    actions.SetEnabled(aRgFix, nut_.MarkedCount() > 0);
    actions.SetEnabled(aRgFixAll, anyRecord);
    UpdateSectionNodes();
    actions.SetEnabled(aReport, lvRgValues.Count() > 0);
    actions.SetEnabled(aRgSelectAll, lvRgValues.ShowsCheckBoxes());
    actions.SetEnabled(aRgSelectNone, lvRgValues.ShowsCheckBoxes() && actions.Enabled(aRgFix));
}

// ---- events --------------------------------------------------------------------

LRESULT RegistryPageWindow::OnNotify(NMHDR* header) {
    const HWND from = header->hwndFrom;
    if (from == tvRgSections.Handle()) {
        switch (header->code) {
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW:
            ShowScanResults(SelectedRgPosition());
            Frame().RefreshView();
            break;
        case NM_CLICK: PostMessageA(Handle(), kTreeClickDone, 0, 0); break;
        case TVN_KEYDOWN:
            if (reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey == VK_SPACE) PostMessageA(Handle(), kTreeClickDone, 0, 0);
            break;
        default: return PageWindow::OnNotify(header);
        }
        return 0;
    }
    if (from == lvRgValues.Handle()) {
        if (header->code == LVN_ITEMCHANGED && !ui::IsListRebuilding(lvRgValues.Handle())) {
            const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
            const UINT changedState = change->uOldState ^ change->uNewState;
            if ((change->uChanged & LVIF_STATE) && (changedState & LVIS_STATEIMAGEMASK) && change->iItem >= 0 &&
                lvRgValues.ShowsCheckBoxes())
                RgValuesTickChanged(change->iItem);
        }
        return OnResultListNotify(header);
    }
    return PageWindow::OnNotify(header);
}

std::vector<int> RegistryPageWindow::ContextMenuActions(HWND source) const {
    return source == lvRgValues.Handle() ? WithRowActions({}) : std::vector<int>{};
}

PageWindow::RowPlaces RegistryPageWindow::SelectedRowPlaces() const {
    int section = 0, record = 0;
    if (!RowRecord(lvRgValues.Selected(), section, record)) return {};
    const std::optional<RegistryProblem> problem = nut_.Problem(section, record);
    if (!problem) return {};
    return {registry_scan::ProblemEditorKey(*problem), registry_scan::ProblemExistingFile(*problem)};
}

void RegistryPageWindow::OnContextMenu(HWND source, POINT screen) {
    // A right click on the list's column headers unticks every row.
    const HWND header = ListView_GetHeader(lvRgValues.Handle());
    bool onHeader = source == header;
    if (!onHeader && source == lvRgValues.Handle() && header && !(screen.x == -1 && screen.y == -1)) {
        RECT rect{};
        GetWindowRect(header, &rect);
        onHeader = PtInRect(&rect, screen) != FALSE;
    }
    if (onHeader) {
        if (lvRgValues.ShowsCheckBoxes()) {
            SetAllRowTicks(false);
            Frame().RefreshView();
        }
        return;
    }
    const std::vector<int> actionIds = ContextMenuActions(source);
    if (!actionIds.empty()) ShowActionMenu(source, screen, actionIds);
}

LRESULT RegistryPageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTreeClickDone) {
        RgTreeClicked();
        return 0;
    }
    return PageWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace gui

namespace gui {

void RegistryPageWindow::LayoutChanged() { FillColumn(lvRgValues, 1, Frame().Dpi()); }

}  // namespace gui
