// What the program knows about itself: its folder, where its backup points go
// and its version. Built once at the start and handed to whoever needs it;
// tests point the backup folder into their own machine.
#pragma once

#include <string>

namespace common {

// The version the program shows (the one its version resource carries).
constexpr const char* kProgramVersion = "2.0";

struct ProgramSettings {
    std::string programFolder;  // the running program's folder, ending in "\"
    std::string backupFolder;   // where backup points go, ending in "\"
    std::string version;
};

// The settings of the running program: its own folder, that folder's
// "Backup\" for backup points, and kProgramVersion.
ProgramSettings RunningProgramSettings();

}  // namespace common
