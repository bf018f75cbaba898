// The result lists' row commands without a window: a row's cells as text,
// the key the registry editor is told to open, the Explorer start for a
// file, and what a StartUp entry, a registry record and a History row name.
#include "common/RowActions.h"
#include "history/HistorySectionTable.h"
#include "registry_scan/ProblemStore.h"
#include "startup/StartUpEditing.h"
#include "startup/StartUpFunctions.h"
#include "EngineTestSupport.h"

#include "platform/Clipboard.h"
#include "platform/Registry.h"
#include "platform/Version.h"

#include <gtest/gtest.h>

#include <optional>

using namespace testing_support;

namespace {

// The registry editor's LastKey as it was, put back at the end.
class KeptLastKey {
public:
    KeptLastKey() {
        if (RegValueExists(HKEY_CURRENT_USER, common::kRegistryEditorSettingsKey, common::kRegistryEditorLastKeyValue))
            previous_ = RegString(HKEY_CURRENT_USER, common::kRegistryEditorSettingsKey,
                                  common::kRegistryEditorLastKeyValue);
    }
    ~KeptLastKey() {
        if (previous_) {
            SetRegString(HKEY_CURRENT_USER, common::kRegistryEditorSettingsKey, common::kRegistryEditorLastKeyValue,
                         *previous_);
        } else {
            platform::KeyHandle key;
            if (platform::reg::OpenKey(HKEY_CURRENT_USER, common::kRegistryEditorSettingsKey, KEY_SET_VALUE, key) ==
                ERROR_SUCCESS)
                platform::reg::DeleteValue(key.Get(), common::kRegistryEditorLastKeyValue);
        }
    }
    static std::string Now() {
        return RegString(HKEY_CURRENT_USER, common::kRegistryEditorSettingsKey, common::kRegistryEditorLastKeyValue);
    }

private:
    std::optional<std::string> previous_;
};

TEST(RowActions, RowsAsTextPartsCellsByTabsAndRowsByLineBreaks) {
    struct Case {
        std::vector<std::vector<std::string>> rows;
        std::string text;
    } cases[] = {
        {{}, ""},
        {{{"one"}}, "one\r\n"},
        {{{"Name", "C:\\a.exe /q", "HKEY_CURRENT_USER", "Run", "No"}},
         "Name\tC:\\a.exe /q\tHKEY_CURRENT_USER\tRun\tNo\r\n"},
        {{{"a", "", "c"}, {"", "", ""}}, "a\t\tc\r\n\t\t\r\n"},  // empty cells keep their place
        // A cell's own tabs and line breaks would start a new cell or row.
        {{{"first line\r\nsecond", "tab\there"}, {"Zürich"}}, "first line  second\ttab here\r\nZürich\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(common::RowsAsText(c.rows), c.text);
}

TEST(RowActions, RegistryEditorKeyTextNamesTheRootInFull) {
    struct Case {
        const char* path;
        const char* text;
    } cases[] = {
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"},
        {"HKCU\\Software\\x", "HKEY_CURRENT_USER\\Software\\x"},
        {"hkcr\\CLSID\\{0}\\", "HKEY_CLASSES_ROOT\\CLSID\\{0}"},
        {"HKU\\.Default\\Software", "HKEY_USERS\\.Default\\Software"},
        {"HKEY_CURRENT_CONFIG", "HKEY_CURRENT_CONFIG"},
        {"hkey_users\\S", "HKEY_USERS\\S"},
        // Nothing the editor could open.
        {"", ""},
        {"\\Software\\x", ""},
        {"HKEY_LOCAL\\Software", ""},
        {"HKLMX\\Software", ""},
        {"C:\\Windows\\win.ini", ""},
        {"Computer\\HKEY_CURRENT_USER", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(common::RegistryEditorKeyText(c.path), c.text) << c.path;
}

TEST(RowActions, PrepareRegistryEditorSetsLastKeyAndStartsTheEditorBare) {
    KeptLastKey kept;
    SetRegString(HKEY_CURRENT_USER, common::kRegistryEditorSettingsKey, common::kRegistryEditorLastKeyValue, "before");
    common::ProgramStart start{"unset", "unset"};
    // A path that names no key writes nothing and starts nothing.
    EXPECT_EQ(common::PrepareRegistryEditor("C:\\not a key", start), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(KeptLastKey::Now(), "before");
    EXPECT_EQ(start, (common::ProgramStart{"unset", "unset"}));

    ASSERT_EQ(common::PrepareRegistryEditor("HKEY_CURRENT_USER\\Software\\OrvRow", start),
              static_cast<DWORD>(ERROR_SUCCESS));
    // The editor has written no root node of its own yet ("before").
    const std::string node = platform::RunsUnderWine() ? "" : "Computer\\";
    EXPECT_EQ(KeptLastKey::Now(), node + "HKEY_CURRENT_USER\\Software\\OrvRow");
    EXPECT_EQ(start, (common::ProgramStart{"regedit.exe", ""}));

    // The node the editor itself wrote is kept, whatever its language.
    SetRegString(HKEY_CURRENT_USER, common::kRegistryEditorSettingsKey, common::kRegistryEditorLastKeyValue,
                 "Ordinateur\\HKEY_USERS\\.Default");
    ASSERT_EQ(common::PrepareRegistryEditor("HKLM\\Software", start), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(KeptLastKey::Now(), "Ordinateur\\HKEY_LOCAL_MACHINE\\Software");
}

TEST(RowActions, RegistryEditorRootNodeFollowsWhatTheEditorWrote) {
    struct Case {
        const char* lastKey;
        bool underWine;
        const char* node;
    } cases[] = {
        {"Computer\\HKEY_CURRENT_USER\\Software", false, "Computer\\"},
        {"Computer\\HKEY_CURRENT_USER\\Software", true, "Computer\\"},
        {"Ordinateur\\HKEY_LOCAL_MACHINE", false, "Ordinateur\\"},
        {"My Computer\\HKEY_USERS", false, "My Computer\\"},
        {"HKEY_CURRENT_USER\\Software\\Wine", false, ""},  // Wine's editor writes the root first
        {"", false, "Computer\\"},
        {"", true, ""},
        {"garbage", false, "Computer\\"},
        {"\\HKEY_USERS", true, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(common::RegistryEditorRootNode(c.lastKey, c.underWine), c.node) << c.lastKey << " " << c.underWine;
}

TEST(RowActions, FileLocationStartSelectsAFileOrFolderThatExists) {
    ScopedFolder folder("row actions");
    ScopedFile file(folder.Path() + "\\shown file.txt", "x");
    const auto start = common::FileLocationStart(file.Path());
    ASSERT_TRUE(start);
    EXPECT_EQ(*start, (common::ProgramStart{"explorer.exe", "/select,\"" + file.Path() + "\""}));
    EXPECT_TRUE(common::FileLocationStart(folder.Path()));
    // A folder's closing backslash and the long-path form are taken off, which
    // Explorer would not select by.
    const std::string selected = "/select,\"" + folder.Path() + "\"";
    for (const std::string& spelling : {folder.Path() + "\\", "\\\\?\\" + folder.Path() + "\\\\"}) {
        const auto shown = common::FileLocationStart(spelling);
        ASSERT_TRUE(shown) << spelling;
        EXPECT_EQ(shown->arguments, selected) << spelling;
    }
    EXPECT_EQ(common::FileLocationStart("\\\\?\\UNC\\server\\share\\a.txt")->arguments,
              "/select,\"\\\\server\\share\\a.txt\"");
    // A network path is not probed: a server that does not answer would hold the window.
    EXPECT_TRUE(common::FileLocationStart("\\\\no-such-server.invalid\\share\\a.txt"));
    for (const std::string& missing : {folder.Path() + "\\gone.txt", std::string(), std::string("shown file.txt"),
                                       std::string("C:"), std::string("http://example.com/x.txt"),
                                       std::string("{null value}")})
        EXPECT_FALSE(common::FileLocationStart(missing)) << missing;
}

TEST(RowActions, RunEntryKeyPathIsTheKeyThatHoldsTheEntryNow) {
    using startup::RunEntry;
    struct Case {
        RunEntry entry;
        bool active;
        const char* key;
    } cases[] = {
        {{"a", "C:\\a.exe", "HKEY_CURRENT_USER", "Run"}, true,
         "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"},
        {{"a", "C:\\a.exe", "HKEY_LOCAL_MACHINE", "RunOnce"}, false,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce-"},
        {{"a", "C:\\a.exe", "HKEY_USERS", "RunServiceOnce"}, true,
         "HKEY_USERS\\.Default\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServiceOnce"},
        // Rows of other sources: an ini line, a Startup-folder file.
        {{"load", "C:\\b.exe", "", ""}, true, ""},
        {{"b", "C:\\Startup\\", "", ""}, false, ""},
        {{"a", "C:\\a.exe", "HKEY_CLASSES_ROOT", "Run"}, true, ""},
        {{"a", "C:\\a.exe", "HKEY_CURRENT_USER", "Winlogon"}, true, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(startup::RunEntryKeyPath(c.entry, c.active), c.key) << c.entry.rootName;
}

TEST(RowActions, ProblemEditorKeyOpensASubkeyItemItselfAndAValueItemsHolder) {
    ScratchRegKey scratch("RowActions");
    SetRegString(HKEY_CURRENT_USER, scratch.Relative() + "\\{sub}\\InprocServer32", "", "C:\\gone.dll");
    SetRegString(HKEY_CURRENT_USER, scratch.Relative(), "C:\\gone.exe", "");
    using registry_scan::MakeRegistryPath;
    using registry_scan::RegistryProblem;
    const std::string key = "\\" + scratch.Relative();
    struct Case {
        std::string registryPath;
        std::string editorKey;
    } cases[] = {
        {MakeRegistryPath("HKEY_CURRENT_USER", key, "{sub}"), scratch.Full() + "\\{sub}"},
        {MakeRegistryPath("HKEY_CURRENT_USER", key, "{sub}\\InprocServer32"), scratch.Full() + "\\{sub}\\InprocServer32"},
        {MakeRegistryPath("HKEY_CURRENT_USER", key, "C:\\gone.exe"), scratch.Full()},
        {MakeRegistryPath("HKEY_CURRENT_USER", key + "\\", "missing"), scratch.Full()},
        {MakeRegistryPath("HKEY_CURRENT_USER", key, std::string("a\0b", 3)), scratch.Full()},
        // Without an item: the key as written; without a key: nothing.
        {scratch.Full() + "|", scratch.Full()},
        {scratch.Full(), scratch.Full()},
        {"HKEY_CURRENT_USER|x", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(registry_scan::ProblemEditorKey(RegistryProblem{c.registryPath, "", "", registry_scan::kNoFix}),
                  c.editorKey)
            << c.registryPath;
}

TEST(RowActions, ProblemExistingFileTakesTheGuessFirstThenTheFileName) {
    ScopedFolder folder("row actions problem");
    ScopedFile guess(folder.Path() + "\\guess.exe", "x");
    ScopedFile named(folder.Path() + "\\named.exe", "x");
    const std::string gone = folder.Path() + "\\gone.exe";
    struct Case {
        std::string fileName, guessPath, shown;
    } cases[] = {
        {named.Path(), guess.Path(), guess.Path()},
        {named.Path(), gone, named.Path()},
        {named.Path(), "", named.Path()},
        {gone, "", ""},
        {"gone.exe", gone, ""},
        {"{null value}", folder.Path(), folder.Path()},  // a shared folder's record names a folder
        {"", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(registry_scan::ProblemExistingFile({"HKEY_CURRENT_USER\\x|y", c.fileName, c.guessPath}), c.shown)
            << c.fileName << " / " << c.guessPath;
}

TEST(RowActions, HistoryRowsNameFilesOnlyInTheSectionsOfFiles) {
    const history::HistoryRow row{"C:\\orvtests\\a file.txt", {"x"}, {}};
    for (int section : std::initializer_list<int>{history::hsRecentDocuments, history::hsTemporaryFolder, history::hsSendTo,
                        history::hsDownloadedInstallations, history::hsPaintRecent, history::hsWordPadRecent,
                        // the applications' recent file lists
                        history::hsMSWordRecent, history::hsMSExcelRecent, history::hsMSAccessRecent,
                        history::hsMSPowerPointRecent, history::hsMSFrontPageRecent, history::hsMSPublisherRecent,
                        history::hsMediaPlayerRecent, history::hsRealPlayerRecent, history::hsWinDvdRecent,
                        history::hsQuickTime, history::hsWinAmpRecent, history::hsPaintShopPro,
                        history::hsWinZipRecent, history::hsWinRarRecent})
        EXPECT_EQ(history::RowFilePath(history::HistorySectionRowOf(section), row), row.caption) << section;
    for (int section : std::initializer_list<int>{history::hsRunHistory, history::hsIETypedUrls, history::hsClipboard, history::hsRecycleBin,
                        history::hsIECookies, -1})
        EXPECT_EQ(history::RowFilePath(history::HistorySectionRowOf(section), row), "") << section;
}

}  // namespace

namespace {

// The clipboard's Unicode form as a program that pastes it reads it.
std::wstring UnicodeClipboardText() {
    if (!OpenClipboard(nullptr)) return L"(not opened)";
    std::wstring text = L"(none)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

TEST(RowActions, CopiedTextReachesUnicodeProgramsUnchanged) {
    ASSERT_TRUE(platform::clipboard::SetText("Zürich\tΩ €\r\n"));
    EXPECT_EQ(platform::clipboard::ReadText(), "Zürich\tΩ €\r\n");
    EXPECT_EQ(UnicodeClipboardText(), L"Zürich\tΩ €\r\n");
}

}  // namespace
