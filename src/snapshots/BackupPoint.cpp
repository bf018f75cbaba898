// Backup points written before a delete: export, merge under the point's lock,
// atomic replace, read back and compare.
#include "snapshots/BackupPoint.h"

#include "snapshots/RegistryTree.h"

#include "common/Common.h"

#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Hash.h"
#include "platform/Processes.h"
#include "platform/Registry.h"

#include <cstdio>
#include <unordered_map>

namespace snapshots {

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
    platform::KeyHandle handle;
    LONG rc = RegOpenKeyExW(RootKeyForName(item.rootName), Wide(item.keyPath).c_str(), 0, KEY_QUERY_VALUE,
                            handle.Put());
    if (rc != ERROR_SUCCESS) {
        error = "Cannot read " + where + ": " + SystemText(static_cast<DWORD>(rc));
        return false;
    }
    platform::reg::RawValue raw;
    rc = platform::reg::QueryRawValue(handle.Get(), Wide(item.valueName), raw);
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

// The point's lock, its leftovers removed and its manifest read, for a
// change of the point; false with a reason when any of that fails.
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
    RemoveLeftoverFiles(folder);
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

bool MergeIntoRootFile(const std::string& pointFolder, size_t rootIndex, const std::vector<RegKeyData>& keys,
                       std::string& error, const std::vector<LeftOutKey>& leftOut) {
    const std::string folder = WithTrailingSeparator(pointFolder);
    PointForWriting point;
    if (!OpenForWriting(folder, point, error)) return false;
    const std::string name = kBackupRootFileNames[rootIndex];
    const std::string path = folder + name;
    std::vector<RegKeyData> saved;
    // What the point holds already stays: a file we cannot read, or that is
    // not what the manifest says, is left as it is rather than replaced
    // with less.
    if (files::FileExists(path)) {
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
    }
    MergeBackupKeys(saved, keys);
    std::vector<uint8_t> written;
    if (!WriteRegFile(saved, written, error)) return false;
    if (!WriteFileAside(path, std::string(written.begin(), written.end()), error)) return false;

    std::string readBack;
    if (!files::ReadFileBytes(path, readBack)) {
        error = "Cannot read the file " + path + ": " + SystemText(GetLastError());
        return false;
    }
    std::vector<RegKeyData> readKeys;
    if (!ReadRegFile(AsBytes(readBack), readKeys, error)) {
        error = path + ", " + error;
        return false;
    }
    std::string problem;
    if (!BackupHolds(readKeys, keys, problem)) {
        error = "read back, " + problem + " (" + path + ")";
        return false;
    }
    if (!point.keepsManifest) return true;
    ManifestFile entry;
    entry.name = name;
    entry.size = readBack.size();
    if (!DigestOf(readBack, entry.sha256, error)) return false;
    entry.keys = readKeys.size();
    entry.values = ValueCount(readKeys);
    point.manifest.SetFile(entry);
    for (const auto& key : leftOut) point.manifest.AddLeftOut(key);
    return SaveManifest(folder, point.manifest, error);
}

bool RecordLeftOut(const std::string& pointFolder, const std::vector<LeftOutKey>& leftOut, std::string& error) {
    const std::string folder = WithTrailingSeparator(pointFolder);
    PointForWriting point;
    if (!OpenForWriting(folder, point, error)) return false;
    if (!point.keepsManifest || leftOut.empty()) return true;
    for (const auto& key : leftOut) point.manifest.AddLeftOut(key);
    return SaveManifest(folder, point.manifest, error);
}

bool BackUpBeforeDelete(const std::string& backupFolder, const SYSTEMTIME& now, const std::vector<BackupItem>& items,
                        std::string& pointFolder, std::string& error) {
    const std::string pointName = BackupPointName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
    pointFolder = WithTrailingSeparator(backupFolder) + pointName + "\\";
    const std::string failed = "The backup point " + pointName + " could not be written: ";

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
    if (!files::CreateFolderPath(pointFolder)) {
        error = failed + SystemText(GetLastError()) + " (" + pointFolder + ")";
        return false;
    }
    for (size_t root = 0; root < kBackupRootCount; ++root) {
        if (byRoot[root].empty()) continue;
        if (!MergeIntoRootFile(pointFolder, root, byRoot[root], error)) {
            error = failed + error;
            return false;
        }
    }
    return true;
}

}  // namespace snapshots
