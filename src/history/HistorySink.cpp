// The row list sink.
#include "history/HistorySink.h"

namespace history {

std::vector<std::string> Captions(const std::vector<HistoryRow>& rows) {
    std::vector<std::string> captions;
    captions.reserve(rows.size());
    for (const HistoryRow& row : rows) captions.push_back(row.caption);
    return captions;
}

std::vector<std::string> THistoryRowList::Captions() const { return history::Captions(rows); }

}  // namespace history
