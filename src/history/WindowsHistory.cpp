// The Windows traces of the history cleaner: recent lists, folders,
// clipboard and recycle bin, and the rows of the Windows sections.
#include "history/WindowsHistory.h"

#include "common/Common.h"
#include "history/HistoryFunctions.h"
#include "history/HistoryRemovals.h"
#include "history/HistorySectionTable.h"
#include "platform/Clipboard.h"
#include "platform/Files.h"
#include "platform/RecycleBin.h"

namespace history {

const char* const kRunMruKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const char* const kFindHistoryKey = "Software\\Microsoft\\Search Assistant\\ACMru";
const char* const kOpenSaveKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
const char* const kPaintRecentKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List";
const char* const kWordPadRecentKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List";
const char* const kMruListValue = "MRUList";

namespace {

constexpr int kCsidlRecent = 8;
constexpr int kCsidlSendTo = 9;
// The most of the clipboard's text that is shown, in characters.
constexpr size_t kClipboardShownCharacters = 4095;
const char* const kSendToHiddenName = "desktop.ini";

std::string InWindowsDirectory(const std::string& name) {
    std::string folder = WindowsDirectory();
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder + name;
}

// Every file below folder (hidden ones too) whose full path fits the mask;
// files named exactly excludedName (case counts) are passed over.
void ListFilesFittingMask(IHistorySink& sink, const std::string& folder, const std::string& mask,
                          common::StopToken stop, const char* excludedName = nullptr) {
    std::vector<std::string> paths;
    ListAllFilesRecursive(folder, &paths);
    LazyMask lazyMask(mask);
    for (std::string& path : paths) {
        if (stop.StopRequested()) return;
        if (excludedName && platform::files::ExtractFileName(path) == excludedName) continue;
        if (lazyMask.Fits(path)) sink.AddCaption(std::move(path));
    }
}

// The text up to its limit'th character (UTF-8 sequences count as one). A
// cut between CR and LF drops the CR, so no line ends in half a break.
std::string ShownPart(const std::string& text, size_t limit) {
    size_t end = 0;
    for (size_t characters = 0; characters < limit && end < text.size(); ++characters)
        end += CharacterLength(text, end);
    if (end < text.size() && end > 0 && text[end - 1] == '\r' && text[end] == '\n') --end;
    return text.substr(0, end);
}

// Whole lines split at CR LF only; a lone CR or LF stays inside its line.
void AddLines(IHistorySink& sink, const std::string& text) {
    size_t start = 0;
    for (size_t breakAt; (breakAt = text.find("\r\n", start)) != std::string::npos; start = breakAt + 2)
        sink.AddCaption(text.substr(start, breakAt - start));
    sink.AddCaption(text.substr(start));
}

}  // namespace

std::string RecentDocumentsFolder() { return ShellFolderPath(kCsidlRecent); }
std::string TemporaryFolder() { return InWindowsDirectory("Temp"); }
std::string SendToFolder() { return ShellFolderPath(kCsidlSendTo); }
std::string DownloadedInstallationsFolder() { return InWindowsDirectory("Downloaded Installations"); }

void ListRecentDocuments(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    const std::string folder = RecentDocumentsFolder();
    if (!folder.empty()) ListFilesFittingMask(sink, folder, mask, stop);
}

void ListRunHistory(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ReadRecentValues(sink, HKEY_CURRENT_USER, kRunMruKey, kMruListValue, mask, stop);
}

void ListFindHistory(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ReadRecentSubkeys(sink, HKEY_CURRENT_USER, kFindHistoryKey, nullptr, mask, stop);
}

void ListOpenSaveHistory(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ReadRecentSubkeys(sink, HKEY_CURRENT_USER, kOpenSaveKey, kMruListValue, mask, stop);
}

void ListTemporaryFolder(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ListFilesFittingMask(sink, TemporaryFolder(), mask, stop);
}

void ListPaintRecent(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ReadRecentValues(sink, HKEY_CURRENT_USER, kPaintRecentKey, nullptr, mask, stop);
}

void ListWordPadRecent(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ReadRecentValues(sink, HKEY_CURRENT_USER, kWordPadRecentKey, nullptr, mask, stop);
}

void ListSendTo(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    const std::string folder = SendToFolder();
    if (!folder.empty()) ListFilesFittingMask(sink, folder, mask, stop, kSendToHiddenName);
}

void ListDownloadedInstallations(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    ListFilesFittingMask(sink, DownloadedInstallationsFolder(), mask, stop);
}

bool ClipboardHoldsText() {
    // Asked on every refresh of the clipboard section: a clipboard offering
    // no text is answered without opening it (another program may hold it).
    return platform::clipboard::HasText() && !platform::clipboard::ReadText().empty();
}

void ListClipboard(IHistorySink& sink) {
    const std::string text = platform::clipboard::ReadText();
    if (text.empty() || !platform::clipboard::HasText()) return;
    sink.AddCaption("Clipboard contains some text.");
    sink.AddCaption("Content:");
    AddLines(sink, ShownPart(text, kClipboardShownCharacters));
}

void ListRecycleBin(IHistorySink& sink) {
    sink.AddCaption("You can't view the Recycle Bin content, but nevertheless CAN CLEAR it!");
}

void EmptyClipboardNow() { platform::clipboard::Empty(); }

void EmptyRecycleBin() { platform::recycle_bin::EmptyAllDrives(); }

// ---- the sections' rows ------------------------------------------------------

namespace {

int ClearRunHistory(const std::vector<HistoryRow>&, const std::string& mask) {
    DeleteValuesByMask(HKEY_CURRENT_USER, kRunMruKey, mask, kMruListValue);
    KeepOrderOfRemainingValues(HKEY_CURRENT_USER, kRunMruKey, kMruListValue);
    return 0;
}

int ClearFindHistory(const std::vector<HistoryRow>&, const std::string& mask) {
    DeleteValuesByMaskInSubkeys(HKEY_CURRENT_USER, kFindHistoryKey, mask, nullptr);
    return 0;
}

void ListClipboardOrEmptyLine(IHistorySink& sink, const std::string&, common::StopToken) {
    if (ClipboardHoldsText())
        ListClipboard(sink);
    else
        sink.AddCaption(kClipboardEmptyLine);
}

}  // namespace

void RegisterWindowsSections(HistorySectionRegistry& sections) {
    sections.Register({hsRecentDocuments, hsWindows, 10, "Recent Document List", 17},
                      {.heading = "Recent Documents",
                       .deleteAllQuestion = "Do you really want to clear ALL Recent Documents?",
                       .list = ListRecentDocuments,
                       .deleteOne = DeleteRowFileIn(RecentDocumentsFolder),
                       .deleteAll = DeleteFilesIn(RecentDocumentsFolder),
                       .rowsNameFiles = true});
    sections.Register({hsRunHistory, hsWindows, 20, "Run History", 18},
                      {.heading = "Run History",
                       .deleteAllQuestion = "Do you really want to delete ALL Run History items?",
                       .list = ListRunHistory,
                       .deleteOne = DeleteValueIn({kRunMruKey}),
                       .deleteAll = AtOnce(ClearRunHistory)});
    sections.Register({hsFindHistory, hsWindows, 30, "Find History", 16},
                      {.heading = "Find History",
                       .deleteAllQuestion = "Do you really want to delete ALL Find History items?",
                       .list = ListFindHistory,
                       .deleteOne = DeleteValueInSubkeysOf(kFindHistoryKey),
                       .deleteAll = AtOnce(ClearFindHistory)});
    sections.Register({hsOpenSaveHistory, hsWindows, 40, "Windows Open/Save History", 22},
                      {.heading = "Common Open/Save Dialogs Recent File List",
                       .deleteAllQuestion = "Do you really want to delete ALL Open/Save History items?",
                       .list = ListOpenSaveHistory,
                       .deleteOne = DeleteValueInSubkeysOf(kOpenSaveKey),
                       .deleteAll = AtOnce([](const std::vector<HistoryRow>& listed, const std::string& mask) {
                           ClearOpenSaveHistory(Captions(listed), mask);
                           return 0;
                       })});
    sections.Register({hsClipboard, hsWindows, 50, "Windows Clipboard", 24},
                      {.heading = "Windows Clipboard",
                       .takesMask = false,
                       .actions = HistoryActionRule::WholeContent,
                       .deleteQuestion = "Do you really want to clear Clipboard?",
                       .deleteNeedsNoItem = true,
                       .list = ListClipboardOrEmptyLine,
                       .deleteOne =
                           [](const HistoryRow&) {
                               EmptyClipboardNow();
                               return 0;
                           },
                       .contentPresent = ClipboardHoldsText});
    sections.Register({hsRecycleBin, hsWindows, 60, "Windows Recycle Bin", 25},
                      {.heading = "Recycle Bin",
                       .takesMask = false,
                       .deleteAllQuestion = "Do you really want to clear Recycle Bin?",
                       .deleteQuestion = "Do you really want to clear Recycle Bin?",
                       .deleteNeedsNoItem = true,
                       .list = [](IHistorySink& sink, const std::string&,
                                  common::StopToken) { ListRecycleBin(sink); },
                       .deleteOne =
                           [](const HistoryRow&) {
                               EmptyRecycleBin();
                               return 0;
                           },
                       .deleteAll = AtOnce([](const std::vector<HistoryRow>&, const std::string&) {
                           EmptyRecycleBin();
                           return 0;
                       })});
    sections.Register({hsTemporaryFolder, hsWindows, 70, "Temporary Files Directory", 21},
                      {.heading = "Windows Temporary Folder Content",
                       .deleteAllQuestion = "Do you really want to clear ALL temporary files?",
                       .list = ListTemporaryFolder,
                       .deleteOne = DeleteRowFileIn(TemporaryFolder),
                       .deleteAll = DeleteFilesIn(TemporaryFolder),
                       .rowsNameFiles = true});
    sections.Register({hsPaintRecent, hsWindows, 80, "Windows Paint Recent File List", 20},
                      RecentValuesSection("Microsoft Paint Recent File List",
                                          "Do you really want to delete ALL Windows Paint History items?",
                                          ListPaintRecent, {kPaintRecentKey}));
    sections.Register({hsWordPadRecent, hsWindows, 90, "Windows Word Pad Recent File List", 19},
                      RecentValuesSection("Microsoft WordPad Recent File List",
                                          "Do you really want to delete ALL Windows WordPad History items?",
                                          ListWordPadRecent, {kWordPadRecentKey}));
    // Delete All walks the files listed, whatever the mask is now.
    sections.Register({hsSendTo, hsWindows, 100, "Send-to Extensions", 0},
                      {.heading = "Windows Send-To Extensions",
                       .deleteAllQuestion = "Do you really want to delete ALL Send-To Extensions?",
                       .list = ListSendTo,
                       .deleteOne = DeleteRowFileIn(SendToFolder),
                       .deleteAll = DeleteListedFilesIn(SendToFolder),
                       .rowsNameFiles = true});
    sections.Register({hsDownloadedInstallations, hsWindows, 110, "Download Installation Folder", 33},
                      {.heading = "Downloaded Installation Files",
                       .deleteAllQuestion = "Do you really want to delete ALL Downloaded Installation Files?",
                       .list = ListDownloadedInstallations,
                       .deleteOne = DeleteRowFileIn(DownloadedInstallationsFolder),
                       .deleteAll = DeleteFilesIn(DownloadedInstallationsFolder),
                       .rowsNameFiles = true});
}

}  // namespace history
