// The removals many History sections share, as the pieces of their rows:
// values of the user's recent-list keys, files of a folder or of the list,
// and Delete All wrappers of a mask-driven clear. A family file builds its
// rows from these and writes only what is its own.
#pragma once

#include "history/HistorySectionRow.h"

#include <string>
#include <vector>

namespace history {

// Delete of a row: in each key of the current user's (in order), the first
// string value whose text equals the row's caption, case ignored. Reports 0.
HistoryDeleteOne DeleteValueIn(std::vector<std::string> keys);
// The same in every direct subkey of the key: one value per subkey at most.
HistoryDeleteOne DeleteValueInSubkeysOf(std::string key);
// Delete All: in each key of the current user's, every value whose text fits
// the mask. Reports 0.
HistoryDeleteAll DeleteValuesIn(std::vector<std::string> keys);

// Delete of a row that names a file of the folder: that file, when it
// really lies inside the folder; 0, kFileOutsideFolder or the system's code.
HistoryDeleteOne DeleteRowFileIn(std::string (*folder)());
// Delete All of a folder's files fitting the mask (DeleteFilesByMask). A
// folder the shell cannot name is no folder: an empty path never reaches a
// deletion, which would take it as the current folder.
HistoryDeleteAll DeleteFilesIn(std::string (*folder)());
// Delete All of the listed files of the folder, whatever the mask is now.
HistoryDeleteAll DeleteListedFilesIn(std::string (*folder)());

// Delete All by a clear that takes the mask: its result code is reported, or
// (Quietly) 0 whatever happened, for the sections whose failures show in
// what the listing that follows still finds.
HistoryDeleteAll ClearReporting(int (*clear)(const std::string& mask));
HistoryDeleteAll ClearQuietly(int (*clear)(const std::string& mask));

// A program's plain recent list: the values of its keys of the user's,
// listed by the lister given, deleted one by one or by mask.
HistorySectionRow RecentValuesSection(const char* heading, const char* deleteAllQuestion, HistoryLister list,
                                      std::vector<std::string> keys);

}  // namespace history
