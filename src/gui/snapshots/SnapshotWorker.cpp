// The snapshot worker: a load or a repair, its progress posted to the window
// thread a few dozen times a second.
#include "gui/snapshots/SnapshotWorker.h"

namespace gui {

namespace {


}  // namespace

SnapshotWorker::SnapshotWorker(HWND owner, Job job, ProgressStep onProgress)
    : ui::WorkerThread(owner), job_(std::move(job)), onProgress_(std::move(onProgress)) {}

void SnapshotWorker::Execute() { job_(*this, StopToken()); }

void SnapshotWorker::Progress(size_t done, size_t total, const std::string& stage) {
    if (!throttle_.ShouldTell(stage, done, total)) return;
    PostToWindowThread([this, stage, done = static_cast<int>(done), total = static_cast<int>(total)] {
        if (onProgress_) onProgress_(stage, done, total);
    });
}

}  // namespace gui
