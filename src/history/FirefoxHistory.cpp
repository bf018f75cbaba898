// The Mozilla Firefox traces: the visited pages of every profile's history
// file, and the section's row.
#include "history/FirefoxHistory.h"

#include "formats/MozillaHistoryFile.h"
#include "history/HistoryFunctions.h"
#include "history/HistorySectionTable.h"
#include "platform/Files.h"
#include "platform/Processes.h"

namespace history {

const char* const kMozillaHistoryDeletedText = "History cannot be show now. history file has deleted.";
const char* const kMozillaCloseBrowserText = "History cannot be show now. close Mozilla and try again.";
const char* const kMozillaCannotDeleteText = "File cannot be delete now. close Mozilla and try again.";

namespace {

const char* const kHistoryFileName = "history.dat";

// The fixed width of the visited pages' second column.
constexpr int kPageTypeColumnWidth = 115;

// Reads and groups one profile's file; false when it cannot be read or
// made sense of (the browser holds it, a read fails, the text is not a
// history file, or it does not fit in memory).
bool ReadHistoryFile(const std::string& path, MozillaHostGroups& hosts) {
    // A file far larger than any history is not read into memory at all.
    unsigned long long size = 0;
    if (platform::files::FileSize(path, size) && size > kMaxMozillaHistoryBytes) return false;
    try {
        std::string text;
        if (!platform::files::ReadFileBytes(path, text)) return false;
        hosts = ParseMozillaHistory(text);
        return true;
    } catch (const MozillaHistoryError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

}  // namespace

std::string MozillaProfilesFolder() {
    const std::string appData = platform::processes::EnvironmentVariable("APPDATA");
    return appData.empty() ? std::string() : appData + "\\Mozilla\\Firefox\\Profiles\\";
}

std::vector<std::string> MozillaProfileFolders() {
    std::vector<std::string> folders;
    const std::string profiles = MozillaProfilesFolder();
    if (profiles.empty()) return folders;
    platform::files::FindEntriesAnyLength(profiles + "*", [&](const platform::files::FindEntry& entry) {
        if (entry.attributes == FILE_ATTRIBUTE_DIRECTORY && !entry.name.empty() && entry.name[0] != '.')
            folders.push_back(profiles + entry.name + "\\");
    });
    return folders;
}

void ListMozillaHistory(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    LazyMask lazyMask(mask);
    bool unreadableTold = false;
    // Each profile on its own: a file the browser holds, or one that is no
    // history file, keeps none of the other profiles from being listed.
    for (const std::string& folder : MozillaProfileFolders()) {
        if (stop.StopRequested()) return;
        const std::string path = folder + kHistoryFileName;
        if (!platform::files::FileExistsAnyLength(path)) {
            sink.Notice(kMozillaHistoryDeletedText);
            continue;
        }
        MozillaHostGroups hosts;
        if (!ReadHistoryFile(path, hosts)) {
            if (!unreadableTold) sink.Notice(kMozillaCloseBrowserText);
            unreadableTold = true;
            continue;
        }
        for (MozillaHostName& host : hosts) {
            if (stop.StopRequested()) return;
            if (host.hostKey.empty() || !lazyMask.Fits(host.hostName)) continue;
            sink.Add(HistoryRow{std::move(host.hostName), {MozillaCountText(host.count) + host.pageType}, folder});
        }
    }
}

HistoryDeleteAllResult DeleteMozillaHistory() {
    HistoryDeleteAllResult result;
    bool failed = false;
    for (const std::string& folder : MozillaProfileFolders()) {
        const std::string path = folder + kHistoryFileName;
        // A profile the browser has not written a history to yet, or whose
        // history went before, has nothing to delete: that is no failure.
        if (!platform::files::FileExistsAnyLength(path)) {
            result.clearedSources.push_back(folder);
            continue;
        }
        // A profile folder that cannot be opened is a failure to delete, not
        // a file found elsewhere.
        const std::wstring folderFinalPath = platform::files::FolderFinalPath(folder);
        if (folderFinalPath.empty()) {
            failed = true;
            continue;
        }
        DWORD error = 0;
        switch (platform::files::DeleteFileInFolder(path, folderFinalPath, error)) {
            case platform::files::FolderFileDelete::Deleted:
                result.clearedSources.push_back(folder);
                break;
            case platform::files::FolderFileDelete::Outside:
                ++result.leftOutside;
                break;
            case platform::files::FolderFileDelete::Failed:
                failed = true;
                break;
        }
    }
    if (failed)
        result.notice = kMozillaCannotDeleteText;
    else
        result.clearList = result.leftOutside == 0;
    return result;
}

void RegisterMozillaSections(HistorySectionRegistry& sections) {
    sections.Register({hsMozillaVisitedPages, hsMozillaFirefox, 10, "Visited Pages", 29},
                      {.heading = "Mozilla Visited Pages",
                       .columns = {{"Mozilla Visited Pages", 0}, {"Count, Page Type", kPageTypeColumnWidth}},
                       .actions = HistoryActionRule::DeleteAllOnly,
                       .list = ListMozillaHistory,
                       // A history file of many megabytes takes a while to read.
                       .listsOnWorker = true,
                       // Whole files go: no question, no mask, and the list is
                       // cleared rather than read again.
                       .deleteAll = [](const std::vector<HistoryRow>&, const std::string&, common::IProgressSink&,
                                       common::StopToken) { return DeleteMozillaHistory(); },
                       .deleteAllUsesMask = false,
                       .relistAfterDeleteAll = false,
                       .wholeCount = CountingRows(ListMozillaHistory, "*")});
}

}  // namespace history
