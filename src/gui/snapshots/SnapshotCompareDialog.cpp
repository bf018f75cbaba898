// SnapshotCompareDialog: a startup snapshot compared with the machine, and its repairs.
#include "gui/snapshots/SnapshotCompareDialog.h"

#include "platform/Shell.h"
#include "gui/ListSorting.h"
#include "gui/MainPage.h"
#include "ui/CellTips.h"
#include "ui/Dpi.h"
#include "ui/RowData.h"
#include "ui/TitlePicture.h"
#include "ui/Window.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace gui {

namespace {

using platform::dialogs::BoxKind;

const char* const kNoFile = "Open XMLFile: NONE";
const char* const kFilePrefix = "Open XMLFile: ";
const char* const kMachineWideRefusal =
    "Some entries of HKEY_LOCAL_MACHINE were left as they were: their keys cannot be written.";

// 96-DPI layout: the title picture, the file and its date, the file
// buttons, the table, the report, the repairs at the left and Ok at the right.
constexpr int kMargin = 8;
constexpr int kLabelTop = ui::kTitlePictureHeight + 8;
constexpr int kFileButtonsTop = kLabelTop + 22;
constexpr int kTableTop = kFileButtonsTop + 33;
constexpr int kTableHeight = 200;
constexpr int kReportTop = kTableTop + kTableHeight + 8;
constexpr int kButtonHeight = 25;
constexpr int kButtonsTop = SnapshotCompareDialog::kClientHeight - kButtonHeight - 10;
constexpr int kReportHeight = kButtonsTop - 10 - kReportTop;
constexpr int kWideButton = 100, kOkWidth = 75, kButtonGap = 6;
constexpr int kDateWidth = 200;
constexpr int kTableWidth = SnapshotCompareDialog::kClientWidth - 2 * kMargin;

// Aligned in a fixed-pitch font, the report's indented lines sit under the
// first line's "Parametr:" as they were laid out to.
constexpr const char* kReportFace = "Courier New";
constexpr int kReportPoints = 9;

struct Column {
    const char* caption;
    int width;  // 96 DPI; 0: what the others leave
};
constexpr Column kColumns[] = {{"Name", 150}, {"Location", 289}, {"Root", 137}, {"LastKey", 95}, {"Check", 0}};

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += "\r\n";
        text += lines[i];
    }
    return text;
}

void SetText(HWND control, const std::string& text) { SetWindowTextA(control, text.c_str()); }

// A button switched off while it has the focus would leave the keyboard
// nowhere: the focus moves to the fallback.
void EnableButton(HWND button, bool enabled, HWND fallback) {
    if (!enabled && GetFocus() == button) SetFocus(fallback);
    EnableWindow(button, enabled);
}

}  // namespace

SnapshotCompareDialog::SnapshotCompareDialog(std::function<bool()> saveSnapshot) : saveSnapshot_(std::move(saveSnapshot)) {
    dlgCompareSave.save = false;  // an open dialog: the file must exist
    dlgCompareSave.title = "Compare With";
    dlgCompareSave.defaultExt = "xml";
    // The second description has no pattern of its own.
    dlgCompareSave.filter = "XML File (*.xml)|*.xml|All File (*.*)";
}

int SnapshotCompareDialog::ShowFor(HWND owner, const std::string& backupFolder) {
    backupFolder_ = backupFolder;
    return ShowModal(owner);
}

void SnapshotCompareDialog::CreateControls(HWND owner) {
    CreateFrame("Compare Info With XML", kClientWidth, kClientHeight, owner);
    SetTitlePicture("Compare", "with a StartUp snapshot");
    dpi_ = ui::WindowDpi(Handle());
    // SS_NOPREFIX: an "&" in a path is shown as it is.
    lblName = AddControl("STATIC", kNoFile, SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, kMargin, kLabelTop,
                         kTableWidth - kDateWidth - 8, 16, -1);
    lblData = AddControl("STATIC", "", SS_RIGHT | SS_NOPREFIX, kClientWidth - kMargin - kDateWidth, kLabelTop,
                         kDateWidth, 16, -1);
    // Created in Tab order, which follows the layout from the top left.
    btnKill = AddControl("BUTTON", "Load BackUp", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, kMargin, kFileButtonsTop,
                         kWideButton, kButtonHeight, kIdKill);
    btnRun = AddControl("BUTTON", "Create BackUp", BS_PUSHBUTTON | WS_TABSTOP, kMargin + kWideButton + kButtonGap,
                        kFileButtonsTop, kWideButton, kButtonHeight, kIdRun);
    lvXMLFile = ui::ListView(AddControl(WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                                        kMargin, kTableTop, kTableWidth, kTableHeight, kIdTable, WS_EX_CLIENTEDGE));
    lvXMLFile.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    ui::AttachCellTips(lvXMLFile.Handle());
    int fixed = 0;
    for (const Column& column : kColumns) fixed += column.width;
    // The last column takes what is left beside the vertical scroll bar.
    const int last = Scale(kTableWidth - fixed) - 2 * GetSystemMetrics(SM_CXEDGE) - GetSystemMetrics(SM_CXVSCROLL);
    for (const Column& column : kColumns)
        lvXMLFile.AddColumn(column.caption, column.width ? Scale(column.width) : std::max(last, Scale(50)));
    memCompare = AddControl("EDIT", "", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                            kMargin, kReportTop, kTableWidth, kReportHeight, kIdReport, WS_EX_CLIENTEDGE);
    btnLoadXML = AddControl("BUTTON", "Restore All", BS_PUSHBUTTON | WS_TABSTOP, kMargin, kButtonsTop, kWideButton,
                            kButtonHeight, kIdRestoreAll);
    btnUpdate = AddControl("BUTTON", "Create Deleted", BS_PUSHBUTTON | WS_TABSTOP,
                           kMargin + kWideButton + kButtonGap, kButtonsTop, kWideButton, kButtonHeight,
                           kIdCreateDeleted);
    btnDel = AddControl("BUTTON", "Delete Created", BS_PUSHBUTTON | WS_TABSTOP,
                        kMargin + 2 * (kWideButton + kButtonGap), kButtonsTop, kWideButton, kButtonHeight,
                        kIdDeleteCreated);
    btnOk = AddControl("BUTTON", "Ok", BS_DEFPUSHBUTTON | WS_TABSTOP, kClientWidth - kMargin - kOkWidth, kButtonsTop,
                       kOkWidth, kButtonHeight, kIdOk);
    ApplyReportFont(dpi_);
    // Nothing is compared yet, so nothing can be repaired.
    SetRepairs(false, false, false);
}

void SnapshotCompareDialog::ApplyReportFont(int dpi) {
    platform::GdiHandle old = std::move(reportFont_);
    reportFont_.Reset(ui::CreatePointFont(kReportFace, kReportPoints, FW_NORMAL, dpi));
    SendMessageA(memCompare, WM_SETFONT, reinterpret_cast<WPARAM>(reportFont_.Get()), TRUE);
}

void SnapshotCompareDialog::FormActivate() {
    // Each show starts with no file chosen and the focus on Load BackUp.
    chosenFile_.clear();
    ForgetSnapshot();
    focus_ = btnKill;
    Activated();
}

void SnapshotCompareDialog::Activated() {
    // The progress window over the dialog takes the activation and gives it
    // back: the work's own outcome is shown when it ends.
    if (busy_) return;
    ShowNothing();
    ShowOpeningLine();
    if (loaded_) CompareAgain();
    else if (chosenFile_.empty()) SetText(lblName, kNoFile);
}

void SnapshotCompareDialog::Deactivated() {
    if (!busy_) ShowNothing();
}

void SnapshotCompareDialog::ShowNothing() {
    present_ = {};
    compared_ = false;
    report_.clear();
    ShowReport();
    SetRepairs(false, false, false);
}

void SnapshotCompareDialog::ForgetSnapshot() {
    snapshot_ = {};
    loaded_ = false;
    lvXMLFile.Clear();
    SetText(lblData, "");
}

void SnapshotCompareDialog::ShowOpeningLine() {
    report_ = {snapshots::kCompareStartText};
    ShowReport();
}

void SnapshotCompareDialog::ShowReport() {
    // A value name may hold a NUL (a way to hide an entry); the control would
    // end the whole report there, so it shows as "\0".
    std::string text = JoinLines(report_);
    for (size_t at = text.find('\0'); at != std::string::npos; at = text.find('\0', at + 2)) text.replace(at, 1, "\\0");
    SetText(memCompare, text);
}

std::vector<std::string> SnapshotCompareDialog::ReportLines() const {
    std::vector<std::string> lines;
    const std::string text = ui::ControlText(memCompare);
    if (text.empty()) return lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

void SnapshotCompareDialog::SetRepairs(bool restoreAll, bool createDeleted, bool deleteCreated) {
    EnableButton(btnLoadXML, restoreAll, btnOk);
    EnableButton(btnUpdate, createDeleted, btnOk);
    EnableButton(btnDel, deleteCreated, btnOk);
}

bool SnapshotCompareDialog::RunWork(SnapshotWorker::Job job) {
    if (!progressForm_)
        progressForm_ = std::make_unique<WorkProgressDialog>("Compare Info With XML", "Compare", "with a StartUp snapshot");
    WorkProgressDialog* form = progressForm_.get();
    // Set once the job returned: a job that threw (its error is shown by the
    // worker) has no result to tell, and must not be told as done.
    const auto completed = std::make_shared<bool>(false);
    SnapshotWorker::Job tracked = [job = std::move(job), completed](common::IProgressSink& progress,
                                                                     common::StopToken stop) {
        job(progress, stop);
        *completed = true;
    };
    ui::WorkerPtr<SnapshotWorker> worker(
        new SnapshotWorker(Handle(), std::move(tracked), [form](const std::string& stage, int done, int total) {
            form->ShowProgress(stage, done, total);
        }));
    worker->SetOnTerminate([form] { form->WorkEnded(); });
    if (!worker->Resume()) {
        platform::dialogs::ShowBox(Handle(), "The work could not be started.", ui::kApplicationTitle,
                                   BoxKind::ErrorCancel);
        return false;
    }
    worker_ = std::move(worker);  // the previous one, ended, goes
    SnapshotWorker* running = worker_.get();
    form->SetOnStop([running] { running->Terminate(); });
    busy_ = true;
    form->ShowModal(Handle());
    busy_ = false;
    if (worker_->Ended()) return *completed;
    // The window went while the work ran (the program is closing): it stops
    // after the row in hand; what it deleted is in its point.
    worker_->Terminate();
    return false;
}

void SnapshotCompareDialog::LoadChosenFile() {
    SetText(lblName, kFilePrefix + chosenFile_);
    // Owned with the job: a worker left behind by a closing window still
    // writes into it.
    struct Loading {
        snapshots::SnapshotLoad load = snapshots::SnapshotLoad::Stopped;
        snapshots::CompareRows rows, present;
        std::string date, error;
        snapshots::CompareResult result;
    };
    const auto loading = std::make_shared<Loading>();
    const std::string path = chosenFile_;
    const bool ended = RunWork([loading, path](common::IProgressSink& progress, common::StopToken stop) {
        loading->load = snapshots::LoadSnapshot(path, loading->rows, loading->date, loading->error, progress, stop);
        if (loading->load != snapshots::SnapshotLoad::Loaded) return;
        // A Stop between the stages is heard before the next one starts.
        if (stop.StopRequested()) {
            loading->load = snapshots::SnapshotLoad::Stopped;
            return;
        }
        loading->present = snapshots::ReadPresentState();
        if (stop.StopRequested()) {
            loading->load = snapshots::SnapshotLoad::Stopped;
            return;
        }
        loading->result = snapshots::CompareSnapshot(loading->rows, loading->present);
    });
    if (!ended) return;
    switch (loading->load) {
    case snapshots::SnapshotLoad::Loaded:
        snapshot_ = std::move(loading->rows);
        present_ = std::move(loading->present);
        loaded_ = true;
        compared_ = true;
        SetText(lblData, "date: " + loading->date);
        FillTable(loading->result.table);
        ShowComparison(loading->result);
        break;
    case snapshots::SnapshotLoad::NotOurs:  // not a snapshot: left alone without a word
        break;
    case snapshots::SnapshotLoad::Stopped:
        chosenFile_.clear();
        SetText(lblName, kNoFile);
        break;
    case snapshots::SnapshotLoad::Refused:
        // A file refused is no longer the chosen one.
        chosenFile_.clear();
        SetText(lblName, kNoFile);
        platform::dialogs::ShowBox(Handle(), loading->error, ui::kApplicationTitle, BoxKind::ErrorCancel);
        break;
    }
}

void SnapshotCompareDialog::CompareAgain() {
    present_ = snapshots::ReadPresentState();
    compared_ = true;
    ShowComparison(snapshots::CompareSnapshot(snapshot_, present_));
}

void SnapshotCompareDialog::ShowComparison(const snapshots::CompareResult& result) {
    report_ = result.report;
    ShowReport();
    SetRepairs(result.restoreAllEnabled, result.createDeletedEnabled, result.deleteCreatedEnabled);
}

void SnapshotCompareDialog::FillTable(const std::vector<std::vector<std::string>>& table) {
    const ui::ListRebuild rebuild(lvXMLFile.Handle());
    ui::ScopedRedrawOff quiet(lvXMLFile.Handle());
    lvXMLFile.Clear();
    int serial = 0;
    for (const std::vector<std::string>& cells : table) {
        if (cells.empty()) continue;
        // A file row holds its location only: it lacks the other columns
        // when the table is sorted by them.
        const int row = lvXMLFile.AddItem(cells[0], -1, ui::MakeRowData(serial++, cells.size() - 1));
        for (size_t k = 1; k < cells.size(); ++k) lvXMLFile.SetText(row, static_cast<int>(k), cells[k]);
    }
}

void SnapshotCompareDialog::LoadBackUpClick() {
    // The open dialog's close activates this one again: the file chosen
    // before must not be loaded and compared on the way.
    chosenFile_.clear();
    ForgetSnapshot();
    const bool chosen = platform::dialogs::RunFileDialog(Handle(), dlgCompareSave);
    // Whatever was shown goes: a cancelled or failed load leaves nothing to
    // repair, and the report its opening line.
    ShowNothing();
    ShowOpeningLine();
    if (!chosen) {
        chosenFile_.clear();
        SetText(lblName, kNoFile);
        return;
    }
    chosenFile_ = dlgCompareSave.fileName;
    LoadChosenFile();
}

void SnapshotCompareDialog::CreateBackUpClick() {
    // The save dialog and its error box belong to the main window, which this
    // dialog already disabled: this one is kept from clicks meanwhile too.
    EnableWindow(Handle(), FALSE);
    if (saveSnapshot_) saveSnapshot_();
    EnableWindow(Handle(), TRUE);
    EndModal(IDOK);
}

bool SnapshotCompareDialog::Ask(const std::string& question) {
    return platform::dialogs::ShowBox(Handle(), question, ui::kApplicationTitle, BoxKind::Confirm) == IDYES;
}

bool SnapshotCompareDialog::TellBackupFailure(const snapshots::RepairResult& result) {
    if (!result.backupFailed) return false;
    platform::dialogs::ShowBox(Handle(),
                               "Nothing was changed: what the repair would delete or overwrite could not be saved "
                               "in a backup point first.\r\n\r\n" +
                                   result.error,
                               ui::kApplicationTitle, BoxKind::ErrorCancel);
    return true;
}

void SnapshotCompareDialog::RemoveDoneRecords(const snapshots::RepairResult& result, RecordOf recordOf) {
    std::vector<std::vector<std::string>> records;
    for (const snapshots::CompareRegistryRow& row : result.done) records.push_back(recordOf(row));
    snapshots::RemoveRecords(report_, records);
}

void SnapshotCompareDialog::RepairDone(const snapshots::RepairResult& result, bool withPointLine) {
    for (std::string& line : snapshots::RepairFailureLines(result)) report_.push_back(std::move(line));
    if (withPointLine) {
        std::string point = snapshots::RepairPointLine(result);
        if (!point.empty()) report_.push_back(std::move(point));
    }
    ShowReport();
    if (compared_) present_ = snapshots::ReadPresentState();
    OfferElevationAfter(result);
}

void SnapshotCompareDialog::OfferElevationAfter(const snapshots::RepairResult& result) {
    // An administrator reads the refusals in the report; a user may restart
    // Orvelin as administrator to carry them out.
    if (!offerElevation_ || !snapshots::MachineWideRefused(result) || platform::shell::ProcessIsElevated()) return;
    busy_ = true;  // the box over the dialog leaves the report it speaks of as it is
    const bool restarting = offerElevation_(kMachineWideRefusal, Handle(), BoxKind::Warning);
    busy_ = false;
    if (restarting) EndModal(IDCANCEL);
}

namespace {

// The time a repair's backup point is named after.
SYSTEMTIME LocalTimeNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now;
}

}  // namespace

// The repairs take the rows before they ask: the question's box makes the
// dialog inactive, which drops its rows, and active again once answered,
// which compares afresh: the repair acts on what the user saw.

std::shared_ptr<snapshots::RepairResult> SnapshotCompareDialog::RunRepair(const char* question, const Repair& repair) {
    if (!compared_) return nullptr;
    const snapshots::CompareRows snapshot = snapshot_, present = present_;
    if (!Ask(question)) return nullptr;
    const auto result = std::make_shared<snapshots::RepairResult>();
    const std::string folder = backupFolder_;
    const SYSTEMTIME now = LocalTimeNow();
    if (!RunWork([=](common::IProgressSink& progress, common::StopToken stop) {
            *result = repair(snapshot, present, folder, now, progress, stop);
        }))
        return nullptr;
    if (TellBackupFailure(*result)) return nullptr;
    return result;
}

void SnapshotCompareDialog::RestoreAllClick() {
    const auto result = RunRepair("Replace registry?", snapshots::RestoreAll);
    if (!result) return;
    report_.clear();
    // Said only when every row was put back.
    if (result->failed.empty() && !result->stopped) report_.push_back(snapshots::kRestoredText);
    RepairDone(*result, true);
}

void SnapshotCompareDialog::CreateDeletedClick() {
    // Creating saves nothing: what it writes was not there.
    const auto result = RunRepair("Update registry?", [](const snapshots::CompareRows& snapshot,
                                                         const snapshots::CompareRows& present, const std::string&,
                                                         const SYSTEMTIME&, common::IProgressSink& progress,
                                                         common::StopToken stop) {
        return snapshots::CreateDeleted(snapshot, present, progress, stop);
    });
    if (!result) return;
    // A row left keeps its record, and the button stays for another try.
    RemoveDoneRecords(*result, snapshots::DeletedRecord);
    if (result->failed.empty() && !result->stopped) EnableButton(btnUpdate, false, btnOk);
    RepairDone(*result, false);
}

void SnapshotCompareDialog::DeleteCreatedClick() {
    const auto result = RunRepair("Delete new paremetrs?", snapshots::DeleteCreated);
    if (!result) return;
    RemoveDoneRecords(*result, snapshots::CreatedRecord);
    if (result->failed.empty() && !result->stopped) EnableButton(btnDel, false, btnOk);
    RepairDone(*result, true);
}

void SnapshotCompareDialog::ColumnClick(int column) {
    SortListView(lvXMLFile, SortState{column, sortDescending_, true});
    sortDescending_ = !sortDescending_;
}

bool SnapshotCompareDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED && code != 0) return false;
    switch (id) {
    case kIdKill: LoadBackUpClick(); return true;
    case kIdRun: CreateBackUpClick(); return true;
    case kIdOk: EndModal(IDOK); return true;
    case IDCANCEL: EndModal(IDCANCEL); return true;  // Esc
    case kIdRestoreAll: RestoreAllClick(); return true;
    case kIdCreateDeleted: CreateDeletedClick(); return true;
    case kIdDeleteCreated: DeleteCreatedClick(); return true;
    }
    return false;
}

LRESULT SnapshotCompareDialog::OnNotify(NMHDR* header) {
    if (header->hwndFrom == lvXMLFile.Handle() && header->code == LVN_COLUMNCLICK)
        ColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
    return 0;
}

LRESULT SnapshotCompareDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            // As a dialog does: the focus comes back where it was.
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) focus_ = focus;
            Deactivated();
        } else if (Showing()) {
            Activated();
            SetFocus(focus_ && IsWindowEnabled(focus_) ? focus_ : btnKill);
        }
        return 0;
    case 0x02E0: {  // WM_DPICHANGED: the base lays the dialog out again and gives every control its font
        const LRESULT result = ModalDialog::HandleMessage(message, wParam, lParam);
        const int dpi = HIWORD(wParam);
        if (dpi > 0 && dpi != dpi_) {
            RescaleListColumns(lvXMLFile, dpi_, dpi);
            dpi_ = dpi;
            ApplyReportFont(dpi);
        }
        return result;
    }
    }
    return ModalDialog::HandleMessage(message, wParam, lParam);
}

}  // namespace gui
