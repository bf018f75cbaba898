// Finding the process of a program and its modules.
#include "startup/ProcessLookup.h"

#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Processes.h"

#include <cstdio>

namespace startup {

namespace {

// The last process the system lists whose main module is the file; 0: none.
DWORD LastProcessOfFile(const std::string& path) {
    DWORD found = 0;
    for (const auto& process : platform::processes::SnapshotProcesses())
        if (SameCaption(MainModulePath(process.id), path)) found = process.id;
    return found;
}

}  // namespace

std::string FindProcessByPath(const std::string& path) {
    const DWORD id = LastProcessOfFile(path);
    if (!id) return "No";
    char hex[16];
    std::snprintf(hex, sizeof(hex), "%08X", static_cast<unsigned>(id));
    return hex;
}

platform::processes::EndResult EndProcessOfFile(const std::string& path, DWORD& error) {
    const DWORD processId = LastProcessOfFile(path);
    if (!processId) return platform::processes::EndResult::NotRunning;
    return platform::processes::TerminateProcessRunning(
        processId, [&](const std::string& running) { return SameCaption(running, path); }, error);
}

DWORD FindProcessByName(const std::string& name) {
    for (const auto& process : platform::processes::SnapshotProcesses())
        if (SameCaption(platform::files::ExtractFileName(process.exeFile), name)) return process.id;
    return 0;
}

std::vector<std::string> ProcessModuleNames(DWORD processId) {
    std::vector<std::string> names;
    for (const std::string& path : platform::processes::ModuleFileNames(processId))
        names.push_back(platform::files::ExtractFileName(path));
    return names;
}

}  // namespace startup
