// File paths as the registry names them: expanded, compared, judged missing.
#include "common/RegisteredPath.h"

#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <windows.h>

#include <algorithm>

namespace common {

namespace {

std::string WithBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool StartsWithDrive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// "\\server\share\..." and "\\?\UNC\server\...": the device forms "\\?\C:\"
// and "\\.\" are not shares.
bool IsSharePath(const std::string& path) {
    if (path.rfind("\\\\?\\", 0) == 0 || path.rfind("\\\\.\\", 0) == 0)
        return path.size() >= 8 && SameCaption(path.substr(4, 4), "UNC\\");
    return path.rfind("\\\\", 0) == 0;
}

std::wstring DriveRoot(const std::string& path) { return platform::text::Widen(path.substr(0, 2) + "\\"); }

// A share or a drive the network holds: the server may be away now, and
// the file is there again when it comes back.
bool IsOnNetwork(const std::string& path) {
    if (IsSharePath(path)) return true;
    return StartsWithDrive(path) && GetDriveTypeW(DriveRoot(path).c_str()) == DRIVE_REMOTE;
}

}  // namespace

// Called here rather than through platform/: two calls whose only user is
// this file, kept in one place so the rule travels as one piece.
std::string ExpandedPath(const std::string& path) {
    if (path.find('%') == std::string::npos) return path;
    const std::wstring wide = platform::text::Widen(path);
    // The size needed comes first; an environment that grew in between is asked again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
        if (needed == 0) return path;
        std::wstring expanded(needed, L'\0');
        const DWORD got = ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), needed);
        if (got == 0) return path;
        if (got <= needed) {
            expanded.resize(got - 1);  // the count includes the terminating NUL
            return platform::text::Narrow(expanded);
        }
    }
    return path;
}

std::string PathKey(const std::string& path) { return CaptionKey(WithBackslashes(ExpandedPath(path))); }

bool SamePath(const std::string& a, const std::string& b) { return PathKey(a) == PathKey(b); }

bool PathIsInsideFolder(const std::string& path, const std::string& folder) {
    std::string folderKey = PathKey(folder);
    while (!folderKey.empty() && folderKey.back() == '\\') folderKey.pop_back();
    if (folderKey.empty()) return false;
    const std::string pathKey = PathKey(path);
    return pathKey.size() > folderKey.size() + 1 && pathKey.compare(0, folderKey.size(), folderKey) == 0 &&
           pathKey[folderKey.size()] == '\\';
}

bool HoldsUnexpandedVariable(const std::string& text) {
    const size_t open = text.find('%');
    if (open == std::string::npos) return false;
    const size_t close = text.find('%', open + 1);
    return close != std::string::npos && close > open + 1;
}

bool IsOnDriveNotReady(const std::string& path) {
    if (!StartsWithDrive(path)) return false;
    const std::wstring root = DriveRoot(path);
    const UINT type = GetDriveTypeW(root.c_str());
    if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN) return true;
    // An empty removable drive would ask the user to insert a disk.
    DWORD previousMode = 0;
    const bool quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    const bool ready = GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
    if (quiet) SetThreadErrorMode(previousMode, nullptr);
    return !ready;
}

bool IsSurelyMissing(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    const std::string expanded = WithBackslashes(ExpandedPath(path));
    if (HoldsUnexpandedVariable(expanded) || IsOnNetwork(expanded) || IsOnDriveNotReady(expanded)) return false;
    return !platform::files::FileExistsAnyLength(expanded) && !platform::files::DirectoryExistsAnyLength(expanded);
}

}  // namespace common
