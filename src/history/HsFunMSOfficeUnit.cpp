// The MS Office traces: the rows of the applications' recent file lists.
// Their listers and removals arrive with their tool; until then they list
// nothing.
#include "history/HistorySectionTable.h"

namespace history {

void RegisterMSOfficeSections(HistorySectionRegistry& sections) {
    sections.Register(hsMSWordRecent,
                      {.heading = "Microsoft Word Recent File List",
                       .deleteAllQuestion = "Do you really want to delete ALL MS Word History items?"});
    sections.Register(hsMSExcelRecent,
                      {.heading = "Microsoft Excel Recent File List",
                       .deleteAllQuestion = "Do you really want to delete ALL MS Excel History items?"});
    sections.Register(hsMSAccessRecent,
                      {.heading = "Microsoft Access Recent File List",
                       .deleteAllQuestion = "Do you really want to delete ALL MS Access History items?"});
    sections.Register(hsMSPowerPointRecent,
                      {.heading = "Microsoft PowerPoint Recent File List",
                       .deleteAllQuestion = "Do you really want to delete ALL MS Power Point History items?"});
    sections.Register(hsMSFrontPageRecent,
                      {.heading = "Microsoft FrontPage Recent File List",
                       .deleteAllQuestion = "Do you really want to delete ALL MS FrontPage History items?"});
    sections.Register(hsMSPublisherRecent,
                      {.heading = "Microsoft Publisher Recent File List",
                       .deleteAllQuestion = "Do you really want to delete ALL MS Publisher History items?"});
}

}  // namespace history
