// The Mozilla Firefox traces: the visited pages of every profile's history
// file, listed one row per host, and removed file by file.
#pragma once

#include "common/StopToken.h"
#include "history/HistorySectionRow.h"
#include "history/HistorySink.h"

#include <string>
#include <vector>

namespace history {

// The notices of the listing and the box of Delete All.
extern const char* const kMozillaHistoryDeletedText;  // a profile without its file; the listing goes on
extern const char* const kMozillaCloseBrowserText;    // a file that cannot be read; the listing goes on
extern const char* const kMozillaCannotDeleteText;

// The profiles folder: APPDATA + "\Mozilla\Firefox\Profiles\"; empty when
// APPDATA is unset.
std::string MozillaProfilesFolder();
// Every profile folder (with a trailing "\"), in the file system's order:
// the folder's entries whose attributes are exactly "directory" and whose
// names do not start with ".".
std::vector<std::string> MozillaProfileFolders();

// Reports one row per host of every profile's history file, in order:
// caption the host name (which the mask is tested on), one value the count
// text and the page type, source the profile's folder. A profile without
// the file gets the notice kMozillaHistoryDeletedText; a file that cannot be
// read or made sense of gets kMozillaCloseBrowserText (once per listing);
// either way the next profile is read. An invalid mask raises MaskError.
void ListMozillaHistory(IHistorySink& sink, const std::string& mask, common::StopToken stop = {});

// Deletes every profile's history file, each on its own. A profile without
// one has nothing to delete. clearedSources: the profiles whose file went
// (or had none), so their rows go; clearList when every file went; else
// notice kMozillaCannotDeleteText (a file that stayed), or leftOutside for a
// history file that really lies elsewhere (a link), which is left alone.
HistoryDeleteAllResult DeleteMozillaHistory();

}  // namespace history
