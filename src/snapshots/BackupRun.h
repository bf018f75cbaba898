// Backup points of whole registry roots: made from the roots the user ticks,
// or a point's root files written back into the registry. Each run returns
// what it saved or restored and, root by root, what it could not and why.
#pragma once

#include "common/StopToken.h"
#include "snapshots/BackupPoint.h"

#include <windows.h>

#include <array>
#include <string>
#include <vector>

namespace snapshots {

// The roots to save, in the order of kBackupRootKeyNames.
using BackupRootFlags = std::array<bool, kBackupRootCount>;

enum BackUpMode : int { kMakeBackupPoint = 0, kRestoreBackupPoint = 1 };

// What one run did.
struct BackUpOutcome {
    int mode = kMakeBackupPoint;
    std::string pointName;              // the point made or restored
    std::vector<std::string> done;      // the roots saved or restored completely
    std::vector<std::string> problems;  // one sentence each, naming its root; none when the run is complete
};

// The text for the user of a run that left something undone; empty when the
// run is complete.
std::string BackUpOutcomeText(const BackUpOutcome& outcome);

// Makes the point named after now inside backupFolder (the program folder's
// "Backup\") and merges every ticked root into its root file, what the
// point holds already staying. A key that cannot be read is left out and
// named; a root that cannot be saved costs that root only. Stops between
// roots when asked.
BackUpOutcome MakeBackupPoint(const std::string& backupFolder, const SYSTEMTIME& now, const BackupRootFlags& roots,
                              const common::StopToken& stop = {});

// Writes every root file the point pointName of backupFolder holds back into
// the registry, key by key: a key that cannot be written, or that belongs to
// another root than its file's, is passed over and named. Stops between
// roots when asked.
BackUpOutcome RestoreBackupPoint(const std::string& backupFolder, const std::string& pointName,
                                 const common::StopToken& stop = {});

// The point folders inside backupFolder, in the order the system lists them;
// none when the folder is missing.
std::vector<std::string> ListBackupPoints(const std::string& backupFolder);

}  // namespace snapshots
