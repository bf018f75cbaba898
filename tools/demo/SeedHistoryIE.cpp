// Seeds the demo machine with Internet Explorer traces: visited pages,
// temporary files and cookies in the URL cache, and typed URLs. Only what is
// missing is written, so a demo start after a clean-up puts the traces back
// and a second seeding changes nothing.
#include "platform/Handles.h"
#include "platform/Registry.h"
#include "platform/UrlCache.h"

#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

void SeedInternetExplorerTraces();

namespace {

namespace cache = platform::urlcache;

constexpr const char* kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

const char* const kVisitedPages[] = {
    "http://www.lakeside-weather.example/forecast/week.html",
    "http://www.lakeside-weather.example/radar/",
    "http://www.copperleaf-books.example/catalogue/new-arrivals.html",
    "http://www.copperleaf-books.example/basket.aspx",
    "http://tickets.harborline-rail.example/timetable?from=Westport&to=Millbrook",
    "http://www.bluepeak-outdoor.example/tents/two-person.html",
    "https://online.meridian-savings.example/login.aspx",
    "http://forum.tinkerbox.example/thread/4411-soldering-irons",
    "http://forum.tinkerbox.example/thread/4472-bench-power-supply",
    "http://www.greenfork-recipes.example/soups/lentil.html",
    "http://mail.quillpost.example/inbox",
    "file:///C:/Users/Public/Documents/Holiday%20plans.html",
};

const char* const kTemporaryFiles[] = {
    "http://www.lakeside-weather.example/styles/site.css",
    "http://www.lakeside-weather.example/images/radar-loop.gif",
    "http://www.copperleaf-books.example/covers/the-quiet-harbour.jpg",
    "http://www.copperleaf-books.example/scripts/basket.js",
    "http://tickets.harborline-rail.example/images/logo.png",
    "http://www.bluepeak-outdoor.example/media/tent-ridge-2.jpg",
    "https://online.meridian-savings.example/scripts/keypad.js",
    "http://forum.tinkerbox.example/avatars/solderfan.png",
    "http://www.greenfork-recipes.example/photos/lentil-soup.jpg",
    "http://mail.quillpost.example/static/mail.css",
    "http://ads.clickmeadow.example/banner/468x60.gif",
    "http://www.lakeside-weather.example/favicon.ico",
};

// As the cache names them: the user, an at sign, the site and its path.
const char* const kCookieSites[] = {
    "lakeside-weather.example/",       "www.copperleaf-books.example/", "tickets.harborline-rail.example/",
    "bluepeak-outdoor.example/",       "online.meridian-savings.example/", "forum.tinkerbox.example/",
    "greenfork-recipes.example/",      "mail.quillpost.example/",       "clickmeadow.example/",
    "ads.clickmeadow.example/banner/", "stats.pagecounter.example/",    "quillpost.example/",
};

const char* const kTypedUrls[] = {
    "http://www.lakeside-weather.example/",
    "www.copperleaf-books.example",
    "http://tickets.harborline-rail.example/",
    "bluepeak-outdoor.example",
    "https://online.meridian-savings.example/",
    "http://forum.tinkerbox.example/",
    "http://www.greenfork-recipes.example/",
    "mail.quillpost.example",
    "http://intranet/",
    "http://192.168.1.1/",
    "C:\\Users\\Public\\Documents",
    "ftp://files.tinkerbox.example/pub/",
};

std::string UserName() {
    char name[257] = {};
    DWORD size = sizeof(name);
    if (!GetUserNameA(name, &size) || name[0] == '\0') return "user";
    return name;
}

void CacheEntry(const std::set<std::string>& present, const std::string& name, bool withFile) {
    if (present.count(name)) return;
    const DWORD error = withFile ? cache::CommitEntryWithFile(name, "/* cached by the demo machine */\n")
                                 : cache::CommitEntry(name);
    if (error != ERROR_SUCCESS) std::fprintf(stderr, "cannot write the cache entry %s (%lu)\n", name.c_str(), error);
}

void SeedCache() {
    std::set<std::string> present;
    cache::ForEachEntry([&](const char* name) { present.insert(name); });
    const std::string user = UserName();
    for (const char* page : kVisitedPages) CacheEntry(present, "Visited: " + user + "@" + page, false);
    for (const char* file : kTemporaryFiles) CacheEntry(present, file, true);
    for (const char* site : kCookieSites) CacheEntry(present, "Cookie:" + user + "@" + site, false);
}

void SeedTypedUrls() {
    platform::KeyHandle key;
    if (platform::reg::CreateKey(HKEY_CURRENT_USER, kTypedUrlsKey, KEY_QUERY_VALUE | KEY_SET_VALUE, key) !=
        ERROR_SUCCESS) {
        std::fprintf(stderr, "cannot open %s\n", kTypedUrlsKey);
        return;
    }
    int number = 0;
    for (const char* url : kTypedUrls) {
        const std::string name = "url" + std::to_string(++number);
        DWORD type = 0, size = 0;
        if (platform::reg::QueryValueInfo(key.Get(), name, type, size) != ERROR_SUCCESS)
            platform::reg::SetString(key.Get(), name, url);
    }
}

}  // namespace

void SeedInternetExplorerTraces() {
    SeedCache();
    SeedTypedUrls();
}
