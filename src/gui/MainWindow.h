// MainWindow: the frame of the one main window: title strip, page switching,
// the one action list with its accelerators, the shared sort state,
// the current page, the central refresh (each page holds its
// own branch) and the window's life. Each page is a class of its own.
#pragma once

#include "common/FileVersionInfo.h"
#include "common/ProgramSettings.h"
#include "platform/Dialogs.h"
#include "platform/Handles.h"
#include "gui/ListSorting.h"
#include "gui/RestartRequest.h"
#include "gui/WindowMemory.h"
#include "gui/MainLayout.h"
#include "gui/MainPage.h"
#include "gui/TitleStrip.h"
#include "ui/ActionList.h"
#include "ui/Controls.h"
#include "ui/Dpi.h"
#include "ui/FocusMemory.h"
#include "ui/Window.h"

#include <array>
#include <memory>
#include <string>

namespace gui {

class StartUpPageWindow;
class RegistryPageWindow;
class HistoryPageWindow;
class AboutPageWindow;

class MainWindow : public ui::Window, public IPageHost {
public:
    // The client size at 96 DPI; it scales with the window's DPI.
    static constexpr int kClientWidth = layout::kClientWidth;
    static constexpr int kClientHeight = layout::kClientHeight;

    // Creates the window and its pages (FormCreate); not shown yet.
    MainWindow();
    ~MainWindow() override;  // FormDestroy

    // IPageHost.
    HWND Handle() const override { return ui::Window::Handle(); }
    int CurrentPage() const override { return currentPage_; }
    // The one version-information object the startup pages share.
    FileVersionInfo& VersionInfo() override { return *versionInfo_; }
    // The program's folder, backup folder and version, handed to the tools.
    const common::ProgramSettings& Settings() const override { return settings_; }
    bool RunSaveDialog(std::string& fileName) override;
    // The save dialog's state: it keeps the last name chosen or offered.
    const platform::dialogs::FileDialogRequest& dlgSave() const { return dlgSave_; }
    // The Report command: the current page's list into a file the user
    // names. A page without a list (About) writes nothing and asks nothing.
    // A file that cannot be created or written whole is told in an error box.
    void WriteReport();
    const std::string& ProgramFolder() const { return settings_.programFolder; }
    // Where backup points go: the program folder's "Backup\" (tests point it
    // into their own machine).
    const std::string& BackupFolder() const { return settings_.backupFolder; }
    void SetBackupFolder(const std::string& folder) { settings_.backupFolder = folder; }

    // The pages.
    StartUpPageWindow& StartUpPage() const { return *startUp_; }
    RegistryPageWindow& RegistryPage() const { return *registry_; }
    HistoryPageWindow& HistoryPage() const { return *history_; }
    AboutPageWindow& AboutPage() const { return *about_; }
    PageWindow& Page(int page) const { return *pages_[page]; }
    HWND tsPage(int page) const;

    // The central refresh: the current page recomputes its actions' state.
    // Asked inside a command or a control's event, it runs once when the
    // outermost of them ends, however often it was asked meanwhile.
    void RefreshView() override;
    // Shows a page as its title button does.
    void TitleButtonClick(int page);
    // F1: the About page with its help, which takes the focus.
    void OpenHelp();
    // The show event of pages 0 to 2.
    void tabSheetShow(int page);
    // Column click on one of the three result lists (the shared sort state).
    void SortListByColumn(HWND list, int column) override;
    // Sorts a list again with the stored state (after an Update).
    void SortListAgain(HWND list) override;
    void BeginRefreshBatch() override;
    void EndRefreshBatch() noexcept override;
    const SortState& ListSortState() const { return sortState_; }

    // Runs an action as its button or menu item would.
    bool ExecuteAction(int id) override;
    // Runs whatever action a shortcut key starts on the current page.
    bool ExecuteShortcut(WORD key, BYTE modifiers);
    ui::ActionList& Actions() override { return actions_; }
    // Asks "Do you want to exit Orvelin?"; true when the window may close.
    bool FormCloseQuery();
    // Handles messages the loop sees before dispatching them: the page keys
    // (Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+1 … Ctrl+4, which switch pages as the
    // title buttons do), the page's own keys, the accelerators, Tab.
    bool PreTranslateMessage(MSG& message);
    // The window became the active form: the first time it shows the
    // StartUp page; every time it reloads the help page.
    void FormActivate(bool firstActivation);

    // What the pages share: fonts, images, the DPI layout.
    ui::DpiLayout& Layout() override { return layout_; }
    int Dpi() const override { return layout_.Dpi(); }
    HFONT Font() const override { return static_cast<HFONT>(font_.Get()); }
    HIMAGELIST ToolBarImages() const override { return imlToolBar.Get(); }
    HIMAGELIST ToolBarDisabledImages() const override { return imlToolBarDis.Get(); }
    HIMAGELIST SmallImages() const override { return imlSmolIco.Get(); }
    TitleStrip& pTitle() { return *title_; }
    HWND lblVendor = nullptr;

    // Restores what the window remembered in the file (place, size and
    // maximised state, splitters, column widths, sort, last page) and saves
    // it there when the window closes. Returns the command to show the
    // window with: maximised when it was left so, else show.
    int UseRememberedState(const std::string& file, int show);
    // Saves the window's state in that file (nothing without one); the
    // window does so when it closes.
    void SaveRememberedState() const;
    bool OfferElevatedRestart(const std::string& refusal, HWND owner = nullptr,
                              platform::dialogs::BoxKind otherwise = platform::dialogs::BoxKind::Warning) override;
    // Started by OfferElevatedRestart: the first activation shows the page,
    // node and row the old window had.
    void ShowAfterRestart(const RestartRequest& request);
    // The window is closing to make way for its elevated restart.
    bool ClosingForRestart() const { return closingForRestart_; }

    // Applies a new DPI: window size, positions, fonts, pictures, columns.
    void ApplyDpi(int dpi, const RECT* suggested);
    // The smallest window size: the default one, or the work area when that
    // is smaller (a large DPI on a small screen).
    SIZE MinimumFrameSize() const { return minimumFrame_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void RunRefresh();
    void FormCreate();
    void CreateImageLists();
    void CreateActions();
    void CreatePages();
    void ApplyFonts();
    void ShowPage(int page);
    void MoveFocusInto(int page);
    // A page key switches the page; true when the message was one.
    bool PageKey(const MSG& message);
    // The window is active again: the focus goes back to the control that
    // had it when the window was left, or into the shown page.
    void RestoreFocus();
    void ResizeFrame(const RECT* suggested);
    // The client area changed size: controls follow, lists refill.
    void ClientResized(int width, int height);
    LRESULT OnControlColor(HDC dc, HWND control);
    // The window's state as the settings file keeps it, and back.
    RememberedWindow RememberedState() const;
    void ApplyRememberedState(const RememberedWindow& state);

    std::unique_ptr<FileVersionInfo> versionInfo_;
    common::ProgramSettings settings_;
    SortState sortState_;
    int currentPage_ = kPageStartUp;
    int firstPage_ = kPageStartUp;  // the page the first activation shows
    std::string stateFile_;         // where the window's state is kept; "" in tests
    RestartRequest pendingRestart_;  // what the first activation shows again
    bool closingForRestart_ = false;
    int refreshHeld_ = 0;       // batches open
    bool refreshPending_ = false;
    bool activatedOnce_ = false;
    bool quitOnDestroy_ = false;
    ui::FocusMemory lastFocus_;  // the control that had the focus when the window was left

    ui::DpiLayout layout_;
    std::unique_ptr<TitleStrip> title_;
    std::unique_ptr<StartUpPageWindow> startUp_;
    std::unique_ptr<RegistryPageWindow> registry_;
    std::unique_ptr<HistoryPageWindow> history_;
    std::unique_ptr<AboutPageWindow> about_;
    std::array<PageWindow*, kPageCount> pages_{};
    std::array<bool, kPageCount> pageShown_{};
    ui::ActionList actions_;
    platform::dialogs::FileDialogRequest dlgSave_{true, {}, {}, {}, {}};
    platform::AccelHandle accelerators_;

    platform::ImageListHandle imlToolBar, imlToolBarDis, imlSmolIco;
    platform::GdiHandle font_, vendorFont_;
    platform::GdiHandle vendorBrush_;
    SIZE minimumFrame_{0, 0};
};

}  // namespace gui
