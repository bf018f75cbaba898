// The MS Office recent lists: Word and Excel through a stand-in automation
// server, Access, PowerPoint and Publisher under the Office version key,
// FrontPage's value list; listing and removal, and their rows.
#include "platform/RegistryKey.h"
#include "formats/Masks.h"
#include "history/HistorySectionTable.h"
#include "history/OfficeRecentLists.h"
#include "platform/Automation.h"
#include "FakeOfficeAutomation.h"
#include "RestrictedRegKey.h"
#include "RegSeed.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace history;
using namespace testing_support;

namespace {

using Texts = std::vector<std::string>;
const HKEY kUser = HKEY_CURRENT_USER;

Texts Listed(const HistoryLister& lister, const std::string& mask = "*") {
    HistoryRowList rows;
    lister(rows, mask, {});
    EXPECT_TRUE(rows.notices.empty());
    return rows.Captions();
}

Texts ListedBy(const OfficeAutomationProgram& program, const std::string& mask = "*") {
    return Listed([&program](IHistorySink& sink, const std::string& m,
                             common::StopToken stop) { ListOfficeRecentFiles(program, sink, m, stop); },
                  mask);
}

class RecordedProgress final : public common::IProgressSink {
public:
    void Progress(size_t done, size_t total, const std::string&) override { steps.emplace_back(done, total); }
    void Notice(const std::string&) override {}
    std::vector<std::pair<size_t, size_t>> steps;
};

HistoryDeleteAllResult DeleteAllBy(const OfficeAutomationProgram& program, const std::string& mask) {
    common::NoProgress progress;
    return DeleteOfficeRecentFiles(program, mask, progress);
}

// The server was told to quit exactly once, as the last thing, and nothing
// it handed out is still held.
void ExpectQuitOnceAndAllReleased(const FakeOfficeServer& server, const std::string& what) {
    EXPECT_EQ(server.CallsOf("Quit"), 1) << what;
    ASSERT_FALSE(server.calls.empty()) << what;
    EXPECT_EQ(server.calls.back(), "Quit") << what;
    EXPECT_EQ(server.liveObjects, 0) << what;
}

FakeOfficeServer ServerWith(std::vector<FakeRecentFile> entries) {
    FakeOfficeServer server;
    server.entries = std::move(entries);
    return server;
}

// ---- Word and Excel ---------------------------------------------------------------

TEST(OfficeAutomation, WordShowsPathAndNameExcelTheNameByMask) {
    const std::vector<FakeRecentFile> entries = {
        {"C:\\Docs", "Plan.doc"}, {"D:\\", "Notes.DOC"}, {"\\\\server\\share\\", "Budget.xls"}, {"", "loose.txt"}};
    const struct {
        const OfficeAutomationProgram& program;
        const char* mask;
        Texts expected;
    } cases[] = {
        {kWordProgram, "*", {"C:\\Docs\\Plan.doc", "D:\\Notes.DOC", "\\\\server\\share\\Budget.xls", "\\loose.txt"}},
        {kWordProgram, "*.doc", {"C:\\Docs\\Plan.doc", "D:\\Notes.DOC"}},
        {kWordProgram, "Plan.doc", {}},  // the whole text must fit
        {kWordProgram, "*share*", {"\\\\server\\share\\Budget.xls"}},
        {kExcelProgram, "*", {"Plan.doc", "Notes.DOC", "Budget.xls", "loose.txt"}},
        {kExcelProgram, "Plan.doc", {"Plan.doc"}},
        {kExcelProgram, "*share*", {}},  // Excel's text has no path
    };
    for (const auto& c : cases) {
        FakeOfficeServer server = ServerWith(entries);
        ScopedFakeOffice fake(server);
        EXPECT_EQ(ListedBy(c.program, c.mask), c.expected) << c.program.progId << " " << c.mask;
        EXPECT_EQ(server.calls.front(), std::string("Create ") + c.program.progId);
        ExpectQuitOnceAndAllReleased(server, c.mask);
        EXPECT_EQ(server.entries.size(), entries.size());
    }
}

TEST(OfficeAutomation, CallsGoByNameInOrder) {
    const std::vector<FakeRecentFile> entries = {{"C:\\A", "one.doc"}, {"C:\\B", "two.doc"}};
    const Texts walkStart = {"Create Word.Application", "RecentFiles", "Count", "RecentFiles", "Count"};
    auto with = [&walkStart](Texts rest) {
        Texts calls = walkStart;
        calls.insert(calls.end(), rest.begin(), rest.end());
        return calls;
    };
    const struct {
        const char* what;
        std::function<void()> run;
        Texts expected;
    } cases[] = {
        {"list", [] { ListedBy(kWordProgram); },
         with({"RecentFiles", "Item(1)", "Path", "Name", "RecentFiles", "Item(2)", "Path", "Name", "Quit"})},
        {"delete one", [] { DeleteOfficeRecentFile(kWordProgram, "c:\\b\\TWO.doc"); },
         with({"RecentFiles", "Item(1)", "Path", "Name", "RecentFiles", "Item(2)", "Path", "Name", "Delete", "Quit"})},
        {"delete all", [] { DeleteAllBy(kWordProgram, "*one*"); },
         with({"RecentFiles", "Item(2)", "Path", "Name", "RecentFiles", "Item(1)", "Path", "Name", "Delete", "Quit"})},
    };
    for (const auto& c : cases) {
        FakeOfficeServer server = ServerWith(entries);
        ScopedFakeOffice fake(server);
        c.run();
        EXPECT_EQ(server.calls, c.expected) << c.what;
        EXPECT_EQ(server.liveObjects, 0) << c.what;
    }
    // Excel asks no path; a count given as text is a count all the same.
    FakeOfficeServer server = ServerWith(entries);
    server.countAsText = true;
    ScopedFakeOffice fake(server);
    EXPECT_EQ(ListedBy(kExcelProgram), (Texts{"one.doc", "two.doc"}));
    EXPECT_EQ(server.CallsOf("Path"), 0);
    EXPECT_EQ(server.CallsOf("Name"), 2);
}

// An automation error anywhere ends the operation quietly: what was listed
// stays, what was removed stays removed, and the server still quits.
TEST(OfficeAutomation, ErrorsMidWalkEndQuietlyAndTheServerQuits) {
    const std::vector<FakeRecentFile> entries = {
        {"C:\\W", "a.doc"}, {"C:\\W", "b.doc"}, {"C:\\W", "c.doc"}, {"C:\\W", "d.doc"}};
    enum Operation { List, DeleteOne, DeleteAll };
    const struct {
        Operation operation;
        const char* failName;
        int failAt;
        Texts listed;     // List: what was reported before the error
        Texts remaining;  // the entries afterwards
    } cases[] = {
        {List, "RecentFiles", 1, {}, {"a.doc", "b.doc", "c.doc", "d.doc"}},
        {List, "Count", 1, {}, {"a.doc", "b.doc", "c.doc", "d.doc"}},
        {List, "Count", 2, {}, {"a.doc", "b.doc", "c.doc", "d.doc"}},
        {List, "RecentFiles", 4, {"C:\\W\\a.doc"}, {"a.doc", "b.doc", "c.doc", "d.doc"}},
        {List, "Item", 3, {"C:\\W\\a.doc", "C:\\W\\b.doc"}, {"a.doc", "b.doc", "c.doc", "d.doc"}},
        {List, "Path", 2, {"C:\\W\\a.doc"}, {"a.doc", "b.doc", "c.doc", "d.doc"}},
        {List, "Name", 4, {"C:\\W\\a.doc", "C:\\W\\b.doc", "C:\\W\\c.doc"}, {"a.doc", "b.doc", "c.doc", "d.doc"}},
        {DeleteOne, "Name", 2, {}, {"a.doc", "b.doc", "c.doc", "d.doc"}},
        {DeleteOne, "Delete", 1, {}, {"a.doc", "b.doc", "c.doc", "d.doc"}},
        // Delete All of everything: the last entry goes first.
        {DeleteAll, "Delete", 1, {}, {"a.doc", "b.doc", "c.doc", "d.doc"}},
        {DeleteAll, "Delete", 3, {}, {"a.doc", "b.doc"}},
        {DeleteAll, "Item", 2, {}, {"a.doc", "b.doc", "c.doc"}},
        {DeleteAll, "Path", 4, {}, {"a.doc"}},
    };
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.operation) + " " + c.failName + " " + std::to_string(c.failAt);
        FakeOfficeServer server = ServerWith(entries);
        server.failName = c.failName;
        server.failAt = c.failAt;
        ScopedFakeOffice fake(server);
        switch (c.operation) {
            case List: EXPECT_EQ(ListedBy(kWordProgram), c.listed) << what; break;
            case DeleteOne: EXPECT_NO_THROW(DeleteOfficeRecentFile(kWordProgram, "C:\\W\\c.doc")) << what; break;
            case DeleteAll: {
                HistoryDeleteAllResult result;
                EXPECT_NO_THROW(result = DeleteAllBy(kWordProgram, "*")) << what;
                EXPECT_EQ(result.code, 0) << what;
                EXPECT_FALSE(result.stopped) << what;
                break;
            }
        }
        EXPECT_EQ(server.Names(), c.remaining) << what;
        ExpectQuitOnceAndAllReleased(server, what);
    }
}

// A machine without the program lists nothing and removes nothing, without
// a word; nor is there a server to tell to quit.
TEST(OfficeAutomation, AServerThatCannotBeMadeListsAndRemovesNothing) {
    FakeOfficeServer server = ServerWith({{"C:\\W", "a.doc"}});
    server.refuse = true;
    {
        ScopedFakeOffice fake(server);
        for (const OfficeAutomationProgram* program : {&kWordProgram, &kExcelProgram}) {
            EXPECT_EQ(ListedBy(*program), Texts{});
            DeleteOfficeRecentFile(*program, "C:\\W\\a.doc");
            const HistoryDeleteAllResult result = DeleteAllBy(*program, "*");
            EXPECT_EQ(result.code, 0);
            EXPECT_FALSE(result.stopped);
        }
    }
    EXPECT_EQ(server.calls, (Texts{"Create Word.Application", "Create Word.Application", "Create Word.Application",
                                   "Create Excel.Application", "Create Excel.Application",
                                   "Create Excel.Application"}));
    EXPECT_EQ(server.entries.size(), 1u);

    // The real servers: the test machine has neither program.
    platform::ComPtr<IDispatch> object;
    EXPECT_TRUE(FAILED(platform::automation::CreateObject("Orvelin.NoSuchServer", object)));
    EXPECT_FALSE(object);
    EXPECT_EQ(ListedBy(kWordProgram), Texts{});
    EXPECT_EQ(ListedBy(kExcelProgram), Texts{});
    EXPECT_EQ(DeleteAllBy(kWordProgram, "*").code, 0);

    // An empty list: the count is asked once, and the server quits.
    FakeOfficeServer empty;
    ScopedFakeOffice fake(empty);
    EXPECT_EQ(ListedBy(kExcelProgram), Texts{});
    EXPECT_EQ(empty.calls, (Texts{"Create Excel.Application", "RecentFiles", "Count", "Quit"}));
}

// Removals renumber the entries after them: Delete All walks from the last
// to the first, so neighbours that both fit are both removed, over lists
// longer than the handful Office shows by default.
TEST(OfficeAutomation, DeleteAllWalksDownOverMoreThanSixteenEntries) {
    std::vector<FakeRecentFile> entries;
    Texts kept;
    for (int i = 1; i <= 20; ++i) {
        const bool draft = i % 3 == 0 || i == 1 || i >= 16;
        const std::string name = (draft ? "Draft " : "Final ") + std::to_string(i) + ".doc";
        entries.push_back({"C:\\Letters", name});
        if (!draft) kept.push_back(name);
    }
    FakeOfficeServer server = ServerWith(entries);
    ScopedFakeOffice fake(server);
    EXPECT_EQ(ListedBy(kWordProgram).size(), 20u);
    EXPECT_EQ(ListedBy(kWordProgram, "*draft*").size(), 20u - kept.size());

    server.calls.clear();
    RecordedProgress progress;
    const HistoryDeleteAllResult result = DeleteOfficeRecentFiles(kWordProgram, "*draft*", progress);
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(server.Names(), kept);
    Texts items;
    for (const std::string& call : server.calls)
        if (call.rfind("Item(", 0) == 0) items.push_back(call);
    Texts downward;
    for (int i = 20; i >= 1; --i) downward.push_back("Item(" + std::to_string(i) + ")");
    EXPECT_EQ(items, downward);
    ASSERT_FALSE(progress.steps.empty());
    EXPECT_EQ(progress.steps.front(), std::make_pair(size_t{0}, size_t{0}));
    EXPECT_EQ(progress.steps.back(), std::make_pair(size_t{20}, size_t{20}));
    ExpectQuitOnceAndAllReleased(server, "delete all");
}

TEST(OfficeAutomation, DeleteRemovesOnlyTheFirstEqualEntry) {
    const struct {
        const OfficeAutomationProgram& program;
        const char* caption;
        Texts remaining;
    } cases[] = {
        {kWordProgram, "c:\\DOCS\\plan.doc", {"a.doc", "b.doc", "PLAN.DOC"}},  // case ignored, the second stays
        {kWordProgram, "C:\\Docs\\plan", {"a.doc", "plan.doc", "b.doc", "PLAN.DOC"}},  // whole text only
        {kWordProgram, "plan.doc", {"a.doc", "plan.doc", "b.doc", "PLAN.DOC"}},  // Word's text has the path
        {kExcelProgram, "Plan.Doc", {"a.doc", "b.doc", "PLAN.DOC"}},
        {kExcelProgram, "", {"a.doc", "plan.doc", "b.doc", "PLAN.DOC"}},
    };
    for (const auto& c : cases) {
        FakeOfficeServer server =
            ServerWith({{"C:\\Docs", "a.doc"}, {"C:\\Docs\\", "plan.doc"}, {"D:\\", "b.doc"}, {"C:\\Docs", "PLAN.DOC"}});
        ScopedFakeOffice fake(server);
        DeleteOfficeRecentFile(c.program, c.caption);
        EXPECT_EQ(server.Names(), c.remaining) << c.program.progId << " " << c.caption;
        EXPECT_LE(server.CallsOf("Delete"), 1);
        ExpectQuitOnceAndAllReleased(server, c.caption);
    }
}

TEST(OfficeAutomation, DeleteAllEndsWhenAStopIsAskedAndStillQuits) {
    FakeOfficeServer server = ServerWith({{"C:\\", "a.xls"}, {"C:\\", "b.xls"}});
    ScopedFakeOffice fake(server);
    common::StopSource stop;
    stop.RequestStop();
    common::NoProgress progress;
    const HistoryDeleteAllResult result = DeleteOfficeRecentFiles(kExcelProgram, "*", progress, stop.Token());
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(server.entries.size(), 2u);
    ExpectQuitOnceAndAllReleased(server, "stopped");
    // An invalid mask is told, and the server quits all the same.
    FakeOfficeServer other = ServerWith({{"C:\\", "a.xls"}});
    ScopedFakeOffice otherFake(other);
    EXPECT_THROW(ListedBy(kExcelProgram, "[a"), MaskError);
    ExpectQuitOnceAndAllReleased(other, "invalid mask");
}

TEST(OfficeAutomation, TheRowsListOnTheWorkerAndRemoveThroughTheServer) {
    for (int section : {hsMSWordRecent, hsMSExcelRecent}) {
        const HistorySectionRow& row = HistorySectionRowOf(section);
        EXPECT_TRUE(row.listsOnWorker) << section;
        FakeOfficeServer server =
            ServerWith({{"C:\\Books", "sales.xls"}, {"C:\\Books", "costs.xls"}, {"C:\\Books", "notes.txt"}});
        ScopedFakeOffice fake(server);
        const std::string prefix = section == hsMSWordRecent ? "C:\\Books\\" : "";
        EXPECT_EQ(Listed(row.list, "*.xls"), (Texts{prefix + "sales.xls", prefix + "costs.xls"}));
        EXPECT_EQ(row.deleteOne(HistoryRow{prefix + "COSTS.xls", {}, {}}), 0);
        EXPECT_EQ(server.Names(), (Texts{"sales.xls", "notes.txt"}));
        common::NoProgress progress;
        EXPECT_EQ(row.deleteAll({}, "*.xls", progress, {}).code, 0);
        EXPECT_EQ(server.Names(), Texts{"notes.txt"});
        EXPECT_EQ(server.CallsOf("Quit"), 3);
        EXPECT_EQ(server.liveObjects, 0);
    }
}

// ---- Access, PowerPoint, Publisher and FrontPage ------------------------------------

// The lists live at fixed places of the user's root. The test machine has no
// Office or FrontPage key of its own: what is there was left by an earlier
// run, and what the tests write goes at the end.
class OfficeLists : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* key : {kOfficeKey, kFrontPageKey}) {
            DeleteRegTree(kUser, key);
            cleanup_.Add(kUser, key);
        }
    }
    static constexpr const char* kFrontPageKey = "Software\\Microsoft\\FrontPage";
    // Writes REG_SZ values into a key below the Office key.
    static void Seed(const std::string& below, std::initializer_list<std::pair<const char*, const char*>> values) {
        const std::string key = std::string(kOfficeKey) + "\\" + below;
        SetRawValue(kUser, key, "", kKeyOnly, {});
        for (const auto& [name, text] : values) SetRegString(kUser, key, name, text);
    }
    static Texts Names(const std::string& below) {
        std::vector<std::string> names =
            platform::RegistryKey::Open({HKEY_CURRENT_USER, std::string(kOfficeKey) + "\\" + below}, KEY_READ).ValueNames();
        std::sort(names.begin(), names.end());
        return names;
    }
    ScopedRegKeys cleanup_;
};

Texts ListedIn(const OfficeNumberedList& list, const std::string& mask = "*") {
    return Listed([&list](IHistorySink& sink, const std::string& m,
                          common::StopToken stop) { ListOfficeNumberedList(list, sink, m, stop); },
                  mask);
}

// The first version (in the registry's order) with the application's subkey
// is the one, even when its list key is missing; versions without it are
// passed over; other applications choose their own version.
TEST_F(OfficeLists, TheFirstVersionWithTheApplicationIsTheOne) {
    const struct {
        const char* what;
        std::vector<std::pair<const char*, const char*>> seeds;  // key below Office, one value "MRU1"/"File1"
        Texts access, powerPoint, publisher;
    } cases[] = {
        {"no Office versions", {}, {}, {}, {}},
        {"two versions with Access",
         {{"11.0\\Access\\Settings", "a11"}, {"12.0\\Access\\Settings", "a12"}},
         {"a11"}, {}, {}},
        {"the first one's list key is missing",
         {{"11.0\\Access", nullptr}, {"12.0\\Access\\Settings", "a12"}},
         {}, {}, {}},
        {"a version without the application is passed over",
         {{"10.0\\Common", nullptr}, {"11.0\\Access\\Settings", "a11"}},
         {"a11"}, {}, {}},
        {"the application's subkey in other capitals",
         {{"11.0\\ACCESS\\Settings", "a11"}},
         {"a11"}, {}, {}},
        {"each application its own version",
         {{"10.0\\PowerPoint\\Recent File List", "p10"},
          {"11.0\\Access\\Settings", "a11"},
          {"11.0\\PowerPoint\\Recent File List", "p11"},
          {"12.0\\Publisher\\Recent File List", "b12"},
          {"12.0\\Access\\Settings", "a12"}},
         {"a11"}, {"p10"}, {"b12"}},
        {"another application's list under the same name is no entry",
         {{"11.0\\Access\\Recent File List", "wrong key"}, {"11.0\\Publisher\\Settings", "wrong key"}},
         {}, {}, {}},
    };
    for (const auto& c : cases) {
        DeleteRegTree(kUser, kOfficeKey);
        for (const auto& [below, text] : c.seeds) {
            Seed(below, {});
            if (text != nullptr) {
                const bool access = std::string(below).find("Settings") != std::string::npos;
                SetRegString(kUser, std::string(kOfficeKey) + "\\" + below, access ? "MRU1" : "File1", text);
            }
        }
        EXPECT_EQ(ListedIn(kAccessList), c.access) << c.what;
        EXPECT_EQ(ListedIn(kPowerPointList), c.powerPoint) << c.what;
        EXPECT_EQ(ListedIn(kPublisherList), c.publisher) << c.what;
        // The removals choose the same version: Delete All of every list
        // leaves exactly what was not listed.
        size_t before = 0, after = 0;
        for (const auto& [below, text] : c.seeds) before += Names(below).size();
        for (const OfficeNumberedList* list : {&kAccessList, &kPowerPointList, &kPublisherList})
            DeleteOfficeNumberedEntries(*list, "*");
        for (const auto& [below, text] : c.seeds) after += Names(below).size();
        EXPECT_EQ(before - after, c.access.size() + c.powerPoint.size() + c.publisher.size()) << c.what;
    }
}

// A version key the user may read but not change decides for the removals
// as for the listing: they never reach a later version's list, which was
// not listed.
TEST_F(OfficeLists, RemovalsChooseTheVersionTheListingChose) {
    Seed("11.0\\Access", {});
    Seed("12.0\\Access\\Settings", {{"MRU1", "C:\\db\\later.mdb"}});
    {
        ScopedReadOnlyKey locked(kUser, std::string(kOfficeKey) + "\\11.0");
        EXPECT_EQ(ListedIn(kAccessList), Texts{});
        DeleteOfficeNumberedEntry(kAccessList, "C:\\db\\later.mdb");
        DeleteOfficeNumberedEntries(kAccessList, "*");
    }
    EXPECT_EQ(Names("12.0\\Access\\Settings"), Texts{"MRU1"});
}

// Only prefix + 1 to 9 are entries, and only string values; everything else
// is neither listed nor removed.
TEST_F(OfficeLists, OnlyStringValuesNumberedOneToNine) {
    const struct {
        const OfficeNumberedList& list;
        const char* other;  // the other prefix, a decoy
    } lists[] = {{kAccessList, "File"}, {kPowerPointList, "MRU"}, {kPublisherList, "MRU"}};
    for (const auto& l : lists) {
        DeleteRegTree(kUser, kOfficeKey);
        const std::string below = std::string("11.0\\") + l.list.listKey;
        const std::string key = std::string(kOfficeKey) + "\\" + below;
        const std::string p = l.list.valuePrefix;
        Seed(below, {});
        SetRegString(kUser, key, p + "3", "C:\\three.doc");
        SetRegString(kUser, key, p + "1", "C:\\one.doc");
        SetRegString(kUser, key, p + "9", "C:\\nine.doc");
        SetRawValue(kUser, key, p + "4", REG_EXPAND_SZ, Utf16Z("%USERPROFILE%\\four.doc"));
        // Decoys.
        SetRegString(kUser, key, p + "10", "C:\\ten.doc");
        SetRegString(kUser, key, p + "0", "C:\\zero.doc");
        SetRegString(kUser, key, p + "01", "C:\\padded.doc");
        SetRegString(kUser, key, p, "C:\\bare.doc");
        SetRegString(kUser, key, std::string(l.other) + "2", "C:\\other.doc");
        SetRegDword(kUser, key, p + "2", 2);
        SetRawValue(kUser, key, p + "5", REG_BINARY, {'C', ':', '\\', 'x'});
        SetRawValue(kUser, key, p + "6", REG_MULTI_SZ, Utf16Z("C:\\six.doc"));
        EXPECT_EQ(ListedIn(l.list),
                  (Texts{"C:\\one.doc", "C:\\three.doc", "%USERPROFILE%\\four.doc", "C:\\nine.doc"}))
            << p;
        EXPECT_EQ(ListedIn(l.list, "*n*.doc"), (Texts{"C:\\one.doc", "C:\\nine.doc"})) << p;
        DeleteOfficeNumberedEntries(l.list, "*");
        Texts left = {p, p + "0", p + "01", p + "10", p + "2", p + "5", p + "6", std::string(l.other) + "2"};
        std::sort(left.begin(), left.end());
        EXPECT_EQ(Names(below), left) << p;
        EXPECT_EQ(ListedIn(l.list), Texts{}) << p;
    }
}

TEST_F(OfficeLists, DeleteTakesEveryEqualValueAndLeavesGaps) {
    const std::string below = "11.0\\Access\\Settings";
    Seed(below, {{"MRU1", "C:\\Data\\a.mdb"},
                 {"MRU2", "C:\\Data\\b.mdb"},
                 {"MRU3", "c:\\data\\A.MDB"},
                 {"MRU4", "C:\\Data\\notes.txt"},
                 {"MRU10", "C:\\Data\\a.mdb"}});
    Seed("12.0\\Access\\Settings", {{"MRU1", "C:\\Data\\a.mdb"}});  // another version
    DeleteOfficeNumberedEntry(kAccessList, "C:\\DATA\\a.mdb");
    EXPECT_EQ(Names(below), (Texts{"MRU10", "MRU2", "MRU4"}));  // nothing renumbered
    EXPECT_EQ(ListedIn(kAccessList), (Texts{"C:\\Data\\b.mdb", "C:\\Data\\notes.txt"}));
    DeleteOfficeNumberedEntry(kAccessList, "C:\\Data\\b");  // whole text only
    EXPECT_EQ(Names(below).size(), 3u);
    DeleteOfficeNumberedEntries(kAccessList, "*.MDB");
    EXPECT_EQ(Names(below), (Texts{"MRU10", "MRU4"}));
    EXPECT_EQ(Names("12.0\\Access\\Settings"), Texts{"MRU1"});
    EXPECT_THROW(DeleteOfficeNumberedEntries(kAccessList, "[a"), MaskError);
    EXPECT_EQ(Names(below), (Texts{"MRU10", "MRU4"}));
}

// The rows: each section reaches its own application's list, and
// FrontPage's plain list, by mask and by caption.
TEST_F(OfficeLists, TheRowsListAndRemoveTheirOwnList) {
    Seed("11.0\\Access\\Settings", {{"MRU1", "C:\\db\\shop.mdb"}, {"MRU2", "C:\\db\\old.mdb"}});
    Seed("11.0\\PowerPoint\\Recent File List", {{"File1", "C:\\talks\\shop.ppt"}, {"File2", "C:\\talks\\old.ppt"}});
    Seed("11.0\\Publisher\\Recent File List", {{"File1", "C:\\print\\shop.pub"}, {"File2", "C:\\print\\old.pub"}});
    SetRegString(kUser, kFrontPageRecentKey, "Url1", "C:\\web\\shop.htm");
    SetRegString(kUser, kFrontPageRecentKey, "Url2", "C:\\web\\old.htm");
    SetRegDword(kUser, kFrontPageRecentKey, "Count", 2);
    const struct {
        int section;
        const char* shop;
        const char* old;
        const char* heading;
    } rows[] = {
        {hsMSAccessRecent, "C:\\db\\shop.mdb", "C:\\db\\old.mdb", "Microsoft Access Recent File List"},
        {hsMSPowerPointRecent, "C:\\talks\\shop.ppt", "C:\\talks\\old.ppt", "Microsoft PowerPoint Recent File List"},
        {hsMSFrontPageRecent, "C:\\web\\shop.htm", "C:\\web\\old.htm", "Microsoft FrontPage Recent File List"},
        {hsMSPublisherRecent, "C:\\print\\shop.pub", "C:\\print\\old.pub", "Microsoft Publisher Recent File List"},
    };
    for (const auto& r : rows) {
        const HistorySectionRow& row = HistorySectionRowOf(r.section);
        EXPECT_EQ(row.heading, r.heading);
        EXPECT_FALSE(row.listsOnWorker);
        Texts all = Listed(row.list);
        std::sort(all.begin(), all.end());
        EXPECT_EQ(all, (Texts{r.old, r.shop})) << r.section;
        EXPECT_EQ(Listed(row.list, "*SHOP*"), Texts{r.shop}) << r.section;
        EXPECT_EQ(row.deleteOne(HistoryRow{r.old, {}, {}}), 0);
        EXPECT_EQ(Listed(row.list), Texts{r.shop}) << r.section;
    }
    for (const auto& r : rows) {
        common::NoProgress progress;
        EXPECT_EQ(HistorySectionRowOf(r.section).deleteAll({}, "*shop*", progress, {}).code, 0);
        EXPECT_EQ(Listed(HistorySectionRowOf(r.section).list), Texts{}) << r.section;
    }
    EXPECT_TRUE(RegValueExists(kUser, kFrontPageRecentKey, "Count"));  // not a string: never removed
}

TEST(OfficeSections, QuestionsOfDeleteAll) {
    const struct {
        int section;
        const char* question;
    } cases[] = {
        {hsMSWordRecent, "Do you really want to delete ALL MS Word History items?"},
        {hsMSExcelRecent, "Do you really want to delete ALL MS Excel History items?"},
        {hsMSAccessRecent, "Do you really want to delete ALL MS Access History items?"},
        {hsMSPowerPointRecent, "Do you really want to delete ALL MS Power Point History items?"},
        {hsMSFrontPageRecent, "Do you really want to delete ALL MS FrontPage History items?"},
        {hsMSPublisherRecent, "Do you really want to delete ALL MS Publisher History items?"},
    };
    for (const auto& c : cases) {
        const HistorySectionRow& row = HistorySectionRowOf(c.section);
        EXPECT_EQ(row.deleteAllQuestion, c.question);
        EXPECT_EQ(DeleteConfirmation(row, "C:\\x.doc"), "Do you really want to clear C:\\x.doc?");
        EXPECT_TRUE(row.takesMask);
        EXPECT_TRUE(row.list && row.deleteOne && row.deleteAll) << c.section;
    }
}

}  // namespace
