// Processes: tool-help snapshot, process-status queries, start and end.
#include "platform/Processes.h"

#include <psapi.h>
#include <tlhelp32.h>

namespace platform::processes {

namespace {
constexpr DWORD kQueryAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x410
constexpr DWORD kModuleNameLength = 261;
constexpr DWORD kMaxModules = 1024;

// The main module's file of a process opened with kQueryAccess.
bool MainModulePathOf(HANDLE process, std::string& path) {
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!EnumProcessModules(process, &module, sizeof(module), &needed)) return false;
    char name[kModuleNameLength] = {};
    DWORD got = GetModuleFileNameExA(process, module, name, kModuleNameLength);
    if (got == 0) return false;
    path.assign(name, got);
    return true;
}

}  // namespace

std::vector<ProcessEntry> SnapshotProcesses() {
    std::vector<ProcessEntry> entries;
    FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return entries;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry)) {
        entries.push_back(ProcessEntry{entry.th32ProcessID, entry.szExeFile});
    }
    return entries;
}

bool QueryMainModulePath(DWORD processId, std::string& path) {
    KernelHandle process(OpenProcess(kQueryAccess, FALSE, processId));
    return process && MainModulePathOf(process.Get(), path);
}

std::vector<std::string> ModuleFileNames(DWORD processId) {
    std::vector<std::string> names;
    KernelHandle process(OpenProcess(kQueryAccess, FALSE, processId));
    if (!process) return names;
    std::vector<HMODULE> modules(kMaxModules);
    DWORD needed = 0;
    if (!EnumProcessModules(process.Get(), modules.data(),
                            static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed))
        return names;
    size_t count = std::min<size_t>(needed / sizeof(HMODULE), modules.size());
    for (size_t i = 0; i < count; ++i) {
        char name[kModuleNameLength] = {};
        if (GetModuleFileNameExA(process.Get(), modules[i], name, kModuleNameLength) > 0)
            names.emplace_back(name);
    }
    return names;
}

bool CreateProcessWithShow(const std::string& commandLine, int show, DWORD* processId) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION info{};
    std::string mutableLine = commandLine;  // CreateProcessA may write into it
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return false;
    KernelHandle process(info.hProcess);
    KernelHandle thread(info.hThread);
    if (processId) *processId = info.dwProcessId;
    return true;
}

DWORD TerminateProcessById(DWORD processId) {
    KernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    if (!process) return GetLastError();
    if (!TerminateProcess(process.Get(), 0)) return GetLastError();
    return ERROR_SUCCESS;
}

EndResult TerminateProcessRunning(DWORD processId, const std::function<bool(const std::string&)>& runsFile,
                                  DWORD& error) {
    KernelHandle process(OpenProcess(kQueryAccess | PROCESS_TERMINATE, FALSE, processId));
    if (!process) {
        error = GetLastError();
        // Without the right to end it, that is worth saying only when it is
        // the program asked for.
        std::string path;
        return QueryMainModulePath(processId, path) && runsFile(path) ? EndResult::Failed : EndResult::NotRunning;
    }
    std::string path;
    if (!MainModulePathOf(process.Get(), path) || !runsFile(path)) return EndResult::NotRunning;
    if (!TerminateProcess(process.Get(), 0)) {
        error = GetLastError();
        return EndResult::Failed;
    }
    error = ERROR_SUCCESS;
    return EndResult::Ended;
}

bool WaitForProcessEnd(DWORD processId, DWORD milliseconds) {
    KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) return true;
    return WaitForSingleObject(process.Get(), milliseconds) == WAIT_OBJECT_0;
}

NamedMutex::NamedMutex(const std::string& name)
    : handle_(CreateMutexA(nullptr, FALSE, name.c_str())),
      alreadyExisted_(GetLastError() == ERROR_ALREADY_EXISTS) {}

std::string SystemErrorText(DWORD code) {
    char* buffer = nullptr;
    DWORD got = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = got && buffer ? std::string(buffer, got) : std::string();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

std::string EnvironmentVariable(const std::string& name) {
    // The size needed comes first; a value that grew in between is asked for again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
        if (needed == 0) return {};
        std::string value(needed, '\0');
        const DWORD got = GetEnvironmentVariableA(name.c_str(), value.data(), needed);
        if (got == 0) return {};
        if (got < needed) {
            value.resize(got);
            return value;
        }
    }
    return {};
}

}  // namespace platform::processes
