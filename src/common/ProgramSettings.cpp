// The running program's settings.
#include "common/ProgramSettings.h"

#include <shlobj.h>

#include "common/Common.h"
#include "platform/Files.h"
#include "platform/RegistryKey.h"
#include "platform/Text.h"

namespace common {

namespace {

// The folder the installer recorded, or "" when none was (the zip, the build
// folder, or an installation removed since).
std::string RecordedInstallFolder() {
    const platform::RegistryKey key = platform::RegistryKey::Open(
        {HKEY_LOCAL_MACHINE, kInstallKey, platform::RegistryView::k64}, KEY_QUERY_VALUE);
    std::string folder;
    return key.ReadText(kInstallFolderValue, folder) ? folder : std::string();
}

// The recorded folder, spelt as the program's own when both name one folder
// on disk: a start through a short (8.3) name, another drive letter or a
// link is still the installed program.
std::string AsProgramFolder(const std::string& installFolder, const std::string& programFolder) {
    if (installFolder.empty() || SameCaption(WithTrailingSeparator(installFolder), WithTrailingSeparator(programFolder)))
        return installFolder;
    const std::wstring recorded = platform::files::FolderFinalPath(installFolder);
    const std::wstring running = platform::files::FolderFinalPath(programFolder);
    if (recorded.empty() || running.empty()) return installFolder;
    return SameCaption(platform::text::Narrow(recorded), platform::text::Narrow(running)) ? programFolder
                                                                                         : installFolder;
}

}  // namespace

std::string DataFolderFor(const std::string& programFolder, const std::string& installFolder,
                          const std::string& localAppData) {
    const std::string beside = WithTrailingSeparator(programFolder);
    if (installFolder.empty() || localAppData.empty()) return beside;
    if (!SameCaption(WithTrailingSeparator(installFolder), beside)) return beside;
    return WithTrailingSeparator(localAppData) + "Orvelin\\";
}

ProgramSettings RunningProgramSettings() {
    ProgramSettings settings;
    settings.programFolder = platform::files::ExtractFilePath(platform::files::ModuleFileName());
    settings.dataFolder = DataFolderFor(settings.programFolder,
                                        AsProgramFolder(RecordedInstallFolder(), settings.programFolder),
                                        SpecialFolderPath(CSIDL_LOCAL_APPDATA));
    settings.installed = !SameCaption(settings.dataFolder, WithTrailingSeparator(settings.programFolder));
    settings.backupFolder = settings.dataFolder + "Backup\\";
    settings.version = kProgramVersion;
    return settings;
}

}  // namespace common
