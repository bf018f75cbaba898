// TfrmMain: the frame of the one main window: title strip, page switching,
// the one action list with its accelerators, the shared sort state,
// CurrentPage and ListRebuilding, the central refresh (each page holds its
// own branch) and the window's life. Each page is a class of its own.
#pragma once

#include "common/FileVersionInfo.h"
#include "common/ProgramSettings.h"
#include "platform/Handles.h"
#include "shell/ListSorting.h"
#include "shell/TitleStrip.h"
#include "ui/ActionList.h"
#include "ui/Controls.h"
#include "ui/Dpi.h"
#include "ui/Window.h"

#include <array>
#include <memory>
#include <string>

class TMainPage;
class TStartUpPage;
class TRegistryPage;
class THistoryPage;
class TAboutPage;

// Pages, as CurrentPage counts them.
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
};

class TfrmMain : public ui::Window {
public:
    // The client size at 96 DPI; it scales with the window's DPI.
    static constexpr int kClientWidth = 794;
    static constexpr int kClientHeight = 568;

    // Creates the window and its pages (FormCreate); not shown yet.
    TfrmMain();
    ~TfrmMain() override;  // FormDestroy

    // Program-wide state read by the pages.
    int CurrentPage = kPageStartUp;
    bool ListRebuilding = false;

    // The one version-information object the startup pages share.
    TFileVersionInfo& VersionInfo() { return *versionInfo_; }
    // The program's folder, backup folder and version, handed to the tools.
    const common::ProgramSettings& Settings() const { return settings_; }
    const std::string& ProgramFolder() const { return settings_.programFolder; }
    // Where backup points go: the program folder's "Backup\" (tests point it
    // into their own machine).
    const std::string& BackupFolder() const { return settings_.backupFolder; }
    void SetBackupFolder(const std::string& folder) { settings_.backupFolder = folder; }

    // The pages.
    TStartUpPage& StartUpPage() const { return *startUp_; }
    TRegistryPage& RegistryPage() const { return *registry_; }
    THistoryPage& HistoryPage() const { return *history_; }
    TAboutPage& AboutPage() const { return *about_; }
    TMainPage& Page(int page) const { return *pages_[page]; }
    HWND tsPage(int page) const;

    // The central refresh: the current page recomputes its actions' state.
    void RefreshView();
    // Shows a page as its title button does.
    void TitleButtonClick(int page);
    // The show event of pages 0 to 2.
    void tabSheetShow(int page);
    // Column click on one of the three result lists (the shared sort state).
    void SortListByColumn(HWND list, int column);
    // Sorts a list again with the stored state (after an Update).
    void SortListAgain(HWND list);
    const SortState& ListSortState() const { return sortState_; }

    // Runs an action as its button or menu item would.
    bool ExecuteAction(int id) { return actions_.Execute(id); }
    // Runs whatever action a shortcut key starts on the current page.
    bool ExecuteShortcut(WORD key, BYTE modifiers);
    ui::ActionList& Actions() { return actions_; }
    // Asks "Do you want to exit Orvelin?"; true when the window may close.
    bool FormCloseQuery();
    // Handles messages the loop sees before dispatching them.
    bool PreTranslateMessage(MSG& message);
    // The window became the active form: the first time it shows the
    // StartUp page; every time it reloads the help page.
    void FormActivate(bool firstActivation);

    // What the pages share: fonts, images, the DPI layout.
    ui::DpiLayout& Layout() { return layout_; }
    int Dpi() const { return layout_.Dpi(); }
    HFONT Font() const { return static_cast<HFONT>(font_.Get()); }
    HIMAGELIST ToolBarImages() const { return imlToolBar.Get(); }
    HIMAGELIST ToolBarDisabledImages() const { return imlToolBarDis.Get(); }
    HIMAGELIST SmallImages() const { return imlSmolIco.Get(); }
    TitleStrip& pTitle() { return *title_; }
    HWND lblVendor = nullptr;

    // Applies a new DPI: window size, positions, fonts, pictures, columns.
    void ApplyDpi(int dpi, const RECT* suggested);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void CreateImageLists();
    void CreateActions();
    void CreatePages();
    void ApplyFonts();
    void ShowPage(int page);
    void ResizeFrame(const RECT* suggested);
    LRESULT OnControlColor(HDC dc, HWND control);

    std::unique_ptr<TFileVersionInfo> versionInfo_;
    common::ProgramSettings settings_;
    SortState sortState_;
    bool activatedOnce_ = false;
    bool quitOnDestroy_ = false;

    ui::DpiLayout layout_;
    std::unique_ptr<TitleStrip> title_;
    std::unique_ptr<TStartUpPage> startUp_;
    std::unique_ptr<TRegistryPage> registry_;
    std::unique_ptr<THistoryPage> history_;
    std::unique_ptr<TAboutPage> about_;
    std::array<TMainPage*, kPageCount> pages_{};
    std::array<bool, kPageCount> pageShown_{};
    ui::ActionList actions_;
    platform::AccelHandle accelerators_;

    platform::ImageListHandle imlToolBar, imlToolBarDis, imlSmolIco;
    platform::GdiHandle font_, vendorFont_;
    platform::GdiHandle vendorBrush_;
};

// Row data of the result lists: a serial number and the number of
// sub-values the row holds (list views keep every column for every row).
LPARAM MakeRowData(int serial, size_t subItemCount);
int RowSerial(LPARAM data);
size_t RowSubItemCount(LPARAM data);

// The form colour's brush, shared by the window classes for the program's life.
HBRUSH FormBrush();
// Loads a picture strip of square images of the 96-DPI size, scaled to the DPI.
HIMAGELIST LoadImageStrip(int id, int size, int dpi);
