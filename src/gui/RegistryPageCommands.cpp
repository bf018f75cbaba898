// RegistryPageWindow: the commands Scan, Fix, Fix All, Select All and Select None,
// and the scan's steps as the page sees them.
#include "gui/registry_scan/ScanDialog.h"
#include "gui/RegistryPage.h"
#include "gui/RegistryPageBackup.h"

#include "common/ProgramSettings.h"
#include "platform/Dialogs.h"

#include <algorithm>

namespace gui {

using registry_scan::kRegistrySectionCount;
using registry_scan::RegistryProblem;
using registry_scan::ProblemStore;

namespace {

int ShowRgBox(HWND owner, const std::string& text, platform::dialogs::BoxKind kind) {
    return platform::dialogs::ShowBox(owner, text, ui::kApplicationTitle, kind);
}

}  // namespace

// ---- Scan ------------------------------------------------------------------------

void RegistryPageWindow::aRgScanExecute() {
    if (Frame().CurrentPage() != kPageRegistry || !Frame().Actions().Enabled(aRgScan) || ScanRunning()) return;
    ScanSectionFlags flags{};
    for (int section = 0; section < kRegistrySectionCount; ++section) {
        HTREEITEM node = NodeAt(section + 1);
        flags[section] = node && tvRgSections.Checked(node);
    }
    if (!rgScanForm_) rgScanForm_ = std::make_unique<ScanDialog>();
    resultsStale_ = false;
    // The worker first: when it cannot start, the sections keep their records.
    ui::WorkerPtr<ScanWorker> scan(new ScanWorker(Frame().Handle(), nut_, this, flags));
    scan->SetOnTerminate([this] { ScanThreadEnded(); });
    if (!scan->Resume()) {
        scan.reset();  // it ends and frees itself; nothing of it reaches the page
        ShowRgBox(Frame().Handle(), "The scan could not be started.", platform::dialogs::BoxKind::ErrorCancel);
        return;
    }
    scanThread_ = std::move(scan);  // the previous scan, ended, goes
    // Its steps wait for this thread's messages, so nothing is recorded
    // before the sections are emptied here.
    for (int section = 0; section < kRegistrySectionCount; ++section)
        if (flags[section]) nut_.ResetSection(section);
    if (rgScanForm_->ShowModal(Frame().Handle()) == IDOK && scanThread_) {
        // Stop, or the scan's own end: a worker that has finished is not affected.
        scanThread_->Terminate();
    }
    if (!IsWindow(Frame().Handle())) {
        // The program was closed while the scan ran: it stops, and nothing
        // is shown in the windows that went.
        if (scanThread_) scanThread_->Terminate();
        return;
    }
    Frame().RefreshView();
    ShowSelectedResults();
    Frame().RefreshView();
}

void RegistryPageWindow::ShowProgress(int keysExamined, const std::string& keyText, const std::string& sectionCaption) {
    if (rgScanForm_) rgScanForm_->ShowProgress(keysExamined, keyText, sectionCaption);
}

void RegistryPageWindow::ShowProblem(const RegistryProblem& problem, int errorsFound) {
    if (rgScanForm_) rgScanForm_->ShowProblem(problem, errorsFound);
    // Closed with its close box, the progress window leaves the scan running;
    // the list catches up when it ends.
    if (!rgScanForm_ || !rgScanForm_->Showing()) resultsStale_ = true;
}

void RegistryPageWindow::ScanEnded() {
    if (rgScanForm_) rgScanForm_->ScanEnded();
}

void RegistryPageWindow::ScanThreadEnded() {
    const RefreshBatch batch(Frame());
    if (resultsStale_ && !(rgScanForm_ && rgScanForm_->Showing())) ShowSelectedResults();
    resultsStale_ = false;
    Frame().RefreshView();
}

// ---- Fix and Fix All -----------------------------------------------------------------

void RegistryPageWindow::ShowFixOutcome(const registry_scan::FixReport& report) {
    if (report.backupFailed) {
        ShowRgBox(Frame().Handle(),
                  "Nothing was fixed: the registry items could not be saved in a backup point first.\r\n" +
                      report.error,
                  platform::dialogs::BoxKind::ErrorCancel);
        return;
    }
    // One box for the whole fix; a warning when it left something.
    const bool leftSome = report.stopped || report.existsAgain > 0 || report.refused > 0 || report.unnamable > 0 ||
                          report.failed > 0;
    // Keys of the machine refused: a restart as administrator may fix them.
    if (report.machineWideFailed > 0) {
        Frame().OfferElevatedRestart(registry_scan::FixOutcomeText(report), nullptr,
                                     platform::dialogs::BoxKind::Warning);
        return;
    }
    ShowRgBox(Frame().Handle(), registry_scan::FixOutcomeText(report),
              leftSome ? platform::dialogs::BoxKind::Warning : platform::dialogs::BoxKind::Plain);
}

void RegistryPageWindow::RunFix(int trimRowsPerStep) {
    if (!fixForm_) fixForm_ = std::make_unique<WorkProgressDialog>("Fix Registry Errors", "Fix Errors", "in Registry");
    WorkProgressDialog* form = fixForm_.get();
    ui::WorkerPtr<FixWorker> fix(new FixWorker(
        Frame().Handle(), nut_.MarkedRecords(), Frame().Settings().backupFolder,
        [this, form, trimRowsPerStep](const std::string& stage, int done, int total) {
            form->ShowProgress(stage, done, total);
            if (trimRowsPerStep > 0) lvRgValues.RemoveLastRows(trimRowsPerStep);
        }));
    fix->SetOnTerminate([form] { form->WorkEnded(); });
    if (!fix->Resume()) {
        fix.reset();
        ShowSelectedResults();  // Fix All emptied the list first
        ShowRgBox(Frame().Handle(), "The fix could not be started.", platform::dialogs::BoxKind::ErrorCancel);
        return;
    }
    fixThread_ = std::move(fix);  // the previous fix, ended, goes
    FixWorker* running = fixThread_.get();
    form->SetOnStop([running] { running->Terminate(); });
    form->ShowModal(Frame().Handle());
    if (!fixThread_->Ended()) {
        // The window went while the fix ran (the program is closing): it
        // stops after the item in hand; what it deleted is in its point.
        fixThread_->Terminate();
        return;
    }
    const registry_scan::FixReport& report = fixThread_->Report();
    nut_.RemoveFixedRows(report);
    ShowSelectedResults();
    ShowFixOutcome(report);
}

bool RegistryPageWindow::BackupWorkerRunning() const {
    return backup_ && backup_->backUpThread && !backup_->backUpThread->Ended();
}

std::string RegistryPageWindow::BusyText() const {
    if (FixRunning())
        return "Registry errors are being fixed.\r\nPlease wait until the fix has ended (or stop it) before you "
               "close Orvelin.";
    return BackupWorkerRunning() ? "A backup point is still being written or restored.\r\nPlease wait until it "
                                   "has finished before you close Orvelin."
                                 : std::string();
}

bool RegistryPageWindow::RefuseFixWhileBackingUp() {
    // A fix saves into a point too; it would wait for the whole root being
    // written with the window standing still.
    if (!BackupWorkerRunning()) return false;
    ShowRgBox(Frame().Handle(), "A backup point is being written or restored. Fix again when it has finished.",
              platform::dialogs::BoxKind::Warning);
    return true;
}

void RegistryPageWindow::aRgFixExecute() {
    if (Frame().CurrentPage() != kPageRegistry || !Frame().Actions().Enabled(aRgFix)) return;
    if (RefuseFixWhileBackingUp()) return;
    const int count = nut_.MarkedCount();
    if (count == 0) {
        ShowRgBox(Frame().Handle(), "List for fix is empty.", platform::dialogs::BoxKind::Plain);
    } else if (ShowRgBox(Frame().Handle(), "Fix Selected Errors (Count: " + std::to_string(count) + ")?",
                         platform::dialogs::BoxKind::ConfirmOkCancel) == IDOK) {
        RunFix(0);
    }
    Frame().RefreshView();
}

void RegistryPageWindow::aRgFixAllExecute() {
    if (Frame().CurrentPage() != kPageRegistry || !Frame().Actions().Enabled(aRgFixAll)) return;
    if (nut_.RecountTotal() < 1) {
        ShowRgBox(Frame().Handle(), "List for fix is empty.", platform::dialogs::BoxKind::Plain);
        return;
    }
    if (RefuseFixWhileBackingUp()) return;
    if (ShowRgBox(Frame().Handle(), "Do you want to fix all errors?", platform::dialogs::BoxKind::ConfirmOkCancel) !=
        IDOK)
        return;
    // The list empties while the fix runs, a slice at each step: emptying
    // tens of thousands of rows at once keeps the window from its messages
    // for a tenth of a second under Wine.
    listedRecords_.clear();
    nut_.MarkAll(true);
    RunFix(kRowsTrimmedPerStep);
    Frame().RefreshView();
}

// ---- Select All / Select None ------------------------------------------------------------

void RegistryPageWindow::SetAllRowTicks(bool fix) {
    // Rows and records change together, without a refresh per row.
    const ui::ListRebuild rebuild(lvRgValues.Handle());
    for (int row = 0; row < lvRgValues.Count(); ++row) {
        int section = 0, record = 0;
        if (!RowRecord(row, section, record)) continue;
        if (lvRgValues.Checked(row) != fix) lvRgValues.SetChecked(row, fix);
        nut_.SetFix(section, record, fix);
    }
}

void RegistryPageWindow::aRgSelectAllExecute() {
    if (!lvRgValues.ShowsCheckBoxes()) return;
    SetAllRowTicks(true);
    Frame().RefreshView();
}

void RegistryPageWindow::aRgSelectNoneExecute() {
    if (!lvRgValues.ShowsCheckBoxes()) return;
    SetAllRowTicks(false);
    Frame().RefreshView();
}

// ---- BackUp\Restore -----------------------------------------------------------------------

void RegistryPageWindow::BackUpRestore() {
    if (!backup_) backup_ = std::make_unique<RgBackupState>();
    if (RunBackupCommand(Frame().Handle(), backup_->frmBackup, Frame().Settings().backupFolder, backup_->backUpThread))
        backup_->backUpThread->SetElevationOffer(ElevationOfferOfFrame());
}

}  // namespace gui
