// Fixing the problem store: the marked records' keys and values are saved into
// a backup point, then deleted; keys the sections walk are never deleted.
#include "registry_scan/ProblemStore.h"

#include "platform/Files.h"
#include "registry_scan/GuessPathSystem.h"

#include "backup/BackupPoint.h"
#include "common/Common.h"
#include "common/RegistryFunctions.h"
#include "platform/RegistryKey.h"
#include "registry_scan/ScanKeys.h"
#include "registry_scan/ScannerContainers.h"

#include <set>
#include <utility>

namespace registry_scan {

namespace {

using platform::RegistryKey;

// Deleting a tree needs only to list it: the system checks the delete right
// of each key itself, not the rights of the handle it is named through.
constexpr REGSAM kTreeDeleteAccess = KEY_READ;
constexpr REGSAM kValueDeleteAccess = KEY_SET_VALUE;

enum class FixAction { Refuse, Unnamable, Missing, DeleteKey, DeleteValue };

struct FixTarget {
    FixAction action = FixAction::Refuse;
    HKEY root = nullptr;
    std::string rootName;   // the root's full name, as backup points name it
    std::string keyPath;    // below the root, without a leading "\"
    std::string valueName;  // DeleteValue only
};

// The key names of "a\b\c"; nothing when a name is empty, "." or "..": such
// a path may reach another key than the one it seems to name.
std::optional<std::vector<std::string>> KeyNames(const std::string& path) {
    std::vector<std::string> names;
    size_t start = 0;
    for (;;) {
        const size_t end = path.find('\\', start);
        std::string name = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (name.empty() || name == "." || name == "..") return std::nullopt;
        names.push_back(std::move(name));
        if (end == std::string::npos) return names;
        start = end + 1;
    }
}

std::string Joined(const std::vector<std::string>& names) {
    std::string path;
    for (const std::string& name : names) path += (path.empty() ? "" : "\\") + name;
    return path;
}

enum class Presence { Absent, Present, Unreachable };

// A key that exists but cannot be opened is not taken for a missing one: its
// value namesake must not be deleted in its place.
Presence KeyPresence(HKEY root, const std::string& path) {
    LONG rc = ERROR_SUCCESS;
    if (RegistryKey::Open({root, path}, KEY_QUERY_VALUE, &rc)) return Presence::Present;
    return rc == ERROR_FILE_NOT_FOUND ? Presence::Absent : Presence::Unreachable;
}

bool ValuePresent(HKEY root, const std::string& keyPath, const std::string& name) {
    return RegistryKey::Open({root, keyPath}, KEY_QUERY_VALUE).ValueExists(name);
}

FixTarget With(FixTarget target, FixAction action, std::string keyPath, std::string valueName = {}) {
    target.action = action;
    target.keyPath = std::move(keyPath);
    target.valueName = std::move(valueName);
    return target;
}

// An item that is no key path can still be the literal name of a value (a
// shared DLL's path may hold "..\"); it is never taken for a key.
FixTarget ValueOnly(const FixTarget& target, const std::string& keyPath, const std::string& item) {
    if (!ValuePresent(target.root, keyPath, item)) return target;
    return With(target, FixAction::DeleteValue, keyPath, item);
}

// The key names[...] with all its subkeys; when there is no such key and a
// value item is given, the value of that name in the key the record names.
FixTarget KeyOrValue(const FixTarget& target, const std::vector<std::string>& keyNames,
                     const std::vector<std::string>& itemNames, const std::string* valueItem) {
    std::vector<std::string> names = keyNames;
    names.insert(names.end(), itemNames.begin(), itemNames.end());
    if (IsScannerContainer(target.root, names)) return target;
    const std::string keyPath = Joined(names);
    switch (KeyPresence(target.root, keyPath)) {
    case Presence::Present: return With(target, FixAction::DeleteKey, keyPath);
    case Presence::Unreachable: return With(target, FixAction::Missing, keyPath);
    case Presence::Absent: break;
    }
    const std::string parent = Joined(keyNames);
    if (valueItem == nullptr || !ValuePresent(target.root, parent, *valueItem))
        return With(target, FixAction::Missing, keyPath);
    return With(target, FixAction::DeleteValue, parent, *valueItem);
}

// The uninstall section records "entry\UninstallString", the value it found
// pointing nowhere; fixing it removes the orphaned entry as a whole.
std::optional<std::string> UninstallEntry(HKEY root, const std::vector<std::string>& keyNames,
                                          const std::string& item) {
    static const std::vector<std::string> kUninstall = FoldedKeyNames(scan_keys::kUninstall);
    static const std::string kSuffix = "\\UNINSTALLSTRING";
    if (root != HKEY_LOCAL_MACHINE || keyNames.size() != kUninstall.size()) return std::nullopt;
    for (size_t i = 0; i < keyNames.size(); ++i)
        if (FoldedKeyName(keyNames[i]) != kUninstall[i]) return std::nullopt;
    if (item.size() <= kSuffix.size() || FoldedKeyName(item.substr(item.size() - kSuffix.size())) != kSuffix)
        return std::nullopt;
    const std::string entry = item.substr(0, item.size() - kSuffix.size());
    const auto names = KeyNames(entry);
    if (!names || names->size() != 1) return std::nullopt;
    return entry;
}

// The sections whose records name a value of the walked key (help files,
// fonts, run history, shared DLLs, shares, approved extensions): their item
// is always a value, never a subkey of the same name (the share list holds
// a subkey "Security" beside the shares, for instance).
bool SectionRecordsValues(int section) {
    switch (section) {
    case 2: case 3: case 4: case 6: case 7: case 8: return true;
    default: return false;
    }
}

// What fixing the record would delete, decided from its path and the registry
// as it is now.
FixTarget ResolveTarget(const std::string& registryPath, bool valueItem) {
    FixTarget target;
    // A name cut short at a NUL would name another key or value.
    if (registryPath.find('\0') != std::string::npos) {
        target.action = FixAction::Unnamable;
        return target;
    }
    const auto parts = SplitRegistryPath(registryPath);
    if (!parts) return target;
    target.root = parts->root;
    target.rootName = RootKeyName(parts->root);
    // parts->key is "\" + key path + "\": nothing between them is the root.
    const std::string& key = parts->key;
    if (key.size() < 3) return target;
    const auto keyNames = KeyNames(key.substr(1, key.size() - 2));
    if (!keyNames) return target;
    const std::string& item = parts->item;
    if (valueItem) {
        const std::string keyPath = Joined(*keyNames);
        if (!ValuePresent(target.root, keyPath, item)) return With(target, FixAction::Missing, keyPath);
        return With(target, FixAction::DeleteValue, keyPath, item);
    }
    if (const auto entry = UninstallEntry(parts->root, *keyNames, item))
        return KeyOrValue(target, *keyNames, {*entry}, nullptr);
    const auto itemNames = KeyNames(item);
    if (!itemNames) return ValueOnly(target, Joined(*keyNames), item);
    return KeyOrValue(target, *keyNames, *itemNames, &item);
}

bool TargetGone(const FixTarget& target) {
    if (target.action == FixAction::DeleteKey) return KeyPresence(target.root, target.keyPath) == Presence::Absent;
    const Presence key = KeyPresence(target.root, target.keyPath);
    return key == Presence::Absent ||
           (key == Presence::Present && !ValuePresent(target.root, target.keyPath, target.valueName));
}

// Done when the item is gone afterwards: an item another record's delete
// took with it (the same key recorded twice, a value in a deleted key) is
// fixed as well, and a delete the system half refused is not.
bool DeleteTarget(const FixTarget& target) {
    const platform::RegistryPlace place{target.root, target.keyPath};
    if (target.action == FixAction::DeleteKey)
        RegistryKey::DeleteTree(place, kTreeDeleteAccess);
    else
        RegistryKey::Open(place, kValueDeleteAccess).DeleteValue(target.valueName);
    return TargetGone(target);
}

backup::BackupItem BackupItemOf(const FixTarget& target) {
    const bool wholeKey = target.action == FixAction::DeleteKey;
    return {target.rootName, target.keyPath, wholeKey, wholeKey ? std::string() : target.valueName};
}

std::string Identity(const FixTarget& target) {
    const bool wholeKey = target.action == FixAction::DeleteKey;
    return target.rootName + (wholeKey ? "K" : "V") + FoldedKeyName(target.keyPath) + "|" +
           (wholeKey ? std::string() : FoldedKeyName(target.valueName));
}


// Whether the file (or folder) a record missed is there again, or can no
// longer be judged missing (its drive went to the network or out of the
// machine). The start-menu order and the file extensions name no file:
// theirs never is.
bool FileThereAgain(int section, const RegistryProblem& problem, const GuessEnvironment& environment) {
    constexpr int kMenuOrder = 5, kSharedFolders = 7, kFileExtensions = 11;
    switch (section) {
    case kMenuOrder:
    case kFileExtensions: return false;
    case kSharedFolders:
        return !problem.guessPath.empty() && (!environment.canJudgeMissing(problem.guessPath) ||
                                              platform::files::DirectoryExistsAnyLength(problem.guessPath));
    default: return !problem.fileName.empty() && !CheckFileReference(problem.fileName, environment).problem;
    }
}

struct Attempt {
    int section, row;
    FixTarget target;
};

// Looks at every record again and decides what deleting it would take.
std::vector<Attempt> CheckRecords(const std::vector<FixRecord>& records, common::IProgressSink& progress,
                                  common::StopToken stop, FixReport& report) {
    const GuessEnvironment environment = SystemGuessEnvironment();
    std::vector<Attempt> attempts;
    const int total = static_cast<int>(records.size());
    const std::string stage = FixStageText(FixStage::Checking);
    for (int done = 0; done < total; ++done) {
        progress.Progress(done, total, stage);
        if (stop.StopRequested()) {
            report.stopped = true;
            return {};
        }
        const FixRecord& record = records[done];
        if (FileThereAgain(record.section, record.problem, environment)) {
            ++report.existsAgain;
            continue;
        }
        FixTarget target = ResolveTarget(record.problem.registryPath, SectionRecordsValues(record.section));
        if (target.action == FixAction::Refuse)
            ++report.refused;
        else if (target.action == FixAction::Unnamable)
            ++report.unnamable;
        else if (target.action == FixAction::Missing)
            ++report.failed;
        else
            attempts.push_back({record.section, record.row, std::move(target)});
    }
    return attempts;
}

std::vector<backup::BackupItem> BackupItemsOf(const std::vector<Attempt>& attempts) {
    std::vector<backup::BackupItem> items;
    std::set<std::string> saved;
    for (const Attempt& attempt : attempts)
        if (saved.insert(Identity(attempt.target)).second) items.push_back(BackupItemOf(attempt.target));
    return items;
}

}  // namespace

std::string FixStageText(FixStage stage) {
    switch (stage) {
    case FixStage::Checking: return "Looking at the marked errors again...";
    case FixStage::BackingUp: return "Saving the registry items in a backup point...";
    case FixStage::Deleting: return "Deleting the registry items...";
    }
    return {};
}

std::string FixOutcomeText(const FixReport& report) {
    std::string text;
    auto line = [&text](const std::string& next) { text += (text.empty() ? "" : "\r\n") + next; };
    std::string folder = report.pointFolder;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    const std::string point = platform::files::ExtractFileName(folder);
    // Said as a backup's own outcome says it: the count, then the point by name.
    const bool one = report.deleted == 1;
    const std::string fixed = report.deleted > 0 ? Counted(static_cast<size_t>(report.deleted), "error", "errors") +
                                                       (one ? " was fixed" : " were fixed")
                                                 : std::string("no error was fixed");
    const std::string saved = point.empty() || report.deleted <= 0
                                  ? std::string()
                                  : std::string(one ? "; it was" : "; they were") + " saved in the backup point " +
                                        point;
    if (report.stopped)
        line("The fix was stopped: " + fixed + saved + ". The others were left as they were.");
    else if (report.deleted > 0)
        line(fixed + saved + ".");
    else
        line("No error was fixed.");
    bool first = true;
    auto left = [&](int count, const char* oneText, const char* manyText) {
        if (count <= 0) return;
        if (first) text += "\r\n";  // a blank line after the head, as a backup's outcome has
        first = false;
        line(Counted(static_cast<size_t>(count), oneText, manyText));
    };
    left(report.existsAgain, "marked error was left alone: the file it missed is there again.",
         "marked errors were left alone: the files they missed are there again.");
    left(report.refused, "marked error was left alone: it names a key that holds the entries of a whole section.",
         "marked errors were left alone: they name keys that hold the entries of whole sections.");
    left(report.unnamable,
         "marked error was left alone: its name holds a NUL character, and a name cut short there would name "
         "another registry item.",
         "marked errors were left alone: their names hold a NUL character, and a name cut short there would name "
         "another registry item.");
    left(report.failed, "marked error could not be deleted and stays in the list.",
         "marked errors could not be deleted and stay in the list.");
    return text;
}

FixReport FixRecords(const std::vector<FixRecord>& records, const std::string& backupFolder,
                     common::IProgressSink& progress, common::StopToken stop) {
    FixReport report;
    FixRecordsInto(records, backupFolder, progress, stop, report);
    return report;
}

void FixRecordsInto(const std::vector<FixRecord>& records, const std::string& backupFolder, common::IProgressSink& progress,
                    common::StopToken stop, FixReport& report) {
    report = FixReport();
    const std::vector<Attempt> attempts = CheckRecords(records, progress, stop, report);
    if (attempts.empty() || stop.StopRequested()) {
        report.stopped = report.stopped || stop.StopRequested();
        return;
    }

    const int total = static_cast<int>(attempts.size());
    progress.Progress(0, total, FixStageText(FixStage::BackingUp));
    SYSTEMTIME now{};
    GetLocalTime(&now);
    if (!backup::BackUpBeforeDelete(backupFolder, now, BackupItemsOf(attempts), report.pointFolder,
                                       report.error, "Fix: " + Counted(attempts.size(), "item", "items"))) {
        report.backupFailed = true;
        report.pointFolder.clear();
        report.failed += total;
        return;
    }

    const std::string deleting = FixStageText(FixStage::Deleting);
    for (int done = 0; done < total; ++done) {
        progress.Progress(done, total, deleting);
        if (stop.StopRequested()) {
            report.stopped = true;
            break;
        }
        const Attempt& attempt = attempts[done];
        if (DeleteTarget(attempt.target)) {
            ++report.deleted;
            report.fixedRows.emplace_back(attempt.section, attempt.row);
        } else {
            ++report.failed;
            if (attempt.target.root != HKEY_CURRENT_USER) ++report.machineWideFailed;
        }
    }
    if (!report.stopped) progress.Progress(total, total, deleting);
}

ProblemStore::FixReport ProblemStore::FixMarkedProblems(const std::string& backupFolder) {
    const FixReport report = FixRecords(MarkedRecords(), backupFolder, common::NoProgressSink());
    RemoveFixedRows(report);
    return report;
}

}  // namespace registry_scan
