// Thin calls over the Windows registry. Every call returns the system's error
// code (ERROR_SUCCESS on success); outputs are meaningful only on success.
//
// A value name may hold NUL characters: "run\0x" is another value than
// "run" (a known way to hide a startup entry). The ANSI and wide calls take
// names that end at their first NUL and would reach "run", so every call
// below that takes a value name sends a name holding a NUL through the
// native calls of ntdll, which take the name with its length; names
// enumerated here keep their whole length.
#pragma once

#include "platform/Handles.h"

#include <string>
#include <vector>

namespace platform::reg {

// Opens root\path without creating it. An empty path reopens the root itself.
LONG OpenKey(HKEY root, const std::string& path, REGSAM access, KeyHandle& key);

// Opens root\path, creating every missing part of it.
LONG CreateKey(HKEY root, const std::string& path, REGSAM access, KeyHandle& key);

// The same through the wide calls, for paths already in UTF-16.
LONG OpenKey(HKEY root, const std::wstring& path, REGSAM access, KeyHandle& key);
LONG CreateKey(HKEY root, const std::wstring& path, REGSAM access, KeyHandle& key);

// Number of subkeys and values, and the longest subkey name (characters).
struct KeyCounts {
    DWORD subKeys = 0;
    DWORD maxSubKeyLength = 0;
    DWORD values = 0;
};
LONG QueryCounts(HKEY key, KeyCounts& counts);

LONG EnumKeyName(HKEY key, DWORD index, std::string& name);
// The whole name, NULs inside it included.
LONG EnumValueName(HKEY key, DWORD index, std::string& name);

// Every subkey's whole UTF-16 name, in the registry's order; needs nothing
// but KEY_ENUMERATE_SUB_KEYS.
LONG EnumKeyNamesWide(HKEY key, std::vector<std::wstring>& names);

// Every value's whole UTF-16 name, type and bytes, in the registry's order,
// read in one pass (a value that grows meanwhile is read again).
struct WideValue {
    std::wstring name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
LONG EnumValuesWide(HKEY key, std::vector<WideValue>& values);

// Whether a value name holds a NUL character.
bool NameHoldsNul(const std::string& name);

// Reads a value's type and raw data; grows the buffer and retries (bounded)
// when the value grows between the size query and the read.
LONG QueryValue(HKEY key, const std::string& name, DWORD& type, std::vector<BYTE>& data);

// Type and size only; fails with ERROR_FILE_NOT_FOUND for an absent value.
LONG QueryValueInfo(HKEY key, const std::string& name, DWORD& type, DWORD& size);

// Writes text as REG_SZ including its terminating NUL.
LONG SetString(HKEY key, const std::string& name, const std::string& text);

// Writes raw data of any type (tests and seeding use it for non-string values).
LONG SetValue(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size);

// A value exactly as the registry stores it: its type and its bytes, strings
// in UTF-16 as the wide calls give them. Copying one to another key through
// these two calls keeps REG_EXPAND_SZ, odd bytes and text after a NUL as
// they were, which the ANSI string calls would not.
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
LONG QueryRawValue(HKEY key, const std::string& name, RawValue& value);
// The same for a name already in UTF-16 (names with any characters).
LONG QueryRawValue(HKEY key, const std::wstring& name, RawValue& value);
LONG SetRawValue(HKEY key, const std::string& name, const RawValue& value);
LONG SetRawValue(HKEY key, const std::wstring& name, const RawValue& value);

// The text of a REG_SZ or REG_EXPAND_SZ raw value, up to its first NUL, in
// the program's code page. False for a value of any other type.
bool RawValueText(const RawValue& value, std::string& text);

// A REG_SZ or REG_EXPAND_SZ raw value holding the text (UTF-16, with its
// terminating NUL), as the registry stores it.
RawValue TextRawValue(DWORD type, const std::string& text);

LONG DeleteValue(HKEY key, const std::string& name);

// Deletes one key that has no subkeys.
LONG DeleteKey(HKEY parent, const std::string& path);

}  // namespace platform::reg
