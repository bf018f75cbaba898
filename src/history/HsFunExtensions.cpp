// The browser extensions: the rows of Internet Explorer's toolbars, buttons
// and other plug-ins. They take no mask, and their commands leave the mask
// controls as they are. Their listers and removals arrive with their tool
// (the toolbars' row then gets its uninstall-command lookup); until then
// they list nothing.
#include "history/HistorySectionTable.h"

namespace history {

void RegisterExtensionSections(HistorySectionRegistry& sections) {
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
