// Writes what a registry change is about to delete into a backup point, merged
// into the point's root files and read back before the caller may go on.
#pragma once

#include "snapshots/RegFile.h"

#include <windows.h>

#include <string>
#include <vector>

namespace snapshots {

// The roots a point may hold, in the order of kBackupRootFileNames.
extern const char* const kBackupRootKeyNames[kBackupRootCount];

// One thing a change will delete: a key with all its subkeys and values, or a
// single value of a key (valueName "" is the key's default value).
struct BackupItem {
    std::string rootName;  // "HKEY_CURRENT_USER", ...
    std::string keyPath;   // below the root, never empty
    bool wholeKey = false;
    std::string valueName;  // only when !wholeKey
};

// Saves the items into the point named after now inside backupFolder (the
// program folder's "Backup\"), one root file per root touched, merged into
// what the point holds already, and checks that the files read back hold
// every item with its data. True only then, with pointFolder set (trailing
// separator); false with a reason for the user, and the caller must delete
// nothing.
bool BackUpBeforeDelete(const std::string& backupFolder, const SYSTEMTIME& now, const std::vector<BackupItem>& items,
                        std::string& pointFolder, std::string& error);

// The merge, write and check for one root file of a point (rootIndex into
// kBackupRootFileNames), with the point's lock held throughout so that two
// writers in one point take turns; usable for a whole root's export too.
// False with a reason (without the point's name) when any step fails.
bool MergeIntoRootFile(const std::string& pointFolder, size_t rootIndex, const std::vector<RegKeyData>& keys,
                       std::string& error);

// Whether every key of expected is in saved, each value of it present with the
// same type and bytes (keys and value names compared as the registry does,
// ignoring case). False with the first thing missing or different in problem.
bool BackupHolds(const std::vector<RegKeyData>& saved, const std::vector<RegKeyData>& expected, std::string& problem);

// expected merged into saved: new keys are added, values of the same name
// replaced, everything else of saved kept.
void MergeBackupKeys(std::vector<RegKeyData>& saved, const std::vector<RegKeyData>& expected);

}  // namespace snapshots
