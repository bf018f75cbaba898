// The MS Office traces: the rows of the applications' recent file lists.
// Their listers and removals arrive with their tool; until then they list
// nothing.
#include "history/HistorySectionTable.h"

namespace history {

void RegisterMSOfficeSections(HistorySectionRegistry& sections) {
    sections.RegisterPlaceholders({
        {hsMSWordRecent, "Microsoft Word Recent File List", "Do you really want to delete ALL MS Word History items?"},
        {hsMSExcelRecent, "Microsoft Excel Recent File List",
         "Do you really want to delete ALL MS Excel History items?"},
        {hsMSAccessRecent, "Microsoft Access Recent File List",
         "Do you really want to delete ALL MS Access History items?"},
        {hsMSPowerPointRecent, "Microsoft PowerPoint Recent File List",
         "Do you really want to delete ALL MS Power Point History items?"},
        {hsMSFrontPageRecent, "Microsoft FrontPage Recent File List",
         "Do you really want to delete ALL MS FrontPage History items?"},
        {hsMSPublisherRecent, "Microsoft Publisher Recent File List",
         "Do you really want to delete ALL MS Publisher History items?"},
    });
}

}  // namespace history
