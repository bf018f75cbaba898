// TfrmMain: creation, window life, pages, actions and message routing.
#include "shell/MainUnit.h"

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "resource.h"
#include "shell/MainLayout.h"

#include <unordered_map>

using namespace layout;

namespace {

constexpr const char* kMainClass = "TfrmMain";
constexpr const char* kPageClass = "OrvPage";
constexpr const char* kLinkProperty = "OrvLink";

// Pages are plain containers: what their controls report goes to the main
// window, which owns all the handlers.
LRESULT CALLBACK PageProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CONTEXTMENU:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        return SendMessageA(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    case WM_SETCURSOR:
        if (GetPropA(reinterpret_cast<HWND>(wParam), kLinkProperty)) {
            SetCursor(LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterPageClass(HBRUSH background) {
    WNDCLASSEXA cls{};
    if (GetClassInfoExA(GetModuleHandleA(nullptr), kPageClass, &cls)) return;
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = PageProcedure;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.hbrBackground = background;
    cls.lpszClassName = kPageClass;
    RegisterClassExA(&cls);
}

HIMAGELIST LoadImageStrip(int id, int size) {
    return ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), size, 0,
                                RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
}

HFONT MakeFont(const char* face, int points, int weight) {
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

BOOL CALLBACK SetFontOnChild(HWND child, LPARAM font) {
    SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}

// The window classes outlive any one window, so their background brush lives
// as long as the program.
HBRUSH FormBrush() {
    static HBRUSH brush = CreateSolidBrush(kFormColor);
    return brush;
}

}  // namespace

LPARAM MakeRowData(int serial, size_t subItemCount) {
    return (static_cast<LPARAM>(serial) << 8) | static_cast<LPARAM>(subItemCount & 0xFF);
}

size_t RowSubItemCount(LPARAM data) { return static_cast<size_t>(data & 0xFF); }

const char* const TfrmMain::kLinkTargets[4] = {
    "https://www.orvelin.example/",
    "mailto:support@orvelin.example",
    "https://forum.orvelin.example/",
    "https://www.orvelin.example/faq/",
};

TfrmMain::TfrmMain() {
    vendorBrush_.Reset(CreateSolidBrush(RGB(0, 0, 0)));
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ORVELIN));
    RegisterWindowClass(kMainClass, FormBrush(), icon);
    RegisterPageClass(FormBrush());

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    CreateInstance(kMainClass, "Orvelin 2.0", style, WS_EX_CONTROLPARENT, x, y, width, height, nullptr, nullptr);
    FormCreate();
}

TfrmMain::~TfrmMain() {
    // The dialogs and the window go before the image lists, fonts and
    // objects their controls use.
    infoForm_.reset();
    addValueForm_.reset();
    DestroyHandle();
    // FormDestroy: the fixer goes first once the registry scanner owns one,
    // then the version-information object.
    versionInfo_.reset();
}

void TfrmMain::FormCreate() {
    versionInfo_ = std::make_unique<TFileVersionInfo>();
    CreateImageLists();
    CreateActions();
    title_ = std::make_unique<TitleStrip>(Handle(), kClientWidth,
                                          [this](int page) { TitleButtonClick(page); });
    CreatePages();
    // The check-box style goes on after creation: a tree created with it
    // loses its items' check states at the first paint.
    const LONG_PTR treeStyle = GetWindowLongPtrA(tvRgSections.Handle(), GWL_STYLE);
    SetWindowLongPtrA(tvRgSections.Handle(), GWL_STYLE, treeStyle | TVS_CHECKBOXES);
    programFolder_ = platform::files::ExtractFilePath(platform::files::ModuleFileName());
    CurrentPage = kPageStartUp;
    accelerators_ = actions_.BuildAccelerators();
    ApplyFonts();
}

void TfrmMain::CreateImageLists() {
    imlToolBar.Reset(LoadImageStrip(IDB_TOOLBAR, 32));
    imlToolBarDis.Reset(LoadImageStrip(IDB_TOOLBAR_DIS, 32));
    imlSmolIco.Reset(LoadImageStrip(IDB_SMALL, 16));
    imlSuSectionsIco.Reset(LoadImageStrip(IDB_SU_SECTIONS, 16));
    imlSuTmpIco.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 16));
    imlRgSectionsIco.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 4));
    imlHiSectionsIco.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 4));
}

void TfrmMain::CreateActions() {
    struct Row {
        int id;
        const char* name;
        int page;
        const char* caption;
        const char* hint;
        ui::Shortcut shortcut;
        bool enabled;
        int image;
    };
    const Row rows[] = {
        {aSuAdd, "aSuAdd", kPageStartUp, "Add", "Add New Progamm to StartUp", {VK_INSERT}, true, 2},
        {aSuDelete, "aSuDelete", kPageStartUp, "Delete", "Delete Selected Programm from StartUp", {VK_DELETE}, true, 3},
        {aSuUpdate, "aSuUpdate", kPageStartUp, "Update", "Update StartUp Information", {VK_F5}, true, 1},
        {aSuCheck, "aSuCheck", kPageStartUp, "On/Off", "Temporary Delete Programm from StartUp", {VK_F6}, true, 4},
        {aSuEdit, "aSuEdit", kPageStartUp, "Edit", "Edit System StartUp File", {VK_F7}, true, 5},
        {aSuInfo, "aSuInfo", kPageStartUp, "Info", "Show Info about Selected Programm", {VK_F8}, true, 6},
        {aRgScan, "aRgScan", kPageRegistry, "Scan", "Scan Registry", {VK_F5}, true, 8},
        {aRgFix, "aRgFix", kPageRegistry, "Fix", "Fix Selected Errors", {VK_DELETE}, true, 9},
        {aRgFixAll, "aRgFixAll", kPageRegistry, "Fix All", "Fix All Errors", {VK_DELETE, FCONTROL}, true, 10},
        {aRgSelectAll, "aRgSelectAll", kPageRegistry, "Select All", "Set Check for All Errors", {}, true, 12},
        {aRgSelectNone, "aRgSelectNone", kPageRegistry, "Select None", "Set UnCheck for All Errors", {}, true, 11},
        {aHsDelete, "aHsDelete", kPageHistory, "Delete", "Delete Selected Value", {VK_DELETE}, false, 13},
        {aHsUpdate, "aHsUpdate", kPageHistory, "Update", "Update", {VK_F5}, false, 1},
        {aHsDeleteAll, "aHsDeleteAll", kPageHistory, "Delete All", "Delete All Values from Selected Section", {VK_DELETE, FCONTROL}, false, 14},
        {aReport, "aReport", ui::kNoPage, "Report", "Create Report File", {VK_F4}, false, 0},
        {aBackUp, "aBackUp", ui::kNoPage, "BackUp\\Restore", "BackUp\\Restore", {VK_F10}, true, 7},
    };
    for (const Row& row : rows)
        actions_.Add(ui::Action{row.id, row.name, row.page, row.caption, row.hint, row.shortcut,
                                row.enabled, row.image, {}});
    actions_.Find(aSuUpdate)->onExecute = [this] { aSuUpdateExecute(); };
    actions_.Find(aSuAdd)->onExecute = [this] { aSuAddExecute(); };
    actions_.Find(aSuDelete)->onExecute = [this] { aSuDeleteExecute(); };
    actions_.Find(aSuCheck)->onExecute = [this] { aSuCheckExecute(); };
    actions_.Find(aSuEdit)->onExecute = [this] { aSuEditExecute(); };
    actions_.Find(aSuInfo)->onExecute = [this] { aSuInfoExecute(); };
    // The handlers of the registry scanner, the history cleaner, the report
    // and the snapshots are attached here as those tools are added; until
    // then their actions do nothing.
}

HWND TfrmMain::CreatePageWindow(int page) {
    // A control parent, so Tab moves between the page's controls.
    HWND window = CreateWindowExA(WS_EX_CONTROLPARENT, kPageClass, "", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0,
                                  kPageTop, kClientWidth, kPageHeight, Handle(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    pages_[page] = window;
    return window;
}

void TfrmMain::CreatePages() {
    CreateStartUpPage();
    CreateRegistryPage();
    CreateHistoryPage();
    CreateAboutPage();
    lblVendor = CreateWindowExA(
        0, "STATIC", "Orvelin 2.0  -  keep your start-up lean and your traces clean",
        WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0, kClientHeight - kVendorHeight,
        kClientWidth, kVendorHeight, Handle(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdVendor)), GetModuleHandleA(nullptr), nullptr);
}

namespace {

HWND CreateTree(HWND parent, int id, int width, DWORD extraStyle, HIMAGELIST images) {
    HWND tree = CreateWindowExA(
        WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
            TVS_SHOWSELALWAYS | extraStyle,
        0, kStripHeight, width, kPageHeight - kStripHeight, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    TreeView_SetImageList(tree, images, TVSIL_NORMAL);
    TreeView_SetBkColor(tree, kListColor);
    return tree;
}

HWND CreateList(HWND parent, int id, int left, DWORD exStyle) {
    HWND list = CreateWindowExA(
        WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
        // The image lists belong to the window, not to the list.
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, left,
        kStripHeight, TfrmMain::kClientWidth - left, kPageHeight - kStripHeight, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    ListView_SetExtendedListViewStyleEx(list, exStyle, exStyle);
    ui::ListView(list).SetBackColor(kListColor);
    return list;
}

// Adds the columns; the one of width 0 fills what the others leave.
void AddColumns(ui::ListView list, std::initializer_list<std::pair<const char*, int>> columns) {
    RECT client{};
    GetClientRect(list.Handle(), &client);
    int fixed = 0;
    for (const auto& column : columns) fixed += column.second;
    const int fill = client.right - fixed - GetSystemMetrics(SM_CXVSCROLL);
    for (const auto& column : columns)
        list.AddColumn(column.first, column.second ? column.second : (fill > 60 ? fill : 60));
}

}  // namespace

void TfrmMain::CreateStartUpPage() {
    HWND page = CreatePageWindow(kPageStartUp);
    actions_.RegisterToolBar(ui::CreateActionToolBar(
        page, kIdSuToolBar, {aReport, aSuUpdate, 0, aSuAdd, aSuDelete, aSuCheck, aSuEdit, aSuInfo, 0, aBackUp},
        actions_, imlToolBar.Get(), imlToolBarDis.Get(), 0, 1, kClientWidth, kStripHeight - 2));
    tvSuSections = ui::TreeView(CreateTree(page, kIdSuTree, kTreeWidth, TVS_NOTOOLTIPS, imlSuSectionsIco.Get()));
    TreeView_SetIndent(tvSuSections.Handle(), 19);
    HTREEITEM parents[3] = {};
    for (int position = 0; position < kSuSectionCount; ++position) {
        const SuSectionNode& node = kSuSectionNodes[position];
        parents[node.depth] = tvSuSections.Add(node.depth ? parents[node.depth - 1] : nullptr,
                                               node.caption, kSuImagePresent, position);
    }
    lvSuValues = ui::ListView(CreateList(page, kIdSuList, kTreeWidth,
                                         LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT));
    AddColumns(lvSuValues, {{"Name", 125}, {"Location", 0}, {"Root Key", 136}, {"Section", 95},
                            {"Active", kDefaultColumnWidth}});
    ListView_SetImageList(lvSuValues.Handle(), imlSuTmpIco.Get(), LVSIL_SMALL);
}

void TfrmMain::CreateRegistryPage() {
    HWND page = CreatePageWindow(kPageRegistry);
    actions_.RegisterToolBar(ui::CreateActionToolBar(
        page, kIdRgToolBar, {aReport, aRgScan, 0, aRgFix, aRgFixAll, aRgSelectNone, aRgSelectAll, 0, aBackUp},
        actions_, imlToolBar.Get(), imlToolBarDis.Get(), 0, 1, kClientWidth, kStripHeight - 2));
    tvRgSections = ui::TreeView(CreateTree(page, kIdRgTree, kTreeWidth, 0, imlRgSectionsIco.Get()));
    lvRgValues = ui::ListView(CreateList(page, kIdRgList, kTreeWidth, LVS_EX_CHECKBOXES));
    AddColumns(lvRgValues, {{"Section", 125}, {"Registry Path", 0}, {"File Name", 136}, {"Guess Path", 95}});
}

void TfrmMain::CreateHistoryPage() {
    HWND page = CreatePageWindow(kPageHistory);
    actions_.RegisterToolBar(ui::CreateActionToolBar(
        page, kIdHsToolBar, {aReport, aHsUpdate, 0, aHsDelete, aHsDeleteAll}, actions_,
        imlToolBar.Get(), imlToolBarDis.Get(), 0, 1, 170, kStripHeight - 2));
    auto child = [&](const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id, DWORD ex = 0) {
        return CreateWindowExA(ex, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, w, h, page,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    };
    cbUseMask = child("BUTTON", "Use Mask:", BS_AUTOCHECKBOX, 182, 11, 72, 18, kIdUseMask);
    edtMask = child("EDIT", "", ES_AUTOHSCROLL, 258, 9, 193, 21, kIdMask, WS_EX_CLIENTEDGE);
    cbWholeWord = child("BUTTON", "Whole Word", BS_AUTOCHECKBOX, 460, 11, 90, 18, kIdWholeWord);
    tvHsSections = ui::TreeView(CreateTree(page, kIdHsTree, kHistoryTreeWidth, 0, imlHiSectionsIco.Get()));
    lvHsValues = ui::ListView(CreateList(page, kIdHsList, kHistoryTreeWidth, LVS_EX_FULLROWSELECT));
    AddColumns(lvHsValues, {{"Value", 0}});
    SetMaskControls(true);
}

void TfrmMain::ApplyFonts() {
    font_.Reset(MakeFont("Tahoma", 8, FW_NORMAL));
    EnumChildWindows(Handle(), SetFontOnChild, reinterpret_cast<LPARAM>(font_.Get()));
    vendorFont_.Reset(MakeFont("Courier New", 9, FW_BOLD));
    SendMessageA(lblVendor, WM_SETFONT, reinterpret_cast<WPARAM>(vendorFont_.Get()), FALSE);
    ApplyAboutFonts();
}

void TfrmMain::SetMaskControls(bool allowed) {
    EnableWindow(cbUseMask, allowed);
    const bool maskOn = allowed && SendMessageA(cbUseMask, BM_GETCHECK, 0, 0) == BST_CHECKED;
    EnableWindow(edtMask, maskOn);
    EnableWindow(cbWholeWord, maskOn);
    InvalidateRect(edtMask, nullptr, TRUE);
}

// ---- window life ---------------------------------------------------------

void TfrmMain::FormActivate(bool firstActivation) {
    // The first activation shows the StartUp page. Later activations (after
    // one of the program's own dialogs closes) keep the page the user is on.
    if (firstActivation) {
        CurrentPage = kPageStartUp;
        ShowPage(kPageStartUp);
    }
    title_->UpdatePictures(CurrentPage);
    NavigateHelp(programFolder_ + "Help.html");
}

bool TfrmMain::FormCloseQuery() {
    return platform::dialogs::ShowBox(Handle(), "Do you want to exit Orvelin?", ui::kApplicationTitle,
                                      platform::dialogs::BoxKind::Confirm) != IDNO;
}

void TfrmMain::ShowPage(int page) {
    for (int other = 0; other < kPageCount; ++other) {
        if (other == page) continue;
        ShowWindow(pages_[other], SW_HIDE);
        pageShown_[other] = false;
    }
    const bool newlyShown = !pageShown_[page];
    ShowWindow(pages_[page], SW_SHOW);
    pageShown_[page] = true;
    if (newlyShown && page != kPageAbout) tabSheetShow(page);
}

void TfrmMain::TitleButtonClick(int page) {
    CurrentPage = page;
    ShowPage(page);
    title_->UpdatePictures(page);
}

void TfrmMain::tabSheetShow(int page) {
    ui::TreeView tree = page == kPageStartUp ? tvSuSections : page == kPageRegistry ? tvRgSections : tvHsSections;
    if (HTREEITEM first = tree.Root()) {
        tree.ExpandAll(first);
        // A programmatic expand does not always notify; show the group
        // nodes' expanded image here.
        if (page == kPageStartUp)
            for (HTREEITEM item : tree.Items())
                if (IsGroupSection(static_cast<int>(tree.Data(item)))) SuTreeExpanded(item, true);
        tree.Select(first);
    }
    SetFocus(tree.Handle());
    RefreshView();
}

// ---- the central refresh ---------------------------------------------------

void TfrmMain::RefreshView() {
    switch (CurrentPage) {
    case kPageStartUp: RefreshStartUp(); break;
    case kPageRegistry: RefreshRegistry(); break;
    case kPageHistory: RefreshHistory(); break;
    default: break;
    }
}

void TfrmMain::RefreshRegistry() {
    bool anyChecked = false;
    const auto items = tvRgSections.Items();
    for (size_t i = 1; i < items.size(); ++i) anyChecked = anyChecked || tvRgSections.Checked(items[i]);
    actions_.SetEnabled(aRgScan, anyChecked);
    // The fixer's per-section states enable Fix and Fix All and give the
    // section captions and icons; they arrive with the registry scanner.
    actions_.SetEnabled(aRgFix, false);
    actions_.SetEnabled(aRgFixAll, false);
    actions_.SetEnabled(aReport, lvRgValues.Count() > 0);
    actions_.SetEnabled(aRgSelectAll, lvRgValues.ShowsCheckBoxes());
    actions_.SetEnabled(aRgSelectNone, lvRgValues.ShowsCheckBoxes() && actions_.Enabled(aRgFix));
}

void TfrmMain::RefreshHistory() {
    // The section rules (Delete, Delete All, Update, mask controls) arrive
    // with the history sections.
    actions_.SetEnabled(aReport, lvHsValues.Count() > 0);
}

// ---- sorting ---------------------------------------------------------------

namespace {

int CALLBACK CompareByRank(LPARAM a, LPARAM b, LPARAM rankMap) {
    const auto& ranks = *reinterpret_cast<const std::unordered_map<LPARAM, size_t>*>(rankMap);
    const size_t rankA = ranks.at(a), rankB = ranks.at(b);
    return rankA < rankB ? -1 : rankA > rankB ? 1 : 0;
}

void SortListView(ui::ListView list, const SortState& state) {
    std::vector<SortRow> rows;
    for (int i = 0; i < list.Count(); ++i) {
        const LPARAM data = list.Data(i);
        SortRow row{data, list.Text(i, 0), {}};
        const size_t count = std::min<size_t>(RowSubItemCount(data), list.ColumnCount() - 1);
        for (size_t k = 0; k < count; ++k) row.subItems.push_back(list.Text(i, static_cast<int>(k + 1)));
        rows.push_back(std::move(row));
    }
    std::vector<SortRow> original = rows;
    SortRows(rows, state.column, state.descending);
    std::unordered_map<LPARAM, size_t> ranks;
    for (size_t i = 0; i < rows.size(); ++i) ranks[rows[i].key] = i;
    // Write back the blanks the compare rule put into empty texts.
    for (size_t i = 0; i < original.size(); ++i) {
        const SortRow& sorted = rows[ranks[original[i].key]];
        if (sorted.caption != original[i].caption) list.SetText(static_cast<int>(i), 0, sorted.caption);
        for (size_t k = 0; k < sorted.subItems.size(); ++k)
            if (sorted.subItems[k] != original[i].subItems[k])
                list.SetText(static_cast<int>(i), static_cast<int>(k + 1), sorted.subItems[k]);
    }
    ListView_SortItems(list.Handle(), CompareByRank, reinterpret_cast<LPARAM>(&ranks));
}

}  // namespace

void TfrmMain::SortListByColumn(HWND list, int column) {
    SortListView(ui::ListView(list), ClickColumn(sortState_, column));
}

void TfrmMain::SortListAgain(HWND list) {
    if (sortState_.sortedOnce) SortListView(ui::ListView(list), sortState_);
}

// ---- messages --------------------------------------------------------------

bool TfrmMain::ExecuteShortcut(WORD key, BYTE modifiers) {
    const int command = actions_.CommandForShortcut(ui::Shortcut{key, modifiers});
    return command && actions_.ExecuteShortcut(command, CurrentPage);
}

bool TfrmMain::PreTranslateMessage(MSG& message) {
    const bool ours = message.hwnd == Handle() || IsChild(Handle(), message.hwnd);
    if (!ours) return false;
    if (message.message == WM_MOUSEMOVE && message.hwnd != title_->Handle())
        title_->ShowDisPictures();
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && suDragging_) {
        SuEndDrag(false);
        return true;
    }
    bool editingKey = false;
    if (message.message == WM_KEYDOWN && (message.wParam == VK_DELETE || message.wParam == VK_INSERT)) {
        char cls[16] = {};
        GetClassNameA(GetFocus(), cls, sizeof(cls));
        editingKey = lstrcmpiA(cls, "Edit") == 0;  // editing keys stay with the field
    }
    if (!editingKey && accelerators_ && TranslateAcceleratorA(Handle(), accelerators_.Get(), &message)) return true;
    // Tab and Shift+Tab move between the controls of the page.
    return IsDialogMessageA(Handle(), &message) != FALSE;
}

LRESULT TfrmMain::OnCommand(int id, int code, HWND control) {
    if (id >= ui::ActionList::kShortcutCommandBase) {
        actions_.ExecuteShortcut(id, CurrentPage);
        return 0;
    }
    if (actions_.Find(id)) {
        actions_.Execute(id);
        return 0;
    }
    if (id >= kIdLinkFirst && id < kIdLinkFirst + 4 && code == STN_CLICKED) {
        OpenLink(id - kIdLinkFirst);
        return 0;
    }
    if (id == kIdUseMask && code == BN_CLICKED) {
        RefreshView();
        return 0;
    }
    (void)control;
    return 0;
}

LRESULT TfrmMain::OnNotify(NMHDR* header) {
    const HWND from = header->hwndFrom;
    if (header->code == TTN_GETDISPINFOA || header->code == TTN_GETDISPINFOW) {
        const ui::Action* action = actions_.Find(static_cast<int>(header->idFrom));
        if (!action) return 0;
        if (header->code == TTN_GETDISPINFOA) {
            reinterpret_cast<NMTTDISPINFOA*>(header)->lpszText = const_cast<char*>(action->hint.c_str());
        } else {
            // The tool tip asks in UTF-16 when it was created as a wide
            // window; the text must outlive this call.
            static std::wstring hint;
            hint = platform::text::Widen(action->hint);
            reinterpret_cast<NMTTDISPINFOW*>(header)->lpszText = hint.data();
        }
        return 0;
    }
    if (header->code == LVN_COLUMNCLICK &&
        (from == lvSuValues.Handle() || from == lvRgValues.Handle() || from == lvHsValues.Handle())) {
        SortListByColumn(from, reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        return 0;
    }
    if (header->code == NM_CUSTOMDRAW &&
        (from == tvSuSections.Handle() || from == tvRgSections.Handle() || from == tvHsSections.Handle()))
        return DrawTreeItem(reinterpret_cast<NMTVCUSTOMDRAW*>(header));
    if (from == tvSuSections.Handle()) {
        switch (header->code) {
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW: SuTreeChanged(); break;
        case NM_CLICK: RefreshView(); break;
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
    if (from == lvSuValues.Handle() && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        // Only a change of the tick moves an entry; selecting a row does not.
        const bool tickChanged = (change->uChanged & LVIF_STATE) &&
                                 ((change->uOldState ^ change->uNewState) & LVIS_STATEIMAGEMASK);
        if (tickChanged && change->iItem >= 0 && lvSuValues.ShowsCheckBoxes() && !ListRebuilding)
            SuValuesTickChanged(change->iItem);
        if (!ListRebuilding) RefreshView();
        return 0;
    }
    if (from == lvSuValues.Handle() && (header->code == LVN_BEGINDRAG)) {
        SuBeginDrag();
        return 0;
    }
    if (from == lvSuValues.Handle() || from == lvRgValues.Handle() || from == lvHsValues.Handle()) {
        if (header->code == LVN_ITEMCHANGED && !ListRebuilding) RefreshView();
        if (header->code == NM_CLICK) RefreshView();
        return 0;
    }
    return 0;
}

// The selected section stays marked while the focus is in the list, so the
// user sees which section the list shows.
LRESULT TfrmMain::DrawTreeItem(NMTVCUSTOMDRAW* draw) {
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

void TfrmMain::OnContextMenu(HWND source, POINT screen) {
    std::vector<int> items;
    if (source == lvSuValues.Handle())
        items = suPopup_ == SuPopupMenu::ValueReg ? std::vector<int>{aSuAdd, aSuDelete, aSuCheck, aSuInfo}
                                                  : std::vector<int>{aSuEdit, aSuInfo};
    else if (source == lvHsValues.Handle())
        items = {aHsDelete, aHsDeleteAll, 0, aReport};
    if (items.empty()) return;
    if (screen.x == -1 && screen.y == -1) {
        RECT rect{};
        GetWindowRect(source, &rect);
        screen = {rect.left + 8, rect.top + 24};
    }
    platform::MenuHandle menu(ui::BuildActionMenu(items, actions_));
    const int chosen = TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                                      Handle(), nullptr);
    if (chosen) actions_.Execute(chosen);
}

LRESULT TfrmMain::OnControlColor(HDC dc, HWND control) {
    if (control == lblVendor) {
        SetTextColor(dc, kVendorText);
        SetBkColor(dc, RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(vendorBrush_.Get());
    }
    if (control == mHelp) {
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    if (control == edtMask && !IsWindowEnabled(edtMask)) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    if (control == edtMask) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    const bool link = std::find(linkLabels_.begin(), linkLabels_.end(), control) != linkLabels_.end();
    SetTextColor(dc, link ? kLinkColor : GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, kFormColor);
    return reinterpret_cast<LRESULT>(FormBrush());
}

void TfrmMain::OnMeasureMenuItem(MEASUREITEMSTRUCT* measure) {
    measure->itemWidth = 16;
    measure->itemHeight = 16;
}

void TfrmMain::OnDrawMenuItem(DRAWITEMSTRUCT* draw) {
    const int image = static_cast<int>(draw->itemData);
    if (image < 0) return;
    const int top = draw->rcItem.top + (draw->rcItem.bottom - draw->rcItem.top - 16) / 2;
    ImageList_Draw(imlSmolIco.Get(), image, draw->hDC, draw->rcItem.left, top,
                   (draw->itemState & ODS_DISABLED) ? ILD_BLEND50 : ILD_TRANSPARENT);
}

LRESULT TfrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            DWORD otherProcess = 0;
            if (lParam) GetWindowThreadProcessId(reinterpret_cast<HWND>(lParam), &otherProcess);
            const bool first = !activatedOnce_;
            activatedOnce_ = true;
            if (first || otherProcess == GetCurrentProcessId()) FormActivate(first);
        }
        break;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
        OnContextMenu(reinterpret_cast<HWND>(wParam),
                      POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_MEASUREITEM:
        if (reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) {
            OnMeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_DRAWITEM:
        if (reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) {
            OnDrawMenuItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        if (suDragging_) {
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(Handle(), &point);
            SuDragMove(point);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (suDragging_) SuEndDrag(true);
        return 0;
    case WM_CAPTURECHANGED:
        if (suDragging_ && reinterpret_cast<HWND>(lParam) != Handle()) SuEndDrag(false);
        return 0;
    case WM_CLOSE:
        if (FormCloseQuery()) {
            quitOnDestroy_ = true;
            DestroyWindow(Handle());
        }
        return 0;
    case WM_DESTROY:
        if (quitOnDestroy_) PostQuitMessage(0);
        return 0;
    }
    return DefaultProcedure(message, wParam, lParam);
}
