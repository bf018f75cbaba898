// Finding the process of a program, its modules, and ending it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The identifier, as 8 upper-case hexadecimal digits, of the last process
// whose main module is the path (case ignored); "No" when none is.
std::string FindProcessByPath(const std::string& path);

// The identifier of the first process whose executable file name is name
// (case ignored); 0 when none is.
DWORD FindProcessByName(const std::string& name);

// The file names (name part) of the modules loaded in the process, in the
// system's order; empty when the process cannot be read.
std::vector<std::string> ProcessModuleNames(DWORD processId);
