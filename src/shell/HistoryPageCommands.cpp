// THistoryPage: the commands Update, Delete and Delete All.
#include "history/HistoryCatalogue.h"
#include "history/HistorySectionTable.h"
#include "platform/Processes.h"
#include "shell/HistoryPage.h"

namespace shell {

using history::HistoryRow;
using history::HistorySectionRow;
using platform::dialogs::BoxKind;

class THistoryPage::CommandHourglass {
public:
    explicit CommandHourglass(THistoryPage& page) : page_(page) {
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
    THistoryPage& page_;
};

namespace {

std::string SystemText(int code) { return platform::processes::SystemErrorText(static_cast<DWORD>(code)); }

}  // namespace

void THistoryPage::aHsUpdateExecute() {
    if (Frame().Actions().Enabled(aHsUpdate) && Frame().CurrentPage() == kPageHistory) {
        const int section = SelectedHsSection();
        if (section >= 0) tvHsSectionsChange(section);
    }
    FitHsColumns();
}

void THistoryPage::aHsDeleteExecute() {
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
        if (ShowHsBox(DeleteConfirmation(row, item.caption), BoxKind::Confirm) != IDYES) return;
        const int result = row.deleteOne ? row.deleteOne(item) : 0;
        if (result == 0)
            aHsUpdateExecute();
        else
            ShowHsBox(history::DeleteFailureText(result, item.caption, SystemText(result)), BoxKind::ErrorCancel);
    } catch (const std::exception& error) {
        ui::ShowExceptionBox(Frame().Handle(), error);
    }
}

void THistoryPage::aHsDeleteAllExecute() {
    if (!Frame().Actions().Enabled(aHsDeleteAll) || Frame().CurrentPage() != kPageHistory || lvHsValues.Count() < 1 ||
        !ListMatchesSelection())
        return;
    const HistorySectionRow& row = history::HistorySectionRowOf(SelectedHsSection());
    if (!row.deleteAll) return;  // groups, the clipboard and the toolbars clear nothing
    CommandHourglass hourglass(*this);
    try {
        if (!row.deleteAllQuestion.empty() && ShowHsBox(row.deleteAllQuestion, BoxKind::Confirm) != IDYES) return;
        const int result = row.deleteAll(ListedRows(), CurrentMask());
        if (row.relistAfterDeleteAll)
            aHsUpdateExecute();
        else
            FitHsColumns();
        if (result != 0) ShowHsBox(history::DeleteAllFailureText(result, SystemText(result)), BoxKind::ErrorCancel);
    } catch (const std::exception& error) {
        ui::ShowExceptionBox(Frame().Handle(), error);
    }
}

}  // namespace shell
