// Thin calls over the Windows registry.
#include "platform/Registry.h"

#include "platform/Text.h"

#include <winternl.h>

#include <algorithm>
#include <cstring>

namespace platform::reg {

namespace {
// Longest value name the registry allows, plus the terminating NUL.
constexpr DWORD kMaxValueName = 16384;
constexpr DWORD kMaxKeyName = 256;
constexpr int kReadRetries = 4;
constexpr DWORD kFirstReadSize = 1024;  // most values fit

// ---- names holding a NUL: the native calls, which take a counted name ----------

// The calls are found once in ntdll, which every process has loaded: its
// handle is not counted, so there is nothing to release.
using QueryValueKeyCall = NTSTATUS(NTAPI*)(HANDLE, UNICODE_STRING*, int, void*, ULONG, ULONG*);
using SetValueKeyCall = NTSTATUS(NTAPI*)(HANDLE, UNICODE_STRING*, ULONG, ULONG, void*, ULONG);
using DeleteValueKeyCall = NTSTATUS(NTAPI*)(HANDLE, UNICODE_STRING*);
using StatusToErrorCall = ULONG(NTAPI*)(NTSTATUS);

struct NativeCalls {
    QueryValueKeyCall query = nullptr;
    SetValueKeyCall set = nullptr;
    DeleteValueKeyCall remove = nullptr;
    StatusToErrorCall toError = nullptr;
    bool Complete() const { return query && set && remove && toError; }
};

template <typename Call>
Call Find(HMODULE module, const char* name) {
    return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const NativeCalls& Native() {
    static const NativeCalls calls = [] {
        NativeCalls found;
        if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
            found.query = Find<QueryValueKeyCall>(ntdll, "NtQueryValueKey");
            found.set = Find<SetValueKeyCall>(ntdll, "NtSetValueKey");
            found.remove = Find<DeleteValueKeyCall>(ntdll, "NtDeleteValueKey");
            found.toError = Find<StatusToErrorCall>(ntdll, "RtlNtStatusToDosError");
        }
        return found;
    }();
    return calls;
}

constexpr int kKeyValuePartialInformation = 2;
// KEY_VALUE_PARTIAL_INFORMATION: title index, type and data length, then the data.
constexpr size_t kPartialHeader = 3 * sizeof(ULONG);
constexpr NTSTATUS kBufferOverflow = static_cast<NTSTATUS>(0x80000005L);
constexpr NTSTATUS kBufferTooSmall = static_cast<NTSTATUS>(0xC0000023L);

bool HoldsNul(const std::wstring& name) { return name.find(L'\0') != std::wstring::npos; }

// The name as the native calls take it; false when it is longer than a
// counted name can be (the registry's own limit is far below).
bool CountedName(const std::wstring& name, UNICODE_STRING& counted) {
    const size_t bytes = name.size() * sizeof(wchar_t);
    if (bytes > 0xFFFE) return false;
    counted.Length = counted.MaximumLength = static_cast<USHORT>(bytes);
    counted.Buffer = const_cast<wchar_t*>(name.data());
    return true;
}

LONG NativeError(NTSTATUS status) { return static_cast<LONG>(Native().toError(status)); }

LONG NativeQuery(HKEY key, const std::wstring& name, RawValue& value) {
    UNICODE_STRING counted;
    if (!Native().Complete()) return ERROR_NOT_SUPPORTED;
    if (!CountedName(name, counted)) return ERROR_INVALID_PARAMETER;
    std::vector<BYTE> buffer(kPartialHeader + kFirstReadSize);
    for (int attempt = 0; attempt < kReadRetries; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status = Native().query(key, &counted, kKeyValuePartialInformation, buffer.data(),
                                               static_cast<ULONG>(buffer.size()), &needed);
        if (status == kBufferOverflow || status == kBufferTooSmall) {
            buffer.resize(std::max<size_t>(needed, buffer.size() * 2));  // the value grew: try again
            continue;
        }
        if (status < 0) return NativeError(status);
        ULONG type = 0, length = 0;
        memcpy(&type, buffer.data() + sizeof(ULONG), sizeof(ULONG));
        memcpy(&length, buffer.data() + 2 * sizeof(ULONG), sizeof(ULONG));
        if (length > buffer.size() - kPartialHeader) return ERROR_MORE_DATA;
        value.type = type;
        value.data.assign(buffer.begin() + kPartialHeader, buffer.begin() + kPartialHeader + length);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

LONG NativeSet(HKEY key, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    UNICODE_STRING counted;
    if (!Native().Complete()) return ERROR_NOT_SUPPORTED;
    if (!CountedName(name, counted)) return ERROR_INVALID_PARAMETER;
    const NTSTATUS status = Native().set(key, &counted, 0, type, const_cast<void*>(data), size);
    return status < 0 ? NativeError(status) : ERROR_SUCCESS;
}

LONG NativeDelete(HKEY key, const std::wstring& name) {
    UNICODE_STRING counted;
    if (!Native().Complete()) return ERROR_NOT_SUPPORTED;
    if (!CountedName(name, counted)) return ERROR_INVALID_PARAMETER;
    const NTSTATUS status = Native().remove(key, &counted);
    return status < 0 ? NativeError(status) : ERROR_SUCCESS;
}

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The data as the ANSI calls give it: text in the program's code page.
std::vector<BYTE> AnsiData(const RawValue& raw) {
    if (!IsTextType(raw.type)) return raw.data;
    std::wstring wide(raw.data.size() / sizeof(wchar_t), L'\0');
    if (!wide.empty()) memcpy(wide.data(), raw.data.data(), wide.size() * sizeof(wchar_t));
    const std::string narrow = text::Narrow(wide);
    return std::vector<BYTE>(narrow.begin(), narrow.end());
}

// The data the ANSI calls are given, as the native calls store it.
std::vector<BYTE> StoredData(DWORD type, const void* data, DWORD size) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    if (!IsTextType(type)) return std::vector<BYTE>(bytes, bytes + (bytes ? size : 0));
    const std::wstring wide = text::Widen(std::string(reinterpret_cast<const char*>(bytes), bytes ? size : 0));
    const BYTE* first = reinterpret_cast<const BYTE*>(wide.data());
    return std::vector<BYTE>(first, first + wide.size() * sizeof(wchar_t));
}

LONG NativeSetAnsi(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size) {
    const std::vector<BYTE> stored = StoredData(type, data, size);
    return NativeSet(key, text::Widen(name), type, stored.data(), static_cast<DWORD>(stored.size()));
}

}  // namespace

bool NameHoldsNul(const std::string& name) { return name.find('\0') != std::string::npos; }

LONG OpenKey(HKEY root, const std::string& path, REGSAM access, KeyHandle& key) {
    return RegOpenKeyExA(root, path.c_str(), 0, access, key.Put());
}

LONG CreateKey(HKEY root, const std::string& path, REGSAM access, KeyHandle& key) {
    return RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                           nullptr, key.Put(), nullptr);
}

LONG OpenKey(HKEY root, const std::wstring& path, REGSAM access, KeyHandle& key) {
    return RegOpenKeyExW(root, path.c_str(), 0, access, key.Put());
}

LONG CreateKey(HKEY root, const std::wstring& path, REGSAM access, KeyHandle& key) {
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, access, nullptr, key.Put(), nullptr);
}

LONG EnumKeyNamesWide(HKEY key, std::vector<std::wstring>& names) {
    std::vector<wchar_t> name(kMaxKeyName);  // a key's name has at most 255 characters
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG rc = RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA && name.size() < kMaxValueName) {
            name.resize(kMaxValueName);  // longer than the registry allows: taken whole all the same
            continue;
        }
        if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
        if (rc != ERROR_SUCCESS) return rc;
        names.emplace_back(name.data(), length);
        ++index;
    }
}

LONG EnumValuesWide(HKEY key, std::vector<WideValue>& values) {
    DWORD maxName = 0, maxData = 0;
    LONG rc = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                               &maxData, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    std::vector<wchar_t> name(maxName + 1);
    std::vector<BYTE> data(std::max<DWORD>(maxData, 1));
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = 0, dataLength = 0, type = 0;
        for (int attempt = 0; attempt < 8; ++attempt) {  // a value may grow while we read
            nameLength = static_cast<DWORD>(name.size());
            dataLength = static_cast<DWORD>(data.size());
            rc = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength);
            if (rc != ERROR_MORE_DATA) break;
            name.resize(kMaxValueName);
            data.resize(std::max<size_t>(dataLength, data.size() * 2));
        }
        if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
        if (rc != ERROR_SUCCESS) return rc;
        values.push_back({std::wstring(name.data(), nameLength), type,
                          std::vector<BYTE>(data.begin(), data.begin() + dataLength)});
    }
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
    // once per value of a listing. The wide call gives the name's whole
    // length, so a NUL inside it is kept with what follows.
    thread_local std::vector<wchar_t> buffer(kMaxValueName);
    DWORD length = static_cast<DWORD>(buffer.size());
    LONG rc = RegEnumValueW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) name = text::Narrow(buffer.data(), length);
    return rc;
}

LONG QueryValueInfo(HKEY key, const std::string& name, DWORD& type, DWORD& size) {
    size = 0;
    if (NameHoldsNul(name)) {
        RawValue raw;
        const LONG rc = NativeQuery(key, text::Widen(name), raw);
        if (rc == ERROR_SUCCESS) {
            type = raw.type;
            size = static_cast<DWORD>(AnsiData(raw).size());
        }
        return rc;
    }
    return RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
}

LONG QueryValue(HKEY key, const std::string& name, DWORD& type, std::vector<BYTE>& data) {
    if (NameHoldsNul(name)) {
        RawValue raw;
        const LONG rc = NativeQuery(key, text::Widen(name), raw);
        if (rc == ERROR_SUCCESS) {
            type = raw.type;
            data = AnsiData(raw);
        }
        return rc;
    }
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
    if (NameHoldsNul(name)) return NativeSetAnsi(key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

LONG SetValue(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size) {
    if (NameHoldsNul(name)) return NativeSetAnsi(key, name, type, data, size);
    return RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

LONG QueryRawValue(HKEY key, const std::string& name, RawValue& value) {
    return QueryRawValue(key, text::Widen(name), value);
}

LONG QueryRawValue(HKEY key, const std::wstring& wideName, RawValue& value) {
    if (HoldsNul(wideName)) return NativeQuery(key, wideName, value);
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
    return SetRawValue(key, text::Widen(name), value);
}

LONG SetRawValue(HKEY key, const std::wstring& wideName, const RawValue& value) {
    if (HoldsNul(wideName))
        return NativeSet(key, wideName, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
    return RegSetValueExW(key, wideName.c_str(), 0, value.type, value.data.data(),
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

RawValue TextRawValue(DWORD type, const std::string& text) {
    const std::wstring wide = text::Widen(text);
    const BYTE* first = reinterpret_cast<const BYTE*>(wide.c_str());
    return RawValue{type, std::vector<BYTE>(first, first + (wide.size() + 1) * sizeof(wchar_t))};
}

LONG DeleteValue(HKEY key, const std::string& name) {
    if (NameHoldsNul(name)) return NativeDelete(key, text::Widen(name));
    return RegDeleteValueA(key, name.c_str());
}

LONG DeleteKey(HKEY parent, const std::string& path) {
    return RegDeleteKeyA(parent, path.c_str());
}

}  // namespace platform::reg
