// What the program knows about itself: its folder, where its data (backup
// points, the restore marker) goes and its version. Built once at the start
// and handed to whoever needs it; tests point the backup folder into their
// own machine.
#pragma once

#include <string>

#include "ProgramVersion.h"

namespace common {

// The version the program shows (the one its version resource carries).
constexpr const char* kProgramVersion = ORV_VERSION_TEXT;

// Where the installer notes the folder it installed the program into
// (HKEY_LOCAL_MACHINE, the 64-bit view), and the name of that value.
constexpr const char* kInstallKey = "Software\\Orvelin";
constexpr const char* kInstallFolderValue = "InstallFolder";

struct ProgramSettings {
    std::string programFolder;  // the running program's folder, ending in "\"
    std::string dataFolder;     // where the program keeps what it writes, ending in "\"
    std::string backupFolder;   // where backup points go, ending in "\"
    std::string version;
    bool installed = false;     // run from the folder the installer put it in
};

// The folder the program keeps its data in. An installed program cannot
// write beside itself (Program Files is not the user's to write), so it keeps
// its data in the user's local application data; a copy unpacked anywhere
// else, or run from the build folder, keeps it beside itself. Empty
// installFolder: not installed. All folders end in "\".
std::string DataFolderFor(const std::string& programFolder, const std::string& installFolder,
                          const std::string& localAppData);

// The settings of the running program: its own folder, its data folder as
// DataFolderFor chooses it, that folder's "Backup\" for backup points, and
// kProgramVersion.
ProgramSettings RunningProgramSettings();

}  // namespace common
