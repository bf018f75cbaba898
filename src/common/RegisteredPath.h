// File paths as the registry names them ("%ProgramFiles%\x.dll", "C:/x.dll"):
// compared as Windows would find the file, and judged missing only when the
// file surely is not there.
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

// Whether the text still holds a "%NAME%" (after expansion: a variable
// nobody set).
bool HoldsUnexpandedVariable(const std::string& text);

// Whether the path starts with a drive ("X:") that is not ready: no such
// drive, no medium in it, or a volume that cannot be read now.
bool IsOnDriveNotReady(const std::string& path);

// True only when the file surely is not there: the expanded path holds no
// variable, its drive is ready, and neither a file nor a folder is found.
// A path on an unmounted drive or with an unknown variable may name a file
// that is there whenever the user looks; it is never missing.
bool IsSurelyMissing(const std::string& path);

}  // namespace common
