// TRegistryScanThread: walks the ticked scanner sections on a thread of its
// own; every problem and the progress reach the window thread, where the
// problem store is changed while the worker waits.
#pragma once

#include "registry_scan/GuessPath.h"
#include "registry_scan/NutUnit.h"
#include "ui/Worker.h"

#include <windows.h>

#include <array>
#include <functional>
#include <string>

// What the progress window shows. Called on the window thread only.
class IRgScanView {
public:
    virtual ~IRgScanView() = default;
    // keysExamined: keys looked at in this run so far; keyText: the last of
    // them; sectionCaption: the section being scanned.
    virtual void ShowProgress(int keysExamined, const std::string& keyText, const std::string& sectionCaption) = 0;
    // A problem was stored; errorsFound counts this run's problems.
    virtual void ShowProblem(const RegistryProblem& problem, int errorsFound) = 0;
    // The scan was stopped or has finished: the window closes with OK.
    virtual void ScanEnded() = 0;
};

using TRegistrySectionFlags = std::array<bool, kRegistrySectionCount>;

class TRegistryScanThread : public ui::WorkerThread {
public:
    // Created suspended; Resume() starts the scan. The store (and the view,
    // when given) must outlive the worker or the worker must be abandoned
    // first (a ui::WorkerPtr does that).
    TRegistryScanThread(HWND owner, TNut& store, IRgScanView* view, const TRegistrySectionFlags& flags);

    // Window thread: the view may go or change while the scan runs.
    void SetView(IRgScanView* view) { view_ = view; }

    // Window thread, after the end: counters of the run.
    int KeysExamined() const { return keysShown_; }
    int ProblemsFound() const { return problemsFound_; }

protected:
    void Execute() override;

private:
    // Worker side: hand the key about to be examined to the window (at most a
    // few dozen label updates a second, the last key winning); after a stop
    // request, the stop step instead.
    void ReportProgress(const std::string& keyText);
    // Worker side: hand a problem to the window thread and wait until it is
    // stored; after a stop request, the stop step instead and nothing is stored.
    void RecordProblem(const std::string& registryPath, const std::string& fileName, const std::string& guessPath);
    // Worker side: the progress not yet shown, on its own.
    void FlushProgress();
    // Worker side: runs the step on the window thread and waits for it; the
    // progress not yet shown goes first, in the same visit, so the labels end
    // on the last key examined at no extra cost.
    void RunStep(const std::function<void()>& step);
    // Worker side: the current section ends in state 3 and the window closes;
    // sent once per section, and always as the last step of a stopped scan.
    void RequestStopStep();
    void RunSections();
    void RunSection(int section);
    // On the window thread: closes the progress window once, on every path.
    void EndView();
    void OnTerminate() override;

    // The general test of a reference; when it fails, the record under
    // rootName + keyPath + "|" + item. Nothing is tested after a stop request,
    // since nothing would be recorded.
    void TestReference(const char* rootName, const std::string& keyPath, const std::string& item,
                       const std::string& reference);
    // Walks the values of root\keyPath: progress for each, then the reference
    // derive(name, data) makes (data only for string values when readData;
    // values of other types are passed over) goes through TestReference.
    // Nothing when the key cannot be opened.
    void ScanValues(HKEY root, const char* rootName, const std::string& keyPath, bool readData,
                    std::string (*derive)(const std::string& name, const std::string& data));

    // The sections, one method each, in section order.
    void ScanAppPaths();           // 0
    void ScanClassIds();           // 1
    void ScanHelpPaths();          // 2
    void ScanFonts();              // 3
    void ScanRunHistory();         // 4
    void ScanMenuOrder();          // 5
    void ScanSharedDlls();         // 6
    void ScanSharedFolders();      // 7
    void ScanShellExtensions();    // 8
    void ScanSoundEvents();        // 9
    void ScanUninstall();          // 10
    void ScanFileExtensions();     // 11

    // Windows 95/98/Me, from the version record read when a section asks.
    bool IsWindows9x();

    TNut& store_;
    IRgScanView* view_;  // window thread only
    const TRegistrySectionFlags flags_;

    // Worker side.
    int section_ = -1;  // none before the first section runs
    int keysExamined_ = 0;
    DWORD lastReportTick_ = 0;
    bool progressPending_ = false;
    std::string pendingKey_;
    bool stopSent_ = false;  // in the current section
    OSVERSIONINFOA version_{};
    bool versionRead_ = false;
    GuessEnvironment environment_;

    // Window thread.
    int keysShown_ = 0;
    int problemsFound_ = 0;
    bool viewEnded_ = false;
};
