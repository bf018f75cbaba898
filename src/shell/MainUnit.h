// TfrmMain: the one main window with its four pages, title buttons, actions,
// pop-up menus, the shared list sorting and the central refresh.
#pragma once

#include "common/FileVersionInfo.h"
#include "platform/Handles.h"
#include "shell/ListSorting.h"
#include "shell/TitleStrip.h"
#include "startup/StartUpFunctions.h"
#include "startup/SuAddValue.h"
#include "startup/SuProgrammInfo.h"
#include "ui/ActionList.h"
#include "ui/Controls.h"
#include "ui/Window.h"

#include <memory>
#include <string>

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
    static constexpr int kClientWidth = 794;
    static constexpr int kClientHeight = 568;

    // Creates the window and its controls (FormCreate); not shown yet.
    TfrmMain();
    ~TfrmMain() override;  // FormDestroy

    // Program-wide state read by the tool pages.
    int CurrentPage = kPageStartUp;
    bool ListRebuilding = false;

    // The one version-information object the startup pages share.
    TFileVersionInfo& VersionInfo() { return *versionInfo_; }
    const std::string& ProgramFolder() const { return programFolder_; }

    // The central refresh: recomputes the enabled state of the page's actions.
    void RefreshView();
    // Shows a page as its title button does.
    void TitleButtonClick(int page);
    // The show event of pages 0 to 2.
    void tabSheetShow(int page);
    // Column click on one of the three result lists.
    void SortListByColumn(HWND list, int column);
    // Sorts a list again with the stored state (after an Update).
    void SortListAgain(HWND list);
    // Runs an action as its button, menu item or shortcut would.
    bool ExecuteAction(int id) { return actions_.Execute(id); }
    // Runs whatever action a shortcut key starts on the current page.
    bool ExecuteShortcut(WORD key, BYTE modifiers);
    // Asks "Do you want to exit Orvelin?"; true when the window may close.
    bool FormCloseQuery();
    // Handles messages the loop sees before dispatching them.
    bool PreTranslateMessage(MSG& message);

    // The StartUp page.
    void SelectSuSection(int position);
    int SelectedSuPosition() const;  // -1 when no node is selected
    void SuTreeChanged();            // change of the selected section node
    void SuTreeExpanded(HTREEITEM item, bool expanded);
    void aSuUpdateExecute();
    void aSuAddExecute();
    void aSuDeleteExecute();
    void aSuCheckExecute();
    void aSuEditExecute();
    void aSuInfoExecute();
    // The check-box handler of lvSuValues (a change of a row's tick).
    void SuValuesTickChanged(int row);
    // Moves the selected row's entry to the run key of the node dropped on.
    void SuDropOnNode(HTREEITEM node);
    // The dialogs, created on first use and kept.
    TfrmSuAddValue& frmSuAddValue();
    TfrmSuProgrammInfo& frmSuProgrammInfo();
    // The file the information dialog describes (set by Info).
    std::string ProgramInfoPath;
    SuPopupMenu SuValuesPopup() const { return suPopup_; }
    SuSectionFlags SuPresence() const { return suPresence_; }

    // Components, for the tool pages and tests.
    ui::ListView lvSuValues, lvRgValues, lvHsValues;
    ui::TreeView tvSuSections, tvRgSections, tvHsSections;
    HWND tsPage(int page) const { return pages_[page]; }
    HWND mHelp = nullptr;
    HWND cbUseMask = nullptr, edtMask = nullptr, cbWholeWord = nullptr;
    HWND lblVendor = nullptr;
    TitleStrip& pTitle() { return *title_; }
    ui::ActionList& Actions() { return actions_; }
    const SortState& ListSortState() const { return sortState_; }

    // The mask-controls switch of the History page.
    void SetMaskControls(bool allowed);
    // Lets the help control show a file (FormActivate loads Help.html).
    void NavigateHelp(const std::string& path);
    std::string HelpText() const;
    // The addresses the About page's links open.
    static const char* const kLinkTargets[4];
    void OpenLink(int index);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
public:
    // The window became the active form: the first time it shows the
    // StartUp page; every time it reloads the help page.
    void FormActivate(bool firstActivation);

private:
    void CreateImageLists();
    void CreateActions();
    void CreatePages();
    void CreateStartUpPage();
    void CreateRegistryPage();
    void CreateHistoryPage();
    void CreateAboutPage();
    HWND CreatePageWindow(int page);
    void ApplyFonts();
    void ApplyAboutFonts();
    void ShowPage(int page);

    void RefreshStartUp();
    void RefreshRegistry();
    void RefreshHistory();

    void FillSuValues(const StartupListing& listing);
    void ClearSuValues();
    bool SelectedSuRowDescribable();
    bool SuRowEntry(int row, RunEntry& entry) const;
    bool SelectedSuEntry(RunEntry& entry, bool& active) const;
    void RelistSuSection();
    void SuBeginDrag();
    void SuDragMove(POINT screen);
    void SuEndDrag(bool drop);

    LRESULT OnNotify(NMHDR* header);
    LRESULT OnCommand(int id, int code, HWND control);
    void OnContextMenu(HWND source, POINT screen);
    LRESULT OnControlColor(HDC dc, HWND control);
    LRESULT DrawTreeItem(NMTVCUSTOMDRAW* draw);
    void OnMeasureMenuItem(MEASUREITEMSTRUCT* measure);
    void OnDrawMenuItem(DRAWITEMSTRUCT* draw);

    std::unique_ptr<TFileVersionInfo> versionInfo_;
    std::string programFolder_;
    SortState sortState_;
    SuSectionFlags suPresence_{};
    SuPopupMenu suPopup_ = SuPopupMenu::ValueReg;
    int suRowSerial_ = 0;
    bool activatedOnce_ = false;
    bool quitOnDestroy_ = false;

    std::unique_ptr<TitleStrip> title_;
    HWND pages_[kPageCount] = {};
    bool pageShown_[kPageCount] = {};
    ui::ActionList actions_;
    platform::AccelHandle accelerators_;

    platform::ImageListHandle imlToolBar, imlToolBarDis, imlSmolIco, imlSuSectionsIco, imlSuTmpIco,
        imlRgSectionsIco, imlHiSectionsIco;
    platform::GdiHandle font_, vendorFont_, productFont_, linkFont_;
    platform::GdiHandle vendorBrush_;
    std::vector<HWND> linkLabels_;
    std::unique_ptr<TfrmSuAddValue> addValueForm_;
    std::unique_ptr<TfrmSuProgrammInfo> infoForm_;
    bool suDragging_ = false;
};

// Row data of the result lists: a serial number and the number of
// sub-values the row holds (list views keep every column for every row).
LPARAM MakeRowData(int serial, size_t subItemCount);
size_t RowSubItemCount(LPARAM data);
