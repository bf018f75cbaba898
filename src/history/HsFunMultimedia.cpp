// The graphics and multimedia programs' traces and their sections' rows.
// The players' listers and removals arrive with their tool; until then
// their sections list nothing.
#include "history/HsFunMultimedia.h"

#include "history/HistoryFunctions.h"
#include "history/HistoryRemovals.h"
#include "history/HistorySectionTable.h"

#include <iterator>

namespace history {

const char* const kPaintShopProKeys[3] = {
    "Software\\Jasc\\Paint Shop Pro 5\\Recent File List",
    "Software\\Jasc\\Paint Shop Pro 7\\Recent File List",
    "Software\\Jasc\\Paint Shop Pro 8\\Recent File List",
};

void ListPaintShopPro(IHistorySink& sink, const std::string& mask, const common::StopToken& stop) {
    for (const char* key : kPaintShopProKeys) ReadRecentValues(sink, HKEY_CURRENT_USER, key, nullptr, mask, stop);
}

void RegisterMultimediaSections(HistorySectionRegistry& sections) {
    sections.RegisterPlaceholders({
        {hsMediaPlayerRecent, "Windows Media Player Play File List",
         "Do you really want to delete ALL Windows Media Player History items?"},
        {hsRealPlayerRecent, "RealPlayer Most Recent Clips", "Do you really want to delete ALL RealPlayer History items?"},
        {hsWinDvdRecent, "InterVideo WinDVD Last Open Path",
         "Do you really want to delete ALL InterVideo WinDVD History items?"},
        {hsWinAmpRecent, "WinAMP Recent Play List", "Do you really want to delete WinAMP Recent Play List?"},
    });
    // QuickTime's list is cleared only as a whole.
    sections.Register(hsQuickTime, {.heading = "QuickTime Recent File List",
                                    .deleteAllQuestion = "Do you want to delete ALL QuickTime History items?",
                                    .deleteQuestion = "You can clear only ALL QuickTime Recent File List.\r\nDo you "
                                                      "want to delete ALL QuickTime History items?",
                                    .deleteNeedsNoItem = true});
    sections.Register(hsPaintShopPro,
                      RecentValuesSection("Jasc Paint Shop Pro Recent File List",
                                          "Do you really want to delete ALL Jasc Paint Shop Pro History items?",
                                          ListPaintShopPro, {std::begin(kPaintShopProKeys), std::end(kPaintShopProKeys)}));
}

}  // namespace history
