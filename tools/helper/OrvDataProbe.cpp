// Test helper for the package test: run from wherever it was put (the MSI's
// installation folder, an unpacked zip), it tells where the program's data
// goes from there and saves one value in a backup point in that folder, as
// a StartUp Delete would:
//   orvdata_probe.exe   prints "installed=0|1", "data=FOLDER", "point=FOLDER"
// Exit code 0 when the point was written and checked, 1 otherwise.
#include "backup/BackupPoint.h"
#include "common/ProgramSettings.h"
#include "platform/Registry.h"

#include <windows.h>

#include <cstdio>

int main() {
    const common::ProgramSettings settings = common::RunningProgramSettings();
    std::printf("installed=%d\ndata=%s\n", settings.installed ? 1 : 0, settings.dataFolder.c_str());

    const char* const key = "Software\\OrvelinPackageTest";
    platform::KeyHandle handle;
    if (platform::reg::CreateKey(HKEY_CURRENT_USER, key, KEY_ALL_ACCESS, handle) != ERROR_SUCCESS ||
        platform::reg::SetString(handle.Get(), "Probe", "C:\\probe.exe") != ERROR_SUCCESS) {
        std::printf("error=cannot seed the value to save\n");
        return 1;
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    std::string point, error;
    const bool saved = backup::BackUpBeforeDelete(settings.backupFolder, now,
                                                     {{"HKEY_CURRENT_USER", key, false, "Probe"}}, point, error);
    handle.Reset();
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
    if (!saved) {
        std::printf("error=%s\n", error.c_str());
        return 1;
    }
    std::printf("point=%s\n", point.c_str());
    return 0;
}
