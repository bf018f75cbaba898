// HistoryPageWindow: the commands Update, Delete and Delete All.
#include "formats/Masks.h"
#include "history/HistoryCatalogue.h"
#include "history/HistorySectionTable.h"
#include "platform/Processes.h"
#include "gui/HistoryPage.h"
#include "ui/ListPlace.h"

namespace gui {

using history::HistoryRow;
using history::HistorySectionRow;
using platform::dialogs::BoxKind;

class HistoryPageWindow::CommandHourglass {
public:
    explicit CommandHourglass(HistoryPageWindow& page) : page_(page) {
        ++page_.commandsRunning_;
        page_.ShowCursorNow();
    }
    ~CommandHourglass() {
        --page_.commandsRunning_;
        page_.ShowCursorNow();
    }
    CommandHourglass(const CommandHourglass&) = delete;
    CommandHourglass& operator=(const CommandHourglass&) = delete;

private:
    HistoryPageWindow& page_;
};

namespace {

std::string SystemText(int code) { return platform::processes::SystemErrorText(static_cast<DWORD>(code)); }

}  // namespace

void HistoryPageWindow::aHsUpdateExecute() {
    if (Frame().Actions().Enabled(aHsUpdate) && Frame().CurrentPage() == kPageHistory) {
        const int section = SelectedHsSection();
        if (section >= 0) tvHsSectionsChange(section);
    }
    FitHsColumns();
}

void HistoryPageWindow::aHsDeleteExecute() {
    if (!Frame().Actions().Enabled(aHsDelete) || Frame().CurrentPage() != kPageHistory || !ListMatchesSelection())
        return;
    const int section = SelectedHsSection();
    if (section < 0) return;
    const HistorySectionRow& row = history::HistorySectionRowOf(section);
    try {
        if (row.deleteNeedsNoItem) {
            // The whole clipboard, bin or list goes; the list is shown again whatever the answer.
            if (ShowHsBox(DeleteConfirmation(row, {}), BoxKind::Confirm) == IDYES && row.deleteOne)
                row.deleteOne(HistoryRow{});
            aHsUpdateExecute();
            return;
        }
        const int selected = lvHsValues.Selected();
        if (selected < 0) return;
        const HistoryRow item = RowAt(selected);
        if (row.uninstallCommand) {
            // Another program runs: the user sees which before saying Yes.
            const std::string command = row.uninstallCommand(item);
            if (command.empty() ||
                ShowHsBox(history::UninstallConfirmation(item.caption, command), BoxKind::ConfirmDefaultNo) != IDYES)
                return;
            // Delete looks the command up again: one changed while the box was open is not what was shown.
            if (row.uninstallCommand(item) != command) {
                aHsUpdateExecute();
                return;
            }
        } else if (ShowHsBox(DeleteConfirmation(row, item.caption), BoxKind::Confirm) != IDYES) {
            return;
        }
        int result = 0;
        if (row.deleteOne) {
            // Some removals wait on another program (an automation server, an uninstaller).
            CommandHourglass hourglass(*this);
            result = row.deleteOne(item);
        }
        if (result == 0) {
            aHsUpdateExecute();
            KeepListPlace(selected);
        } else {
            TellDeleteFailure(history::DeleteFailureText(result, item.caption, SystemText(result)), result);
        }
    } catch (const history::HistoryNotice& notice) {
        ShowHsBox(notice.what(), BoxKind::Plain);
    } catch (const std::exception& error) {
        ui::ShowExceptionBox(Frame().Handle(), error);
    }
}

void HistoryPageWindow::TellDeleteFailure(const std::string& text, int code) {
    // Refused access is what a user meets on the machine's own keys and
    // folders: a restart as administrator may carry the delete out.
    if (code == ERROR_ACCESS_DENIED)
        Frame().OfferElevatedRestart(text, nullptr, BoxKind::ErrorCancel);
    else
        ShowHsBox(text, BoxKind::ErrorCancel);
}

void HistoryPageWindow::KeepListPlace(int row) {
    if (busy_)
        placeAfterListing_ = row;  // the listing runs on: its end selects
    else
        ui::SelectRowTakingPlace(lvHsValues.Handle(), row);
}

void HistoryPageWindow::aHsDeleteAllExecute() {
    if (!Frame().Actions().Enabled(aHsDeleteAll) || Frame().CurrentPage() != kPageHistory || lvHsValues.Count() < 1 ||
        !ListMatchesSelection())
        return;
    const HistorySectionRow& row = history::HistorySectionRowOf(SelectedHsSection());
    if (!row.deleteAll) return;  // groups, the clipboard and the toolbars clear nothing
    CommandHourglass hourglass(*this);
    try {
        if (!row.deleteAllQuestion.empty() && ShowHsBox(row.deleteAllQuestion, BoxKind::Confirm) != IDYES) return;
        const std::string mask = CurrentMask();
        // A source cleared only whole takes more than the mask shows: the
        // user agrees to that first.
        if (history::ClearsMoreThanTheMask(row, mask) &&
            ShowHsBox(history::WholeClearQuestionFor(row, listedRows_.size()), BoxKind::ConfirmDefaultNo) != IDYES)
            return;
        // A mask typed since the listing that is not one is told here,
        // before anything starts.
        if (row.takesMask && row.deleteAllUsesMask) {
            const Mask check(mask);
        }
        StartDeleteAll(row, mask);
    } catch (const std::exception& error) {
        ui::ShowExceptionBox(Frame().Handle(), error);
    }
}

// A folder of many thousand files takes seconds to clear: the removal runs
// on the worker, and the window goes on serving its messages (Stop among them).
void HistoryPageWindow::StartDeleteAll(const HistorySectionRow& row, const std::string& mask) {
    ui::WorkerPtr<HistoryWorker> worker(new HistoryWorker(Frame().Handle(), {}, {}));
    worker->DeleteAll = row.deleteAll;
    worker->Listed = listedRows_;  // the list's rows; no removal depends on their order
    worker->Mask = mask;
    worker->OnDeleteProgress = [this](size_t done, size_t total) { ShowDeleteProgress(done, total); };
    worker->OnDeleteAllDone = [this](const history::HistoryDeleteAllResult& result) { deleteAllResult_ = result; };
    worker->SetOnTerminate([this, relist = row.relistAfterDeleteAll] { DeleteAllEnded(relist); });
    deleteAllResult_.reset();
    if (!worker->Resume()) {
        worker.reset();
        ShowHsBox("Delete All could not be started.", BoxKind::ErrorCancel);
        return;
    }
    worker_ = std::move(worker);  // the last listing's worker, ended, goes
    busy_ = true;
    deletingAll_ = true;
    ShowDeleteProgress(0, 0);
    SetDeleteAllControls(true);
    if (row.relistAfterDeleteAll) StartEmptyingList();
    ShowCursorNow();
    Frame().RefreshView();
}

void HistoryPageWindow::ShowDeleteProgress(size_t done, size_t total) {
    const std::string text =
        total == 0 ? "Deleting..." : "Deleting: " + std::to_string(done) + " of " + std::to_string(total);
    SetWindowTextA(lblHsProgress, text.c_str());
}

void HistoryPageWindow::SetDeleteAllControls(bool shown) {
    EnableWindow(btnHsStop, shown);
    for (HWND control : {lblHsProgress, btnHsStop}) ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
}

void HistoryPageWindow::StopDeleteAll() {
    if (!deletingAll_ || !worker_) return;
    worker_->Terminate();
    EnableWindow(btnHsStop, FALSE);
    SetWindowTextA(lblHsProgress, "Stopping...");
}

void HistoryPageWindow::DeleteAllEnded(bool relist) {
    StopEmptyingList();
    SetDeleteAllControls(false);
    busy_ = false;
    deletingAll_ = false;
    ShowCursorNow();
    const std::optional<history::HistoryDeleteAllResult> result = std::move(deleteAllResult_);
    deleteAllResult_.reset();
    try {
        // Without a result the removal raised, and its error has been shown:
        // the list shows what it showed before, as after a failed command.
        if (!result) {
            RestoreListedRows();
            FitHsColumns();
            return;
        }
        if (relist) {
            aHsUpdateExecute();
        } else {
            if (result->clearList) {
                const ui::ListRebuild rebuild(lvHsValues.Handle());
                ClearRows();
            } else if (!result->clearedSources.empty()) {
                DropRowsOf(result->clearedSources);
            }
            FitHsColumns();
        }
        if (!result->notice.empty()) ShowHsBox(result->notice, BoxKind::Plain);
        if (result->code != 0)
            TellDeleteFailure(history::DeleteAllFailureText(result->code, SystemText(result->code)), result->code);
        if (result->leftOutside > 0) ShowHsBox(history::LeftOutsideText(result->leftOutside), BoxKind::Warning);
    } catch (const std::exception& error) {
        ui::ShowExceptionBox(Frame().Handle(), error);
    }
}

}  // namespace gui
