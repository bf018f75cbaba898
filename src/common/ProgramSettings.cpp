// The running program's settings.
#include "common/ProgramSettings.h"

#include "platform/Files.h"

namespace common {

ProgramSettings RunningProgramSettings() {
    ProgramSettings settings;
    settings.programFolder = platform::files::ExtractFilePath(platform::files::ModuleFileName());
    settings.backupFolder = settings.programFolder + "Backup\\";
    settings.version = kProgramVersion;
    return settings;
}

}  // namespace common
