// The History page: the section catalogue, the effective mask and the action
// rules as tables; in process, the tree, listing through the dispatcher and
// the scan thread, the busy flag, masks, Delete and Delete All with decoys.
#include "formats/CommandLinePath.h"
#include "formats/Masks.h"
#include "history/HistoryActionRules.h"
#include "history/HistoryCatalogue.h"
#include "history/HistoryFunctions.h"
#include "history/HistorySectionIds.h"
#include "history/HistorySectionTable.h"
#include "history/ArchiverHistory.h"
#include "history/PlayerHistory.h"
#include "history/OfficeRecentLists.h"
#include "history/FirefoxHistory.h"
#include "history/WindowsHistory.h"
#include "platform/Clipboard.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/UrlCache.h"
#include "gui/HistoryPage.h"
#include "gui/MainWindow.h"
#include "ui/Worker.h"
#include "FakeOfficeAutomation.h"
#include "MozillaSeeds.h"
#include "FakeProtectedStorage.h"
#include "HistoryPageFixture.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace gui;

using namespace history;
using namespace testing_support;
using platform::dialogs::BoxKind;

namespace {

// ---- the catalogue, the mask and the rules ---------------------------------------

// A section's list heading, declared in its row beside its tree caption,
// differs from the caption for some sections (the tree itself:
// EngineHistoryTable).
TEST(HistoryCatalogue, HeadingsBesideTheirCaptions) {
    const struct {
        int id;
        const char* caption;
        const char* heading;
    } spots[] = {
        {hsHistory, "History", ""},
        {hsIETypedUrls, "Typed URL's", "Internet Explorer Typed URL's"},
        {hsIECookies, "Cookies", "Internet Explorer Cookies"},
        {hsAutoCompletePasswords, "Auto Complete Passwords", ""},
        {hsMozillaVisitedPages, "Visited Pages", "Mozilla Visited Pages"},
        {hsOpenSaveHistory, "Windows Open/Save History", "Common Open/Save Dialogs Recent File List"},
        {hsSendTo, "Send-to Extensions", "Windows Send-To Extensions"},
        {hsDownloadedInstallations, "Download Installation Folder", "Downloaded Installation Files"},
        {hsQuickTime, "QuickTime Player Recent File List", "QuickTime Recent File List"},
        {hsPaintShopPro, "Jasc PaintShop Pro Recent File List", "Jasc Paint Shop Pro Recent File List"},
        {hsExtensions, "Extensions", ""},
        {hsOtherPlugins, "Other Plug-in's", "Internet Explorer Other Plugins"},
    };
    for (const auto& spot : spots) {
        EXPECT_EQ(HistorySectionRowOf(spot.id).caption, spot.caption) << spot.id;
        EXPECT_EQ(HistorySectionRowOf(spot.id).heading, spot.heading) << spot.id;
    }
    for (int id : {hsIndexDat, hsClipboard, hsRecycleBin, hsToolbars, hsButtons, hsOtherPlugins, hsHistory, hsWindows})
        EXPECT_FALSE(HistorySectionRowOf(id).takesMask) << id;
    for (int id :
         {hsIEVisitedPages, hsIETypedUrls, hsMozillaVisitedPages, hsRunHistory, hsTemporaryFolder, hsPaintShopPro})
        EXPECT_TRUE(HistorySectionRowOf(id).takesMask) << id;
}

TEST(HistoryCatalogue, EffectiveMask) {
    struct Case {
        bool use;
        const char* text;
        bool whole;
        const char* mask;
    };
    const Case cases[] = {
        {false, "abc", false, "*"},     {false, "abc", true, "*"},      {true, "", false, "*"},
        {true, "", true, "*"},          {true, "abc", false, "*abc*"},  {true, "abc", true, "abc"},
        {true, "*abc", false, "*abc*"}, {true, "abc*", false, "*abc*"}, {true, "*", false, "*"},
        {true, "a?c", true, "a?c"},     {true, "[a", false, "*[a*"},    {true, "**", false, "**"},
    };
    for (const Case& c : cases) EXPECT_EQ(EffectiveMask(c.use, c.text, c.whole), c.mask) << c.text;
}

TEST(HistoryCatalogue, ActionRules) {
    using M = MaskControlsRule;
    struct Case {
        HistoryListFacts facts;
        HistoryActionStates states;  // Delete, Delete All, Update, Report, mask controls
    };
    const Case cases[] = {
        {{hsHistory, 0, false}, {false, false, false, false, M::Disabled}},
        {{hsExtensionsIE, 3, true}, {false, false, false, true, M::Disabled}},
        {{-1, 0, false}, {false, false, false, false, M::Unchanged}},
        {{hsRunHistory, 0, false}, {false, false, true, false, M::Enabled}},
        {{hsRunHistory, 4, false}, {false, true, true, true, M::Enabled}},
        {{hsRunHistory, 4, true}, {true, true, true, true, M::Enabled}},
        {{hsIEVisitedPages, 1, true}, {true, true, true, true, M::Enabled}},
        {{hsMozillaVisitedPages, 5, true}, {false, true, true, true, M::Enabled}},
        {{hsClipboard, 3, true, false}, {false, false, true, true, M::Disabled}},
        {{hsClipboard, 3, false, true}, {true, false, true, true, M::Disabled}},
        {{hsToolbars, 2, true, false, false}, {false, false, true, true, M::Unchanged}},
        {{hsToolbars, 2, true, false, true}, {true, false, true, true, M::Unchanged}},
        {{hsToolbars, 2, false, false, true}, {false, false, true, true, M::Unchanged}},
        {{hsButtons, 2, false}, {false, true, true, true, M::Unchanged}},
        {{hsOtherPlugins, 2, true}, {true, true, true, true, M::Unchanged}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HistoryActionRules(c.facts), c.states)
            << "section " << c.facts.section << " items " << c.facts.itemCount << " selected " << c.facts.itemSelected;
}

TEST(HistoryCatalogue, DeleteTexts) {
    const auto deleteAllQuestion = [](int id) { return HistorySectionRowOf(id).deleteAllQuestion; };
    EXPECT_EQ(deleteAllQuestion(hsIEVisitedPages), "Do you really want to clear ALL visited pages?");
    EXPECT_EQ(deleteAllQuestion(hsTemporaryFolder), deleteAllQuestion(hsIETemporaryFiles));
    EXPECT_EQ(deleteAllQuestion(hsRunHistory), "Do you really want to delete ALL Run History items?");
    EXPECT_EQ(deleteAllQuestion(hsPaintShopPro), "Do you really want to delete ALL Jasc Paint Shop Pro History items?");
    for (int silent : {hsHistory, hsMozillaVisitedPages, hsClipboard, hsToolbars, hsButtons, hsOtherPlugins})
        EXPECT_EQ(deleteAllQuestion(silent), "") << silent;
    EXPECT_EQ(DeleteConfirmation(HistorySectionRowOf(hsRunHistory), "C:\\a b"), "Do you really want to clear C:\\a b?");
    EXPECT_EQ(DeleteConfirmation(HistorySectionRowOf(hsClipboard), "x"), "Do you really want to clear Clipboard?");
    EXPECT_EQ(
        DeleteConfirmation(HistorySectionRowOf(hsQuickTime), ""),
        "You can clear only ALL QuickTime Recent File List.\r\nDo you want to delete ALL QuickTime History items?");
    EXPECT_TRUE(HistorySectionRowOf(hsRecycleBin).deleteNeedsNoItem);
    EXPECT_FALSE(HistorySectionRowOf(hsTemporaryFolder).deleteNeedsNoItem);
    EXPECT_EQ(DeleteAllFailureText(5, "Access denied."), "Can't clear some item's. \r\nAccess denied.");
    EXPECT_EQ(DeleteAllFailureText(2, "Not found."), "Can't clear some item's. \r\nNot found.");
    EXPECT_EQ(DeleteAllFailureText(5000, "x"), "Can't clear some item's. \r\nError code: 5000");
    EXPECT_EQ(DeleteAllFailureText(32, "x"), "Can't clear some item's. \r\nError code: 32");
    EXPECT_EQ(DeleteFailureText(2, "t", "sys"), "Can't clear item: t");
    EXPECT_EQ(DeleteFailureText(5000, "t", "sys"), "Can't clear item: t");
    EXPECT_EQ(DeleteFailureText(5, "t", "sys"), "sys");
    EXPECT_EQ(DeleteFailureText(12345, "t", ""), "Error code: 12345");  // no system text for it
}

// ---- the page --------------------------------------------------------------------------


std::string ColumnCaption(HWND list, int column) {
    char text[128] = {};
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = sizeof(text);
    SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
    return text;
}

std::string MaskErrorText(const std::string& mask) {
    try {
        Mask compiled(mask);
    } catch (const MaskError& error) {
        return error.what();
    }
    return {};
}

// Puts a registry text back as it was (or removes it) on scope exit.
class ScopedRegText {
public:
    ScopedRegText(HKEY root, std::string path, std::string name)
        : root_(root),
          path_(std::move(path)),
          name_(std::move(name)),
          existed_(RegValueExists(root_, path_, name_)),
          text_(existed_ ? RegString(root_, path_, name_) : "") {}
    ~ScopedRegText() {
        if (existed_)
            SetRegString(root_, path_, name_, text_);
        else
            ScopedRegValue remove(root_, path_, name_);
    }

private:
    HKEY root_;
    std::string path_, name_;
    bool existed_;
    std::string text_;
};

// A key the test may create: removed at the end unless it was there before.
void RemoveKeyIfNew(ScopedRegKeys& keys, const std::string& path) {
    if (!RegKeyExists(HKEY_CURRENT_USER, path)) keys.Add(HKEY_CURRENT_USER, path);
}

// A folder removed with its contents on scope exit.
struct RemovedFolder {
    std::string path;
    ~RemovedFolder() { RemoveFolderTree(path); }
};

TEST_F(HistoryPageTest, ShowingThePageExpandsHistorySelectsItAndLeavesExtensions) {
    // The tree holds the rows' nodes in their order, each under its parent.
    const std::vector<HTREEITEM> items = Page().tvHsSections.Items();
    const std::vector<HistorySectionRow>& rows = HistorySectionRows();
    ASSERT_EQ(items.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const HistorySectionRow& row = rows[i];
        EXPECT_EQ(Page().tvHsSections.Data(items[i]), row.id);
        EXPECT_EQ(Page().tvHsSections.Caption(items[i]), row.caption);
        EXPECT_EQ(Page().tvHsSections.Image(items[i]), row.picture);
        const HTREEITEM parent = TreeView_GetParent(Page().tvHsSections.Handle(), items[i]);
        EXPECT_EQ(parent ? Page().tvHsSections.Data(parent) : kTreeRoot, row.parent) << row.id;
        const bool expanded =
            TreeView_GetItemState(Page().tvHsSections.Handle(), items[i], TVIS_EXPANDED) & TVIS_EXPANDED;
        if (row.group) {
            EXPECT_EQ(expanded, row.id != hsExtensions && row.id != hsExtensionsIE) << row.id;
        }
    }
    EXPECT_EQ(ImageList_GetImageCount(TreeView_GetImageList(Page().tvHsSections.Handle(), TVSIL_NORMAL)), 56);
    EXPECT_EQ(Page().SelectedHsSection(), hsHistory);
    EXPECT_EQ(GetFocus(), Page().tvHsSections.Handle());
    EXPECT_EQ(Page().lvHsValues.Count(), 0);
    EXPECT_FALSE(Page().Hourglass());
}

TEST_F(HistoryPageTest, GroupNodesListNothingAndDisableTheCommands) {
    ScopedRegKeys keys;
    RemoveKeyIfNew(keys, kRunMruKey);
    ScopedRegValue value(HKEY_CURRENT_USER, kRunMruKey, "orvhs-g");
    SetRegString(HKEY_CURRENT_USER, kRunMruKey, "orvhs-g", "orvhs group check");
    List(hsRunHistory);
    EXPECT_TRUE(Enabled(aHsUpdate));
    EXPECT_TRUE(Enabled(aHsDeleteAll));
    for (int group : {hsWindows, hsExtensions, hsInternetExplorer}) {
        List(group);
        EXPECT_EQ(Page().lvHsValues.Count(), 0) << group;
        for (int action : {aHsDelete, aHsDeleteAll, aHsUpdate, aReport}) EXPECT_FALSE(Enabled(action)) << group;
        EXPECT_FALSE(IsWindowEnabled(Page().cbUseMask)) << group;
    }
}

TEST_F(HistoryPageTest, RunHistoryWithAndWithoutMasksAndTheColumn) {
    ScopedRegKeys keys;
    RemoveKeyIfNew(keys, kRunMruKey);
    ScopedRegValue a(HKEY_CURRENT_USER, kRunMruKey, "orvhs-a"), b(HKEY_CURRENT_USER, kRunMruKey, "orvhs-b"),
        c(HKEY_CURRENT_USER, kRunMruKey, "orvhs-c");
    SetRegString(HKEY_CURRENT_USER, kRunMruKey, "orvhs-a", "notepad orvhs-alpha\\1");
    SetRegString(HKEY_CURRENT_USER, kRunMruKey, "orvhs-b", "calc orvhs-beta\\1");
    SetRegString(HKEY_CURRENT_USER, kRunMruKey, "orvhs-c", "   ");  // blank: never shown
    List(hsRunHistory);
    EXPECT_EQ(RowsWith("orvhs-"), (std::vector<std::string>{"notepad orvhs-alpha\\1", "calc orvhs-beta\\1"}));
    for (const std::string& row : Rows()) EXPECT_FALSE(TrimBlanks(row).empty());
    EXPECT_EQ(ColumnCaption(Page().lvHsValues.Handle(), 0), "Run History");
    EXPECT_EQ(Page().lvHsValues.ColumnCount(), 1);
    RECT client{};
    GetClientRect(Page().lvHsValues.Handle(), &client);
    EXPECT_EQ(Page().lvHsValues.ColumnWidth(0), client.right);
    // Ticking "Use Mask:" only refreshes; Update lists with the mask.
    SetMask(false, "ORVHS-ALPHA", false);
    SendMessageA(Page().cbUseMask, BM_CLICK, 0, 0);
    EXPECT_EQ(RowsWith("orvhs-").size(), 2u);
    EXPECT_TRUE(IsWindowEnabled(Page().edtMask));
    EXPECT_TRUE(Main().ExecuteShortcut(VK_F5, 0));
    ASSERT_TRUE(PumpUntil([this] { return !Page().Busy(); }));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"notepad orvhs-alpha\\1"}));
    // Whole Word: the text must be the whole trace (wildcards still apply).
    SetMask(true, "notepad orvhs-alpha", true);
    List(hsRunHistory);
    EXPECT_TRUE(Rows().empty());
    SetMask(true, "calc orvhs-*\\1", true);
    List(hsRunHistory);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"calc orvhs-beta\\1"}));
    SetMask(true, "", true);  // an empty field lists everything
    List(hsRunHistory);
    EXPECT_EQ(RowsWith("orvhs-").size(), 2u);
}

TEST_F(HistoryPageTest, AnInvalidMaskIsToldAndThePageReturnsToIdle) {
    SetMask(true, "[a", true);
    for (int section : {hsRunHistory, hsIEVisitedPages, hsTemporaryFolder}) {
        RecordedBoxes boxes({IDCANCEL});
        List(section);
        ASSERT_EQ(boxes.Shown().size(), 1u) << section;
        EXPECT_EQ(boxes.Shown()[0].text, MaskErrorText("[a"));
        EXPECT_EQ(boxes.Shown()[0].kind, BoxKind::ErrorCancel);
        EXPECT_FALSE(Page().Busy());
        EXPECT_FALSE(Page().Hourglass());
        EXPECT_EQ(Page().lvHsValues.Count(), 0);
        EXPECT_TRUE(Enabled(aHsUpdate));
    }
    // Sections that take no mask list as usual.
    List(hsRecycleBin);
    EXPECT_EQ(Page().lvHsValues.Count(), 1);
}

// A mask made invalid after the listing: Delete All asks, tells, and
// removes nothing; the list keeps its rows.
TEST_F(HistoryPageTest, DeleteAllWithAMaskMadeInvalidSinceTheListingRemovesNothing) {
    const std::string folder = TemporaryFolder() + "\\OrvHsBadMask";
    RemovedFolder removed{folder};
    ScopedFile one(folder + "\\one.txt", "1"), two(folder + "\\two.txt", "2");
    SetMask(true, "OrvHsBadMask", false);
    List(hsTemporaryFolder);
    ASSERT_EQ(RowsWith("OrvHsBadMask").size(), 2u);
    SetMask(true, "[a", true);
    RecordedBoxes boxes({IDYES, IDCANCEL});
    Run(aHsDeleteAll);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text, MaskErrorText("[a"));
    EXPECT_TRUE(platform::files::FileExists(one.Path()));
    EXPECT_TRUE(platform::files::FileExists(two.Path()));
    EXPECT_EQ(RowsWith("OrvHsBadMask").size(), 2u);
    EXPECT_FALSE(Page().Busy());
}

// A typed URL that is not a string stops the listing: the rows found before
// it are in the list when the error is shown, and the page returns to idle.
// A typed URL of another type among the strings: the worker lists the
// strings on both sides, Delete All takes them and leaves it, and no box
// but the question comes up (an unscripted box fails the test).
TEST_F(HistoryPageTest, TypedUrlsPassOverAValueOfAnotherTypeWithoutABox) {
    const std::string typedKey = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
    ScopedRegKeys keys;
    RemoveKeyIfNew(keys, typedKey);
    ScopedRegValue first(HKEY_CURRENT_USER, typedKey, "orvhs-url1");
    ScopedRegValue odd(HKEY_CURRENT_USER, typedKey, "orvhs-url2");
    ScopedRegValue last(HKEY_CURRENT_USER, typedKey, "orvhs-url3");
    SetRegString(HKEY_CURRENT_USER, typedKey, "orvhs-url1", "http://orvhs-typed.example/1");
    SetRegDword(HKEY_CURRENT_USER, typedKey, "orvhs-url2", 7);
    SetRegString(HKEY_CURRENT_USER, typedKey, "orvhs-url3", "http://orvhs-typed.example/3");
    List(hsIETypedUrls);
    EXPECT_EQ(RowsWith("orvhs-typed").size(), 2u);
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear ALL typed URL's?");
    }
    EXPECT_TRUE(RowsWith("orvhs-typed").empty());
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, typedKey, "orvhs-url1"));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, typedKey, "orvhs-url3"));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, typedKey, "orvhs-url2"));
}

TEST_F(HistoryPageTest, BusyDropsRequestsWhileTheCacheIsRead) {
    ScopedRegKeys keys;
    RemoveKeyIfNew(keys, kRunMruKey);
    ScopedCacheEntries cache;
    cache.Add("Visited: orvhs@http://orvhs-busy.example/one");
    ScopedRegValue run(HKEY_CURRENT_USER, kRunMruKey, "orvhs-busy");
    SetRegString(HKEY_CURRENT_USER, kRunMruKey, "orvhs-busy", "orvhs-busy run");
    Page().SelectHsSection(hsIEVisitedPages);
    // The scan thread ends on this thread's messages: until they are served the page is busy.
    ASSERT_TRUE(Page().Busy());
    EXPECT_TRUE(Page().Hourglass());
    Page().SelectHsSection(hsRunHistory);
    Main().ExecuteAction(aHsUpdate);
    EXPECT_EQ(Page().SelectedHsSection(), hsRunHistory);
    ASSERT_TRUE(PumpUntil([this] { return !Page().Busy(); }));
    EXPECT_EQ(ColumnCaption(Page().lvHsValues.Handle(), 0), "Internet Explorer Visited Pages");
    EXPECT_EQ(RowsWith("orvhs-busy"), (std::vector<std::string>{"orvhs@http://orvhs-busy.example/one"}));
    EXPECT_FALSE(Page().Hourglass());
    // The rows are the visited pages while the tree shows Run History: no
    // removal of Run History may run on them.
    Main().RefreshView();
    EXPECT_FALSE(Main().Actions().Enabled(aHsDeleteAll));
    EXPECT_FALSE(Main().Actions().Enabled(aHsDelete));
    Main().Actions().SetEnabled(aHsDeleteAll, true);
    Page().aHsDeleteAllExecute();  // unscripted boxes fail the test: nothing may be asked
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kRunMruKey, "orvhs-busy"), "orvhs-busy run");
    // Idle again: the next request lists.
    List(hsRunHistory);
    EXPECT_EQ(RowsWith("orvhs-busy"), (std::vector<std::string>{"orvhs-busy run"}));
}

TEST_F(HistoryPageTest, AWindowClosedWhileTheCacheIsReadLeavesTheWorkerToEnd) {
    Page().SelectHsSection(hsIEVisitedPages);
    ASSERT_TRUE(Page().Busy());
    window_.reset();  // the page abandons its worker, which frees itself
    EXPECT_TRUE(ui::WorkerThread::WaitForAll(20000));
    EXPECT_EQ(ui::WorkerThread::LiveCount(), 0);
}

TEST_F(HistoryPageTest, CacheSectionsListThroughTheWorkerAndDelete) {
    ScopedCacheEntries cache;
    cache.Add("Visited: orvhs@http://orvhs-cache.example/drop1");
    cache.Add("Visited: orvhs@http://orvhs-cache.example/drop2");
    cache.Add("Visited: orvhs@http://orvhs-cache.example/keep");
    cache.Add("Cookie:orvhs@orvhs-cache.example/");  // as real cookies are stored
    cache.Add("http://orvhs-cache.example/style.css", true);
    List(hsIEVisitedPages);
    EXPECT_EQ(RowsWith("orvhs-cache"), (std::vector<std::string>{"orvhs@http://orvhs-cache.example/drop1",
                                                                 "orvhs@http://orvhs-cache.example/drop2",
                                                                 "orvhs@http://orvhs-cache.example/keep"}));
    List(hsIECookies);
    EXPECT_EQ(RowsWith("orvhs-cache"), (std::vector<std::string>{"orvhs@orvhs-cache.example/"}));
    EXPECT_EQ(ColumnCaption(Page().lvHsValues.Handle(), 0), "Internet Explorer Cookies");
    List(hsIETemporaryFiles);
    EXPECT_EQ(RowsWith("orvhs-cache"), (std::vector<std::string>{"http://orvhs-cache.example/style.css"}));

    // Delete of one cookie: asked about the item, gone after the re-listing.
    List(hsIECookies);
    SelectRow("orvhs@orvhs-cache.example/");
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDelete);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear orvhs@orvhs-cache.example/?");
        EXPECT_EQ(boxes.Shown()[0].kind, BoxKind::Confirm);
    }
    EXPECT_TRUE(RowsWith("orvhs-cache").empty());

    // Delete All of visited pages by mask: the decoy stays.
    SetMask(true, "drop", false);
    List(hsIEVisitedPages);
    EXPECT_EQ(RowsWith("orvhs-cache").size(), 2u);
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear ALL visited pages?");
    }
    SetMask(false, "", false);
    List(hsIEVisitedPages);
    EXPECT_EQ(RowsWith("orvhs-cache"), (std::vector<std::string>{"orvhs@http://orvhs-cache.example/keep"}));

    // An entry gone behind the page's back: Delete names it and does not re-list.
    platform::urlcache::DeleteEntry("Visited: orvhs@http://orvhs-cache.example/keep");
    SelectRow("orvhs@http://orvhs-cache.example/keep");
    RecordedBoxes boxes({IDYES, IDCANCEL});
    Run(aHsDelete);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text, "Can't clear item: orvhs@http://orvhs-cache.example/keep");
    EXPECT_EQ(boxes.Shown()[1].kind, BoxKind::ErrorCancel);
    EXPECT_FALSE(Page().Busy());
    EXPECT_EQ(RowsWith("orvhs-cache").size(), 1u);
}

// Each row keeps the entry name it was listed from, whatever the sort did to
// the list; ListedRows and RowAt read the rows, not the list's text, and
// Delete finds the row's own entry by that name.
TEST_F(HistoryPageTest, CacheRowsKeepTheirEntryNameThroughTheSortAndDeleteByIt) {
    ScopedCacheEntries cache{"Visited: orvhs@http://orvhs-rows.example/b", "Visited: orvhs@http://orvhs-rows.example/a",
                             "Visited: orvhs@http://orvhs-rows.example/c", "Cookie:orvhs@orvhs-twin.example/",
                             "Cookie: orvhs@orvhs-twin.example/"};
    List(hsIEVisitedPages);
    Main().SortListByColumn(Page().lvHsValues.Handle(), 0);
    const std::vector<HistoryRow> listed = Page().ListedRows();
    ASSERT_EQ(static_cast<int>(listed.size()), Page().lvHsValues.Count());
    std::vector<std::string> ours;
    for (int index = 0; index < Page().lvHsValues.Count(); ++index) {
        const HistoryRow row = Page().RowAt(index);
        EXPECT_EQ(row.caption, Page().lvHsValues.Text(index, 0)) << index;
        EXPECT_EQ(listed[index].caption, row.caption) << index;
        EXPECT_EQ(listed[index].source, row.source) << index;
        if (row.caption.find("orvhs-rows") == std::string::npos) continue;
        EXPECT_EQ(row.source, "Visited: " + row.caption);
        ours.push_back(row.caption);
    }
    // The first click on a column sorts it descending.
    EXPECT_EQ(ours, (std::vector<std::string>{"orvhs@http://orvhs-rows.example/c", "orvhs@http://orvhs-rows.example/b",
                                              "orvhs@http://orvhs-rows.example/a"}));
    EXPECT_EQ(Page().RowAt(Page().lvHsValues.Count()).caption, "");  // past the end: an empty row

    // The sorted list's row "b" deletes entry "b".
    SelectRow("orvhs@http://orvhs-rows.example/b");
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDelete);
    }
    EXPECT_EQ(RowsWith("orvhs-rows"),
              (std::vector<std::string>{"orvhs@http://orvhs-rows.example/c", "orvhs@http://orvhs-rows.example/a"}));

    // Two cookies show "orvhs@orvhs-twin.example/": the row's own entry
    // goes, the one stored with a blank after the prefix is another and stays.
    List(hsIECookies);
    ASSERT_EQ(RowsWith("orvhs-twin").size(), 2u);
    int own = -1;
    for (int index = 0; index < Page().lvHsValues.Count(); ++index)
        if (Page().RowAt(index).source == "Cookie:orvhs@orvhs-twin.example/") own = index;
    ASSERT_GE(own, 0);
    Page().lvHsValues.Select(own);
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDelete);
    }
    ASSERT_EQ(RowsWith("orvhs-twin"), std::vector<std::string>{"orvhs@orvhs-twin.example/"});
    EXPECT_EQ(Page().RowAt(RowOf(Page().lvHsValues, "orvhs@orvhs-twin.example/")).source,
              "Cookie: orvhs@orvhs-twin.example/");
}

TEST_F(HistoryPageTest, RunHistoryDeleteAndDeleteAllKeepDecoys) {
    ScopedRegKeys keys;
    RemoveKeyIfNew(keys, kRunMruKey);
    ScopedRegText order(HKEY_CURRENT_USER, kRunMruKey, kMruListValue);
    ScopedRegValue a(HKEY_CURRENT_USER, kRunMruKey, "orvhs-d1"), b(HKEY_CURRENT_USER, kRunMruKey, "orvhs-d2"),
        c(HKEY_CURRENT_USER, kRunMruKey, "orvhs-d3"), d(HKEY_CURRENT_USER, kRunMruKey, "orvhs-d4");
    SetRegString(HKEY_CURRENT_USER, kRunMruKey, "orvhs-d1", "orvhs-drop one");
    SetRegString(HKEY_CURRENT_USER, kRunMruKey, "orvhs-d2", "orvhs-drop two");
    SetRegString(HKEY_CURRENT_USER, kRunMruKey, "orvhs-d3", "orvhs-keep");
    SetRegString(HKEY_CURRENT_USER, kRunMruKey, "orvhs-d4", "ORVHS-KEEP");
    SetRegString(HKEY_CURRENT_USER, kRunMruKey, kMruListValue, "abcd");
    List(hsRunHistory);
    // No: nothing goes.
    SelectRow("orvhs-keep");
    {
        RecordedBoxes boxes({IDNO});
        Run(aHsDelete);
        EXPECT_EQ(boxes.Shown().size(), 1u);
    }
    EXPECT_EQ(RowsWith("orvhs-").size(), 4u);
    EXPECT_EQ(RowsWith("orvhs-keep").size(), 2u);
    // Yes: the first value equal to the text, case ignored, goes; the order value stays.
    SelectRow("orvhs-keep");
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDelete);
        EXPECT_EQ(boxes.Shown().size(), 1u);
    }
    EXPECT_EQ(RowsWith("orvhs-").size(), 3u);
    EXPECT_NE(RegValueExists(HKEY_CURRENT_USER, kRunMruKey, "orvhs-d3"),
              RegValueExists(HKEY_CURRENT_USER, kRunMruKey, "orvhs-d4"));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kRunMruKey, kMruListValue), "abcd");
    // Delete All by mask: the matched values go, the decoy stays, the order value is emptied.
    SetMask(true, "orvhs-drop", false);
    List(hsRunHistory);
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to delete ALL Run History items?");
    }
    EXPECT_FALSE(Page().Hourglass());
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kRunMruKey, "orvhs-d1"));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kRunMruKey, "orvhs-d2"));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kRunMruKey, kMruListValue), "");
    SetMask(false, "", false);
    List(hsRunHistory);
    EXPECT_EQ(RowsWith("orvhs-").size(), 1u);
}

TEST_F(HistoryPageTest, PaintListsByMaskAndDeletes) {
    ScopedRegKeys keys;
    RemoveKeyIfNew(keys, kPaintRecentKey);
    ScopedRegValue a(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File1"),
        b(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File2"), c(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File3");
    const std::string other =
        "C:\\orvhs-paint\\\xC3\xBC"
        "ber-\xCF\x83\xE6\xB5\xB7.png";  // "über-σ海.png"
    SetRegString(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File1", "C:\\orvhs-paint\\sky.bmp");
    SetRegString(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File2", "C:\\orvhs-paint\\sea.png");
    SetRegString(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File3", other);
    List(hsPaintRecent);
    EXPECT_EQ(ColumnCaption(Page().lvHsValues.Handle(), 0), "Microsoft Paint Recent File List");
    EXPECT_EQ(RowsWith("orvhs-paint").size(), 3u);
    // A name in any script is shown and deleted as it is stored.
    SelectRow(other);
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDelete);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear " + other + "?");
    }
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File3"));
    EXPECT_EQ(RowsWith("orvhs-paint").size(), 2u);
    SetMask(true, "*.BMP", true);
    List(hsPaintRecent);
    EXPECT_EQ(RowsWith("orvhs-paint"), (std::vector<std::string>{"C:\\orvhs-paint\\sky.bmp"}));
    RecordedBoxes boxes({IDYES});
    Run(aHsDeleteAll);
    EXPECT_EQ(boxes.Shown().at(0).text, "Do you really want to delete ALL Windows Paint History items?");
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File1"));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File2"));
}

// After a Delete, once the section is listed again, the row that took the
// deleted one's place (the new last row when the last went) is selected and
// focused.
TEST_F(HistoryPageTest, DeleteLeavesTheKeyboardOnTheRowThatTookItsPlace) {
    ScopedRegKeys keys;
    RemoveKeyIfNew(keys, kPaintRecentKey);
    ScopedRegValue a(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File1"),
        b(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File2"), c(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File3");
    SetRegString(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File1", "C:\\orvhs-place\\one.bmp");
    SetRegString(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File2", "C:\\orvhs-place\\two.bmp");
    SetRegString(HKEY_CURRENT_USER, kPaintRecentKey, "OrvHs File3", "C:\\orvhs-place\\three.bmp");
    List(hsPaintRecent);
    ui::ListView list = Page().lvHsValues;
    for (const bool last : {false, true}) {
        SCOPED_TRACE(last ? "the last row" : "a middle row");
        const std::vector<std::string> before = Rows();
        ASSERT_GE(before.size(), 2u);
        const int row = static_cast<int>(before.size()) - (last ? 1 : 2);
        list.Select(row);
        RecordedBoxes boxes({IDYES});
        Run(aHsDelete);
        const int place = last ? row - 1 : row;
        EXPECT_EQ(list.Selected(), place);
        EXPECT_EQ(ListView_GetNextItem(list.Handle(), -1, LVNI_FOCUSED), place);
        EXPECT_EQ(list.Text(place, 0), before[last ? row - 1 : row + 1]);
    }
}

TEST_F(HistoryPageTest, TemporaryFolderDeletesAndTheirFailureBoxes) {
    const std::string folder = TemporaryFolder() + "\\OrvHsPage";
    RemovedFolder removed{folder};
    ScopedFile alpha(folder + "\\alpha.txt", "a"), beta(folder + "\\sub\\beta.txt", "b"),
        locked(folder + "\\locked.txt", "l"), decoy(TemporaryFolder() + "\\orvhs-decoy.txt", "d");
    SetFileAttributesA(locked.Path().c_str(), FILE_ATTRIBUTE_READONLY);
    List(hsTemporaryFolder);
    EXPECT_GE(RowOf(Page().lvHsValues, decoy.Path()), 0);
    SetMask(true, "OrvHsPage", false);
    List(hsTemporaryFolder);
    EXPECT_EQ(RowsWith("OrvHsPage").size(), 3u);
    EXPECT_LT(RowOf(Page().lvHsValues, decoy.Path()), 0);
    const std::string accessDenied = platform::processes::SystemErrorText(ERROR_ACCESS_DENIED);
    // One read-only file: the system's text alone, and no re-listing.
    SelectRow(locked.Path());
    {
        RecordedBoxes boxes({IDYES, IDCANCEL});
        Run(aHsDelete);
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[1].text, accessDenied);
    }
    // A file gone meanwhile: named in the box.
    SelectRow(alpha.Path());
    DeleteFileA(alpha.Path().c_str());
    {
        RecordedBoxes boxes({IDYES, IDCANCEL});
        Run(aHsDelete);
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[1].text, "Can't clear item: " + alpha.Path());
    }
    // Delete All by mask: the other files go, the read-only one is reported after the re-listing.
    {
        RecordedBoxes boxes({IDYES, IDCANCEL});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear ALL temporary files?");
        EXPECT_EQ(boxes.Shown()[1].text, "Can't clear some item's. \r\n" + accessDenied);
        EXPECT_EQ(boxes.Shown()[1].kind, BoxKind::ErrorCancel);
    }
    EXPECT_EQ(RowsWith("OrvHsPage"), (std::vector<std::string>{locked.Path()}));
    EXPECT_FALSE(platform::files::FileExists(beta.Path()));
    EXPECT_TRUE(platform::files::DirectoryExists(folder + "\\sub"));
    EXPECT_TRUE(platform::files::FileExists(decoy.Path()));
}

// A file of the temporary folder that is a link to a file elsewhere: Delete
// All takes the others, leaves it and its target alone and says so.
TEST_F(HistoryPageTest, TemporaryFolderDeleteAllLeavesLinksToFilesElsewhereAlone) {
    const std::string folder = TemporaryFolder() + "\\OrvHsLinks";
    ScopedFolder elsewhere("history links elsewhere");
    RemovedFolder removed{folder};
    ScopedFile target(elsewhere.Path() + "\\target.txt", "kept"), plain(folder + "\\plain.txt", "p");
    const std::string link = folder + "\\link.txt";
    ScopedUnixLink made(link, target.Path());
    if (!made.Made()) GTEST_SKIP() << "no Unix links to be had (not under Wine)";
    SetMask(true, "OrvHsLinks", false);
    List(hsTemporaryFolder);
    ASSERT_EQ(RowsWith("OrvHsLinks").size(), 2u);
    {
        RecordedBoxes boxes({IDYES, IDOK});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[1].text,
                  "1 file was left alone: it lies outside the folder (it is a link to a file elsewhere).");
        EXPECT_EQ(boxes.Shown()[1].kind, BoxKind::Warning);
    }
    EXPECT_FALSE(platform::files::FileExists(plain.Path()));
    std::string kept;
    EXPECT_TRUE(platform::files::ReadFileBytes(target.Path(), kept));
    EXPECT_EQ(kept, "kept");
    EXPECT_EQ(RowsWith("OrvHsLinks"), (std::vector<std::string>{link}));
    // Delete of the link's row: the same, named.
    SelectRow(link);
    {
        RecordedBoxes boxes({IDYES, IDCANCEL});
        Run(aHsDelete);
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[1].text,
                  link + " was left alone: it lies outside the folder (it is a link to a file elsewhere).");
    }
    EXPECT_TRUE(platform::files::FileExists(target.Path()));
}

// Delete All of a large folder runs off the window thread: the command
// returns at once with the page busy and Stop shown; Stop ends it before
// the next file, and the section is listed again with what is left.
TEST_F(HistoryPageTest, DeleteAllRunsOnTheWorkerAndStops) {
    const std::string folder = TemporaryFolder() + "\\OrvHsMany";
    RemovedFolder removed{folder};
    constexpr int kFiles = 3000;
    ASSERT_TRUE(platform::files::CreateFolderPath(folder));
    for (int i = 0; i < kFiles; ++i)
        ASSERT_TRUE(platform::files::WriteFileBytes(folder + "\\" + std::to_string(i) + ".tmp", "x")) << i;
    SetMask(true, "OrvHsMany", false);
    List(hsTemporaryFolder);
    ASSERT_EQ(RowsWith("OrvHsMany").size(), static_cast<size_t>(kFiles));
    RecordedBoxes boxes({IDYES});
    Main().ExecuteAction(aHsDeleteAll);
    EXPECT_TRUE(Page().Busy());
    EXPECT_TRUE(IsWindowVisible(Page().btnHsStop));
    EXPECT_TRUE(IsWindowVisible(Page().lblHsProgress));
    EXPECT_FALSE(Enabled(aHsDelete) || Enabled(aHsDeleteAll));
    SendMessageA(Page().btnHsStop, BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([this] { return !Page().Busy(); }));
    EXPECT_EQ(boxes.Shown().size(), 1u);  // the question; a stop is not a failure
    EXPECT_FALSE(IsWindowVisible(Page().btnHsStop));
    EXPECT_FALSE(IsWindowVisible(Page().lblHsProgress));
    std::vector<std::string> left;
    ListAllFilesRecursive(folder, &left);
    EXPECT_GT(left.size(), 0u);
    EXPECT_EQ(RowsWith("OrvHsMany").size(), left.size());
    EXPECT_TRUE(Enabled(aHsDeleteAll));
}

TEST_F(HistoryPageTest, SendToDeleteAllWalksTheListedFiles) {
    const std::string folder = SendToFolder();
    ASSERT_FALSE(folder.empty());
    ScopedFile one(folder + "\\OrvHs One.lnk", "1"), two(folder + "\\OrvHs Two.lnk", "2"),
        other(folder + "\\OrvHs Other.lnk", "3");
    SetFileAttributesA(two.Path().c_str(), FILE_ATTRIBUTE_READONLY);
    SetMask(true, "OrvHs T", false);
    List(hsSendTo);
    SetMask(true, "OrvHs O", false);  // the mask at the time of Delete All plays no part here
    RecordedBoxes boxes({IDYES, IDCANCEL});
    Run(aHsDeleteAll);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to delete ALL Send-To Extensions?");
    EXPECT_EQ(boxes.Shown()[1].text, "Can't clear some item's. \r\nError code: 5000");
    EXPECT_TRUE(platform::files::FileExists(one.Path()));
    EXPECT_TRUE(platform::files::FileExists(two.Path()));
    EXPECT_TRUE(platform::files::FileExists(other.Path()));
    // Now "OrvHs One" and "OrvHs Other" are listed; the read-only file is not touched.
    ASSERT_EQ(RowsWith("OrvHs").size(), 2u);
    RecordedBoxes again({IDYES});
    Run(aHsDeleteAll);
    EXPECT_FALSE(platform::files::FileExists(one.Path()));
    EXPECT_FALSE(platform::files::FileExists(other.Path()));
    EXPECT_TRUE(platform::files::FileExists(two.Path()));
}

TEST_F(HistoryPageTest, ClipboardIsListedAndClearedWithoutASelectedRow) {
    ASSERT_TRUE(platform::clipboard::SetText("orvhs line one\r\n\r\norvhs line two"));
    List(hsClipboard);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Clipboard contains some text.", "Content:", "orvhs line one",
                                                "orvhs line two"}));
    EXPECT_FALSE(IsWindowEnabled(Page().cbUseMask));
    EXPECT_TRUE(Enabled(aHsDelete));
    EXPECT_FALSE(Enabled(aHsDeleteAll));
    RecordedBoxes boxes({IDYES});
    Run(aHsDelete);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear Clipboard?");
    EXPECT_EQ(Rows(), (std::vector<std::string>{kClipboardEmptyLine}));
    EXPECT_FALSE(Enabled(aHsDelete));
}

TEST_F(HistoryPageTest, ColumnsFollowTheSection) {
    const HWND list = Page().lvHsValues.Handle();
    RECT client{};
    List(hsAutoCompleteForms);
    GetClientRect(list, &client);
    ASSERT_EQ(Page().lvHsValues.ColumnCount(), 2);
    EXPECT_EQ(ColumnCaption(list, 0), "ID");
    EXPECT_EQ(ColumnCaption(list, 1), "Value");
    EXPECT_EQ(Page().lvHsValues.ColumnWidth(0), Main().Layout().Scale(150));
    EXPECT_EQ(Page().lvHsValues.ColumnWidth(0) + Page().lvHsValues.ColumnWidth(1), client.right);
    List(hsMozillaVisitedPages);
    ASSERT_EQ(Page().lvHsValues.ColumnCount(), 2);
    EXPECT_EQ(ColumnCaption(list, 0), "Mozilla Visited Pages");
    EXPECT_EQ(ColumnCaption(list, 1), "Count, Page Type");
    EXPECT_EQ(Page().lvHsValues.ColumnWidth(1), Main().Layout().Scale(115));
    List(hsRecycleBin);
    EXPECT_EQ(Page().lvHsValues.ColumnCount(), 1);
    EXPECT_EQ(ColumnCaption(list, 0), "Recycle Bin");
    // Delete empties the whole bin, whichever row is chosen; here the answer is No.
    Page().lvHsValues.Select(0);
    RecordedBoxes boxes({IDNO});
    Run(aHsDelete);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear Recycle Bin?");
}

TEST_F(HistoryPageTest, QuickTimeDeleteAsksAboutTheWholeListAndListsAgainOnNo) {
    ScopedRegKeys keys;
    RemoveKeyIfNew(keys, kQuickTimeRecentKey);
    ScopedRegValue a(HKEY_CURRENT_USER, kQuickTimeRecentKey, "OrvHs Movie1"),
        b(HKEY_CURRENT_USER, kQuickTimeRecentKey, "OrvHs Movie2");
    SetRegString(HKEY_CURRENT_USER, kQuickTimeRecentKey, "OrvHs Movie1", "C:\\orvhs-qt\\tram.mov");
    List(hsQuickTime);
    EXPECT_EQ(RowsWith("orvhs-qt").size(), 1u);
    // A movie that came after the listing is shown by the listing every answer brings.
    SetRegString(HKEY_CURRENT_USER, kQuickTimeRecentKey, "OrvHs Movie2", "C:\\orvhs-qt\\gulls.mov");
    const std::string question =
        "You can clear only ALL QuickTime Recent File List.\r\nDo you want to delete ALL QuickTime History items?";
    // The row chosen only enables the command; the question is about the whole list.
    SelectRow("C:\\orvhs-qt\\tram.mov");
    {
        RecordedBoxes boxes({IDNO});
        Run(aHsDelete);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, question);
    }
    EXPECT_EQ(RowsWith("orvhs-qt").size(), 2u);
    SelectRow("C:\\orvhs-qt\\gulls.mov");
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDelete);
        EXPECT_EQ(boxes.Shown().size(), 1u);
    }
    EXPECT_TRUE(RowsWith("orvhs-qt").empty());
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kQuickTimeRecentKey, "OrvHs Movie1"));
}

TEST_F(HistoryPageTest, WinZipDeleteAllClearsByItsOwnMaskNotThePages) {
    ScopedRegKeys keys;
    RemoveKeyIfNew(keys, kWinZipRecentKey);
    ScopedRegValue a(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu801"),
        b(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu802"), c(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu803");
    SetRegString(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu801", "C:\\orvhs-zip\\photos.zip");
    SetRegString(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu802", "C:\\orvhs-zip\\tools.zip");
    SetRegString(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu803", "C:\\orvhs-zip\\site");
    SetMask(true, "photos", false);
    List(hsWinZipRecent);
    EXPECT_EQ(RowsWith("orvhs-zip"), std::vector<std::string>{"C:\\orvhs-zip\\photos.zip"});
    // A mask that is none, typed since: Delete All does not use it and, once
    // told it takes every archive, clears; only the new listing after it,
    // which does use it, tells it.
    SetMask(true, "[a", true);
    {
        RecordedBoxes boxes({IDYES, IDYES, IDCANCEL});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 3u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to delete ALL WinZip History items?");
        EXPECT_EQ(boxes.Shown()[1].text,
                  "The mask shows 1 of 2 items, but WinZip Recent File List can only be cleared whole. Clear all 2?");
        EXPECT_EQ(boxes.Shown()[2].text, MaskErrorText("[a"));
    }
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu801"));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu802"));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu803"));  // no full stop
}

// ---- the MS Office sections --------------------------------------------------------

// Word through a stand-in server: listed on the worker, deleted one by one
// and by mask; every command starts the server and tells it to quit.
TEST_F(HistoryPageTest, WordListsDeletesAndQuitsItsServerEachTime) {
    using Texts = std::vector<std::string>;
    FakeOfficeServer server;
    server.entries = {{"C:\\orvhs-letters", "Invite.doc"},
                      {"C:\\orvhs-letters\\", "Draft 1.doc"},
                      {"D:\\orvhs-old", "Draft 2.doc"},
                      {"C:\\orvhs-letters", "Budget.doc"}};
    ScopedFakeOffice fake(server);
    List(hsMSWordRecent);
    EXPECT_EQ(ColumnCaption(Page().lvHsValues.Handle(), 0), "Microsoft Word Recent File List");
    EXPECT_EQ(Rows(), (Texts{"C:\\orvhs-letters\\Invite.doc", "C:\\orvhs-letters\\Draft 1.doc",
                             "D:\\orvhs-old\\Draft 2.doc", "C:\\orvhs-letters\\Budget.doc"}));
    SelectRow("C:\\orvhs-letters\\Budget.doc");
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDelete);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear C:\\orvhs-letters\\Budget.doc?");
    }
    EXPECT_EQ(server.Names(), (Texts{"Invite.doc", "Draft 1.doc", "Draft 2.doc"}));
    EXPECT_EQ(Rows().size(), 3u);
    SetMask(true, "draft", false);
    List(hsMSWordRecent);
    EXPECT_EQ(Rows(), (Texts{"C:\\orvhs-letters\\Draft 1.doc", "D:\\orvhs-old\\Draft 2.doc"}));
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to delete ALL MS Word History items?");
    }
    EXPECT_EQ(server.Names(), Texts{"Invite.doc"});
    EXPECT_TRUE(Rows().empty());
    EXPECT_GE(server.CallsOf("Quit"), 5);
    EXPECT_EQ(server.CallsOf("Quit"), server.CallsOf("Create Word.Application"));
    EXPECT_EQ(server.liveObjects, 0);
}

// A machine without Word or Excel: the sections list nothing, and no box.
TEST_F(HistoryPageTest, WordAndExcelWithoutTheirServerListNothingAndSayNothing) {
    FakeOfficeServer server;
    server.refuse = true;
    server.entries = {{"C:\\", "a.doc"}};
    ScopedFakeOffice fake(server);
    for (int section : {hsMSWordRecent, hsMSExcelRecent}) {
        RecordedBoxes boxes({IDYES});
        List(section);
        EXPECT_TRUE(Rows().empty()) << section;
        EXPECT_TRUE(boxes.Shown().empty()) << section;
        EXPECT_FALSE(Enabled(aHsDeleteAll)) << section;
        EXPECT_TRUE(Enabled(aHsUpdate)) << section;
    }
    EXPECT_EQ(server.calls, (std::vector<std::string>{"Create Word.Application", "Create Excel.Application"}));
}

// Access: the first Office version with Access, values MRU1 to MRU9; a
// removal leaves its number empty; other versions and numbers stay.
TEST_F(HistoryPageTest, AccessListsByMaskDeletesAndLeavesGaps) {
    // The test machine has no Office key of its own: one there is an earlier run's.
    DeleteRegTree(HKEY_CURRENT_USER, kOfficeKey);
    ScopedRegKeys keys;
    keys.Add(HKEY_CURRENT_USER, kOfficeKey);
    const std::string settings = std::string(kOfficeKey) + "\\11.0\\Access\\Settings";
    const std::string later = std::string(kOfficeKey) + "\\12.0\\Access\\Settings";
    SetRegString(HKEY_CURRENT_USER, settings, "MRU1", "C:\\orvhs-db\\Shop.mdb");
    SetRegString(HKEY_CURRENT_USER, settings, "MRU2", "C:\\orvhs-db\\Stock.mdb");
    SetRegString(HKEY_CURRENT_USER, settings, "MRU3", "C:\\orvhs-db\\notes.txt");
    SetRegString(HKEY_CURRENT_USER, settings, "MRU10", "C:\\orvhs-db\\Old.mdb");
    SetRegString(HKEY_CURRENT_USER, later, "MRU1", "C:\\orvhs-db\\Shop.mdb");
    List(hsMSAccessRecent);
    EXPECT_EQ(ColumnCaption(Page().lvHsValues.Handle(), 0), "Microsoft Access Recent File List");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"C:\\orvhs-db\\Shop.mdb", "C:\\orvhs-db\\Stock.mdb",
                                                "C:\\orvhs-db\\notes.txt"}));
    SelectRow("C:\\orvhs-db\\Stock.mdb");
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDelete);
        EXPECT_EQ(boxes.Shown().size(), 1u);
    }
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, settings, "MRU2"));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, settings, "MRU3"));
    EXPECT_EQ(Rows().size(), 2u);
    SetMask(true, "*.MDB", true);
    List(hsMSAccessRecent);
    EXPECT_EQ(Rows(), std::vector<std::string>{"C:\\orvhs-db\\Shop.mdb"});
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to delete ALL MS Access History items?");
    }
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, settings, "MRU1"));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, settings, "MRU3"));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, settings, "MRU10"));
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, later, "MRU1"));
}

// Firefox's visited pages: listed on the worker with the plain notice of a
// profile without its file; Delete All asks nothing, empties the list when
// the files went and is never followed by a listing; a file the browser
// holds gets the plain box, and only its profile's rows stay listed.
TEST_F(HistoryPageTest, FirefoxHistoryNoticesAndDeleteAll) {
    ScopedMozillaAppData appData("moz-page");
    appData.Profile("a");
    const std::string path = appData.WriteHistory(
        "b", MozillaHistoryText("(91=www.example.com)(94=news.example.org)",
                                {MozillaRow("1", "91", "92", "93", true), MozillaRow("2", "94", "92", "92"),
                                 MozillaRow("3", "91")}));
    const std::string other =
        appData.WriteHistory("c", MozillaHistoryText("(91=mail.example.net)", {MozillaRow("1", "91")}));
    ASSERT_EQ(MozillaProfileFolders().size(), 3u);
    const std::string decoy = appData.Profile("b") + "cookies.txt";
    ASSERT_TRUE(platform::files::WriteFileBytes(decoy, "keep"));
    const std::vector<std::string> listed = {"www.example.com", "news.example.org"};
    {
        RecordedBoxes boxes({IDOK});
        List(hsMozillaVisitedPages);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, kMozillaHistoryDeletedText);
        EXPECT_EQ(boxes.Shown()[0].kind, BoxKind::Plain);
    }
    EXPECT_EQ(RowsWith(".example.com").size() + RowsWith(".org").size() + RowsWith(".net").size(), 3u);
    const int www = RowOf(Page().lvHsValues, "www.example.com"), news = RowOf(Page().lvHsValues, "news.example.org");
    ASSERT_GE(www, 0);
    ASSERT_GE(news, 0);
    EXPECT_EQ(Page().lvHsValues.Text(www, 1), "2          [Hiden]");
    EXPECT_EQ(Page().lvHsValues.Text(news, 1), "1" + std::string(21, ' ') + "[Flash]");
    EXPECT_FALSE(Enabled(aHsDelete));
    EXPECT_TRUE(Enabled(aHsDeleteAll));
    {
        const platform::FileHandle held(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        RecordedBoxes boxes({IDOK});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, kMozillaCannotDeleteText);
        EXPECT_EQ(boxes.Shown()[0].kind, BoxKind::Plain);
    }
    // The held profile's rows stay; the cleared profile's went.
    std::vector<std::string> left = Rows();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"news.example.org", "www.example.com"}));
    EXPECT_TRUE(platform::files::FileExists(path));
    EXPECT_FALSE(platform::files::FileExists(other));
    {
        // A listing after it would tell of profiles "a" and "c" again.
        RecordedBoxes boxes({IDOK});
        Run(aHsDeleteAll);
        EXPECT_TRUE(boxes.Shown().empty());
    }
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(platform::files::FileExists(path));
    EXPECT_TRUE(platform::files::FileExists(decoy));
    EXPECT_FALSE(Enabled(aHsDeleteAll));
}

// A source cleared only whole: with a mask, Delete All first asks whether
// all of it may go (No the default), and a No leaves every entry.
TEST_F(HistoryPageTest, DeleteAllByMaskOfAListClearedWholeAsksFirst) {
    ScopedRegKeys keys;
    RemoveKeyIfNew(keys, "Software\\Nico Mak Computing");
    ScopedRegValue a(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu1"),
        b(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu2"), c(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu3");
    const auto seed = [] {
        SetRegString(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu1", "C:\\OrvHsZip\\one.zip");
        SetRegString(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu2", "C:\\OrvHsZip\\two.zip");
        SetRegString(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu3", "C:\\OrvHsZip\\three.zip");
    };
    seed();
    SetMask(true, "two", false);
    List(hsWinZipRecent);
    ASSERT_EQ(RowsWith("OrvHsZip").size(), 1u);
    const std::string question =
        "The mask shows 1 of 3 items, but WinZip Recent File List can only be cleared whole. Clear all 3?";
    {
        RecordedBoxes boxes({IDYES, IDNO});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[1].text, question);
        EXPECT_EQ(boxes.Shown()[1].kind, BoxKind::ConfirmDefaultNo);
    }
    for (const char* name : {"filemenu1", "filemenu2", "filemenu3"})
        EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, kWinZipRecentKey, name)) << name;
    {
        RecordedBoxes boxes({IDYES, IDYES});
        Run(aHsDeleteAll);
        EXPECT_EQ(boxes.Shown().size(), 2u);
    }
    for (const char* name : {"filemenu1", "filemenu2", "filemenu3"})
        EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kWinZipRecentKey, name)) << name;
    // Without a mask the section's own question is all.
    seed();
    SetMask(false, "", false);
    List(hsWinZipRecent);
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDeleteAll);
        EXPECT_EQ(boxes.Shown().size(), 1u);
    }
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, kWinZipRecentKey, "filemenu2"));
}

TEST_F(HistoryPageTest, AutoCompleteSectionsThroughTheProviderAndTheirFailureBoxes) {
    using fake_pstore::MakeId;
    using fake_pstore::WideStrings;
    auto service = std::make_shared<fake_pstore::Service>();
    fake_pstore::Subtype forms{MakeId(2), L"Internet Explorer", {}};
    forms.items = {{L"city:StringData", WideStrings({L"Berlin"})},
                   {L"city:StringIndex", {1, 0, 0, 0}},
                   {L"pin:StringData", WideStrings({L"1234"}), /*refuseDelete=*/true}};
    service->types.push_back({MakeId(1), L"Internet Explorer", {forms}});
    service->types.push_back({MakeId(3),
                              L"WininetCacheCredentials",
                              {{MakeId(4), L"WininetCacheCredentials", {{L"me@web", WideStrings({L"pw"})}}}}});
    fake_pstore::ScopedProvider provider(service);
    const auto namesLeft = [&](size_t type) {
        std::vector<std::string> names;
        for (const fake_pstore::Item& item : service->types[type].subtypes.at(0).items)
            names.emplace_back(item.name.begin(), item.name.end());
        return names;
    };

    List(hsAutoCompleteForms);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"city", "pin"}));
    EXPECT_EQ(ColumnCaption(Page().lvHsValues.Handle(), 0), "ID");
    EXPECT_EQ(ColumnCaption(Page().lvHsValues.Handle(), 1), "Value");
    EXPECT_EQ(Page().lvHsValues.Text(0, 1), "Berlin ");
    SelectRow("city");
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDelete);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear city?");
    }
    EXPECT_EQ(Rows(), std::vector<std::string>{"pin"});
    EXPECT_EQ(namesLeft(0), std::vector<std::string>{"pin:StringData"});
    SelectRow("pin");
    {
        RecordedBoxes boxes({IDYES, IDCANCEL});
        Run(aHsDelete);
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[1].text, "Can't clear item: pin");
        EXPECT_EQ(boxes.Shown()[1].kind, BoxKind::ErrorCancel);
    }
    // The store is cleared whole whatever the mask: with one, Delete All asks first.
    SetMask(true, "no such value", false);
    {
        RecordedBoxes boxes({IDYES, IDYES, IDCANCEL});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 3u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear ALL auto complete forms?");
        EXPECT_EQ(boxes.Shown()[1].text,
                  "The mask shows 1 of 1 items, but Auto Complete Forms can only be cleared whole. Clear all 1?");
        EXPECT_EQ(boxes.Shown()[2].text, "Can't clear some item's. \r\nError code: 5000");
        EXPECT_EQ(boxes.Shown()[2].kind, BoxKind::ErrorCancel);
    }
    SetMask(false, "", false);

    List(hsAutoCompletePasswords);
    EXPECT_EQ(Rows(), std::vector<std::string>{"me@web"});
    SetMask(true, "no such value", false);
    {
        RecordedBoxes boxes({IDYES, IDYES});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear ALL auto complete passwords?");
    }
    EXPECT_TRUE(namesLeft(1).empty());
    SetMask(false, "", false);

    List(hsIndexDat);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Internet Explorer", "WininetCacheCredentials"}));
    EXPECT_EQ(ColumnCaption(Page().lvHsValues.Handle(), 0), "Internet Explorer Index.dat File");
    {
        RecordedBoxes boxes({IDYES});
        Run(aHsDeleteAll);
        ASSERT_EQ(boxes.Shown().size(), 1u);  // emptying the types reports nothing
        EXPECT_EQ(boxes.Shown()[0].text, "Do you really want to clear index.dat?");
    }
    EXPECT_EQ(namesLeft(0), std::vector<std::string>{"pin:StringData"});
    EXPECT_TRUE(service->types[1].subtypes.empty());
    EXPECT_EQ(service->liveObjects.load(), 0);
    EXPECT_EQ(service->Outstanding(), 0u);
    EXPECT_EQ(service->badPrompts.load(), 0);
}

}  // namespace
