// The twelve sections of the registry scan, one function each, and what
// they report through: one section's run with its sink, its stop token and
// the scan's counts. The scan's driver (RegistryScan) calls them.
#pragma once

#include "common/StopToken.h"
#include "registry_scan/GuessPath.h"
#include "registry_scan/RegistryScan.h"

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

private:
    void ReportStop();

    const int section_;
    const GuessEnvironment& environment_;
    IScanSink& sink_;
    const common::StopToken stop_;
    ScanTally& tally_;
    bool stopReported_ = false;
};

// The sections, in section order.
void ScanAppPaths(SectionRun& run);            // 0
void ScanClassIds(SectionRun& run);            // 1
void ScanHelpPaths(SectionRun& run);           // 2
void ScanFonts(SectionRun& run);               // 3
void ScanRunHistory(SectionRun& run);          // 4
void ScanMenuOrder(SectionRun& run);           // 5
void ScanSharedDlls(SectionRun& run);          // 6
void ScanSharedFolders(SectionRun& run);       // 7
void ScanShellExtensions(SectionRun& run);     // 8
void ScanSoundEvents(SectionRun& run);         // 9
void ScanUninstall(SectionRun& run);           // 10
void ScanFileExtensions(SectionRun& run);      // 11

}  // namespace registry_scan
