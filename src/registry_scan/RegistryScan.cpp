// The registry scan's driver and what one section reports through.
#include "registry_scan/RegistryScan.h"

#include "registry_scan/GuessPathSystem.h"
#include "registry_scan/ScanSections.h"

namespace registry_scan {

void SectionRun::KeyExamined(const std::string& keyText) {
    if (StopRequested()) {
        ReportStop();
        return;
    }
    ++tally_.keysExamined;
    tally_.lastKey = keyText;
    sink_.Progress(static_cast<size_t>(tally_.keysExamined), 0, keyText);
}

void SectionRun::Record(const std::string& registryPath, const std::string& fileName, const std::string& guessPath) {
    if (StopRequested()) {
        ReportStop();
        return;
    }
    ++tally_.problemsFound;
    sink_.Add(FoundProblem{section_, RegistryProblem{registryPath, fileName, guessPath}, tally_.problemsFound});
}

void SectionRun::TestReference(const char* rootName, const std::string& keyPath, const std::string& item,
                               const std::string& reference) {
    if (StopRequested()) return;
    const ReferenceCheck check = CheckFileReference(reference, environment_);
    if (check.problem) Record(MakeRegistryPath(rootName, keyPath, item), check.fileName, check.guessPath);
}

void SectionRun::ReportStop() {
    if (stopReported_) return;
    stopReported_ = true;
    sink_.SectionStopped(section_);
}

void ScanSection(int section, const GuessEnvironment& environment, IScanSink& sink, common::StopToken stop,
                 ScanTally& tally) {
    if (!ProblemStore::ValidSection(section)) return;
    sink.SectionStarted(section);
    SectionRun run(section, environment, sink, stop, tally);
    kSectionScans[section](run);
    sink.SectionDone(section);
}

void RunScan(const SectionFlags& sections, IScanSink& sink, common::StopToken stop) {
    const GuessEnvironment environment = SystemGuessEnvironment();
    ScanTally tally;
    int lastSection = -1;
    for (int section = 0; section < kRegistrySectionCount; ++section) {
        if (stop.StopRequested() || !sections[section]) continue;
        lastSection = section;
        ScanSection(section, environment, sink, stop, tally);
    }
    if (stop.StopRequested()) {
        sink.ScanStopped(lastSection);
        return;
    }
    const size_t keys = static_cast<size_t>(tally.keysExamined);
    sink.Progress(keys, keys, tally.lastKey);
    sink.ScanFinished(tally.problemsFound);
}

}  // namespace registry_scan
