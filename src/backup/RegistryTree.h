// A registry key with everything below it, read into key data and written back
// with exact types and bytes; registry files on disk.
#pragma once

#include "formats/PointManifest.h"
#include "formats/RegFile.h"

#include <windows.h>

#include <string>
#include <vector>

namespace backup {

// UTF-8 to the registry's UTF-16 and back, lossless (see Utf16FromUtf8).
std::wstring Wide(const std::string& utf8);
std::string FromWide(const wchar_t* text, size_t length);

// The predefined key for a root name ("HKEY_CURRENT_USER", ...); nullptr when unknown.
HKEY RootKeyForName(const std::string& rootName);

// Appends rootName\path and every key below it, each key before its subkeys,
// values in the registry's order. path "" exports the whole root. False with a
// reason when a key cannot be opened or read. With unreadable given, a subkey
// that cannot be read (a whole root holds some: keys the user may not read,
// links that lead nowhere, keys the system serves itself and refuses to
// describe) is listed there with the system's reason and left out with
// everything below it, and the export goes on; a subkey whose values were
// read but whose own subkeys could not be listed is kept with its values
// and listed too, and so is a subkey that cannot be read but lets its own
// subkeys be listed, whose readable subkeys are saved. Only the key at path
// itself failing fails the export.
bool ExportRegistryTree(const std::string& rootName, const std::string& path, std::vector<RegKeyData>& keys,
                        std::string& error, std::vector<LeftOutKey>* unreadable = nullptr);

// Creates every key and writes every value with its type and bytes as given
// (existing values of the same name are replaced, others stay). Stops at the
// first failure with a reason.
bool ImportRegistryTree(const std::vector<RegKeyData>& keys, std::string& error);

bool SaveRegFile(const std::string& filePath, const std::vector<RegKeyData>& keys, std::string& error);
bool LoadRegFile(const std::string& filePath, std::vector<RegKeyData>& keys, std::string& error);

}  // namespace backup
