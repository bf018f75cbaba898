// Backup points written before a delete: export, merge under the point's lock,
// atomic replace, read back and compare.
#include "snapshots/BackupPoint.h"

#include "snapshots/RegistryTree.h"

#include "common/Common.h"

#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Processes.h"
#include "platform/Registry.h"

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

bool WriteRootFile(const std::string& path, const std::vector<RegKeyData>& keys, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!WriteRegFile(keys, bytes, error)) return false;
    // Written aside and put in place in one step: a crash leaves the old file
    // or the new one, never half of one.
    const std::string temporary = path + ".new";
    if (!files::WriteFileBytesFlushed(temporary, std::string(bytes.begin(), bytes.end()))) {
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

}  // namespace

void MergeBackupKeys(std::vector<RegKeyData>& saved, const std::vector<RegKeyData>& expected) {
    std::unordered_map<std::string, size_t> keyIndex;
    for (size_t i = 0; i < saved.size(); ++i) keyIndex.emplace(Folded(saved[i].path), i);
    for (const auto& key : expected) {
        auto [found, added] = keyIndex.emplace(Folded(key.path), saved.size());
        if (added) {
            saved.push_back(key);
            continue;
        }
        auto& values = saved[found->second].values;
        for (const auto& value : key.values) {
            const std::string name = ValueKey(value);
            bool replaced = false;
            for (auto& old : values) {
                if (ValueKey(old) != name) continue;
                old = value;
                replaced = true;
                break;
            }
            if (!replaced) values.push_back(value);
        }
    }
}

bool BackupHolds(const std::vector<RegKeyData>& saved, const std::vector<RegKeyData>& expected, std::string& problem) {
    std::unordered_map<std::string, const RegKeyData*> keyIndex;
    for (const auto& key : saved) keyIndex.emplace(Folded(key.path), &key);
    for (const auto& key : expected) {
        const auto found = keyIndex.find(Folded(key.path));
        if (found == keyIndex.end()) {
            problem = "the key " + key.path + " is missing";
            return false;
        }
        for (const auto& value : key.values) {
            const RegValueData* match = nullptr;
            for (const auto& candidate : found->second->values)
                if (ValueKey(candidate) == ValueKey(value)) match = &candidate;
            if (match == nullptr) {
                problem = ValueLabel(value) + " of " + key.path + " is missing";
                return false;
            }
            if (match->type != value.type || match->data != value.data) {
                problem = ValueLabel(value) + " of " + key.path + " differs";
                return false;
            }
        }
    }
    return true;
}

bool MergeIntoRootFile(const std::string& pointFolder, size_t rootIndex, const std::vector<RegKeyData>& keys,
                       std::string& error) {
    const std::string folder = WithTrailingSeparator(pointFolder);
    const std::string lockPath = folder + kLockFileName;
    const platform::FileHandle lock = files::OpenLockFile(lockPath, kLockWaitMs);
    if (!lock) {
        error = SystemText(GetLastError()) + " (" + lockPath + ")";
        return false;
    }
    const std::string path = folder + kBackupRootFileNames[rootIndex];
    std::vector<RegKeyData> saved;
    // What the point holds already stays: a file we cannot read is left as
    // it is rather than replaced with less.
    if (files::FileExists(path) && !LoadRegFile(path, saved, error)) return false;
    MergeBackupKeys(saved, keys);
    if (!WriteRootFile(path, saved, error)) return false;

    std::vector<RegKeyData> readBack;
    if (!LoadRegFile(path, readBack, error)) return false;
    std::string problem;
    if (!BackupHolds(readBack, keys, problem)) {
        error = "read back, " + problem + " (" + path + ")";
        return false;
    }
    return true;
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
