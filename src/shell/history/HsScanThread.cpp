// The history scan worker: runs the collectors of the ticked Internet
// Explorer sections and posts what they find to the window in batches, so
// rows show while a large cache is still being read.
#include "shell/history/HsScanThread.h"

#include "history/HsFunInternetExplorer.h"

#include <memory>
#include <utility>

namespace {

// A batch goes when it holds this many lines or when this long has passed
// since the last one: the window gets few, large messages for a big cache
// and still shows the first rows at once.
constexpr size_t kBatchLines = 2000;
constexpr DWORD kBatchIntervalMs = 50;

// Thrown through a walk when a stop was asked, so a long walk ends early.
struct StopRequested {};

}  // namespace

THistoryScanThread::THistoryScanThread(HWND owner, Deliver deliver)
    : ui::WorkerThread(owner), deliver_(std::move(deliver)) {}

void THistoryScanThread::Execute() {
    static constexpr struct {
        unsigned char bit;
        TIETraceKind kind;
    } kSections[] = {{kVisitedPages, TIETraceKind::VisitedPages},
                     {kTemporaryFiles, TIETraceKind::TemporaryFiles},
                     {kCookies, TIETraceKind::Cookies},
                     {kTypedUrls, TIETraceKind::TypedUrls}};

    std::vector<std::string> batch;
    DWORD lastPost = GetTickCount();
    auto post = [&] {
        if (batch.empty()) return;
        auto lines = std::make_unique<std::vector<std::string>>(std::move(batch));
        batch = {};
        PostResult(std::move(lines), [this](std::unique_ptr<std::vector<std::string>> received) {
            if (deliver_) deliver_(std::move(*received));
        });
        lastPost = GetTickCount();
    };
    // A stop is seen at every entry walked, not only at those that fit the mask.
    const auto checkStop = [this] {
        if (Terminated()) throw StopRequested{};
    };
    auto add = [&](std::string&& line) {
        batch.push_back(std::move(line));
        if (batch.size() >= kBatchLines || GetTickCount() - lastPost >= kBatchIntervalMs) post();
    };

    try {
        for (const auto& section : kSections) {
            if (!(SectionFlags & section.bit) || Terminated()) continue;
            CollectInternetExplorerTraces(section.kind, add, Mask, checkStop);
        }
    } catch (const StopRequested&) {
        return;  // nobody waits for the rest
    } catch (...) {
        // The lines found before the failure are shown; then the error.
        post();
        throw;
    }
    post();
}

void THistoryScanThread::OnError(const std::exception& error) {
    if (BeforeError) BeforeError();
    WorkerThread::OnError(error);
}
