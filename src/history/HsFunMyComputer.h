// The Windows traces of the history cleaner: the shell's recent lists
// (Run, Find, Open/Save), Paint, WordPad and Paint Shop Pro lists, the
// Recent Documents, temporary, Send-To and downloaded-installation folders,
// the clipboard and the recycle bin. Listers only append to the list.
#pragma once

#include <string>
#include <vector>

// Keys under HKEY_CURRENT_USER that the listers read and the delete commands clear.
extern const char* const kRunMruKey;         // Run History (order value "MRUList")
extern const char* const kFindHistoryKey;    // Find History (one subkey per kind)
extern const char* const kOpenSaveKey;       // Open/Save dialogs (one subkey per extension)
extern const char* const kPaintRecentKey;
extern const char* const kWordPadRecentKey;
extern const char* const kPaintShopProKeys[3];  // versions 5, 7 and 8, in that order
// The order value of the shell's lists.
extern const char* const kMruListValue;

// Folders of the folder sections; the special folders empty when the shell
// has none.
std::string RecentDocumentsFolder();
std::string TemporaryFolder();
std::string SendToFolder();
std::string DownloadedInstallationsFolder();

// Listers. Each appends the traces whose whole text fits the mask (an
// invalid mask raises EMaskException); registry errors propagate.
void ListRecentDocuments(std::vector<std::string>& list, const std::string& mask);
void ListRunHistory(std::vector<std::string>& list, const std::string& mask);
void ListFindHistory(std::vector<std::string>& list, const std::string& mask);
void ListOpenSaveHistory(std::vector<std::string>& list, const std::string& mask);
void ListTemporaryFolder(std::vector<std::string>& list, const std::string& mask);
void ListPaintRecent(std::vector<std::string>& list, const std::string& mask);
void ListWordPadRecent(std::vector<std::string>& list, const std::string& mask);
// Every file of the Send-To folder but those named exactly "desktop.ini".
void ListSendTo(std::vector<std::string>& list, const std::string& mask);
void ListDownloadedInstallations(std::vector<std::string>& list, const std::string& mask);
void ListPaintShopPro(std::vector<std::string>& list, const std::string& mask);

// True when the clipboard holds a non-empty CF_TEXT text.
bool ClipboardHoldsText();
// "Clipboard contains some text.", "Content:", then the first 4095
// characters of the text split into whole lines at CR LF (blank lines kept
// for the page's blank-item pass). Appends nothing when there is no text.
void ListClipboard(std::vector<std::string>& list);
// The one fixed line: the bin's content cannot be shown, only cleared.
void ListRecycleBin(std::vector<std::string>& list);

// Empties the clipboard (every format).
void EmptyClipboardNow();
// Empties the recycle bin of every drive without asking, progress or sound
// (SHEmptyRecycleBinA, flags 7); its outcome is not examined, and a shell
// without the call does nothing.
void EmptyRecycleBin();
