// The twelve sections of the registry scan, one function each, and what
// they report through: one section's run with its sink, its stop token and
// the scan's counts. The scan's driver (RegistryScan) calls them.
#pragma once

#include "common/StopToken.h"
#include "formats/GuessPath.h"
#include "registry_scan/RegistryScan.h"

#include <array>
#include <string>

namespace registry_scan {

class SectionRun {
public:
    SectionRun(int section, const GuessEnvironment& environment, IScanSink& sink, common::StopToken stop,
               ScanTally& tally)
        : section_(section), environment_(environment), sink_(sink), stop_(stop), tally_(tally) {}
    SectionRun(const SectionRun&) = delete;
    SectionRun& operator=(const SectionRun&) = delete;

    bool StopRequested() const { return stop_.StopRequested(); }

    // The key about to be examined, counted and handed on; after a stop
    // request, the stop instead (once) and nothing counted.
    void KeyExamined(const std::string& keyText);
    // A problem handed on; after a stop request, the stop instead (once).
    void Record(const std::string& registryPath, const std::string& fileName, const std::string& guessPath);
    // The general test of a reference; when it fails, the record under
    // rootName + keyPath + "|" + item. Nothing is tested after a stop
    // request, since nothing would be recorded.
    void TestReference(const char* rootName, const std::string& keyPath, const std::string& item,
                       const std::string& reference);
    // Whether a path missing on this machine can be told as missing: the
    // test every section asks before its own existence test.
    bool CanJudgeMissing(const std::string& path) const { return environment_.canJudgeMissing(path); }

private:
    void ReportStop();

    const int section_;
    const GuessEnvironment& environment_;
    IScanSink& sink_;
    const common::StopToken stop_;
    ScanTally& tally_;
    bool stopReported_ = false;
};

// The sections' walks, by section number.
using SectionScan = void (*)(SectionRun& run);
extern const std::array<SectionScan, kRegistrySectionCount> kSectionScans;

}  // namespace registry_scan
