// Registry trees through the wide calls, so names with any characters survive.
#include "backup/RegistryTree.h"

#include "platform/RegistryKey.h"

#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Text.h"

#include <algorithm>

namespace backup {

namespace {

using platform::RegistryKey;

std::string Reason(const std::string& what, LONG code) {
    return what + ": " + platform::processes::SystemErrorText(static_cast<DWORD>(code));
}

LONG ReadValues(const RegistryKey& key, std::vector<RegValueData>& values) {
    std::vector<platform::reg::WideValue> read;
    const LONG rc = key.CountedValues(read);
    if (rc != ERROR_SUCCESS) return rc;
    for (auto& wide : read) {
        RegValueData value;
        value.name = FromWide(wide.name.data(), wide.name.size());
        value.isDefault = wide.name.empty();
        value.type = wide.type;
        value.data.assign(wide.data.begin(), wide.data.end());
        values.push_back(std::move(value));
    }
    return ERROR_SUCCESS;
}

// Where reading one key stopped: its values, or the list of its subkeys
// (its values were kept then).
enum class KeyStep { kValues, kSubkeys };

std::string StepText(KeyStep step, const std::string& path) {
    return step == KeyStep::kValues ? "Cannot read the values of " + path : "Cannot list the keys under " + path;
}

LONG ExportKey(const RegistryKey& key, const std::string& fullPath, std::vector<RegKeyData>& keys, KeyStep& step,
               std::string& error, std::vector<LeftOutKey>* unreadable);

// Exports every subkey of key and everything below them; a failure to list
// them is returned. Below, with unreadable given, a subkey that cannot be
// opened or read is listed with the system's reason and passed over;
// without, it ends the export.
LONG ExportSubkeys(const RegistryKey& key, const std::string& fullPath, std::vector<RegKeyData>& keys, std::string& error,
                   std::vector<LeftOutKey>* unreadable) {
    std::vector<std::wstring> names;
    LONG rc = key.CountedSubkeyNames(names);
    if (rc != ERROR_SUCCESS) return rc;
    for (const auto& name : names) {
        const std::string childPath = fullPath + "\\" + FromWide(name.data(), name.size());
        if (name.find(L'\0') != std::wstring::npos) {
            // The key calls would take the name cut short at the NUL: the
            // key itself (an endless walk) or a namesake.
            if (!unreadable) {
                error = "Cannot open " + childPath + ": its name holds a NUL character.";
                return ERROR_INVALID_NAME;
            }
            unreadable->push_back({childPath, "Its name holds a NUL character."});
            continue;
        }
        const RegistryKey child = key.OpenBelow(name, KEY_READ, &rc);
        if (!child) {
            // Protected, gone since it was listed, or a link that leads nowhere.
            if (!unreadable) {
                error = Reason("Cannot open " + childPath, rc);
                return rc;
            }
            unreadable->push_back({childPath, platform::processes::SystemErrorText(static_cast<DWORD>(rc))});
            // A key may let its subkeys be listed though it cannot be read
            // itself; the ones that can be read are saved. It stays listed
            // as left out: its own values are not in the point.
            if (const RegistryKey listOnly = key.OpenBelow(name, KEY_ENUMERATE_SUB_KEYS))
                ExportSubkeys(listOnly, childPath, keys, error, unreadable);
            continue;
        }
        KeyStep childStep = KeyStep::kValues;
        rc = ExportKey(child, childPath, keys, childStep, error, unreadable);
        if (rc == ERROR_SUCCESS) continue;
        if (!unreadable) {
            if (error.empty()) error = Reason(StepText(childStep, childPath), rc);
            return rc;
        }
        // Wine opens Perflib\009 but answers "Invalid handle" to every
        // question about it: one such key must not cost the rest of the root.
        std::string reason = platform::processes::SystemErrorText(static_cast<DWORD>(rc));
        if (childStep == KeyStep::kSubkeys) reason = "the keys below it could not be listed: " + reason;
        unreadable->push_back({childPath, reason});
    }
    return ERROR_SUCCESS;
}

// Exports key and everything below it. A failure to read key itself is
// returned (the system's code, and step says where); below it, as
// ExportSubkeys.
LONG ExportKey(const RegistryKey& key, const std::string& fullPath, std::vector<RegKeyData>& keys, KeyStep& step,
               std::string& error, std::vector<LeftOutKey>* unreadable) {
    RegKeyData data{fullPath, {}};
    step = KeyStep::kValues;
    const LONG rc = ReadValues(key, data.values);
    if (rc != ERROR_SUCCESS) return rc;
    keys.push_back(std::move(data));
    step = KeyStep::kSubkeys;
    return ExportSubkeys(key, fullPath, keys, error, unreadable);
}

}  // namespace

std::wstring Wide(const std::string& utf8) {
    const std::u16string text = Utf16FromUtf8(utf8);
    return std::wstring(text.begin(), text.end());
}

std::string FromWide(const wchar_t* text, size_t length) {
    const std::u16string copy(text, text + length);
    return Utf8FromUtf16(copy.data(), copy.size());
}

HKEY RootKeyForName(const std::string& rootName) {
    static const std::pair<const char*, HKEY> roots[] = {
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},   {"HKEY_USERS", HKEY_USERS},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}};
    for (const auto& [name, key] : roots)
        if (lstrcmpiA(name, rootName.c_str()) == 0) return key;
    return nullptr;
}

bool ExportRegistryTree(const std::string& rootName, const std::string& path, std::vector<RegKeyData>& keys,
                        std::string& error, std::vector<LeftOutKey>* unreadable) {
    const HKEY root = RootKeyForName(rootName);
    if (!root) {
        error = "Unknown root key \"" + rootName + "\".";
        return false;
    }
    const std::string fullPath = path.empty() ? rootName : rootName + "\\" + path;
    LONG rc = ERROR_SUCCESS;
    const RegistryKey key = RegistryKey::Open(root, Wide(path), KEY_READ, &rc);
    if (!key) {
        error = Reason("Cannot open " + fullPath, rc);
        return false;
    }
    error.clear();
    KeyStep step = KeyStep::kValues;
    rc = ExportKey(key, fullPath, keys, step, error, unreadable);
    if (rc == ERROR_SUCCESS) return true;
    if (error.empty()) error = Reason(StepText(step, fullPath), rc);
    return false;
}

bool ImportRegistryTree(const std::vector<RegKeyData>& keys, std::string& error) {
    for (const auto& keyData : keys) {
        const size_t slash = keyData.path.find('\\');
        const std::string rootName = keyData.path.substr(0, slash);
        const std::string path = slash == std::string::npos ? "" : keyData.path.substr(slash + 1);
        const HKEY root = RootKeyForName(rootName);
        if (!root) {
            error = "Unknown root key in \"" + keyData.path + "\".";
            return false;
        }
        LONG rc = ERROR_SUCCESS;
        const RegistryKey key = RegistryKey::Create(root, Wide(path), KEY_SET_VALUE, &rc);
        if (!key) {
            error = Reason("Cannot create " + keyData.path, rc);
            return false;
        }
        for (const auto& value : keyData.values) {
            // Through the call that takes a name with its length: a name
            // holding a NUL must not land on its cut-short namesake.
            const platform::reg::RawValue raw{value.type, std::vector<BYTE>(value.data.begin(), value.data.end())};
            rc = key.WriteRaw(platform::text::Widen(value.isDefault ? std::string() : value.name), raw);
            if (rc != ERROR_SUCCESS) {
                error = Reason("Cannot write the value \"" + value.name + "\" of " + keyData.path, rc);
                return false;
            }
        }
    }
    return true;
}

bool SaveRegFile(const std::string& filePath, const std::vector<RegKeyData>& keys, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!WriteRegFile(keys, bytes, error)) return false;
    if (!platform::files::WriteFileBytes(filePath, std::string(bytes.begin(), bytes.end()))) {
        error = "Cannot write the file " + filePath + ": " + platform::processes::SystemErrorText(GetLastError());
        return false;
    }
    return true;
}

bool LoadRegFile(const std::string& filePath, std::vector<RegKeyData>& keys, std::string& error) {
    std::string bytes;
    if (!platform::files::ReadFileBytes(filePath, bytes)) {
        error = "Cannot read the file " + filePath + ": " + platform::processes::SystemErrorText(GetLastError());
        return false;
    }
    if (!ReadRegFile(std::vector<uint8_t>(bytes.begin(), bytes.end()), keys, error)) {
        error = filePath + ", " + error;
        return false;
    }
    return true;
}

}  // namespace backup
