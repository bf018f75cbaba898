// FixWorker: fixes marked registry errors (registry_scan::FixRecords)
// on a thread of its own, so the window keeps serving its messages however
// many records there are. The store is not touched until the fix has ended:
// the page then takes the fixed rows out on the window thread.
#pragma once

#include "registry_scan/ProblemStore.h"
#include "ui/ProgressThrottle.h"
#include "ui/Worker.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace gui {

class FixWorker : public ui::WorkerThread, private common::IProgressSink {
public:
    // onProgress runs on the window thread with the stage's text, done and total.
    using ProgressStep = std::function<void(const std::string& stage, int done, int total)>;
    FixWorker(HWND owner, std::vector<registry_scan::FixRecord> records, std::string backupFolder,
                       ProgressStep onProgress);

    // Window thread, after the end: what the fix did.
    const registry_scan::FixReport& Report() const { return report_; }

protected:
    void Execute() override;

private:
    // common::IProgressSink, on the worker. Progress is kept to about thirty
    // posts a second, the last state winning; the first and the last of each
    // stage always go. A notice waits for the user.
    void Progress(size_t done, size_t total, const std::string& stage) override;
    void Notice(const std::string& text) override { ShowNoticeAndWait(text); }

    const std::vector<registry_scan::FixRecord> records_;
    const std::string backupFolder_;
    ProgressStep onProgress_;  // window thread only
    registry_scan::FixReport report_;  // written by the worker before its end, read after it

    // Worker side.
    ui::ProgressThrottle throttle_;  // how often progress reaches the window
};

}  // namespace gui
