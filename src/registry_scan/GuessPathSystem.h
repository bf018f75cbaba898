// The path guess on the running machine.
#pragma once

#include <string>

#include "formats/GuessPath.h"

namespace registry_scan {

// The running machine: long-path-aware existence tests, the Windows and
// system folders and "ProgramFilesDir" of the current-version key. Read once
// per scan.
GuessEnvironment SystemGuessEnvironment();

// GuessFilePath against the running machine.
std::string GuessFilePath(const std::string& text);

}  // namespace registry_scan
