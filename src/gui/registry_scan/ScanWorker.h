// ScanWorker: runs the registry scan (registry_scan::RunScan) on a
// thread of its own; every problem and the progress reach the window thread,
// where the problem store is changed while the worker waits.
#pragma once

#include "registry_scan/ProblemStore.h"
#include "registry_scan/RegistryScan.h"
#include "ui/Worker.h"

#include <windows.h>

#include <functional>
#include <string>

namespace gui {

// What the progress window shows. Called on the window thread only.
class IScanView {
public:
    virtual ~IScanView() = default;
    // keysExamined: keys looked at in this run so far; keyText: the last of
    // them; sectionCaption: the section being scanned.
    virtual void ShowProgress(int keysExamined, const std::string& keyText, const std::string& sectionCaption) = 0;
    // A problem was stored; errorsFound counts this run's problems.
    virtual void ShowProblem(const registry_scan::RegistryProblem& problem, int errorsFound) = 0;
    // The scan was stopped or has finished: the window closes with OK.
    virtual void ScanEnded() = 0;
};

using ScanSectionFlags = registry_scan::SectionFlags;

class ScanWorker : public ui::WorkerThread, private registry_scan::IScanSink {
public:
    // Created suspended; Resume() starts the scan. The store (and the view,
    // when given) must outlive the worker or the worker must be abandoned
    // first (a ui::WorkerPtr does that).
    ScanWorker(HWND owner, registry_scan::ProblemStore& store, IScanView* view, const ScanSectionFlags& flags);

    // Window thread: the view may go or change while the scan runs.
    void SetView(IScanView* view) { view_ = view; }

    // Window thread, after the end: counters of the run.
    int KeysExamined() const { return keysShown_; }
    int ProblemsFound() const { return problemsFound_; }

protected:
    void Execute() override;

private:
    // registry_scan::IScanSink, on the worker: each event becomes a step on
    // the window thread, except the keys' progress, whose label updates are
    // kept to a few dozen a second (the last key winning) and ride along
    // with the next step. A notice waits for the user.
    void Progress(size_t keysExamined, size_t total, const std::string& keyText) override;
    void Notice(const std::string& text) override { ShowNoticeAndWait(text); }
    void Add(registry_scan::FoundProblem&& found) override;
    void SectionStarted(int section) override { runningSection_ = section; }
    void SectionStopped(int section) override;
    void SectionDone(int section) override;
    void ScanStopped(int lastSection) override;
    void ScanFinished(int problemsFound) override;

    // Worker side: the progress not yet shown, on its own.
    void FlushProgress();
    // Worker side: runs the step on the window thread and waits for it; the
    // progress not yet shown goes first, in the same visit, so the labels end
    // on the last key examined at no extra cost.
    void RunStep(const std::function<void()>& step);
    // On the window thread: closes the progress window once, on every path.
    void EndView();
    void OnTerminate() override;

    IScanView* view_;  // window thread only
    const ScanSectionFlags flags_;
    registry_scan::StoreSink store_;  // window thread only

    // Worker side.
    DWORD lastReportTick_ = 0;
    int runningSection_ = 0;
    bool progressPending_ = false;
    int pendingSection_ = 0;
    int pendingCount_ = 0;
    std::string pendingKey_;

    // Window thread.
    int keysShown_ = 0;
    int problemsFound_ = 0;
    bool viewEnded_ = false;
};

}  // namespace gui
