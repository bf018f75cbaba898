// File paths as the registry names them ("%ProgramFiles%\x.dll", "C:/x.dll"),
// compared as Windows would find the file. Whether a missing one may be told
// missing at all is platform::files::CanJudgeMissing.
#pragma once

#include <string>

namespace common {

// The path with its environment strings expanded; a variable the
// environment does not know stays as written.
std::string ExpandedPath(const std::string& path);

// The key under which every name of one file compares equal: expanded, "/"
// read as "\", case folded as SameCaption ignores it. Only the text counts:
// ".." and links are not resolved.
std::string PathKey(const std::string& path);
bool SamePath(const std::string& a, const std::string& b);

// Whether the folder (expanded or not) holds the path at any depth, by PathKey.
// The folder itself is not inside itself; an empty folder holds nothing.
bool PathIsInsideFolder(const std::string& path, const std::string& folder);

}  // namespace common
