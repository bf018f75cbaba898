// Firefox's visited pages: profiles listed one row per host through the
// section's row, the notices of missing and unreadable files, and Delete All
// sparing everything but the history files.
#include "formats/Masks.h"
#include "history/HistorySectionTable.h"
#include "history/FirefoxHistory.h"
#include "platform/Files.h"
#include "platform/Handles.h"

#include "MozillaSeeds.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace history;
using namespace testing_support;
namespace files = platform::files;

namespace {

using Texts = std::vector<std::string>;

const std::string kNotHidden(11, ' ');
const std::string kEntries = "(90=http://www.example.com/)(91=www.example.com)(92=1161234567000000)"
                             "(93=1161234999000000)(94=news.example.org)";

const HistorySectionRow& Row() { return HistorySectionRowOf(hsMozillaVisitedPages); }

// "caption|second column" of every row the section lists, and the notices.
struct Listing {
    Texts rows, notices;
};
Listing ListSection(const std::string& mask = "*") {
    HistoryRowList list;
    Row().list(list, mask, {});
    Listing listing{{}, list.notices};
    for (const HistoryRow& row : list.rows) listing.rows.push_back(row.caption + "|" + row.subItems.at(0));
    return listing;
}

HistoryDeleteAllResult DeleteAll() {
    common::NoProgress progress;
    return Row().deleteAll({}, "*", progress, {});
}

// The file opened as the running browser holds it: nobody else may open it.
platform::FileHandle HoldExclusively(const std::string& path) {
    return platform::FileHandle(
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Each profile is grouped on its own; the mask is tested on the host name;
// only folders of exactly the directory attribute and not named "." count.
TEST(HistoryMozilla, ProfilesAreListedSeparatelyByMask) {
    ScopedMozillaAppData appData("moz-list");
    appData.WriteHistory("one.default", MozillaHistoryText(kEntries, {MozillaRow("1", "91", "92", "92", true),
                                                                       MozillaRow("2", "94"), MozillaRow("3", "91")}));
    appData.WriteHistory("two.work", MozillaHistoryText("(A1=www.example.com)(A2=mail.example.net)",
                                                        {MozillaRow("1", "A1"), "[2(^82^90)]", MozillaRow("3", "A2")}));
    // Decoys: a dot folder, a hidden folder and a plain file, each with a history file that must not be read.
    const std::string decoyText = MozillaHistoryText("(D1=decoy.example)", {MozillaRow("1", "D1")});
    appData.WriteHistory(".hidden", decoyText);
    const std::string hiddenFolder = appData.Profile("hiddenattr");
    files::WriteFileBytes(hiddenFolder + "history.dat", decoyText);
    SetFileAttributesA(hiddenFolder.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    // Where the file system keeps no such attribute, the folder would be a real profile.
    if (!(GetFileAttributesA(hiddenFolder.c_str()) & FILE_ATTRIBUTE_HIDDEN)) RemoveFolderTree(hiddenFolder);
    files::WriteFileBytes(appData.Profiles() + "profiles.ini", "[General]");

    const std::vector<std::string> folders = MozillaProfileFolders();
    ASSERT_EQ(folders.size(), 2u);
    const bool oneFirst = folders[0].find("one.default") != std::string::npos;
    const Texts one = {"www.example.com|2" + std::string(10, ' ') + "[Hiden][Flash]",
                       "news.example.org|1" + std::string(10, ' ') + kNotHidden};
    const Texts two = {"www.example.com|1" + std::string(10, ' ') + kNotHidden,
                       "mail.example.net|1" + std::string(10, ' ') + kNotHidden};
    Texts both = oneFirst ? one : two;
    both.insert(both.end(), (oneFirst ? two : one).begin(), (oneFirst ? two : one).end());

    const struct {
        const char* mask;
        Texts rows;
    } cases[] = {
        {"*", both},
        {"*example.com*", {oneFirst ? one[0] : two[0], oneFirst ? two[0] : one[0]}},
        {"mail.example.net", {two[1]}},
        {"mail.example", {}},
        {"*decoy*", {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.mask);
        const Listing listing = ListSection(test.mask);
        EXPECT_EQ(listing.rows, test.rows);
        EXPECT_TRUE(listing.notices.empty());
    }
    EXPECT_THROW(ListSection("[a-"), MaskError);
    SetFileAttributesA(hiddenFolder.c_str(), FILE_ATTRIBUTE_DIRECTORY);
}

TEST(HistoryMozilla, NoProfilesFolderListsNothingAndDeletesNothing) {
    ScopedMozillaAppData appData("moz-none");
    RemoveFolderTree(appData.Profiles());
    EXPECT_TRUE(ListSection().rows.empty());
    EXPECT_TRUE(ListSection().notices.empty());
    const HistoryDeleteAllResult result = DeleteAll();
    EXPECT_TRUE(result.clearList);
    EXPECT_TRUE(result.notice.empty());
}

// A profile without its file is told, and the others are listed; a file
// that cannot be read or is not a history file is told once, and every
// other profile is still listed.
TEST(HistoryMozilla, NoticesOfMissingAndUnreadableFiles) {
    ScopedMozillaAppData appData("moz-notices");
    appData.Profile("a");
    appData.Profile("b");
    appData.Profile("c");
    const std::vector<std::string> folders = MozillaProfileFolders();
    ASSERT_EQ(folders.size(), 3u);
    const std::string good = MozillaHistoryText(kEntries, {MozillaRow("1", "91")});
    const std::string row = "www.example.com|1" + std::string(10, ' ') + kNotHidden;
    auto write = [&](int profile, const std::string& text) { files::WriteFileBytes(folders[profile] + "history.dat", text); };

    // The first without a file: the notice, then the other two.
    write(1, good);
    write(2, good);
    Listing listing = ListSection();
    EXPECT_EQ(listing.notices, (Texts{kMozillaHistoryDeletedText}));
    EXPECT_EQ(listing.rows, (Texts{row, row}));

    // The second held by the browser: the first and the third are listed.
    write(0, good);
    {
        const platform::FileHandle held = HoldExclusively(folders[1] + "history.dat");
        ASSERT_TRUE(held);
        listing = ListSection();
    }
    EXPECT_EQ(listing.notices, (Texts{kMozillaCloseBrowserText}));
    EXPECT_EQ(listing.rows, (Texts{row, row}));

    // Texts that are not history files are passed over the same way; two
    // such files are told once.
    for (const std::string& bad : {std::string(), std::string("garbage\r\n"), good.substr(0, good.find("(91=") + 6)}) {
        write(1, bad);
        listing = ListSection();
        EXPECT_EQ(listing.notices, (Texts{kMozillaCloseBrowserText}));
        EXPECT_EQ(listing.rows, (Texts{row, row}));
    }
    write(2, "garbage");
    listing = ListSection();
    EXPECT_EQ(listing.notices, (Texts{kMozillaCloseBrowserText}));
    EXPECT_EQ(listing.rows, (Texts{row}));
}

// Each row keeps its profile; Delete All clears each profile on its own and
// names those whose file went, so a file held by the browser keeps only its
// own rows listed.
TEST(HistoryMozilla, DeleteAllNamesTheProfilesItCleared) {
    ScopedMozillaAppData appData("moz-each");
    const std::string text = MozillaHistoryText(kEntries, {MozillaRow("1", "91"), MozillaRow("2", "94")});
    appData.WriteHistory("one", text);
    appData.WriteHistory("two", text);
    appData.Profile("none");
    const std::vector<std::string> folders = MozillaProfileFolders();
    ASSERT_EQ(folders.size(), 3u);
    HistoryRowList rows;
    Row().list(rows, "*", {});
    ASSERT_EQ(rows.rows.size(), 4u);
    for (const HistoryRow& row : rows.rows)
        EXPECT_TRUE(row.source == appData.Profile("one") || row.source == appData.Profile("two")) << row.source;

    HistoryDeleteAllResult result;
    {
        const platform::FileHandle held = HoldExclusively(appData.Profile("two") + "history.dat");
        ASSERT_TRUE(held);
        result = DeleteAll();
    }
    EXPECT_FALSE(result.clearList);
    EXPECT_EQ(result.notice, kMozillaCannotDeleteText);
    std::vector<std::string> cleared = result.clearedSources, expected = {appData.Profile("one"), appData.Profile("none")};
    std::sort(cleared.begin(), cleared.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(cleared, expected);
    EXPECT_FALSE(files::FileExists(appData.Profile("one") + "history.dat"));
    EXPECT_TRUE(files::FileExists(appData.Profile("two") + "history.dat"));
}

// Delete All takes every profile's history file and nothing else; a profile
// without one is nothing to delete and no failure.
TEST(HistoryMozilla, DeleteAllTakesOnlyTheHistoryFiles) {
    ScopedMozillaAppData appData("moz-delete");
    const std::string text = MozillaHistoryText(kEntries, {MozillaRow("1", "91")});
    const std::string one = appData.WriteHistory("one", text), two = appData.WriteHistory("two", text);
    const std::string empty = appData.Profile("empty");
    const std::vector<std::string> decoys = {appData.Profile("one") + "history.dat.bak",
                                             appData.Profile("one") + "cookies.txt",
                                             appData.Profile("two") + "bookmarks.html", empty + "prefs.js",
                                             appData.Profiles() + "history.dat"};
    for (const std::string& decoy : decoys) ASSERT_TRUE(files::WriteFileBytes(decoy, "keep")) << decoy;
    ASSERT_TRUE(files::WriteFileBytes(appData.Profile(".dot") + "history.dat", text));

    const HistoryDeleteAllResult result = DeleteAll();
    EXPECT_TRUE(result.clearList);
    EXPECT_TRUE(result.notice.empty());
    EXPECT_EQ(result.code, 0);
    EXPECT_FALSE(files::FileExists(one));
    EXPECT_FALSE(files::FileExists(two));
    for (const std::string& decoy : decoys) EXPECT_TRUE(files::FileExists(decoy)) << decoy;
    EXPECT_TRUE(files::FileExists(appData.Profile(".dot") + "history.dat"));
    // Nothing left to delete is no failure either.
    EXPECT_TRUE(DeleteAll().clearList);
}

// A profile whose history file lies past 260 characters is listed and
// deleted like any other (its folder and file made through the wide calls).
TEST(HistoryMozilla, AProfileOfALongPathListsAndDeletes) {
    ScopedMozillaAppData appData("moz-long");
    const std::string folder = appData.Profiles() + std::string(240, 'p') + ".default\\";
    const std::string path = folder + "history.dat";
    ASSERT_GT(path.size(), 260u);
    ASSERT_TRUE(CreateDirectoryW(files::WidePathAnyLength(folder).c_str(), nullptr));
    const std::string text = MozillaHistoryText(kEntries, {MozillaRow("1", "91"), MozillaRow("2", "91")});
    {
        platform::FileHandle file(CreateFileW(files::WidePathAnyLength(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.Valid());
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    }
    const Listing listing = ListSection("*");
    EXPECT_TRUE(listing.notices.empty());
    EXPECT_EQ(listing.rows, Texts{"www.example.com|2" + std::string(10, ' ') + kNotHidden});
    const HistoryDeleteAllResult result = DeleteAll();
    EXPECT_TRUE(result.clearList);
    EXPECT_FALSE(files::FileExistsAnyLength(path));
    RemoveDirectoryW(files::WidePathAnyLength(folder).c_str());
}

// A file the browser holds stays, with the box's text; the other profiles'
// files still go.
TEST(HistoryMozilla, DeleteAllOfAHeldFileTellsToCloseTheBrowser) {
    ScopedMozillaAppData appData("moz-held");
    const std::string text = MozillaHistoryText(kEntries, {MozillaRow("1", "91")});
    const std::string held = appData.WriteHistory("held", text), free = appData.WriteHistory("free", text);
    HistoryDeleteAllResult result;
    {
        const platform::FileHandle handle = HoldExclusively(held);
        ASSERT_TRUE(handle);
        result = DeleteAll();
    }
    EXPECT_FALSE(result.clearList);
    EXPECT_EQ(result.notice, kMozillaCannotDeleteText);
    EXPECT_EQ(result.code, 0);
    EXPECT_TRUE(files::FileExists(held));
    EXPECT_FALSE(files::FileExists(free));
}

}  // namespace
