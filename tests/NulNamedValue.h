// Registry values whose names hold a NUL, made, read and removed for tests
// through ntdll's own calls, which take a counted name: the ANSI and wide
// calls stop at the NUL. The program's code is not used, so the checks do
// not lean on what they check.
#pragma once

#include "platform/Handles.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// "name" + NUL + "tail" and the like, in UTF-16 (the names tests use are ASCII).
inline std::wstring WideName(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
inline std::string NarrowName(const std::wstring& wide) {
    std::string ascii;
    for (wchar_t c : wide) ascii += static_cast<char>(c);
    return ascii;
}

namespace nul_named {

using QueryCall = NTSTATUS(NTAPI*)(HANDLE, UNICODE_STRING*, int, void*, ULONG, ULONG*);
using SetCall = NTSTATUS(NTAPI*)(HANDLE, UNICODE_STRING*, ULONG, ULONG, void*, ULONG);
using DeleteCall = NTSTATUS(NTAPI*)(HANDLE, UNICODE_STRING*);

template <typename Call>
Call Find(const char* name) {
    return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

inline UNICODE_STRING Counted(const std::wstring& name) {
    UNICODE_STRING counted;
    counted.Length = counted.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    counted.Buffer = const_cast<wchar_t*>(name.data());
    return counted;
}

}  // namespace nul_named

// Writes a REG_SZ value under the exact name, creating the key.
inline void SetNulNamed(HKEY root, const std::string& path, const std::wstring& name, const std::string& text) {
    platform::KeyHandle key;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(), nullptr),
              ERROR_SUCCESS)
        << path;
    std::wstring data = WideName(text);
    data.push_back(L'\0');
    UNICODE_STRING counted = nul_named::Counted(name);
    ASSERT_EQ(nul_named::Find<nul_named::SetCall>("NtSetValueKey")(
                  key.Get(), &counted, 0, REG_SZ, data.data(), static_cast<ULONG>(data.size() * sizeof(wchar_t))),
              0);
}

// The text of the value of exactly that name; nothing when it is missing.
inline std::optional<std::string> NulNamedText(HKEY root, const std::string& path, const std::wstring& name) {
    platform::KeyHandle key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS) return std::nullopt;
    std::vector<BYTE> buffer(4096);
    ULONG needed = 0;
    UNICODE_STRING counted = nul_named::Counted(name);
    // KEY_VALUE_PARTIAL_INFORMATION: title index, type, data length, data.
    if (nul_named::Find<nul_named::QueryCall>("NtQueryValueKey")(key.Get(), &counted, 2, buffer.data(),
                                                                 static_cast<ULONG>(buffer.size()), &needed) != 0)
        return std::nullopt;
    ULONG length = 0;
    memcpy(&length, buffer.data() + 8, sizeof(length));
    std::wstring text(reinterpret_cast<const wchar_t*>(buffer.data() + 12), length / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return NarrowName(text);
}

inline void DeleteNulNamed(HKEY root, const std::string& path, const std::wstring& name) {
    platform::KeyHandle key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, key.Put()) != ERROR_SUCCESS) return;
    UNICODE_STRING counted = nul_named::Counted(name);
    nul_named::Find<nul_named::DeleteCall>("NtDeleteValueKey")(key.Get(), &counted);
}

// A value of the exact name, removed on scope exit.
class ScopedNulNamed {
public:
    ScopedNulNamed(HKEY root, std::string path, std::wstring name, const std::string& text)
        : root_(root), path_(std::move(path)), name_(std::move(name)) {
        SetNulNamed(root_, path_, name_, text);
    }
    ~ScopedNulNamed() { DeleteNulNamed(root_, path_, name_); }
    ScopedNulNamed(const ScopedNulNamed&) = delete;
    ScopedNulNamed& operator=(const ScopedNulNamed&) = delete;

private:
    HKEY root_;
    std::string path_;
    std::wstring name_;
};

}  // namespace testing_support
