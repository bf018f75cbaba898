// Comparing a startup snapshot with the machine as it is now.
#include "snapshots/SnapshotCompare.h"

#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Xml.h"
#include "startup/StartUpEditing.h"
#include "startup/StartUpFunctions.h"

#include <algorithm>
#include <unordered_map>

namespace snapshots {

namespace files = platform::files;

const char* const kCompareStartText = "Click on Button \"Compare With...\" and select XMLfile.";

namespace {

constexpr const char* kMachine = "HKEY_LOCAL_MACHINE";
constexpr const char* kUser = "HKEY_CURRENT_USER";
constexpr const char* kTrue = "True";
constexpr const char* kFalse = "False";
constexpr const char* kNoChange = "CHENGE NOT FOUND.";
// A snapshot is a few kilobytes per hundred entries; anything this big is
// not one, and is refused before it is read whole.
constexpr unsigned long long kLargestSnapshot = 16ull << 20;

const std::string kIndent(19, ' ');
const std::string kGap(10, ' ');

// --- loading ---

SnapshotLoad Refuse(const std::string& path, const std::string& fault, std::string& error) {
    error = "The snapshot \"" + path + "\" was not loaded: " + fault;
    return SnapshotLoad::Refused;
}

// The checks the layout leaves to us: a section name goes into a key path and
// a root chooses the hive, so only the program's own pass.
SnapshotLoad CheckValues(const SnapshotData& data, const std::string& path, std::string& error) {
    for (const SnapshotSection& section : data.sections) {
        if (!startup::IsRunSectionName(section.name))
            return Refuse(path, "<" + section.name + "> is not one of the run sections.", error);
        for (const SnapshotRunEntry& entry : section.entries) {
            if (entry.name.empty())
                return Refuse(path, "an entry of <" + section.name + "> has no name.", error);
            if (entry.root != kMachine && entry.root != kUser)
                return Refuse(path, "the entry \"" + entry.name + "\" has the root \"" + entry.root +
                                        "\", which is neither " + kMachine + " nor " + kUser + ".",
                              error);
        }
    }
    return SnapshotLoad::Loaded;
}

// A file without the marker is passed over without a word when it is XML;
// when it is not, the parser's complaint is shown. It is parsed only when
// the check for a document type saw its text as the parser will.
SnapshotLoad NotASnapshot(const std::string& path, const std::string& bytes, std::string& error) {
    const std::string foreign = ForeignEncodingFault(bytes);
    if (!foreign.empty()) return Refuse(path, foreign, error);
    std::vector<platform::xml::LeafText> parsed;
    std::string reason;
    if (!platform::xml::ParseLeafTexts(bytes, parsed, reason))
        return Refuse(path, "it is not well-formed XML. " + reason, error);
    return SnapshotLoad::NotOurs;
}

SnapshotLoad ReadSnapshotData(const std::string& path, SnapshotData& data, std::string& error) {
    unsigned long long size = 0;
    if (files::FileSize(path, size) && size > kLargestSnapshot)
        return Refuse(path, "it is larger than any snapshot (" + std::to_string(size) + " bytes).", error);
    std::string bytes;
    if (!files::ReadFileBytes(path, bytes)) return Refuse(path, "it cannot be read.", error);
    if (HasDoctype(bytes))
        return Refuse(path, "it declares a document type, which a snapshot never does.", error);
    // The marker is looked for in the bytes: a snapshot is only ever the
    // writer's own declaration (one byte per character, windows-1252), so
    // no other encoding can hide a document type from the check above.
    const std::vector<std::string> lines = SplitSnapshotLines(bytes);
    if (lines.size() < 2 || lines[1] != kSnapshotMarker) return NotASnapshot(path, bytes, error);
    if (lines[0] != kSnapshotDeclaration)
        return Refuse(path, "its first line is not \"" + std::string(kSnapshotDeclaration) + "\".", error);
    std::vector<platform::xml::LeafText> parsed;
    std::string reason;
    if (!platform::xml::ParseLeafTexts(bytes, parsed, reason))
        return Refuse(path, "it is not well-formed XML. " + reason, error);
    std::vector<std::pair<std::string, std::string>> leaves;
    leaves.reserve(parsed.size());
    for (platform::xml::LeafText& leaf : parsed)
        leaves.emplace_back(std::move(leaf.tag), TextBetweenLineBreaks(std::move(leaf.text)));
    std::string fault;
    if (!ReadSnapshotDocument(lines, leaves, data, fault))
        return Refuse(path, "it is not laid out as a snapshot. " + fault, error);
    return CheckValues(data, path, error);
}

// --- comparing ---

// Where a row is and its name, as Windows tells them apart (case ignored).
std::string PlaceKey(const CompareRegistryRow& row) {
    return row.root + "\\" + RowKeyName(row) + "\\" + CaptionKey(row.name);
}
// "|" is in no file or folder name.
std::string PlaceKey(const CompareFileRow& row) { return CaptionKey(row.location) + "|" + CaptionKey(row.name); }

// The two passes of the pairing: by place, then by name alone.
template <typename Row>
RowPairs PairRows(const std::vector<Row>& snapshot, const std::vector<Row>& present) {
    RowPairs pairs{std::vector<int>(snapshot.size(), -1), std::vector<bool>(present.size(), false)};
    // Each key's present rows, latest last; a pass takes from the back.
    std::unordered_map<std::string, std::vector<int>> byPlace;
    for (size_t i = 0; i < present.size(); ++i) byPlace[PlaceKey(present[i])].push_back(static_cast<int>(i));
    for (size_t s = 0; s < snapshot.size(); ++s) {
        const auto found = byPlace.find(PlaceKey(snapshot[s]));
        if (found == byPlace.end() || found->second.empty()) continue;
        pairs.presentOf[s] = found->second.back();
        pairs.presentPaired[static_cast<size_t>(found->second.back())] = true;
        found->second.pop_back();
    }
    std::unordered_map<std::string, std::vector<int>> byName;
    for (size_t i = 0; i < present.size(); ++i)
        if (!pairs.presentPaired[i]) byName[CaptionKey(present[i].name)].push_back(static_cast<int>(i));
    for (size_t s = 0; s < snapshot.size(); ++s) {
        if (pairs.presentOf[s] >= 0) continue;
        const auto found = byName.find(CaptionKey(snapshot[s].name));
        if (found == byName.end() || found->second.empty()) continue;
        pairs.presentOf[s] = found->second.back();
        pairs.presentPaired[static_cast<size_t>(found->second.back())] = true;
        found->second.pop_back();
    }
    return pairs;
}

void Append(std::vector<std::string>& report, const std::vector<std::string>& lines) {
    report.insert(report.end(), lines.begin(), lines.end());
}

std::string KeyTail(const std::string& section) { return "          Key: ...\\" + section + ")"; }

// The records of the fields that differ between a snapshot row and its match.
void AppendFieldChanges(std::vector<std::string>& report, const CompareRegistryRow& s, const CompareRegistryRow& m,
                        bool& changed) {
    const std::string where = kGap + "Location: " + m.location;
    if (s.location != m.location) {
        Append(report, {"CHENGED LOCATION:  Parametr:  " + m.name, kIndent + "OLDLocation:  " + s.location,
                        kIndent + "NEWLocation:  " + m.location, kIndent + "(RootKey: " + m.root + KeyTail(m.section)});
        changed = true;
    }
    if (s.root != m.root) {
        Append(report, {"CHENGED  ROOTKEY:  Parametr:  " + m.name + where, kIndent + "OLDRootKey:  " + s.root,
                        kIndent + "NEWRootKey:  " + m.root, kIndent + "(Key: ...\\" + m.section + ")"});
        changed = true;
    }
    if (s.section != m.section) {
        Append(report, {"CHENGED  LASTKEY:  Parametr:  " + m.name + where, kIndent + "OLDLastKey:  " + s.section,
                        kIndent + "NEWLastKey:  " + m.section, kIndent + "(RootKey: " + m.root + ")"});
        changed = true;
    }
    if (s.check != m.check) {
        Append(report, {"CHENGED    CHECK:  Parametr:  " + m.name + where, kIndent + "OLDCheck:  " + s.check,
                        kIndent + "NEWCheck:  " + m.check, kIndent + "(RootKey: " + m.root + ")"});
        changed = true;
    }
}

void CompareRegistry(const CompareRows& snapshot, const CompareRows& present, CompareResult& result) {
    result.report.push_back("IN REGISTRY:");
    result.restoreAllEnabled = true;
    bool changed = false;
    const RowPairs pairs = PairRegistryRows(snapshot.registry, present.registry);
    for (size_t s = 0; s < snapshot.registry.size(); ++s) {
        if (pairs.presentOf[s] < 0) {
            Append(result.report, DeletedRecord(snapshot.registry[s]));
            result.createDeletedEnabled = true;
            changed = true;
        } else {
            AppendFieldChanges(result.report, snapshot.registry[s],
                               present.registry[static_cast<size_t>(pairs.presentOf[s])], changed);
        }
    }
    for (size_t c = 0; c < present.registry.size(); ++c) {
        if (pairs.presentPaired[c]) continue;
        Append(result.report, CreatedRecord(present.registry[c]));
        result.deleteCreatedEnabled = true;
        changed = true;
    }
    if (!changed) {
        result.report.push_back(kNoChange);
        result.restoreAllEnabled = false;
    }
}

void CompareFiles(const CompareRows& snapshot, const CompareRows& present, CompareResult& result) {
    result.report.push_back("IN AUTOSTART:");
    bool changed = false;
    const RowPairs pairs = PairFileRows(snapshot.files, present.files);
    for (size_t s = 0; s < snapshot.files.size(); ++s) {
        const CompareFileRow& was = snapshot.files[s];
        if (pairs.presentOf[s] < 0) {
            result.report.push_back("DELETED:      File:  " + was.name + kGap + "Location: " + was.location);
            changed = true;
            continue;
        }
        const CompareFileRow& now = present.files[static_cast<size_t>(pairs.presentOf[s])];
        if (SameCaption(now.location, was.location)) continue;
        Append(result.report, {"CHENGED LOCATION:      File:  " + now.name, kIndent + "OLDLocation:  " + was.location,
                               kIndent + "NEWLocation:  " + now.location});
        changed = true;
    }
    for (size_t c = 0; c < present.files.size(); ++c) {
        if (pairs.presentPaired[c]) continue;
        const CompareFileRow& now = present.files[c];
        result.report.push_back("CREATED:      File:  " + now.name + kGap + "Location: " + now.location);
        changed = true;
    }
    if (!changed) result.report.push_back(kNoChange);
}

void FillTable(const CompareRows& snapshot, CompareResult& result) {
    for (const CompareRegistryRow& row : snapshot.registry)
        if (!row.name.empty()) result.table.push_back({row.name, row.location, row.root, row.section, row.check});
    for (const CompareFileRow& row : snapshot.files)
        if (!row.name.empty()) result.table.push_back({row.name, row.location});
}

}  // namespace

std::string RowKeyName(const CompareRegistryRow& row) {
    return row.check == kTrue ? row.section : row.section + startup::kSwitchedOffSuffix;
}

CompareRows RowsOfSnapshot(const SnapshotData& data) {
    CompareRows rows;
    for (const SnapshotSection& section : data.sections)
        for (const SnapshotRunEntry& entry : section.entries)
            rows.registry.push_back(
                {entry.name, entry.location, entry.root, section.name, entry.active ? kTrue : kFalse});
    for (const SnapshotFileEntry& file : data.files) rows.files.push_back({file.name, file.folder});
    return rows;
}

std::string SnapshotStageText(SnapshotStage stage) {
    switch (stage) {
    case SnapshotStage::Reading: return "Reading the snapshot and the run keys...";
    case SnapshotStage::BackingUp: return "Saving the entries in a backup point...";
    case SnapshotStage::Repairing: return "Changing the run keys...";
    }
    return {};
}

SnapshotLoad LoadSnapshot(const std::string& path, CompareRows& rows, std::string& date, std::string& error,
                          common::IProgressSink& progress, common::StopToken stop) {
    rows = CompareRows{};
    date.clear();
    error.clear();
    if (stop.StopRequested()) return SnapshotLoad::Stopped;
    progress.Progress(0, 1, SnapshotStageText(SnapshotStage::Reading));
    SnapshotData data;
    const SnapshotLoad load = ReadSnapshotData(path, data, error);
    progress.Progress(1, 1, SnapshotStageText(SnapshotStage::Reading));
    if (stop.StopRequested()) {
        error.clear();
        return SnapshotLoad::Stopped;
    }
    if (load != SnapshotLoad::Loaded) return load;
    rows = RowsOfSnapshot(data);
    date = data.date;
    return SnapshotLoad::Loaded;
}

void ReadPresentRunKey(CompareRows& present, const std::string& rootName, const std::string& section,
                       const std::string& suffix) {
    const std::string check = suffix.empty() ? kTrue : kFalse;
    for (startup::RunKeyText& value : startup::ReadRunKeyTexts(rootName, section + suffix))
        present.registry.push_back({std::move(value.name), std::move(value.text), rootName, section, check});
}

void ReadPresentStartupFiles(CompareRows& present) {
    for (const std::string& path : startup::StartupFolderFiles())
        present.files.push_back({files::RemoveExtension(files::ExtractFileName(path)), files::ExtractFilePath(path)});
}

CompareRows ReadPresentState() {
    CompareRows present;
    for (const std::string& section : startup::SnapshotRunKeyNames()) {
        ReadPresentRunKey(present, kMachine, section, "");
        ReadPresentRunKey(present, kUser, section, "");
        ReadPresentRunKey(present, kMachine, section, startup::kSwitchedOffSuffix);
        ReadPresentRunKey(present, kUser, section, startup::kSwitchedOffSuffix);
    }
    ReadPresentStartupFiles(present);
    return present;
}

RowPairs PairRegistryRows(const std::vector<CompareRegistryRow>& snapshot,
                          const std::vector<CompareRegistryRow>& present) {
    return PairRows(snapshot, present);
}

RowPairs PairFileRows(const std::vector<CompareFileRow>& snapshot, const std::vector<CompareFileRow>& present) {
    return PairRows(snapshot, present);
}

std::vector<std::string> DifferingFileNames(const CompareRows& snapshot, const CompareRows& present) {
    std::vector<std::string> names;
    const RowPairs pairs = PairFileRows(snapshot.files, present.files);
    for (size_t s = 0; s < snapshot.files.size(); ++s) {
        if (pairs.presentOf[s] < 0) names.push_back(snapshot.files[s].name);
        else if (const CompareFileRow& now = present.files[static_cast<size_t>(pairs.presentOf[s])];
                 !SameCaption(now.location, snapshot.files[s].location))
            names.push_back(now.name);
    }
    for (size_t c = 0; c < present.files.size(); ++c)
        if (!pairs.presentPaired[c]) names.push_back(present.files[c].name);
    return names;
}

CompareResult CompareSnapshot(const CompareRows& snapshot, const CompareRows& present) {
    CompareResult result;
    CompareRegistry(snapshot, present, result);
    CompareFiles(snapshot, present, result);
    FillTable(snapshot, result);
    return result;
}

std::vector<std::string> DeletedRecord(const CompareRegistryRow& s) {
    return {"DELETED:  Parametr:  " + s.name + kGap + "Location: " + s.location,
            kIndent + "(RootKey: " + s.root + KeyTail(s.section)};
}

std::vector<std::string> CreatedRecord(const CompareRegistryRow& c) {
    return {"CREATED:  Parametr:  " + c.name + kGap + "Location: " + c.location,
            std::string(20, ' ') + "(RootKey: " + c.root + kGap + "Key:  ...\\" + c.section + ")"};
}

void RemoveRecords(std::vector<std::string>& report, const std::vector<std::vector<std::string>>& records) {
    for (const std::vector<std::string>& record : records) {
        if (record.empty() || record.size() > report.size()) continue;
        for (size_t at = report.size() - record.size() + 1; at-- > 0;) {
            if (std::equal(record.begin(), record.end(), report.begin() + static_cast<std::ptrdiff_t>(at))) {
                report.erase(report.begin() + static_cast<std::ptrdiff_t>(at),
                             report.begin() + static_cast<std::ptrdiff_t>(at + record.size()));
                break;
            }
        }
    }
}

}  // namespace snapshots
