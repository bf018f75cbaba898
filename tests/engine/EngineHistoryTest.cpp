// The History sections without a window: the table the family files
// register, and sections listed and cleared through their rows' listers and
// removals with the mask, decoys and a stop token.
#include "platform/RegistryKey.h"
#include "history/HistoryFunctions.h"
#include "history/HistorySectionTable.h"
#include "history/InternetExplorerHistory.h"
#include "history/PlayerHistory.h"
#include "history/WindowsHistory.h"
#include "platform/Registry.h"
#include "platform/UrlCache.h"

#include "EngineTestSupport.h"
#include "NulNamedValue.h"
#include "RegSeed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace history;
using testing_support::ScopedCacheEntries;

namespace {

// ---- the table -----------------------------------------------------------------

// The tree as the History page has always shown it, in tree order: each
// node's id, parent, caption and picture, and whether it is a group.
struct ExpectedNode {
    int id, parent;
    const char* caption;
    int picture;
    bool group;
};
const ExpectedNode kExpectedTree[] = {
    {hsHistory, kTreeRoot, "History", 0, true},
    {hsInternetExplorer, hsHistory, "Internet Explorer", 1, true},
    {hsIEVisitedPages, hsInternetExplorer, "Visited Pages", 2, false},
    {hsIETypedUrls, hsInternetExplorer, "Typed URL's", 32, false},
    {hsIETemporaryFiles, hsInternetExplorer, "Temporary Files", 2, false},
    {hsIECookies, hsInternetExplorer, "Cookies", 2, false},
    {hsAutoCompleteForms, hsInternetExplorer, "Auto Complete Forms", 2, false},
    {hsAutoCompletePasswords, hsInternetExplorer, "Auto Complete Passwords", 23, false},
    {hsIndexDat, hsInternetExplorer, "Index.dat", 4, false},
    {hsDownloadedProgramFiles, hsInternetExplorer, "Downloaded Program Files Folder", 3, false},
    {hsBrowserHelperObjects, hsInternetExplorer, "Browser Helper Objects", 2, false},
    {hsMozillaFirefox, hsHistory, "Mozilla Firefox", 5, true},
    {hsMozillaVisitedPages, hsMozillaFirefox, "Visited Pages", 29, false},
    {hsWindows, hsHistory, "Windows", 31, true},
    {hsRecentDocuments, hsWindows, "Recent Document List", 17, false},
    {hsRunHistory, hsWindows, "Run History", 18, false},
    {hsFindHistory, hsWindows, "Find History", 16, false},
    {hsOpenSaveHistory, hsWindows, "Windows Open/Save History", 22, false},
    {hsClipboard, hsWindows, "Windows Clipboard", 24, false},
    {hsRecycleBin, hsWindows, "Windows Recycle Bin", 25, false},
    {hsTemporaryFolder, hsWindows, "Temporary Files Directory", 21, false},
    {hsPaintRecent, hsWindows, "Windows Paint Recent File List", 20, false},
    {hsWordPadRecent, hsWindows, "Windows Word Pad Recent File List", 19, false},
    {hsSendTo, hsWindows, "Send-to Extensions", 0, false},
    {hsDownloadedInstallations, hsWindows, "Download Installation Folder", 33, false},
    {hsMSOffice, hsHistory, "MS Office", 48, true},
    {hsMSWordRecent, hsMSOffice, "MS Word Recent File List", 15, false},
    {hsMSExcelRecent, hsMSOffice, "MS Excel Recent File List", 8, false},
    {hsMSAccessRecent, hsMSOffice, "MS Access Recent File List", 7, false},
    {hsMSPowerPointRecent, hsMSOffice, "MS Power Point Recent File List", 12, false},
    {hsMSFrontPageRecent, hsMSOffice, "MS Front Page Recent File List", 9, false},
    {hsMSPublisherRecent, hsMSOffice, "MS Publisher Recent File List", 13, false},
    {hsMultimedia, hsHistory, "Graphics and Multimedia", 34, true},
    {hsMediaPlayerRecent, hsMultimedia, "Windows Media Player Play File List", 14, false},
    {hsRealPlayerRecent, hsMultimedia, "RealPlayer Play File List", 27, false},
    {hsWinDvdRecent, hsMultimedia, "InterVideo WinDVD Play File List", 36, false},
    {hsQuickTime, hsMultimedia, "QuickTime Player Recent File List", 54, false},
    {hsWinAmpRecent, hsMultimedia, "WinAMP Recent Play List", 55, false},
    {hsPaintShopPro, hsMultimedia, "Jasc PaintShop Pro Recent File List", 41, false},
    {hsArchivers, hsHistory, "Archivers", 47, true},
    {hsWinZipRecent, hsArchivers, "WinZIP Recent File List", 39, false},
    {hsWinRarRecent, hsArchivers, "WinRAR Recent File List", 40, false},
    {hsExtensions, kTreeRoot, "Extensions", 49, true},
    {hsExtensionsIE, hsExtensions, "Internet Explorer", 1, true},
    {hsToolbars, hsExtensionsIE, "Toolbar's", 1, false},
    {hsButtons, hsExtensionsIE, "Button's", 1, false},
    {hsOtherPlugins, hsExtensionsIE, "Other Plug-in's", 1, false},
};

TEST(EngineHistoryTable, TheTreeKeepsEveryNodesIdCaptionPictureAndPlace) {
    const std::vector<HistorySectionRow>& rows = HistorySectionRows();
    ASSERT_EQ(rows.size(), std::size(kExpectedTree));
    for (size_t i = 0; i < rows.size(); ++i) {
        const ExpectedNode& node = kExpectedTree[i];
        EXPECT_EQ(rows[i].id, node.id) << i;
        EXPECT_EQ(rows[i].parent, node.parent) << node.id;
        EXPECT_EQ(rows[i].caption, node.caption) << node.id;
        EXPECT_EQ(rows[i].picture, node.picture) << node.id;
        EXPECT_EQ(rows[i].group, node.group) << node.id;
    }
    // Whatever sections come: ids unique, and each parent a group shown before its children.
    std::set<int> seen;
    for (const HistorySectionRow& row : rows) {
        EXPECT_GE(row.id, 0);
        if (row.parent != kTreeRoot) {
            EXPECT_TRUE(seen.count(row.parent)) << row.id << "'s parent " << row.parent;
            EXPECT_TRUE(HistorySectionRowOf(row.parent).group) << row.id;
        }
        EXPECT_TRUE(seen.insert(row.id).second) << "id " << row.id << " twice";
    }
}

TEST(EngineHistoryTable, EveryListingSectionHasExactlyOneFamilysRow) {
    std::set<int> registered;
    HistorySectionRegistry groups;
    RegisterHistoryGroups(groups);
    for (const HistorySectionRow& row : groups.Rows()) {
        EXPECT_TRUE(row.group) << row.id;
        registered.insert(row.id);
    }
    for (const HistoryFamily& family : HistoryFamilies()) {
        HistorySectionRegistry registry;
        family.registerSections(registry);
        EXPECT_FALSE(registry.Rows().empty()) << family.name;
        for (const HistorySectionRow& row : registry.Rows()) {
            EXPECT_FALSE(row.group) << row.id;
            EXPECT_TRUE(registered.insert(row.id).second) << family.name << " registers section " << row.id
                                                          << ", which another family or a group has";
        }
    }
    std::set<int> expected;
    for (const ExpectedNode& node : kExpectedTree) expected.insert(node.id);
    EXPECT_EQ(registered, expected);
}

TEST(EngineHistoryTable, RowsCarryTheirNodesAndGroupsListNothing) {
    const std::vector<HistorySectionRow>& rows = HistorySectionRows();
    for (const HistorySectionRow& row : rows) {
        if (row.group) {
            EXPECT_TRUE(row.columns.empty()) << row.id;
            EXPECT_FALSE(row.list || row.deleteOne || row.deleteAll) << row.id;
            EXPECT_FALSE(row.takesMask) << row.id;
        } else {
            ASSERT_FALSE(row.columns.empty()) << row.id;
            // The heading names the first column, unless the columns name themselves.
            if (!row.heading.empty()) {
                EXPECT_EQ(row.columns[0].caption, row.heading) << row.id;
            }
        }
        EXPECT_EQ(&HistorySectionRowOf(row.id), &row);
    }
    for (int stranger : {-1, 47, 1000}) EXPECT_EQ(HistorySectionRowOf(stranger).id, -1) << stranger;

    // Only the cache, typed-URL and Protected Storage sections, Firefox's
    // history files (of many megabytes) and Word's and Excel's lists (their
    // programs take a while to start) are read off the window thread.
    std::vector<int> onWorker;
    for (const HistorySectionRow& row : rows)
        if (row.listsOnWorker) onWorker.push_back(row.id);
    EXPECT_EQ(onWorker, (std::vector<int>{hsIEVisitedPages, hsIETypedUrls, hsIETemporaryFiles, hsIECookies,
                                          hsAutoCompleteForms, hsAutoCompletePasswords, hsIndexDat,
                                          hsMozillaVisitedPages, hsMSWordRecent, hsMSExcelRecent}));
}

// Made-up ids: a node's place comes from its parent and its order among
// its siblings, not from its id or when it was registered.
TEST(EngineHistoryTable, TheTreeFollowsParentsAndOrders) {
    HistorySectionRegistry registry;
    registry.Register({9, 3, 20, "nine", 0}, {.heading = "first"});
    registry.RegisterGroup({5, kTreeRoot, 20, "five", 0});
    registry.Register({8, 5, 10, "eight", 0}, {});
    registry.RegisterGroup({3, kTreeRoot, 10, "three", 0});
    registry.Register({7, 3, 10, "seven", 0}, {});
    registry.RegisterGroup({4, 3, 30, "four", 0});
    EXPECT_TRUE(registry.Registered(9));
    EXPECT_FALSE(registry.Registered(6));
    const std::vector<HistorySectionRow> tree = registry.TakeTree();
    std::vector<int> ids;
    for (const HistorySectionRow& row : tree) ids.push_back(row.id);
    EXPECT_EQ(ids, (std::vector<int>{3, 7, 9, 4, 5, 8}));
    ASSERT_EQ(tree[2].columns.size(), 1u);  // empty columns: the heading alone, filling the width
    EXPECT_EQ(tree[2].columns[0].caption, "first");
    EXPECT_EQ(tree[2].columns[0].width, 0);
    EXPECT_TRUE(tree[3].group);
    EXPECT_FALSE(tree[3].takesMask);
}

TEST(EngineHistoryTable, NodesThatMakeNoTreeAreRefused) {
    // Each case: a root group 1 holding section 2, then the broken node.
    const struct {
        const char* what;
        HistoryNode node;
        bool group;
    } cases[] = {
        {"an id twice", {2, 1, 20, "again", 0}, false},
        {"a negative id", {-1, 1, 20, "none", 0}, false},
        {"a parent not registered", {3, 9, 10, "lost", 0}, false},
        {"a section as parent", {3, 2, 10, "under a section", 0}, false},
        {"the order of a sibling", {3, 1, 10, "same place", 0}, false},
        {"a group its own parent", {3, 3, 10, "loop", 0}, true},
    };
    for (const auto& c : cases) {
        HistorySectionRegistry registry;
        registry.RegisterGroup({1, kTreeRoot, 10, "one", 0});
        registry.Register({2, 1, 10, "two", 0}, {});
        const auto addAndArrange = [&] {
            if (c.group)
                registry.RegisterGroup(c.node);
            else
                registry.Register(c.node, {});
            (void)registry.TakeTree();
        };
        EXPECT_THROW(addAndArrange(), std::logic_error) << c.what;
    }
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
    common::NoProgress quiet;
    EXPECT_EQ(row.deleteAll(listed, "*orvenghist drop*", quiet, {}).code, 0);
    EXPECT_FALSE(Has("orvenghist-d2"));
    EXPECT_TRUE(Has("orvenghist-k"));
}

// ---- values of another type among a list's strings ---------------------------------

// What a key holds under a name: its type and bytes, or nothing.
std::optional<platform::reg::RawValue> HeldValue(const std::string& key, const std::string& name) {
    platform::KeyHandle handle;
    platform::reg::RawValue value;
    if (platform::reg::OpenKey(HKEY_CURRENT_USER, key, KEY_READ, handle) != ERROR_SUCCESS ||
        platform::reg::QueryRawValue(handle.Get(), name, value) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool SameValue(const std::optional<platform::reg::RawValue>& held, DWORD type, const std::vector<uint8_t>& data) {
    return held && held->type == type && held->data == std::vector<BYTE>(data.begin(), data.end());
}

// Puts a key's value back as it was (or removes it) on scope exit, whatever
// type it had: Delete All of the Run History rewrites its order value.
class KeptValue {
public:
    KeptValue(std::string key, std::string name)
        : key_(std::move(key)), name_(std::move(name)), before_(HeldValue(key_, name_)) {}
    ~KeptValue() {
        platform::KeyHandle handle;
        if (platform::reg::OpenKey(HKEY_CURRENT_USER, key_, KEY_ALL_ACCESS, handle) != ERROR_SUCCESS) return;
        if (before_)
            platform::reg::SetRawValue(handle.Get(), name_, *before_);
        else
            platform::reg::DeleteValue(handle.Get(), name_);
    }
    KeptValue(const KeptValue&) = delete;
    KeptValue& operator=(const KeptValue&) = delete;

private:
    std::string key_, name_;
    std::optional<platform::reg::RawValue> before_;
};

// The values named go at the end, and the keys the seeding made, from the
// highest one that was missing.
class SeededKey {
public:
    explicit SeededKey(std::string key) : key_(std::move(key)) {
        for (size_t end = key_.find('\\');; end = key_.find('\\', end + 1)) {
            const std::string upTo = key_.substr(0, end);
            if (!testing_support::RegKeyExists(HKEY_CURRENT_USER, upTo)) {
                made_.Add(HKEY_CURRENT_USER, upTo);
                break;
            }
            if (end == std::string::npos) break;
        }
    }
    void Set(const std::string& name, DWORD type, const std::vector<uint8_t>& data) {
        values_.push_back(std::make_unique<testing_support::ScopedRegValue>(HKEY_CURRENT_USER, key_, name));
        testing_support::SetRawValue(HKEY_CURRENT_USER, key_, name, type, data);
    }
    void SetText(const std::string& name, const std::string& text) { Set(name, REG_SZ, testing_support::Utf16Z(text)); }

private:
    std::string key_;
    testing_support::ScopedRegKeys made_;
    std::vector<std::unique_ptr<testing_support::ScopedRegValue>> values_;
};

// The captions the section lists that hold the marker, sorted; an error
// the lister raises is a failure of the case, and the rest still runs.
std::vector<std::string> ListedOrFailed(int section, const std::string& marker, const std::string& what) {
    try {
        return SortedCaptions(ListSection(section, "*", marker));
    } catch (const std::exception& error) {
        ADD_FAILURE() << what << ": the listing stopped: " << error.what();
        return {};
    }
}

// Every History section that lists registry values, with the key it reads
// (under HKEY_CURRENT_USER); the texts seeded end in ".oxq", so the
// Open/Save section's clear finds its subkey "oxq" by them.
struct ValueListSection {
    int id;
    std::string key;
};

const std::vector<ValueListSection>& ValueListSections() {
    static const std::vector<ValueListSection> sections = {
        {hsIETypedUrls, "Software\\Microsoft\\Internet Explorer\\TypedURLs"},
        {hsRunHistory, kRunMruKey},
        {hsFindHistory, std::string(kFindHistoryKey) + "\\OrvOddList"},
        {hsOpenSaveHistory, std::string(kOpenSaveKey) + "\\oxq"},
        {hsPaintRecent, kPaintRecentKey},
        {hsWordPadRecent, kWordPadRecentKey},
        {hsPaintShopPro, kPaintShopProKeys[1]},
    };
    return sections;
}

// A value of another type between two strings (bytes, no bytes, numbers, a
// list of lines) is no entry of the list: the strings on both sides are
// listed, Delete and Delete All reach them with the mask that fits
// anything, and the odd value stays as it was. Nothing raises.
TEST(EngineHistoryRegistryLists, AValueOfAnotherTypeIsPassedOverByTheListAndItsRemovals) {
    struct Odd {
        const char* what;
        DWORD type;
        std::vector<uint8_t> data;
    };
    const Odd odds[] = {
        {"bytes", REG_BINARY, {0x43, 0x3A, 0x5C, 0xFF}},
        {"no bytes", REG_BINARY, {}},
        {"a number", REG_DWORD, {7, 0, 0, 0}},
        {"a large number", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"lines", REG_MULTI_SZ, testing_support::Utf16Z(std::string("C:\\orvodd\\lines.oxq") + '\0')},
    };
    const std::string first = "C:\\orvodd\\first.oxq", last = "C:\\orvodd\\last.oxq";
    for (const ValueListSection& section : ValueListSections()) {
        for (const Odd& odd : odds) {
            const std::string what = std::to_string(section.id) + " with " + odd.what;
            SCOPED_TRACE(what);
            KeptValue order(kRunMruKey, kMruListValue);
            SeededKey key(section.key);
            // Seeded in name order, so the odd value lies between the strings
            // in either enumeration order (Windows: as written; Wine: by name).
            key.SetText("orvodd-a", first);
            key.Set("orvodd-b", odd.type, odd.data);
            key.SetText("orvodd-c", last);
            const HistorySectionRow& row = HistorySectionRowOf(section.id);

            EXPECT_EQ(ListedOrFailed(section.id, "orvodd", what), (std::vector<std::string>{first, last}));

            EXPECT_NO_THROW(row.deleteOne(HistoryRow{last, {}, {}}));
            EXPECT_FALSE(HeldValue(section.key, "orvodd-c"));
            EXPECT_TRUE(HeldValue(section.key, "orvodd-a"));

            const std::vector<HistoryRow> listed = {HistoryRow{first, {}, {}}};
            common::NoProgress quiet;
            EXPECT_NO_THROW(row.deleteAll(listed, "*", quiet, {}));
            EXPECT_FALSE(HeldValue(section.key, "orvodd-a"));
            EXPECT_TRUE(SameValue(HeldValue(section.key, "orvodd-b"), odd.type, odd.data));
            EXPECT_TRUE(ListedOrFailed(section.id, "orvodd", what).empty());
        }
    }
}

// Delete All of the Run History empties its order value only when that is
// a string (or missing): an order value of another type stays as it was.
TEST(EngineHistoryRegistryLists, RunHistoryDeleteAllLeavesAnOrderValueOfAnotherType) {
    KeptValue order(kRunMruKey, kMruListValue);
    SeededKey key(kRunMruKey);
    key.SetText("orvodd-run", "orvodd run\\1");
    const std::vector<uint8_t> bytes = {0x61, 0x00, 0x62, 0x00};
    testing_support::SetRawValue(HKEY_CURRENT_USER, kRunMruKey, kMruListValue, REG_BINARY, bytes);
    common::NoProgress quiet;
    EXPECT_NO_THROW(HistorySectionRowOf(hsRunHistory).deleteAll({}, "*", quiet, {}));
    EXPECT_FALSE(HeldValue(kRunMruKey, "orvodd-run"));
    EXPECT_TRUE(SameValue(HeldValue(kRunMruKey, kMruListValue), REG_BINARY, bytes));
}

// A value whose name holds a NUL beside the value its name is cut to there:
// every section lists both texts, Delete of the hidden one's row takes that
// value and not its namesake, and Delete All takes the namesake too.
TEST(EngineHistoryRegistryLists, ANameHoldingANulIsAValueOfItsOwn) {
    const std::wstring hiddenName = testing_support::WideName(std::string("orvnul\0x", 8)), plainName = L"orvnul";
    const std::string hidden = "C:\\orvnul\\hidden.oxq", plain = "C:\\orvnul\\plain.oxq";
    for (const ValueListSection& section : ValueListSections()) {
        const std::string what = std::to_string(section.id);
        SCOPED_TRACE(what);
        KeptValue order(kRunMruKey, kMruListValue);
        SeededKey key(section.key);
        key.SetText("orvnul", plain);
        testing_support::ScopedNulNamed hiddenValue(HKEY_CURRENT_USER, section.key, hiddenName, hidden);
        const HistorySectionRow& row = HistorySectionRowOf(section.id);

        EXPECT_EQ(ListedOrFailed(section.id, "orvnul", what), (std::vector<std::string>{hidden, plain}));
        EXPECT_NO_THROW(row.deleteOne(HistoryRow{hidden, {}, {}}));
        EXPECT_EQ(testing_support::NulNamedText(HKEY_CURRENT_USER, section.key, hiddenName), std::nullopt);
        EXPECT_EQ(testing_support::NulNamedText(HKEY_CURRENT_USER, section.key, plainName), plain);
        common::NoProgress quiet;
        EXPECT_NO_THROW(row.deleteAll({HistoryRow{plain, {}, {}}}, "*", quiet, {}));
        EXPECT_EQ(testing_support::NulNamedText(HKEY_CURRENT_USER, section.key, plainName), std::nullopt);
    }
}

}  // namespace
