// Registry root keys and their names.
#pragma once

#include <windows.h>

#include <string>

// HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS and HKEY_CURRENT_CONFIG by
// exact, case-sensitive name; every other text gives HKEY_CLASSES_ROOT.
HKEY RootKeyFromName(const std::string& name);

// The name of one of the seven predefined roots. For any other handle, name
// is left as it was.
void RootKeyName(HKEY root, std::string& name);

// Convenience form: the name, or an empty text for an unknown handle.
std::string RootKeyName(HKEY root);
