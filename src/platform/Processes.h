// Processes: the tool-help snapshot, process-status queries, starting and
// ending processes, and the named mutex that marks a running instance.
#pragma once

#include "platform/Handles.h"

#include <functional>
#include <string>
#include <vector>

namespace platform::processes {

struct ProcessEntry {
    DWORD id = 0;
    std::string exeFile;  // as the snapshot reports it (normally a bare name)
};

// Every process of a tool-help snapshot, first to last. Empty when the
// snapshot cannot be taken.
std::vector<ProcessEntry> SnapshotProcesses();

// The file name of the process's main module (EnumProcessModules with one
// handle, GetModuleFileNameExA). Returns false when the process cannot be
// opened with PROCESS_QUERY_INFORMATION | PROCESS_VM_READ or gives no name.
bool QueryMainModulePath(DWORD processId, std::string& path);

// File names of every module loaded in the process, in the order the system
// lists them (at most 1024). Empty when the process cannot be opened.
std::vector<std::string> ModuleFileNames(DWORD processId);

// CreateProcessA with the command line, STARTF_USESHOWWINDOW and show. When
// processId is given it receives the new process's identifier.
bool CreateProcessWithShow(const std::string& commandLine, int show, DWORD* processId = nullptr);

// Opens with PROCESS_TERMINATE and ends with exit code 0. Returns the system's
// error code (ERROR_SUCCESS when ended).
DWORD TerminateProcessById(DWORD processId);

// Ends the process (exit code 0) only while its main module is a file that
// runsFile accepts. The process is opened once for the check and the end, so
// its identifier cannot pass to another program in between. error receives
// the system's code when the result is Failed.
enum class EndResult { Ended, NotRunning, Failed };
EndResult TerminateProcessRunning(DWORD processId, const std::function<bool(const std::string&)>& runsFile,
                                  DWORD& error);

// Waits until the process has ended or the time is up; true when it ended.
bool WaitForProcessEnd(DWORD processId, DWORD milliseconds);

// A named mutex, not initially owned, default security. alreadyExisted tells
// whether another instance created it first (ERROR_ALREADY_EXISTS).
class NamedMutex {
public:
    explicit NamedMutex(const std::string& name);
    bool AlreadyExisted() const { return alreadyExisted_; }
    bool Valid() const { return handle_.Valid(); }
    void Close() { handle_.Reset(); }

private:
    KernelHandle handle_;
    bool alreadyExisted_ = false;
};

// The system's text for an error code, without the trailing line break.
std::string SystemErrorText(DWORD code);

// The value of the process's environment variable; empty when it is unset.
std::string EnvironmentVariable(const std::string& name);

}  // namespace platform::processes
