// Comparing a startup snapshot with the machine as it is now: the snapshot
// loaded from its file, the present run keys and Startup files read, the
// difference report, the snapshot's table and which repairs make sense.
// Window-free: the comparison dialog shows what these give.
#pragma once

#include "common/ProgressSink.h"
#include "common/StopToken.h"
#include "formats/SnapshotFile.h"

#include <string>
#include <vector>

namespace snapshots {

// One run-key entry, of the snapshot or of the machine now.
struct CompareRegistryRow {
    std::string name;      // the value name
    std::string location;  // the value's text
    std::string root;      // "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER"
    std::string section;   // "Run", "RunOnce", ...
    std::string check;     // "True": the section's own key; "False": its switched-off key (section + "-")
};

// One file of a Startup folder.
struct CompareFileRow {
    std::string name;      // without its extension
    std::string location;  // its folder, with the trailing backslash
};

// One side of the comparison, rows in the order they were read.
struct CompareRows {
    std::vector<CompareRegistryRow> registry;
    std::vector<CompareFileRow> files;
};

inline bool operator==(const CompareRegistryRow& a, const CompareRegistryRow& b) {
    return a.name == b.name && a.location == b.location && a.root == b.root && a.section == b.section &&
           a.check == b.check;
}
inline bool operator==(const CompareFileRow& a, const CompareFileRow& b) {
    return a.name == b.name && a.location == b.location;
}

// How the snapshot's rows pair with the present ones, one to one: first on
// where they are and their name (root, key and name; a file's folder and
// name), then what is left on name alone, each snapshot row in turn taking
// the last present row of its name. Names and folders are compared as
// Windows does, case ignored.
struct RowPairs {
    std::vector<int> presentOf;       // per snapshot row: its present row's index, or -1 (gone)
    std::vector<bool> presentPaired;  // per present row: whether a snapshot row took it (false: new)
};
RowPairs PairRegistryRows(const std::vector<CompareRegistryRow>& snapshot,
                          const std::vector<CompareRegistryRow>& present);
RowPairs PairFileRows(const std::vector<CompareFileRow>& snapshot, const std::vector<CompareFileRow>& present);

// The names of the Startup files the comparison reports: gone, moved or new.
std::vector<std::string> DifferingFileNames(const CompareRows& snapshot, const CompareRows& present);

// The run key of a row below its root: section, plus "-" when switched off.
std::string RowKeyName(const CompareRegistryRow& row);

// The rows a snapshot's data gives, sections and files in file order.
CompareRows RowsOfSnapshot(const SnapshotData& data);

// A load's or a repair's stages, and the text that names each in its
// progress (common::IProgressSink: done of total rows of the stage).
enum class SnapshotStage { Reading, BackingUp, Repairing };
std::string SnapshotStageText(SnapshotStage stage);

enum class SnapshotLoad {
    Loaded,
    Stopped,  // asked to stop: nothing loaded
    NotOurs,  // well-formed, but its second line is not the snapshot marker: ignored without a word
    Refused,  // unreadable, not XML, or not laid out as a snapshot: nothing loaded, error says why
};

// Reads the snapshot file at path (any path length) into rows and its date.
// All or nothing: on anything but Loaded, rows and date are emptied. A file
// declaring a document type is refused before parsing; the XML parser's
// complaint is passed on with a sentence of ours; the layout is checked line
// by line as the writer makes it, every line looked for first; only the five
// run sections, the two roots, "True"/"False" and named entries pass.
// Error names the file and the fault. The parse is one step: a stop asked
// during it is seen when it ends.
SnapshotLoad LoadSnapshot(const std::string& path, CompareRows& rows, std::string& date, std::string& error,
                          common::IProgressSink& progress = common::NoProgressSink(), common::StopToken stop = {});

// Appends the present text entries of one run key: the section's own key
// (suffix "") or its switched-off key ("-"), read only, so a user without
// administrator rights sees the machine's entries too. A key that cannot be
// opened adds nothing.
void ReadPresentRunKey(CompareRows& present, const std::string& rootName, const std::string& section,
                       const std::string& suffix);
// Appends the files of the user's then the common Startup folder.
void ReadPresentStartupFiles(CompareRows& present);
// The five sections, each: the machine's key, the user's, then their
// switched-off keys; then the Startup files.
CompareRows ReadPresentState();

// What a comparison shows.
struct CompareResult {
    std::vector<std::string> report;               // the difference report, line by line
    std::vector<std::vector<std::string>> table;   // the snapshot's rows: 5 cells, or 2 for a file
    bool restoreAllEnabled = false;
    bool createDeletedEnabled = false;
    bool deleteCreatedEnabled = false;
};

// Compares the snapshot with the present rows as PairRegistryRows and
// PairFileRows pair them: "IN REGISTRY:" with one record per difference, then
// "IN AUTOSTART:" alike, each part "CHENGE NOT FOUND." when nothing differs.
CompareResult CompareSnapshot(const CompareRows& snapshot, const CompareRows& present);

// The two lines of the records the repairs take away.
std::vector<std::string> DeletedRecord(const CompareRegistryRow& snapshotRow);
std::vector<std::string> CreatedRecord(const CompareRegistryRow& presentRow);

// Takes each record (a run of whole lines) out of the report, from the last
// line up, once per record given; other lines stay.
void RemoveRecords(std::vector<std::string>& report, const std::vector<std::vector<std::string>>& records);

// The opening line of the report before any file is compared.
extern const char* const kCompareStartText;

}  // namespace snapshots
