// Registry export files ("Windows Registry Editor Version 5.00", UTF-16LE):
// writing a key tree in regedit's layout and reading such a file back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace backup {

// Value types as the registry numbers them (kept here so the text logic needs
// no system headers).
namespace regtype {
constexpr uint32_t kNone = 0;
constexpr uint32_t kString = 1;
constexpr uint32_t kExpandString = 2;
constexpr uint32_t kBinary = 3;
constexpr uint32_t kDword = 4;
constexpr uint32_t kMultiString = 7;
constexpr uint32_t kQword = 11;
}  // namespace regtype

struct RegValueData {
    std::string name;  // UTF-8; empty for the default value
    uint32_t type = 0;
    std::vector<uint8_t> data;  // the raw bytes as the registry holds them
    bool isDefault = false;     // written as "@"; a value with an empty name is the default value
};

struct RegKeyData {
    std::string path;  // full path from the root name, e.g. "HKEY_CURRENT_USER\Software\x"
    std::vector<RegValueData> values;
};

// The file's bytes: byte-order mark, then the text in UTF-16LE with CR LF.
// False (with a reason) for a key path that cannot be written in this format
// (empty, or holding a line break); nothing is returned then.
bool WriteRegFile(const std::vector<RegKeyData>& keys, std::vector<uint8_t>& bytes, std::string& error);

// Reads the bytes of such a file. Accepts wrapped hex lines, ';' comment lines,
// blank lines and a repeated section (its values merge into the first).
// Refuses deletion entries ("[-key]" and "name"=-) and anything malformed:
// false with "Line N: reason", and keys is left empty. A file cut short is
// refused where it shows: a hex list continued past the end, or a last line
// without its line break that might have gone on (a key line, a hex list, a
// dword of fewer than eight digits, a string without its closing quote). So
// a cut of a file WriteRegFile made is refused or reads as a prefix of its
// keys and values.
bool ReadRegFile(const std::vector<uint8_t>& bytes, std::vector<RegKeyData>& keys, std::string& error);

// UTF-8 <-> UTF-16 without loss: unpaired surrogates (which registry names may
// hold) travel as their three-byte forms; malformed UTF-8 bytes become U+FFFD.
std::u16string Utf16FromUtf8(const std::string& text);
std::string Utf8FromUtf16(const char16_t* text, size_t length);

// The folder name of a backup point, e.g. "2005.02.22  9.05" and " 0" for midnight.
std::string BackupPointName(int year, int month, int day, int hour, int minute);

// The root files of a backup point, in the order they are written.
constexpr size_t kBackupRootCount = 5;
extern const char* const kBackupRootFileNames[kBackupRootCount];

}  // namespace backup
