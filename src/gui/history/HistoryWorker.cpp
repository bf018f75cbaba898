// The History page's worker: runs a section's lister and posts what it finds
// to the window in batches.
#include "gui/history/HistoryWorker.h"

#include <memory>
#include <utility>

namespace gui {

namespace {

// A batch goes when it holds this many rows or when this long has passed
// since the last one: the window gets few, large messages for a big source
// and still shows the first rows at once.
constexpr size_t kBatchLines = 2000;
constexpr DWORD kBatchIntervalMs = 50;

}  // namespace

// Gathers the lister's rows and posts them to the window thread; a notice
// goes after the rows found before it.
class HistoryWorker::BatchSink final : public history::IHistorySink {
public:
    explicit BatchSink(HistoryWorker& worker) : worker_(worker), lastPost_(GetTickCount()) {}

    void Add(history::HistoryRow&& row) override {
        batch_.push_back(std::move(row));
        if (batch_.size() >= kBatchLines || GetTickCount() - lastPost_ >= kBatchIntervalMs) Post();
    }

    void Notice(const std::string& text) override {
        Post();
        worker_.PostToWindowThread([&worker = worker_, text] {
            if (worker.tell_) worker.tell_(text);
        });
    }

    void Post() {
        if (batch_.empty()) return;
        auto rows = std::make_unique<std::vector<history::HistoryRow>>(std::move(batch_));
        batch_ = {};
        worker_.PostResult(std::move(rows), [&worker = worker_](std::unique_ptr<std::vector<history::HistoryRow>> received) {
            if (worker.deliver_) worker.deliver_(std::move(*received));
        });
        lastPost_ = GetTickCount();
    }

private:
    HistoryWorker& worker_;
    std::vector<history::HistoryRow> batch_;
    DWORD lastPost_;
};

// Passes the Delete All's progress to the window thread, at most once per
// interval: a file-by-file count would flood the window's queue. The page
// shows the counts; the trace in hand is not shown.
class HistoryWorker::ProgressSink final : public common::IProgressSink {
public:
    explicit ProgressSink(HistoryWorker& worker) : worker_(worker), lastPost_(GetTickCount() - kBatchIntervalMs) {}

    void Notice(const std::string& text) override {
        worker_.PostToWindowThread([&worker = worker_, text] {
            if (worker.tell_) worker.tell_(text);
        });
    }

    void Progress(size_t done, size_t total, const std::string&) override {
        const bool last = total > 0 && done == total;
        if (!last && GetTickCount() - lastPost_ < kBatchIntervalMs) return;
        lastPost_ = GetTickCount();
        worker_.PostToWindowThread([&worker = worker_, done, total] {
            if (worker.OnDeleteProgress) worker.OnDeleteProgress(done, total);
        });
    }

private:
    HistoryWorker& worker_;
    DWORD lastPost_;
};

HistoryWorker::HistoryWorker(HWND owner, Deliver deliver, Tell tell)
    : ui::WorkerThread(owner), deliver_(std::move(deliver)), tell_(std::move(tell)) {}

void HistoryWorker::RunDeleteAll() {
    ProgressSink progress(*this);
    auto result = std::make_unique<history::HistoryDeleteAllResult>(DeleteAll(Listed, Mask, progress, StopToken()));
    PostResult(std::move(result), [this](std::unique_ptr<history::HistoryDeleteAllResult> received) {
        if (OnDeleteAllDone) OnDeleteAllDone(*received);
    });
}

void HistoryWorker::Execute() {
    if (DeleteAll) {
        RunDeleteAll();
        return;
    }
    if (!Lister || Terminated()) return;
    BatchSink sink(*this);
    try {
        history::RunLister(Lister, sink, Mask, StopToken());
    } catch (...) {
        // The rows found before the failure are shown; then the error.
        sink.Post();
        throw;
    }
    if (Terminated()) return;  // nobody waits for the rest
    sink.Post();
}

void HistoryWorker::OnError(const std::exception& error) {
    if (BeforeError) BeforeError();
    WorkerThread::OnError(error);
}

}  // namespace gui
