// HistoryWorker: the History page's worker. It runs a section's lister
// off the window thread and hands the rows over in batches, so rows show
// while a large source is still being read; or a section's Delete All, with
// its progress and its result.
#pragma once

#include "history/HistorySectionRow.h"
#include "history/HistorySink.h"
#include "ui/Worker.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace gui {

class HistoryWorker : public ui::WorkerThread {
public:
    // Rows reach the window thread in the lister's order, in batches.
    using Deliver = std::function<void(std::vector<history::HistoryRow>&& rows)>;
    // A notice of the lister, after the rows found before it.
    using Tell = std::function<void(const std::string& text)>;

    // Created suspended; the page sets the fields below and calls Resume().
    // deliver and tell run on the window thread; the end step
    // (SetOnTerminate) runs there after the last delivery, also when the
    // lister raised (its error goes to OnError first) or the worker was stopped.
    HistoryWorker(HWND owner, Deliver deliver, Tell tell);

    // Set before Resume. An empty lister lists nothing: the worker only ends.
    history::HistoryLister Lister;
    std::string Mask = "*";
    // Runs on the window thread before a lister's error is shown, so the
    // owner can first show the rows it holds back.
    std::function<void()> BeforeError;

    // Delete All instead of a listing (set before Resume, Lister left
    // empty): the section's Delete All with these rows and Mask, stopped by
    // the worker's stop. Its progress reaches the window thread a few times
    // a second at most; its result, when it ended without an error, before
    // the end step.
    history::HistoryDeleteAll DeleteAll;
    std::vector<history::HistoryRow> Listed;
    std::function<void(size_t done, size_t total)> OnDeleteProgress;
    std::function<void(const history::HistoryDeleteAllResult& result)> OnDeleteAllDone;

protected:
    // The lister with the worker's stop token; nothing more is handed over
    // once a stop was asked.
    void Execute() override;
    void OnError(const std::exception& error) override;

private:
    class BatchSink;
    class ProgressSink;

    void RunDeleteAll();

    Deliver deliver_;
    Tell tell_;
};

}  // namespace gui
