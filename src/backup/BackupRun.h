// Backup points of whole registry roots: made from the roots the user ticks,
// or a point's root files written back into the registry. Each run returns
// what it saved or restored and, root by root, what it could not and why.
#pragma once

#include "backup/BackupPoint.h"
#include "common/ProgressSink.h"
#include "common/StopToken.h"

#include <windows.h>

#include <array>
#include <string>
#include <vector>

namespace backup {

// The roots to save, in the order of kBackupRootKeyNames.
using BackupRootFlags = std::array<bool, kBackupRootCount>;

enum BackUpMode : int { kMakeBackupPoint = 0, kRestoreBackupPoint = 1 };

// What one run did.
struct BackUpOutcome {
    int mode = kMakeBackupPoint;
    std::string pointName;              // the point made or restored
    std::vector<std::string> done;      // the roots saved or restored completely
    std::vector<std::string> problems;  // one sentence each, naming its root; none when the run is complete
    // What the user should know of the point even when the run did all it
    // could: a restored point that is partial or could not be checked.
    std::vector<std::string> notices;
    // A restore wrote some keys of a root other than HKEY_CURRENT_USER only
    // in part: the refusal an administrator would not meet.
    bool machineWideRefused = false;
};

// The text for the user of a run: for a complete one a line naming the point
// and how many roots it saved or restored (with its notices after it), for
// one that left something undone every problem and what was complete.
// A run that names no point (refused before it began) has only its problems
// to tell.
std::string BackUpOutcomeText(const BackUpOutcome& outcome);

// Whether any root is ticked: a point of none would be an empty folder.
bool AnyRootTicked(const BackupRootFlags& roots);
// What the user is told when a backup point is asked for with no root ticked.
extern const char* const kNoRootTickedText;

// Makes the point named after now inside backupFolder (the program folder's
// "Backup\") and merges every ticked root into its root file, what the
// point holds already staying. A value the point holds with other data is
// never replaced: the run then goes, whole, into the next point of the
// minute (SuffixedPointName), and the outcome names the point it ended in.
// With no root ticked nothing is made: the outcome names no point and its
// one problem is kNoRootTickedText. A key that cannot be read is left out
// and named; a root that cannot be saved costs that root only. Stops
// between roots when asked. description (ManualBackupDescription) joins
// the descriptions of the point's manifest. Progress: done of the ticked
// roots, what the root in hand. The outcome keeps its notices: they are told
// with it.
BackUpOutcome MakeBackupPoint(const std::string& backupFolder, const SYSTEMTIME& now, const BackupRootFlags& roots,
                              const std::string& description = "",
                              common::IProgressSink& progress = common::NoProgressSink(), common::StopToken stop = {});

// What a backup of the ticked roots made by the user is called in its
// point: "BackUp: HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER".
std::string ManualBackupDescription(const BackupRootFlags& roots);

// Writes every root file the point pointName of backupFolder holds back into
// the registry, key by key: a key that cannot be written, or that belongs to
// another root than its file's, is passed over and named. Stops between
// roots when asked; progress: done of the point's roots, what the root in hand.
// The point's manifest is checked first: a root file that is not listed, or
// whose size, SHA-256 or counts of keys and values differ from it, is
// refused and named, and nothing of it is written; a manifest that cannot be
// read refuses the whole point. A point without a manifest (made by hand or
// by an earlier version) is restored unchecked, with a notice saying so:
// the caller asks the user first (InspectBackupPoint). A partial point
// restores what it holds, with a notice naming what it lacks.
// It first takes the point's lock (waiting for a writer of the point) and
// finishes or undoes a write of it that was cut off (FinishInterruptedWrite).
// Then, while it runs, the backup folder holds a marker naming the point,
// removed on every way out, so that a restore ended by force is found at
// the next start (FindUnfinishedRestore); when the marker cannot be
// written nothing is restored.
BackUpOutcome RestoreBackupPoint(const std::string& backupFolder, const std::string& pointName,
                                 common::IProgressSink& progress = common::NoProgressSink(),
                                 common::StopToken stop = {});

// What a restore would find of a point, for the question the window asks
// before it.
struct BackupPointCheck {
    bool exists = false;  // the point's folder is there
    ManifestState manifest = ManifestState::kMissing;
    bool partial = false;  // its manifest names keys it lacks
};
BackupPointCheck InspectBackupPoint(const std::string& backupFolder, const std::string& pointName);

// The roots whose files the point holds, in the order of kBackupRootKeyNames:
// what a restore of it would write over.
std::vector<std::string> BackupPointRoots(const std::string& backupFolder, const std::string& pointName);

// The question asked before a restore: the point, its roots, and that it
// writes over the registry.
std::string RestoreQuestionText(const std::string& pointName, const std::vector<std::string>& roots);

// The marker of a restore under way, in the backup folder.
extern const char* const kRestoreMarkerFileName;

// Whether a restore started and never ended (the program was ended by force
// or the machine stopped): true when the backup folder holds the marker,
// with the point's name it records ("" when it cannot be read).
bool FindUnfinishedRestore(const std::string& backupFolder, std::string& pointName);
// Removes the marker, once the user has been told.
bool ForgetUnfinishedRestore(const std::string& backupFolder);

// What made the point, as its manifest says ("Fix: 31 items"); "" for a
// point without a manifest or a description.
std::string BackupPointDescription(const std::string& backupFolder, const std::string& pointName);

// The point folders inside backupFolder, in the order the system lists them
// (the later points of a minute, "NAME (2)", among them); none when the
// folder is missing.
std::vector<std::string> ListBackupPoints(const std::string& backupFolder);

}  // namespace backup
