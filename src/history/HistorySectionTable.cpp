// The table of the History sections' rows.
#include "history/HistorySectionTable.h"

namespace history {

void RegisterHistoryGroups(HistorySectionRegistry& sections) {
    // Each family's sections register under these; orders leave room between.
    for (const HistoryNode& group : {
             HistoryNode{hsHistory, kTreeRoot, 10, "History", 0},
             HistoryNode{hsInternetExplorer, hsHistory, 10, "Internet Explorer", 1},
             HistoryNode{hsMozillaFirefox, hsHistory, 20, "Mozilla Firefox", 5},
             HistoryNode{hsWindows, hsHistory, 30, "Windows", 31},
             HistoryNode{hsMSOffice, hsHistory, 40, "MS Office", 48},
             HistoryNode{hsMultimedia, hsHistory, 50, "Graphics and Multimedia", 34},
             HistoryNode{hsArchivers, hsHistory, 60, "Archivers", 47},
             HistoryNode{hsExtensions, kTreeRoot, 20, "Extensions", 49},
             HistoryNode{hsExtensionsIE, hsExtensions, 10, "Internet Explorer", 1},
         })
        sections.RegisterGroup(group);
}

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
    RegisterHistoryGroups(registry);
    for (const HistoryFamily& family : HistoryFamilies()) family.registerSections(registry);
    return registry.TakeTree();
}

const std::vector<HistorySectionRow>& HistorySectionRows() {
    static const std::vector<HistorySectionRow> table = BuildHistorySectionTable();
    return table;
}

const HistorySectionRow& HistorySectionRowOf(int id) {
    static const HistorySectionRow none{};
    // The rows by id, built once: ids are small and nearly all in use.
    static const std::vector<const HistorySectionRow*> byId = [] {
        std::vector<const HistorySectionRow*> rows;
        for (const HistorySectionRow& row : HistorySectionRows()) {
            if (row.id >= static_cast<int>(rows.size())) rows.resize(row.id + 1, nullptr);
            rows[row.id] = &row;
        }
        return rows;
    }();
    if (id < 0 || id >= static_cast<int>(byId.size()) || !byId[id]) return none;
    return *byId[id];
}

}  // namespace history
