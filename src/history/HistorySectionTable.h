// The table of every History section's row, built once from the family
// files' registrations. A new section is one registration in its family's
// function; a new family is one function added to HistoryFamilies().
#pragma once

#include "history/HistorySectionRow.h"

#include <vector>

namespace history {

// The family files' registration functions, one per family of traces.
void RegisterInternetExplorerSections(HistorySectionRegistry& sections);  // HsFunInternetExplorer
void RegisterAutoCompleteSections(HistorySectionRegistry& sections);      // HsFunIEAutoComplite
void RegisterMozillaSections(HistorySectionRegistry& sections);           // HsFunMozilla
void RegisterWindowsSections(HistorySectionRegistry& sections);           // HsFunMyComputer
void RegisterMSOfficeSections(HistorySectionRegistry& sections);          // HsFunMSOfficeUnit
void RegisterMultimediaSections(HistorySectionRegistry& sections);        // HsFunMultimedia
void RegisterArchiverSections(HistorySectionRegistry& sections);          // HsFunArchiversUnit
void RegisterExtensionSections(HistorySectionRegistry& sections);         // HsFunExtensions

struct HistoryFamily {
    const char* name;
    void (*registerSections)(HistorySectionRegistry& sections);
};
// Every family, in the order the table is built.
const std::vector<HistoryFamily>& HistoryFamilies();

// Every family's rows in one registry; raises std::logic_error when a
// section is registered twice or not at all.
std::vector<HistorySectionRow> BuildHistorySectionTable();

// The table, built at the first call (in section-number order).
const std::vector<HistorySectionRow>& HistorySectionRows();
// The row of a section; for a number outside the tree (no node chosen) a
// row numbered -1 that lists nothing.
const HistorySectionRow& HistorySectionRowOf(int number);

}  // namespace history
