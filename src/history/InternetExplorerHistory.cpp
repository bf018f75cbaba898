// Internet Explorer traces: the URL cache's entries told apart by the prefix
// of their source name, the typed URLs of the current user, and the rows of
// the Internet Explorer sections.
#include "history/InternetExplorerHistory.h"

#include "platform/RegistryKey.h"
#include "formats/CommandLinePath.h"
#include "formats/Masks.h"
#include "history/HistoryFunctions.h"
#include "history/HistoryRemovals.h"
#include "history/HistorySectionTable.h"
#include "platform/UrlCache.h"

#include <windows.h>

#include <string_view>

namespace history {
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

// Thrown through the cache walk when a stop is asked, so a long walk ends
// at the next entry; caught where the walk began.
struct WalkStopped {};

// Calls act(name) for every cache entry of the class whose whole source name
// fits the mask. The mask is compiled once, before the walk. The stop is
// looked at for every entry walked.
template <typename Act>
void ForEachFittingEntry(CacheClass kind, const std::string& mask, Act act, common::StopToken stop = {}) {
    const Mask fit(mask);
    std::string name;
    try {
        platform::urlcache::ForEachEntry([&](const char* sourceUrlName) {
            if (stop.StopRequested()) throw WalkStopped{};
            if (ClassOf(sourceUrlName) != kind) return;
            name.assign(sourceUrlName);
            if (fit.Fits(name)) act(name);
        });
    } catch (const WalkStopped&) {
        // What was found so far stays reported.
    }
}

void CollectCacheClass(CacheClass kind, IHistorySink& sink, const std::string& mask,
                       common::StopToken stop) {
    ForEachFittingEntry(
        kind, mask, [&](const std::string& name) { sink.Add(HistoryRow{ShownText(name, kind), {}, name}); }, stop);
}

// The typed URLs' key, opened without creating it; false when it is missing
// or cannot be opened with this access.
platform::RegistryKey OpenTypedUrls(REGSAM access) {
    return platform::RegistryKey::Open({HKEY_CURRENT_USER, kTypedUrlsKey}, access);
}

// The data of a typed URL. A value of another type (or one gone since the
// names were taken) is no typed URL: the listing and the removals pass it
// over and go on, so it never hides the values after it and is never deleted.
bool IsTypedUrl(const platform::RegistryKey& registry, const std::string& name, std::string& data) {
    return registry.ReadText(name, data);
}

void CollectTypedUrlValues(IHistorySink& sink, const std::string& mask, common::StopToken stop) {
    const Mask fit(mask);
    // Reading needs no more than read access, so a user who may not change
    // the key still sees what it holds.
    const platform::RegistryKey registry = OpenTypedUrls(KEY_READ);
    if (!registry) return;
    const std::vector<std::string> names = registry.ValueNames();
    std::string data;
    for (const std::string& name : names) {
        if (stop.StopRequested()) return;
        if (!IsTypedUrl(registry, name, data)) continue;
        if (fit.Fits(data)) sink.AddCaption(TrimBlanks(data));
    }
}

// Appends each shown text to the list as it is found, so what came before
// an error stays.
class ShownTextList final : public IHistorySink {
public:
    explicit ShownTextList(std::vector<std::string>& texts) : texts_(texts) {}
    void Add(HistoryRow&& row) override { texts_.push_back(std::move(row.caption)); }
    void Notice(const std::string&) override {}

private:
    std::vector<std::string>& texts_;
};

// Appends to the list, when there is one.
void CollectInto(std::vector<std::string>* results, IETraceKind kind, const std::string& mask) {
    if (!results) return;
    ShownTextList texts(*results);
    CollectInternetExplorerTraces(kind, texts, mask);
}

CacheClass CacheClassOf(IETraceKind kind) {
    return kind == IETraceKind::VisitedPages ? CacheClass::VisitedPage
           : kind == IETraceKind::Cookies    ? CacheClass::Cookie
                                              : CacheClass::TemporaryFile;
}

}  // namespace

void CollectInternetExplorerTraces(IETraceKind kind, IHistorySink& sink, const std::string& mask,
                                   common::StopToken stop) {
    if (kind == IETraceKind::TypedUrls)
        CollectTypedUrlValues(sink, mask, stop);
    else
        CollectCacheClass(CacheClassOf(kind), sink, mask, stop);
}

void CollectVisitedPages(std::vector<std::string>* results, const std::string& mask) {
    CollectInto(results, IETraceKind::VisitedPages, mask);
}

void CollectTemporaryFiles(std::vector<std::string>* results, const std::string& mask) {
    CollectInto(results, IETraceKind::TemporaryFiles, mask);
}

void CollectCookies(std::vector<std::string>* results, const std::string& mask) {
    CollectInto(results, IETraceKind::Cookies, mask);
}

void CollectTypedUrls(std::vector<std::string>* results, const std::string& mask) {
    CollectInto(results, IETraceKind::TypedUrls, mask);
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

int DeleteListedCacheEntry(IETraceKind kind, const std::string& shownText) {
    const CacheClass wanted = CacheClassOf(kind);
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

namespace {

// The entries of the class named as the row's source, case ignored. The
// class is kept: "visited:x" is a temporary file, never a visited page's twin.
int DeleteCacheEntryOfClass(CacheClass wanted, const std::string& sourceUrlName) {
    int result = 2;
    std::string name;
    platform::urlcache::ForEachEntry([&](const char* entryName) {
        if (ClassOf(entryName) != wanted) return;
        name.assign(entryName);
        if (!SameCaption(name, sourceUrlName)) return;
        platform::urlcache::DeleteEntry(name);
        result = 0;
    });
    return result;
}

}  // namespace

int DeleteCacheRow(IETraceKind kind, const HistoryRow& row) {
    // The row's own entry by the name it was listed under; the shown text
    // finds it (and its twins of the class) when no entry bears that name.
    if (!row.source.empty() && DeleteCacheEntryOfClass(CacheClassOf(kind), row.source) == 0) return 0;
    return DeleteListedCacheEntry(kind, row.caption);
}

int DeleteTypedUrl(const std::string& shownText) {
    const platform::RegistryKey registry = OpenTypedUrls(KEY_ALL_ACCESS);
    if (!registry) return 0;
    const std::vector<std::string> names = registry.ValueNames();
    std::string data;
    for (const std::string& name : names) {
        // The list shows the data without blanks at its ends.
        if (IsTypedUrl(registry, name, data) && SameCaption(TrimBlanks(data), shownText)) {
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
    const Mask fit(mask);
    const platform::RegistryKey registry = OpenTypedUrls(KEY_ALL_ACCESS);
    if (!registry) return 0;
    const std::vector<std::string> names = registry.ValueNames();
    std::string data;
    for (const std::string& name : names) {
        if (IsTypedUrl(registry, name, data) && fit.Fits(data)) registry.DeleteValue(name);
    }
    return 0;
}

// ---- the sections' rows ------------------------------------------------------

namespace {

HistoryLister ListTraces(IETraceKind kind) {
    return [kind](IHistorySink& sink, const std::string& mask, common::StopToken stop) {
        CollectInternetExplorerTraces(kind, sink, mask, stop);
    };
}

HistoryDeleteOne DeleteCacheRowOf(IETraceKind kind) {
    return [kind](const HistoryRow& item) { return DeleteCacheRow(kind, item); };
}

// A class of the URL cache: listed on the worker, a row deleted by the entry
// it came from.
HistorySectionRow CacheSection(const char* heading, const char* deleteAllQuestion, IETraceKind kind,
                               HistoryDeleteAll deleteAll) {
    return {.heading = heading,
            .deleteAllQuestion = deleteAllQuestion,
            .list = ListTraces(kind),
            .listsOnWorker = true,
            .deleteOne = DeleteCacheRowOf(kind),
            .deleteAll = std::move(deleteAll)};
}

}  // namespace

// The cache and the typed URLs are read on the worker: a large cache takes
// seconds to walk.
void RegisterInternetExplorerSections(HistorySectionRegistry& sections) {
    sections.Register({hsIEVisitedPages, hsInternetExplorer, 10, "Visited Pages", 2},
                      CacheSection("Internet Explorer Visited Pages",
                                   "Do you really want to clear ALL visited pages?",
                                   IETraceKind::VisitedPages, ClearReporting(DeleteAllVisitedPages)));
    sections.Register({hsIETypedUrls, hsInternetExplorer, 20, "Typed URL's", 32},
                      {.heading = "Internet Explorer Typed URL's",
                       .deleteAllQuestion = "Do you really want to clear ALL typed URL's?",
                       .list = ListTraces(IETraceKind::TypedUrls),
                       .listsOnWorker = true,
                       .deleteOne = [](const HistoryRow& item) { return DeleteTypedUrl(item.caption); },
                       .deleteAll = ClearQuietly(DeleteAllTypedUrls)});
    sections.Register({hsIETemporaryFiles, hsInternetExplorer, 30, "Temporary Files", 2},
                      CacheSection("Internet Explorer Temporary Files",
                                   "Do you really want to clear ALL temporary files?",
                                   IETraceKind::TemporaryFiles,
                                   ClearQuietly(DeleteAllTemporaryFiles)));
    sections.Register({hsIECookies, hsInternetExplorer, 40, "Cookies", 2},
                      CacheSection("Internet Explorer Cookies", "Do you really want to clear ALL cookies?",
                                   IETraceKind::Cookies, ClearQuietly(DeleteAllCookies)));
}

}  // namespace history
