// The registry scanner's problem records and the store that holds them.
#pragma once

#include "common/ProgressSink.h"
#include "common/StopToken.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace registry_scan {

// The twelve scanner sections; the number is the node's position below "All"
// in the section tree and indexes every per-section table.
constexpr int kRegistrySectionCount = 12;
extern const std::array<const char*, kRegistrySectionCount> kRegistrySectionCaptions;

// What a section's state says about its records.
enum SectionState : int {
    ssNotScanned = 0,
    ssScanned = 1,
    ssScanning = 2,  // problems are being recorded in it
    ssStopped = 3,   // the scan was stopped while it ran
};

// Fix states as the list shows and stores them.
inline constexpr char kNoFix[] = "NoFix";
inline constexpr char kFix[] = "fix";

// One problem. registryPath is root name, key path with a leading "\", "|"
// and the item the fix removes (a subkey, a subkey path or a value name).
struct RegistryProblem {
    std::string registryPath;
    std::string fileName;
    std::string guessPath;
    std::string fixState = kNoFix;
};

// The parts of a record's registry path: key ends with "\".
struct RegistryPathParts {
    std::string rootName;
    HKEY root = nullptr;
    std::string key;
    std::string item;
};

// Root name + key path + "|" + item.
std::string MakeRegistryPath(const std::string& rootName, const std::string& keyPath, const std::string& item);

// Splits a record's registry path: the root before the first "\", the key
// from that "\" up to the separator, the item after it. The keys the sections
// walk never hold a "|" while subkey and value names may, so the first "|"
// is the separator. Nothing (no fix possible) for a text without "|", without
// a "\" before it, or with an empty item: such a record must never lead to
// the removal of the whole key.
std::optional<RegistryPathParts> SplitRegistryPath(const std::string& registryPath);

// Where the row commands take a record. ProblemEditorKey: the key the
// registry editor opens, "<root>\<key>" — the item's own key when the item
// names a subkey that exists, else the key that holds the item (a value);
// empty when the path names no key. ProblemExistingFile: the guess path,
// else the file name, the first that is a full path of a file or folder
// that exists now; empty when neither is (the usual case: a record is a
// reference to a file that is missing).
std::string ProblemEditorKey(const RegistryProblem& problem);
std::string ProblemExistingFile(const RegistryProblem& problem);

// One marked record as a fix takes it: its place in the store and its texts.
struct FixRecord {
    int section = 0;
    int row = 0;
    RegistryProblem problem;
};

// What a fix did. Records deleted leave the store; the rest stay marked.
struct FixReport {
    int deleted = 0;
    int refused = 0;          // item empty or a key the sections walk as a container
    int unnamable = 0;        // a name holding a NUL: the program does not act on it
    int failed = 0;           // could not be deleted (rights, gone, not found)
    int machineWideFailed = 0;  // of failed: deletes refused under a root other than HKEY_CURRENT_USER
    int existsAgain = 0;      // the file the record missed is there again: left alone
    bool backupFailed = false;  // nothing was deleted
    bool stopped = false;     // asked to stop: the records not reached were left as they were
    std::string error;        // why the backup failed, for the user
    std::string pointFolder;  // the backup point written (trailing "\")
    std::vector<std::pair<int, int>> fixedRows;  // (section, row) of the records deleted
};

// The text for the user of a fix that got past its backup: how many errors
// it fixed and which backup point holds them, then, a line each, what it
// left and why.
std::string FixOutcomeText(const FixReport& report);

// A fix's stages, and the text that names each in its progress (what the
// progress window shows).
enum class FixStage { Checking, BackingUp, Deleting };
std::string FixStageText(FixStage stage);

// Fixes the records: each is looked at again (a file that is back, an item
// that went, a key the sections walk), the items left are saved into one
// backup point under backupFolder and checked, then deleted one by one.
// A stop asked before the backup deletes nothing; one asked later ends after
// the item being deleted. Touches no store: the caller removes fixedRows.
// Progress: done of total records of each stage, named by FixStageText.
FixReport FixRecords(const std::vector<FixRecord>& records, const std::string& backupFolder,
                     common::IProgressSink& progress, common::StopToken stop = {});
// The same into a report the caller holds: what was done before an error
// (out of memory, say) is in it when the error is raised.
void FixRecordsInto(const std::vector<FixRecord>& records, const std::string& backupFolder,
                    common::IProgressSink& progress,
                    common::StopToken stop, FixReport& report);

// The problem store: per section a state and four lists of equal length, row
// k of the four lists being one record; plus the total of all records. Changed
// only on the window's thread.
class ProblemStore {
public:
    struct Section {
        int state = ssNotScanned;
        std::vector<std::string> registryPaths;
        std::vector<std::string> fileNames;
        std::vector<std::string> guessPaths;
        std::vector<std::string> fixStates;
    };

    static bool ValidSection(int section) { return section >= 0 && section < kRegistrySectionCount; }

    int Total() const { return total_; }
    // Adds a scan's problem count when the scan finishes.
    void AddToTotal(int count) { total_ += count; }
    // Recomputes the total from the lists (the view does this when it refreshes).
    int RecountTotal();

    // Out-of-range sections read as an empty, unscanned section.
    const Section& SectionAt(int section) const;
    int State(int section) const { return SectionAt(section).state; }
    int Count(int section) const { return static_cast<int>(SectionAt(section).registryPaths.size()); }
    void SetState(int section, int state);

    // Before a new scan of the section: empties its lists, state 0, and takes
    // its former count off the total.
    void ResetSection(int section);
    // The record step: state 2 and one more row, marked "NoFix".
    void RecordProblem(int section, const std::string& registryPath, const std::string& fileName,
                       const std::string& guessPath);

    // The record at row, or nothing when there is no such row.
    std::optional<RegistryProblem> Problem(int section, int row) const;
    // Marks one record "fix" or "NoFix"; false when there is no such row.
    bool SetFix(int section, int row, bool fix);
    bool IsMarked(int section, int row) const;
    // Marks every record of every section.
    void MarkAll(bool fix);
    int MarkedCount(int section) const;
    int MarkedCount() const;
    // Removes one row from the four lists and one from the total (a fixed
    // record); false when there is no such row.
    bool RemoveProblem(int section, int row);

    // The marked records, each with its place, in the order a fix takes them
    // (per section from the last row to the first).
    std::vector<FixRecord> MarkedRecords() const;
    // Takes the rows a fix deleted out of the store, in one pass per section.
    void RemoveFixedRows(const FixReport& report);

    using FixReport = registry_scan::FixReport;
    // Deletes the registry item of every record marked "fix", after saving
    // all of them into a backup point under backupFolder (the program
    // folder's "Backup\") and checking the saved copy; when that fails,
    // nothing is deleted. Deleted records leave the store. In one go, for
    // callers without a window (FixRecords for the worker).
    FixReport FixMarkedProblems(const std::string& backupFolder);

private:
    bool ValidRow(int section, int row) const { return ValidSection(section) && row >= 0 && row < Count(section); }

    int total_ = 0;
    std::array<Section, kRegistrySectionCount> sections_{};
};

}  // namespace registry_scan
