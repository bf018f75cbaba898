// The Mozilla Firefox traces: the row of its visited pages. The section's
// lister and removals arrive with its tool; until then it lists nothing.
#include "history/HistorySectionTable.h"

namespace history {
namespace {

// The fixed width of the visited pages' second column.
constexpr int kPageTypeColumnWidth = 115;

}  // namespace

void RegisterMozillaSections(HistorySectionRegistry& sections) {
    sections.Register(hsMozillaVisitedPages,
                      {.heading = "Mozilla Visited Pages",
                       .columns = {{"Mozilla Visited Pages", 0}, {"Count, Page Type", kPageTypeColumnWidth}},
                       .actions = HistoryActionRule::DeleteAllOnly});
}

}  // namespace history
