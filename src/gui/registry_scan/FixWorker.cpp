// The registry fix's worker: the engine's fix, its progress posted to the
// window thread a few dozen times a second.
#include "gui/registry_scan/FixWorker.h"

namespace gui {

namespace {


}  // namespace

FixWorker::FixWorker(HWND owner, std::vector<registry_scan::FixRecord> records,
                                       std::string backupFolder, ProgressStep onProgress)
    : ui::WorkerThread(owner),
      records_(std::move(records)),
      backupFolder_(std::move(backupFolder)),
      onProgress_(std::move(onProgress)) {}

void FixWorker::Execute() {
    registry_scan::FixRecordsInto(records_, backupFolder_, *this, StopToken(), report_);
}

void FixWorker::Progress(size_t done, size_t total, const std::string& stage) {
    if (!throttle_.ShouldTell(stage, done, total)) return;
    PostToWindowThread([this, stage, done = static_cast<int>(done), total = static_cast<int>(total)] {
        if (onProgress_) onProgress_(stage, done, total);
    });
}

}  // namespace gui
