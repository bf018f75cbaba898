// MainWindow: the frame: creation, window life, pages, actions, the DPI and
// message routing. The pages' own code lives in their classes.
#include "gui/MainWindow.h"
#include "gui/MainPage.h"

#include "platform/Dialogs.h"
#include "resource.h"
#include "gui/AboutPage.h"
#include "gui/HistoryPage.h"
#include "gui/MainLayout.h"
#include "ui/CellTips.h"
#include "ui/Pictures.h"
#include "gui/RegistryPage.h"
#include "gui/StartUpPage.h"

#include <algorithm>
#include <exception>

namespace gui {

using namespace layout;

namespace {

constexpr const char* kMainClass = "MainWindow";
constexpr DWORD kFrameStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN;

RECT WorkArea() {
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

}  // namespace

HBRUSH FormBrush() {
    static HBRUSH brush = CreateSolidBrush(kFormColor);
    return brush;
}

MainWindow::MainWindow() {
    vendorBrush_.Reset(CreateSolidBrush(RGB(0, 0, 0)));
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ORVELIN));
    RegisterWindowClass(kMainClass, FormBrush(), icon);
    layout_.SetDpi(ui::WindowDpi(nullptr));
    layout_.SetBaseClient(kClientWidth, kClientHeight);
    CreateInstance(kMainClass, "Orvelin 2.0", kFrameStyle, WS_EX_CONTROLPARENT, CW_USEDEFAULT, CW_USEDEFAULT,
                   kClientWidth, kClientHeight, nullptr, nullptr);
    // The window knows its monitor's DPI once it exists.
    layout_.SetDpi(ui::WindowDpi(Handle()));
    ResizeFrame(nullptr);
    FormCreate();
}

MainWindow::~MainWindow() {
    // The window and its pages go before the image lists, fonts and
    // objects their controls use. A page's destructor stops what it runs
    // and takes its handlers off the actions; nothing reaches a page that went.
    pages_.fill(nullptr);
    about_.reset();
    history_.reset();
    registry_.reset();
    startUp_.reset();
    DestroyHandle();
    // FormDestroy: the fixer goes first once the registry scanner owns one,
    // then the version-information object.
    versionInfo_.reset();
}

void MainWindow::ResizeFrame(const RECT* suggested) {
    if (suggested)
        SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame is whatever caption and borders the system draws: measured,
    // so the client area is exactly the scaled size. A work area too small
    // for it (a large DPI on a small screen) holds the window whole instead,
    // and that is then also its smallest size.
    SIZE size = ui::FrameSizeForClient(Handle(), layout_.Scale(kClientWidth), layout_.Scale(kClientHeight));
    const RECT work = WorkArea();
    size.cx = std::min<LONG>(size.cx, work.right - work.left);
    size.cy = std::min<LONG>(size.cy, work.bottom - work.top);
    minimumFrame_ = size;
    if (IsZoomed(Handle())) return;
    RECT place{};
    GetWindowRect(Handle(), &place);
    if (suggested) {
        // Keep a size the user gave the window, as the system scaled it.
        size.cx = std::max<LONG>(size.cx, suggested->right - suggested->left);
        size.cy = std::max<LONG>(size.cy, suggested->bottom - suggested->top);
    } else {
        place.left = work.left + ((work.right - work.left) - size.cx) / 2;
        place.top = work.top + ((work.bottom - work.top) - size.cy) / 2;
    }
    place.left = std::max(place.left, work.left);
    place.top = std::max(place.top, work.top);
    SetWindowPos(Handle(), nullptr, place.left, place.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::ClientResized(int width, int height) {
    layout_.SetClientSize(width, height);
    layout_.Apply();
    for (PageWindow* page : pages_)
        if (page) page->LayoutChanged();
}

void MainWindow::FormCreate() {
    versionInfo_ = std::make_unique<FileVersionInfo>();
    settings_ = common::RunningProgramSettings();  // before the pages, which show the version
    CreateImageLists();
    CreateActions();
    title_ = std::make_unique<TitleStrip>(Handle(), kClientWidth, layout_.Dpi(),
                                          [this](int page) { TitleButtonClick(page); });
    layout_.Place(title_->Handle(), 0, 0, kClientWidth, TitleStrip::kHeight, ui::kGrowRight);
    CreatePages();
    currentPage_ = kPageStartUp;
    accelerators_ = actions_.BuildAccelerators();
    ApplyFonts();
}

void MainWindow::CreateImageLists() {
    imlToolBar.Reset(ui::LoadImageStrip(IDB_TOOLBAR, 32, Dpi()));
    imlToolBarDis.Reset(ui::LoadImageStrip(IDB_TOOLBAR_DIS, 32, Dpi()));
    imlSmolIco.Reset(ui::LoadImageStrip(IDB_SMALL, 16, Dpi()));
}

void MainWindow::CreateActions() {
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
        // No shortcut of their own: Ctrl+C is the result list's (an accelerator
        // would take it from the edit fields too).
        {aRowCopy, "aRowCopy", ui::kNoPage, "Copy", "Copy the Selected Row", {}, false, ui::kNoImage},
        {aRowRegistryEditor, "aRowRegistryEditor", ui::kNoPage, "Open in Registry Editor",
         "Open the Registry Editor at the Row's Key", {}, false, ui::kNoImage},
        {aRowFileLocation, "aRowFileLocation", ui::kNoPage, "Open File Location",
         "Show the Row's File in Explorer", {}, false, ui::kNoImage},
    };
    for (const Row& row : rows)
        actions_.Add(ui::Action{row.id, row.name, row.page, row.caption, row.hint, row.shortcut,
                                row.enabled, row.image, {}});
    // Each page attaches its own actions' handlers when it is created. The
    // report acts on whichever page is current; BackUp\Restore is the
    // current page's own.
    actions_.Find(aReport)->onExecute = [this] { WriteReport(); };
    actions_.Find(aBackUp)->onExecute = [this] {
        if (currentPage_ >= 0 && currentPage_ < kPageCount && pages_[currentPage_]) pages_[currentPage_]->BackUpRestore();
    };
    // The row commands act on the current page's list.
    const auto onCurrentPage = [this](void (PageWindow::*command)()) {
        return [this, command] {
            if (currentPage_ >= 0 && currentPage_ < kPageCount && pages_[currentPage_]) (pages_[currentPage_]->*command)();
        };
    };
    actions_.Find(aRowCopy)->onExecute = onCurrentPage(&PageWindow::CopySelectedRows);
    actions_.Find(aRowRegistryEditor)->onExecute = onCurrentPage(&PageWindow::OpenSelectedInRegistryEditor);
    actions_.Find(aRowFileLocation)->onExecute = onCurrentPage(&PageWindow::OpenSelectedFileLocation);
}

void MainWindow::CreatePages() {
    startUp_ = std::make_unique<StartUpPageWindow>(*this);
    registry_ = std::make_unique<RegistryPageWindow>(*this);
    history_ = std::make_unique<HistoryPageWindow>(*this);
    about_ = std::make_unique<AboutPageWindow>(*this);
    pages_ = {startUp_.get(), registry_.get(), history_.get(), about_.get()};
    lblVendor = CreateWindowExA(0, "STATIC", "Orvelin 2.0  -  keep your start-up lean and your traces clean",
                                WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0, 0, 0, 0, Handle(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdVendor)), GetModuleHandleA(nullptr),
                                nullptr);
    layout_.Place(lblVendor, 0, kClientHeight - kVendorHeight, kClientWidth, kVendorHeight,
                  ui::kGrowRight | ui::kMoveDown);
}

HWND MainWindow::tsPage(int page) const { return pages_[page]->Handle(); }

void MainWindow::ApplyFonts() {
    font_.Reset(ui::CreatePointFont("Tahoma", 8, FW_NORMAL, Dpi()));
    ui::SetFontOnChildren(Handle(), Font(), false);
    vendorFont_.Reset(ui::CreatePointFont("Courier New", 9, FW_BOLD, Dpi()));
    SendMessageA(lblVendor, WM_SETFONT, reinterpret_cast<WPARAM>(vendorFont_.Get()), FALSE);
    for (PageWindow* page : pages_) page->ApplyPageFonts(Dpi());
}

void MainWindow::ApplyDpi(int dpi, const RECT* suggested) {
    const int oldDpi = Dpi();
    if (dpi <= 0 || dpi == oldDpi) return;
    layout_.SetDpi(dpi);
    ResizeFrame(suggested);
    // New pictures first: the pages hand them to their tool bars and lists.
    platform::ImageListHandle oldBar = std::move(imlToolBar), oldBarDis = std::move(imlToolBarDis),
                              oldSmall = std::move(imlSmolIco);
    CreateImageLists();
    title_->SetDpi(dpi);
    layout_.Apply();
    platform::GdiHandle oldFont = std::move(font_), oldVendorFont = std::move(vendorFont_);
    ApplyFonts();
    for (PageWindow* page : pages_) page->DpiChanged(oldDpi, dpi);
    InvalidateRect(Handle(), nullptr, TRUE);
}

// ---- window life ---------------------------------------------------------

void MainWindow::FormActivate(bool firstActivation) {
    // The first activation shows the StartUp page (or the page the window was
    // left on, when it remembers one). Later activations (after
    // one of the program's own dialogs closes) keep the page the user is on.
    if (firstActivation) {
        currentPage_ = firstPage_;
        ShowPage(firstPage_);
        if (pendingRestart_.previousProcess != 0)
            pages_[currentPage_]->ShowNodeAndRow(pendingRestart_.hasNode, pendingRestart_.node, pendingRestart_.row,
                                                 pendingRestart_.rowIndex);
        pendingRestart_ = {};
    }
    title_->UpdatePictures(currentPage_);
    about_->NavigateHelp(settings_.programFolder + "Help.html");
}

bool MainWindow::FormCloseQuery() {
    for (const PageWindow* page : pages_) {
        const std::string busy = page ? page->BusyText() : std::string();
        if (busy.empty()) continue;
        platform::dialogs::ShowBox(Handle(), busy, ui::kApplicationTitle, platform::dialogs::BoxKind::Warning);
        return false;
    }
    return platform::dialogs::ShowBox(Handle(), "Do you want to exit Orvelin?", ui::kApplicationTitle,
                                      platform::dialogs::BoxKind::Confirm) != IDNO;
}

void MainWindow::ShowPage(int page) {
    ui::PopCellTips();  // a hidden page's list hears nothing: its tip would stay on top
    for (int other = 0; other < kPageCount; ++other) {
        if (other == page) continue;
        ShowWindow(tsPage(other), SW_HIDE);
        pageShown_[other] = false;
    }
    const bool newlyShown = !pageShown_[page];
    ShowWindow(tsPage(page), SW_SHOW);
    pageShown_[page] = true;
    if (newlyShown && page != kPageAbout) tabSheetShow(page);
    MoveFocusInto(page);
}

void MainWindow::MoveFocusInto(int page) {
    // The focus must not stay on a control of a hidden page: the dialog
    // keyboard handling would walk the visible controls looking for it and
    // never come back (a letter typed then hangs the window).
    const HWND shown = tsPage(page);
    const HWND focus = GetFocus();
    if (focus && (focus == shown || IsChild(shown, focus))) return;
    const HWND target = pages_[page]->InitialFocus();
    SetFocus(target && IsWindowVisible(target) ? target : shown);
}

void MainWindow::RestoreFocus() {
    // As a dialog does: back where it was when the window was left (a dialog
    // opened from the list gives the focus back to the list), unless that
    // control is no longer on the shown page.
    const HWND last = lastFocus_.Usable(tsPage(currentPage_));
    lastFocus_.Forget();
    if (last) {
        SetFocus(last);
        return;
    }
    MoveFocusInto(currentPage_);
}

void MainWindow::TitleButtonClick(int page) {
    const RefreshBatch batch(*this);
    currentPage_ = page;
    ShowPage(page);
    title_->UpdatePictures(page);
}

void MainWindow::OpenHelp() {
    TitleButtonClick(kPageAbout);
    SetFocus(about_->mHelp);
}

void MainWindow::tabSheetShow(int page) { pages_[page]->tabSheetShow(); }

namespace {

// Posted when a batch of refresh requests ended by an exception.
constexpr UINT kDeferredRefresh = WM_APP + 40;

}  // namespace

void MainWindow::BeginRefreshBatch() { ++refreshHeld_; }

void MainWindow::EndRefreshBatch() noexcept {
    if (--refreshHeld_ > 0 || !refreshPending_) return;
    try {
        if (std::uncaught_exceptions() == 0) {
            RunRefresh();
            return;
        }
    } catch (...) {
        // Raised again by the deferred refresh, where the window's barrier shows it.
    }
    PostMessageA(Handle(), kDeferredRefresh, 0, 0);
}

void MainWindow::RefreshView() {
    if (refreshHeld_ > 0) {
        refreshPending_ = true;
        return;
    }
    RunRefresh();
}

void MainWindow::RunRefresh() {
    refreshPending_ = false;
    if (currentPage_ >= 0 && currentPage_ < kPageCount && pages_[currentPage_]) {
        pages_[currentPage_]->RefreshView();
        pages_[currentPage_]->RefreshRowActions();
    }
}

bool MainWindow::ExecuteAction(int id) {
    const RefreshBatch batch(*this);
    return actions_.Execute(id);
}

void MainWindow::SortListByColumn(HWND list, int column) {
    SortListView(ui::ListView(list), ClickColumn(sortState_, column));
    for (PageWindow* page : pages_)
        if (page) page->ListReordered(list);
}

void MainWindow::SortListAgain(HWND list) {
    if (!sortState_.sortedOnce) return;
    SortListView(ui::ListView(list), sortState_);
    for (PageWindow* page : pages_)
        if (page) page->ListReordered(list);
}

// ---- messages --------------------------------------------------------------

bool MainWindow::ExecuteShortcut(WORD key, BYTE modifiers) {
    const int command = actions_.CommandForShortcut(ui::Shortcut{key, modifiers});
    const RefreshBatch batch(*this);
    return command && actions_.ExecuteShortcut(command, currentPage_);
}

namespace {

// The page Ctrl+Tab, Ctrl+Shift+Tab or Ctrl+1 … Ctrl+4 names from the current
// one, or -1 when the key is none of them. With Alt held the key is not ours:
// AltGr arrives as Ctrl+Alt, and AltGr with a digit types a character on many
// keyboards.
int PageOfKey(WPARAM key, int current) {
    const bool control = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    if (!control || GetKeyState(VK_MENU) < 0) return -1;
    if (key == VK_TAB) return (current + (shift ? kPageCount - 1 : 1)) % kPageCount;
    if (!shift && key >= '1' && key < '1' + kPageCount) return static_cast<int>(key - '1');
    return -1;
}

}  // namespace

bool MainWindow::PageKey(const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    const int page = PageOfKey(message.wParam, currentPage_);
    if (page < 0) return false;
    // As a click on a title button: not while a modal window has the frame
    // disabled, nor while a drag holds the mouse (no button can be clicked
    // then); the key is used up all the same, so it never reaches Tab's
    // handling. The current page's button cannot be clicked either.
    if (IsWindowEnabled(Handle()) && !GetCapture() && page != currentPage_) TitleButtonClick(page);
    return true;
}

bool MainWindow::PreTranslateMessage(MSG& message) {
    const bool ours = message.hwnd == Handle() || IsChild(Handle(), message.hwnd);
    if (!ours) return false;
    if (message.message == WM_MOUSEMOVE && message.hwnd != title_->Handle()) title_->ShowDisPictures();
    if (pages_[currentPage_] && pages_[currentPage_]->PreTranslateMessage(message)) return true;
    if (message.message == WM_KEYDOWN && message.wParam == VK_F1) {
        // As Ctrl+4: a hidden StartUp page must not keep a drag that still
        // drops an entry into another run key.
        if (IsWindowEnabled(Handle()) && !GetCapture()) OpenHelp();
        return true;
    }
    if (PageKey(message)) return true;
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

LRESULT MainWindow::OnControlColor(HDC dc, HWND control) {
    if (control == lblVendor) {
        SetTextColor(dc, kVendorText);
        SetBkColor(dc, RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(vendorBrush_.Get());
    }
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, kFormColor);
    return reinterpret_cast<LRESULT>(FormBrush());
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CANCELMODE:
        // A window that opens over this one disables it first, which takes
        // the focus away before the window is left: the control is noted here.
        lastFocus_.Note(Handle());
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            lastFocus_.Note(Handle());
        } else {
            DWORD otherProcess = 0;
            if (lParam) GetWindowThreadProcessId(reinterpret_cast<HWND>(lParam), &otherProcess);
            const bool first = !activatedOnce_;
            activatedOnce_ = true;
            if (first || otherProcess == GetCurrentProcessId()) FormActivate(first);
            if (!HIWORD(wParam)) {  // not minimised
                RestoreFocus();
                return 0;  // the default would give the focus to the frame itself
            }
        }
        break;
    case WM_COMMAND: {
        // Accelerators arrive here; the pages route their own controls.
        const RefreshBatch batch(*this);
        if (LOWORD(wParam) >= ui::ActionList::kShortcutCommandBase)
            actions_.ExecuteShortcut(LOWORD(wParam), currentPage_);
        else if (actions_.Find(LOWORD(wParam)))
            actions_.Execute(LOWORD(wParam));
        return 0;
    }
    case kDeferredRefresh:
        RefreshView();
        return 0;
    case WM_NEXTDLGCTL:
        ui::MoveToNextControl(Handle(), wParam, lParam);
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) ClientResized(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_GETMINMAXINFO:
        if (minimumFrame_.cx > 0) {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = POINT{minimumFrame_.cx, minimumFrame_.cy};
        }
        return 0;
    case 0x02E0:  // WM_DPICHANGED: the window moved to a display of another DPI
        ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ENDSESSION:
        // Windows ends the session without a WM_CLOSE: the window's state
        // is kept all the same.
        if (wParam) SaveRememberedState();
        return 0;
    case WM_CLOSE:
        if (closingForRestart_ || FormCloseQuery()) {
            SaveRememberedState();
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

}  // namespace gui
