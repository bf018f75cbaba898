// What a history section's lister reports to: the rows it finds and the
// notices the user is shown on the way, through the engine's one progress
// sink. The page's window thread, its worker and a test each give their own
// sink; the lister neither knows nor cares.
#pragma once

#include "common/ProgressSink.h"
#include "common/StopToken.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace history {

// One listed trace.
struct HistoryRow {
    std::string caption;                // the first column
    std::vector<std::string> subItems;  // every further value the lister gave, also those no column shows
    // What Delete needs to find the trace again when the caption is not
    // enough (a cache entry's whole source name, a toolbar's class id);
    // empty when the caption is all it needs.
    std::string source;
};

// A removal that changed nothing on purpose, with the words that tell the
// user why: shown as a plain notice, not as an error.
class HistoryNotice : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The rows of a listing; Notice: a text shown to the user in a box, the
// listing goes on. A lister tells no progress of its own (RunLister tells
// the end); a sink that shows none needs not override Progress.
class IHistorySink : public common::IItemSink<HistoryRow> {
public:
    void Progress(size_t, size_t, const std::string&) override {}

    void AddCaption(std::string caption) { Add(HistoryRow{std::move(caption), {}, {}}); }

protected:
    ~IHistorySink() = default;
};

// A sink that keeps everything in order, for callers that want the rows as a list.
class HistoryRowList final : public IHistorySink {
public:
    void Add(HistoryRow&& row) override { rows.push_back(std::move(row)); }
    void Notice(const std::string& text) override { notices.push_back(text); }
    std::vector<std::string> Captions() const;

    std::vector<HistoryRow> rows;
    std::vector<std::string> notices;
};

// The captions of the rows, in order.
std::vector<std::string> Captions(const std::vector<HistoryRow>& rows);

// A Delete All tells its progress to a common::IProgressSink, on the thread
// it runs on: done of total traces dealt with (removed or refused), what the
// trace in hand; total 0 while the traces are still being gathered.

// Reports the section's traces that fit the mask to the sink, in the
// source's order, and returns early once a stop is asked. Sections that take
// no mask are given "*". An invalid mask raises MaskError; a source that
// cannot be read raises its own error (what was reported before it stays).
using HistoryLister =
    std::function<void(IHistorySink& sink, const std::string& mask, common::StopToken stop)>;

// Runs the lister into the sink and, when no stop cut it short, reports its
// end: Progress(rows, rows, "").
void RunLister(const HistoryLister& list, IHistorySink& sink, const std::string& mask, common::StopToken stop);

}  // namespace history
