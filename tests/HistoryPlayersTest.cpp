// The players' and archivers' recent lists, through their sections' rows:
// listing with and without a mask, Delete, Delete All, and the decoys each
// removal must leave.
#include "common/Common.h"
#include "platform/RegistryKey.h"
#include "history/HistorySectionTable.h"
#include "history/ArchiverHistory.h"
#include "history/PlayerHistory.h"
#include "platform/Files.h"
#include "RegSeed.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <map>

using namespace history;
using namespace testing_support;
namespace files = platform::files;

namespace {

const HKEY kUser = HKEY_CURRENT_USER, kMachine = HKEY_LOCAL_MACHINE;
using Texts = std::vector<std::string>;
// A key's values: name -> text, or "<type N>" for a value that is no string.
using Values = std::map<std::string, std::string>;

Texts List(int section, const std::string& mask) {
    HistoryRowList rows;
    HistorySectionRowOf(section).list(rows, mask, {});
    return rows.Captions();
}

void DeleteOne(int section, const std::string& caption) {
    EXPECT_EQ(HistorySectionRowOf(section).deleteOne(HistoryRow{caption, {}, {}}), 0) << section;
}

// Delete All as the page runs it: with the rows the mask listed and that mask.
void DeleteAll(int section, const std::string& mask) {
    std::vector<HistoryRow> listed;
    for (const std::string& caption : List(section, mask)) listed.push_back({caption, {}, {}});
    common::NoProgress quiet;
    const HistoryDeleteAllResult result = HistorySectionRowOf(section).deleteAll(listed, mask, quiet, {});
    EXPECT_EQ(result.code, 0) << section;
    EXPECT_FALSE(result.stopped);
}

Values ValuesOf(HKEY root, const std::string& key) {
    Values values;
    const platform::RegistryKey registry = platform::RegistryKey::Open({root, key}, KEY_READ);
    for (const std::string& name : registry.ValueNames()) {
        std::string text;
        values[name] = registry.ReadText(name, text) ? text : "<type " + std::to_string(registry.ValueType(name)) + ">";
    }
    return values;
}

void Seed(HKEY root, const std::string& key, const Values& values) {
    for (const auto& [name, text] : values) SetRegString(root, key, name, text);
}

std::string FileText(const std::string& path) {
    std::string bytes;
    return files::ReadFileBytes(path, bytes) ? bytes : "<none>";
}

// Every product key of these sections starts empty under both roots and is
// removed at the end.
class PlayersAndArchivers : public ::testing::Test {
protected:
    void SetUp() override {
        for (HKEY root : {kUser, kMachine})
            for (const char* key : {kMediaPlayerRecentKey, kRealPlayerKey, kInterVideoKey, "SOFTWARE\\Apple Computer, Inc.",
                                    kWinampKey, "Software\\Nico Mak Computing", "Software\\WinRAR"}) {
                DeleteRegTree(root, key);
                cleanup_.Add(root, key);
            }
    }
    ScopedRegKeys cleanup_;
};

// ---- the questions ---------------------------------------------------------------

TEST(PlayersAndArchiversRows, QuestionsAndWhatDeleteNeeds) {
    const struct {
        int section;
        const char* heading;
        const char* deleteAllQuestion;
    } rows[] = {
        {hsMediaPlayerRecent, "Windows Media Player Play File List",
         "Do you really want to delete ALL Windows Media Player History items?"},
        {hsRealPlayerRecent, "RealPlayer Most Recent Clips",
         "Do you really want to delete ALL RealPlayer History items?"},
        {hsWinDvdRecent, "InterVideo WinDVD Last Open Path",
         "Do you really want to delete ALL InterVideo WinDVD History items?"},
        {hsQuickTime, "QuickTime Recent File List", "Do you want to delete ALL QuickTime History items?"},
        {hsWinAmpRecent, "WinAMP Recent Play List", "Do you really want to delete WinAMP Recent Play List?"},
        {hsWinZipRecent, "WinZip Recent File List", "Do you really want to delete ALL WinZip History items?"},
        {hsWinRarRecent, "WinRAR Recent File List", "Do you really want to delete ALL WinRAR History items?"},
    };
    for (const auto& r : rows) {
        const HistorySectionRow& row = HistorySectionRowOf(r.section);
        EXPECT_EQ(row.heading, r.heading);
        EXPECT_EQ(row.deleteAllQuestion, r.deleteAllQuestion);
        EXPECT_TRUE(row.takesMask) << r.section;
        EXPECT_EQ(row.actions, HistoryActionRule::Default) << r.section;
        EXPECT_TRUE(row.list && row.deleteOne && row.deleteAll) << r.section;
        EXPECT_EQ(row.deleteNeedsNoItem, r.section == hsQuickTime) << r.section;
        if (r.section != hsQuickTime) {
            EXPECT_EQ(DeleteConfirmation(row, "C:\\a.mp3"), "Do you really want to clear C:\\a.mp3?");
        }
    }
    EXPECT_EQ(DeleteConfirmation(HistorySectionRowOf(hsQuickTime), ""),
              "You can clear only ALL QuickTime Recent File List.\r\nDo you want to delete ALL QuickTime History items?");
}

// ---- Media Player ------------------------------------------------------------------

TEST_F(PlayersAndArchivers, MediaPlayerListsDeletesAndKeepsItsOrderValue) {
    Seed(kUser, kMediaPlayerRecentKey,
         {{"File0", "C:\\Music\\tide.wma"}, {"File1", "C:\\Music\\TIDE.WMA"}, {"File2", "D:\\Video\\boat.wmv"},
          {"MRUList", "cab"}});
    SetRegDword(kUser, kMediaPlayerRecentKey, "Count", 3);
    // The order value is no path but is listed like any value; the number is not.
    EXPECT_EQ(List(hsMediaPlayerRecent, "*").size(), 4u);
    EXPECT_EQ(List(hsMediaPlayerRecent, "*.wmv"), Texts{"D:\\Video\\boat.wmv"});
    DeleteOne(hsMediaPlayerRecent, "c:\\music\\Tide.wma");  // one twin goes
    EXPECT_EQ(List(hsMediaPlayerRecent, "*tide*").size(), 1u);
    DeleteAll(hsMediaPlayerRecent, "*");
    EXPECT_EQ(ValuesOf(kUser, kMediaPlayerRecentKey), (Values{{"Count", "<type 4>"}, {"MRUList", "cab"}}));
}

// ---- RealPlayer -------------------------------------------------------------------------

std::string ClipKey(const std::string& version, const std::string& clip) {
    return std::string(kRealPlayerKey) + "\\" + version + "\\Preferences\\" + clip;
}

void SeedClips(const std::string& version, const Values& clips) {
    for (const auto& [clip, text] : clips) SetRegString(kUser, ClipKey(version, clip), "", text);
}

// Clip key name -> its default value's text (or type), for one version.
Values ClipsOf(const std::string& version) {
    Values clips;
    const std::vector<std::string> names =
        platform::RegistryKey::Open({kUser, std::string(kRealPlayerKey) + "\\" + version + "\\Preferences"}, KEY_READ)
            .SubkeyNames();
    for (const std::string& name : names) clips[name] = ValuesOf(kUser, ClipKey(version, name))[""];
    return clips;
}

TEST_F(PlayersAndArchivers, RealPlayerClipsMoveUpUnderEveryVersion) {
    SeedClips("6.0", {{"MostRecentClips1", "C:\\a.rm"}, {"MostRecentClips2", "C:\\b.rm"}, {"MostRecentClips3", "C:\\c.rm"},
                      {"Volume", "C:\\B.RM"}});
    SeedClips("10.0", {{"MostRecentClips1", "c:\\B.rm"}, {"MostRecentClips2", "C:\\x.rm"}});
    SeedClips("8.0", {{"MostRecentClips1", "C:\\b.rmx"}});  // another version's other clip
    SetRegDword(kUser, ClipKey("8.0", "MostRecentClips2"), "", 5);

    EXPECT_EQ(List(hsRealPlayerRecent, "*").size(), 6u);  // the setting and the number are no clips
    EXPECT_EQ(List(hsRealPlayerRecent, "*b.rm"), (Texts{"c:\\B.rm", "C:\\b.rm"}));  // versions in the registry's order

    DeleteOne(hsRealPlayerRecent, "C:\\b.rm");
    EXPECT_EQ(ClipsOf("6.0"), (Values{{"MostRecentClips1", "C:\\a.rm"}, {"MostRecentClips2", "C:\\c.rm"},
                                      {"Volume", "C:\\B.RM"}}));
    EXPECT_EQ(ClipsOf("10.0"), (Values{{"MostRecentClips1", "C:\\x.rm"}}));
    EXPECT_EQ(ClipsOf("8.0"), (Values{{"MostRecentClips1", "C:\\b.rmx"}, {"MostRecentClips2", "<type 4>"}}));

    DeleteOne(hsRealPlayerRecent, "C:\\c.rm");  // the last clip only goes
    EXPECT_EQ(ClipsOf("6.0"), (Values{{"MostRecentClips1", "C:\\a.rm"}, {"Volume", "C:\\B.RM"}}));

    // Delete All takes every clip of every version, whatever the mask listed.
    DeleteAll(hsRealPlayerRecent, "*nothing*");
    EXPECT_EQ(ClipsOf("6.0"), (Values{{"Volume", "C:\\B.RM"}}));
    EXPECT_EQ(ClipsOf("10.0"), Values{});
    EXPECT_EQ(ClipsOf("8.0"), Values{});
}

TEST_F(PlayersAndArchivers, RealPlayerPositionsFollowTheNamesTextOrder) {
    Values clips;
    for (int n = 1; n <= 11; ++n) clips["MostRecentClips" + std::to_string(n)] = "C:\\clip" + std::to_string(n) + ".rm";
    SeedClips("6.0", clips);
    // The order is 1, 10, 11, 2, ... 9: the clips after 2 in it are 3 to 9,
    // and 9 is the last key.
    DeleteOne(hsRealPlayerRecent, "C:\\clip2.rm");
    Values expected;
    for (int n = 1; n <= 8; ++n) {
        const int from = n == 1 ? 1 : n + 1;
        expected["MostRecentClips" + std::to_string(n)] = "C:\\clip" + std::to_string(from) + ".rm";
    }
    expected["MostRecentClips10"] = "C:\\clip10.rm";
    expected["MostRecentClips11"] = "C:\\clip11.rm";
    EXPECT_EQ(ClipsOf("6.0"), expected);
}

TEST_F(PlayersAndArchivers, RealPlayerMovesAClipOfAnotherTypeAsItIs) {
    SeedClips("6.0", {{"MostRecentClips1", "C:\\a.rm"}});
    SetRegDword(kUser, ClipKey("6.0", "MostRecentClips2"), "", 9);
    SetRawValue(kUser, ClipKey("6.0", "MostRecentClips3"), "", kKeyOnly, {});  // no default value
    SeedClips("6.0", {{"MostRecentClips4", "C:\\d.rm"}});
    DeleteOne(hsRealPlayerRecent, "C:\\A.RM");
    // Each key takes the next one's default as stored, or none.
    const platform::RegistryKey registry = platform::RegistryKey::Open({kUser, ClipKey("6.0", "MostRecentClips1")}, KEY_READ);
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry.ValueType(""), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(ClipsOf("6.0"), (Values{{"MostRecentClips1", "<type 4>"}, {"MostRecentClips2", ""},
                                      {"MostRecentClips3", "C:\\d.rm"}}));
    EXPECT_FALSE(RegValueExists(kUser, ClipKey("6.0", "MostRecentClips2"), ""));
}

// ---- WinDVD -----------------------------------------------------------------------------

TEST_F(PlayersAndArchivers, WinDvdListsDvdKeysAndDeletesEqualTextsInEverySubkey) {
    const std::string base = kInterVideoKey;
    Seed(kUser, base + "\\DVD4", {{"LASTOPENPATH", "E:\\VIDEO_TS"}, {"Skin", "blue"}});
    Seed(kUser, base + "\\dvd5", {{"LASTOPENPATH", "D:\\Movies\\Wedding\\VIDEO_TS"}});
    Seed(kUser, base + "\\Common", {{"LASTOPENPATH", "F:\\not listed"}, {"Recent", "e:\\video_ts"},
                                    {"InstallPath", "C:\\Program Files\\InterVideo"}});
    SetRawValue(kUser, base + "\\DVD6", "LASTOPENPATH", REG_EXPAND_SZ, Utf16Z("%HOMEDRIVE%\\VIDEO_TS"));
    SetRegDword(kUser, base + "\\DVD7", "LASTOPENPATH", 1);

    EXPECT_EQ(List(hsWinDvdRecent, "*"), (Texts{"E:\\VIDEO_TS", "D:\\Movies\\Wedding\\VIDEO_TS"}));
    EXPECT_EQ(List(hsWinDvdRecent, "*wedding*"), Texts{"D:\\Movies\\Wedding\\VIDEO_TS"});

    DeleteOne(hsWinDvdRecent, "E:\\VIDEO_TS");
    EXPECT_EQ(ValuesOf(kUser, base + "\\DVD4"), (Values{{"Skin", "blue"}}));
    EXPECT_EQ(ValuesOf(kUser, base + "\\Common"),
              (Values{{"InstallPath", "C:\\Program Files\\InterVideo"}, {"LASTOPENPATH", "F:\\not listed"}}));

    Seed(kUser, base + "\\DVD4", {{"LASTOPENPATH", "E:\\VIDEO_TS"}});
    DeleteAll(hsWinDvdRecent, "*wedding*");  // only what the mask listed
    EXPECT_EQ(ValuesOf(kUser, base + "\\dvd5"), Values{});
    EXPECT_EQ(ValuesOf(kUser, base + "\\DVD4"), (Values{{"LASTOPENPATH", "E:\\VIDEO_TS"}, {"Skin", "blue"}}));
    DeleteAll(hsWinDvdRecent, "*");
    EXPECT_EQ(ValuesOf(kUser, base + "\\DVD4"), (Values{{"Skin", "blue"}}));
    EXPECT_EQ(ValuesOf(kUser, base + "\\DVD6").size(), 1u);
    EXPECT_EQ(ValuesOf(kUser, base + "\\DVD7").size(), 1u);
    EXPECT_EQ(ValuesOf(kUser, base + "\\Common").size(), 2u);
}

// ---- QuickTime ------------------------------------------------------------------------------

// Makes the current folder one of the test machine's for the time it lives,
// so that the current drive's root is the test machine's C:.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& folder) {
        char previous[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, previous);
        previous_ = previous;
        EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str())) << folder;
    }
    ~ScopedCurrentFolder() { SetCurrentDirectoryA(previous_.c_str()); }

private:
    std::string previous_;
};

TEST_F(PlayersAndArchivers, QuickTimeListsMachineFirstAndClearsBothRootsAndFavorites) {
    ScopedFolder user("history-qt-user"), machine("history-qt-machine");
    Seed(kMachine, kQuickTimeRecentKey, {{"Movie1", "C:\\Shared\\sample.mov"}});
    Seed(kUser, kQuickTimeRecentKey, {{"Movie1", "D:\\Holiday\\tram.mov"}, {"Movie2", "Untitled"}});
    SetRegDword(kUser, kQuickTimeRecentKey, "Count", 2);
    Seed(kUser, kQuickTimePreferencesKey, {{"FolderPath", user.Path()}});  // no separator at the end
    Seed(kMachine, kQuickTimePreferencesKey, {{"FolderPath", machine.Path() + "\\"}});
    ScopedFile userFavorites(user.Path() + "\\QuickTimeFavorites.qtr", "u"),
        machineFavorites(machine.Path() + "\\QuickTimeFavorites.qtr", "m"), beside(user.Path() + "\\QuickTime.qtp", "p"),
        other(machine.Path() + "\\QuickTimeFavorites.qtr.bak", "b");

    EXPECT_EQ(List(hsQuickTime, "*"), (Texts{"C:\\Shared\\sample.mov", "D:\\Holiday\\tram.mov", "Untitled"}));
    EXPECT_EQ(List(hsQuickTime, "*.MOV"), (Texts{"C:\\Shared\\sample.mov", "D:\\Holiday\\tram.mov"}));

    DeleteOne(hsQuickTime, "");  // no row needed: the whole list goes
    EXPECT_EQ(ValuesOf(kUser, kQuickTimeRecentKey), (Values{{"Count", "<type 4>"}, {"Movie2", "Untitled"}}));
    EXPECT_EQ(ValuesOf(kMachine, kQuickTimeRecentKey), Values{});
    EXPECT_FALSE(files::FileExists(userFavorites.Path()));
    EXPECT_FALSE(files::FileExists(machineFavorites.Path()));
    EXPECT_TRUE(files::FileExists(beside.Path()));
    EXPECT_TRUE(files::FileExists(other.Path()));

    // Delete All is the same clear, whatever the mask listed.
    Seed(kUser, kQuickTimeRecentKey, {{"Movie3", "E:\\clip.mov"}});
    ASSERT_TRUE(files::WriteFileBytes(userFavorites.Path(), "u"));
    DeleteAll(hsQuickTime, "*untitled*");
    EXPECT_EQ(List(hsQuickTime, "*"), Texts{"Untitled"});
    EXPECT_FALSE(files::FileExists(userFavorites.Path()));
}

TEST_F(PlayersAndArchivers, QuickTimeFavoritesOnlyFromAFullFolderPathOfPlainText) {
    ScopedFolder folder("history-qt-cases");
    ScopedCurrentFolder current(folder.Path());
    const std::string favorites = "QuickTimeFavorites.qtr";
    // Files where a folder text that is no full path would lead.
    ScopedFile root("C:\\" + favorites, "root"), relative(folder.Path() + "\\Prefs\\" + favorites, "relative"),
        here(folder.Path() + "\\" + favorites, "here");
    const struct {
        const char* what;
        DWORD type;
        std::string text;
    } cases[] = {
        {"empty text", REG_SZ, ""},
        {"relative folder", REG_SZ, "Prefs"},
        {"the drive without a separator", REG_SZ, "C:"},
        {"an expandable text", REG_EXPAND_SZ, folder.Path()},
    };
    for (const auto& c : cases) {
        SetRawValue(kUser, kQuickTimePreferencesKey, "FolderPath", c.type, Utf16Z(c.text));
        DeleteOne(hsQuickTime, "");
        for (const ScopedFile* file : {&root, &relative, &here})
            EXPECT_TRUE(files::FileExists(file->Path())) << c.what << ": " << file->Path();
    }
}

// ---- Winamp ---------------------------------------------------------------------------------

class WinampPlayList : public PlayersAndArchivers {
protected:
    void SetUp() override {
        PlayersAndArchivers::SetUp();
        SetRegString(kUser, kWinampKey, "", folder_.Path());
    }
    std::string ListPath() const { return folder_.Path() + "\\winamp.m3u"; }
    void Write(const std::string& bytes) { ASSERT_TRUE(files::WriteFileBytes(ListPath(), bytes)); }
    std::string Text() const { return FileText(ListPath()); }

    ScopedFolder folder_{"history-winamp"};
};

TEST_F(WinampPlayList, ListsEntriesAndDeletesWithTheirInformationLine) {
    const std::string four = "#EXTINF:245,One\r\nC:\\Music\\one.mp3\r\n#EXTINF:198,Two\r\nC:\\Music\\two.mp3\r\n";
    Write(four);
    EXPECT_EQ(WinampPlayListPath(), ListPath());
    EXPECT_EQ(List(hsWinAmpRecent, "*"), (Texts{"C:\\Music\\one.mp3", "C:\\Music\\two.mp3"}));
    EXPECT_EQ(List(hsWinAmpRecent, "*TWO*"), Texts{"C:\\Music\\two.mp3"});
    DeleteOne(hsWinAmpRecent, "c:\\music\\two.mp3");  // case counts here: nothing
    EXPECT_EQ(Text(), four);
    DeleteOne(hsWinAmpRecent, "C:\\Music\\two.mp3");
    EXPECT_EQ(Text(), "#EXTINF:245,One\r\nC:\\Music\\one.mp3\r\n");
    EXPECT_FALSE(files::FileExists(ListPath() + ".orvelin-new"));
}

TEST_F(WinampPlayList, DeleteTakesTheLineBeforeOnlyWhenItDescribesTheEntry) {
    const struct {
        const char* what;
        std::string before, caption, after;
    } cases[] = {
        {"no information lines", "a.mp3\r\nb.mp3\r\nc.mp3\r\n", "b.mp3", "a.mp3\r\nc.mp3\r\n"},
        {"a comment before", "#EXTM3U\r\na.mp3\r\nb.mp3\r\n", "a.mp3", "#EXTM3U\r\nb.mp3\r\n"},
        {"an information line in small letters", "#extinf:1,A\r\na.mp3\r\nb.mp3\r\n", "a.mp3", "b.mp3\r\n"},
        {"the first line", "a.mp3\r\n#EXTINF:1,B\r\nb.mp3\r\n", "a.mp3", "#EXTINF:1,B\r\nb.mp3\r\n"},
        {"an empty line before", "#EXTINF:1,A\r\n\r\na.mp3\r\n", "a.mp3", "#EXTINF:1,A\r\n\r\n"},
        {"the first of twins", "x.mp3\r\n#EXTINF:1,A\r\na.mp3\r\na.mp3\r\n", "a.mp3", "x.mp3\r\na.mp3\r\n"},
        {"a line that is no entry", "#EXTM3U\r\na.mp3\r\n", "#EXTM3U", "#EXTM3U\r\na.mp3\r\n"},
        {"LF and lone CR ends", "#EXTM3U\na.mp3\rb.mp3", "b.mp3", "#EXTM3U\r\na.mp3\r\n"},
        {"a UTF-8 mark", "\xEF\xBB\xBF" "a.mp3\r\nb.mp3\r\n", "a.mp3", "\xEF\xBB\xBF" "b.mp3\r\n"},
        {"the only entry", "#EXTINF:1,A\r\na.mp3\r\n", "a.mp3", ""},
    };
    for (const auto& c : cases) {
        Write(c.before);
        DeleteOne(hsWinAmpRecent, c.caption);
        EXPECT_EQ(Text(), c.after) << c.what;
    }
    Write("\xEF\xBB\xBF" "a.mp3\r\n");
    EXPECT_EQ(List(hsWinAmpRecent, "*"), Texts{"a.mp3"});
}

TEST_F(WinampPlayList, DeleteAllDeletesThePlayListOnly) {
    Write("a.mp3\r\n");
    ScopedFile beside(folder_.Path() + "\\winamp.ini", "[Winamp]"), copy(folder_.Path() + "\\winamp.m3u.bak", "a.mp3");
    DeleteAll(hsWinAmpRecent, "*nothing*");
    EXPECT_FALSE(files::FileExists(ListPath()));
    EXPECT_TRUE(files::FileExists(beside.Path()));
    EXPECT_TRUE(files::FileExists(copy.Path()));
    EXPECT_TRUE(List(hsWinAmpRecent, "*").empty());
    DeleteAll(hsWinAmpRecent, "*");  // no file: nothing
}

// Without a folder of Winamp's own there is no play list: none is taken
// from the current drive's root or the current folder.
TEST_F(PlayersAndArchivers, WinampWithoutItsFolderListsAndDeletesNothing) {
    ScopedFolder folder("history-winamp-none");
    ScopedCurrentFolder current(folder.Path());
    const std::string entries = "#EXTINF:1,A\r\na.mp3\r\nb.mp3\r\n";
    ScopedFile root("C:\\winamp.m3u", entries), relative(folder.Path() + "\\Winamp\\winamp.m3u", entries),
        here(folder.Path() + "\\winamp.m3u", entries);
    const struct {
        const char* what;
        DWORD type;  // kKeyOnly: the key without a default value
        std::string text;
    } cases[] = {
        {"no key", 0, ""},
        {"no default value", kKeyOnly, ""},
        {"an empty default value", REG_SZ, ""},
        {"a relative folder", REG_SZ, "Winamp"},
        {"a number", REG_DWORD, ""},
    };
    for (const auto& c : cases) {
        DeleteRegTree(kUser, kWinampKey);
        if (c.type == REG_DWORD)
            SetRegDword(kUser, kWinampKey, "", 1);
        else if (c.type != 0)
            SetRawValue(kUser, kWinampKey, "", c.type, Utf16Z(c.text));
        EXPECT_EQ(WinampPlayListPath(), "") << c.what;
        EXPECT_TRUE(List(hsWinAmpRecent, "*").empty()) << c.what;
        DeleteOne(hsWinAmpRecent, "a.mp3");
        DeleteAll(hsWinAmpRecent, "*");
        for (const ScopedFile* file : {&root, &relative, &here})
            EXPECT_EQ(FileText(file->Path()), entries) << c.what << ": " << file->Path();
    }
}

TEST_F(WinampPlayList, HugeLockedOrLinkedPlayListsAreNeverDamaged) {
    // What the listing tells of a list it cannot read.
    const auto notices = [] {
        HistoryRowList rows;
        HistorySectionRowOf(hsWinAmpRecent).list(rows, "*", {});
        EXPECT_TRUE(rows.rows.empty());
        return rows.notices;
    };
    const std::string cannot = "The play list " + ListPath() + " cannot be read: ";
    // Huge: a sparse file far over the limit lists nothing and stays.
    {
        platform::FileHandle file(CreateFileA(ListPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file.Valid());
        LARGE_INTEGER size;
        size.QuadPart = static_cast<LONGLONG>(kLargestPlayList) + 1;
        ASSERT_TRUE(SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get()));
    }
    EXPECT_EQ(notices(), Texts{cannot + "it is larger than 8 MB."});
    DeleteOne(hsWinAmpRecent, std::string(1, '\0'));
    unsigned long long size = 0;
    EXPECT_TRUE(files::FileSize(ListPath(), size));
    EXPECT_EQ(size, kLargestPlayList + 1);

    // Saved as UTF-16: its 8-bit line ends split the characters, so nothing
    // is listed and a Delete leaves every byte as it was.
    const std::string wide("\xFF\xFE" "a\0.\0m\0p\0" "3\0\r\0\n\0" "b\0.\0m\0p\0" "3\0\r\0\n\0", 30);
    Write(wide);
    EXPECT_EQ(notices(), Texts{cannot + "it holds NUL bytes (it is saved as UTF-16, or it is no text)."});
    DeleteOne(hsWinAmpRecent, "a.mp3");
    DeleteOne(hsWinAmpRecent, std::string("\0a", 2));
    EXPECT_EQ(Text(), wide);

    // Held open by another without sharing: nothing listed, nothing changed.
    Write("#EXTINF:1,A\r\na.mp3\r\nb.mp3\r\n");
    {
        platform::FileHandle holder(CreateFileA(ListPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.Valid());
        const Texts told = notices();
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0].rfind(cannot, 0), 0u) << told[0];
        EXPECT_GT(told[0].size(), cannot.size() + 1) << "a reason is given";
        DeleteOne(hsWinAmpRecent, "a.mp3");
        EXPECT_FALSE(files::FileExists(ListPath() + ".orvelin-new"));
    }
    EXPECT_EQ(Text(), "#EXTINF:1,A\r\na.mp3\r\nb.mp3\r\n");

    // A play list that is a link to a list elsewhere: listed, but Delete and
    // Delete All leave the link and the list it leads to as they are, and say so.
    ASSERT_TRUE(files::DeleteFilePath(ListPath()));
    ScopedFolder elsewhere("history-winamp-elsewhere");
    ScopedFile shared(elsewhere.Path() + "\\shared.m3u", "a.mp3\r\nb.mp3\r\n");
    ScopedUnixLink link(ListPath(), shared.Path());
    if (!link.Made()) GTEST_SKIP() << "no Unix link here";
    const std::string leftAsLink = "The play list " + ListPath() + " is a link to another file; it was left as it is.";
    EXPECT_EQ(List(hsWinAmpRecent, "*"), (Texts{"a.mp3", "b.mp3"}));
    try {
        HistorySectionRowOf(hsWinAmpRecent).deleteOne(HistoryRow{"a.mp3", {}, {}});
        ADD_FAILURE() << "the link was not told";
    } catch (const HistoryNotice& notice) {
        EXPECT_EQ(notice.what(), leftAsLink);
    }
    EXPECT_EQ(List(hsWinAmpRecent, "*"), (Texts{"a.mp3", "b.mp3"}));
    EXPECT_TRUE(files::IsLinkToAnotherFile(ListPath()));
    common::NoProgress quiet;
    EXPECT_EQ(HistorySectionRowOf(hsWinAmpRecent).deleteAll({}, "*", quiet, {}).notice, leftAsLink);
    EXPECT_TRUE(files::FileExists(ListPath()));
    EXPECT_EQ(FileText(shared.Path()), "a.mp3\r\nb.mp3\r\n");
    EXPECT_FALSE(files::IsLinkToAnotherFile(shared.Path()));
}

// ---- WinZip and WinRAR --------------------------------------------------------------------

TEST_F(PlayersAndArchivers, WinZipFourEntries) {
    const Values four = {{"filemenu1", "C:\\a.zip"}, {"filemenu2", "C:\\b.zip"}, {"filemenu3", "C:\\c.zip"},
                         {"filemenu4", "C:\\d.zip"}};
    const struct {
        const char* caption;
        Values after;
    } cases[] = {
        {"C:\\c.zip", {{"filemenu1", "C:\\a.zip"}, {"filemenu2", "C:\\b.zip"}, {"filemenu3", "C:\\d.zip"}}},
        {"C:\\d.zip", {{"filemenu1", "C:\\a.zip"}, {"filemenu2", "C:\\b.zip"}, {"filemenu3", "C:\\c.zip"}}},
        {"c:\\A.ZIP", {{"filemenu1", "C:\\b.zip"}, {"filemenu2", "C:\\c.zip"}, {"filemenu3", "C:\\d.zip"}}},
        {"C:\\none.zip", four},
    };
    for (const auto& c : cases) {
        DeleteRegTree(kUser, kWinZipRecentKey);
        Seed(kUser, kWinZipRecentKey, four);
        DeleteOne(hsWinZipRecent, c.caption);
        EXPECT_EQ(ValuesOf(kUser, kWinZipRecentKey), c.after) << c.caption;
    }
}

TEST_F(PlayersAndArchivers, ArchiversListBothRootsDeleteFromBothAndClearByFullStop) {
    const struct {
        int section;
        const char* key;
        std::string prefix;
    } lists[] = {{hsWinZipRecent, kWinZipRecentKey, kWinZipValuePrefix}, {hsWinRarRecent, kWinRarRecentKey, ""}};
    for (const auto& l : lists) {
        const std::string p = l.prefix;
        Seed(kUser, l.key, {{p + "1", "C:\\Shared\\tools.zip"}, {p + "2", "D:\\photos.rar"}, {p + "3", "Meadowbrook site"}});
        Seed(kMachine, l.key, {{p + "1", "c:\\shared\\TOOLS.zip"}, {p + "2", "C:\\drivers.zip"}});
        SetRegDword(kUser, l.key, p + "4", 7);
        EXPECT_EQ(List(l.section, "*"), (Texts{"C:\\Shared\\tools.zip", "D:\\photos.rar", "Meadowbrook site",
                                               "c:\\shared\\TOOLS.zip", "C:\\drivers.zip"}))
            << l.section;
        EXPECT_EQ(List(l.section, "*tools*").size(), 2u);

        DeleteOne(l.section, "C:\\Shared\\tools.zip");  // from both roots
        EXPECT_EQ(ValuesOf(kUser, l.key),
                  (Values{{p + "1", "D:\\photos.rar"}, {p + "2", "Meadowbrook site"}, {p + "4", "<type 4>"}}));
        EXPECT_EQ(ValuesOf(kMachine, l.key), (Values{{p + "1", "C:\\drivers.zip"}}));

        // The fixed mask, not the listed one: every text with a full stop goes.
        DeleteAll(l.section, "*photos*");
        EXPECT_EQ(ValuesOf(kUser, l.key), (Values{{p + "2", "Meadowbrook site"}, {p + "4", "<type 4>"}}));
        EXPECT_EQ(ValuesOf(kMachine, l.key), Values{});
    }
}

// The entries are found by their numbers whatever gaps lie between them;
// they move up only over numbers that follow on, and only texts move.
TEST_F(PlayersAndArchivers, NumberedEntriesWithGapsAndOddValues) {
    const std::string key = kWinZipRecentKey;
    const struct {
        const char* what;
        Values before;
        const char* caption;
        Values after;
    } cases[] = {
        {"an entry past the value count",
         {{"filemenu1", "Meadowbrook site"}, {"filemenu3", "C:\\c.zip"}},
         "C:\\c.zip",
         {{"filemenu1", "Meadowbrook site"}}},
        {"a gap after the run",
         {{"filemenu1", "C:\\a.zip"}, {"filemenu2", "C:\\b.zip"}, {"filemenu4", "C:\\d.zip"}},
         "C:\\a.zip",
         {{"filemenu1", "C:\\b.zip"}, {"filemenu4", "C:\\d.zip"}}},
        {"an empty text ends the run",
         {{"filemenu1", "C:\\a.zip"}, {"filemenu2", ""}, {"filemenu3", "C:\\c.zip"}},
         "C:\\a.zip",
         {{"filemenu2", ""}, {"filemenu3", "C:\\c.zip"}}},
        {"names that are no entries",
         {{"filemenu01", "C:\\a.zip"}, {"filemenu", "C:\\a.zip"}, {"filemenu1x", "C:\\a.zip"}, {"other1", "C:\\a.zip"},
          {"FILEMENU5", "C:\\a.zip"}, {"filemenu6", "C:\\f.zip"}},
         "C:\\a.zip",
         {{"filemenu01", "C:\\a.zip"}, {"filemenu", "C:\\a.zip"}, {"filemenu1x", "C:\\a.zip"}, {"other1", "C:\\a.zip"},
          {"FILEMENU5", "C:\\f.zip"}}},
        {"the lowest number first",
         {{"filemenu12", "C:\\a.zip"}, {"filemenu9", "C:\\A.zip"}},
         "C:\\a.zip",
         {{"filemenu12", "C:\\a.zip"}}},
    };
    for (const auto& c : cases) {
        DeleteRegTree(kUser, key);
        Seed(kUser, key, c.before);
        DeleteOne(hsWinZipRecent, c.caption);
        EXPECT_EQ(ValuesOf(kUser, key), c.after) << c.what;
    }

    // A value of another type is never moved: it ends the run where it is.
    DeleteRegTree(kUser, key);
    Seed(kUser, key, {{"filemenu1", "C:\\a.zip"}, {"filemenu3", "C:\\c.zip"}});
    SetRegDword(kUser, key, "filemenu2", 2);
    DeleteOne(hsWinZipRecent, "C:\\a.zip");
    EXPECT_EQ(ValuesOf(kUser, key), (Values{{"filemenu2", "<type 4>"}, {"filemenu3", "C:\\c.zip"}}));
    // An expandable text moves as it is.
    DeleteRegTree(kUser, key);
    Seed(kUser, key, {{"filemenu1", "C:\\a.zip"}});
    SetRawValue(kUser, key, "filemenu2", REG_EXPAND_SZ, Utf16Z("%TEMP%\\b.zip"));
    DeleteOne(hsWinZipRecent, "C:\\a.zip");
    const platform::RegistryKey registry = platform::RegistryKey::Open({kUser, key}, KEY_READ);
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry.ValueType("filemenu1"), static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(ValuesOf(kUser, key), (Values{{"filemenu1", "%TEMP%\\b.zip"}}));
}

// WinRAR counts its entries from 0: "0" is the first, "01" none.
TEST_F(PlayersAndArchivers, WinRarEntryZeroIsItsFirst) {
    const std::string key = kWinRarRecentKey;
    const struct {
        const char* caption;
        Values after;
    } cases[] = {
        {"C:\\a.rar", {{"0", "C:\\b.rar"}, {"01", "C:\\a.rar"}, {"1", "C:\\c.rar"}}},
        {"C:\\c.rar", {{"0", "C:\\a.rar"}, {"01", "C:\\a.rar"}, {"1", "C:\\b.rar"}}},
    };
    for (const auto& c : cases) {
        DeleteRegTree(kUser, key);
        Seed(kUser, key, {{"0", "C:\\a.rar"}, {"01", "C:\\a.rar"}, {"1", "C:\\b.rar"}, {"2", "C:\\c.rar"}});
        DeleteOne(hsWinRarRecent, c.caption);
        EXPECT_EQ(ValuesOf(kUser, key), c.after) << c.caption;
    }
}

TEST_F(PlayersAndArchivers, AThousandNumberedEntriesListAndDelete) {
    const std::string key = kWinRarRecentKey;
    Values entries;
    for (int n = 1; n <= 1000; ++n) entries[std::to_string(n)] = "D:\\Archive\\part" + std::to_string(n) + ".rar";
    Seed(kUser, key, entries);
    EXPECT_EQ(List(hsWinRarRecent, "*").size(), 1000u);
    EXPECT_EQ(List(hsWinRarRecent, "*part99?.rar").size(), 10u);
    DeleteOne(hsWinRarRecent, "D:\\Archive\\part1.rar");
    const Values after = ValuesOf(kUser, key);
    ASSERT_EQ(after.size(), 999u);
    EXPECT_EQ(after.at("1"), "D:\\Archive\\part2.rar");
    EXPECT_EQ(after.at("999"), "D:\\Archive\\part1000.rar");
    EXPECT_EQ(after.count("1000"), 0u);
    DeleteAll(hsWinRarRecent, "*");
    EXPECT_EQ(ValuesOf(kUser, key), Values{});
}

}  // namespace
