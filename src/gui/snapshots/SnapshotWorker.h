// SnapshotWorker: a snapshot load or repair (snapshots/SnapshotCompare,
// SnapshotRepair) on a thread of its own, so the comparison dialog keeps
// serving its messages however large the snapshot is. The job owns what it
// gives back; the dialog reads it once the worker has ended.
#pragma once

#include "snapshots/SnapshotCompare.h"
#include "ui/ProgressThrottle.h"
#include "ui/Worker.h"

#include <windows.h>

#include <functional>
#include <string>

namespace gui {

class SnapshotWorker : public ui::WorkerThread, private common::IProgressSink {
public:
    // Runs on the worker with the progress sink and the worker's stop token.
    using Job = std::function<void(common::IProgressSink&, common::StopToken)>;
    // onProgress runs on the window thread with the stage's text, done and total.
    using ProgressStep = std::function<void(const std::string& stage, int done, int total)>;
    SnapshotWorker(HWND owner, Job job, ProgressStep onProgress);

protected:
    void Execute() override;

private:
    // common::IProgressSink, on the worker. Progress is kept to about thirty
    // posts a second, the last state winning; the first and the last of each
    // stage always go. A notice waits for the user.
    void Progress(size_t done, size_t total, const std::string& stage) override;
    void Notice(const std::string& text) override { ShowNoticeAndWait(text); }

    Job job_;
    ProgressStep onProgress_;  // window thread only

    // Worker side.
    ui::ProgressThrottle throttle_;  // how often progress reaches the window
};

}  // namespace gui
