// The registry scanner's problem records and the store that holds them.
#include "registry_scan/ProblemStore.h"

#include "common/RegistryFunctions.h"
#include "common/RowActions.h"
#include "platform/RegistryKey.h"

namespace registry_scan {

const std::array<const char*, kRegistrySectionCount> kRegistrySectionCaptions = {
    "Application Path", "CLSID",   "Help Path",          "Font Path",          "Most Recently Used List",
    "Obsolete Start Menu", "Shared DLLs", "Shared Folder", "Shell Extensions", "Sound and AppEvents",
    "Uninstall",        "File Extensions"};

std::string MakeRegistryPath(const std::string& rootName, const std::string& keyPath, const std::string& item) {
    return rootName + keyPath + "|" + item;
}

std::optional<RegistryPathParts> SplitRegistryPath(const std::string& registryPath) {
    const size_t bar = registryPath.find('|');
    if (bar == std::string::npos || bar + 1 == registryPath.size()) return std::nullopt;
    const size_t slash = registryPath.find('\\');
    if (slash == std::string::npos || slash > bar) return std::nullopt;
    RegistryPathParts parts;
    parts.rootName = registryPath.substr(0, slash);
    parts.root = RootKeyFromName(parts.rootName);
    parts.key = registryPath.substr(slash, bar - slash) + "\\";
    parts.item = registryPath.substr(bar + 1);
    return parts;
}

std::string ProblemEditorKey(const RegistryProblem& problem) {
    const std::string& path = problem.registryPath;
    const std::optional<RegistryPathParts> parts = SplitRegistryPath(path);
    if (!parts) {
        // No item to tell apart: the text before any "|" is the key.
        std::string key = path.substr(0, path.find('|'));
        while (!key.empty() && key.back() == '\\') key.pop_back();
        return key.find('\\') == std::string::npos ? std::string() : key;
    }
    std::string key = parts->key;
    while (!key.empty() && key.back() == '\\') key.pop_back();
    // A name holding a NUL cannot be opened by name; its holder is shown.
    if (!platform::reg::NameHoldsNul(parts->item)) {
        const std::string below = key.empty() ? parts->item : key.substr(1) + "\\" + parts->item;
        if (platform::RegistryKey::Open({parts->root, below}, KEY_READ))
            return parts->rootName + key + "\\" + parts->item;
    }
    return parts->rootName + key;
}

std::string ProblemExistingFile(const RegistryProblem& problem) {
    for (const std::string* candidate : {&problem.guessPath, &problem.fileName})
        if (!candidate->empty() && common::FileLocationStart(*candidate)) return *candidate;
    return {};
}

int ProblemStore::RecountTotal() {
    total_ = 0;
    for (int section = 0; section < kRegistrySectionCount; ++section) total_ += Count(section);
    return total_;
}

const ProblemStore::Section& ProblemStore::SectionAt(int section) const {
    static const Section kNone{};
    return ValidSection(section) ? sections_[section] : kNone;
}

void ProblemStore::SetState(int section, int state) {
    if (ValidSection(section)) sections_[section].state = state;
}

void ProblemStore::ResetSection(int section) {
    if (!ValidSection(section)) return;
    total_ -= Count(section);
    sections_[section] = Section{};
}

void ProblemStore::RecordProblem(int section, const std::string& registryPath, const std::string& fileName,
                         const std::string& guessPath) {
    if (!ValidSection(section)) return;
    Section& s = sections_[section];
    s.state = ssScanning;
    s.registryPaths.push_back(registryPath);
    s.fileNames.push_back(fileName);
    s.guessPaths.push_back(guessPath);
    s.fixStates.push_back(kNoFix);
}

std::optional<RegistryProblem> ProblemStore::Problem(int section, int row) const {
    if (!ValidRow(section, row)) return std::nullopt;
    const Section& s = sections_[section];
    return RegistryProblem{s.registryPaths[row], s.fileNames[row], s.guessPaths[row], s.fixStates[row]};
}

bool ProblemStore::SetFix(int section, int row, bool fix) {
    if (!ValidRow(section, row)) return false;
    sections_[section].fixStates[row] = fix ? kFix : kNoFix;
    return true;
}

bool ProblemStore::IsMarked(int section, int row) const {
    return ValidRow(section, row) && sections_[section].fixStates[row] == kFix;
}

void ProblemStore::MarkAll(bool fix) {
    for (Section& s : sections_)
        for (std::string& state : s.fixStates) state = fix ? kFix : kNoFix;
}

int ProblemStore::MarkedCount(int section) const {
    int marked = 0;
    for (int row = 0; row < Count(section); ++row) marked += IsMarked(section, row);
    return marked;
}

int ProblemStore::MarkedCount() const {
    int marked = 0;
    for (int section = 0; section < kRegistrySectionCount; ++section) marked += MarkedCount(section);
    return marked;
}

bool ProblemStore::RemoveProblem(int section, int row) {
    if (!ValidRow(section, row)) return false;
    Section& s = sections_[section];
    for (auto* list : {&s.registryPaths, &s.fileNames, &s.guessPaths, &s.fixStates}) list->erase(list->begin() + row);
    --total_;
    return true;
}

std::vector<FixRecord> ProblemStore::MarkedRecords() const {
    std::vector<FixRecord> records;
    for (int section = 0; section < kRegistrySectionCount; ++section) {
        const Section& s = sections_[section];
        for (int row = Count(section) - 1; row >= 0; --row)
            if (s.fixStates[row] == kFix)
                records.push_back({section, row, {s.registryPaths[row], s.fileNames[row], s.guessPaths[row], kFix}});
    }
    return records;
}

void ProblemStore::RemoveFixedRows(const FixReport& report) {
    std::array<std::vector<bool>, kRegistrySectionCount> gone;
    for (const auto& [section, row] : report.fixedRows) {
        if (!ValidRow(section, row)) continue;
        if (gone[section].empty()) gone[section].resize(Count(section), false);
        gone[section][row] = true;
    }
    // One compaction per list: removing thousands of rows one by one would
    // move the rest of the list each time.
    for (int section = 0; section < kRegistrySectionCount; ++section) {
        if (gone[section].empty()) continue;
        Section& s = sections_[section];
        for (auto* list : {&s.registryPaths, &s.fileNames, &s.guessPaths, &s.fixStates}) {
            size_t kept = 0;
            for (size_t row = 0; row < list->size(); ++row)
                if (!gone[section][row]) {
                    if (kept != row) (*list)[kept] = std::move((*list)[row]);
                    ++kept;
                }
            list->resize(kept);
        }
        for (bool removed : gone[section]) total_ -= removed;
    }
}

}  // namespace registry_scan
