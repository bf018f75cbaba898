// The three repairs a comparison offers: the whole snapshot put back, the
// entries gone since re-created, the entries new since deleted. Each works on
// the rows the user saw compared, row by row; what it deletes or overwrites
// is saved in one backup point first, and nothing changes when that fails.
#pragma once

#include "snapshots/SnapshotCompare.h"

#include <windows.h>

#include <string>
#include <vector>

namespace snapshots {

struct RepairFailure {
    CompareRegistryRow row;
    std::string reason;  // a sentence for the user
    bool notWritable = false;  // the key refused the change (for want of rights, as a rule)
};

struct RepairResult {
    bool backupFailed = false;  // the backup point could not be written or checked: nothing was changed
    std::string error;          // why, when backupFailed
    std::string pointFolder;    // the point holding what was deleted or overwritten ("" when nothing was)
    std::vector<CompareRegistryRow> done;  // rows carried out, in the order handled
    std::vector<RepairFailure> failed;     // rows left as they were, with why
    int switchedOffLeft = 0;  // Delete Created: new entries of switched-off keys, left by design
    std::vector<std::string> filesLeft;  // Restore All: the Startup files that stay different, by name
    bool stopped = false;  // asked to stop: the rows not reached were left as they were
    int total = 0;         // the rows the repair set out to change
    int reached = 0;       // of those, the rows handled (done or failed) before the end or the stop
};

// Makes the run keys hold the snapshot: an entry the snapshot has as it is
// stays untouched; one holding another text is rewritten in its own type
// (an expandable string stays expandable); a present entry the snapshot has
// not (in that key, under that name) is deleted; a missing one is written,
// its key created when needed. A value changed since it was read is left.
// Startup files that differ are left and named: a snapshot keeps no contents.
// Every repair tells progress per row and honours a stop between rows: a
// stop asked before the backup point is made changes nothing; one asked
// later ends after the row in hand.
RepairResult RestoreAll(const CompareRows& snapshot, const CompareRows& present, const std::string& backupFolder,
                        const SYSTEMTIME& now, common::IProgressSink& progress = common::NoProgressSink(),
                        common::StopToken stop = {});

// Writes back every snapshot entry the comparison reports gone, into the
// key it was in (a switched-off one stays switched off); a value that
// appeared there since is left.
RepairResult CreateDeleted(const CompareRows& snapshot, const CompareRows& present,
                           common::IProgressSink& progress = common::NoProgressSink(), common::StopToken stop = {});

// Deletes every active present entry the comparison reports new (the
// switched-off keys' new entries are left: they start nothing), each only
// while it still holds what was read.
RepairResult DeleteCreated(const CompareRows& snapshot, const CompareRows& present, const std::string& backupFolder,
                           const SYSTEMTIME& now, common::IProgressSink& progress = common::NoProgressSink(),
                           common::StopToken stop = {});

// The lines the report gets for the rows a repair left: one per row, one
// for the switched-off entries Delete Created leaves, one per Startup file
// Restore All leaves; after a stop, how far it got and the rows it did.
std::vector<std::string> RepairFailureLines(const RepairResult& result);

// Whether a key of a root other than HKEY_CURRENT_USER refused a change:
// what a restart as administrator could carry out.
bool MachineWideRefused(const RepairResult& result);

// The line that names the point saved first ("" when none was made).
std::string RepairPointLine(const RepairResult& result);

// The report line of a Restore All that put everything back.
extern const char* const kRestoredText;

}  // namespace snapshots
