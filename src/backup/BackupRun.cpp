// Backup points of whole roots: each root exported and merged into the point's
// root file, or a point's root files written back key by key.
#include "backup/BackupRun.h"

#include "backup/RegistryTree.h"

#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Processes.h"

#include <algorithm>
#include <exception>

namespace backup {

namespace {

namespace files = platform::files;

// How many names of keys left out the text lists; the count says the rest.
constexpr size_t kNamesShown = 3;

std::string Joined(const std::vector<std::string>& lines, const char* separator) {
    std::string text;
    for (const auto& line : lines) text += (text.empty() ? "" : separator) + line;
    return text;
}

// A system text as the end of a sentence.
std::string Sentence(std::string text) {
    if (!text.empty() && text.back() != '.') text += '.';
    return text;
}

// "3 keys ..." with the first few named: a whole root may leave out hundreds.
std::string CountedNames(const std::vector<std::string>& names) {
    std::vector<std::string> shown(names.begin(), names.begin() + std::min(names.size(), kNamesShown));
    std::string text = Joined(shown, "; ");
    if (names.size() > shown.size()) text += "; ...";
    return text;
}

// One line per reason, so a root with hundreds of protected keys says so once.
std::vector<std::string> KeysLeftOut(const std::string& root, const std::vector<LeftOutKey>& unreadable) {
    std::vector<std::string> reasons;
    std::vector<std::vector<std::string>> names;
    for (const auto& key : unreadable) {
        const auto found = std::find(reasons.begin(), reasons.end(), key.reason);
        if (found == reasons.end()) {
            reasons.push_back(key.reason);
            names.push_back({key.path});
        } else {
            names[found - reasons.begin()].push_back(key.path);
        }
    }
    std::vector<std::string> lines;
    for (size_t i = 0; i < reasons.size(); ++i) {
        const bool one = names[i].size() == 1;
        std::string line = root + ": " + std::to_string(names[i].size()) + (one ? " key" : " keys") +
                           " could not be read and " + (one ? "is" : "are") +
                           " not in the point: " + CountedNames(names[i]) + ".";
        if (!reasons[i].empty()) line += " Reason: " + Sentence(reasons[i]);
        lines.push_back(line);
    }
    return lines;
}

std::string PartialNotice(const std::vector<LeftOutKey>& leftOut) {
    std::vector<std::string> names;
    for (const auto& key : leftOut) names.push_back(key.path);
    const bool one = names.size() == 1;
    return "It is partial: when it was made, " + std::to_string(names.size()) + (one ? " key" : " keys") +
           " could not be saved and " + (one ? "is" : "are") + " not in it: " + CountedNames(names) +
           ". What it holds was restored.";
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
bool ExportRoot(const std::string& root, std::vector<RegKeyData>& keys, std::vector<LeftOutKey>& unreadable,
                std::string& error) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        keys.clear();
        unreadable.clear();
        if (ExportRegistryTree(root, "", keys, error, &unreadable)) return true;
    }
    return false;
}

// Marks the point partial; a point whose manifest cannot take the mark says so.
void MarkLeftOut(const std::string& pointFolder, const std::vector<LeftOutKey>& leftOut,
                 const std::string& description, BackUpOutcome& outcome) {
    std::string error;
    if (!RecordLeftOut(pointFolder, leftOut, error, description))
        outcome.problems.push_back("The point could not be marked partial in its manifest: " + error);
}

// kWouldReplace when the point holds values of the root with other data:
// nothing was written then, nor told.
MergeResult SaveRoot(const std::string& pointFolder, size_t index, const std::string& description,
                     BackUpOutcome& outcome) {
    const std::string root = kBackupRootKeyNames[index];
    std::vector<RegKeyData> keys;
    std::vector<LeftOutKey> unreadable;
    std::string error;
    MergeResult result = MergeResult::kFailed;
    if (ExportRoot(root, keys, unreadable, error))
        result = MergeIntoRootFile(pointFolder, index, keys, error, unreadable, description);
    if (result == MergeResult::kWouldReplace) return result;
    if (result == MergeResult::kFailed) {
        outcome.problems.push_back(root + " was not saved: " + error);
        MarkLeftOut(pointFolder, {{root, error}}, description, outcome);
        return result;
    }
    if (unreadable.empty()) {
        outcome.done.push_back(root);
        return result;
    }
    for (auto& line : KeysLeftOut(root, unreadable)) outcome.problems.push_back(std::move(line));
    return result;
}

std::string NotRestored(const std::string& root, const std::string& file, const std::string& why) {
    return root + " was not restored: its file " + file + " " + why;
}

// Checks the file against its manifest entry (when the point has one)
// before anything of it is read as keys, and writes it only when it matches.
void RestoreRoot(const std::string& file, size_t index, const ManifestFile* entry, BackUpOutcome& outcome) {
    const std::string root = kBackupRootKeyNames[index];
    std::string bytes, problem;
    if (!files::ReadFileBytes(file, bytes)) {
        outcome.problems.push_back(NotRestored(root, file, "cannot be read: " +
                                                               platform::processes::SystemErrorText(GetLastError())));
        return;
    }
    const auto refuse = [&] {
        outcome.problems.push_back(NotRestored(
            root, file, "does not match the point's manifest (" + problem + "); nothing of it was written."));
    };
    if (entry && !MatchesManifest(*entry, bytes, problem)) return refuse();
    std::vector<RegKeyData> keys;
    std::string error;
    if (!ReadRegFile(std::vector<uint8_t>(bytes.begin(), bytes.end()), keys, error)) {
        outcome.problems.push_back(root + " was not restored: " + file + ", " + error);
        return;
    }
    if (entry && !CountsMatchManifest(*entry, keys, problem)) return refuse();
    bytes = std::string();  // a whole root's file: not kept beside its keys while they are written
    const size_t total = keys.size();
    std::vector<std::string> failed;
    ImportEachKey(keys, root, failed);
    if (failed.empty()) {
        outcome.done.push_back(root);
        return;
    }
    outcome.machineWideRefused = outcome.machineWideRefused || root != "HKEY_CURRENT_USER";
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

std::string MarkerPath(const std::string& backupFolder) {
    return WithTrailingSeparator(backupFolder) + kRestoreMarkerFileName;
}

// The marker of a restore under way: written before the first key is, and
// removed on every way out of the restore, exceptions included.
class RestoreMarker {
public:
    RestoreMarker(const std::string& backupFolder, const std::string& pointName) : path_(MarkerPath(backupFolder)) {
        written_ = files::WriteFileBytesFlushed(path_, pointName + "\r\n");
        if (!written_) {
            error_ = platform::processes::SystemErrorText(GetLastError()) + " (" + path_ + ")";
            files::DeleteFilePath(path_);  // what a failed write may have left
        }
    }
    ~RestoreMarker() {
        if (written_) files::DeleteFilePath(path_);
    }
    RestoreMarker(const RestoreMarker&) = delete;
    RestoreMarker& operator=(const RestoreMarker&) = delete;

    bool Written() const { return written_; }
    const std::string& Error() const { return error_; }

private:
    std::string path_, error_;
    bool written_ = false;
};

bool IsRootFileName(const std::string& name) {
    for (const char* rootFile : kBackupRootFileNames)
        if (lstrcmpiA(rootFile, name.c_str()) == 0) return true;
    return false;
}

}  // namespace

const char* const kRestoreMarkerFileName = "restore under way.txt";
const char* const kNoRootTickedText =
    "No root key is ticked, so no backup point was made. Tick the root keys to save in the new point.";

std::string BackUpOutcomeText(const BackUpOutcome& outcome) {
    if (outcome.pointName.empty()) return Joined(outcome.problems, "\r\n");
    const bool making = outcome.mode == kMakeBackupPoint;
    const bool complete = outcome.problems.empty();
    const std::string name = "The backup point " + outcome.pointName;
    const std::string roots = Counted(outcome.done.size(), "root", "roots");
    const std::string head = making ? (complete ? name + " was made: " + roots + " saved." : name + " is incomplete.")
                                    : (complete ? name + " was restored: " + roots + " written back."
                                                : name + " was not fully restored.");
    std::string text = head;
    if (!outcome.notices.empty()) text += "\r\n\r\n" + Joined(outcome.notices, "\r\n");
    if (complete) return text;
    text += "\r\n\r\n" + Joined(outcome.problems, "\r\n");
    if (!outcome.done.empty())
        text += "\r\n\r\n" + std::string(making ? "Saved completely: " : "Restored completely: ") +
                Joined(outcome.done, ", ") + ".";
    return text;
}

namespace {

// Saves the ticked roots into the point pointName; false when a root would
// replace a value the point holds with other data, and the run must go
// into another point.
bool SaveRootsInto(const std::string& backupFolder, const BackupRootFlags& roots, const std::string& description,
                   common::IProgressSink& progress, common::StopToken stop, BackUpOutcome& outcome) {
    const std::string point = WithTrailingSeparator(backupFolder) + outcome.pointName + "\\";
    if (!files::CreateFolderPath(point)) {
        outcome.problems.push_back("Its folder could not be made, so nothing was saved: " +
                                   platform::processes::SystemErrorText(GetLastError()) + " (" + point + ").");
        return true;
    }
    const size_t total = static_cast<size_t>(std::count(roots.begin(), roots.end(), true));
    size_t done = 0;
    for (size_t index = 0; index < kBackupRootCount; ++index) {
        if (!roots[index]) continue;
        const std::string root = kBackupRootKeyNames[index];
        progress.Progress(done++, total, root);
        if (stop.StopRequested()) {
            outcome.problems.push_back("The backup was stopped before " + root + " was saved.");
            std::vector<LeftOutKey> notSaved;
            for (size_t rest = index; rest < kBackupRootCount; ++rest)
                if (roots[rest]) notSaved.push_back({kBackupRootKeyNames[rest], "stopped before it was saved"});
            MarkLeftOut(point, notSaved, description, outcome);
            break;
        }
        bool replaces = false;
        Guarded(root, " was not saved: ", outcome,
                [&] { replaces = SaveRoot(point, index, description, outcome) == MergeResult::kWouldReplace; });
        if (replaces) return false;
        if (done == total) progress.Progress(done, total, root);
    }
    PointManifest manifest;
    std::string error;
    if (LoadPointManifest(point, manifest, error) == ManifestState::kRead && manifest.Partial())
        outcome.notices.push_back("Its manifest marks it partial: a restore puts back only what it holds.");
    return true;
}

}  // namespace

std::string ManualBackupDescription(const BackupRootFlags& roots) {
    std::vector<std::string> names;
    for (size_t index = 0; index < kBackupRootCount; ++index)
        if (roots[index]) names.push_back(kBackupRootKeyNames[index]);
    return "BackUp: " + Joined(names, ", ");
}

BackUpOutcome MakeBackupPoint(const std::string& backupFolder, const SYSTEMTIME& now, const BackupRootFlags& roots,
                              const std::string& description, common::IProgressSink& progress,
                              common::StopToken stop) {
    BackUpOutcome outcome;
    outcome.mode = kMakeBackupPoint;
    if (!AnyRootTicked(roots)) {
        // An empty folder would be listed as a point that restores nothing;
        // no point is named, as none was begun.
        outcome.problems.push_back(kNoRootTickedText);
        return outcome;
    }
    const std::string minuteName = BackupPointName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
    // One point per minute, but a value saved there is never replaced: the
    // whole run goes into the next point of the minute then, so that one
    // point holds all it saved (what it merged into the earlier one stays:
    // it replaced nothing there).
    for (int copy = 1; copy <= kMaxPointsPerMinute; ++copy) {
        outcome = BackUpOutcome();
        outcome.mode = kMakeBackupPoint;
        outcome.pointName = SuffixedPointName(minuteName, copy);
        if (SaveRootsInto(backupFolder, roots, description, progress, stop, outcome)) return outcome;
    }
    outcome.problems.push_back("The " + std::to_string(kMaxPointsPerMinute) +
                               " points of this minute all hold other data of its values, so nothing more was saved.");
    return outcome;
}

BackUpOutcome RestoreBackupPoint(const std::string& backupFolder, const std::string& pointName,
                                 common::IProgressSink& progress, common::StopToken stop) {
    BackUpOutcome outcome;
    outcome.mode = kRestoreBackupPoint;
    outcome.pointName = pointName;
    const std::string point = WithTrailingSeparator(backupFolder) + pointName + "\\";
    if (!files::DirectoryExists(point)) {
        outcome.problems.push_back("Its folder is missing (" + point + ").");
        return outcome;
    }
    // The point's writers wait while it is restored, so its manifest and
    // files are read as one. Where the lock cannot be had (a folder nobody
    // may write) the restore goes on: every file is checked anyway. The
    // lock comes before the marker: a program ended while it waits has
    // written nothing yet.
    const platform::FileHandle lock = LockBackupPoint(point);
    const RestoreMarker marker(backupFolder, pointName);
    if (!marker.Written()) {
        outcome.problems.push_back("Nothing was restored: the file that marks a restore under way could not be "
                                   "written: " + marker.Error() + ".");
        return outcome;
    }
    if (lock) FinishInterruptedWrite(point);
    PointManifest manifest;
    std::string error;
    const ManifestState state = LoadPointManifest(point, manifest, error);
    if (state == ManifestState::kDamaged) {
        outcome.problems.push_back("Its manifest cannot be read, so nothing was restored: " + error);
        return outcome;
    }
    if (state == ManifestState::kMissing)
        outcome.notices.push_back("It has no manifest (it was made by hand or by an earlier version), so its files "
                                  "could not be checked before they were restored.");
    else if (manifest.Partial())
        outcome.notices.push_back(PartialNotice(manifest.leftOut));
    for (const auto& listed : manifest.files)
        if (!IsRootFileName(listed.name))
            outcome.problems.push_back("Its manifest lists " + listed.name +
                                       ", which is not a root file; it was left alone.");

    // The roots the point has a file of, or lists one for.
    std::vector<size_t> pointRoots;
    for (size_t index = 0; index < kBackupRootCount; ++index)
        if (files::FileExists(point + kBackupRootFileNames[index]) || manifest.Find(kBackupRootFileNames[index]))
            pointRoots.push_back(index);
    for (size_t done = 0; done < pointRoots.size(); ++done) {
        const size_t index = pointRoots[done];
        const std::string file = point + kBackupRootFileNames[index];
        const ManifestFile* entry = manifest.Find(kBackupRootFileNames[index]);
        const bool exists = files::FileExists(file);
        const std::string root = kBackupRootKeyNames[index];
        progress.Progress(done, pointRoots.size(), root);
        if (stop.StopRequested()) {
            outcome.problems.push_back("The restore was stopped before " + root + " was restored.");
            return outcome;
        }
        if (!exists)
            outcome.problems.push_back(NotRestored(root, file, "is listed in the point's manifest but missing."));
        else if (state == ManifestState::kRead && !entry)
            outcome.problems.push_back(NotRestored(
                root, file, "is not in the point's manifest, so it cannot be checked; nothing of it was written."));
        else
            Guarded(root, " was not restored: ", outcome, [&] { RestoreRoot(file, index, entry, outcome); });
        if (done + 1 == pointRoots.size()) progress.Progress(done + 1, pointRoots.size(), root);
    }
    if (pointRoots.empty()) outcome.problems.push_back("It holds no registry files (" + point + "), so nothing was restored.");
    return outcome;
}

bool AnyRootTicked(const BackupRootFlags& roots) {
    return std::find(roots.begin(), roots.end(), true) != roots.end();
}

std::vector<std::string> BackupPointRoots(const std::string& backupFolder, const std::string& pointName) {
    const std::string point = WithTrailingSeparator(backupFolder) + pointName + "\\";
    std::vector<std::string> roots;
    for (size_t index = 0; index < kBackupRootCount; ++index)
        if (files::FileExists(point + kBackupRootFileNames[index])) roots.push_back(kBackupRootKeyNames[index]);
    return roots;
}

std::string RestoreQuestionText(const std::string& pointName, const std::vector<std::string>& roots) {
    const std::string what = roots.empty() ? "no registry files" : Joined(roots, ", ");
    return "Restore the backup point " + pointName + " (" + what + ")? It writes over the registry.";
}

BackupPointCheck InspectBackupPoint(const std::string& backupFolder, const std::string& pointName) {
    BackupPointCheck check;
    const std::string point = WithTrailingSeparator(backupFolder) + pointName + "\\";
    check.exists = files::DirectoryExists(point);
    if (!check.exists) return check;
    PointManifest manifest;
    std::string error;
    check.manifest = LoadPointManifest(point, manifest, error);
    check.partial = manifest.Partial();
    return check;
}

bool FindUnfinishedRestore(const std::string& backupFolder, std::string& pointName) {
    pointName.clear();
    const std::string path = MarkerPath(backupFolder);
    if (!files::FileExists(path)) return false;
    std::string text;
    if (files::ReadFileBytes(path, text)) pointName = text.substr(0, text.find_first_of("\r\n"));
    return true;
}

bool ForgetUnfinishedRestore(const std::string& backupFolder) {
    return files::DeleteFilePath(MarkerPath(backupFolder));
}

std::string BackupPointDescription(const std::string& backupFolder, const std::string& pointName) {
    PointManifest manifest;
    std::string error;
    const std::string point = WithTrailingSeparator(backupFolder) + pointName + "\\";
    return LoadPointManifest(point, manifest, error) == ManifestState::kRead ? manifest.description : std::string();
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

}  // namespace backup
