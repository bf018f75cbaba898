// THistoryPage: the History page: the section tree tvHsSections, the trace
// list lvHsValues, the mask controls ("Use Mask:" cbUseMask, edtMask,
// "Whole Word" cbWholeWord), the section dispatcher with its scan thread,
// the History branch of the central refresh, and the commands Update,
// Delete and Delete All. What each section lists and removes is the history
// tool's (history/HistoryOperations); this page shows it and asks.
#pragma once

#include "history/HistoryOperations.h"
#include "platform/Dialogs.h"
#include "platform/Handles.h"
#include "shell/MainPage.h"

#include <string>
#include <vector>

class THistoryScanThread;

class THistoryPage : public TMainPage {
public:
    explicit THistoryPage(IPageHost& frame);
    ~THistoryPage() override;

    ui::TreeView tvHsSections;
    ui::ListView lvHsValues;
    HWND cbUseMask = nullptr, edtMask = nullptr, cbWholeWord = nullptr;

    ui::TreeView SectionTree() const override { return tvHsSections; }
    void RefreshView() override;  // the History branch of the central refresh
    void DpiChanged(int oldDpi, int newDpi) override;
    // The mask-controls switch.
    void SetMaskControls(bool allowed);

    // The node of a section number, and the selected node's number (-1: none).
    HTREEITEM NodeOf(int section) const;
    int SelectedHsSection() const;
    // Selects the section's node; a change of node lists it.
    void SelectHsSection(int section);
    // The effective mask of the mask controls as they are now.
    std::string CurrentMask() const;

    // A listing runs (from the dispatcher until its scan thread has ended);
    // requests meanwhile are dropped.
    bool Busy() const { return busy_; }
    // Delete and Delete All act only on a list that is complete and holds
    // the rows of the section chosen in the tree.
    bool ListMatchesSelection() const { return !busy_ && listedSection_ >= 0 && listedSection_ == SelectedHsSection(); }
    // The hourglass shows over the page (a listing or Delete All runs).
    bool Hourglass() const { return busy_ || commandsRunning_ > 0; }

    // The tree's change event: the dispatcher, then the column fitting.
    void tvHsSectionsChange(int section);
    // Fills lvHsValues for the section (rows of the cache sections follow
    // from the scan thread).
    void ListHsSection(int section);
    void FitHsColumns();

    void aHsUpdateExecute();
    void aHsDeleteExecute();
    void aHsDeleteAllExecute();

    // A listed row with its sub-values, and every row in displayed order.
    HistoryRow RowAt(int index) const;
    std::vector<HistoryRow> ListedRows() const;

protected:
    LRESULT OnNotify(NMHDR* header) override;
    void OnCommand(int id, int code, HWND control) override;
    void OnContextMenu(HWND source, POINT screen) override;
    LRESULT OnControlColor(HDC dc, HWND control) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Holds the hourglass while a command runs, on every path out of it.
    class CommandHourglass;

    void AttachActions();
    void AddSectionNodes();
    void SetSectionColumns(int section);
    void AppendRows(std::vector<HistoryRow>&& rows);
    void AppendLines(std::vector<std::string>&& lines);
    // The scan thread's lines wait here and go into the list a few times a
    // second, so the window thread spends little on the list's updates.
    void ReceiveLines(std::vector<std::string>&& lines);
    void ShowPendingLines();
    void ScanThreadEnded();
    void ShowCursorNow();
    int ShowHsBox(const std::string& text, platform::dialogs::BoxKind kind) const;

    platform::ImageListHandle imlHiSectionsIco;
    std::vector<HTREEITEM> nodes_;              // by section number
    THistoryScanThread* scanThread_ = nullptr;  // frees itself at its end; abandoned if the page goes first
    std::vector<std::string> pendingLines_;
    bool showTimerSet_ = false;
    bool busy_ = false;
    // The section whose rows the list holds: after a request dropped while
    // busy, the tree may show another one, whose removals must not run on
    // these rows.
    int listedSection_ = -1;
    int commandsRunning_ = 0;
    std::string toolbarCommand_;  // the toolbar section's uninstall command for the selected item
};
