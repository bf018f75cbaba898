// Finding the process of a program and its modules.
#include "startup/ProcessLookup.h"

#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Processes.h"

#include <cstdio>
#include <cstdlib>

std::string FindProcessByPath(const std::string& path) {
    std::string found = "No";
    for (const auto& process : platform::processes::SnapshotProcesses()) {
        if (!SameTextSystemLocale(MainModulePath(process.id), path)) continue;
        char hex[16];
        std::snprintf(hex, sizeof(hex), "%08X", static_cast<unsigned>(process.id));
        found = hex;
    }
    return found;
}

platform::processes::EndResult EndProcessOfFile(const std::string& path, DWORD& error) {
    const std::string id = FindProcessByPath(path);
    if (id == "No") return platform::processes::EndResult::NotRunning;
    const DWORD processId = static_cast<DWORD>(std::strtoul(id.c_str(), nullptr, 16));
    return platform::processes::TerminateProcessRunning(
        processId, [&](const std::string& running) { return SameTextSystemLocale(running, path); }, error);
}

DWORD FindProcessByName(const std::string& name) {
    for (const auto& process : platform::processes::SnapshotProcesses())
        if (SameTextSystemLocale(platform::files::ExtractFileName(process.exeFile), name)) return process.id;
    return 0;
}

std::vector<std::string> ProcessModuleNames(DWORD processId) {
    std::vector<std::string> names;
    for (const std::string& path : platform::processes::ModuleFileNames(processId))
        names.push_back(platform::files::ExtractFileName(path));
    return names;
}
