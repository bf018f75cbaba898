// BackupWorker: makes a backup point of chosen registry roots or restores one,
// on a thread of its own, and tells the user afterwards what it did.
// The work itself is the engine's (backup/BackupRun).
#pragma once

#include "backup/BackupRun.h"
#include "gui/ElevationOffer.h"
#include "ui/Worker.h"

#include <string>

namespace gui {

class BackupWorker final : public ui::WorkerThread, private common::IProgressSink {
public:
    enum : int { kMakePoint = backup::kMakeBackupPoint, kRestorePoint = backup::kRestoreBackupPoint };

    // Copies its arguments and starts at once. backupFolder: the folder that
    // holds the points (the program folder's "Backup\"); point: the point
    // to restore, unused when making one (its name comes from the clock);
    // flags: the roots to save, unused when restoring (every root file the
    // point holds is restored). owner: the window that owns the box.
    BackupWorker(HWND owner, int runMode, const std::string& point, const std::string& backupFolder,
                  const backup::BackupRootFlags& flags);

    const std::string baseFolder;
    const std::string pointName;
    const int mode;
    const backup::BackupRootFlags rootFlags;

    // On the window thread once Ended(): what the run did. Empty until the
    // run's result has arrived.
    const backup::BackUpOutcome& Outcome() const { return outcome_; }
    // A restore refused by a machine-wide key then tells its outcome through
    // the offer to restart as administrator.
    void SetElevationOffer(ElevationOffer offer) { offerElevation_ = std::move(offer); }

protected:
    ~BackupWorker() override = default;
    void Execute() override;
    // Shows what the run did in one box (an error when it left something
    // undone, a warning when it has something to say of the point, else a
    // plain line), then the handler given to SetOnTerminate.
    void OnTerminate() override;

private:
    // common::IProgressSink, on the worker: the run's window shows no
    // progress, only the outcome at the end; a notice waits for the user.
    void Progress(size_t, size_t, const std::string&) override {}
    void Notice(const std::string& text) override { ShowNoticeAndWait(text); }

    backup::BackUpOutcome outcome_;
    ElevationOffer offerElevation_;
};

}  // namespace gui
