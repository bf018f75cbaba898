// The running machine as the path guess sees it.
#include "registry_scan/GuessPath.h"

#include "common/Common.h"
#include "common/RegistryObject.h"
#include "platform/Files.h"

namespace registry_scan {

namespace {

// "ProgramFilesDir" of the current-version key; empty when the key or the
// value is missing or holds no text.
std::string ProgramFilesFromRegistry() {
    TRegistry registry(KEY_READ);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion")) return {};
    std::string folder;
    if (!registry.ReadStringValue("ProgramFilesDir", folder)) return {};
    return WithTrailingSeparator(folder);
}

}  // namespace

GuessEnvironment SystemGuessEnvironment() {
    GuessEnvironment env;
    env.fileExists = platform::files::FileExistsAnyLength;
    env.folderExists = platform::files::DirectoryExistsAnyLength;
    env.canJudgeMissing = platform::files::CanJudgeMissing;
    env.windowsFolder = WithTrailingSeparator(WindowsDirectory());
    env.systemFolder = WithTrailingSeparator(SystemDirectory());
    env.programFiles = ProgramFilesFromRegistry();
    return env;
}

std::string GuessFilePath(const std::string& text) { return GuessFilePath(text, SystemGuessEnvironment()); }

}  // namespace registry_scan
