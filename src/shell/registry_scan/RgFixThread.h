// TRegistryFixThread: fixes marked registry errors (registry_scan::FixRecords)
// on a thread of its own, so the window keeps serving its messages however
// many records there are. The store is not touched until the fix has ended:
// the page then takes the fixed rows out on the window thread.
#pragma once

#include "registry_scan/NutUnit.h"
#include "ui/ProgressThrottle.h"
#include "ui/Worker.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace shell {

class TRegistryFixThread : public ui::WorkerThread, private registry_scan::IFixProgress {
public:
    // onProgress runs on the window thread with the stage's text, done and total.
    using ProgressStep = std::function<void(const std::string& stage, int done, int total)>;
    TRegistryFixThread(HWND owner, std::vector<registry_scan::FixRecord> records, std::string backupFolder,
                       ProgressStep onProgress);

    // Window thread, after the end: what the fix did.
    const registry_scan::FixReport& Report() const { return report_; }

    // The text of a stage, as the progress window shows it.
    static std::string StageText(registry_scan::FixStage stage);

protected:
    void Execute() override;

private:
    // On the worker: kept to about thirty posts a second, the last state
    // winning; the first and the last of each stage always go.
    void FixProgress(registry_scan::FixStage stage, int done, int total) override;

    const std::vector<registry_scan::FixRecord> records_;
    const std::string backupFolder_;
    ProgressStep onProgress_;  // window thread only
    registry_scan::FixReport report_;  // written by the worker before its end, read after it

    // Worker side.
    ui::ProgressThrottle throttle_;  // how often progress reaches the window
};

}  // namespace shell
