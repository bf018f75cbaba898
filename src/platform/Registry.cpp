// Thin calls over the Windows registry.
#include "platform/Registry.h"

#include "platform/Text.h"

#include <cstring>

namespace platform::reg {

namespace {
// Longest value name the registry allows, plus the terminating NUL.
constexpr DWORD kMaxValueName = 16384;
constexpr DWORD kMaxKeyName = 256;
constexpr int kReadRetries = 4;
constexpr DWORD kFirstReadSize = 1024;  // most values fit
}  // namespace

LONG OpenKey(HKEY root, const std::string& path, REGSAM access, KeyHandle& key) {
    return RegOpenKeyExA(root, path.c_str(), 0, access, key.Put());
}

LONG CreateKey(HKEY root, const std::string& path, REGSAM access, KeyHandle& key) {
    return RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                           nullptr, key.Put(), nullptr);
}

LONG QueryCounts(HKEY key, KeyCounts& counts) {
    counts = {};
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &counts.subKeys,
                            &counts.maxSubKeyLength, nullptr, &counts.values, nullptr,
                            nullptr, nullptr, nullptr);
}

LONG EnumKeyName(HKEY key, DWORD index, std::string& name) {
    char buffer[kMaxKeyName * 4];  // UTF-8 may need up to 4 bytes a character
    DWORD length = sizeof(buffer);
    LONG rc = RegEnumKeyExA(key, index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) name.assign(buffer, length);
    return rc;
}

LONG EnumValueName(HKEY key, DWORD index, std::string& name) {
    // Names may be long, so the buffer is large: made once per thread, not
    // once per value of a listing.
    thread_local std::vector<char> buffer(kMaxValueName * 4);
    DWORD length = static_cast<DWORD>(buffer.size());
    LONG rc = RegEnumValueA(key, index, buffer.data(), &length, nullptr, nullptr, nullptr,
                            nullptr);
    if (rc == ERROR_SUCCESS) name.assign(buffer.data(), length);
    return rc;
}

LONG QueryValueInfo(HKEY key, const std::string& name, DWORD& type, DWORD& size) {
    size = 0;
    return RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
}

LONG QueryValue(HKEY key, const std::string& name, DWORD& type, std::vector<BYTE>& data) {
    // Most values are short: one read into a first buffer, and a size query
    // only for a value that does not fit.
    DWORD size = kFirstReadSize;
    LONG rc = ERROR_SUCCESS;
    for (int attempt = 0; rc == ERROR_SUCCESS && attempt < kReadRetries; ++attempt) {
        data.assign(size + 2, 0);  // room for a missing terminator
        DWORD got = size;
        rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &got);
        if (rc == ERROR_SUCCESS) {
            data.resize(got);
            return rc;
        }
        if (rc == ERROR_MORE_DATA) {
            // The size needed; Wine may leave it as it was, so ask for it then.
            size = got > size ? got : 0;
            rc = size ? ERROR_SUCCESS : QueryValueInfo(key, name, type, size);
        }
    }
    return rc == ERROR_SUCCESS ? ERROR_MORE_DATA : rc;
}

LONG SetString(HKEY key, const std::string& name, const std::string& text) {
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

LONG SetValue(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

LONG QueryRawValue(HKEY key, const std::string& name, RawValue& value) {
    return QueryRawValue(key, text::Widen(name), value);
}

LONG QueryRawValue(HKEY key, const std::wstring& wideName, RawValue& value) {
    DWORD size = 0;
    LONG rc = RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, nullptr, &size);
    for (int attempt = 0; rc == ERROR_SUCCESS && attempt < kReadRetries; ++attempt) {
        value.data.assign(size, 0);
        DWORD got = size;
        rc = RegQueryValueExW(key, wideName.c_str(), nullptr, &value.type, value.data.data(), &got);
        if (rc == ERROR_SUCCESS) {
            value.data.resize(got);
            return rc;
        }
        if (rc == ERROR_MORE_DATA) {
            size = got;
            rc = ERROR_SUCCESS;  // the value grew since the size query: try again
        }
    }
    return rc == ERROR_SUCCESS ? ERROR_MORE_DATA : rc;
}

LONG SetRawValue(HKEY key, const std::string& name, const RawValue& value) {
    return RegSetValueExW(key, text::Widen(name).c_str(), 0, value.type, value.data.data(),
                          static_cast<DWORD>(value.data.size()));
}

bool RawValueText(const RawValue& value, std::string& text) {
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return false;
    std::wstring wide(value.data.size() / sizeof(wchar_t), L'\0');
    if (!wide.empty()) memcpy(wide.data(), value.data.data(), wide.size() * sizeof(wchar_t));
    const size_t end = wide.find(L'\0');
    if (end != std::wstring::npos) wide.resize(end);
    text = text::Narrow(wide);
    return true;
}

LONG DeleteValue(HKEY key, const std::string& name) {
    return RegDeleteValueA(key, name.c_str());
}

LONG DeleteKey(HKEY parent, const std::string& path) {
    return RegDeleteKeyA(parent, path.c_str());
}

}  // namespace platform::reg
