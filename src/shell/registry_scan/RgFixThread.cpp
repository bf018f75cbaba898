// The registry fix's worker: the engine's fix, its progress posted to the
// window thread a few dozen times a second.
#include "shell/registry_scan/RgFixThread.h"

namespace shell {

namespace {


}  // namespace

TRegistryFixThread::TRegistryFixThread(HWND owner, std::vector<registry_scan::FixRecord> records,
                                       std::string backupFolder, ProgressStep onProgress)
    : ui::WorkerThread(owner),
      records_(std::move(records)),
      backupFolder_(std::move(backupFolder)),
      onProgress_(std::move(onProgress)) {}

std::string TRegistryFixThread::StageText(registry_scan::FixStage stage) {
    switch (stage) {
    case registry_scan::FixStage::Checking: return "Looking at the marked errors again...";
    case registry_scan::FixStage::BackingUp: return "Saving the registry items in a backup point...";
    case registry_scan::FixStage::Deleting: return "Deleting the registry items...";
    }
    return {};
}

void TRegistryFixThread::Execute() {
    registry_scan::FixRecordsInto(records_, backupFolder_, *this, StopToken(), report_);
}

void TRegistryFixThread::FixProgress(registry_scan::FixStage stage, int done, int total) {
    if (!throttle_.ShouldTell(static_cast<int>(stage), done, total)) return;
    PostToWindowThread([this, stage, done, total] {
        if (onProgress_) onProgress_(StageText(stage), done, total);
    });
}

}  // namespace shell
