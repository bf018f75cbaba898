// Internet Explorer's auto-complete traces kept in Protected Storage: the
// rows of the form entries, the remembered passwords and the store's types.
// Their listers and removals arrive with their tool; until then they list
// nothing.
#include "history/HistorySectionTable.h"

namespace history {
namespace {

const std::vector<HistoryColumn> kIdAndValue = {{"ID", 150}, {"Value", 0}};

}  // namespace

void RegisterAutoCompleteSections(HistorySectionRegistry& sections) {
    sections.Register(hsAutoCompleteForms,
                      {.columns = kIdAndValue,
                       .fit = ColumnFit::SecondFills,
                       .deleteAllQuestion = "Do you really want to clear ALL auto complete forms?"});
    sections.Register(hsAutoCompletePasswords,
                      {.columns = kIdAndValue,
                       .fit = ColumnFit::SecondFills,
                       .deleteAllQuestion = "Do you really want to clear ALL auto complete passwords?"});
    sections.Register(hsIndexDat, {.heading = "Internet Explorer Index.dat File",
                                   .takesMask = false,
                                   .deleteAllQuestion = "Do you really want to clear index.dat?"});
}

}  // namespace history
