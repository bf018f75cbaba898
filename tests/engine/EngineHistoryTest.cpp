// The History sections without a window: the table the family files
// register, and sections listed and cleared through their rows' listers and
// removals with the mask, decoys and a stop token.
#include "common/RegistryObject.h"
#include "history/HistoryFunctions.h"
#include "history/HistorySectionTable.h"
#include "history/HsFunInternetExplorer.h"
#include "history/HsFunMyComputer.h"
#include "platform/UrlCache.h"

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace history;
using testing_support::ScopedCacheEntries;

namespace {

// ---- the table -----------------------------------------------------------------

std::set<int> ListingSections() {
    std::set<int> numbers;
    for (const HistorySection& section : HistorySections())
        if (!section.group) numbers.insert(section.number);
    return numbers;
}

TEST(EngineHistoryTable, EveryListingSectionHasExactlyOneFamilysRow) {
    std::set<int> registered;
    for (const HistoryFamily& family : HistoryFamilies()) {
        HistorySectionRegistry registry;
        family.registerSections(registry);
        int count = 0;
        for (int number = 0; number < kHistorySectionCount; ++number) {
            if (!registry.Registered(number)) continue;
            ++count;
            EXPECT_TRUE(registered.insert(number).second) << family.name << " registers section " << number
                                                          << ", which another family registers too";
        }
        EXPECT_GT(count, 0) << family.name;
    }
    EXPECT_EQ(registered, ListingSections());
    EXPECT_NO_THROW(BuildHistorySectionTable());
}

TEST(EngineHistoryTable, RowsCarryTheTreeAndGroupsListNothing) {
    const std::vector<HistorySectionRow> rows = BuildHistorySectionTable();
    ASSERT_EQ(rows.size(), HistorySections().size());
    for (const HistorySection& section : HistorySections()) {
        const HistorySectionRow& row = rows[section.number];
        EXPECT_EQ(row.number, section.number);
        EXPECT_EQ(row.caption, section.caption) << section.number;
        EXPECT_EQ(row.picture, section.icon) << section.number;
        EXPECT_EQ(row.depth, section.depth) << section.number;
        EXPECT_EQ(row.group, section.group) << section.number;
        if (section.group) {
            EXPECT_TRUE(row.columns.empty()) << section.number;
            EXPECT_FALSE(row.list || row.deleteOne || row.deleteAll) << section.number;
            EXPECT_FALSE(row.takesMask) << section.number;
        } else {
            ASSERT_FALSE(row.columns.empty()) << section.number;
            // The heading names the first column, unless the columns name themselves.
            if (!row.heading.empty()) {
                EXPECT_EQ(row.columns[0].caption, row.heading) << section.number;
            }
        }
        EXPECT_EQ(&HistorySectionRowOf(section.number), &HistorySectionRows()[section.number]);
    }
    EXPECT_EQ(HistorySectionRowOf(-1).number, -1);
    EXPECT_EQ(HistorySectionRowOf(kHistorySectionCount).number, -1);

    // Only the cache and typed-URL sections are read off the window thread.
    std::vector<int> onWorker;
    for (const HistorySectionRow& row : rows)
        if (row.listsOnWorker) onWorker.push_back(row.number);
    EXPECT_EQ(onWorker, (std::vector<int>{hsIEVisitedPages, hsIETypedUrls, hsIETemporaryFiles, hsIECookies}));
}

TEST(EngineHistoryTable, TheRegistryRefusesGroupsStrangersAndSecondRows) {
    HistorySectionRegistry registry;
    EXPECT_THROW(registry.CheckComplete(), std::logic_error);
    registry.Register(hsRunHistory, {.heading = "first"});
    EXPECT_TRUE(registry.Registered(hsRunHistory));
    EXPECT_EQ(registry.Rows()[hsRunHistory].caption, "Run History");
    ASSERT_EQ(registry.Rows()[hsRunHistory].columns.size(), 1u);
    EXPECT_EQ(registry.Rows()[hsRunHistory].columns[0].caption, "first");
    EXPECT_EQ(registry.Rows()[hsRunHistory].columns[0].width, 0);
    for (int refused : {int{hsRunHistory}, int{hsHistory}, int{hsExtensions}, -1, kHistorySectionCount})
        EXPECT_THROW(registry.Register(refused, {.heading = "second"}), std::logic_error) << refused;
    EXPECT_EQ(registry.Rows()[hsRunHistory].heading, "first");
    EXPECT_FALSE(registry.Registered(hsHistory));
}

// ---- sinks and stops -------------------------------------------------------------

// Keeps the rows and asks for the stop once it holds `stopAfter` of them.
class StoppingSink final : public IHistorySink {
public:
    explicit StoppingSink(size_t stopAfter) : stopAfter_(stopAfter) {
        if (stopAfter_ == 0) source_.RequestStop();
    }
    void Add(HistoryRow&& row) override {
        rows.push_back(std::move(row));
        if (rows.size() >= stopAfter_) source_.RequestStop();
    }
    void Notice(const std::string& text) override { notices.push_back(text); }
    common::StopToken Token() const { return source_.Token(); }

    std::vector<HistoryRow> rows;
    std::vector<std::string> notices;

private:
    size_t stopAfter_;
    common::StopSource source_;
};

constexpr size_t kNoStop = 1000000;

// The rows of a section's registered lister that hold the marker.
std::vector<HistoryRow> ListSection(int section, const std::string& mask, const std::string& marker,
                                    size_t stopAfter = kNoStop) {
    StoppingSink sink(stopAfter);
    HistorySectionRowOf(section).list(sink, mask, sink.Token());
    EXPECT_TRUE(sink.notices.empty());
    std::vector<HistoryRow> ours;
    for (HistoryRow& row : sink.rows)
        if (row.caption.find(marker) != std::string::npos) ours.push_back(std::move(row));
    return ours;
}

std::vector<std::string> SortedCaptions(const std::vector<HistoryRow>& rows) {
    std::vector<std::string> captions = Captions(rows);
    std::sort(captions.begin(), captions.end());
    return captions;
}

std::string Lowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::vector<std::string> CacheNamesWith(const std::string& marker) {
    std::vector<std::string> names;
    platform::urlcache::ForEachEntry([&](const char* name) {
        if (std::string(name).find(marker) != std::string::npos) names.push_back(name);
    });
    std::sort(names.begin(), names.end());
    return names;
}

// ---- a cache section --------------------------------------------------------------

// Visited pages and cookies listed through their rows: the mask meets the
// whole entry name, other classes and unfitting entries stay out, and every
// row keeps the entry name it came from.
TEST(EngineHistoryCache, RowsOfTheCacheSectionsKeepTheirEntryNames) {
    ScopedCacheEntries seeded{"Visited: orvenghist@http://keep.orvenghist.example/a",
                              "Visited:orvenghist@http://keep.orvenghist.example/b",
                              "Visited: orvenghist@http://other.orvenghist.example/",
                              "Cookie:orvenghist@keep.orvenghist.example/",
                              "visited: orvenghist@http://keep.orvenghist.example/lower"};
    seeded.Add("http://keep.orvenghist.example/style.css", true);

    struct Case {
        int section;
        const char* mask;
        std::vector<std::pair<std::string, std::string>> rows;  // caption, source
    };
    const Case cases[] = {
        {hsIEVisitedPages,
         "Visited:*keep.orvenghist*",
         {{"orvenghist@http://keep.orvenghist.example/a", "Visited: orvenghist@http://keep.orvenghist.example/a"},
          {"orvenghist@http://keep.orvenghist.example/b", "Visited:orvenghist@http://keep.orvenghist.example/b"}}},
        {hsIECookies, "*orvenghist*", {{"orvenghist@keep.orvenghist.example/", "Cookie:orvenghist@keep.orvenghist.example/"}}},
        {hsIETemporaryFiles,
         "*keep.orvenghist*",
         {{"http://keep.orvenghist.example/style.css", "http://keep.orvenghist.example/style.css"},
          {"visited: orvenghist@http://keep.orvenghist.example/lower",
           "visited: orvenghist@http://keep.orvenghist.example/lower"}}},
    };
    for (const Case& c : cases) {
        std::vector<HistoryRow> rows = ListSection(c.section, c.mask, "orvenghist");
        std::vector<std::pair<std::string, std::string>> got;
        for (const HistoryRow& row : rows) got.emplace_back(row.caption, row.source);
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, c.rows) << c.section;
    }
}

TEST(EngineHistoryCache, AStopEndsTheCacheWalk) {
    ScopedCacheEntries seeded{"Visited: orvengstop@http://a.example/", "Visited: orvengstop@http://b.example/",
                              "Visited: orvengstop@http://c.example/"};
    EXPECT_EQ(ListSection(hsIEVisitedPages, "*orvengstop*", "orvengstop").size(), 3u);
    EXPECT_EQ(ListSection(hsIEVisitedPages, "*orvengstop*", "orvengstop", 1).size(), 1u);
    EXPECT_TRUE(ListSection(hsIEVisitedPages, "*", "orvengstop", 0).empty());
}

// Delete of a cache row: the entry of its own name, case ignored (not the
// one showing the same text under another name); with no such entry, or no
// name kept, the entries of the class that show the row's text; 2 when none
// is found. (Wine's cache keeps one entry for names that differ in case
// only, so the seeds differ in their blanks.)
TEST(EngineHistoryCache, DeleteOfARowFindsItsEntryByTheNameItKept) {
    const std::vector<std::string> everything = {"Cookie:orvengdel@a.example/", "Cookie: orvengdel@a.example/",
                                                 "Visited: orvengdel@a.example/"};
    struct Case {
        const char* what;
        HistoryRow row;
        int result;
        std::vector<std::string> left;
    };
    const Case cases[] = {
        {"its own name, case ignored",
         {"orvengdel@a.example/", {}, "COOKIE:ORVENGDEL@A.EXAMPLE/"},
         0,
         {"Cookie: orvengdel@a.example/", "Visited: orvengdel@a.example/"}},
        {"no name kept: by the shown text",
         {"orvengdel@a.example/", {}, ""},
         0,
         {"Visited: orvengdel@a.example/"}},
        {"its entry gone: by the shown text, case ignored",
         {"ORVENGDEL@a.example/", {}, "Cookie:  ORVENGDEL@a.example/"},
         0,
         {"Visited: orvengdel@a.example/"}},
        {"nothing shows the text", {"orvengdel@b.example/", {}, "Cookie:orvengdel@b.example/"}, 2, everything},
    };
    for (const Case& c : cases) {
        ScopedCacheEntries seeded;
        for (const std::string& name : everything) seeded.Add(name);
        EXPECT_EQ(HistorySectionRowOf(hsIECookies).deleteOne(c.row), c.result) << c.what;
        std::vector<std::string> left = c.left;
        std::sort(left.begin(), left.end());
        EXPECT_EQ(CacheNamesWith("orvengdel"), left) << c.what;
    }
}

// ---- a registry list --------------------------------------------------------------

// The test's own values in the Run History key, removed at its end with the
// key when the test made it; the order value is put back as it was.
class RunHistoryValues : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing_support::RegKeyExists(HKEY_CURRENT_USER, kRunMruKey)) keys_.Add(HKEY_CURRENT_USER, kRunMruKey);
        orderExisted_ = Has(kMruListValue);
        if (orderExisted_) order_ = testing_support::RegString(HKEY_CURRENT_USER, kRunMruKey, kMruListValue);
    }
    void TearDown() override {
        if (orderExisted_)
            testing_support::SetRegString(HKEY_CURRENT_USER, kRunMruKey, kMruListValue, order_);
        else
            DeleteValueByName(HKEY_CURRENT_USER, kRunMruKey, kMruListValue);
    }
    void Set(const std::string& name, const std::string& text) {
        values_.emplace_back(std::make_unique<testing_support::ScopedRegValue>(HKEY_CURRENT_USER, kRunMruKey, name));
        testing_support::SetRegString(HKEY_CURRENT_USER, kRunMruKey, name, text);
    }
    static bool Has(const std::string& name) {
        return testing_support::RegValueExists(HKEY_CURRENT_USER, kRunMruKey, name);
    }

private:
    bool orderExisted_ = false;
    std::string order_;
    testing_support::ScopedRegKeys keys_;
    std::vector<std::unique_ptr<testing_support::ScopedRegValue>> values_;
};

TEST_F(RunHistoryValues, ListedByMaskWithDecoysAndAStop) {
    Set("orvenghist-1", "notepad orvenghist-alpha\\1");
    Set("orvenghist-2", "calc orvenghist-beta\\1");
    Set("orvenghist-3", "NOTEPAD ORVENGHIST-ALPHA.TXT\\1");
    struct Case {
        const char* mask;
        size_t stopAfter;
        std::vector<std::string> captions;
    };
    const Case cases[] = {
        {"*orvenghist*", kNoStop,
         {"NOTEPAD ORVENGHIST-ALPHA.TXT\\1", "calc orvenghist-beta\\1", "notepad orvenghist-alpha\\1"}},
        {"*orvenghist-alpha*", kNoStop, {"NOTEPAD ORVENGHIST-ALPHA.TXT\\1", "notepad orvenghist-alpha\\1"}},
        {"notepad orvenghist-alpha", kNoStop, {}},  // the whole text must fit
        {"calc orvenghist-*\\1", kNoStop, {"calc orvenghist-beta\\1"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> captions;
        for (const HistoryRow& row : ListSection(hsRunHistory, c.mask, "")) {
            if (Lowered(row.caption).find("orvenghist") != std::string::npos) captions.push_back(row.caption);
            EXPECT_TRUE(row.subItems.empty() && row.source.empty()) << row.caption;
        }
        std::sort(captions.begin(), captions.end());
        EXPECT_EQ(captions, c.captions) << c.mask;
    }
    // The walk ends once the stop is asked: after the first fitting value, or at once.
    EXPECT_EQ(ListSection(hsRunHistory, "*orvenghist*", "", 1).size(), 1u);
    EXPECT_TRUE(ListSection(hsRunHistory, "*", "", 0).empty());
}

TEST_F(RunHistoryValues, DeleteAndDeleteAllThroughTheRow) {
    Set("orvenghist-d1", "orvenghist drop one");
    Set("orvenghist-d2", "orvenghist drop two");
    Set("orvenghist-k", "orvenghist keep");
    const HistorySectionRow& row = HistorySectionRowOf(hsRunHistory);
    EXPECT_EQ(row.deleteOne(HistoryRow{"ORVENGHIST DROP ONE", {}, {}}), 0);
    EXPECT_FALSE(Has("orvenghist-d1"));
    EXPECT_TRUE(Has("orvenghist-d2"));
    const std::vector<HistoryRow> listed = ListSection(hsRunHistory, "*orvenghist drop*", "orvenghist");
    ASSERT_EQ(SortedCaptions(listed), std::vector<std::string>{"orvenghist drop two"});
    TNoDeleteProgress quiet;
    EXPECT_EQ(row.deleteAll(listed, "*orvenghist drop*", quiet, {}).code, 0);
    EXPECT_FALSE(Has("orvenghist-d2"));
    EXPECT_TRUE(Has("orvenghist-k"));
}

}  // namespace
