// THistoryPage: the commands Update, Delete and Delete All.
#include "history/HistoryCatalogue.h"
#include "platform/Processes.h"
#include "shell/HistoryPage.h"

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
    const HistorySectionOperations& operations = HistoryOperationsOf(section);
    try {
        if (DeleteNeedsNoItem(section)) {
            // The whole clipboard, bin or list goes; the list is shown again whatever the answer.
            if (ShowHsBox(DeleteConfirmation(section, {}), BoxKind::Confirm) == IDYES && operations.deleteOne)
                operations.deleteOne(HistoryRow{});
            aHsUpdateExecute();
            return;
        }
        const int selected = lvHsValues.Selected();
        if (selected < 0) return;
        const HistoryRow item = RowAt(selected);
        if (ShowHsBox(DeleteConfirmation(section, item.caption), BoxKind::Confirm) != IDYES) return;
        const int result = operations.deleteOne ? operations.deleteOne(item) : 0;
        if (result == 0)
            aHsUpdateExecute();
        else
            ShowHsBox(DeleteFailureText(result, item.caption, SystemText(result)), BoxKind::ErrorCancel);
    } catch (const std::exception& error) {
        ui::ShowExceptionBox(Frame().Handle(), error);
    }
}

void THistoryPage::aHsDeleteAllExecute() {
    if (!Frame().Actions().Enabled(aHsDeleteAll) || Frame().CurrentPage() != kPageHistory || lvHsValues.Count() < 1 ||
        !ListMatchesSelection())
        return;
    const int section = SelectedHsSection();
    const HistorySectionOperations& operations = HistoryOperationsOf(section);
    if (!operations.deleteAll) return;  // groups, the clipboard and the toolbars clear nothing
    CommandHourglass hourglass(*this);
    try {
        const std::string question = DeleteAllConfirmation(section);
        if (!question.empty() && ShowHsBox(question, BoxKind::Confirm) != IDYES) return;
        const int result = operations.deleteAll(ListedRows(), CurrentMask());
        aHsUpdateExecute();
        if (result != 0) ShowHsBox(DeleteAllFailureText(result, SystemText(result)), BoxKind::ErrorCancel);
    } catch (const std::exception& error) {
        ui::ShowExceptionBox(Frame().Handle(), error);
    }
}
