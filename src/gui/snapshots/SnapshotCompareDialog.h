// SnapshotCompareDialog: the comparison of a startup snapshot with the run keys and
// Startup folders as they are now: the snapshot as a table, the differences
// as a report, and the three repairs. Loading, comparing and repairing are
// the engine's (snapshots/SnapshotCompare, SnapshotRepair); the dialog runs
// a load and a repair on a worker behind a progress window with Stop, shows
// what they give and asks before a repair. A file is read once per Load:
// the snapshot and its table stay while the dialog shows.
#pragma once

#include "gui/ElevationOffer.h"
#include "platform/Dialogs.h"
#include "platform/Handles.h"
#include "snapshots/SnapshotCompare.h"
#include "snapshots/SnapshotRepair.h"
#include "gui/WorkProgressDialog.h"
#include "gui/snapshots/SnapshotWorker.h"
#include "ui/Controls.h"
#include "ui/ModalDialog.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gui {

class SnapshotCompareDialog : public ui::ModalDialog {
public:
    static constexpr int kClientWidth = 768;
    static constexpr int kClientHeight = 556;

    // saveSnapshot: the StartUp page's snapshot save, which Create BackUp runs.
    explicit SnapshotCompareDialog(std::function<bool()> saveSnapshot);
    // The window goes before the report's font, which its memo still uses.
    ~SnapshotCompareDialog() override { DestroyHandle(); }

    // Shows the dialog with no file chosen; the repairs save what they delete
    // or overwrite in a point inside backupFolder first.
    int ShowFor(HWND owner, const std::string& backupFolder);

    // The dialog became the active window: it starts afresh (the opening line
    // in the report) and, when a snapshot is loaded, compares it with the
    // machine again, so what it shows is the machine of this moment. The
    // file is not read again. Nothing happens while a worker runs.
    void Activated();
    // It stopped being the active window: the present rows and the report
    // go, the repairs go off; the snapshot and its table stay.
    void Deactivated();

    // The buttons, as a click runs them.
    void LoadBackUpClick();     // btnKill: chooses a snapshot, loads and compares it
    void CreateBackUpClick();   // btnRun: saves a new snapshot, then closes with OK
    void RestoreAllClick();     // btnLoadXML
    void CreateDeletedClick();  // btnUpdate
    void DeleteCreatedClick();  // btnDel
    // Offers the restart as administrator when a repair was refused by a
    // machine-wide key.
    void SetElevationOffer(ElevationOffer offer) { offerElevation_ = std::move(offer); }
    // A click on a column heading of lvXMLFile: sorts by it in the direction
    // of the dialog's own switch (ascending first), then flips the switch.
    void ColumnClick(int column);

    // The file chosen ("" for none), and whether its comparison is shown:
    // the repairs act only on rows a comparison showed.
    const std::string& ChosenFile() const { return chosenFile_; }
    bool Compared() const { return compared_; }
    // memCompare's lines.
    std::vector<std::string> ReportLines() const;

    // Components.
    HWND lblName = nullptr, lblData = nullptr, memCompare = nullptr;
    ui::ListView lvXMLFile;
    HWND btnRun = nullptr, btnKill = nullptr, btnOk = nullptr;
    HWND btnLoadXML = nullptr, btnUpdate = nullptr, btnDel = nullptr;
    // The open dialog of Load BackUp; it keeps the last name chosen.
    platform::dialogs::FileDialogRequest dlgCompareSave;

    enum : int {
        kIdOk = IDOK,
        kIdRun = 620,
        kIdKill,
        kIdRestoreAll,
        kIdCreateDeleted,
        kIdDeleteCreated,
        kIdTable,
        kIdReport,
    };

protected:
    void CreateControls(HWND owner) override;
    void FormActivate() override;
    bool OnCommand(int id, int code) override;
    LRESULT OnNotify(NMHDR* header) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Loads the chosen file and compares it with the machine now, on a worker.
    void LoadChosenFile();
    // Runs the job on a worker behind the progress window; true once it has
    // ended (false: it could not start, or the window went meanwhile).
    bool RunWork(SnapshotWorker::Job job);
    // Reads the present rows and compares the loaded snapshot with them.
    void CompareAgain();
    void ShowComparison(const snapshots::CompareResult& result);
    void FillTable(const std::vector<std::vector<std::string>>& table);
    // Drops the present rows and empties the report; the repairs go off.
    void ShowNothing();
    // Drops the snapshot, its table and its date.
    void ForgetSnapshot();
    void ShowReport();
    // The report's line before a file is compared.
    void ShowOpeningLine();
    void SetRepairs(bool restoreAll, bool createDeleted, bool deleteCreated);
    bool Ask(const std::string& question);
    // A repair as the three buttons run it, on the rows taken before the
    // question: nothing when the user said no, the work could not run, or
    // its backup point failed (the user was told).
    using Repair = std::function<snapshots::RepairResult(
        const snapshots::CompareRows& snapshot, const snapshots::CompareRows& present, const std::string& folder,
        const SYSTEMTIME& now, common::IProgressSink& progress, common::StopToken stop)>;
    std::shared_ptr<snapshots::RepairResult> RunRepair(const char* question, const Repair& repair);
    // True when the repair's backup point could not be made (the user is told
    // that nothing changed); the report then stays as it is.
    bool TellBackupFailure(const snapshots::RepairResult& result);
    // After a repair: the report shown, and the present rows read again, so a
    // repair that follows acts on what the machine now holds.
    void RepairDone(const snapshots::RepairResult& result, bool withPointLine);
    // After a repair that a machine-wide key refused: the offer to restart
    // as administrator (the dialog closes when the user takes it).
    void OfferElevationAfter(const snapshots::RepairResult& result);
    // Takes the records of the rows the repair carried out off the report.
    using RecordOf = std::vector<std::string> (*)(const snapshots::CompareRegistryRow&);
    void RemoveDoneRecords(const snapshots::RepairResult& result, RecordOf recordOf);
    void ApplyReportFont(int dpi);

    std::function<bool()> saveSnapshot_;
    ElevationOffer offerElevation_;
    std::string backupFolder_;
    std::string chosenFile_;
    snapshots::CompareRows snapshot_, present_;
    bool loaded_ = false;    // snapshot_ holds the chosen file's rows
    bool compared_ = false;  // present_ was compared with it, and the report shows that
    bool busy_ = false;      // a worker runs behind the progress window
    std::unique_ptr<WorkProgressDialog> progressForm_;
    ui::WorkerPtr<SnapshotWorker> worker_;  // the last one, kept until the next
    std::vector<std::string> report_;
    bool sortDescending_ = false;
    int dpi_ = ui::kBaseDpi;
    HWND focus_ = nullptr;  // the control that had the focus when the dialog was left
    platform::GdiHandle reportFont_;
};

}  // namespace gui
