// RegistryPageWindow: the Registry page: the section tree tvRgSections with its
// check boxes, counts and state icons, the problem list lvRgValues, the
// commands Scan, Fix, Fix All, Select All and Select None, BackUp\Restore,
// and the Registry branch of the central refresh. The problem store and the
// scanner live in registry_scan/; this page only shows and asks.
#pragma once

#include "platform/Handles.h"
#include "registry_scan/ProblemStore.h"
#include "gui/registry_scan/FixWorker.h"
#include "gui/registry_scan/ScanWorker.h"
#include "gui/WorkProgressDialog.h"
#include "gui/MainPage.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace gui {

class ScanDialog;
struct RgBackupState;

// Icons of the section nodes, as the section states give them.
enum ScanSectionImage : int { rgiNotScanned = 0, rgiProblems = 1, rgiScanning = 2, rgiClean = 4 };

// "(" + count + ")" and the spaces that line the names up, then the caption.
std::string RgSectionCaption(int count, const std::string& caption);
// The icon of a section node and of the root "All".
int RgSectionImage(int state, int count);
int RgRootImage(const std::array<int, registry_scan::kRegistrySectionCount>& sectionImages);
// The tree check-box rule: given the states before and after a click
// (position 0 is "All"), the states the nodes are to take.
std::array<bool, registry_scan::kRegistrySectionCount + 1> ApplyRgCheckRule(
    const std::array<bool, registry_scan::kRegistrySectionCount + 1>& before,
    const std::array<bool, registry_scan::kRegistrySectionCount + 1>& now);

class RegistryPageWindow : public PageWindow, private IScanView {
public:
    explicit RegistryPageWindow(IPageHost& frame);
    ~RegistryPageWindow() override;

    static constexpr int kNodeCount = registry_scan::kRegistrySectionCount + 1;  // "All" and the sections

    ui::TreeView tvRgSections;
    ui::ListView lvRgValues;

    ui::TreeView SectionTree() const override { return tvRgSections; }
    void RefreshView() override;  // the Registry branch of the central refresh
    void DpiChanged(int oldDpi, int newDpi) override;
    void LayoutChanged() override;
    void BackUpRestore() override;
    std::optional<common::ReportBuilder> Report() const override;
    std::string BusyText() const override;
    ui::ListView ResultList() const override { return lvRgValues; }
    // A record's key (ProblemEditorKey) and the file of its guess path or
    // file name that exists (ProblemExistingFile).
    RowPlaces SelectedRowPlaces() const override;
    // Over the list's rows: the row commands; over its column headers: none
    // (a right click there unticks every row).
    std::vector<int> ContextMenuActions(HWND source) const override;

    // The problem store.
    registry_scan::ProblemStore& Nut() { return nut_; }
    const registry_scan::ProblemStore& Nut() const { return nut_; }

    // Lists the records of the node at a tree position (0 "All", k+1 section k).
    void ShowScanResults(int position);
    // The record a list row stands for (whatever the sort did), or none.
    bool RowRecord(int row, int& section, int& record) const;
    // The node of a tree position, its check state and position.
    HTREEITEM NodeAt(int position) const;
    int SelectedRgPosition() const;
    void SelectRgPosition(int position);
    // The user clicked the tree (check boxes may have changed).
    void RgTreeClicked();
    bool ScanRunning() const { return scanThread_ && !scanThread_->Ended(); }
    ScanDialog* ScanForm() const { return rgScanForm_.get(); }
    bool FixRunning() const { return fixThread_ && !fixThread_->Ended(); }
    WorkProgressDialog* FixForm() const { return fixForm_.get(); }

    // The commands.
    void aRgScanExecute();
    void aRgFixExecute();
    void aRgFixAllExecute();
    void aRgSelectAllExecute();
    void aRgSelectNoneExecute();

    static constexpr const char* kNotScannedRow = "Section is not scanned...";
    static constexpr const char* kNoErrorsRow = "Errors are not found...";

protected:
    LRESULT OnNotify(NMHDR* header) override;
    void OnContextMenu(HWND source, POINT screen) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct ListedRecord {
        int section;
        int record;
    };

    void AttachActions();
    void AddSectionNodes();
    void UpdateSectionNodes();
    void SetNodeCaption(HTREEITEM item, const std::string& caption);
    std::array<bool, kNodeCount> ReadChecks() const;
    void SetAllRowTicks(bool fix);
    void RgValuesTickChanged(int row);
    // Fixes the marked records on a worker behind the progress window; the
    // store and the list change once it has ended.
    // trimRowsPerStep: rows taken off the end of the list at each progress
    // step (Fix All empties it so), 0 to leave the list as it is.
    void RunFix(int trimRowsPerStep);
    static constexpr int kRowsTrimmedPerStep = 1000;
    // Says once what a fix did (how many, which backup point) and what it
    // left and why; a fix whose backup failed, why nothing was fixed.
    void ShowFixOutcome(const registry_scan::FixReport& report);
    void ShowSelectedResults();
    // Empties the list and the rows' record table, without tick events.
    void ClearRgValues();
    void ScanThreadEnded();
    bool BackupWorkerRunning() const;
    bool RefuseFixWhileBackingUp();

    // IScanView: forwards to the progress window and keeps the page in
    // step when the scan goes on after that window was closed.
    void ShowProgress(int keysExamined, const std::string& keyText, const std::string& sectionCaption) override;
    void ShowProblem(const registry_scan::RegistryProblem& problem, int errorsFound) override;
    void ScanEnded() override;

    registry_scan::ProblemStore nut_;
    platform::ImageListHandle imlRgSectionsIco;
    std::array<bool, kNodeCount> previousChecks_{};
    std::vector<ListedRecord> listedRecords_;  // row data indexes this
    std::unique_ptr<ScanDialog> rgScanForm_;
    ui::WorkerPtr<ScanWorker> scanThread_;  // kept after its end; abandoned if the page goes first
    bool resultsStale_ = false;
    std::unique_ptr<WorkProgressDialog> fixForm_;
    ui::WorkerPtr<FixWorker> fixThread_;  // the last fix, kept until the next
    std::unique_ptr<RgBackupState> backup_;  // the backup dialog and its worker
};

}  // namespace gui
