// The snapshot worker: a load or a repair, its progress posted to the window
// thread a few dozen times a second.
#include "shell/snapshots/SnapshotWorker.h"

namespace shell {

namespace {


}  // namespace

SnapshotWorker::SnapshotWorker(HWND owner, Job job, ProgressStep onProgress)
    : ui::WorkerThread(owner), job_(std::move(job)), onProgress_(std::move(onProgress)) {}

std::string SnapshotWorker::StageText(snapshots::SnapshotStage stage) {
    switch (stage) {
    case snapshots::SnapshotStage::Reading: return "Reading the snapshot and the run keys...";
    case snapshots::SnapshotStage::BackingUp: return "Saving the entries in a backup point...";
    case snapshots::SnapshotStage::Repairing: return "Changing the run keys...";
    }
    return {};
}

void SnapshotWorker::Execute() { job_(*this, StopToken()); }

void SnapshotWorker::SnapshotProgress(snapshots::SnapshotStage stage, int done, int total) {
    if (!throttle_.ShouldTell(static_cast<int>(stage), done, total)) return;
    PostToWindowThread([this, stage, done, total] {
        if (onProgress_) onProgress_(StageText(stage), done, total);
    });
}

}  // namespace shell
