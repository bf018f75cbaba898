// The registry keys the scanner's sections walk: a fix may remove what lies
// below them, never one of them nor a key that holds one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace registry_scan {

// The name as the registry compares names, whatever its letter case.
std::string FoldedKeyName(const std::string& name);
// The folded names of the levels of a key path: "a\b" gives {"A", "B"}.
std::vector<std::string> FoldedKeyNames(const std::string& path);

// Whether removing root\names (one key name per element) would remove a key a
// section walks or a key above one: the roots, each section's key, and the
// keys a section walks through on its way down (a class identifier's key,
// an application's and an event's key of the sound schemes). The same keys
// reached by another spelling count too: the classes through the machine's
// and the user's "Software\Classes", a user's keys below HKEY_USERS, the
// current control set, and the 32-bit view's "Wow6432Node".
bool IsScannerContainer(HKEY root, const std::vector<std::string>& names);

}  // namespace registry_scan
