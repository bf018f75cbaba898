// Every long engine operation reports to the one progress sink and honours
// the one stop token: a recording sink drives each of them.
#include "EngineTestSupport.h"

#include "backup/BackupRun.h"
#include "common/ProgressSink.h"
#include "common/StopToken.h"
#include "history/HistoryFunctions.h"
#include "history/HistorySink.h"
#include "registry_scan/RegistryScan.h"
#include "snapshots/SnapshotCompare.h"
#include "snapshots/SnapshotRepair.h"
#include "snapshots/StartupSnapshot.h"
#include "startup/StartUpFunctions.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

struct Step {
    size_t done, total;
    std::string what;
};

// Keeps every progress report; asked to, requests the stop at the first
// report or row the operation gives.
class Recorder final : public common::IProgressSink {
public:
    explicit Recorder(bool stopAtFirst) : stopAtFirst_(stopAtFirst) {}
    void Progress(size_t done, size_t total, const std::string& what) override {
        steps.push_back({done, total, what});
        Reached();
    }
    void Notice(const std::string& text) override { notices.push_back(text); }
    // A row reached the sink.
    void Reached() {
        if (stopAtFirst_) source_.RequestStop();
    }
    common::StopToken Token() const { return source_.Token(); }

    std::vector<Step> steps;
    std::vector<std::string> notices;

private:
    bool stopAtFirst_;
    common::StopSource source_;
};

// The History rows and the scan's problems reach the recorder as rows.
class HistoryRows final : public history::IHistorySink {
public:
    explicit HistoryRows(Recorder& recorder) : recorder_(recorder) {}
    void Add(history::HistoryRow&&) override {
        ++rows;
        recorder_.Reached();
    }
    void Notice(const std::string& text) override { recorder_.Notice(text); }
    void Progress(size_t done, size_t total, const std::string& what) override { recorder_.Progress(done, total, what); }
    size_t rows = 0;

private:
    Recorder& recorder_;
};

class ScanEvents final : public registry_scan::IScanSink {
public:
    explicit ScanEvents(Recorder& recorder) : recorder_(recorder) {}
    void Progress(size_t done, size_t total, const std::string& what) override { recorder_.Progress(done, total, what); }
    void Notice(const std::string& text) override { recorder_.Notice(text); }
    void Add(registry_scan::FoundProblem&&) override { recorder_.Reached(); }
    void SectionStarted(int) override {}
    void SectionStopped(int) override {}
    void SectionDone(int) override {}
    void ScanStopped(int) override {}
    void ScanFinished(int) override { finished = true; }
    bool finished = false;

private:
    Recorder& recorder_;
};

const std::string kId = std::to_string(GetCurrentProcessId());
const std::string kHelpKey = "SOFTWARE\\Microsoft\\Windows\\Help";
const std::string kHelpValue = "OrvProgress" + kId + ".hlp";
constexpr int kHelpPathSection = 2;
const std::string kRunEntry = "OrvProgress run " + kId;

class EngineProgress : public ::testing::Test {
public:  // the table's operations use the seeds
    void SetUp() override { SetRegString(HKEY_LOCAL_MACHINE, kHelpKey, kHelpValue, folder_.Path() + "\\gone"); }

    // The files a Delete All removes.
    std::string SeedFiles() {
        const std::string path = folder_.Path() + "\\traces";
        CreateDirectoryA(path.c_str(), nullptr);
        for (const char* name : {"a.tmp", "b.tmp", "c.tmp"}) std::ofstream(path + "\\" + name) << "x";
        return path;
    }
    std::string SavedSnapshot() {
        const std::string path = folder_.Path() + "\\StartUp.xml";
        std::string error;
        EXPECT_TRUE(snapshots::SaveStartupSnapshot(path, error)) << error;
        return path;
    }

    ScopedFolder folder_{"engine progress " + kId};
    ScratchRegKey recent_{"EngineProgress"};
    ScopedRegValue helpValue_{HKEY_LOCAL_MACHINE, kHelpKey, kHelpValue};
    ScopedRegValue runEntry_{HKEY_CURRENT_USER, startup::RunKeyPath("HKEY_CURRENT_USER", "Run"), kRunEntry};
    ScopedRegValue runEntry2_{HKEY_CURRENT_USER, startup::RunKeyPath("HKEY_CURRENT_USER", "Run"), kRunEntry + "2"};
    const std::string backup_ = folder_.Path() + "\\Backup\\";
};

// done only grows, but for a new stage that starts at 0.
void ExpectForward(const std::vector<Step>& steps, const char* operation) {
    std::vector<std::string> stages;
    for (size_t k = 1; k < steps.size(); ++k) {
        if (steps[k].done >= steps[k - 1].done) continue;
        const bool newStage = steps[k].done == 0 && steps[k].what != steps[k - 1].what &&
                              std::find(stages.begin(), stages.end(), steps[k].what) == stages.end();
        EXPECT_TRUE(newStage) << operation << ": " << steps[k - 1].done << " then " << steps[k].done;
        stages.push_back(steps[k - 1].what);
    }
}

TEST_F(EngineProgress, EveryLongOperationReportsForwardAndStopsWhenAsked) {
    // Each runs with the recorder and its token; true when it ran to its end.
    const struct {
        const char* operation;
        std::function<bool(EngineProgress&, Recorder&)> run;
    } operations[] = {
        {"scan",
         [](EngineProgress&, Recorder& sink) {
             registry_scan::SectionFlags sections{};
             sections[kHelpPathSection] = true;
             ScanEvents events(sink);
             registry_scan::RunScan(sections, events, sink.Token());
             return events.finished;
         }},
        {"fix",
         [](EngineProgress& test, Recorder& sink) {
             SetRegString(HKEY_LOCAL_MACHINE, kHelpKey, kHelpValue, test.folder_.Path() + "\\gone");
             const std::string file = test.folder_.Path() + "\\gone\\" + kHelpValue;
             const registry_scan::FixRecord record{
                 kHelpPathSection, 0,
                 {"HKEY_LOCAL_MACHINE\\" + kHelpKey + "|" + kHelpValue, file, file, registry_scan::kFix}};
             const registry_scan::FixReport report =
                 registry_scan::FixRecords({record}, test.backup_, sink, sink.Token());
             return !report.stopped && report.deleted == 1;
         }},
        {"backup",
         [](EngineProgress& test, Recorder& sink) {
             const backup::BackUpOutcome made = backup::MakeBackupPoint(
                 test.backup_, SYSTEMTIME{2026, 3, 2, 4, 9, 5, 0, 0}, {false, false, true, false, false}, "", sink,
                 sink.Token());
             return made.problems.empty();
         }},
        {"restore",
         [](EngineProgress& test, Recorder& sink) {
             const backup::BackUpOutcome made = backup::MakeBackupPoint(
                 test.backup_, SYSTEMTIME{2026, 3, 2, 4, 9, 6, 0, 0}, {false, false, true, false, false});
             const backup::BackUpOutcome restored =
                 backup::RestoreBackupPoint(test.backup_, made.pointName, sink, sink.Token());
             return restored.problems.empty();
         }},
        {"History listing",
         [](EngineProgress& test, Recorder& sink) {
             for (const char* name : {"a", "b", "c"})
                 SetRegString(HKEY_CURRENT_USER, test.recent_.Relative(), name, std::string("trace ") + name);
             HistoryRows rows(sink);
             const std::string key = test.recent_.Relative();
             history::RunLister(
                 [key](history::IHistorySink& to, const std::string& mask, common::StopToken stop) {
                     history::ReadRecentValues(to, HKEY_CURRENT_USER, key, nullptr, mask, stop);
                 },
                 rows, "*", sink.Token());
             return rows.rows == 3;
         }},
        {"History Delete All",
         [](EngineProgress& test, Recorder& sink) {
             return !history::DeleteFilesByMask(test.SeedFiles(), "*", sink, sink.Token()).stopped;
         }},
        {"snapshot save",
         [](EngineProgress& test, Recorder& sink) {
             std::string error;
             return snapshots::SaveStartupSnapshot(test.folder_.Path() + "\\Saved.xml", error, sink, sink.Token());
         }},
        {"snapshot load",
         [](EngineProgress& test, Recorder& sink) {
             snapshots::CompareRows rows;
             std::string date, error;
             return snapshots::LoadSnapshot(test.SavedSnapshot(), rows, date, error, sink, sink.Token()) ==
                    snapshots::SnapshotLoad::Loaded;
         }},
        {"snapshot repair",
         [](EngineProgress&, Recorder& sink) {
             // Two rows: a stop is seen between rows.
             const snapshots::CompareRows snapshot{{{kRunEntry, "progress.exe", "HKEY_CURRENT_USER", "Run", "True"},
                                                    {kRunEntry + "2", "progress.exe", "HKEY_CURRENT_USER", "Run", "True"}},
                                                   {}};
             return !snapshots::CreateDeleted(snapshot, {}, sink, sink.Token()).stopped;
         }},
    };
    for (const auto& o : operations) {
        Recorder whole(false);
        EXPECT_TRUE(o.run(*this, whole)) << o.operation;
        ASSERT_FALSE(whole.steps.empty()) << o.operation;
        ExpectForward(whole.steps, o.operation);
        EXPECT_EQ(whole.steps.back().done, whole.steps.back().total) << o.operation;

        Recorder stopped(true);
        EXPECT_FALSE(o.run(*this, stopped)) << o.operation << " ran on after the stop";
        ExpectForward(stopped.steps, o.operation);
    }
}

}  // namespace
