// Internet Explorer traces: the URL cache collectors and deletes, typed URLs,
// and the History page's worker that runs the sections' listers off the
// window thread.
//
// Wine's cache, as these tests rely on it: a walk without a search pattern
// passes every container (cookies, history and content alike), names are
// kept exactly as written (case and blanks), and a deletion of an entry
// whose file is locked fails with ERROR_SHARING_VIOLATION (the entry goes
// when it is unlocked).
#include "formats/Masks.h"
#include "platform/RegistryKey.h"
#include "history/HistorySectionTable.h"
#include "history/InternetExplorerHistory.h"
#include "gui/history/HistoryWorker.h"
#include "platform/Threads.h"
#include "platform/UrlCache.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace gui;

using namespace history;

namespace {

namespace cache = platform::urlcache;
using testing_support::RecordedBoxes;
using testing_support::ScopedCacheEntries;

constexpr const char* kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

// Holds an entry's file open, as a browser showing the page would, so the
// entry cannot be deleted; the lock goes (and with it a pending deletion)
// at scope exit.
class ScopedLockedEntry {
public:
    explicit ScopedLockedEntry(std::string name) : name_(std::move(name)) {
        std::vector<unsigned long long> buffer(1024);
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(buffer[0]));
        locked_ = RetrieveUrlCacheEntryFileA(name_.c_str(),
                                             reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()), &size, 0);
        EXPECT_TRUE(locked_) << name_ << " " << GetLastError();
    }
    ~ScopedLockedEntry() {
        if (locked_) UnlockUrlCacheEntryFileA(name_.c_str(), 0);
    }
    ScopedLockedEntry(const ScopedLockedEntry&) = delete;
    ScopedLockedEntry& operator=(const ScopedLockedEntry&) = delete;

private:
    std::string name_;
    bool locked_ = false;
};

// The typed-URL values a test writes; they go at its end, and the key too
// when the test made it.
class ScopedTypedUrls {
public:
    ScopedTypedUrls() : keyExisted_(testing_support::RegKeyExists(HKEY_CURRENT_USER, kTypedUrlsKey)) {}
    ~ScopedTypedUrls() {
        platform::KeyHandle key;
        if (platform::reg::OpenKey(HKEY_CURRENT_USER, kTypedUrlsKey, KEY_ALL_ACCESS, key) == ERROR_SUCCESS) {
            for (const std::string& name : names_) platform::reg::DeleteValue(key.Get(), name);
        }
        key.Reset();
        if (!keyExisted_) testing_support::DeleteRegTree(HKEY_CURRENT_USER, kTypedUrlsKey);
    }
    ScopedTypedUrls(const ScopedTypedUrls&) = delete;
    ScopedTypedUrls& operator=(const ScopedTypedUrls&) = delete;

    void Set(const std::string& name, const std::string& data) {
        names_.push_back(name);
        testing_support::SetRegString(HKEY_CURRENT_USER, kTypedUrlsKey, name, data);
    }
    void SetDword(const std::string& name, DWORD data) {
        names_.push_back(name);
        testing_support::SetRegDword(HKEY_CURRENT_USER, kTypedUrlsKey, name, data);
    }
    static bool Has(const std::string& name) {
        return testing_support::RegValueExists(HKEY_CURRENT_USER, kTypedUrlsKey, name);
    }

private:
    bool keyExisted_;
    std::vector<std::string> names_;
};

std::vector<std::string> Sorted(std::vector<std::string> list) {
    std::sort(list.begin(), list.end());
    return list;
}

// The entries of the cache whose names hold the token, sorted.
std::vector<std::string> CacheNamesWith(const std::string& token) {
    std::vector<std::string> names;
    cache::ForEachEntry([&](const char* name) {
        if (std::string(name).find(token) != std::string::npos) names.push_back(name);
    });
    return Sorted(names);
}

// Runs the operation and checks that it raises E with the message.
template <typename E>
void ExpectRaises(const std::function<void()>& operation, const std::string& message, const std::string& what) {
    try {
        operation();
        ADD_FAILURE() << what << ": nothing raised";
    } catch (const E& error) {
        EXPECT_EQ(error.what(), message) << what;
    }
}

using Collector = void (*)(std::vector<std::string>*, const std::string&);
using DeleteAll = int (*)(const std::string&);

// What a collector lists of the entries holding the token, sorted.
std::vector<std::string> Listed(Collector collect, const std::string& mask, const std::string& token) {
    std::vector<std::string> all, mine;
    collect(&all, mask);
    for (const std::string& text : all)
        if (text.find(token) != std::string::npos) mine.push_back(text);
    return Sorted(mine);
}

// Every prefix rule at once: exact case, with and without the blank after
// the colon, blanks around the rest.
TEST(HistoryIETraces, EntriesAreToldApartByTheirExactPrefix) {
    ScopedCacheEntries seeded{"Visited: orvcls@http://pages.orvcls.example/index.html",
                              "Visited:orvcls-nospace",
                              "Visited:   orvcls padded   ",
                              "visited: orvcls lower case",
                              "VISITED:orvcls upper case",
                              "Cookie:orvcls@shop.orvcls.example/",
                              "Cookie: orvcls@blank.orvcls.example/",
                              "cookie:orvcls@lower.orvcls.example/"};
    seeded.Add("http://cdn.orvcls.example/style.css", true);
    seeded.Add("  http://cdn.orvcls.example/padded.js  ", true);

    EXPECT_EQ(Listed(CollectVisitedPages, "*", "orvcls"),
              Sorted({"orvcls@http://pages.orvcls.example/index.html", "orvcls-nospace", "orvcls padded"}));
    EXPECT_EQ(Listed(CollectCookies, "*", "orvcls"),
              Sorted({"orvcls@shop.orvcls.example/", "orvcls@blank.orvcls.example/"}));
    EXPECT_EQ(Listed(CollectTemporaryFiles, "*", "orvcls"),
              Sorted({"visited: orvcls lower case", "VISITED:orvcls upper case",
                      "cookie:orvcls@lower.orvcls.example/", "http://cdn.orvcls.example/style.css",
                      "http://cdn.orvcls.example/padded.js"}));
}

TEST(HistoryIETraces, CollectorsAppendInTheCachesOrderAndKeepWhatTheListHeld) {
    ScopedCacheEntries seeded{"Visited: orvord@http://a.orvord.example/", "Visited: orvord@http://b.orvord.example/",
                              "Visited: orvord@http://c.orvord.example/", "Visited: orvord@http://d.orvord.example/"};
    std::vector<std::string> walked;
    cache::ForEachEntry([&](const char* name) {
        const std::string text(name);
        if (text.starts_with("Visited: orvord@")) walked.push_back(text.substr(9));
    });
    ASSERT_EQ(walked.size(), 4u);

    std::vector<std::string> results{"earlier line"};
    CollectVisitedPages(&results, "*orvord*");
    walked.insert(walked.begin(), "earlier line");
    EXPECT_EQ(results, walked);

    // Without a list there is nowhere to put anything, and nothing fails.
    CollectVisitedPages(nullptr, "*");
    CollectTypedUrls(nullptr, "*");
}

// The mask always meets the whole source name, its prefix included; typed
// URLs meet it with their data.
TEST(HistoryIETraces, MaskIsMatchedAgainstTheWholeSourceName) {
    ScopedCacheEntries seeded{"Visited: orvmask@http://news.orvmask.example/today", "Cookie:orvmask@news.orvmask.example/",
                              "http://img.orvmask.example/logo.png"};
    ScopedTypedUrls typed;
    typed.Set("url1", "http://typed.orvmask.example/");
    typed.Set("url2", "  http://blank.orvmask.example/  ");

    struct Case {
        Collector collect;
        const char* mask;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {CollectVisitedPages, "*orvmask*", {"orvmask@http://news.orvmask.example/today"}},
        {CollectVisitedPages, "orvmask@http://news.orvmask.example/today", {}},
        {CollectVisitedPages, "Visited: orvmask@http://news.orvmask.example/today",
         {"orvmask@http://news.orvmask.example/today"}},
        {CollectVisitedPages, "VISITED: ORVMASK@*", {"orvmask@http://news.orvmask.example/today"}},
        {CollectCookies, "Cookie:orvmask@*", {"orvmask@news.orvmask.example/"}},
        {CollectCookies, "orvmask@*", {}},
        {CollectTemporaryFiles, "http://img.orvmask.example/*.png", {"http://img.orvmask.example/logo.png"}},
        {CollectTypedUrls, "http://typed.orvmask.example/", {"http://typed.orvmask.example/"}},
        {CollectTypedUrls, "*blank.orvmask*", {"http://blank.orvmask.example/"}},
        // The mask meets the data as stored, blanks and all.
        {CollectTypedUrls, "http://blank.orvmask.example/", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Listed(c.collect, c.mask, "orvmask"), c.expected) << c.mask;
}

TEST(HistoryIETraces, InvalidMaskRaisesItsMessageFromEveryOperation) {
    ScopedCacheEntries seeded{"Visited: orvbad@http://orvbad.example/"};
    ScopedTypedUrls typed;
    typed.Set("url1", "http://orvbad.example/");

    std::vector<std::string> r;
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"visited", [&] { CollectVisitedPages(&r, "["); }},  {"temporary", [&] { CollectTemporaryFiles(&r, "["); }},
        {"cookies", [&] { CollectCookies(&r, "["); }},       {"typed", [&] { CollectTypedUrls(&r, "["); }},
        {"delete visited", [] { DeleteAllVisitedPages("["); }}, {"delete temporary", [] { DeleteAllTemporaryFiles("["); }},
        {"delete cookies", [] { DeleteAllCookies("["); }},   {"delete typed", [] { DeleteAllTypedUrls("["); }},
    };
    for (const auto& [what, operation] : operations)
        ExpectRaises<MaskError>(operation, "'[' is an invalid mask at (2)", what);
    EXPECT_TRUE(r.empty());
    EXPECT_EQ(CacheNamesWith("orvbad"), std::vector<std::string>{"Visited: orvbad@http://orvbad.example/"});
    EXPECT_TRUE(ScopedTypedUrls::Has("url1"));
}

TEST(HistoryIETraces, SingleDeleteRemovesEveryEntryOfTheNameWhateverItsCase) {
    ScopedCacheEntries seeded{"http://orvone.example/Report.PDF", "http://orvone.example/report.pdf",
                              "http://orvone.example/report.pdf.bak", "Visited: orvone@http://orvone.example/report.pdf",
                              "Visited: orvone@orvone-host.example", "Cookie: orvone@orvone.example/",
                              "Cookie:orvone@orvone.example/"};

    EXPECT_EQ(DeleteCacheEntryByName("HTTP://ORVONE.EXAMPLE/REPORT.PDF"), 0);
    EXPECT_EQ(CacheNamesWith("orvone"),
              Sorted({"http://orvone.example/report.pdf.bak", "Visited: orvone@http://orvone.example/report.pdf",
                      "Visited: orvone@orvone-host.example", "Cookie: orvone@orvone.example/",
                      "Cookie:orvone@orvone.example/"}));
    EXPECT_EQ(DeleteCacheEntryByName("http://orvone.example/report.pdf"), 2);

    // A visited page and a cookie are looked for under their prefix and one
    // blank put back in front of what the list shows.
    std::vector<std::string> visited;
    CollectVisitedPages(&visited, "*orvone@orvone-host*");
    ASSERT_EQ(visited, std::vector<std::string>{"orvone@orvone-host.example"});
    EXPECT_EQ(DeleteCacheEntryByName("Visited: " + visited[0]), 0);
    EXPECT_EQ(DeleteCacheEntryByName("Cookie: orvone@orvone.example/"), 0);
    EXPECT_EQ(CacheNamesWith("orvone"),
              Sorted({"http://orvone.example/report.pdf.bak", "Visited: orvone@http://orvone.example/report.pdf",
                      "Cookie:orvone@orvone.example/"}));
}

// The list's Delete finds a row's entries by what the row shows: a cookie
// stored without the blank after its prefix, a name with blanks around it,
// every spelling of the same text, and nothing of another class.
TEST(HistoryIETraces, ListedDeleteFindsTheRowsEntriesByTheirShownText) {
    ScopedCacheEntries seeded{"Cookie:orvrow@orvrow.example/", "Cookie: ORVROW@orvrow.example/ ",
                              "Visited:orvrow@orvrow.example/", "orvrow@orvrow.example/",
                              "Visited: orvrow@orvrow-page.example"};
    std::vector<std::string> cookies;
    CollectCookies(&cookies, "*orvrow*");
    ASSERT_EQ(cookies.size(), 2u);
    EXPECT_EQ(DeleteListedCacheEntry(IETraceKind::Cookies, cookies[0]), 0);
    EXPECT_EQ(CacheNamesWith("orvrow"), Sorted({"Visited:orvrow@orvrow.example/", "orvrow@orvrow.example/",
                                                "Visited: orvrow@orvrow-page.example"}));
    EXPECT_EQ(DeleteListedCacheEntry(IETraceKind::Cookies, cookies[0]), 2);
    EXPECT_EQ(DeleteListedCacheEntry(IETraceKind::TemporaryFiles, "orvrow@orvrow.example/"), 0);
    EXPECT_EQ(DeleteListedCacheEntry(IETraceKind::VisitedPages, "orvrow@orvrow-page.example"), 0);
    EXPECT_EQ(CacheNamesWith("orvrow"), Sorted({"Visited:orvrow@orvrow.example/"}));
}

// Each Delete All takes exactly its class's entries that fit the mask; the
// decoys of the other classes and those that do not fit stay.
TEST(HistoryIETraces, DeleteAllRemovesExactlyTheFittingEntriesOfItsClass) {
    const std::vector<std::string> everything = Sorted({
        "Visited: orvall@http://gone.orvall.example/", "Visited: orvall@http://kept.orvall.example/",
        "Cookie:orvall@gone.orvall.example/", "Cookie:orvall@kept.orvall.example/",
        "http://gone.orvall.example/a.js", "http://kept.orvall.example/a.js",
        "visited: orvall@http://gone.orvall.example/"});
    struct Case {
        const char* what;
        DeleteAll deleteAll;
        const char* mask;
        std::vector<std::string> gone;
    };
    const Case cases[] = {
        {"visited pages", DeleteAllVisitedPages, "*gone.orvall*", {"Visited: orvall@http://gone.orvall.example/"}},
        {"cookies", DeleteAllCookies, "*gone.orvall*", {"Cookie:orvall@gone.orvall.example/"}},
        {"temporary files", DeleteAllTemporaryFiles, "*gone.orvall*",
         {"http://gone.orvall.example/a.js", "visited: orvall@http://gone.orvall.example/"}},
        // Whole word: the name with its prefix, nothing else.
        {"visited pages, whole name", DeleteAllVisitedPages, "Visited: orvall@http://kept.orvall.example/",
         {"Visited: orvall@http://kept.orvall.example/"}},
        {"cookies, shown text only", DeleteAllCookies, "orvall@gone.orvall.example/", {}},
    };
    for (const Case& c : cases) {
        ScopedCacheEntries seeded;
        for (const std::string& name : everything) seeded.Add(name, name.starts_with("http"));
        EXPECT_EQ(c.deleteAll(c.mask), 0) << c.what;
        std::vector<std::string> expected;
        for (const std::string& name : everything)
            if (std::find(c.gone.begin(), c.gone.end(), name) == c.gone.end()) expected.push_back(name);
        EXPECT_EQ(CacheNamesWith("orvall"), expected) << c.what;
    }
}

// Only the visited pages' Delete All tells of an entry it could not delete.
TEST(HistoryIETraces, DeleteAllOfVisitedPagesReportsTheLastFailedDeletion) {
    ScopedCacheEntries seeded;
    seeded.Add("Visited: orvlock@http://open.orvlock.example/", true);
    seeded.Add("Visited: orvlock@http://free.orvlock.example/");
    seeded.Add("http://open.orvlock.example/page.html", true);
    seeded.Add("http://free.orvlock.example/page.html", true);
    {
        ScopedLockedEntry lockedPage("Visited: orvlock@http://open.orvlock.example/");
        ScopedLockedEntry lockedFile("http://open.orvlock.example/page.html");
        EXPECT_EQ(DeleteAllVisitedPages("*orvlock*"), ERROR_SHARING_VIOLATION);
        EXPECT_EQ(DeleteAllTemporaryFiles("*orvlock*"), 0);
        EXPECT_EQ(CacheNamesWith("orvlock"), Sorted({"Visited: orvlock@http://open.orvlock.example/",
                                                     "http://open.orvlock.example/page.html"}));
    }
    EXPECT_EQ(DeleteAllVisitedPages("*orvlock*"), 0);
}

TEST(HistoryIETraces, TypedUrlsListDeleteSinglyAndByMask) {
    ScopedTypedUrls typed;
    typed.Set("url1", "http://orvtyped.example/start");
    typed.Set("url2", "  http://orvtyped.example/padded  ");
    typed.Set("url3", "HTTP://ORVTYPED.EXAMPLE/START");
    typed.Set("url4", "http://decoy.orvtyped.example/");

    std::vector<std::string> listed;
    CollectTypedUrls(&listed, "*orvtyped*");
    EXPECT_EQ(listed, (std::vector<std::string>{"http://orvtyped.example/start", "http://orvtyped.example/padded",
                                                "HTTP://ORVTYPED.EXAMPLE/START", "http://decoy.orvtyped.example/"}));

    // The same data in two values: only the first in name order goes.
    EXPECT_EQ(DeleteTypedUrl("Http://OrvTyped.example/Start"), 0);
    EXPECT_FALSE(ScopedTypedUrls::Has("url1"));
    EXPECT_TRUE(ScopedTypedUrls::Has("url3"));
    EXPECT_EQ(DeleteTypedUrl("http://nowhere.orvtyped.example/"), 0);
    EXPECT_EQ(DeleteTypedUrl("http://orvtyped.example/star"), 0);
    EXPECT_TRUE(ScopedTypedUrls::Has("url3"));

    EXPECT_EQ(DeleteAllTypedUrls("http://orvtyped.example/*"), 0);
    EXPECT_TRUE(ScopedTypedUrls::Has("url2"));  // its data begins with blanks
    EXPECT_FALSE(ScopedTypedUrls::Has("url3"));
    EXPECT_TRUE(ScopedTypedUrls::Has("url4"));

    // Everything goes with "*"; the key stays and nothing is renumbered.
    EXPECT_EQ(DeleteAllTypedUrls("*"), 0);
    EXPECT_TRUE(testing_support::RegKeyExists(HKEY_CURRENT_USER, kTypedUrlsKey));
    listed.clear();
    CollectTypedUrls(&listed, "*");
    EXPECT_TRUE(listed.empty());
}

// A value that is not a string is no typed URL: every operation passes it
// over and reaches the values after it.
TEST(HistoryIETraces, NonStringTypedUrlIsPassedOver) {
    ScopedTypedUrls typed;
    typed.Set("url1", "http://first.orvdword.example/");
    typed.SetDword("url2", 7);
    typed.Set("url3", "http://last.orvdword.example/");

    std::vector<std::string> listed;
    EXPECT_NO_THROW(CollectTypedUrls(&listed, "*"));
    EXPECT_EQ(Listed(CollectTypedUrls, "*", "orvdword"),
              (std::vector<std::string>{"http://first.orvdword.example/", "http://last.orvdword.example/"}));
    EXPECT_EQ(DeleteTypedUrl("http://last.orvdword.example/"), 0);
    EXPECT_FALSE(ScopedTypedUrls::Has("url3"));
    EXPECT_EQ(DeleteAllTypedUrls("*"), 0);
    EXPECT_FALSE(ScopedTypedUrls::Has("url1"));
    EXPECT_TRUE(ScopedTypedUrls::Has("url2"));
}

TEST(HistoryIETraces, MissingTypedUrlKeyIsEmptyAndStaysMissing) {
    if (testing_support::RegKeyExists(HKEY_CURRENT_USER, kTypedUrlsKey))
        GTEST_SKIP() << "the test machine holds typed URLs this test would have to remove";
    std::vector<std::string> listed;
    CollectTypedUrls(&listed, "*");
    EXPECT_TRUE(listed.empty());
    EXPECT_EQ(DeleteTypedUrl("http://orvmissing.example/"), 0);
    EXPECT_EQ(DeleteAllTypedUrls("*"), 0);
    EXPECT_FALSE(testing_support::RegKeyExists(HKEY_CURRENT_USER, kTypedUrlsKey));
}

// ---- The worker ----

struct ScanRun {
    std::vector<std::string> lines;
    std::vector<std::string> events;  // "rows n" and "notice: text", in the order they arrived
    int deliveries = 0;
    bool ended = false;
    bool deliveredAfterEnd = false;
};

// Runs a self-freeing worker with the lister and waits until its end step.
std::shared_ptr<ScanRun> RunScan(const HistoryLister& lister, const std::string& mask) {
    auto run = std::make_shared<ScanRun>();
    const int workersBefore = ui::WorkerThread::LiveCount();
    auto* worker = new HistoryWorker(
        nullptr,
        [run](std::vector<HistoryRow>&& rows) {
            if (run->ended) run->deliveredAfterEnd = true;
            ++run->deliveries;
            run->events.push_back("rows " + std::to_string(rows.size()));
            for (HistoryRow& row : rows) run->lines.push_back(std::move(row.caption));
        },
        [run](const std::string& text) { run->events.push_back("notice: " + text); });
    worker->Lister = lister;
    worker->Mask = mask;
    worker->BeforeError = [run] { run->events.push_back("before the error"); };
    worker->SetFreeOnTerminate(true);
    worker->SetOnTerminate([run] { run->ended = true; });
    EXPECT_TRUE(worker->Resume());
    const auto gone = [&] { return run->ended && ui::WorkerThread::LiveCount() == workersBefore; };
    if (!platform::threads::PumpMessagesUntil(gone, 120000)) {
        ADD_FAILURE() << "the scan did not end";
        if (!run->ended) worker->Abandon();
    }
    return run;
}

// The registered listers of the sections, one after the other.
HistoryLister SectionsInTurn(std::vector<int> sections) {
    return [sections](IHistorySink& sink, const std::string& mask, common::StopToken stop) {
        for (int section : sections) HistorySectionRowOf(section).list(sink, mask, stop);
    };
}

// Every section at once, so the order between them shows, and enough
// entries that the lines come in several batches while the cache is read.
TEST(HistoryScanThread, DeliversEverySectionInOrderAndEnds) {
    ScopedCacheEntries seeded;
    std::vector<std::string> seededPages;
    for (int i = 0; i < 300; ++i) {
        const std::string url = "orvscan@http://site" + std::to_string(i) + ".orvscan.example/";
        seeded.Add("Visited: " + url);
        seededPages.push_back(url);
    }
    seeded.Add("http://orvscan.example/file.css", true);
    seeded.Add("Cookie:orvscan@orvscan.example/");
    ScopedTypedUrls typed;
    typed.Set("url1", "http://typed.orvscan.example/");

    std::vector<std::string> expected;
    for (Collector collect : {CollectVisitedPages, CollectTemporaryFiles, CollectCookies, CollectTypedUrls})
        collect(&expected, "*orvscan*");
    std::vector<std::string> expectedPages(expected.begin(), expected.begin() + 300);
    EXPECT_EQ(Sorted(expectedPages), Sorted(seededPages));
    EXPECT_EQ(std::vector<std::string>(expected.begin() + 300, expected.end()),
              (std::vector<std::string>{"http://orvscan.example/file.css", "orvscan@orvscan.example/",
                                        "http://typed.orvscan.example/"}));

    for (int section : {hsIEVisitedPages, hsIETemporaryFiles, hsIECookies, hsIETypedUrls})
        EXPECT_TRUE(HistorySectionRowOf(section).listsOnWorker) << section;
    auto run = RunScan(SectionsInTurn({hsIEVisitedPages, hsIETemporaryFiles, hsIECookies, hsIETypedUrls}),
                       "*orvscan*");
    EXPECT_TRUE(run->ended);
    EXPECT_FALSE(run->deliveredAfterEnd);
    EXPECT_EQ(run->lines, expected);
    std::printf("history scan: %zu lines in %d batches\n", run->lines.size(), run->deliveries);

    // One section's lister, that section; no lister, nothing, and the scan still ends.
    run = RunScan(HistorySectionRowOf(hsIECookies).list, "*orvscan*");
    EXPECT_EQ(run->lines, std::vector<std::string>{"orvscan@orvscan.example/"});
    run = RunScan(HistoryLister(), "*");
    EXPECT_TRUE(run->ended);
    EXPECT_EQ(run->deliveries, 0);
}

// A failing lister: its message in the error box, the lines it found
// before the failure shown, and the end step still runs.
TEST(HistoryScanThread, CollectorErrorIsReportedAndTheScanStillEnds) {
    ScopedCacheEntries seeded{"Visited: orverr@http://orverr.example/"};
    struct Case {
        HistoryLister lister;
        const char* mask;
        const char* message;
        std::vector<std::string> lines;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {HistorySectionRowOf(hsIEVisitedPages).list, "[", "'[' is an invalid mask at (2)", {}, {"before the error"}},
        // The rows found before the error reach the window first, then the
        // owner's step, then the box.
        {[](IHistorySink& sink, const std::string&, common::StopToken) {
             sink.AddCaption("orverr one");
             sink.AddCaption("orverr two");
             throw platform::RegistryErrorText("Failed to get data for 'orverr'");
         },
         "*",
         "Failed to get data for 'orverr'",
         {"orverr one", "orverr two"},
         {"rows 2", "before the error"}},
    };
    for (const Case& c : cases) {
        RecordedBoxes boxes({IDOK});
        auto run = RunScan(c.lister, c.mask);
        EXPECT_TRUE(run->ended) << c.message;
        EXPECT_EQ(run->lines, c.lines) << c.message;
        EXPECT_EQ(run->events, c.events) << c.message;
        ASSERT_EQ(boxes.Shown().size(), 1u) << c.message;
        EXPECT_EQ(boxes.Shown()[0].text, c.message);
    }
}

// A notice reaches the window thread after the rows found before it, and the
// listing goes on after it.
TEST(HistoryScanThread, ANoticeComesAfterTheRowsFoundBeforeItAndTheListingGoesOn) {
    auto run = RunScan(
        [](IHistorySink& sink, const std::string& mask, common::StopToken) {
            sink.AddCaption("first " + mask);
            sink.AddCaption("second");
            sink.Notice("the source is in use");
            sink.AddCaption("third");
        },
        "*m*");
    EXPECT_TRUE(run->ended);
    EXPECT_EQ(run->lines, (std::vector<std::string>{"first *m*", "second", "third"}));
    EXPECT_EQ(run->events, (std::vector<std::string>{"rows 2", "notice: the source is in use", "rows 1"}));
}

}  // namespace

namespace {

// The stop is seen during the walk: asked after the first row, the walk ends
// there though more entries fit; asked before, nothing is listed; the next
// walk works as usual.
TEST(HistoryIETraces, TheWalkCanBeEndedAtAnyEntry) {
    ScopedCacheEntries seeded{"Visited: orvstop@http://a.example/", "Visited: orvstop@http://b.example/",
                              "Visited: orvstop@http://c.example/", "Visited: orvstop@http://d.example/"};
    class StopAfterFirst final : public IHistorySink {
    public:
        void Add(HistoryRow&& row) override {
            captions.push_back(std::move(row.caption));
            source.RequestStop();
        }
        void Notice(const std::string&) override {}
        common::StopSource source;
        std::vector<std::string> captions;
    } sink;
    CollectInternetExplorerTraces(IETraceKind::VisitedPages, sink, "*orvstop@*", sink.source.Token());
    EXPECT_EQ(sink.captions.size(), 1u);

    common::StopSource stopped;
    stopped.RequestStop();
    HistoryRowList none;
    CollectInternetExplorerTraces(IETraceKind::VisitedPages, none, "*", stopped.Token());
    EXPECT_TRUE(none.rows.empty());

    std::vector<std::string> again;
    CollectVisitedPages(&again, "*orvstop@*");
    EXPECT_EQ(again.size(), 4u);
}

}  // namespace
