// StartUpPageWindow: the editing commands: Add, Delete, On/Off, Edit, Info, the
// check-box handler and moving entries by drag and drop.
#include "gui/StartUpPage.h"

#include "common/Common.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "snapshots/StartupSnapshot.h"
#include "common/FileVersionInfo.h"
#include "common/ProgramSettings.h"
#include "ui/ListPlace.h"
#include "ui/RowData.h"

namespace gui {

using namespace startup;

namespace {

// Why the run entry shown as `name` is still there ("" when it went).
std::string RunDeleteRefusalText(const std::string& name, const RunDeleteResult& result) {
    switch (result.outcome) {
    case RunDeleteOutcome::Deleted: break;
    case RunDeleteOutcome::Changed: return name + " was not deleted: it changed since it was listed.";
    case RunDeleteOutcome::NotWritable: return name + " was not deleted: its key cannot be written.";
    case RunDeleteOutcome::BackupFailed:
    case RunDeleteOutcome::Refused: return name + " was not deleted. " + result.problem;
    }
    return {};
}

}  // namespace

AddEntryDialog& StartUpPageWindow::addEntryDialog() {
    if (!addValueForm_) {
        addValueForm_ = std::make_unique<AddEntryDialog>();
        addValueForm_->SetElevationOffer(ElevationOfferOfFrame());
    }
    return *addValueForm_;
}

SnapshotCompareDialog& StartUpPageWindow::snapshotCompareDialog() {
    if (!compareForm_) {
        compareForm_ = std::make_unique<SnapshotCompareDialog>([this] { return SaveStartupSnapshot(); });
        compareForm_->SetElevationOffer(ElevationOfferOfFrame());
    }
    return *compareForm_;
}

void StartUpPageWindow::BackUpRestore() {
    const int result = snapshotCompareDialog().ShowFor(Frame().Handle(), Frame().Settings().backupFolder);
    // Whatever the close: a repair may have changed the run keys listed.
    RelistSuSection();
    Frame().SortListAgain(lvSuValues.Handle());
    Frame().RefreshView();
    if (result == IDOK) Frame().ExecuteAction(aHsUpdate);
}

ProgramInfoDialog& StartUpPageWindow::programInfoDialog() {
    if (!infoForm_)
        infoForm_ = std::make_unique<ProgramInfoDialog>(Frame().VersionInfo(), [this] {
            aSuUpdateExecute();
            KeepListPlace(infoRow_);  // Run or Kill changed the row's Active: it stays the chosen one
        });
    return *infoForm_;
}

std::string StartUpPageWindow::RowValueName(int row) const {
    // The name the row was listed with: the shown one reads a NUL inside a
    // name as "\0", which would name another value, or none.
    const StartupRow* listed = ListedRow(row);
    return listed && !listed->valueName.empty() ? listed->valueName : lvSuValues.Text(row, 0);
}

bool StartUpPageWindow::SuRowEntry(int row, RunEntry& entry) const {
    // Name, Location, Root Key and Section; rows of other sources have fewer.
    if (row < 0 || ui::RowSubItemCount(lvSuValues.Data(row)) < 3) return false;
    entry = RunEntry{RowValueName(row), lvSuValues.Text(row, 1), lvSuValues.Text(row, 2), lvSuValues.Text(row, 3)};
    return true;
}

bool StartUpPageWindow::SelectedSuEntry(RunEntry& entry, bool& active) const {
    const int row = lvSuValues.Selected();
    if (!SuRowEntry(row, entry)) return false;
    // "All" shows no check boxes: its rows' state is the one they were listed with.
    const StartupRow* listed = ListedRow(row);
    active = lvSuValues.ShowsCheckBoxes() ? lvSuValues.Checked(row) : (listed && listed->checked);
    return true;
}

PageWindow::RowPlaces StartUpPageWindow::SelectedRowPlaces() const {
    RowPlaces places;
    RunEntry entry;
    bool active = false;
    if (SelectedSuEntry(entry, active)) places.registryKey = RunEntryKeyPath(entry, active);
    if (const StartupRow* listed = ListedRow(lvSuValues.Selected())) places.filePath = listed->iconFile;
    return places;
}

void StartUpPageWindow::aSuAddExecute() {
    if (Frame().CurrentPage() != kPageStartUp || !Frame().Actions().Enabled(aSuUpdate)) return;
    const StartupSource& source = SourceOf(SelectedSourceId());
    if (source.allows.add && source.kind == SourceKind::RunKey) {
        // The dialog takes the run key chosen in the tree; "Registry" names
        // none, so the dialog proposes the first.
        addEntryDialog().ShowFor(Frame().Handle(), source.runKey ? source.runKey : RunKeySources().front()->runKey);
    } else if (source.allows.add && source.kind == SourceKind::StartupFolder) {
        platform::dialogs::FileDialogRequest request;
        request.filter = kProgramFileFilter;
        std::string problem;
        if (platform::dialogs::RunFileDialog(Frame().Handle(), request) &&
            !CreateStartupShortcut(request.fileName, &problem) && !problem.empty())
            platform::dialogs::ShowBox(Frame().Handle(), problem, ui::kApplicationTitle,
                                       platform::dialogs::BoxKind::ErrorCancel);
    }
    aSuUpdateExecute();
}

bool StartUpPageWindow::SaveStartupSnapshot() {
    // The main window's one save dialog, which the report shares: no filter,
    // default extension or title of its own, the name proposed.
    std::string fileName = snapshots::SnapshotFileName(platform::text::ShortDateToday());
    if (!Frame().RunSaveDialog(fileName)) return false;
    std::string error;
    if (snapshots::SaveStartupSnapshot(fileName, error)) return true;
    platform::dialogs::ShowBox(Frame().Handle(), error, ui::kApplicationTitle, platform::dialogs::BoxKind::ErrorCancel);
    return false;
}

void StartUpPageWindow::aSuDeleteExecute() {
    if (Frame().CurrentPage() != kPageStartUp) return;
    const int row = lvSuValues.Selected();
    if (row < 0) return;
    // What the user confirms is what goes, whatever happens to the list
    // while the question is open.
    const std::string name = lvSuValues.Text(row, 0), valueName = RowValueName(row), location = lvSuValues.Text(row, 1);
    const std::string rootName = lvSuValues.Text(row, 2), section = lvSuValues.Text(row, 3);
    const bool ticked = lvSuValues.Checked(row);
    const StartupRow* listed = ListedRow(row);
    const std::string filePath = listed ? listed->filePath : std::string();
    const StartupSource& source = SourceOf(SelectedSourceId());
    const int answer = platform::dialogs::ShowBox(Frame().Handle(), "Delete " + name + "?", ui::kApplicationTitle,
                                                  platform::dialogs::BoxKind::Confirm);
    if (answer == IDYES) {
        if (source.allows.remove && source.kind == SourceKind::StartupFolder) {
            // The file the row stands for: a program beside a shortcut of the
            // same name is another row.
            if (!filePath.empty()) {
                const StartupFileDeleteResult result = DeleteStartupFile(filePath);
                if (result.forAdministrators &&
                    Frame().OfferElevatedRestart(result.problem, nullptr, platform::dialogs::BoxKind::ErrorCancel))
                    return;
                if (!result.problem.empty() && !result.forAdministrators)
                    platform::dialogs::ShowBox(Frame().Handle(), result.problem, ui::kApplicationTitle,
                                               platform::dialogs::BoxKind::ErrorCancel);
            }
        } else if (source.allows.remove && source.kind == SourceKind::RunKey) {
            // Only while the value still holds what the row shows, and only
            // once a backup point holds it, so the delete can be undone.
            SYSTEMTIME now{};
            GetLocalTime(&now);
            const RunDeleteResult result = DeleteRunEntryWithBackup(RunEntry{valueName, location, rootName, section},
                                                                    ticked, Frame().Settings().backupFolder, now);
            const std::string refusal = RunDeleteRefusalText(name, result);
            // A machine-wide key is one for administrators: the user may
            // restart Orvelin so, and this window then goes.
            const bool forAdministrators =
                result.outcome == RunDeleteOutcome::NotWritable && rootName == "HKEY_LOCAL_MACHINE";
            if (forAdministrators &&
                Frame().OfferElevatedRestart(refusal, nullptr, platform::dialogs::BoxKind::ErrorCancel))
                return;
            if (!refusal.empty() && !forAdministrators)
                platform::dialogs::ShowBox(Frame().Handle(), refusal, ui::kApplicationTitle,
                                           platform::dialogs::BoxKind::ErrorCancel);
        }
        RelistSuSection();
    }
    aSuUpdateExecute();
    KeepListPlace(row);
}

void StartUpPageWindow::KeepListPlace(int row) {
    if (Frame().CurrentPage() == kPageStartUp) ui::SelectRowTakingPlace(lvSuValues.Handle(), row);
}

void StartUpPageWindow::aSuCheckExecute() {
    if (Frame().CurrentPage() != kPageStartUp) return;
    const int row = lvSuValues.Selected();
    RunEntry entry;
    bool active = false;
    if (!SelectedSuEntry(entry, active)) return;
    // The registry must be as the row shows it before the tick turns.
    const EntryMoveResult shown = SwitchEntry(entry, active);
    if (shown.outcome == EntryMoveOutcome::Conflict) {
        ReportMoveConflict(row, shown);
        return;
    }
    lvSuValues.SetChecked(row, !active);  // the check-box handler applies the new state
}

void StartUpPageWindow::SuValuesTickChanged(int row) {
    RunEntry entry;
    if (!SuRowEntry(row, entry)) return;
    const EntryMoveResult result = SwitchEntry(entry, lvSuValues.Checked(row));
    if (result.outcome == EntryMoveOutcome::Conflict) ReportMoveConflict(row, result);
    if (result.outcome != EntryMoveOutcome::NotWritable) return;
    // A key that cannot be written changes nothing; the tick shows what the
    // registry still holds. A machine-wide key is one for administrators:
    // the user may restart Orvelin so. Elsewhere it says nothing.
    SetRowTick(row, result.registryActive);
    if (entry.rootName == "HKEY_LOCAL_MACHINE")
        Frame().OfferElevatedRestart(entry.name + " was not switched " + (lvSuValues.Checked(row) ? "off" : "on") +
                                     ": its key cannot be written.");
}

void StartUpPageWindow::SuValuesStateReapplied(int row) {
    RunEntry entry;
    if (!SuRowEntry(row, entry)) return;
    const EntryMoveResult result = SwitchEntry(entry, lvSuValues.Checked(row));
    if (result.outcome == EntryMoveOutcome::Conflict || result.outcome == EntryMoveOutcome::NotWritable)
        SetRowTick(row, result.registryActive);
}

void StartUpPageWindow::SetRowTick(int row, bool ticked) {
    // Without running the check-box handler again.
    const ui::ListRebuild rebuild(lvSuValues.Handle());
    lvSuValues.SetChecked(row, ticked);
}

void StartUpPageWindow::ReportMoveConflict(int row, const EntryMoveResult& result) {
    // Nothing changed: the tick goes back to what the registry holds and the
    // user learns why.
    SetRowTick(row, result.registryActive);
    platform::dialogs::ShowBox(Frame().Handle(), result.message, ui::kApplicationTitle,
                               platform::dialogs::BoxKind::ErrorCancel);
}

void StartUpPageWindow::aSuEditExecute() {
    if (Frame().CurrentPage() != kPageStartUp || !Frame().Actions().Enabled(aSuEdit)) return;
    const std::string commandLine = EditCommandLine(SelectedSourceId());
    if (!commandLine.empty()) RunProgram(commandLine, SW_RESTORE);
}

void StartUpPageWindow::aSuInfoExecute() {
    const int row = lvSuValues.Selected();
    if (Frame().CurrentPage() == kPageStartUp && Frame().Actions().Enabled(aSuInfo) && row >= 0) {
        programInfoPath = RowProgramInfoPath(row);
        infoRow_ = row;
        const std::string active = ui::RowSubItemCount(lvSuValues.Data(row)) >= 4 ? lvSuValues.Text(row, 4) : "";
        programInfoDialog().ShowFor(Frame().Handle(), programInfoPath, active);  // its close runs Update
        return;
    }
    aSuUpdateExecute();
}

// ---- drag and drop ---------------------------------------------------------

bool StartUpPageWindow::PreTranslateMessage(MSG& message) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && suDragging_) {
        SuEndDrag(false);
        return true;
    }
    // Enter on a row opens Info. The key is taken here: the dialog keyboard
    // handling would turn it into the frame's OK, which nothing answers.
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && !suDragging_ &&
        message.hwnd == lvSuValues.Handle() && lvSuValues.Selected() >= 0) {
        Frame().ExecuteAction(aSuInfo);
        return true;
    }
    return false;
}

void StartUpPageWindow::SuBeginDrag() {
    suDragging_ = true;
    SetCapture(Handle());
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void StartUpPageWindow::SuDragMove(POINT screen) {
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(tvSuSections.Handle(), &hit.pt);
    HTREEITEM node = TreeView_HitTest(tvSuSections.Handle(), &hit);
    TreeView_SelectDropTarget(tvSuSections.Handle(), (hit.flags & TVHT_ONITEM) ? node : nullptr);
    SetCursor(LoadCursor(nullptr, node ? IDC_ARROW : IDC_NO));
}

void StartUpPageWindow::SuEndDrag(bool drop) {
    suDragging_ = false;
    HTREEITEM target = TreeView_GetDropHilight(tvSuSections.Handle());
    TreeView_SelectDropTarget(tvSuSections.Handle(), nullptr);
    if (GetCapture() == Handle()) ReleaseCapture();
    if (drop && target) SuDropOnNode(target);
}

void StartUpPageWindow::SuDropOnNode(HTREEITEM node) {
    RunEntry entry;
    bool active = false;
    if (!node || !SelectedSuEntry(entry, active)) return;
    const StartupSource& source = SourceOf(static_cast<int>(tvSuSections.Data(node)));
    // Only run-key entries move, and only onto another run key: a file node
    // has no key, and a row without a root would land under HKEY_CLASSES_ROOT.
    if (!source.allows.dropTarget || !source.runKey || entry.section == source.runKey) return;
    const std::string target = source.runKey;
    if (!IsStartupRootName(entry.rootName) || !IsRunSectionName(entry.section)) return;
    const EntryMoveResult result = MoveRunEntry(entry, active, target);
    if (result.outcome == EntryMoveOutcome::Conflict)
        platform::dialogs::ShowBox(Frame().Handle(), result.message, ui::kApplicationTitle,
                                   platform::dialogs::BoxKind::ErrorCancel);
    // A machine-wide key is one for administrators; elsewhere a key that
    // cannot be written says nothing, as a switch does.
    if (result.outcome == EntryMoveOutcome::NotWritable && entry.rootName == "HKEY_LOCAL_MACHINE" &&
        Frame().OfferElevatedRestart(entry.name + " was not moved to " + target + ": its key cannot be written."))
        return;
    RelistSuSection();
    Frame().SortListAgain(lvSuValues.Handle());
    Frame().RefreshView();
}

LRESULT StartUpPageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        if (!suDragging_) break;
        {
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(Handle(), &point);
            SuDragMove(point);
        }
        return 0;
    case WM_LBUTTONUP:
        if (suDragging_) SuEndDrag(true);
        return 0;
    case WM_CAPTURECHANGED:
        if (suDragging_ && reinterpret_cast<HWND>(lParam) != Handle()) SuEndDrag(false);
        return 0;
    }
    return PageWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace gui
