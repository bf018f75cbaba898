// StartUpPageWindow: creation, the section tree's events, showing a listing,
// Update and the StartUp branch of the central refresh.
#include "gui/StartUpPage.h"

#include "platform/Files.h"
#include "platform/Shell.h"
#include "resource.h"
#include "gui/MainLayout.h"
#include "common/FileVersionInfo.h"
#include "formats/ReportFile.h"
#include "ui/Dpi.h"
#include "ui/ListPlace.h"
#include "ui/Pictures.h"
#include "ui/RowData.h"

#include <map>

namespace gui {

using namespace layout;
using namespace startup;

StartUpPageWindow::StartUpPageWindow(IPageHost& frame) : PageWindow(frame, kPageStartUp) {
    CreateImageLists(frame.Dpi());
    AddToolBar(kIdSuToolBar, {aReport, aSuUpdate, 0, aSuAdd, aSuDelete, aSuCheck, aSuEdit, aSuInfo, 0, aBackUp},
               kClientWidth);
    tvSuSections = ui::TreeView(AddTree(kIdSuTree, kTreeWidth, TVS_NOTOOLTIPS, imlSuSectionsIco.Get()));
    TreeView_SetIndent(tvSuSections.Handle(), frame.Layout().Scale(19));
    AddSourceNodes();
    lvSuValues = ui::ListView(AddList(kIdSuList, kTreeWidth, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT));
    AddListColumns(lvSuValues, frame.Dpi(),
                   {{"Name", 125}, {"Location", 0}, {"Root Key", 136}, {"Section", 95}, {"Active", kDefaultColumnWidth}});
    ListView_SetImageList(lvSuValues.Handle(), imlSuTmpIco.Get(), LVSIL_SMALL);
    AddSplitter(kTreeWidth);
    AttachActions();
}

StartUpPageWindow::~StartUpPageWindow() {
    for (int id : {aSuUpdate, aSuAdd, aSuDelete, aSuCheck, aSuEdit, aSuInfo}) Frame().Actions().Find(id)->onExecute = {};
    // The dialogs and the page's controls go before the image lists.
    compareForm_.reset();
    infoForm_.reset();
    addValueForm_.reset();
    DestroyHandle();
}

void StartUpPageWindow::AddSourceNodes() {
    // Each node's data is its source's id; a parent comes before its nodes.
    std::map<int, HTREEITEM> items;
    for (const StartupSource* source : SourcesInTreeOrder()) {
        const auto parent = items.find(source->parent);
        items[source->id] = tvSuSections.Add(parent == items.end() ? nullptr : parent->second, source->caption,
                                             kSuImagePresent, source->id);
    }
}

void StartUpPageWindow::CreateImageLists(int dpi) {
    imlSuSectionsIco.Reset(ui::LoadImageStrip(IDB_SU_SECTIONS, 16, dpi));
    const int size = ui::ScaleForDpi(16, dpi);
    imlSuTmpIco.Reset(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 0, 16));
}

void StartUpPageWindow::AttachActions() {
    ui::ActionList& actions = Frame().Actions();
    actions.Find(aSuUpdate)->onExecute = [this] { aSuUpdateExecute(); };
    actions.Find(aSuAdd)->onExecute = [this] { aSuAddExecute(); };
    actions.Find(aSuDelete)->onExecute = [this] { aSuDeleteExecute(); };
    actions.Find(aSuCheck)->onExecute = [this] { aSuCheckExecute(); };
    actions.Find(aSuEdit)->onExecute = [this] { aSuEditExecute(); };
    actions.Find(aSuInfo)->onExecute = [this] { aSuInfoExecute(); };
}

void StartUpPageWindow::DpiChanged(int oldDpi, int newDpi) {
    platform::ImageListHandle oldSections = std::move(imlSuSectionsIco), oldIcons = std::move(imlSuTmpIco);
    CreateImageLists(newDpi);
    TreeView_SetImageList(tvSuSections.Handle(), imlSuSectionsIco.Get(), TVSIL_NORMAL);
    TreeView_SetIndent(tvSuSections.Handle(), ui::ScaleForDpi(19, newDpi));
    ListView_SetImageList(lvSuValues.Handle(), imlSuTmpIco.Get(), LVSIL_SMALL);
    RenewToolBarAndColumns(kIdSuToolBar, lvSuValues, oldDpi, newDpi);
    AddRowIcons();  // the same icons at the new size, in the same places
}

void StartUpPageWindow::TreeExpandedAll() {
    // The group nodes show their expanded image.
    for (HTREEITEM item : tvSuSections.Items())
        if (IsGroupSection(static_cast<int>(tvSuSections.Data(item)))) SuTreeExpanded(item, true);
}

void StartUpPageWindow::SelectSuSection(int id) {
    if (HTREEITEM item = tvSuSections.ItemWithData(id)) tvSuSections.Select(item);
}

int StartUpPageWindow::SelectedSourceId() const {
    HTREEITEM item = tvSuSections.Selected();
    return item ? static_cast<int>(tvSuSections.Data(item)) : kNoSource;
}

void StartUpPageWindow::ClearSuValues() {
    const ui::ListRebuild rebuild(lvSuValues.Handle());
    lvSuValues.Clear();
    ImageList_RemoveAll(imlSuTmpIco.Get());
    listedRows_.clear();
}

std::vector<int> StartUpPageWindow::AddRowIcons() {
    // One icon per file and listing, added in the rows' order, so a second
    // pass (at another size) gives every file the same index.
    std::map<std::string, int> iconIndex;
    std::vector<int> images;
    for (const StartupRow& row : listedRows_) {
        int image = -1;
        if (!row.iconFile.empty()) {
            auto found = iconIndex.find(row.iconFile);
            if (found == iconIndex.end()) {
                platform::IconHandle icon = platform::shell::ExtractFirstIcon(row.iconFile);
                const int added = icon ? ImageList_AddIcon(imlSuTmpIco.Get(), icon.Get()) : -1;
                found = iconIndex.emplace(row.iconFile, added).first;
            }
            image = found->second;
        }
        images.push_back(image);
    }
    return images;
}

void StartUpPageWindow::FillSuValues(const StartupListing& listing) {
    const ui::ListRebuild rebuild(lvSuValues.Handle());
    lvSuValues.SetExtendedStyle(LVS_EX_CHECKBOXES, listing.checkBoxes ? LVS_EX_CHECKBOXES : 0);
    listedRows_ = listing.rows;
    const std::vector<int> images = AddRowIcons();
    for (size_t serial = 0; serial < listedRows_.size(); ++serial) {
        const StartupRow& row = listedRows_[serial];
        const int index =
            lvSuValues.AddItem(row.caption, images[serial], ui::MakeRowData(static_cast<int>(serial), row.subItems.size()));
        if (listing.checkBoxes) lvSuValues.SetChecked(index, row.checked);
        for (size_t k = 0; k < row.subItems.size(); ++k)
            lvSuValues.SetText(index, static_cast<int>(k + 1), row.subItems[k]);
    }
    suPopup_ = listing.popup;
}

const StartupRow* StartUpPageWindow::ListedRow(int row) const {
    if (row < 0 || row >= lvSuValues.Count()) return nullptr;
    const int serial = ui::RowSerial(lvSuValues.Data(row));
    return serial >= 0 && serial < static_cast<int>(listedRows_.size()) ? &listedRows_[serial] : nullptr;
}

std::optional<common::ReportBuilder> StartUpPageWindow::Report() const {
    const HTREEITEM node = tvSuSections.Selected();
    common::ReportBuilder report(common::ReportKind::StartUp,
                                 node ? SourceOf(static_cast<int>(tvSuSections.Data(node))).caption : "");
    const int count = lvSuValues.Count();
    for (int row = 0; row < count; ++row) {
        if (const StartupRow* listed = ListedRow(row))
            report.AddRow(listed->caption, listed->subItems);
        else
            report.AddRow(lvSuValues.Text(row, 0));
    }
    return report;
}

void StartUpPageWindow::RelistSuSection() {
    ui::ScopedRedrawOff quiet(lvSuValues.Handle());
    ClearSuValues();
    const int id = SelectedSourceId();
    if (id < 0) return;
    StartupListing listing;
    ListSection(id, listing, Frame().VersionInfo());
    FillSuValues(listing);
}

void StartUpPageWindow::SuTreeChanged() {
    RelistSuSection();
    Frame().RefreshView();
}

void StartUpPageWindow::SuTreeExpanded(HTREEITEM item, bool expanded) {
    tvSuSections.SetImage(item, expanded ? kSuImageExpanded : kSuImagePresent);
}

void StartUpPageWindow::aSuUpdateExecute() {
    if (Frame().CurrentPage() != kPageStartUp) return;
    RelistSuSection();
    Frame().SortListAgain(lvSuValues.Handle());
    ui::ShowFocusMark(lvSuValues.Handle());
    Frame().RefreshView();
}

bool StartUpPageWindow::SelectedSuRowDescribable() {
    const int row = lvSuValues.Selected();
    if (row < 0 || SelectedSourceId() < 0 || ui::RowSubItemCount(lvSuValues.Data(row)) == 0) return false;
    return CanDescribeFile(RowProgramInfoPath(row), Frame().VersionInfo());
}

std::string StartUpPageWindow::RowProgramInfoPath(int row) {
    const StartupRow* listed = ListedRow(row);
    return startup::programInfoPath(SelectedSourceId(), lvSuValues.Text(row, 0), lvSuValues.Text(row, 1),
                                    listed ? listed->filePath : std::string(), Frame().VersionInfo());
}

void StartUpPageWindow::RefreshView() {
    suPresence_ = UpdateSectionFlags();
    for (HTREEITEM item : tvSuSections.Items()) {
        const int id = static_cast<int>(tvSuSections.Data(item));
        if (!IsGroupSection(id)) tvSuSections.SetImage(item, SectionImage(id, suPresence_));
    }
    ui::ActionList& actions = Frame().Actions();
    const int id = SelectedSourceId();
    const StartupSource& source = SourceOf(id);
    const bool rowSelected = lvSuValues.Selected() >= 0;
    actions.SetEnabled(aSuUpdate, id >= 0);
    actions.SetEnabled(aSuAdd, source.allows.add);
    actions.SetEnabled(aSuDelete, rowSelected && source.allows.remove);
    actions.SetEnabled(aSuCheck, rowSelected && lvSuValues.ShowsCheckBoxes());
    actions.SetEnabled(aSuEdit, source.allows.edit && platform::files::FileExists(SourceFilePath(source)));
    actions.SetEnabled(aSuInfo, rowSelected && source.allows.info && SelectedSuRowDescribable());
    actions.SetEnabled(aReport, lvSuValues.Count() > 0);
}

// ---- events of the tree and the list ---------------------------------------

LRESULT StartUpPageWindow::OnNotify(NMHDR* header) {
    const HWND from = header->hwndFrom;
    if (from == tvSuSections.Handle()) {
        switch (header->code) {
        case NM_CUSTOMDRAW: return PageWindow::OnNotify(header);
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW: SuTreeChanged(); break;
        case NM_CLICK: Frame().RefreshView(); break;
        case NM_DBLCLK: aSuEditExecute(); break;
        case TVN_ITEMEXPANDEDA:
        case TVN_ITEMEXPANDEDW: {
            auto* tree = reinterpret_cast<NMTREEVIEWA*>(header);
            SuTreeExpanded(tree->itemNew.hItem, tree->action == TVE_EXPAND);
            break;
        }
        }
        return 0;
    }
    if (from == lvSuValues.Handle()) {
        switch (header->code) {
        case LVN_ITEMCHANGED: {
            if (ui::IsListRebuilding(lvSuValues.Handle())) break;
            const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
            // A change of a row's state (its tick, selection or focus) applies
            // the state the row shows; only the user's own tick is told of a
            // conflict.
            const UINT changedState = change->uOldState ^ change->uNewState;
            if ((change->uChanged & LVIF_STATE) && changedState && change->iItem >= 0 && lvSuValues.ShowsCheckBoxes()) {
                if (changedState & LVIS_STATEIMAGEMASK)
                    SuValuesTickChanged(change->iItem);
                else
                    SuValuesStateReapplied(change->iItem);
            }
            Frame().RefreshView();
            break;
        }
        case LVN_BEGINDRAG: SuBeginDrag(); break;
        default: return OnResultListNotify(header);
        }
        return 0;
    }
    return PageWindow::OnNotify(header);
}

std::vector<int> StartUpPageWindow::ContextMenuActions(HWND source) const {
    if (source != lvSuValues.Handle()) return {};
    return WithRowActions(suPopup_ == SuPopupMenu::ValueReg ? std::vector<int>{aSuAdd, aSuDelete, aSuCheck, aSuInfo}
                                                            : std::vector<int>{aSuEdit, aSuInfo});
}

void StartUpPageWindow::OnContextMenu(HWND source, POINT screen) {
    const std::vector<int> actionIds = ContextMenuActions(source);
    if (!actionIds.empty()) ShowActionMenu(source, screen, actionIds);
}

}  // namespace gui

namespace gui {

void StartUpPageWindow::LayoutChanged() { FillColumn(lvSuValues, 1, Frame().Dpi()); }

}  // namespace gui
