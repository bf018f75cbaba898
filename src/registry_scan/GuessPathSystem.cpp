// The running machine as the path guess sees it.
#include "registry_scan/GuessPathSystem.h"

#include <array>
#include <memory>

#include "common/Common.h"
#include "platform/RegistryKey.h"
#include "platform/Files.h"

namespace registry_scan {

namespace {

// "ProgramFilesDir" of the current-version key; empty when the key or the
// value is missing or holds no text.
std::string ProgramFilesFromRegistry() {
    const platform::RegistryKey registry =
        platform::RegistryKey::OpenReadOnly({HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"});
    std::string folder;
    if (!registry.ReadText("ProgramFilesDir", folder)) return {};
    return WithTrailingSeparator(folder);
}

}  // namespace

GuessEnvironment SystemGuessEnvironment() {
    GuessEnvironment env;
    env.fileExists = platform::files::FileExistsAnyLength;
    env.folderExists = platform::files::DirectoryExistsAnyLength;
    // A scan asks about thousands of paths on a handful of drives: each
    // drive's state is asked once per environment (one scan, one fix).
    auto drives = std::make_shared<std::array<signed char, 26>>();
    drives->fill(-1);
    env.canJudgeMissing = [drives](const std::string& path) {
        return platform::files::CanJudgeMissing(path, [&drives](char letter) {
            signed char& known = (*drives)[static_cast<size_t>((letter | 0x20) - 'a')];
            if (known < 0) known = platform::files::DriveReady(letter) ? 1 : 0;
            return known == 1;
        });
    };
    env.windowsFolder = WithTrailingSeparator(WindowsDirectory());
    env.systemFolder = WithTrailingSeparator(SystemDirectory());
    env.programFiles = ProgramFilesFromRegistry();
    return env;
}

std::string GuessFilePath(const std::string& text) { return GuessFilePath(text, SystemGuessEnvironment()); }

}  // namespace registry_scan
