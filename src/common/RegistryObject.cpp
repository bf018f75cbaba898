// TRegistry: the registry object every tool reaches the registry through.
#include "common/RegistryObject.h"

#include "platform/Registry.h"

#include <cstring>

namespace reg = platform::reg;

namespace {

std::string FormatMessageFor(const char* format, const std::string& name) {
    std::string text = format;
    return text.replace(text.find("%s"), 2, name);
}

void DeleteTree(HKEY base, const std::string& path, REGSAM access) {
    platform::KeyHandle key;
    if (reg::OpenKey(base, path, access, key) != ERROR_SUCCESS) return;
    reg::KeyCounts counts;
    if (reg::QueryCounts(key.Get(), counts) != ERROR_SUCCESS) return;
    for (DWORD index = counts.subKeys; index-- > 0;) {
        std::string name;
        // A name holding a NUL would be taken cut short: the key itself (an
        // endless walk) or a namesake. Such a key stays, and so does its parent.
        if (reg::EnumKeyName(key.Get(), index, name) == ERROR_SUCCESS && name.find('\0') == std::string::npos) {
            DeleteTree(key.Get(), name, access);
            reg::DeleteKey(key.Get(), name);
        }
    }
}

}  // namespace

void TRegistry::SetRootKey(HKEY root) {
    if (root == root_) return;
    CloseKey();
    root_ = root;
}

HKEY TRegistry::BaseKey(const std::string& path, std::string& relative) const {
    if (!path.empty() && path[0] == '\\') {
        relative = path.substr(1);
        return root_;
    }
    relative = path;
    return current_ ? current_.Get() : root_;
}

bool TRegistry::OpenKey(const std::string& path, bool create) {
    std::string relative;
    HKEY base = BaseKey(path, relative);
    const bool fromCurrent = current_ && base == current_.Get();
    platform::KeyHandle key;
    LONG rc = (create && !relative.empty()) ? reg::CreateKey(base, relative, access_, key)
                                            : reg::OpenKey(base, relative, access_, key);
    if (rc != ERROR_SUCCESS) return false;
    currentPath_ = fromCurrent ? currentPath_ + "\\" + relative : relative;
    current_ = std::move(key);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& path) {
    const REGSAM saved = access_;
    for (REGSAM access : {static_cast<REGSAM>(KEY_READ), static_cast<REGSAM>(0x20009),
                          static_cast<REGSAM>(KEY_QUERY_VALUE)}) {
        access_ = access;
        if (OpenKey(path, false)) return true;
    }
    access_ = saved;
    return false;
}

void TRegistry::CloseKey() {
    current_.Reset();
    currentPath_.clear();
}

void TRegistry::GetKeyNames(std::vector<std::string>& names) const {
    names.clear();
    reg::KeyCounts counts;
    if (!current_ || reg::QueryCounts(current_.Get(), counts) != ERROR_SUCCESS) return;
    for (DWORD index = 0; index < counts.subKeys; ++index) {
        std::string name;
        if (reg::EnumKeyName(current_.Get(), index, name) == ERROR_SUCCESS) names.push_back(name);
    }
}

void TRegistry::GetValueNames(std::vector<std::string>& names) const {
    names.clear();
    reg::KeyCounts counts;
    if (!current_ || reg::QueryCounts(current_.Get(), counts) != ERROR_SUCCESS) return;
    for (DWORD index = 0; index < counts.values; ++index) {
        std::string name;
        if (reg::EnumValueName(current_.Get(), index, name) == ERROR_SUCCESS)
            names.push_back(name);
    }
}

std::string TRegistry::ReadString(const std::string& name) const {
    DWORD type = REG_NONE, size = 0;
    if (!current_ || reg::QueryValueInfo(current_.Get(), name, type, size) != ERROR_SUCCESS ||
        size == 0)
        return {};
    std::vector<BYTE> data;
    if (reg::QueryValue(current_.Get(), name, type, data) != ERROR_SUCCESS)
        throw ERegistryException(FormatMessageFor("Failed to get data for '%s'", name));
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryException(FormatMessageFor("Invalid data type for '%s'", name));
    const char* text = reinterpret_cast<const char*>(data.data());
    return std::string(text, strnlen(text, data.size()));
}

bool TRegistry::ReadStringValue(const std::string& name, std::string& text) const {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!current_ || reg::QueryValue(current_.Get(), name, type, data) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    if (data.empty()) {
        text.clear();
        return true;
    }
    const char* chars = reinterpret_cast<const char*>(data.data());
    text.assign(chars, strnlen(chars, data.size()));
    return true;
}

void TRegistry::WriteString(const std::string& name, const std::string& text) const {
    if (!current_ || reg::SetString(current_.Get(), name, text) != ERROR_SUCCESS)
        throw ERegistryException(FormatMessageFor("Failed to set data for '%s'", name));
}

bool TRegistry::ReadRawValue(const std::string& name, reg::RawValue& value) const {
    return current_ && reg::QueryRawValue(current_.Get(), name, value) == ERROR_SUCCESS;
}

bool TRegistry::WriteRawValue(const std::string& name, const reg::RawValue& value) const {
    return current_ && reg::SetRawValue(current_.Get(), name, value) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const std::string& name) const {
    DWORD type = REG_NONE, size = 0;
    return current_ && reg::QueryValueInfo(current_.Get(), name, type, size) == ERROR_SUCCESS;
}

DWORD TRegistry::GetDataType(const std::string& name) const {
    DWORD type = REG_NONE, size = 0;
    if (!current_ || reg::QueryValueInfo(current_.Get(), name, type, size) != ERROR_SUCCESS)
        return REG_NONE;
    return type;
}

bool TRegistry::KeyExists(const std::string& path) const {
    std::string relative;
    HKEY base = BaseKey(path, relative);
    platform::KeyHandle key;
    return reg::OpenKey(base, relative, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, key) ==
           ERROR_SUCCESS;
}

bool TRegistry::HasSubKeys() const {
    reg::KeyCounts counts;
    return current_ && reg::QueryCounts(current_.Get(), counts) == ERROR_SUCCESS &&
           counts.subKeys > 0;
}

bool TRegistry::HasValues() const {
    reg::KeyCounts counts;
    return current_ && reg::QueryCounts(current_.Get(), counts) == ERROR_SUCCESS && counts.values > 0;
}

bool TRegistry::DeleteValue(const std::string& name) const {
    return current_ && reg::DeleteValue(current_.Get(), name) == ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::string& path) {
    std::string relative;
    HKEY base = BaseKey(path, relative);
    if (relative.empty()) return false;  // never the base key itself
    DeleteTree(base, relative, access_);
    return reg::DeleteKey(base, relative) == ERROR_SUCCESS;
}
