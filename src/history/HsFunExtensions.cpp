// The browser extensions: the rows of Internet Explorer's toolbars, buttons
// and other plug-ins. They take no mask, and their commands leave the mask
// controls as they are. Their listers and removals arrive with their tool
// (the toolbars' row then gets its uninstall-command lookup); until then
// they list nothing.
#include "history/HistorySectionTable.h"

namespace history {
namespace {

const std::vector<HistoryColumn> kValueAndClassId = {{"Value", 250}, {"CLSID", 0}};

}  // namespace

void RegisterExtensionSections(HistorySectionRegistry& sections) {
    sections.Register(hsDownloadedProgramFiles,
                      {.columns = kValueAndClassId,
                       .fit = ColumnFit::SecondFills,
                       .deleteAllQuestion = "Do you really want to delete ALL Downloaded Program Files?"});
    sections.Register(hsBrowserHelperObjects,
                      {.columns = kValueAndClassId,
                       .fit = ColumnFit::SecondFills,
                       .deleteAllQuestion = "Do you really want to delete ALL Browser Helper Objects?"});
    sections.Register(hsToolbars, {.heading = "Internet Explorer ToolBars",
                                   .takesMask = false,
                                   .actions = HistoryActionRule::UninstallCommand});
    sections.Register(hsButtons, {.heading = "Internet Explorer Buttons",
                                  .takesMask = false,
                                  .actions = HistoryActionRule::MaskUntouched});
    sections.Register(hsOtherPlugins, {.heading = "Internet Explorer Other Plugins",
                                       .takesMask = false,
                                       .actions = HistoryActionRule::MaskUntouched});
}

}  // namespace history
