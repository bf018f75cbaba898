// The removals many History sections share.
#include "history/HistoryRemovals.h"

#include "history/HistoryFunctions.h"

#include <utility>

namespace history {

HistoryDeleteOne DeleteValueIn(std::vector<std::string> keys) {
    return [keys = std::move(keys)](const HistoryRow& item) {
        for (const std::string& key : keys) DeleteValueByData(HKEY_CURRENT_USER, key, item.caption);
        return 0;
    };
}

HistoryDeleteOne DeleteValueInSubkeysOf(std::string key) {
    return [key = std::move(key)](const HistoryRow& item) {
        DeleteValueByDataInSubkeys(HKEY_CURRENT_USER, key, item.caption);
        return 0;
    };
}

HistoryDeleteAll DeleteValuesIn(std::vector<std::string> keys) {
    return AtOnce([keys = std::move(keys)](const std::vector<HistoryRow>&, const std::string& mask) {
        for (const std::string& key : keys) DeleteValuesByMask(HKEY_CURRENT_USER, key, mask, nullptr);
        return 0;
    });
}

HistoryDeleteOne DeleteRowFileIn(std::string (*folder)()) {
    return [folder](const HistoryRow& item) { return DeleteListedFile(folder(), item.caption); };
}

HistoryDeleteAll DeleteFilesIn(std::string (*folder)()) {
    return [folder](const std::vector<HistoryRow>&, const std::string& mask, common::IProgressSink& progress,
                    common::StopToken stop) {
        const std::string path = folder();
        return path.empty() ? HistoryDeleteAllResult{} : DeleteFilesByMask(path, mask, progress, stop);
    };
}

HistoryDeleteAll DeleteListedFilesIn(std::string (*folder)()) {
    return [folder](const std::vector<HistoryRow>& listed, const std::string&, common::IProgressSink& progress,
                    common::StopToken stop) {
        return DeleteListedFiles(folder(), Captions(listed), progress, stop);
    };
}

HistoryDeleteAll ClearReporting(int (*clear)(const std::string& mask)) {
    return AtOnce([clear](const std::vector<HistoryRow>&, const std::string& mask) { return clear(mask); });
}

HistoryDeleteAll ClearQuietly(int (*clear)(const std::string& mask)) {
    return AtOnce([clear](const std::vector<HistoryRow>&, const std::string& mask) {
        clear(mask);
        return 0;
    });
}

HistorySectionRow RecentValuesSection(const char* heading, const char* deleteAllQuestion, HistoryLister list,
                                      std::vector<std::string> keys) {
    return {.heading = heading,
            .deleteAllQuestion = deleteAllQuestion,
            .list = std::move(list),
            .deleteOne = DeleteValueIn(keys),
            .deleteAll = DeleteValuesIn(keys),
            .rowsNameFiles = true};
}

}  // namespace history
