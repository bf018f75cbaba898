// The per-section table of listers and removals of the History page.
#include "history/HistoryOperations.h"

#include "history/HistoryCatalogue.h"
#include "history/HistoryFunctions.h"
#include "history/HsFunInternetExplorer.h"
#include "history/HsFunMyComputer.h"

#include <array>

namespace {

using LineLister = void (*)(std::vector<std::string>& list, const std::string& mask);

void AppendAsRows(std::vector<HistoryRow>& rows, std::vector<std::string>&& lines) {
    for (std::string& line : lines) rows.push_back({std::move(line), {}});
}

// A lister of plain lines as a lister of rows.
HistoryLister Lines(LineLister lister) {
    return [lister](std::vector<HistoryRow>& rows, const std::string& mask) {
        std::vector<std::string> lines;
        lister(lines, mask);
        AppendAsRows(rows, std::move(lines));
    };
}

// The same for a lister that takes no mask.
HistoryLister LinesWithoutMask(void (*lister)(std::vector<std::string>& list)) {
    return [lister](std::vector<HistoryRow>& rows, const std::string&) {
        std::vector<std::string> lines;
        lister(lines);
        AppendAsRows(rows, std::move(lines));
    };
}

std::vector<std::string> Captions(const std::vector<HistoryRow>& rows) {
    std::vector<std::string> captions;
    captions.reserve(rows.size());
    for (const HistoryRow& row : rows) captions.push_back(row.caption);
    return captions;
}

// A folder the shell cannot name is no folder: an empty path must never
// reach a deletion, which would take it as the current folder.
int DeleteFolderFilesByMask(const std::string& folder, const std::string& mask) {
    return folder.empty() ? 0 : DeleteFilesByMask(folder, mask);
}

HistoryDeleteOne DeleteOneFile() {
    return [](const HistoryRow& item) { return DeleteListedFile(item.caption); };
}

HistoryDeleteOne DeleteValueIn(const char* key) {
    return [key](const HistoryRow& item) {
        DeleteValueByData(HKEY_CURRENT_USER, key, item.caption);
        return 0;
    };
}

HistoryDeleteOne DeleteValueInSubkeysOf(const char* key) {
    return [key](const HistoryRow& item) {
        DeleteValueByDataInSubkeys(HKEY_CURRENT_USER, key, item.caption);
        return 0;
    };
}

HistoryDeleteAll DeleteValuesIn(const char* key) {
    return [key](const std::vector<HistoryRow>&, const std::string& mask) {
        DeleteValuesByMask(HKEY_CURRENT_USER, key, mask, nullptr);
        return 0;
    };
}

HistoryDeleteAll DeleteFilesIn(std::string (*folder)()) {
    return [folder](const std::vector<HistoryRow>&, const std::string& mask) {
        return DeleteFolderFilesByMask(folder(), mask);
    };
}

// A row's cache entries are found by what the row shows (rebuilding the name
// as prefix + "one blank" + text would miss real cookies, stored without it).
HistoryDeleteOne DeleteCacheEntry(TIETraceKind kind) {
    return [kind](const HistoryRow& item) { return DeleteListedCacheEntry(kind, item.caption); };
}

HistoryDeleteAll ClearCache(int (*deleteAll)(const std::string&)) {
    return [deleteAll](const std::vector<HistoryRow>&, const std::string& mask) { return deleteAll(mask); };
}

// For the sections whose Delete All reports nothing: their failures show
// in what the re-listing still finds.
HistoryDeleteAll ClearQuietly(int (*deleteAll)(const std::string&)) {
    return [deleteAll](const std::vector<HistoryRow>&, const std::string& mask) {
        deleteAll(mask);
        return 0;
    };
}



HistorySectionOperations Listed(HistoryLister list, HistoryDeleteOne deleteOne, HistoryDeleteAll deleteAll) {
    HistorySectionOperations operations;
    operations.list = std::move(list);
    operations.deleteOne = std::move(deleteOne);
    operations.deleteAll = std::move(deleteAll);
    return operations;
}

// Sections not named here belong to tools still to come: they stay empty.
std::array<HistorySectionOperations, kHistorySectionCount> BuildTable() {
    std::array<HistorySectionOperations, kHistorySectionCount> table{};

    // Internet Explorer: the cache and the typed URLs are read by the scan thread.
    table[hsIEVisitedPages].scanFlags = kScanVisitedPages;
    table[hsIEVisitedPages].deleteOne = DeleteCacheEntry(TIETraceKind::VisitedPages);
    table[hsIEVisitedPages].deleteAll = ClearCache(DeleteAllVisitedPages);
    table[hsIETypedUrls].scanFlags = kScanTypedUrls;
    table[hsIETypedUrls].deleteOne = [](const HistoryRow& item) {
        DeleteTypedUrl(item.caption);
        return 0;
    };
    table[hsIETypedUrls].deleteAll = ClearQuietly(DeleteAllTypedUrls);
    table[hsIETemporaryFiles].scanFlags = kScanTemporaryFiles;
    table[hsIETemporaryFiles].deleteOne = DeleteCacheEntry(TIETraceKind::TemporaryFiles);
    table[hsIETemporaryFiles].deleteAll = ClearQuietly(DeleteAllTemporaryFiles);
    table[hsIECookies].scanFlags = kScanCookies;
    table[hsIECookies].deleteOne = DeleteCacheEntry(TIETraceKind::Cookies);
    table[hsIECookies].deleteAll = ClearQuietly(DeleteAllCookies);

    // Windows recent lists and folders.
    table[hsRecentDocuments] =
        Listed(Lines(ListRecentDocuments), DeleteOneFile(), DeleteFilesIn(RecentDocumentsFolder));
    table[hsRunHistory] = Listed(Lines(ListRunHistory), DeleteValueIn(kRunMruKey),
                                 [](const std::vector<HistoryRow>&, const std::string& mask) {
                                     DeleteValuesByMask(HKEY_CURRENT_USER, kRunMruKey, mask, kMruListValue);
                                     WriteRegString(HKEY_CURRENT_USER, kRunMruKey, kMruListValue, "");
                                     return 0;
                                 });
    table[hsFindHistory] = Listed(Lines(ListFindHistory), DeleteValueInSubkeysOf(kFindHistoryKey),
                                  [](const std::vector<HistoryRow>&, const std::string& mask) {
                                      DeleteValuesByMaskInSubkeys(HKEY_CURRENT_USER, kFindHistoryKey, mask, nullptr);
                                      return 0;
                                  });
    table[hsOpenSaveHistory] = Listed(Lines(ListOpenSaveHistory), DeleteValueInSubkeysOf(kOpenSaveKey),
                                      [](const std::vector<HistoryRow>& listed, const std::string& mask) {
                                          ClearOpenSaveHistory(Captions(listed), mask);
                                          return 0;
                                      });
    table[hsClipboard].list = [](std::vector<HistoryRow>& rows, const std::string&) {
        if (!ClipboardHoldsText()) {
            rows.push_back({kClipboardEmptyLine, {}});
            return;
        }
        std::vector<std::string> lines;
        ListClipboard(lines);
        AppendAsRows(rows, std::move(lines));
    };
    table[hsClipboard].deleteOne = [](const HistoryRow&) {
        EmptyClipboardNow();
        return 0;
    };
    table[hsRecycleBin].list = LinesWithoutMask(ListRecycleBin);
    table[hsRecycleBin].deleteOne = [](const HistoryRow&) {
        EmptyRecycleBin();
        return 0;
    };
    table[hsRecycleBin].deleteAll = [](const std::vector<HistoryRow>&, const std::string&) {
        EmptyRecycleBin();
        return 0;
    };
    table[hsTemporaryFolder] = Listed(Lines(ListTemporaryFolder), DeleteOneFile(), DeleteFilesIn(TemporaryFolder));
    table[hsPaintRecent] =
        Listed(Lines(ListPaintRecent), DeleteValueIn(kPaintRecentKey), DeleteValuesIn(kPaintRecentKey));
    table[hsWordPadRecent] =
        Listed(Lines(ListWordPadRecent), DeleteValueIn(kWordPadRecentKey), DeleteValuesIn(kWordPadRecentKey));
    table[hsSendTo] = Listed(
        Lines(ListSendTo), DeleteOneFile(),
        [](const std::vector<HistoryRow>& listed, const std::string&) { return DeleteListedFiles(Captions(listed)); });
    table[hsDownloadedInstallations] =
        Listed(Lines(ListDownloadedInstallations), DeleteOneFile(), DeleteFilesIn(DownloadedInstallationsFolder));

    // Application lists.
    table[hsPaintShopPro].list = Lines(ListPaintShopPro);
    table[hsPaintShopPro].deleteOne = [](const HistoryRow& item) {
        for (const char* key : kPaintShopProKeys) DeleteValueByData(HKEY_CURRENT_USER, key, item.caption);
        return 0;
    };
    table[hsPaintShopPro].deleteAll = [](const std::vector<HistoryRow>&, const std::string& mask) {
        for (const char* key : kPaintShopProKeys) DeleteValuesByMask(HKEY_CURRENT_USER, key, mask, nullptr);
        return 0;
    };
    return table;
}

}  // namespace

const HistorySectionOperations& HistoryOperationsOf(int section) {
    static const std::array<HistorySectionOperations, kHistorySectionCount> table = BuildTable();
    static const HistorySectionOperations none{};
    if (section < 0 || section >= kHistorySectionCount) return none;
    return table[section];
}
