// Backup points of whole roots: each root exported and merged into the point's
// root file, or a point's root files written back key by key.
#include "snapshots/BackupRun.h"

#include "snapshots/RegistryTree.h"

#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Processes.h"

#include <algorithm>
#include <exception>

namespace snapshots {

namespace {

namespace files = platform::files;

// How many names of keys left out the text lists; the count says the rest.
constexpr size_t kNamesShown = 3;

std::string Joined(const std::vector<std::string>& lines, const char* separator) {
    std::string text;
    for (const auto& line : lines) text += (text.empty() ? "" : separator) + line;
    return text;
}

// "3 keys ..." with the first few named: a whole root may leave out hundreds.
std::string CountedNames(const std::vector<std::string>& names) {
    std::vector<std::string> shown(names.begin(), names.begin() + std::min(names.size(), kNamesShown));
    std::string text = Joined(shown, "; ");
    if (names.size() > shown.size()) text += "; ...";
    return text;
}

std::string KeysLeftOut(const std::string& root, const std::vector<std::string>& unreadable) {
    const bool one = unreadable.size() == 1;
    return root + ": " + std::to_string(unreadable.size()) + (one ? " key" : " keys") +
           " could not be read and " + (one ? "is" : "are") + " not in the point: " + CountedNames(unreadable) + ".";
}

// Whether path names root itself or a key below it, so a root file changes
// only its own root whatever it holds.
bool BelongsToRoot(const std::string& path, const std::string& root) {
    const std::string head = path.substr(0, path.find('\\'));
    return lstrcmpiA(head.c_str(), root.c_str()) == 0;
}

// Writes every key it can and goes on past the ones it cannot, so one
// protected key does not keep the rest of a root from coming back.
void ImportEachKey(std::vector<RegKeyData>& keys, const std::string& root, std::vector<std::string>& failed) {
    for (auto& key : keys) {
        if (!BelongsToRoot(key.path, root)) {
            failed.push_back(key.path + " is not a key of " + root);
            continue;
        }
        std::vector<RegKeyData> one(1);
        one[0] = std::move(key);
        std::string error;
        if (!ImportRegistryTree(one, error)) failed.push_back(error);
    }
}

// A key may vanish while a whole root is walked; one more walk usually gets past it.
bool ExportRoot(const std::string& root, std::vector<RegKeyData>& keys, std::vector<std::string>& unreadable,
                std::string& error) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        keys.clear();
        unreadable.clear();
        if (ExportRegistryTree(root, "", keys, error, &unreadable)) return true;
    }
    return false;
}

void SaveRoot(const std::string& pointFolder, size_t index, BackUpOutcome& outcome) {
    const std::string root = kBackupRootKeyNames[index];
    std::vector<RegKeyData> keys;
    std::vector<std::string> unreadable;
    std::string error;
    if (!ExportRoot(root, keys, unreadable, error) || !MergeIntoRootFile(pointFolder, index, keys, error)) {
        outcome.problems.push_back(root + " was not saved: " + error);
        return;
    }
    if (unreadable.empty())
        outcome.done.push_back(root);
    else
        outcome.problems.push_back(KeysLeftOut(root, unreadable));
}

void RestoreRoot(const std::string& file, size_t index, BackUpOutcome& outcome) {
    const std::string root = kBackupRootKeyNames[index];
    std::vector<RegKeyData> keys;
    std::string error;
    if (!LoadRegFile(file, keys, error)) {
        outcome.problems.push_back(root + " was not restored: " + error);
        return;
    }
    const size_t total = keys.size();
    std::vector<std::string> failed;
    ImportEachKey(keys, root, failed);
    if (failed.empty()) {
        outcome.done.push_back(root);
        return;
    }
    outcome.problems.push_back(root + ": " + std::to_string(failed.size()) + " of " + std::to_string(total) +
                               " keys could not be written: " + CountedNames(failed));
}

// Runs one root's step; an exception (memory for a huge root) costs that
// root only.
template <typename Step>
void Guarded(const std::string& root, const char* failedWhat, BackUpOutcome& outcome, Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        outcome.problems.push_back(root + failedWhat + e.what());
    }
}

}  // namespace

std::string BackUpOutcomeText(const BackUpOutcome& outcome) {
    if (outcome.problems.empty()) return {};
    const bool making = outcome.mode == kMakeBackupPoint;
    const std::string head = making ? "The backup point " + outcome.pointName + " is incomplete."
                                    : "The backup point " + outcome.pointName + " was not fully restored.";
    std::string text = head + "\n\n" + Joined(outcome.problems, "\n");
    if (!outcome.done.empty())
        text += "\n\n" + std::string(making ? "Saved completely: " : "Restored completely: ") +
                Joined(outcome.done, ", ") + ".";
    return text;
}

BackUpOutcome MakeBackupPoint(const std::string& backupFolder, const SYSTEMTIME& now, const BackupRootFlags& roots,
                              const common::StopToken& stop) {
    BackUpOutcome outcome;
    outcome.mode = kMakeBackupPoint;
    outcome.pointName = BackupPointName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
    const std::string point = WithTrailingSeparator(backupFolder) + outcome.pointName + "\\";
    if (!files::CreateFolderPath(point)) {
        outcome.problems.push_back("Its folder could not be made, so nothing was saved: " +
                                   platform::processes::SystemErrorText(GetLastError()) + " (" + point + ").");
        return outcome;
    }
    for (size_t index = 0; index < kBackupRootCount; ++index) {
        if (!roots[index]) continue;
        const std::string root = kBackupRootKeyNames[index];
        if (stop.StopRequested()) {
            outcome.problems.push_back("The backup was stopped before " + root + " was saved.");
            break;
        }
        Guarded(root, " was not saved: ", outcome, [&] { SaveRoot(point, index, outcome); });
    }
    return outcome;
}

BackUpOutcome RestoreBackupPoint(const std::string& backupFolder, const std::string& pointName,
                                 const common::StopToken& stop) {
    BackUpOutcome outcome;
    outcome.mode = kRestoreBackupPoint;
    outcome.pointName = pointName;
    const std::string point = WithTrailingSeparator(backupFolder) + pointName + "\\";
    if (!files::DirectoryExists(point)) {
        outcome.problems.push_back("Its folder is missing (" + point + ").");
        return outcome;
    }
    bool found = false;
    for (size_t index = 0; index < kBackupRootCount; ++index) {
        const std::string file = point + kBackupRootFileNames[index];
        if (!files::FileExists(file)) continue;
        found = true;
        const std::string root = kBackupRootKeyNames[index];
        if (stop.StopRequested()) {
            outcome.problems.push_back("The restore was stopped before " + root + " was restored.");
            return outcome;
        }
        Guarded(root, " was not restored: ", outcome, [&] { RestoreRoot(file, index, outcome); });
    }
    if (!found) outcome.problems.push_back("It holds no registry files (" + point + "), so nothing was restored.");
    return outcome;
}

std::vector<std::string> ListBackupPoints(const std::string& backupFolder) {
    const std::string pattern = WithTrailingSeparator(backupFolder);
    std::vector<std::string> names;
    files::FindEntries(pattern + "*.*", [&](const files::FindEntry& entry) {
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && entry.name != "." && entry.name != "..")
            names.push_back(entry.name);
    });
    return names;
}

}  // namespace snapshots
