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

namespace shell {

class SnapshotWorker : public ui::WorkerThread, private snapshots::ISnapshotProgress {
public:
    // Runs on the worker with the progress sink and the worker's stop token.
    using Job = std::function<void(snapshots::ISnapshotProgress&, common::StopToken)>;
    // onProgress runs on the window thread with the stage's text, done and total.
    using ProgressStep = std::function<void(const std::string& stage, int done, int total)>;
    SnapshotWorker(HWND owner, Job job, ProgressStep onProgress);

    // The text of a stage, as the progress window shows it.
    static std::string StageText(snapshots::SnapshotStage stage);

protected:
    void Execute() override;

private:
    // On the worker: kept to about thirty posts a second, the last state
    // winning; the first and the last of each stage always go.
    void SnapshotProgress(snapshots::SnapshotStage stage, int done, int total) override;

    Job job_;
    ProgressStep onProgress_;  // window thread only

    // Worker side.
    ui::ProgressThrottle throttle_;  // how often progress reaches the window
};

}  // namespace shell
