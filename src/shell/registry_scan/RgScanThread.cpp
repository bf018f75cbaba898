// The registry scanner's worker: runs the ticked sections one after another
// and hands every change of the problem store and the progress window to the
// window thread, waiting until it has run there.
#include "shell/registry_scan/RgScanThread.h"

#include "registry_scan/RgScanRules.h"

namespace {

// Label updates are kept to about thirty a second: sending one for each of
// tens of thousands of keys would cost more than examining the keys.
constexpr DWORD kProgressIntervalMs = 33;

}  // namespace

TRegistryScanThread::TRegistryScanThread(HWND owner, TNut& store, IRgScanView* view,
                                         const TRegistrySectionFlags& flags)
    : ui::WorkerThread(owner), store_(store), view_(view), flags_(flags) {}

// ---- On the worker thread ----

void TRegistryScanThread::Execute() {
    try {
        RunSections();
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

void TRegistryScanThread::RunSections() {
    keysExamined_ = 0;
    environment_ = SystemGuessEnvironment();
    for (int section = 0; section < kRegistrySectionCount; ++section) {
        if (Terminated() || !flags_[section]) continue;
        RunSection(section);
    }
    if (Terminated()) {
        // The last word of a stopped scan, even when the running section
        // already had its stop step: it overrides that section's done step.
        stopSent_ = false;
        RequestStopStep();
        return;
    }
    RunStep([this] {
        store_.AddToTotal(problemsFound_);
        EndView();
    });
}

void TRegistryScanThread::RunSection(int section) {
    using Method = void (TRegistryScanThread::*)();
    static constexpr Method kSections[kRegistrySectionCount] = {
        &TRegistryScanThread::ScanAppPaths,        &TRegistryScanThread::ScanClassIds,
        &TRegistryScanThread::ScanHelpPaths,       &TRegistryScanThread::ScanFonts,
        &TRegistryScanThread::ScanRunHistory,      &TRegistryScanThread::ScanMenuOrder,
        &TRegistryScanThread::ScanSharedDlls,      &TRegistryScanThread::ScanSharedFolders,
        &TRegistryScanThread::ScanShellExtensions, &TRegistryScanThread::ScanSoundEvents,
        &TRegistryScanThread::ScanUninstall,       &TRegistryScanThread::ScanFileExtensions};
    section_ = section;
    stopSent_ = false;
    (this->*kSections[section])();
    RunStep([this, section] { store_.SetState(section, ssScanned); });
}

void TRegistryScanThread::ReportProgress(const std::string& keyText) {
    if (Terminated()) {
        RequestStopStep();
        return;
    }
    ++keysExamined_;
    pendingKey_ = keyText;
    progressPending_ = true;
    if (GetTickCount() - lastReportTick_ >= kProgressIntervalMs) FlushProgress();
}

void TRegistryScanThread::FlushProgress() {
    if (progressPending_) RunStep({});
}

void TRegistryScanThread::RunStep(const std::function<void()>& step) {
    const bool progress = progressPending_;
    progressPending_ = false;
    const int count = keysExamined_;
    const int section = section_;
    RunOnWindowThread([&] {
        if (progress) {
            keysShown_ = count;
            if (view_) view_->ShowProgress(count, pendingKey_, kRegistrySectionCaptions[section]);
        }
        if (step) step();
    });
    // Taken after the step, so a slow window thread is not sent another at once.
    if (progress) lastReportTick_ = GetTickCount();
}

void TRegistryScanThread::RecordProblem(const std::string& registryPath, const std::string& fileName,
                                        const std::string& guessPath) {
    if (Terminated()) {
        RequestStopStep();
        return;
    }
    const int section = section_;
    RunStep([&, section] {
        store_.RecordProblem(section, registryPath, fileName, guessPath);
        ++problemsFound_;
        if (view_) view_->ShowProblem(RegistryProblem{registryPath, fileName, guessPath}, problemsFound_);
    });
}

void TRegistryScanThread::RequestStopStep() {
    if (stopSent_) return;
    stopSent_ = true;
    const int section = section_;
    RunStep([this, section] {
        store_.SetState(section, ssStopped);
        EndView();
    });
}

void TRegistryScanThread::TestReference(const char* rootName, const std::string& keyPath, const std::string& item,
                                        const std::string& reference) {
    if (Terminated()) return;
    const ReferenceCheck check = CheckFileReference(reference, environment_);
    if (check.problem) RecordProblem(MakeRegistryPath(rootName, keyPath, item), check.fileName, check.guessPath);
}

bool TRegistryScanThread::IsWindows9x() {
    version_ = OSVERSIONINFOA{};
    version_.dwOSVersionInfoSize = sizeof(version_);
    versionRead_ = GetVersionExA(&version_) != FALSE;
    return IsWindows9xFamily(version_, versionRead_);
}

// ---- On the window thread ----

void TRegistryScanThread::EndView() {
    if (viewEnded_) return;
    viewEnded_ = true;
    if (view_) view_->ScanEnded();
}

void TRegistryScanThread::OnTerminate() {
    // A worker stopped before it ran, or one whose last step could not be
    // delivered, still closes its progress window.
    EndView();
    ui::WorkerThread::OnTerminate();
}
