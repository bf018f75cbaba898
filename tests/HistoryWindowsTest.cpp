// Windows recent lists and system folders: listing and removal.
#include "common/Common.h"
#include "platform/RegistryKey.h"
#include "formats/Masks.h"
#include "history/HistoryFunctions.h"
#include "history/HistorySectionTable.h"
#include "history/PlayerHistory.h"
#include "history/WindowsHistory.h"
#include "platform/Clipboard.h"
#include "platform/Files.h"
#include "RegSeed.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <cctype>
#include <functional>

using namespace history;
using namespace testing_support;
namespace files = platform::files;

namespace {

const std::string kTestKey = "Software\\OrvelinTests\\HistoryWindows";
const HKEY kUser = HKEY_CURRENT_USER;

using Texts = std::vector<std::string>;

Texts Sorted(Texts texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

// Value name and text pairs written as REG_SZ into one key.
void Seed(const std::string& key, std::initializer_list<std::pair<const char*, const char*>> values) {
    for (const auto& [name, text] : values) SetRegString(kUser, key, name, text);
}

void SeedDword(const std::string& key, const std::string& name) { SetRegDword(kUser, key, name, 7); }

// What a lister reports, as texts.
Texts Listed(const HistoryLister& lister, const std::string& mask) {
    HistoryRowList rows;
    lister(rows, mask, {});
    return rows.Captions();
}

std::vector<std::string> ValueNames(const std::string& key) {
    return Sorted(platform::RegistryKey::Open({HKEY_CURRENT_USER, key}, KEY_READ).ValueNames());
}

// Runs the call and returns the registry error's text ("" when none).
std::string RegistryErrorText(const std::function<void()>& call) {
    try {
        call();
    } catch (const platform::RegistryErrorText& error) {
        return error.what();
    }
    return {};
}

class RegistryLists : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteRegTree(kUser, kTestKey);
        cleanup_.Add(kUser, kTestKey);
    }
    ScopedRegKeys cleanup_;
};

TEST_F(RegistryLists, ReadRecentValuesSkipsExactNameAndFiltersWholeText) {
    const std::string key = kTestKey + "\\Values";
    Seed(key, {{"a", "C:\\Docs\\Report.TXT"}, {"b", "notepad"}, {"MRUList", "ab"}, {"c", ""}});
    SetRawValue(kUser, key, "x", REG_EXPAND_SZ, Utf16Z("%TEMP%\\note.txt"));
    const struct {
        const char* skipped;
        const char* mask;
        Texts expected;
    } cases[] = {
        {"MRUList", "*", {"", "%TEMP%\\note.txt", "C:\\Docs\\Report.TXT", "notepad"}},
        {nullptr, "*", {"", "%TEMP%\\note.txt", "C:\\Docs\\Report.TXT", "ab", "notepad"}},
        {"mrulist", "*", {"", "%TEMP%\\note.txt", "C:\\Docs\\Report.TXT", "ab", "notepad"}},  // case counts
        {"MRUList", "*.txt", {"%TEMP%\\note.txt", "C:\\Docs\\Report.TXT"}},
        {"MRUList", "Report", {}},  // the whole text must fit
        {"MRUList", "*report*", {"C:\\Docs\\Report.TXT"}},
    };
    for (const auto& c : cases) {
        HistoryRowList rows;
        rows.AddCaption("kept");
        ReadRecentValues(rows, kUser, key, c.skipped, c.mask);
        Texts list = rows.Captions();
        ASSERT_EQ(list.front(), "kept");
        list.erase(list.begin());
        EXPECT_EQ(Sorted(list), Sorted(c.expected)) << c.mask << " " << (c.skipped ? c.skipped : "-");
    }
}

TEST_F(RegistryLists, MissingKeysAreSilentOtherTypesPassedOverAndBadMasksRaise) {
    const std::string missing = kTestKey + "\\Nowhere";
    HistoryRowList list;
    // The mask is tested only when there is something to test.
    EXPECT_NO_THROW(ReadRecentValues(list, kUser, missing, nullptr, "[]"));
    EXPECT_NO_THROW(ReadRecentSubkeys(list, kUser, missing, nullptr, "*"));
    EXPECT_NO_THROW(DeleteValuesByMask(kUser, missing, "*", nullptr));
    EXPECT_NO_THROW(DeleteValuesByMaskInSubkeys(kUser, missing, "*", nullptr));
    EXPECT_NO_THROW(DeleteValueByData(kUser, missing, "x"));
    EXPECT_NO_THROW(DeleteValueByDataInSubkeys(kUser, missing, "x"));
    EXPECT_NO_THROW(WriteRegString(kUser, missing, "MRUList", ""));
    EXPECT_NO_THROW(DeleteValueByName(kUser, missing, "x"));
    EXPECT_TRUE(list.rows.empty());
    EXPECT_FALSE(RegKeyExists(kUser, missing));  // nothing creates a key

    const std::string key = kTestKey + "\\Typed";
    Seed(key, {{"a", "text"}});
    SeedDword(key, "count");
    // A value of another type is no entry: passed over, never an error.
    EXPECT_EQ(RegistryErrorText([&] { ReadRecentValues(list, kUser, key, nullptr, "*"); }), "");
    EXPECT_EQ(RegistryErrorText([&] { ReadRecentSubkeys(list, kUser, kTestKey, nullptr, "*"); }), "");
    EXPECT_EQ(list.Captions(), (Texts{"text", "text"}));
    EXPECT_THROW(ReadRecentValues(list, kUser, key, "count", "[]"), MaskError);
    EXPECT_THROW(DeleteValuesByMask(kUser, key, "[]", "count"), MaskError);
    EXPECT_EQ(ValueNames(key), (Texts{"a", "count"}));
    EXPECT_EQ(RegistryErrorText([&] { DeleteValuesByMask(kUser, key, "*", nullptr); }), "");
    EXPECT_EQ(ValueNames(key), Texts{"count"});
    // Matching by data passes over values that are not strings.
    EXPECT_NO_THROW(DeleteValueByData(kUser, key, "nothing equal"));
    EXPECT_TRUE(RegValueExists(kUser, key, "count"));
}

TEST_F(RegistryLists, DeleteValueByDataRemovesFirstEqualOnly) {
    const std::string key = kTestKey + "\\Run";
    Seed(key, {{"a", "Notepad\\1"}, {"b", "NOTEPAD\\1"}, {"c", "notepad\\12"}, {"MRUList", "abc"}});
    SetRawValue(kUser, key, "d", REG_EXPAND_SZ, Utf16Z("%windir%\\Zürich.exe"));
    DeleteValueByData(kUser, key, "notepad\\1");
    const Texts left = ValueNames(key);
    EXPECT_EQ(left.size(), 4u);
    EXPECT_TRUE(RegValueExists(kUser, key, "a") != RegValueExists(kUser, key, "b"));  // exactly one of the twins
    EXPECT_TRUE(RegValueExists(kUser, key, "c"));
    EXPECT_EQ(RegString(kUser, key, "MRUList"), "abc");  // order letters not rewritten
    DeleteValueByData(kUser, key, "%WINDIR%\\ZÜRICH.EXE");  // listed texts of expandable values go too
    EXPECT_FALSE(RegValueExists(kUser, key, "d"));
}

TEST_F(RegistryLists, SubkeyOperationsVisitEverySubkey) {
    const std::string one = kTestKey + "\\FileExts", two = kTestKey + "\\PrinterName", three = kTestKey + "\\Empty";
    Seed(one, {{"a", "budget"}, {"b", "Budget"}, {"c", "plans"}});
    Seed(two, {{"a", "BUDGET"}, {"b", "laser"}});
    SetRawValue(kUser, three, "", kKeyOnly, {});
    HistoryRowList rows;
    ReadRecentSubkeys(rows, kUser, kTestKey, nullptr, "*");
    EXPECT_EQ(Sorted(rows.Captions()), Sorted({"budget", "Budget", "plans", "BUDGET", "laser"}));

    DeleteValueByDataInSubkeys(kUser, kTestKey, "budget");
    EXPECT_EQ(ValueNames(one).size(), 2u);  // one twin stays in the first subkey
    EXPECT_EQ(ValueNames(two), Texts{"b"});

    DeleteValuesByMaskInSubkeys(kUser, kTestKey, "*a*", nullptr);
    EXPECT_EQ(ValueNames(two), Texts{});
    EXPECT_EQ(ValueNames(one).size(), 1u);  // "budget"/"Budget" survives, "plans" went
    EXPECT_TRUE(RegKeyExists(kUser, three));  // keys themselves stay
}

TEST_F(RegistryLists, WriteAndDeleteByName) {
    const std::string key = kTestKey + "\\Named";
    Seed(key, {{"MRUList", "ba"}, {"keep", "x"}});
    WriteRegString(kUser, key, "MRUList", "");
    EXPECT_TRUE(RegValueExists(kUser, key, "MRUList"));
    EXPECT_EQ(RegString(kUser, key, "MRUList"), "");
    DeleteValueByName(kUser, key, "MRUList");
    DeleteValueByName(kUser, key, "absent");
    EXPECT_EQ(ValueNames(key), Texts{"keep"});
}

TEST_F(RegistryLists, ClearOpenSaveHistoryTouchesOnlyNamedExtensionsAndStar) {
    const std::string base = kOpenSaveKey;
    DeleteRegTree(kUser, base);
    cleanup_.Add(kUser, base);
    Seed(base + "\\txt", {{"a", "C:\\a\\one.txt"}, {"b", "C:\\b\\two.txt"}, {"MRUList", "ab"}});
    Seed(base + "\\*", {{"a", "C:\\a\\one.txt"}, {"b", "C:\\c\\pic.jpeg"}, {"MRUList", "ab"}});
    Seed(base + "\\jpeg", {{"a", "C:\\c\\pic.jpeg"}, {"MRUList", "a"}});
    Seed(base + "\\doc", {{"a", "C:\\x.doc"}, {"MRUList", "a"}});
    Seed(base + "\\ab", {{"a", "C:\\ab"}});  // a tail holding "\" names no subkey

    EXPECT_EQ(Listed(ListOpenSaveHistory, "*").size(), 7u);  // every value but the order letters

    ClearOpenSaveHistory({"C:\\a\\one.txt", "C:\\a\\one.txt"}, "*one*");  // narrow: order letters stay
    EXPECT_EQ(ValueNames(base + "\\txt"), (Texts{"MRUList", "b"}));
    EXPECT_EQ(ValueNames(base + "\\*"), (Texts{"MRUList", "b"}));

    ClearOpenSaveHistory({"C:\\c\\pic.jpeg", "C:\\ab", "C:\\b\\two.txt"}, "*");
    EXPECT_EQ(ValueNames(base + "\\txt"), Texts{});
    EXPECT_EQ(ValueNames(base + "\\*"), Texts{});
    EXPECT_EQ(ValueNames(base + "\\jpeg"), (Texts{"MRUList", "a"}));
    EXPECT_EQ(ValueNames(base + "\\doc"), (Texts{"MRUList", "a"}));
    EXPECT_EQ(ValueNames(base + "\\ab"), Texts{"a"});
}

// Delete All by mask keeps the order of the entries left, in their order.
TEST_F(RegistryLists, RunHistoryDeleteAllKeepsTheOrderOfTheEntriesLeft) {
    DeleteRegTree(kUser, kRunMruKey);
    cleanup_.Add(kUser, kRunMruKey);
    const struct {
        const char* mask;
        Texts names;
        const char* order;
    } cases[] = {
        {"reg*", {"MRUList", "b", "c", "d"}, "cdb"},
        {"*reg*", {"MRUList", "b", "d"}, "db"},
        {"*", {"MRUList", "d"}, "d"},
    };
    for (const auto& c : cases) {
        Seed(kRunMruKey, {{"a", "regedit\\1"}, {"b", "cmd\\1"}, {"c", "C:\\Tools\\regview.exe\\1"},
                          {"MRUList", "cadb"}});
        SeedDword(kRunMruKey, "d");  // no text, but an entry the list still holds
        common::NoProgress quiet;
        EXPECT_EQ(HistorySectionRowOf(hsRunHistory).deleteAll({}, c.mask, quiet, {}).code, 0);
        EXPECT_EQ(ValueNames(kRunMruKey), c.names) << c.mask;
        EXPECT_EQ(RegString(kUser, kRunMruKey, "MRUList"), c.order) << c.mask;
    }
}

TEST_F(RegistryLists, FindHistoryDeleteReachesEverySubkey) {
    DeleteRegTree(kUser, kFindHistoryKey);
    cleanup_.Add(kUser, kFindHistoryKey);
    const std::string files = std::string(kFindHistoryKey) + "\\5603", words = std::string(kFindHistoryKey) + "\\5604";
    Seed(files, {{"000", "invoice*.pdf"}, {"001", "Invoice*.PDF"}});
    Seed(words, {{"000", "INVOICE*.pdf"}, {"001", "tax"}});
    EXPECT_EQ(Listed(ListFindHistory, "*").size(), 4u);
    DeleteValueByDataInSubkeys(kUser, kFindHistoryKey, "invoice*.pdf");
    EXPECT_EQ(ValueNames(files).size(), 1u);
    EXPECT_EQ(ValueNames(words), Texts{"001"});
}

// Paint, WordPad and the three Paint Shop Pro lists: the same list kind.
TEST_F(RegistryLists, ApplicationRecentListsListDeleteAndClear) {
    const struct {
        HistoryLister lister;
        std::vector<std::string> keys;
    } sections[] = {
        {ListPaintRecent, {kPaintRecentKey}},
        {ListWordPadRecent, {kWordPadRecentKey}},
        {ListPaintShopPro, {kPaintShopProKeys[0], kPaintShopProKeys[1], kPaintShopProKeys[2]}},
    };
    for (const auto& section : sections) {
        for (const std::string& key : section.keys) {
            DeleteRegTree(kUser, key);
            cleanup_.Add(kUser, key);
            Seed(key, {{"File1", "C:\\Pictures\\sunset, \"big\".bmp"},
                       {"File2", "D:\\Letters\\draft.rtf"},
                       {"File3", "C:\\Pictures\\beach.bmp"}});
        }
        EXPECT_EQ(Listed(section.lister, "*SUNSET*.BMP"), Texts(section.keys.size(), "C:\\Pictures\\sunset, \"big\".bmp")) << section.keys[0];
        for (const std::string& key : section.keys) DeleteValueByData(kUser, key, "d:\\letters\\DRAFT.rtf");
        for (const std::string& key : section.keys) DeleteValuesByMask(kUser, key, "*sunset*", nullptr);
        EXPECT_EQ(Listed(section.lister, "*"), Texts(section.keys.size(), "C:\\Pictures\\beach.bmp")) << section.keys[0];
        for (const std::string& key : section.keys) EXPECT_TRUE(RegKeyExists(kUser, key));
    }
}

TEST(WindowsFolders, PrefixTestOfWindowsAndSystemFolders) {
    const std::string windows = WindowsDirectory();
    const struct {
        std::string path;
        bool inside;
    } cases[] = {
        {windows + "\\notepad.exe", true},
        {SystemDirectory() + "drivers\\x.sys", true},
        {windows + "old\\setup.exe", true},  // a sibling starting the same way counts
        {"C:\\Program Files\\app.exe", false},
        {"D:" + windows.substr(2) + "\\x.exe", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsInWindowsFolders(c.path), c.inside) << c.path;
    std::string upper = windows + "\\EXPLORER.EXE";
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char ch) { return char(toupper(ch)); });
    EXPECT_TRUE(IsInWindowsFolders(upper));
}

// A file kept open without delete sharing, closed on scope exit.
class LockedFile {
public:
    explicit LockedFile(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    bool Valid() const { return handle_.Valid(); }

private:
    platform::FileHandle handle_;
};

TEST(FileRemovals, CodesOfOneFileSeveralAndMask) {
    ScopedFolder folder("history-file-removals");
    const std::string top = folder.Path() + "\\top.tmp";
    const std::string odd = folder.Path() + "\\sub\\[odd] ü; name,'x'.tmp";
    const std::string hidden = folder.Path() + "\\sub\\deep\\hidden.tmp";
    const std::string readOnly = folder.Path() + "\\sub\\locked-ro.tmp";
    const std::string decoy = folder.Path() + "\\sub\\keep.log";
    for (const std::string& path : {top, odd, hidden, readOnly, decoy}) {
        files::CreateFolderPath(files::ExtractFilePath(path));
        ASSERT_TRUE(files::WriteFileBytes(path, "x")) << path;
    }
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);

    common::NoProgress quiet;
    EXPECT_EQ(DeleteFilesByMask(folder.Path(), "*.TMP", quiet).code, ERROR_ACCESS_DENIED);
    for (const std::string& path : {top, odd, hidden}) EXPECT_FALSE(files::FileExists(path)) << path;
    EXPECT_TRUE(files::FileExists(readOnly));
    EXPECT_TRUE(files::FileExists(decoy));
    EXPECT_TRUE(files::DirectoryExists(folder.Path() + "\\sub\\deep"));  // folders stay
    EXPECT_EQ(DeleteFilesByMask(folder.Path() + "\\absent", "*", quiet).code, 0);

    ASSERT_TRUE(files::WriteFileBytes(top, "x"));
    const struct {
        std::string path;
        int code;
    } single[] = {{readOnly, ERROR_ACCESS_DENIED}, {folder.Path() + "\\nothing.tmp", ERROR_FILE_NOT_FOUND}, {top, 0}};
    for (const auto& c : single) EXPECT_EQ(DeleteListedFile(folder.Path(), c.path), c.code) << c.path;

    ASSERT_TRUE(files::WriteFileBytes(top, "x"));
    {
        LockedFile lock(decoy);
        ASSERT_TRUE(lock.Valid());
        EXPECT_EQ(DeleteListedFile(folder.Path(), decoy), ERROR_SHARING_VIOLATION);
        EXPECT_EQ(DeleteListedFiles(folder.Path(), {top, decoy}, quiet).code, kSomeFilesRemained);
        EXPECT_FALSE(files::FileExists(top));  // the others still go
    }
    EXPECT_EQ(DeleteListedFiles(folder.Path(), {decoy}, quiet).code, 0);
    EXPECT_EQ(DeleteListedFiles(folder.Path(), {}, quiet).code, 0);
}

// The four folder sections, each seeded with a unique subfolder of its real
// folder in the test machine.
TEST(FolderSections, ListByFullPathMaskAndClearWhatMatches) {
    const std::string tag = "orv-hw-" + std::to_string(GetCurrentProcessId());
    const struct {
        const char* name;
        std::function<std::string()> folder;
        HistoryLister lister;
    } sections[] = {
        {"recent", RecentDocumentsFolder, ListRecentDocuments},
        {"temp", TemporaryFolder, ListTemporaryFolder},
        {"send-to", SendToFolder, ListSendTo},
        {"downloaded", DownloadedInstallationsFolder, ListDownloadedInstallations},
    };
    EXPECT_EQ(TemporaryFolder(), WindowsDirectory() + "\\Temp");
    EXPECT_EQ(DownloadedInstallationsFolder(), WindowsDirectory() + "\\Downloaded Installations");
    for (const auto& section : sections) {
        const std::string folder = section.folder();
        ASSERT_FALSE(folder.empty()) << section.name;
        const std::string ours = folder + "\\" + tag;
        // File names ignore case: "Desktop.ini" and "desktop.ini" live in different folders.
        const Texts seeded = {ours + "\\Report 2024.lnk", ours + "\\inner\\Zürich – plan.lnk",
                              ours + "\\inner\\Desktop.ini", ours + "\\desktop.ini", ours + "\\other\\desktop.ini"};
        for (const std::string& path : seeded) {
            files::CreateFolderPath(files::ExtractFilePath(path));
            ASSERT_TRUE(files::WriteFileBytes(path, "x")) << path;
        }
        const bool sendTo = std::string(section.name) == "send-to";
        Texts expected(seeded.begin(), seeded.begin() + (sendTo ? 3 : 5));

        EXPECT_EQ(Sorted(Listed(section.lister, "*" + tag + "*")), Sorted(expected)) << section.name;
        // A bare name never fits a full path.
        EXPECT_TRUE(Listed(section.lister, "Report 2024.lnk").empty()) << section.name;
        EXPECT_EQ(Listed(section.lister, "*" + tag + "\\*PLAN*"), Texts{ours + "\\inner\\Zürich – plan.lnk"}) << section.name;

        common::NoProgress quiet;
        EXPECT_EQ(DeleteFilesByMask(folder, "*\\" + tag + "\\INNER\\*", quiet).code, 0);
        for (size_t i = 0; i < seeded.size(); ++i)
            EXPECT_EQ(files::FileExists(seeded[i]), i != 1 && i != 2) << seeded[i];
        EXPECT_TRUE(files::DirectoryExists(ours + "\\inner"));
        RemoveFolderTree(ours);
    }
}

TEST(Clipboard, LinesWholeUpToTheLimit) {
    ASSERT_TRUE(platform::clipboard::SetText("first line\r\nsay \"hi\", then go\r\n\r\nZürich\nend"));
    EXPECT_TRUE(ClipboardHoldsText());
    HistoryRowList rows;
    ListClipboard(rows);
    EXPECT_EQ(rows.Captions(), (Texts{"Clipboard contains some text.", "Content:", "first line", "say \"hi\", then go", "",
                           "Zürich\nend"}));

    // 50 lines of 98 characters and CR LF: 40 whole lines take 4000
    // characters, so the 41st line is cut after its 95th.
    std::string longText;
    for (int line = 0; line < 50; ++line) longText += std::string(98, char('A' + line % 26)) + "\r\n";
    ASSERT_TRUE(platform::clipboard::SetText(longText));
    rows.rows.clear();
    ListClipboard(rows);
    const Texts list = rows.Captions();
    ASSERT_EQ(list.size(), 2u + 41u);
    EXPECT_EQ(list[2], std::string(98, 'A'));
    EXPECT_EQ(list.back(), std::string(95, char('A' + 40 % 26)));

    EmptyClipboardNow();
    EXPECT_FALSE(ClipboardHoldsText());
    rows.rows.clear();
    ListClipboard(rows);
    EXPECT_TRUE(rows.rows.empty());
}

TEST(RecycleBin, FixedLineAndEmptiesOnlyThePrivateTrash) {
    HistoryRowList rows;
    ListRecycleBin(rows);
    EXPECT_EQ(rows.Captions(), Texts{"You can't view the Recycle Bin content, but nevertheless CAN CLEAR it!"});

    // The bin is the XDG trash; it is emptied only when that is the test
    // machine's own (the wrapper points XDG_DATA_HOME into its folder).
    char data[MAX_PATH] = {}, root[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("XDG_DATA_HOME", data, MAX_PATH) ||
        !GetEnvironmentVariableA("ORV_WINE_ROOT", root, MAX_PATH) || std::string(data).rfind(root, 0) != 0 ||
        std::string(root).size() < 2)
        GTEST_SKIP() << "no private trash to empty";
    std::string trashFiles = std::string("Z:") + data + "/Trash/files";
    std::replace(trashFiles.begin(), trashFiles.end(), '/', '\\');

    ScopedFolder folder("history-recycle");
    const std::string name = "binned-" + std::to_string(GetCurrentProcessId()) + ".txt";
    ScopedFile keep(folder.Path() + "\\kept.txt", "stays");
    ScopedFile binned(folder.Path() + "\\" + name, "goes to the bin");
    std::string from = binned.Path() + '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(SHFileOperationA(&operation), 0);
    ASSERT_FALSE(files::FileExists(binned.Path()));
    ASSERT_TRUE(files::FileExists(trashFiles + "\\" + name)) << trashFiles;

    EmptyRecycleBin();
    EXPECT_FALSE(files::FileExists(trashFiles + "\\" + name));
    EXPECT_TRUE(files::FileExists(keep.Path()));
}

}  // namespace
