// The row list sink.
#include "history/HistorySink.h"

namespace history {

std::vector<std::string> Captions(const std::vector<HistoryRow>& rows) {
    std::vector<std::string> captions;
    captions.reserve(rows.size());
    for (const HistoryRow& row : rows) captions.push_back(row.caption);
    return captions;
}

std::vector<std::string> HistoryRowList::Captions() const { return history::Captions(rows); }

namespace {

// Passes everything on and counts the rows.
class CountingForward final : public IHistorySink {
public:
    explicit CountingForward(IHistorySink& target) : target_(target) {}
    void Add(HistoryRow&& row) override {
        ++count;
        target_.Add(std::move(row));
    }
    void Notice(const std::string& text) override { target_.Notice(text); }
    void Progress(size_t done, size_t total, const std::string& what) override { target_.Progress(done, total, what); }

    size_t count = 0;

private:
    IHistorySink& target_;
};

}  // namespace

void RunLister(const HistoryLister& list, IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    CountingForward counted(sink);
    list(counted, mask, stop);
    if (!stop.StopRequested()) sink.Progress(counted.count, counted.count, "");
}

}  // namespace history
