// HistoryPageWindow: the History page: the section tree tvHsSections, the trace
// list lvHsValues, the mask controls ("Use Mask:" cbUseMask, edtMask,
// "Whole Word" cbWholeWord), the section dispatcher with its worker, the
// History branch of the central refresh, and the commands Update, Delete and
// Delete All (run on the worker, with its progress and a Stop button). What each section lists, removes and asks is its row in the
// history tool's table (history/HistorySectionTable); this page reads the
// rows, shows what they list and asks what they say.
#pragma once

#include "formats/ReportFile.h"
#include "history/HistorySectionRow.h"
#include "platform/Dialogs.h"
#include "platform/Handles.h"
#include "gui/MainPage.h"
#include "gui/history/HistoryWorker.h"
#include "ui/Worker.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace gui {

class HistoryPageWindow : public PageWindow {
public:
    explicit HistoryPageWindow(IPageHost& frame);
    ~HistoryPageWindow() override;

    ui::TreeView tvHsSections;
    ui::ListView lvHsValues;
    HWND cbUseMask = nullptr, edtMask = nullptr, cbWholeWord = nullptr;
    // Shown while Delete All runs: how far it has come, and its Stop.
    HWND lblHsProgress = nullptr, btnHsStop = nullptr;

    ui::TreeView SectionTree() const override { return tvHsSections; }
    void RefreshView() override;  // the History branch of the central refresh
    void DpiChanged(int oldDpi, int newDpi) override;
    void LayoutChanged() override;
    // A row is reported by its caption alone, whatever the section shows beside it.
    std::optional<common::ReportBuilder> Report() const override;
    void ListReordered(HWND list) override;
    // The mask-controls switch.
    void SetMaskControls(bool allowed);

    // The node of a section id, and the selected node's id (-1: none).
    HTREEITEM NodeOf(int section) const;
    int SelectedHsSection() const;
    // Selects the section's node; a change of node lists it.
    void SelectHsSection(int section);
    // The effective mask of the mask controls as they are now.
    std::string CurrentMask() const;

    // A listing or a Delete All runs (until its worker has ended);
    // requests meanwhile are dropped.
    bool Busy() const { return busy_; }
    bool DeletingAll() const { return deletingAll_; }
    // Stop: the Delete All running ends before its next trace; what it
    // removed stays removed, and the section is listed again.
    void StopDeleteAll();
    // Delete and Delete All act only on a list that is complete and holds
    // the rows of the section chosen in the tree.
    bool ListMatchesSelection() const { return !busy_ && listedSection_ >= 0 && listedSection_ == SelectedHsSection(); }
    // The hourglass shows over the page (a listing or Delete All runs).
    bool Hourglass() const { return busy_ || commandsRunning_ > 0; }

    // The tree's change event: the dispatcher, then the column fitting.
    void tvHsSectionsChange(int section);
    // Fills lvHsValues for the section (rows of a section listed on the
    // worker follow from it).
    void ListHsSection(int section);
    void FitHsColumns();

    void aHsUpdateExecute();
    void aHsDeleteExecute();
    void aHsDeleteAllExecute();

    // The listed row behind a list row, with every value its lister gave
    // (whatever the sort did; an empty row for an index out of range), and
    // every listed row in displayed order.
    history::HistoryRow RowAt(int index) const;
    std::vector<history::HistoryRow> ListedRows() const;
    ui::ListView ResultList() const override { return lvHsValues; }
    // The file a row of a section whose rows are files names (no History
    // row names a registry key the editor could open).
    RowPlaces SelectedRowPlaces() const override;
    std::vector<int> ContextMenuActions(HWND source) const override;

protected:
    LRESULT OnNotify(NMHDR* header) override;
    void OnCommand(int id, int code, HWND control) override;
    void OnContextMenu(HWND source, POINT screen) override;
    LRESULT OnControlColor(HDC dc, HWND control) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Holds the hourglass while a command runs, on every path out of it.
    class CommandHourglass;
    // The sink of a lister run on the window thread.
    class WindowThreadSink;

    void AttachActions();
    void AddSectionNodes();
    void SetSectionColumns(const history::HistorySectionRow& row);
    void RunListerHere(const history::HistorySectionRow& row, const std::string& mask);
    // Delete All on the worker; its end lists the section again (when the
    // row says so) and shows what went wrong or was left alone.
    void StartDeleteAll(const history::HistorySectionRow& row, const std::string& mask);
    void ShowDeleteProgress(size_t done, size_t total);
    void SetDeleteAllControls(bool shown);
    void StartEmptyingList();
    void StopEmptyingList();
    void EmptyListStep();
    // The rows of the store back in the list, after a Delete All that
    // raised while the list was being emptied.
    void RestoreListedRows();
    // Shows again the listed rows but those whose source is one of sources.
    void DropRowsOf(const std::vector<std::string>& sources);
    void DeleteAllEnded(bool relist);
    // After Delete listed the section again: the row at `row`, or the one
    // that took its place, is selected and focused (once the listing has
    // ended), so the keyboard keeps its place.
    // A Delete or Delete All that failed with the system's code: told, with
    // the offer of a restart as administrator when access was refused.
    void TellDeleteFailure(const std::string& text, int code);
    void KeepListPlace(int row);
    // Empties the list and the store of listed rows.
    void ClearRows();
    // Keeps the rows in the store and adds those with a caption to the list.
    void AppendRows(std::vector<history::HistoryRow>&& rows);
    const history::HistoryRow* ListedRow(int index) const;
    // The worker's rows wait here and go into the list a few times a
    // second, so the window thread spends little on the list's updates.
    void ReceiveRows(std::vector<history::HistoryRow>&& rows);
    void ShowPendingRows();
    void ShowNotice(const std::string& text);
    void ListingEnded();
    void ShowCursorNow();
    int ShowHsBox(const std::string& text, platform::dialogs::BoxKind kind) const;

    platform::ImageListHandle imlHiSectionsIco;
    std::map<int, HTREEITEM> nodes_;  // by section id
    // The worker of the current (or last) listing; abandoned, and so
    // stopped, when the next listing replaces it or the page goes.
    ui::WorkerPtr<HistoryWorker> worker_;
    std::vector<history::HistoryRow> listedRows_;  // the rows of the listing, by serial
    std::vector<history::HistoryRow> pendingRows_;
    // No sort since the listing: list row k is still stored row k (rows go
    // in at the end, and the store keeps only those the list took).
    bool listInStoreOrder_ = true;
    // The report's lines of the rows the list took, in the order they went in.
    common::ReportRows reportRows_{common::ReportKind::History};
    bool showTimerSet_ = false;
    bool emptyTimerSet_ = false;
    bool busy_ = false;
    // The section whose rows the list holds: after a request dropped while
    // busy, the tree may show another one, whose removals must not run on
    // these rows.
    int listedSection_ = -1;
    int placeAfterListing_ = -1;  // the row the listing under way selects when it ends (-1: none)
    int commandsRunning_ = 0;
    bool deletingAll_ = false;
    std::optional<history::HistoryDeleteAllResult> deleteAllResult_;  // from the worker, for its end step
    std::string uninstallCommand_;  // the uninstall command of the selected row, for the sections that have one
};

}  // namespace gui
