// The registry scanner's worker: runs the scan and hands every change of the
// problem store and the progress window to the window thread, waiting until
// it has run there.
#include "gui/registry_scan/ScanWorker.h"

namespace gui {

namespace {

// Label updates are kept to about thirty a second: sending one for each of
// tens of thousands of keys would cost more than examining the keys.
constexpr DWORD kProgressIntervalMs = 33;

}  // namespace

ScanWorker::ScanWorker(HWND owner, registry_scan::ProblemStore& store, IScanView* view,
                                         const ScanSectionFlags& flags)
    : ui::WorkerThread(owner), view_(view), flags_(flags), store_(store) {}

// ---- On the worker thread ----

void ScanWorker::Execute() {
    try {
        registry_scan::RunScan(flags_, *this, StopToken());
    } catch (...) {
        // The base reports the error; the progress window must not stay
        // open over the report, waiting for a scan that has ended.
        try {
            RunOnWindowThread([this] { EndView(); });
        } catch (...) {
        }
        throw;
    }
}

void ScanWorker::Progress(size_t keysExamined, size_t total, const std::string& keyText) {
    // The finished scan's last report (done == total) repeats the last key:
    // nothing new to show.
    if (keysExamined == total) return;
    pendingSection_ = runningSection_;
    pendingCount_ = static_cast<int>(keysExamined);
    pendingKey_ = keyText;
    progressPending_ = true;
    if (GetTickCount() - lastReportTick_ >= kProgressIntervalMs) FlushProgress();
}

void ScanWorker::Add(registry_scan::FoundProblem&& found) {
    RunStep([&] {
        store_.Record(found);
        problemsFound_ = found.problemsFound;
        if (view_) view_->ShowProblem(found.problem, problemsFound_);
    });
}

void ScanWorker::SectionDone(int section) {
    RunStep([this, section] { store_.SectionDone(section); });
}

// A stop ends the section in state 3 and closes the window; the stopped
// scan's last word does it again, over the section's done step.
void ScanWorker::SectionStopped(int section) {
    RunStep([this, section] {
        store_.SectionStopped(section);
        EndView();
    });
}

void ScanWorker::ScanStopped(int lastSection) {
    RunStep([this, lastSection] {
        store_.ScanStopped(lastSection);
        EndView();
    });
}

void ScanWorker::ScanFinished(int problemsFound) {
    RunStep([this, problemsFound] {
        store_.ScanFinished(problemsFound);
        EndView();
    });
}

void ScanWorker::FlushProgress() {
    if (progressPending_) RunStep({});
}

void ScanWorker::RunStep(const std::function<void()>& step) {
    const bool progress = progressPending_;
    progressPending_ = false;
    const int count = pendingCount_;
    const int section = pendingSection_;
    RunOnWindowThread([&] {
        if (progress) {
            keysShown_ = count;
            if (view_) view_->ShowProgress(count, pendingKey_, registry_scan::kRegistrySectionCaptions[section]);
        }
        if (step) step();
    });
    // Taken after the step, so a slow window thread is not sent another at once.
    if (progress) lastReportTick_ = GetTickCount();
}

// ---- On the window thread ----

void ScanWorker::EndView() {
    if (viewEnded_) return;
    viewEnded_ = true;
    if (view_) view_->ScanEnded();
}

void ScanWorker::OnTerminate() {
    // A worker stopped before it ran, or one whose last step could not be
    // delivered, still closes its progress window.
    EndView();
    ui::WorkerThread::OnTerminate();
}

}  // namespace gui
