// Backup points written before a delete: export, merge under the point's lock,
// atomic replace, read back and compare.
#include "backup/BackupPoint.h"

#include "backup/RegistryTree.h"

#include "common/Common.h"

#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Hash.h"
#include "platform/Processes.h"
#include "platform/RegistryKey.h"

#include <cstdio>
#include <unordered_map>

namespace backup {

const char* const kBackupRootKeyNames[kBackupRootCount] = {"HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT",
                                                            "HKEY_CURRENT_USER", "HKEY_USERS",
                                                            "HKEY_CURRENT_CONFIG"};

namespace {

namespace files = platform::files;

// Two writers in one point wait this long for each other; a whole root's
// file can take a few seconds to merge and write.
constexpr DWORD kLockWaitMs = 60000;
const char kLockFileName[] = "backup.lock";

std::string SystemText(DWORD code) { return platform::processes::SystemErrorText(code); }

// Registry names match whatever their case; the system's own upper-casing
// gives one form for a lookup.
std::string Folded(const std::string& utf8) {
    std::wstring wide = Wide(utf8);
    if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return FromWide(wide.data(), wide.size());
}

std::string ValueKey(const RegValueData& value) { return value.isDefault ? std::string() : Folded(value.name); }

std::string ValueLabel(const RegValueData& value) {
    return value.isDefault || value.name.empty() ? "the default value" : "the value \"" + value.name + "\"";
}

int RootIndex(const std::string& rootName) {
    for (size_t i = 0; i < kBackupRootCount; ++i)
        if (Folded(rootName) == kBackupRootKeyNames[i]) return static_cast<int>(i);
    return -1;
}

// Reads one value as the registry holds it, through the wide calls so names
// with any characters are found.
bool ExportValue(const BackupItem& item, RegKeyData& key, std::string& error) {
    key.path = item.rootName + "\\" + item.keyPath;
    const std::string where = (item.valueName.empty() ? "the default value" : "the value \"" + item.valueName + "\"") +
                              " of " + key.path;
    LONG rc = ERROR_SUCCESS;
    const platform::RegistryKey handle =
        platform::RegistryKey::Open(RootKeyForName(item.rootName), Wide(item.keyPath), KEY_QUERY_VALUE, &rc);
    if (!handle) {
        error = "Cannot read " + where + ": " + SystemText(static_cast<DWORD>(rc));
        return false;
    }
    platform::reg::RawValue raw;
    rc = handle.ReadRaw(Wide(item.valueName), raw);
    if (rc != ERROR_SUCCESS) {
        error = "Cannot read " + where + ": " + SystemText(static_cast<DWORD>(rc));
        return false;
    }
    RegValueData value;
    value.name = item.valueName;
    value.isDefault = item.valueName.empty();
    value.type = raw.type;
    value.data = std::move(raw.data);
    key.values.push_back(std::move(value));
    return true;
}

bool ExportItem(const BackupItem& item, std::vector<RegKeyData>& keys, std::string& error) {
    if (item.keyPath.empty()) {
        error = "No key is named below " + item.rootName + ".";
        return false;
    }
    if (item.wholeKey) return ExportRegistryTree(item.rootName, item.keyPath, keys, error);
    RegKeyData key;
    if (!ExportValue(item, key, error)) return false;
    keys.push_back(std::move(key));
    return true;
}

}  // namespace

// Written aside and put in place in one step: a crash leaves the old file
// or the new one, never half of one (and perhaps the ".new" file, which the
// next writer of the point removes).
bool WriteFileAside(const std::string& path, const std::string& bytes, std::string& error) {
    const std::string temporary = path + ".new";
    if (!files::WriteFileBytesFlushed(temporary, bytes)) {
        error = SystemText(GetLastError()) + " (" + temporary + ")";
        files::DeleteFilePath(temporary);
        return false;
    }
    if (!files::ReplaceFileAtomically(temporary, path)) {
        error = SystemText(GetLastError()) + " (" + path + ")";
        files::DeleteFilePath(temporary);
        return false;
    }
    return true;
}

std::string SuffixedPointName(const std::string& minuteName, int copy) {
    return copy <= 1 ? minuteName : minuteName + " (" + std::to_string(copy) + ")";
}

namespace {

// What an interrupted writer left: only writers make ".new" files, and they
// do it holding the point's lock, which the caller holds now.
void RemoveLeftoverFiles(const std::string& folder) {
    for (const char* name : kBackupRootFileNames) files::DeleteFilePath(folder + name + ".new");
    files::DeleteFilePath(folder + kManifestFileName + ".new");
}

bool HoldsRootFiles(const std::string& folder) {
    for (const char* name : kBackupRootFileNames)
        if (files::FileExists(folder + name)) return true;
    return false;
}

size_t ValueCount(const std::vector<RegKeyData>& keys) {
    size_t count = 0;
    for (const auto& key : keys) count += key.values.size();
    return count;
}

std::vector<uint8_t> AsBytes(const std::string& bytes) { return std::vector<uint8_t>(bytes.begin(), bytes.end()); }

bool DigestOf(const std::string& bytes, std::string& digest, std::string& error) {
    platform::hash::Sha256Digest sum;
    const LONG status = platform::hash::Sha256(bytes.data(), bytes.size(), sum);
    if (status != 0) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
        error = std::string("the SHA-256 of the file could not be computed (status ") + code + ")";
        return false;
    }
    digest = platform::hash::HexText(sum);
    return true;
}

// Whether every file the manifest text lists is in the folder as it says.
bool ManifestMatchesFolder(const std::string& folder, const std::string& text) {
    PointManifest manifest;
    std::string error, bytes;
    if (!ReadManifest(text, manifest, error)) return false;
    for (const auto& file : manifest.files)
        if (!files::ReadFileBytes(folder + file.name, bytes) || !MatchesManifest(file, bytes, error)) return false;
    return true;
}

// The point's lock, an interrupted write finished or undone, and its
// manifest read, for a change of the point; false with a reason when any
// of that fails.
struct PointForWriting {
    platform::FileHandle lock;
    ManifestState state = ManifestState::kMissing;
    PointManifest manifest;
    // Whether the manifest may be written: it is there already, or the point
    // holds no root file it would have to vouch for unseen.
    bool keepsManifest = false;
};

bool OpenForWriting(const std::string& folder, PointForWriting& point, std::string& error) {
    point.lock = LockBackupPoint(folder);
    if (!point.lock) {
        error = SystemText(GetLastError()) + " (" + folder + kLockFileName + ")";
        return false;
    }
    FinishInterruptedWrite(folder);
    point.state = LoadPointManifest(folder, point.manifest, error);
    if (point.state == ManifestState::kDamaged) {
        error = "the point's manifest cannot be read, so the point is left as it is: " + error;
        return false;
    }
    point.keepsManifest = point.state == ManifestState::kRead || !HoldsRootFiles(folder);
    return true;
}

bool SaveManifest(const std::string& folder, const PointManifest& manifest, std::string& error) {
    return WriteFileAside(folder + kManifestFileName, WriteManifest(manifest), error);
}

}  // namespace

void FinishInterruptedWrite(const std::string& pointFolder) {
    const std::string folder = WithTrailingSeparator(pointFolder);
    // A writer puts its root file in place before the manifest that
    // describes it: a manifest left aside that matches the files is the
    // rest of a write that was cut off there.
    const std::string manifest = folder + kManifestFileName, pending = manifest + ".new";
    std::string text;
    if (files::FileExists(pending) && files::ReadFileBytes(pending, text) && ManifestMatchesFolder(folder, text))
        files::ReplaceFileAtomically(pending, manifest);
    RemoveLeftoverFiles(folder);
}

platform::FileHandle LockBackupPoint(const std::string& pointFolder) {
    return files::OpenLockFile(WithTrailingSeparator(pointFolder) + kLockFileName, kLockWaitMs);
}

ManifestState LoadPointManifest(const std::string& pointFolder, PointManifest& manifest, std::string& error) {
    manifest = PointManifest();
    const std::string path = WithTrailingSeparator(pointFolder) + kManifestFileName;
    if (!files::FileExists(path)) return ManifestState::kMissing;
    std::string text;
    if (!files::ReadFileBytes(path, text)) {
        error = SystemText(GetLastError()) + " (" + path + ")";
        return ManifestState::kDamaged;
    }
    if (!ReadManifest(text, manifest, error)) {
        error = path + ", " + error;
        return ManifestState::kDamaged;
    }
    return ManifestState::kRead;
}

bool MatchesManifest(const ManifestFile& entry, const std::string& bytes, std::string& problem) {
    if (bytes.size() != entry.size) {
        problem = "it holds " + std::to_string(bytes.size()) + " bytes, the manifest says " +
                  std::to_string(entry.size);
        return false;
    }
    std::string digest;
    if (!DigestOf(bytes, digest, problem)) return false;
    if (digest != entry.sha256) {
        problem = "its SHA-256 differs from the manifest's";
        return false;
    }
    return true;
}

bool CountsMatchManifest(const ManifestFile& entry, const std::vector<RegKeyData>& keys, std::string& problem) {
    const size_t values = ValueCount(keys);
    if (keys.size() == entry.keys && values == entry.values) return true;
    problem = "it reads as " + std::to_string(keys.size()) + " keys and " + std::to_string(values) +
              " values, the manifest says " + std::to_string(entry.keys) + " and " + std::to_string(entry.values);
    return false;
}

// Value lookups by name, built once per key: a fix saves thousands of values
// of one key, and a search through the key's values for each would take
// minutes.
namespace {

using ValueIndex = std::unordered_map<std::string, size_t>;

ValueIndex IndexValues(const std::vector<RegValueData>& values) {
    ValueIndex index;
    for (size_t i = 0; i < values.size(); ++i) index[ValueKey(values[i])] = i;  // the last of a name wins
    return index;
}

}  // namespace

void MergeBackupKeys(std::vector<RegKeyData>& saved, const std::vector<RegKeyData>& expected) {
    std::unordered_map<std::string, size_t> keyIndex;
    std::unordered_map<size_t, ValueIndex> valueIndexes;  // built for the keys a merge reaches
    for (size_t i = 0; i < saved.size(); ++i) keyIndex.emplace(Folded(saved[i].path), i);
    for (const auto& key : expected) {
        auto [found, added] = keyIndex.emplace(Folded(key.path), saved.size());
        if (added) saved.push_back(RegKeyData{key.path, {}});
        const size_t at = found->second;
        auto& values = saved[at].values;
        auto [indexed, fresh] = valueIndexes.try_emplace(at);
        if (fresh) {
            // The first of a name in the saved list is the one replaced.
            for (size_t i = values.size(); i-- > 0;) indexed->second[ValueKey(values[i])] = i;
        }
        for (const auto& value : key.values) {
            auto [slot, isNew] = indexed->second.emplace(ValueKey(value), values.size());
            if (isNew)
                values.push_back(value);
            else
                values[slot->second] = value;
        }
    }
}

bool BackupHolds(const std::vector<RegKeyData>& saved, const std::vector<RegKeyData>& expected, std::string& problem) {
    std::unordered_map<std::string, const RegKeyData*> keyIndex;
    for (const auto& key : saved) keyIndex.emplace(Folded(key.path), &key);
    std::unordered_map<const RegKeyData*, ValueIndex> valueIndexes;
    for (const auto& key : expected) {
        const auto found = keyIndex.find(Folded(key.path));
        if (found == keyIndex.end()) {
            problem = "the key " + key.path + " is missing";
            return false;
        }
        auto [indexed, fresh] = valueIndexes.try_emplace(found->second);
        if (fresh) indexed->second = IndexValues(found->second->values);
        for (const auto& value : key.values) {
            const auto match = indexed->second.find(ValueKey(value));
            if (match == indexed->second.end()) {
                problem = ValueLabel(value) + " of " + key.path + " is missing";
                return false;
            }
            const RegValueData& held = found->second->values[match->second];
            if (held.type != value.type || held.data != value.data) {
                problem = ValueLabel(value) + " of " + key.path + " differs";
                return false;
            }
        }
    }
    return true;
}

namespace {

// What the point holds of one root already, checked against its manifest: a
// file we cannot read, or that is not what the manifest says, is left as
// it is rather than replaced with less. Empty when the point has no such file.
bool ReadSavedRoot(const std::string& folder, const PointForWriting& point, size_t rootIndex,
                   std::vector<RegKeyData>& saved, std::string& error) {
    saved.clear();
    const std::string name = kBackupRootFileNames[rootIndex];
    const std::string path = folder + name;
    if (!files::FileExists(path)) return true;
    std::string bytes;
    if (!files::ReadFileBytes(path, bytes)) {
        error = "Cannot read the file " + path + ": " + SystemText(GetLastError());
        return false;
    }
    if (point.state == ManifestState::kRead) {
        const ManifestFile* entry = point.manifest.Find(name);
        std::string problem;
        if (!entry) problem = "it is not in the point's manifest";
        if (!entry || !MatchesManifest(*entry, bytes, problem)) {
            error = path + " is left as it is: " + problem;
            return false;
        }
    }
    if (!ReadRegFile(AsBytes(bytes), saved, error)) {
        error = path + ", " + error;
        return false;
    }
    return true;
}

// Whether keys hold a value that saved holds already with another type or
// other bytes: merging would lose the copy saved first.
bool WouldReplaceSavedValue(const std::vector<RegKeyData>& saved, const std::vector<RegKeyData>& keys) {
    std::unordered_map<std::string, const RegKeyData*> keyIndex;
    for (const auto& key : saved) keyIndex.emplace(Folded(key.path), &key);
    std::unordered_map<const RegKeyData*, ValueIndex> valueIndexes;
    for (const auto& key : keys) {
        const auto found = keyIndex.find(Folded(key.path));
        if (found == keyIndex.end()) continue;
        auto [indexed, fresh] = valueIndexes.try_emplace(found->second);
        if (fresh) indexed->second = IndexValues(found->second->values);
        for (const auto& value : key.values) {
            const auto match = indexed->second.find(ValueKey(value));
            if (match == indexed->second.end()) continue;
            const RegValueData& held = found->second->values[match->second];
            if (held.type != value.type || held.data != value.data) return true;
        }
    }
    return false;
}

// The merge written: both files aside first, then the root file put in
// place and only then the manifest that describes it, so a write cut off
// between the two leaves a manifest aside that the next opening of the
// point finishes (FinishInterruptedWrite); then the file is read back.
bool WriteMergedRoot(const std::string& folder, PointForWriting& point, size_t rootIndex,
                     std::vector<RegKeyData>& saved, const std::vector<RegKeyData>& keys,
                     const std::vector<LeftOutKey>& leftOut, const std::string& description, std::string& error) {
    const std::string name = kBackupRootFileNames[rootIndex];
    const std::string path = folder + name, manifestPath = folder + kManifestFileName;
    MergeBackupKeys(saved, keys);
    std::vector<uint8_t> writtenBytes;
    if (!WriteRegFile(saved, writtenBytes, error)) return false;
    saved = std::vector<RegKeyData>();  // a whole root's keys: not kept beside their text
    const std::string written(writtenBytes.begin(), writtenBytes.end());
    writtenBytes = std::vector<uint8_t>();
    std::vector<RegKeyData> writtenKeys;
    if (!ReadRegFile(AsBytes(written), writtenKeys, error)) {
        error = path + ", " + error;
        return false;
    }
    std::string problem;
    if (!BackupHolds(writtenKeys, keys, problem)) {
        error = "read back, " + problem + " (" + path + ")";
        return false;
    }
    if (point.keepsManifest) {
        ManifestFile entry;
        entry.name = name;
        entry.size = written.size();
        if (!DigestOf(written, entry.sha256, error)) return false;
        entry.keys = writtenKeys.size();
        entry.values = ValueCount(writtenKeys);
        point.manifest.SetFile(entry);
        for (const auto& key : leftOut) point.manifest.AddLeftOut(key);
        point.manifest.AddDescription(description);
    }
    const auto failed = [&](const std::string& file) {
        error = SystemText(GetLastError()) + " (" + file + ")";
        files::DeleteFilePath(path + ".new");
        files::DeleteFilePath(manifestPath + ".new");
        return false;
    };
    if (!files::WriteFileBytesFlushed(path + ".new", written)) return failed(path + ".new");
    if (point.keepsManifest &&
        !files::WriteFileBytesFlushed(manifestPath + ".new", WriteManifest(point.manifest)))
        return failed(manifestPath + ".new");
    if (!files::ReplaceFileAtomically(path + ".new", path)) return failed(path);
    if (point.keepsManifest && !files::ReplaceFileAtomically(manifestPath + ".new", manifestPath)) {
        // Left aside: it matches the file now in place, and the next
        // opening of the point puts it there.
        error = SystemText(GetLastError()) + " (" + manifestPath + ")";
        return false;
    }
    std::string readBack;
    if (!files::ReadFileBytes(path, readBack)) {
        error = "Cannot read the file " + path + ": " + SystemText(GetLastError());
        return false;
    }
    if (readBack != written) {
        error = "read back, the file differs from what was written (" + path + ")";
        return false;
    }
    return true;
}

}  // namespace

MergeResult MergeIntoRootFile(const std::string& pointFolder, size_t rootIndex, const std::vector<RegKeyData>& keys,
                              std::string& error, const std::vector<LeftOutKey>& leftOut,
                              const std::string& description) {
    const std::string folder = WithTrailingSeparator(pointFolder);
    PointForWriting point;
    std::vector<RegKeyData> saved;
    if (!OpenForWriting(folder, point, error) || !ReadSavedRoot(folder, point, rootIndex, saved, error))
        return MergeResult::kFailed;
    if (WouldReplaceSavedValue(saved, keys)) return MergeResult::kWouldReplace;
    return WriteMergedRoot(folder, point, rootIndex, saved, keys, leftOut, description, error)
               ? MergeResult::kWritten
               : MergeResult::kFailed;
}

bool RecordLeftOut(const std::string& pointFolder, const std::vector<LeftOutKey>& leftOut, std::string& error,
                   const std::string& description) {
    const std::string folder = WithTrailingSeparator(pointFolder);
    PointForWriting point;
    if (!OpenForWriting(folder, point, error)) return false;
    if (!point.keepsManifest || leftOut.empty()) return true;
    for (const auto& key : leftOut) point.manifest.AddLeftOut(key);
    point.manifest.AddDescription(description);
    return SaveManifest(folder, point.manifest, error);
}

namespace {

// Merges the items of each root into the point in folder under one hold of
// its lock: either every root takes them without losing a value it saved
// before (kWritten), or nothing is written.
MergeResult MergeItemsIntoPoint(const std::string& folder, const std::vector<RegKeyData> (&byRoot)[kBackupRootCount],
                                const std::string& description, std::string& error) {
    PointForWriting point;
    if (!OpenForWriting(folder, point, error)) return MergeResult::kFailed;
    std::vector<RegKeyData> saved;
    // Every root is checked before any is written; each is read again to be
    // written, so only one root's keys are held at a time.
    for (size_t root = 0; root < kBackupRootCount; ++root) {
        if (byRoot[root].empty()) continue;
        if (!ReadSavedRoot(folder, point, root, saved, error)) return MergeResult::kFailed;
        if (WouldReplaceSavedValue(saved, byRoot[root])) return MergeResult::kWouldReplace;
    }
    for (size_t root = 0; root < kBackupRootCount; ++root) {
        if (byRoot[root].empty()) continue;
        if (!ReadSavedRoot(folder, point, root, saved, error) ||
            !WriteMergedRoot(folder, point, root, saved, byRoot[root], {}, description, error))
            return MergeResult::kFailed;
    }
    return MergeResult::kWritten;
}

}  // namespace

bool BackUpBeforeDelete(const std::string& backupFolder, const SYSTEMTIME& now, const std::vector<BackupItem>& items,
                        std::string& pointFolder, std::string& error, const std::string& description) {
    const std::string minuteName = BackupPointName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
    pointFolder = WithTrailingSeparator(backupFolder) + minuteName + "\\";
    std::string failed = "The backup point " + minuteName + " could not be written: ";

    // Everything is read from the registry first, so a missing or unreadable
    // item stops the backup before the point is touched.
    std::vector<RegKeyData> byRoot[kBackupRootCount];
    for (const auto& item : items) {
        const int root = RootIndex(item.rootName);
        if (root < 0) {
            error = failed + "\"" + item.rootName + "\" is not a registry root.";
            return false;
        }
        if (!ExportItem(item, byRoot[root], error)) {
            error = failed + error;
            return false;
        }
    }
    // One point per minute, but a value saved there is never replaced: a
    // later copy of it goes into the next point of the minute.
    for (int copy = 1; copy <= kMaxPointsPerMinute; ++copy) {
        const std::string name = SuffixedPointName(minuteName, copy);
        pointFolder = WithTrailingSeparator(backupFolder) + name + "\\";
        failed = "The backup point " + name + " could not be written: ";
        if (!files::CreateFolderPath(pointFolder)) {
            error = failed + SystemText(GetLastError()) + " (" + pointFolder + ")";
            return false;
        }
        switch (MergeItemsIntoPoint(pointFolder, byRoot, description, error)) {
        case MergeResult::kWritten: return true;
        case MergeResult::kFailed: error = failed + error; return false;
        case MergeResult::kWouldReplace: break;
        }
    }
    error = "The backup point " + minuteName + " could not be written: the " + std::to_string(kMaxPointsPerMinute) +
            " points of this minute all hold other data of these values.";
    return false;
}

}  // namespace backup
