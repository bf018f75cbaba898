// The History page's action rules.
#include "history/HistoryActionRules.h"

#include "history/HistorySectionTable.h"

namespace history {

HistoryActionStates HistoryActionRules(const HistoryListFacts& facts) {
    HistoryActionStates states;
    const bool hasItems = facts.itemCount > 0;
    states.reportEnabled = hasItems;
    const HistorySectionRow& row = HistorySectionRowOf(facts.section);
    if (row.id < 0 || row.group) {
        // Nothing to list or delete: no node, or a group node.
        states.maskControls = row.id < 0 ? MaskControlsRule::Unchanged : MaskControlsRule::Disabled;
        return states;
    }
    states.updateEnabled = true;
    switch (row.actions) {
        case HistoryActionRule::DeleteAllOnly:
            states.deleteAllEnabled = hasItems;
            states.maskControls = MaskControlsRule::Enabled;
            break;
        case HistoryActionRule::WholeContent:
            states.deleteEnabled = facts.contentPresent;
            states.maskControls = MaskControlsRule::Disabled;
            break;
        case HistoryActionRule::UninstallCommand:
            states.deleteEnabled = facts.itemSelected && facts.uninstallCommandFound;
            states.maskControls = MaskControlsRule::Unchanged;
            break;
        case HistoryActionRule::MaskUntouched:
            states.deleteEnabled = facts.itemSelected;
            states.deleteAllEnabled = hasItems;
            states.maskControls = MaskControlsRule::Unchanged;
            break;
        case HistoryActionRule::Default:
            states.deleteEnabled = facts.itemSelected;
            states.deleteAllEnabled = hasItems;
            states.maskControls = MaskControlsRule::Enabled;
            break;
    }
    return states;
}

}  // namespace history
