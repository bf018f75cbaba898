// Finding the process of a program, its modules, and ending it.
#pragma once

#include "platform/Processes.h"

#include <windows.h>

#include <string>
#include <vector>

namespace startup {

// The identifier, as 8 upper-case hexadecimal digits, of the last process
// whose main module is the path (case ignored); "No" when none is.
std::string FindProcessByPath(const std::string& path);

// Looks the file's process up now (the last one, as FindProcessByPath) and
// ends it while it still runs that file; error receives the system's code
// when the result is Failed.
platform::processes::EndResult EndProcessOfFile(const std::string& path, DWORD& error);

// The identifier of the first process whose executable file name is name
// (case ignored); 0 when none is.
DWORD FindProcessByName(const std::string& name);

// The file names (name part) of the modules loaded in the process, in the
// system's order; empty when the process cannot be read.
std::vector<std::string> ProcessModuleNames(DWORD processId);

}  // namespace startup
