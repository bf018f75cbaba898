// File paths as the registry names them: expanded and compared.
#include "common/RegisteredPath.h"

#include "common/Common.h"
#include "platform/Files.h"

#include <algorithm>

namespace common {

namespace {

std::string WithBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace

std::string ExpandedPath(const std::string& path) { return platform::files::ExpandEnvironment(path); }

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

}  // namespace common
