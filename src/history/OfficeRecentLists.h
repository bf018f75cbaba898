// The MS Office traces: Word's and Excel's recent files through their
// automation servers, Access's, PowerPoint's and Publisher's numbered lists
// under the Office version key, FrontPage's plain value list, and the rows
// of the MS Office sections (RegisterMSOfficeSections).
#pragma once

#include "common/StopToken.h"
#include "history/HistorySectionRow.h"
#include "history/HistorySink.h"

#include <string>

namespace history {

// ---- Word and Excel ----------------------------------------------------------
//
// Every operation starts the program's automation server for itself and
// tells it to quit when it ends, on every path once the server was made: a
// server that cannot be made lists and removes nothing, without a word; an
// automation error ends the operation there, quietly, and what was listed
// before it stays. The calls go by name: Application.RecentFiles, its Count
// and Item(i) (1-based), an entry's Path and Name, Delete, Quit.

struct OfficeAutomationProgram {
    const char* progId;
    // Word: an entry's text is its Path, "\" when the path does not end in
    // one, and its Name; Excel: its Name alone.
    bool pathAndName;
};
extern const OfficeAutomationProgram kWordProgram;   // "Word.Application"
extern const OfficeAutomationProgram kExcelProgram;  // "Excel.Application"

// Reports the text of every entry that fits the mask, first to last; ends
// early once a stop is asked. An invalid mask raises MaskError.
void ListOfficeRecentFiles(const OfficeAutomationProgram& program, IHistorySink& sink, const std::string& mask,
                           common::StopToken stop = {});
// Removes the first entry whose text equals the caption (case ignored) and
// looks no further.
void DeleteOfficeRecentFile(const OfficeAutomationProgram& program, const std::string& caption);
// Removes every entry whose text fits the mask, from the last to the first,
// so a removal never renumbers an entry still to be looked at; tells its
// progress entry by entry and ends before the next entry once a stop is
// asked. Its code is always 0: what stayed shows in the next listing.
HistoryDeleteAllResult DeleteOfficeRecentFiles(const OfficeAutomationProgram& program, const std::string& mask,
                                               common::IProgressSink& progress, common::StopToken stop = {});

// ---- Access, PowerPoint and Publisher ------------------------------------------
//
// Their lists lie under a version subkey of the user's
// "Software\Microsoft\Office": the first version in the registry's order
// that has the application's subkey is the one, whether or not its list key
// opens; no such version, no list. The entries are the values prefix + 1 to
// prefix + 9 only (prefix + 10 and above are never read); a value that is
// missing or not a string is no entry (never listed, never removed), and a
// removal leaves its number empty (nothing is renumbered).

struct OfficeNumberedList {
    const char* application;  // the subkey that marks the version: "Access"
    const char* listKey;      // below the version: "Access\Settings"
    const char* valuePrefix;  // "MRU" or "File"
};
extern const OfficeNumberedList kAccessList;      // "Access\Settings", "MRU"1-9
extern const OfficeNumberedList kPowerPointList;  // "PowerPoint\Recent File List", "File"1-9
extern const OfficeNumberedList kPublisherList;   // "Publisher\Recent File List", "File"1-9

extern const char* const kOfficeKey;  // "Software\Microsoft\Office", the user's

// The list's key under the user's root by the version rule; "" when no
// version has the application.
std::string OfficeListKey(const OfficeNumberedList& list);
// Reports the entries that fit the mask, by number.
void ListOfficeNumberedList(const OfficeNumberedList& list, IHistorySink& sink, const std::string& mask,
                            common::StopToken stop = {});
// Deletes every entry whose text equals the caption (case ignored).
void DeleteOfficeNumberedEntry(const OfficeNumberedList& list, const std::string& caption);
// Deletes every entry whose text fits the mask.
void DeleteOfficeNumberedEntries(const OfficeNumberedList& list, const std::string& mask);

// ---- FrontPage -----------------------------------------------------------------

// The user's FrontPage recent page list: every string value of the key.
extern const char* const kFrontPageRecentKey;
void ListFrontPageRecent(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});

}  // namespace history
