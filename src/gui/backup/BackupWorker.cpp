// BackupWorker: runs the engine's make or restore of a backup point and shows
// what it left undone.
#include "gui/backup/BackupWorker.h"

#include "platform/Dialogs.h"
#include "ui/Window.h"

#include <memory>
#include <stdexcept>

namespace gui {

using namespace backup;

BackupWorker::BackupWorker(HWND owner, int runMode, const std::string& point, const std::string& backupFolder,
                             const BackupRootFlags& flags)
    : WorkerThread(owner), baseFolder(backupFolder), pointName(point), mode(runMode), rootFlags(flags) {
    if (!Resume()) throw std::runtime_error("The backup could not be started.");
}

void BackupWorker::Execute() {
    std::unique_ptr<BackUpOutcome> outcome;
    if (mode == kMakePoint) {
        SYSTEMTIME now{};
        GetLocalTime(&now);  // the point is named after the minute it is made in
        outcome = std::make_unique<BackUpOutcome>(
            MakeBackupPoint(baseFolder, now, rootFlags, ManualBackupDescription(rootFlags), *this, StopToken()));
    } else {
        outcome = std::make_unique<BackUpOutcome>(RestoreBackupPoint(baseFolder, pointName, *this, StopToken()));
    }
    PostResult(std::move(outcome), [this](std::unique_ptr<BackUpOutcome> result) { outcome_ = std::move(*result); });
}

void BackupWorker::OnTerminate() {
    // One box per run: a complete run says briefly what it did, one with
    // something to say of the point (a partial or unchecked point) warns,
    // and one that left something undone is an error.
    const platform::dialogs::BoxKind kind = !outcome_.problems.empty() ? platform::dialogs::BoxKind::ErrorCancel
                                            : !outcome_.notices.empty() ? platform::dialogs::BoxKind::Warning
                                                                        : platform::dialogs::BoxKind::Plain;
    HWND owner = IsWindow(Owner()) ? Owner() : nullptr;
    if (outcome_.machineWideRefused && offerElevation_ && owner)
        offerElevation_(BackUpOutcomeText(outcome_), owner, kind);
    else
        platform::dialogs::ShowBox(owner, BackUpOutcomeText(outcome_), ui::kApplicationTitle, kind);
    WorkerThread::OnTerminate();
}

}  // namespace gui
