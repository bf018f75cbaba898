// Registry root keys and their names, and value names as the lists show them.
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

// A value name as the lists show it: each NUL inside it as the two
// characters "\0" (a list control would end the text there). The shown text
// is for the eye only; the rows keep the name itself to act on.
std::string ShownValueName(const std::string& name);
