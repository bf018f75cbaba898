// The Windows traces of the history cleaner: recent lists, folders,
// clipboard and recycle bin.
#include "history/HsFunMyComputer.h"

#include "common/Common.h"
#include "history/HistoryFunctions.h"
#include "platform/Clipboard.h"
#include "platform/Files.h"
#include "platform/RecycleBin.h"

const char* const kRunMruKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const char* const kFindHistoryKey = "Software\\Microsoft\\Search Assistant\\ACMru";
const char* const kOpenSaveKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
const char* const kPaintRecentKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List";
const char* const kWordPadRecentKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List";
const char* const kPaintShopProKeys[3] = {
    "Software\\Jasc\\Paint Shop Pro 5\\Recent File List",
    "Software\\Jasc\\Paint Shop Pro 7\\Recent File List",
    "Software\\Jasc\\Paint Shop Pro 8\\Recent File List",
};
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
void ListFilesFittingMask(std::vector<std::string>& list, const std::string& folder, const std::string& mask,
                          const char* excludedName = nullptr) {
    std::vector<std::string> paths;
    ListAllFilesRecursive(folder, &paths);
    TLazyMask lazyMask(mask);
    for (std::string& path : paths) {
        if (excludedName && platform::files::ExtractFileName(path) == excludedName) continue;
        if (lazyMask.Fits(path)) list.push_back(std::move(path));
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
void AppendLines(std::vector<std::string>& list, const std::string& text) {
    size_t start = 0;
    for (size_t breakAt; (breakAt = text.find("\r\n", start)) != std::string::npos; start = breakAt + 2)
        list.push_back(text.substr(start, breakAt - start));
    list.push_back(text.substr(start));
}

}  // namespace

std::string RecentDocumentsFolder() { return ShellFolderPath(kCsidlRecent); }
std::string TemporaryFolder() { return InWindowsDirectory("Temp"); }
std::string SendToFolder() { return ShellFolderPath(kCsidlSendTo); }
std::string DownloadedInstallationsFolder() { return InWindowsDirectory("Downloaded Installations"); }

void ListRecentDocuments(std::vector<std::string>& list, const std::string& mask) {
    const std::string folder = RecentDocumentsFolder();
    if (!folder.empty()) ListFilesFittingMask(list, folder, mask);
}

void ListRunHistory(std::vector<std::string>& list, const std::string& mask) {
    ReadRecentValues(list, HKEY_CURRENT_USER, kRunMruKey, kMruListValue, mask);
}

void ListFindHistory(std::vector<std::string>& list, const std::string& mask) {
    ReadRecentSubkeys(list, HKEY_CURRENT_USER, kFindHistoryKey, nullptr, mask);
}

void ListOpenSaveHistory(std::vector<std::string>& list, const std::string& mask) {
    ReadRecentSubkeys(list, HKEY_CURRENT_USER, kOpenSaveKey, kMruListValue, mask);
}

void ListTemporaryFolder(std::vector<std::string>& list, const std::string& mask) {
    ListFilesFittingMask(list, TemporaryFolder(), mask);
}

void ListPaintRecent(std::vector<std::string>& list, const std::string& mask) {
    ReadRecentValues(list, HKEY_CURRENT_USER, kPaintRecentKey, nullptr, mask);
}

void ListWordPadRecent(std::vector<std::string>& list, const std::string& mask) {
    ReadRecentValues(list, HKEY_CURRENT_USER, kWordPadRecentKey, nullptr, mask);
}

void ListSendTo(std::vector<std::string>& list, const std::string& mask) {
    const std::string folder = SendToFolder();
    if (!folder.empty()) ListFilesFittingMask(list, folder, mask, kSendToHiddenName);
}

void ListDownloadedInstallations(std::vector<std::string>& list, const std::string& mask) {
    ListFilesFittingMask(list, DownloadedInstallationsFolder(), mask);
}

void ListPaintShopPro(std::vector<std::string>& list, const std::string& mask) {
    for (const char* key : kPaintShopProKeys) ReadRecentValues(list, HKEY_CURRENT_USER, key, nullptr, mask);
}

bool ClipboardHoldsText() {
    // Asked on every refresh of the clipboard section: a clipboard offering
    // no text is answered without opening it (another program may hold it).
    return platform::clipboard::HasText() && !platform::clipboard::ReadText().empty();
}

void ListClipboard(std::vector<std::string>& list) {
    const std::string text = platform::clipboard::ReadText();
    if (text.empty() || !platform::clipboard::HasText()) return;
    list.push_back("Clipboard contains some text.");
    list.push_back("Content:");
    AppendLines(list, ShownPart(text, kClipboardShownCharacters));
}

void ListRecycleBin(std::vector<std::string>& list) {
    list.push_back("You can't view the Recycle Bin content, but nevertheless CAN CLEAR it!");
}

void EmptyClipboardNow() { platform::clipboard::Empty(); }

void EmptyRecycleBin() { platform::recycle_bin::EmptyAllDrives(); }
