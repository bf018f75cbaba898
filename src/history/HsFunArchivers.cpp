// The archivers' traces: the rows of their recent file lists. Their listers
// and removals arrive with their tool; until then they list nothing.
#include "history/HistorySectionTable.h"

namespace history {

void RegisterArchiverSections(HistorySectionRegistry& sections) {
    sections.Register(hsWinZipRecent, {.heading = "WinZip Recent File List",
                                       .deleteAllQuestion = "Do you really want to delete ALL WinZip History items?"});
    sections.Register(hsWinRarRecent, {.heading = "WinRAR Recent File List",
                                       .deleteAllQuestion = "Do you really want to delete ALL WinRAR History items?"});
}

}  // namespace history
