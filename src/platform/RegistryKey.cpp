// RegistryKey: the one way every tool reaches the registry.
#include "platform/RegistryKey.h"

#include <cstring>

namespace platform {

namespace {

std::string MessageFor(const char* format, const std::string& name) {
    std::string text = format;
    return text.replace(text.find("%s"), 2, name);
}

// Deletes everything below the key at base\path, last subkey first.
void DeleteBelow(HKEY base, const std::string& path, REGSAM access) {
    KeyHandle key;
    if (reg::OpenKey(base, path, access, key) != ERROR_SUCCESS) return;
    reg::KeyCounts counts;
    if (reg::QueryCounts(key.Get(), counts) != ERROR_SUCCESS) return;
    for (DWORD index = counts.subKeys; index-- > 0;) {
        std::string name;
        // A name holding a NUL would be taken cut short: the key itself (an
        // endless walk) or a namesake. Such a key stays, and so does its parent.
        if (reg::EnumKeyName(key.Get(), index, name) == ERROR_SUCCESS && !reg::NameHoldsNul(name)) {
            DeleteBelow(key.Get(), name, access);
            reg::DeleteKey(key.Get(), name);
        }
    }
}

}  // namespace

REGSAM ViewFlag(RegistryView view) {
    switch (view) {
        case RegistryView::k64: return KEY_WOW64_64KEY;
        case RegistryView::k32: return KEY_WOW64_32KEY;
        default: return 0;
    }
}

RegistryPlace RegistryPlace::Below(const std::string& below) const {
    return {root, path.empty() ? below : path + "\\" + below, view};
}

RegistryKey RegistryKey::Open(const RegistryPlace& place, REGSAM access, LONG* rc) {
    const REGSAM view = ViewFlag(place.view);
    KeyHandle handle;
    const LONG result = reg::OpenKey(place.root, place.path, access | view, handle);
    if (rc) *rc = result;
    return result == ERROR_SUCCESS ? RegistryKey(std::move(handle), access, view) : RegistryKey();
}

RegistryKey RegistryKey::Create(const RegistryPlace& place, REGSAM access, LONG* rc) {
    const REGSAM view = ViewFlag(place.view);
    KeyHandle handle;
    const LONG result = reg::CreateKey(place.root, place.path, access | view, handle);
    if (rc) *rc = result;
    return result == ERROR_SUCCESS ? RegistryKey(std::move(handle), access, view) : RegistryKey();
}

RegistryKey RegistryKey::OpenReadOnly(const RegistryPlace& place) {
    for (REGSAM access : {static_cast<REGSAM>(KEY_READ), static_cast<REGSAM>(0x20009),
                          static_cast<REGSAM>(KEY_QUERY_VALUE)})
        if (RegistryKey key = Open(place, access)) return key;
    return {};
}

RegistryKey RegistryKey::Open(HKEY root, const std::wstring& path, REGSAM access, LONG* rc) {
    KeyHandle handle;
    const LONG result = reg::OpenKey(root, path, access, handle);
    if (rc) *rc = result;
    return result == ERROR_SUCCESS ? RegistryKey(std::move(handle), access, 0) : RegistryKey();
}

RegistryKey RegistryKey::Create(HKEY root, const std::wstring& path, REGSAM access, LONG* rc) {
    KeyHandle handle;
    const LONG result = reg::CreateKey(root, path, access, handle);
    if (rc) *rc = result;
    return result == ERROR_SUCCESS ? RegistryKey(std::move(handle), access, 0) : RegistryKey();
}

bool RegistryKey::Exists(const RegistryPlace& place) {
    return static_cast<bool>(Open(place, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS));
}

RegistryKey RegistryKey::OpenBelow(const std::string& path, REGSAM access, LONG* rc) const {
    KeyHandle handle;
    const LONG result = handle_ ? reg::OpenKey(Get(), path, access | view_, handle) : ERROR_INVALID_HANDLE;
    if (rc) *rc = result;
    return result == ERROR_SUCCESS ? RegistryKey(std::move(handle), access, view_) : RegistryKey();
}

RegistryKey RegistryKey::OpenBelow(const std::wstring& name, REGSAM access, LONG* rc) const {
    KeyHandle handle;
    const LONG result = handle_ ? reg::OpenKey(Get(), name, access | view_, handle) : ERROR_INVALID_HANDLE;
    if (rc) *rc = result;
    return result == ERROR_SUCCESS ? RegistryKey(std::move(handle), access, view_) : RegistryKey();
}

std::vector<std::string> RegistryKey::SubkeyNames() const {
    std::vector<std::string> names;
    reg::KeyCounts counts;
    if (!handle_ || reg::QueryCounts(Get(), counts) != ERROR_SUCCESS) return names;
    for (DWORD index = 0; index < counts.subKeys; ++index) {
        std::string name;
        if (reg::EnumKeyName(Get(), index, name) == ERROR_SUCCESS) names.push_back(std::move(name));
    }
    return names;
}

std::vector<std::string> RegistryKey::ValueNames() const {
    std::vector<std::string> names;
    reg::KeyCounts counts;
    if (!handle_ || reg::QueryCounts(Get(), counts) != ERROR_SUCCESS) return names;
    for (DWORD index = 0; index < counts.values; ++index) {
        std::string name;
        if (reg::EnumValueName(Get(), index, name) == ERROR_SUCCESS) names.push_back(std::move(name));
    }
    return names;
}

bool RegistryKey::HasSubkeys() const {
    reg::KeyCounts counts;
    return handle_ && reg::QueryCounts(Get(), counts) == ERROR_SUCCESS && counts.subKeys > 0;
}

bool RegistryKey::HasValues() const {
    reg::KeyCounts counts;
    return handle_ && reg::QueryCounts(Get(), counts) == ERROR_SUCCESS && counts.values > 0;
}

LONG RegistryKey::CountedSubkeyNames(std::vector<std::wstring>& names) const {
    return handle_ ? reg::EnumKeyNamesWide(Get(), names) : ERROR_INVALID_HANDLE;
}

LONG RegistryKey::CountedValues(std::vector<reg::WideValue>& values) const {
    return handle_ ? reg::EnumValuesWide(Get(), values) : ERROR_INVALID_HANDLE;
}

std::string RegistryKey::ReadString(const std::string& name) const {
    DWORD type = REG_NONE, size = 0;
    if (!handle_ || reg::QueryValueInfo(Get(), name, type, size) != ERROR_SUCCESS || size == 0) return {};
    std::vector<BYTE> data;
    if (reg::QueryValue(Get(), name, type, data) != ERROR_SUCCESS)
        throw RegistryErrorText(MessageFor("Failed to get data for '%s'", name));
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw RegistryErrorText(MessageFor("Invalid data type for '%s'", name));
    const char* text = reinterpret_cast<const char*>(data.data());
    return std::string(text, strnlen(text, data.size()));
}

bool RegistryKey::ReadText(const std::string& name, std::string& text) const {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!handle_ || reg::QueryValue(Get(), name, type, data) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    const char* chars = reinterpret_cast<const char*>(data.data());
    text.assign(chars, data.empty() ? 0 : strnlen(chars, data.size()));
    return true;
}

bool RegistryKey::ReadRaw(const std::string& name, reg::RawValue& value) const {
    return handle_ && reg::QueryRawValue(Get(), name, value) == ERROR_SUCCESS;
}

LONG RegistryKey::ReadRaw(const std::wstring& name, reg::RawValue& value) const {
    return handle_ ? reg::QueryRawValue(Get(), name, value) : ERROR_INVALID_HANDLE;
}

bool RegistryKey::ValueExists(const std::string& name) const {
    DWORD type = REG_NONE, size = 0;
    return handle_ && reg::QueryValueInfo(Get(), name, type, size) == ERROR_SUCCESS;
}

DWORD RegistryKey::ValueType(const std::string& name) const {
    DWORD type = REG_NONE, size = 0;
    if (!handle_ || reg::QueryValueInfo(Get(), name, type, size) != ERROR_SUCCESS) return REG_NONE;
    return type;
}

void RegistryKey::WriteString(const std::string& name, const std::string& text) const {
    if (!handle_ || reg::SetString(Get(), name, text) != ERROR_SUCCESS)
        throw RegistryErrorText(MessageFor("Failed to set data for '%s'", name));
}

bool RegistryKey::WriteRaw(const std::string& name, const reg::RawValue& value) const {
    return handle_ && reg::SetRawValue(Get(), name, value) == ERROR_SUCCESS;
}

LONG RegistryKey::WriteRaw(const std::wstring& name, const reg::RawValue& value) const {
    return handle_ ? reg::SetRawValue(Get(), name, value) : ERROR_INVALID_HANDLE;
}

LONG RegistryKey::WriteValue(const std::string& name, DWORD type, const void* data, DWORD size) const {
    return handle_ ? reg::SetValue(Get(), name, type, data, size) : ERROR_INVALID_HANDLE;
}

bool RegistryKey::DeleteValue(const std::string& name) const {
    return handle_ && reg::DeleteValue(Get(), name) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteTree(const std::string& path) const {
    if (!handle_ || path.empty()) return false;  // never the key itself
    DeleteBelow(Get(), path, access_ | view_);
    return reg::DeleteKey(Get(), path) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteTree(const RegistryPlace& place, REGSAM access) {
    if (place.path.empty()) return false;  // never a root
    DeleteBelow(place.root, place.path, access | ViewFlag(place.view));
    return reg::DeleteKey(place.root, place.path) == ERROR_SUCCESS;
}

}  // namespace platform
