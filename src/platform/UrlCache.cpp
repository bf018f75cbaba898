// The WinInet URL cache: the entry walk with its size query before each read,
// deletion by name, and entries written for seeding.
#include "platform/UrlCache.h"

#include <wininet.h>

#include <vector>

namespace platform::urlcache {

void FindTraits::Close(Handle h) { FindCloseUrlCache(h); }

namespace {

// The entry record is read into a buffer of whatever size the cache asks for;
// one buffer serves the whole walk, set to each entry's size in turn. Its
// elements are 8 bytes wide so that the record at its start is aligned.
class EntryBuffer {
public:
    INTERNET_CACHE_ENTRY_INFOA* Resize(DWORD bytes) {
        storage_.resize((bytes + sizeof(unsigned long long) - 1) / sizeof(unsigned long long));
        return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(storage_.data());
    }

private:
    std::vector<unsigned long long> storage_;
};

// A record too short to hold the name pointer, or without a name, is passed over.
void Examine(const INTERNET_CACHE_ENTRY_INFOA* entry, DWORD size,
             const std::function<void(const char*)>& visit) {
    if (size < sizeof(INTERNET_CACHE_ENTRY_INFOA) || !entry->lpszSourceUrlName) return;
    visit(entry->lpszSourceUrlName);
}

// Opens the walk on the first entry: a query for its size, then the read.
// Empty when the cache holds nothing or cannot be enumerated.
FindHandle OpenWalk(EntryBuffer& buffer, const std::function<void(const char*)>& visit) {
    DWORD size = 0;
    FindHandle probe(FindFirstUrlCacheEntryA(nullptr, nullptr, &size));
    // A cache that answers the size query with a handle is left alone: the
    // walk begins with the read below either way.
    probe.Reset();
    if (size == 0) return FindHandle();
    INTERNET_CACHE_ENTRY_INFOA* entry = buffer.Resize(size);
    DWORD given = size;
    FindHandle find(FindFirstUrlCacheEntryA(nullptr, entry, &given));
    if (find) Examine(entry, size, visit);
    return find;
}

}  // namespace

void ForEachEntry(const std::function<void(const char* sourceUrlName)>& visit) {
    EntryBuffer buffer;
    FindHandle find = OpenWalk(buffer, visit);
    if (!find) return;
    for (;;) {
        DWORD size = 0;
        if (FindNextUrlCacheEntryA(find.Get(), nullptr, &size)) continue;  // cannot happen without a buffer
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;  // ERROR_NO_MORE_ITEMS or a failure
        INTERNET_CACHE_ENTRY_INFOA* entry = buffer.Resize(size);
        DWORD given = size;
        if (FindNextUrlCacheEntryA(find.Get(), entry, &given)) Examine(entry, size, visit);
    }
}

DWORD DeleteEntry(const std::string& sourceUrlName) {
    return DeleteUrlCacheEntryA(sourceUrlName.c_str()) ? ERROR_SUCCESS : GetLastError();
}

DWORD CommitEntry(const std::string& sourceUrlName) {
    const FILETIME never{};
    if (CommitUrlCacheEntryA(sourceUrlName.c_str(), nullptr, never, never, NORMAL_CACHE_ENTRY, nullptr, 0,
                             nullptr, nullptr))
        return ERROR_SUCCESS;
    return GetLastError();
}

DWORD CommitEntryWithFile(const std::string& sourceUrlName, const std::string& content) {
    char localFile[MAX_PATH] = {};
    if (!CreateUrlCacheEntryA(sourceUrlName.c_str(), static_cast<DWORD>(content.size()), nullptr, localFile, 0))
        return GetLastError();
    FileHandle file(CreateFileA(localFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
        written != content.size()) {
        const DWORD error = GetLastError();
        file.Reset();
        DeleteFileA(localFile);
        return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
    }
    file.Reset();
    const FILETIME never{};
    if (CommitUrlCacheEntryA(sourceUrlName.c_str(), localFile, never, never, NORMAL_CACHE_ENTRY, nullptr, 0,
                             nullptr, nullptr))
        return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    DeleteFileA(localFile);
    return error;
}

}  // namespace platform::urlcache
