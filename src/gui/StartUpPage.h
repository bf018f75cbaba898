// StartUpPageWindow: the StartUp page: the section tree tvSuSections, the entry
// list lvSuValues, their events, the StartUp branch of the central refresh,
// and the handlers of aSuAdd, aSuDelete, aSuUpdate, aSuCheck, aSuEdit and
// aSuInfo with drag and drop. The startup logic itself is in
// startup/StartUpFunctions; this class shows it and calls it.
#pragma once

#include "platform/Handles.h"
#include "gui/MainPage.h"
#include "startup/StartUpEditing.h"
#include "startup/StartUpFunctions.h"
#include "gui/startup/AddEntryDialog.h"
#include "gui/startup/ProgramInfoDialog.h"
#include "gui/snapshots/SnapshotCompareDialog.h"

#include <memory>
#include <string>
#include <vector>

namespace gui {

class StartUpPageWindow : public PageWindow {
public:
    explicit StartUpPageWindow(IPageHost& frame);
    ~StartUpPageWindow() override;

    ui::TreeView tvSuSections;
    ui::ListView lvSuValues;

    ui::TreeView SectionTree() const override { return tvSuSections; }
    void RefreshView() override;  // the StartUp branch of the central refresh
    bool PreTranslateMessage(MSG& message) override;
    void DpiChanged(int oldDpi, int newDpi) override;
    void LayoutChanged() override;
    std::optional<common::ReportBuilder> Report() const override;
    ui::ListView ResultList() const override { return lvSuValues; }
    // A run entry's key (its switched-off twin while it is off) and the file
    // its command line starts (a Startup-folder row: the shortcut's target).
    RowPlaces SelectedRowPlaces() const override;
    std::vector<int> ContextMenuActions(HWND source) const override;

    // The nodes' data are the sources' ids (startup/StartupSources.h).
    void SelectSuSection(int id);
    int SelectedSourceId() const;  // kNoSource when no node is selected
    void SuTreeChanged();            // change of the selected section node
    void SuTreeExpanded(HTREEITEM item, bool expanded);
    void aSuUpdateExecute();
    void aSuAddExecute();
    void aSuDeleteExecute();
    void aSuCheckExecute();
    void aSuEditExecute();
    void aSuInfoExecute();
    // Asks for a file name through the main window's save dialog (proposing
    // "StartUp(<date>).xml") and saves the startup snapshot there; a failure
    // is told in an error box. True when a snapshot was saved. The comparison
    // dialog's Create BackUp runs it.
    bool SaveStartupSnapshot();
    // The "BackUp\Restore" command (F10): the comparison dialog, shown
    // modally. When it closes the list shows its section again (a repair may
    // have changed it); on OK the History page's Update runs, as its own
    // rules allow.
    void BackUpRestore() override;
    // The check-box handler of lvSuValues: a change of a row's tick applies
    // it (a conflict is told); a change of its selection or focus applies
    // the shown state again (silently: a conflict only sets the tick back).
    void SuValuesTickChanged(int row);
    void SuValuesStateReapplied(int row);
    // Moves the selected row's entry to the run key of the node dropped on.
    void SuDropOnNode(HTREEITEM node);
    // The dialogs, created on first use and kept.
    AddEntryDialog& addEntryDialog();
    ProgramInfoDialog& programInfoDialog();
    SnapshotCompareDialog& snapshotCompareDialog();
    // The file the information dialog describes (set by Info).
    std::string programInfoPath;
    startup::SuPopupMenu SuValuesPopup() const { return suPopup_; }
    startup::SuSectionFlags SuPresence() const { return suPresence_; }

protected:
    void TreeExpandedAll() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnNotify(NMHDR* header) override;
    void OnContextMenu(HWND source, POINT screen) override;

private:
    void AddSourceNodes();
    void CreateImageLists(int dpi);
    void AttachActions();
    void FillSuValues(const startup::StartupListing& listing);
    // Adds the listed rows' icons to imlSuTmpIco; returns each row's image.
    std::vector<int> AddRowIcons();
    void ClearSuValues();
    void RelistSuSection();
    // After a command listed the section again: the row at `row`, or the one
    // that took its place, is selected and focused, so the keyboard keeps
    // its place.
    void KeepListPlace(int row);
    // The listed row behind a list row (whatever the sort did), or null.
    const startup::StartupRow* ListedRow(int row) const;
    bool SelectedSuRowDescribable();
    // The file Info describes for a row (a Startup-folder row: its own file,
    // or the shortcut's target).
    std::string RowProgramInfoPath(int row);
    void ReportMoveConflict(int row, const startup::EntryMoveResult& result);
    void SetRowTick(int row, bool ticked);
    // The value name behind a run-key row, as listed (NULs inside it kept).
    std::string RowValueName(int row) const;
    bool SuRowEntry(int row, startup::RunEntry& entry) const;
    bool SelectedSuEntry(startup::RunEntry& entry, bool& active) const;
    void SuBeginDrag();
    void SuDragMove(POINT screen);
    void SuEndDrag(bool drop);

    platform::ImageListHandle imlSuSectionsIco, imlSuTmpIco;
    std::vector<startup::StartupRow> listedRows_;  // the rows of the last listing, by serial
    startup::SuSectionFlags suPresence_{};
    startup::SuPopupMenu suPopup_ = startup::SuPopupMenu::ValueReg;
    bool suDragging_ = false;
    int infoRow_ = -1;  // the row Info was opened on
    std::unique_ptr<AddEntryDialog> addValueForm_;
    std::unique_ptr<ProgramInfoDialog> infoForm_;
    std::unique_ptr<SnapshotCompareDialog> compareForm_;
};

}  // namespace gui
