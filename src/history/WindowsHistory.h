// The Windows traces of the history cleaner: the shell's recent lists
// (Run, Find, Open/Save), Paint and WordPad lists, the Recent Documents,
// temporary, Send-To and downloaded-installation folders, the clipboard and
// the recycle bin; and the rows of the Windows sections
// (RegisterWindowsSections). Listers only report to their sink.
#pragma once

#include "common/StopToken.h"
#include "history/HistorySink.h"

#include <string>
#include <vector>

namespace history {

// Keys under HKEY_CURRENT_USER that the listers read and the delete commands clear.
extern const char* const kRunMruKey;         // Run History (order value "MRUList")
extern const char* const kFindHistoryKey;    // Find History (one subkey per kind)
extern const char* const kOpenSaveKey;       // Open/Save dialogs (one subkey per extension)
extern const char* const kPaintRecentKey;
extern const char* const kWordPadRecentKey;
// The order value of the shell's lists.
extern const char* const kMruListValue;

// The line the clipboard section shows when the clipboard holds no text.
constexpr const char* kClipboardEmptyLine = "Clipboard Empty";

// Folders of the folder sections; the special folders empty when the shell
// has none.
std::string RecentDocumentsFolder();
std::string TemporaryFolder();
std::string SendToFolder();
std::string DownloadedInstallationsFolder();

// Listers. Each reports the traces whose whole text fits the mask (an
// invalid mask raises MaskError) and ends early once a stop is asked;
// registry errors propagate.
void ListRecentDocuments(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
void ListRunHistory(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
void ListFindHistory(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
void ListOpenSaveHistory(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
void ListTemporaryFolder(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
void ListPaintRecent(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
void ListWordPadRecent(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
// Every file of the Send-To folder but those named exactly "desktop.ini".
void ListSendTo(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});
void ListDownloadedInstallations(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});

// True when the clipboard holds a non-empty CF_TEXT text.
bool ClipboardHoldsText();
// "Clipboard contains some text.", "Content:", then the first 4095
// characters of the text split into whole lines at CR LF (blank lines kept
// for the page's blank-item pass). Reports nothing when there is no text.
void ListClipboard(IHistorySink& sink);
// The one fixed line: the bin's content cannot be shown, only cleared.
void ListRecycleBin(IHistorySink& sink);

// Empties the clipboard (every format).
void EmptyClipboardNow();
// Empties the recycle bin of every drive without asking, progress or sound
// (SHEmptyRecycleBinA, flags 7); its outcome is not examined, and a shell
// without the call does nothing.
void EmptyRecycleBin();

}  // namespace history
