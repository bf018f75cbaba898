// Seeding raw registry values for tests: any type, any bytes, names in UTF-16,
// and a key's access list.
#pragma once

#include "formats/RegFile.h"
#include "platform/Handles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

inline std::wstring W(const std::string& utf8) {
    const std::u16string text = backup::Utf16FromUtf8(utf8);
    return std::wstring(text.begin(), text.end());
}

// The UTF-16 bytes of a text with its terminating NUL, as a string value holds them.
inline std::vector<uint8_t> Utf16Z(const std::string& utf8) {
    std::vector<uint8_t> bytes;
    for (char16_t c : backup::Utf16FromUtf8(utf8)) bytes.insert(bytes.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

// Stands for "the key alone, no value" in seed tables.
constexpr DWORD kKeyOnly = 0xFFFFFFFF;

// Creates the key and writes the value with exactly this type and these bytes
// (name "" is the default value; kKeyOnly writes no value).
inline void SetRawValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                        const std::vector<uint8_t>& data) {
    platform::KeyHandle key;
    ASSERT_EQ(RegCreateKeyExW(root, W(path).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(), nullptr),
              ERROR_SUCCESS)
        << path;
    if (type == kKeyOnly) return;
    static const BYTE kNothing = 0;
    ASSERT_EQ(RegSetValueExW(key.Get(), name.empty() ? nullptr : W(name).c_str(), 0, type,
                             data.empty() ? &kNothing : data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS)
        << name;
}


}  // namespace testing_support
