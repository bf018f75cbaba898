// Internet Explorer traces: the URL cache's entries told apart by the prefix
// of their source name, and the typed URLs of the current user.
#include "history/HsFunInternetExplorer.h"

#include "common/CommandLinePath.h"
#include "common/Masks.h"
#include "history/HistoryFunctions.h"
#include "common/RegistryObject.h"
#include "platform/UrlCache.h"

#include <windows.h>

#include <string_view>

namespace {

constexpr const char* kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

// The prefixes are compared exactly: an entry named "visited:..." is a
// temporary file.
constexpr std::string_view kVisitedPrefix = "Visited:";
constexpr std::string_view kCookiePrefix = "Cookie:";

enum class CacheClass { VisitedPage, Cookie, TemporaryFile };

CacheClass ClassOf(std::string_view name) {
    if (name.starts_with(kVisitedPrefix)) return CacheClass::VisitedPage;
    if (name.starts_with(kCookiePrefix)) return CacheClass::Cookie;
    return CacheClass::TemporaryFile;
}

// What the list shows for an entry: the name without its class prefix,
// blanks at either end removed.
std::string ShownText(const std::string& name, CacheClass kind) {
    switch (kind) {
    case CacheClass::VisitedPage: return TrimBlanks(name.substr(kVisitedPrefix.size()));
    case CacheClass::Cookie: return TrimBlanks(name.substr(kCookiePrefix.size()));
    case CacheClass::TemporaryFile: break;
    }
    return TrimBlanks(name);
}


// Calls act(name) for every cache entry of the class whose whole source name
// fits the mask. The mask is compiled once, before the walk.
// everyEntry, when given, runs for each entry walked (it may raise to end the walk).
template <typename Act>
void ForEachFittingEntry(CacheClass kind, const std::string& mask, Act act,
                         const std::function<void()>& everyEntry = {}) {
    const TMask fit(mask);
    std::string name;
    platform::urlcache::ForEachEntry([&](const char* sourceUrlName) {
        if (everyEntry) everyEntry();
        if (ClassOf(sourceUrlName) != kind) return;
        name.assign(sourceUrlName);
        if (fit.Fits(name)) act(name);
    });
}

void CollectCacheClass(CacheClass kind, const TTraceSink& sink, const std::string& mask,
                       const std::function<void()>& everyEntry) {
    ForEachFittingEntry(kind, mask, [&](const std::string& name) { sink(ShownText(name, kind)); }, everyEntry);
}

// The typed URLs' key, opened without creating it; false when it is missing
// or cannot be opened with this access.
bool OpenTypedUrls(TRegistry& registry) {
    registry.SetRootKey(HKEY_CURRENT_USER);
    return registry.OpenKey(kTypedUrlsKey, false);
}

void CollectTypedUrlValues(const TTraceSink& sink, const std::string& mask, const std::function<void()>& everyEntry) {
    const TMask fit(mask);
    // Reading needs no more than read access, so a user who may not change
    // the key still sees what it holds.
    TRegistry registry(KEY_READ);
    if (!OpenTypedUrls(registry)) return;
    std::vector<std::string> names;
    registry.GetValueNames(names);
    for (const std::string& name : names) {
        if (everyEntry) everyEntry();
        const std::string data = registry.ReadString(name);
        if (fit.Fits(data)) sink(TrimBlanks(data));
    }
}

// Appends to the list, when there is one.
void CollectInto(std::vector<std::string>* results, TIETraceKind kind, const std::string& mask) {
    if (!results) return;
    CollectInternetExplorerTraces(kind, [results](std::string&& text) { results->push_back(std::move(text)); },
                                  mask);
}

}  // namespace

void CollectInternetExplorerTraces(TIETraceKind kind, const TTraceSink& sink, const std::string& mask,
                                   const std::function<void()>& everyEntry) {
    switch (kind) {
    case TIETraceKind::VisitedPages: CollectCacheClass(CacheClass::VisitedPage, sink, mask, everyEntry); return;
    case TIETraceKind::TemporaryFiles: CollectCacheClass(CacheClass::TemporaryFile, sink, mask, everyEntry); return;
    case TIETraceKind::Cookies: CollectCacheClass(CacheClass::Cookie, sink, mask, everyEntry); return;
    case TIETraceKind::TypedUrls: CollectTypedUrlValues(sink, mask, everyEntry); return;
    }
}

void CollectVisitedPages(std::vector<std::string>* results, const std::string& mask) {
    CollectInto(results, TIETraceKind::VisitedPages, mask);
}

void CollectTemporaryFiles(std::vector<std::string>* results, const std::string& mask) {
    CollectInto(results, TIETraceKind::TemporaryFiles, mask);
}

void CollectCookies(std::vector<std::string>* results, const std::string& mask) {
    CollectInto(results, TIETraceKind::Cookies, mask);
}

void CollectTypedUrls(std::vector<std::string>* results, const std::string& mask) {
    CollectInto(results, TIETraceKind::TypedUrls, mask);
}

int DeleteCacheEntryByName(const std::string& sourceUrlName) {
    int result = 2;
    std::string name;
    // The walk goes on after a match: entries whose names differ only in
    // case all go.
    platform::urlcache::ForEachEntry([&](const char* entryName) {
        name.assign(entryName);
        if (!SameCaption(name, sourceUrlName)) return;
        platform::urlcache::DeleteEntry(name);
        result = 0;
    });
    return result;
}

int DeleteListedCacheEntry(TIETraceKind kind, const std::string& shownText) {
    const CacheClass wanted = kind == TIETraceKind::VisitedPages ? CacheClass::VisitedPage
                              : kind == TIETraceKind::Cookies    ? CacheClass::Cookie
                                                                 : CacheClass::TemporaryFile;
    int result = 2;
    std::string name;
    platform::urlcache::ForEachEntry([&](const char* entryName) {
        if (ClassOf(entryName) != wanted) return;
        name.assign(entryName);
        if (!SameCaption(ShownText(name, wanted), shownText)) return;
        platform::urlcache::DeleteEntry(name);
        result = 0;
    });
    return result;
}

int DeleteTypedUrl(const std::string& shownText) {
    TRegistry registry(KEY_ALL_ACCESS);
    if (!OpenTypedUrls(registry)) return 0;
    std::vector<std::string> names;
    registry.GetValueNames(names);
    for (const std::string& name : names) {
        // The list shows the data without blanks at its ends.
        if (SameCaption(TrimBlanks(registry.ReadString(name)), shownText)) {
            registry.DeleteValue(name);
            break;
        }
    }
    return 0;
}

int DeleteAllVisitedPages(const std::string& mask) {
    int result = 0;
    ForEachFittingEntry(CacheClass::VisitedPage, mask, [&](const std::string& name) {
        const DWORD error = platform::urlcache::DeleteEntry(name);
        if (error != ERROR_SUCCESS) result = static_cast<int>(error);
    });
    return result;
}

int DeleteAllTemporaryFiles(const std::string& mask) {
    ForEachFittingEntry(CacheClass::TemporaryFile, mask,
                        [](const std::string& name) { platform::urlcache::DeleteEntry(name); });
    return 0;
}

int DeleteAllCookies(const std::string& mask) {
    ForEachFittingEntry(CacheClass::Cookie, mask,
                        [](const std::string& name) { platform::urlcache::DeleteEntry(name); });
    return 0;
}

int DeleteAllTypedUrls(const std::string& mask) {
    const TMask fit(mask);
    TRegistry registry(KEY_ALL_ACCESS);
    if (!OpenTypedUrls(registry)) return 0;
    std::vector<std::string> names;
    registry.GetValueNames(names);
    for (const std::string& name : names) {
        if (fit.Fits(registry.ReadString(name))) registry.DeleteValue(name);
    }
    return 0;
}
