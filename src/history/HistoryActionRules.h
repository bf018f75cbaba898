// The History page's action rules: which commands and whether the mask
// controls are enabled, from what the list holds and the section's rule.
#pragma once

namespace history {

enum class MaskControlsRule { Enabled, Disabled, Unchanged };

// What the rules look at. contentPresent: for a section whose Delete clears
// the whole source, the source holds something; uninstallCommandFound: an
// uninstall command is known for the selected row.
struct HistoryListFacts {
    int section = -1;  // -1: no node selected
    int itemCount = 0;
    bool itemSelected = false;
    bool contentPresent = false;
    bool uninstallCommandFound = false;
};

struct HistoryActionStates {
    bool deleteEnabled = false;
    bool deleteAllEnabled = false;
    bool updateEnabled = false;
    bool reportEnabled = false;
    MaskControlsRule maskControls = MaskControlsRule::Unchanged;
    bool operator==(const HistoryActionStates&) const = default;
};

// The states for the section's row (HistorySectionRowOf) and its rule.
HistoryActionStates HistoryActionRules(const HistoryListFacts& facts);

}  // namespace history
