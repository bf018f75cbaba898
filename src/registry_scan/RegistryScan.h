// The registry scan without a window: the ticked sections walked one after
// another, every key examined and every problem handed to a sink, a stop
// token polled between keys. A window's worker, a console loop or a test
// drives it the same way.
#pragma once

#include "common/ProgressSink.h"
#include "common/StopToken.h"
#include "formats/GuessPath.h"
#include "registry_scan/ProblemStore.h"

#include <array>
#include <string>

namespace registry_scan {

// Which of the twelve sections a scan walks, indexed by section.
using SectionFlags = std::array<bool, kRegistrySectionCount>;

// A dead reference the scan found: its section, and problemsFound counting
// this run's problems, this one included.
struct FoundProblem {
    int section;
    RegistryProblem problem;
    int problemsFound;
};

// What a scan tells, in the order it happens, on the thread that runs it:
// the engine's progress sink with the problems as its items, and the
// sections' course.
//
// Progress(keysExamined, 0, keyText) for each key (or value) about to be
// examined, keysExamined counting this run's keys, this one included (the
// total is not known before the end). A scan that ran every ticked section
// ends with Progress(keys, keys, the last key's text) before ScanFinished:
// the one report whose done equals its total.
//
// A stop request is seen at the running section's next key or record: the
// section then reports SectionStopped once, walks on to the end of its keys
// without counting, testing or recording anything, and still reports
// SectionDone. Later sections do not run, and the scan ends with ScanStopped
// instead of ScanFinished.
class IScanSink : public common::IItemSink<FoundProblem> {
public:
    virtual ~IScanSink() = default;
    // The section's walk begins: the keys that follow are its.
    virtual void SectionStarted(int section) = 0;
    // The stop request was seen while the section ran; at most once a section.
    virtual void SectionStopped(int section) = 0;
    // The section's walk has ended (a stopped one too).
    virtual void SectionDone(int section) = 0;
    // The last word of a stopped scan: lastSection is the last section that
    // ran (-1 when none did), which was stopped even if it had walked to its end.
    virtual void ScanStopped(int lastSection) = 0;
    // The last word of a scan that ran every ticked section.
    virtual void ScanFinished(int problemsFound) = 0;
};

// The run's counts, carried from one section to the next.
struct ScanTally {
    int keysExamined = 0;
    int problemsFound = 0;
    std::string lastKey;  // the text of the last key examined
};

// Walks one section (nothing for a number out of range) and reports
// SectionDone at its end. The file tests use the environment given.
void ScanSection(int section, const GuessEnvironment& environment, IScanSink& sink, common::StopToken stop,
                 ScanTally& tally);

// The whole scan: the machine's guess environment read once, then each
// ticked section in order, then ScanFinished or ScanStopped. A stop
// requested before the start runs no section.
void RunScan(const SectionFlags& sections, IScanSink& sink, common::StopToken stop = {});

// A sink that keeps the records in a problem store as the Registry page
// shows them: each problem a row (the section in state 2), a section done
// in state 1, a stopped one in state 3, the run's count added to the total
// when the scan finishes. The caller empties the ticked sections first
// (ProblemStore::ResetSection).
class StoreSink : public IScanSink {
public:
    explicit StoreSink(ProblemStore& store) : store_(store) {}

    void Progress(size_t, size_t, const std::string&) override {}
    void Notice(const std::string&) override {}
    void Add(FoundProblem&& found) override { Record(found); }
    void Record(const FoundProblem& found) {
        store_.RecordProblem(found.section, found.problem.registryPath, found.problem.fileName,
                             found.problem.guessPath);
    }
    void SectionStarted(int) override {}
    void SectionStopped(int section) override { store_.SetState(section, ssStopped); }
    void SectionDone(int section) override { store_.SetState(section, ssScanned); }
    void ScanStopped(int lastSection) override { store_.SetState(lastSection, ssStopped); }
    void ScanFinished(int problemsFound) override { store_.AddToTotal(problemsFound); }

private:
    ProblemStore& store_;
};

}  // namespace registry_scan
