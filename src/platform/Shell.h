// Shell services: special folders, shell links, icons, opening documents,
// starting a program (with the seam through which tests see what would start).
#pragma once

#include "platform/Handles.h"

#include <functional>
#include <string>

namespace platform::shell {

// SHGetSpecialFolderPathA (MAX_PATH buffer), folder not created.
// Empty when the shell has no such folder.
std::string SpecialFolderPath(int csidl);

// SHGetSpecialFolderLocation + SHGetPathFromIDListA (260 characters); the
// identifier list is freed with the task allocator. Empty when there is no path.
std::string FolderPathFromLocation(HWND owner, int csidl);

// Loads a shell link (STGM_READ) and reads its target (SLGP_UNCPRIORITY).
// Returns S_OK and sets target when the file loaded as a link; S_FALSE when the
// file could not be loaded (not a link, missing); a failure HRESULT when the
// link object, one of its interfaces or the target read failed.
HRESULT ReadLinkTarget(const std::string& linkPath, std::string& target);

struct LinkFields {
    std::string target;
    std::string description;
    std::string workingDirectory;
    std::string arguments;
};
// Creates or replaces the shell link at linkPath. Returns the first failing
// HRESULT, or S_OK.
HRESULT WriteLink(const std::string& linkPath, const LinkFields& fields);

// The first icon (index 0) of a file; empty when the file has none.
IconHandle ExtractFirstIcon(const std::string& file);

// ShellExecuteA with the given verb, no parameters and no directory.
bool ShellOpen(HWND owner, const std::string& verb, const std::string& target, int show);

// Starts the program (a bare name is looked for as the system looks for
// programs, the Windows folder included) with the arguments, shown normally,
// and does not wait for it. Returns the system's error code, ERROR_SUCCESS
// when it started. ShellExecuteEx rather than CreateProcess: a program that
// asks for elevation (the registry editor) then gets its prompt instead of
// failing with ERROR_ELEVATION_REQUIRED.
DWORD StartProgram(HWND owner, const std::string& program, const std::string& arguments);

using StartProgramHandler = std::function<DWORD(const std::string& program, const std::string& arguments)>;
// Installs (or, with an empty handler, removes) the stand-in that
// StartProgram calls instead of starting anything.
void SetStartProgramHandler(StartProgramHandler handler);

// Whether this process runs with administrator rights (an elevated token).
bool ProcessIsElevated();
// Installs (or, empty, removes) the stand-in ProcessIsElevated asks instead:
// Wine gives every process an elevated token, so tests say which they mean.
void SetElevationQuery(std::function<bool()> query);
// Starts the program with administrator rights: Windows asks the user
// (ERROR_CANCELLED when the user declines). ERROR_SUCCESS once it started.
DWORD StartProgramElevated(HWND owner, const std::string& program, const std::string& arguments);
// Installs (or removes) the stand-in StartProgramElevated calls instead.
void SetStartElevatedHandler(StartProgramHandler handler);

}  // namespace platform::shell
