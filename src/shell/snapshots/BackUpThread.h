// TBackUpThread: makes a backup point of chosen registry roots or restores one,
// on a thread of its own, and tells the user afterwards what it could not do.
#pragma once

#include "snapshots/RegFile.h"
#include "ui/Worker.h"

#include <array>
#include <string>
#include <vector>

namespace snapshots {

// The roots a point may hold, in the order of kBackupRootFileNames.
extern const char* const kBackupRootKeyNames[kBackupRootCount];
using BackupRootFlags = std::array<bool, kBackupRootCount>;

// What one run of the worker did.
struct BackUpOutcome {
    int mode = 0;
    std::string pointName;              // the point made or restored
    std::vector<std::string> done;      // the roots saved or restored completely
    std::vector<std::string> problems;  // one sentence each; none when the run is complete
};

// The text of the box for a run that left something undone; empty when the
// run is complete.
std::string BackUpOutcomeText(const BackUpOutcome& outcome);

}  // namespace snapshots

class TBackUpThread final : public ui::WorkerThread {
public:
    enum : int { kMakePoint = 0, kRestorePoint = 1 };

    // Copies its arguments and starts at once. backupFolder: the folder that
    // holds the points (the program folder's "Backup\"); point: the point
    // to restore, unused when making one (its name comes from the clock);
    // flags: the roots to save, unused when restoring (every root file the
    // point holds is restored). owner: the window that owns the box.
    TBackUpThread(HWND owner, int runMode, const std::string& point, const std::string& backupFolder,
                  const snapshots::BackupRootFlags& flags);

    const std::string baseFolder;
    const std::string pointName;
    const int mode;
    const snapshots::BackupRootFlags rootFlags;

    // On the window thread once Ended(): what the run did. Empty until the
    // run's result has arrived.
    const snapshots::BackUpOutcome& Outcome() const { return outcome_; }

protected:
    ~TBackUpThread() override = default;
    void Execute() override;
    // Shows the box when the run left something undone, then the handler
    // given to SetOnTerminate.
    void OnTerminate() override;

private:
    void MakePoint(snapshots::BackUpOutcome& outcome);
    void RestorePoint(snapshots::BackUpOutcome& outcome);

    snapshots::BackUpOutcome outcome_;
};
