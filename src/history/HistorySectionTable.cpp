// The table of the History sections' rows.
#include "history/HistorySectionTable.h"

namespace history {

const std::vector<HistoryFamily>& HistoryFamilies() {
    static const std::vector<HistoryFamily> families = {
        {"Internet Explorer", RegisterInternetExplorerSections},
        {"Auto Complete", RegisterAutoCompleteSections},
        {"Mozilla", RegisterMozillaSections},
        {"Windows", RegisterWindowsSections},
        {"MS Office", RegisterMSOfficeSections},
        {"Graphics and Multimedia", RegisterMultimediaSections},
        {"Archivers", RegisterArchiverSections},
        {"Extensions", RegisterExtensionSections},
    };
    return families;
}

std::vector<HistorySectionRow> BuildHistorySectionTable() {
    HistorySectionRegistry registry;
    for (const HistoryFamily& family : HistoryFamilies()) family.registerSections(registry);
    registry.CheckComplete();
    return registry.TakeRows();
}

const std::vector<HistorySectionRow>& HistorySectionRows() {
    static const std::vector<HistorySectionRow> table = BuildHistorySectionTable();
    return table;
}

const HistorySectionRow& HistorySectionRowOf(int number) {
    static const HistorySectionRow none{};
    const std::vector<HistorySectionRow>& rows = HistorySectionRows();
    if (number < 0 || number >= static_cast<int>(rows.size())) return none;
    return rows[number];
}

}  // namespace history
