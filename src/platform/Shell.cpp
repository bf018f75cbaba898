// Shell services: special folders, shell links, icons, opening documents,
// starting a program.
#include "platform/Shell.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/Text.h"

#include <utility>
#include <vector>

namespace platform::shell {

namespace {

StartProgramHandler& InstalledStartHandler() {
    static StartProgramHandler handler;
    return handler;
}

StartProgramHandler& InstalledElevatedStartHandler() {
    static StartProgramHandler handler;
    return handler;
}

DWORD ShellExecuteWith(HWND owner, const char* verb, const std::string& program, const std::string& arguments) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    // The error is the caller's to tell, in the program's own words.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = owner;
    info.lpVerb = verb;
    info.lpFile = program.c_str();
    info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_FILE_NOT_FOUND;
    }
    return ERROR_SUCCESS;
}

struct ShellLinkObject {
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
};

HRESULT CreateShellLinkObject(ShellLinkObject& object) {
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IShellLinkA, object.link.PutVoid());
    if (FAILED(hr)) return hr;
    return object.link->QueryInterface(IID_IPersistFile, object.file.PutVoid());
}

}  // namespace

std::string SpecialFolderPath(int csidl) {
    // The call takes no buffer size and may write MAX_PATH characters.
    char buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE)) buffer[0] = '\0';
    return buffer;
}

std::string FolderPathFromLocation(HWND owner, int csidl) {
    LPITEMIDLIST idList = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, csidl, &idList)) || !idList) return {};
    char buffer[MAX_PATH] = {};
    if (!SHGetPathFromIDListA(idList, buffer)) buffer[0] = '\0';
    CoTaskMemFree(idList);
    return buffer;
}

HRESULT ReadLinkTarget(const std::string& linkPath, std::string& target) {
    ShellLinkObject object;
    HRESULT hr = CreateShellLinkObject(object);
    if (FAILED(hr)) return hr;
    if (object.file->Load(platform::text::Widen(linkPath).c_str(), STGM_READ) != S_OK) return S_FALSE;
    char buffer[MAX_PATH] = {};
    hr = object.link->GetPath(buffer, MAX_PATH, nullptr, SLGP_UNCPRIORITY);
    if (FAILED(hr)) return hr;
    target = buffer;
    return S_OK;
}

HRESULT WriteLink(const std::string& linkPath, const LinkFields& fields) {
    ShellLinkObject object;
    HRESULT hr = CreateShellLinkObject(object);
    if (FAILED(hr)) return hr;
    HRESULT steps[] = {
        object.link->SetPath(fields.target.c_str()),
        object.link->SetDescription(fields.description.c_str()),
        object.link->SetWorkingDirectory(fields.workingDirectory.c_str()),
        object.link->SetArguments(fields.arguments.c_str()),
        object.file->Save(platform::text::Widen(linkPath).c_str(), FALSE),
    };
    for (HRESULT step : steps)
        if (FAILED(step)) return step;
    return S_OK;
}

IconHandle ExtractFirstIcon(const std::string& file) {
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), file.c_str(), 0);
    // ExtractIcon answers 1 for a file that is not an icon source.
    if (reinterpret_cast<UINT_PTR>(icon) <= 1) return IconHandle();
    return IconHandle(icon);
}

bool ShellOpen(HWND owner, const std::string& verb, const std::string& target, int show) {
    HINSTANCE result = ShellExecuteA(owner, verb.c_str(), target.c_str(), nullptr, nullptr, show);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

DWORD StartProgram(HWND owner, const std::string& program, const std::string& arguments) {
    if (auto& handler = InstalledStartHandler()) return handler(program, arguments);
    return ShellExecuteWith(owner, "open", program, arguments);
}

std::function<bool()>& InstalledElevationQuery() {
    static std::function<bool()> query;
    return query;
}

void SetElevationQuery(std::function<bool()> query) { InstalledElevationQuery() = std::move(query); }

bool ProcessIsElevated() {
    if (auto& query = InstalledElevationQuery()) return query();
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const KernelHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated != 0;
}

DWORD StartProgramElevated(HWND owner, const std::string& program, const std::string& arguments) {
    if (auto& handler = InstalledElevatedStartHandler()) return handler(program, arguments);
    return ShellExecuteWith(owner, "runas", program, arguments);
}

void SetStartElevatedHandler(StartProgramHandler handler) { InstalledElevatedStartHandler() = std::move(handler); }

void SetStartProgramHandler(StartProgramHandler handler) { InstalledStartHandler() = std::move(handler); }

}  // namespace platform::shell
