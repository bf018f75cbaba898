// Shared operations of the history cleaner: registry value lists read and
// cleared by mask or by data, files deleted by mask or by list, and the
// helpers the browser-extension sections use.
#pragma once

#include <windows.h>

#include "common/Common.h"
#include "common/StopToken.h"
#include "formats/Masks.h"
#include "history/HistorySectionRow.h"
#include "history/HistorySink.h"

#include <optional>
#include <string>
#include <vector>

namespace history {

// Result code of DeleteListedFiles when at least one file stayed.
constexpr int kSomeFilesRemained = 5000;

// A mask compiled at its first test and reused for the rest of one
// operation: an invalid mask raises MaskError only once something is
// tested, exactly as compiling it anew for every test would, without paying
// the compilation per file of a large folder.
class LazyMask {
public:
    explicit LazyMask(std::string mask) : text_(std::move(mask)) {}
    bool Fits(const std::string& text) {
        if (!compiled_) compiled_.emplace(text_);
        return compiled_->Fits(text);
    }

private:
    std::string text_;
    std::optional<Mask> compiled_;
};

// In every operation below: a key that is absent, or cannot be opened with
// the access the operation needs, counts as missing and nothing happens; the
// names of values and subkeys are taken before anything is changed; only
// REG_SZ and REG_EXPAND_SZ values are entries: a value of another type is
// passed over, never listed, tested or deleted, and never stops the walk;
// an invalid mask raises MaskError. "skipped" names a value that is
// passed over (compared exactly, case counts); nullptr for none. Reading and
// deleting walk the values the same way.

// Reports the text of every value of root\key that fits the mask, in the
// registry's order, as a row; ends early once a stop is asked.
void ReadRecentValues(IHistorySink& sink, HKEY root, const std::string& key, const char* skipped,
                      const std::string& mask, common::StopToken stop = {});
// ReadRecentValues on every direct subkey of root\key, in order.
void ReadRecentSubkeys(IHistorySink& sink, HKEY root, const std::string& key, const char* skipped,
                       const std::string& mask, common::StopToken stop = {});

// Deletes every value of root\key whose text fits the mask.
void DeleteValuesByMask(HKEY root, const std::string& key, const std::string& mask,
                        const char* skipped);
// DeleteValuesByMask on every direct subkey of root\key.
void DeleteValuesByMaskInSubkeys(HKEY root, const std::string& key, const std::string& mask,
                                 const char* skipped);

// Deletes the first string value of root\key whose text equals text (whole,
// case ignored in the user's locale); values of other types are passed over.
// Nothing else (such as an order value) is rewritten.
void DeleteValueByData(HKEY root, const std::string& key, const std::string& text);
// DeleteValueByData in every direct subkey of root\key: one value per subkey
// at most.
void DeleteValueByDataInSubkeys(HKEY root, const std::string& key, const std::string& text);

// Writes a REG_SZ value into an existing key (a missing key is not created);
// a value of that name and another type is left as it is. A failed write
// raises platform::RegistryErrorText "Failed to set data for '<name>'".
void WriteRegString(HKEY root, const std::string& key, const std::string& valueName,
                    const std::string& data);
// Rewrites the order value of root\key (one letter per entry, each the name
// of a value) with the letters whose values remain, in their order: after a
// removal by mask the entries left keep their places. A missing order value
// is written empty; one of another type stays as it is.
void KeepOrderOfRemainingValues(HKEY root, const std::string& key, const std::string& orderName);
// Deletes the named value when the key and the value exist.
void DeleteValueByName(HKEY root, const std::string& key, const std::string& valueName);

// The removals of a folder's files delete only files that really lie inside
// the folder (platform::files::DeleteFileInFolder): a link to a file
// elsewhere is left alone and counted in leftOutside. Paths of any length.
// They tell their progress file by file and end before the next file once a
// stop is asked (stopped).
//
// Deletes every file below folder (subfolders included, hidden files too)
// whose full path fits the mask; folders stay. code: 0, or the system error
// code of the last deletion that failed (the others still go).
HistoryDeleteAllResult DeleteFilesByMask(const std::string& folder, const std::string& mask,
                                         common::IProgressSink& progress, common::StopToken stop = {});
// Deletes the file of every path of the list; code 0, or kSomeFilesRemained
// when at least one deletion failed.
HistoryDeleteAllResult DeleteListedFiles(const std::string& folder, const std::vector<std::string>& list,
                                         common::IProgressSink& progress, common::StopToken stop = {});
// Deletes one file of the folder; 0, kFileOutsideFolder (left alone), or the
// system error code (ERROR_PATH_NOT_FOUND when the folder cannot be opened).
int DeleteListedFile(const std::string& folder, const std::string& path);

// Clears the Open/Save dialogs' history: for every listed path, the values
// fitting the mask in the subkey named by the path's last three characters
// (the whole path when shorter) and in the subkey "*". With no value skipped
// the order value goes too when its text fits.
void ClearOpenSaveHistory(const std::vector<std::string>& list, const std::string& mask);

// True when the path lies in the Windows folder or the system folder by the
// mask test (folder text + "*"; a sibling whose name starts with the
// Windows folder's text counts too).
bool IsInWindowsFolders(const std::string& path);

}  // namespace history
