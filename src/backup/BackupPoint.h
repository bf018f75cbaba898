// Writes what a registry change is about to delete into a backup point, merged
// into the point's root files and read back before the caller may go on.
#pragma once

#include "formats/PointManifest.h"
#include "formats/RegFile.h"

#include "platform/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace backup {

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

// A minute's points: the first is named after the minute alone, later ones
// (made when a value would otherwise be replaced) get " (2)", " (3)" ...
std::string SuffixedPointName(const std::string& minuteName, int copy);
// How many points one minute may have; a write that finds them all holding
// other data of its values fails.
constexpr int kMaxPointsPerMinute = 99;

// Saves the items into the point named after now inside backupFolder (the
// program folder's "Backup\"), one root file per root touched, merged into
// what the point holds already, and checks that the files read back hold
// every item with its data. A value the point holds already with other data
// is never replaced: then the items go, all together, into the first point
// of the minute (SuffixedPointName) that takes them without replacing one.
// description (what made the point, "StartUp Delete: Tool") joins the
// descriptions of the point's manifest. True only when saved, with
// pointFolder set (trailing separator); false with a reason for the user,
// and the caller must delete nothing.
bool BackUpBeforeDelete(const std::string& backupFolder, const SYSTEMTIME& now, const std::vector<BackupItem>& items,
                        std::string& pointFolder, std::string& error, const std::string& description = "");

enum class MergeResult {
    kWritten,
    kFailed,
    kWouldReplace,  // the point holds one of the values with other data: nothing was written
};

// The merge, write and check for one root file of a point (rootIndex into
// kBackupRootFileNames), with the point's lock held throughout so that two
// writers in one point take turns; usable for a whole root's export too.
// The point's manifest then lists the file as written (its size, SHA-256
// and counts), leftOut beside the keys it already names, and description
// beside its own; a point that holds root files but no manifest (made by
// hand or by an earlier version) gets none, since its other files cannot be
// vouched for. An interrupted write is finished or undone first
// (FinishInterruptedWrite). An existing root file that does not match the
// manifest, or a manifest that cannot be read, is left as it is and the
// merge fails. kFailed with a reason (without the point's name) when any
// step fails.
MergeResult MergeIntoRootFile(const std::string& pointFolder, size_t rootIndex, const std::vector<RegKeyData>& keys,
                              std::string& error, const std::vector<LeftOutKey>& leftOut = {},
                              const std::string& description = "");

// Adds keys (or whole roots) that could not be saved to the point's
// manifest, which marks the point partial, with description beside its
// own; under the point's lock. Does nothing for a point that holds root
// files but no manifest. False with a reason when the manifest cannot be
// read or written.
bool RecordLeftOut(const std::string& pointFolder, const std::vector<LeftOutKey>& leftOut, std::string& error,
                   const std::string& description = "");

// With the point's lock held: what a writer ended by force left in the
// point. A "manifest.txt.new" whose every file is in the point with its
// size and SHA-256 describes a root file already put in place, and takes
// the manifest's place; every other ".new" file goes.
void FinishInterruptedWrite(const std::string& pointFolder);

// Takes the lock of the point in pointFolder, on which its writers and a
// restore take turns, waiting for a holder up to a minute. Invalid (with the
// system's reason as last error) when it cannot be had.
platform::FileHandle LockBackupPoint(const std::string& pointFolder);

// What a point's folder says about its manifest.
enum class ManifestState { kMissing, kRead, kDamaged };

// Reads the manifest of the point in pointFolder. kDamaged with the reason
// in error when it is there but cannot be read or parsed.
ManifestState LoadPointManifest(const std::string& pointFolder, PointManifest& manifest, std::string& error);

// Whether bytes (a root file as read) are what entry describes: its size
// and SHA-256. False with what differs in problem.
bool MatchesManifest(const ManifestFile& entry, const std::string& bytes, std::string& problem);
// Whether keys (the file as read) hold as many keys and values as entry says.
bool CountsMatchManifest(const ManifestFile& entry, const std::vector<RegKeyData>& keys, std::string& problem);

// Whether every key of expected is in saved, each value of it present with the
// same type and bytes (keys and value names compared as the registry does,
// ignoring case). False with the first thing missing or different in problem.
bool BackupHolds(const std::vector<RegKeyData>& saved, const std::vector<RegKeyData>& expected, std::string& problem);

// expected merged into saved: new keys are added, values of the same name
// replaced, everything else of saved kept.
void MergeBackupKeys(std::vector<RegKeyData>& saved, const std::vector<RegKeyData>& expected);

// Writes the bytes beside path (path + ".new", flushed) and puts them in
// its place in one step: a crash leaves the old file or the new one, never
// half of one. False with the system's reason and the file in error.
bool WriteFileAside(const std::string& path, const std::string& bytes, std::string& error);

}  // namespace backup
