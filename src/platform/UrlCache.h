// UrlCache: the WinInet URL cache walked entry by entry, entries deleted by
// name, and entries written (for tests and the demo machine).
#pragma once

#include "platform/Handles.h"

#include <windows.h>

#include <functional>
#include <string>

namespace platform::urlcache {

// An open cache enumeration; FindCloseUrlCache on every path out.
struct FindTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h);
};
using FindHandle = UniqueHandle<FindTraits>;

// Walks every entry of the normal cache once, in the cache's order, and
// passes each entry's source URL name to visit. Each entry is read with two
// calls: one without a buffer to learn its size, one with a buffer of that
// size. The walk ends quietly when the cache cannot be enumerated, and at the
// first error other than a short buffer. visit may delete the entry it is
// given (the walk goes on with the next one).
void ForEachEntry(const std::function<void(const char* sourceUrlName)>& visit);

// Deletes the entry with exactly this source URL name. ERROR_SUCCESS or the
// system's error code.
DWORD DeleteEntry(const std::string& sourceUrlName);

// Writes an entry under the name that has no file of its own (what a
// visited page or a cookie record is). ERROR_SUCCESS or the system's error code.
DWORD CommitEntry(const std::string& sourceUrlName);
// Writes an entry whose file in the cache holds the content (a temporary file,
// as a browser leaves one). ERROR_SUCCESS or the system's error code.
DWORD CommitEntryWithFile(const std::string& sourceUrlName, const std::string& content);

}  // namespace platform::urlcache
