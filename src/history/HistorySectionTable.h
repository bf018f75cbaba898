// The table of every History section's row, built once from the groups and
// the family files' registrations and arranged as the tree. A new section is
// one registration in its family's function, with the next free id; a new
// family is one function added to HistoryFamilies().
#pragma once

#include "history/HistorySectionRow.h"

#include <vector>

namespace history {

// The tree's groups: the nodes that list nothing (HistorySectionTable.cpp).
void RegisterHistoryGroups(HistorySectionRegistry& sections);

// The family files' registration functions, one per family of traces.
void RegisterInternetExplorerSections(HistorySectionRegistry& sections);  // InternetExplorerHistory
void RegisterAutoCompleteSections(HistorySectionRegistry& sections);      // AutoCompleteHistory
void RegisterMozillaSections(HistorySectionRegistry& sections);           // FirefoxHistory
void RegisterWindowsSections(HistorySectionRegistry& sections);           // WindowsHistory
void RegisterMSOfficeSections(HistorySectionRegistry& sections);          // OfficeRecentLists
void RegisterMultimediaSections(HistorySectionRegistry& sections);        // PlayerHistory
void RegisterArchiverSections(HistorySectionRegistry& sections);          // ArchiverHistory
void RegisterExtensionSections(HistorySectionRegistry& sections);         // ExtensionHistory

struct HistoryFamily {
    const char* name;
    void (*registerSections)(HistorySectionRegistry& sections);
};
// Every family, in the order the table is built.
const std::vector<HistoryFamily>& HistoryFamilies();

// The groups' and every family's rows in one registry, in tree order;
// raises std::logic_error when an id is registered twice or the nodes make
// no tree (HistorySectionRegistry::TakeTree).
std::vector<HistorySectionRow> BuildHistorySectionTable();

// The table, built at the first call (in tree order).
const std::vector<HistorySectionRow>& HistorySectionRows();
// The row of a section's id; for an id not in the tree (no node chosen) a
// row of id -1 that lists nothing.
const HistorySectionRow& HistorySectionRowOf(int id);

}  // namespace history
