// Root-key names, folders, recursive listings, shortcuts and processes.
#include "common/Common.h"
#include "common/ProgramSettings.h"
#include "common/RegistryFunctions.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

namespace {

TEST(RootKeys, NamesConvertBothWays) {
    EXPECT_EQ(RootKeyFromName("HKEY_CURRENT_USER"), HKEY_CURRENT_USER);
    EXPECT_EQ(RootKeyFromName("HKEY_LOCAL_MACHINE"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RootKeyFromName("HKEY_USERS"), HKEY_USERS);
    EXPECT_EQ(RootKeyFromName("HKEY_CURRENT_CONFIG"), HKEY_CURRENT_CONFIG);
    // Everything else, exact case included, falls to HKEY_CLASSES_ROOT.
    for (const char* other : {"hkey_users", "HKEY_CLASSES_ROOT", "", "HKEY_DYN_DATA", "HKEY_USERS "})
        EXPECT_EQ(RootKeyFromName(other), HKEY_CLASSES_ROOT) << other;
    const std::pair<HKEY, const char*> all[] = {
        {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},   {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"}, {HKEY_USERS, "HKEY_USERS"},
        {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"}, {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
        {HKEY_DYN_DATA, "HKEY_DYN_DATA"}};
    for (const auto& [root, name] : all) EXPECT_EQ(RootKeyName(root), name);
    std::string untouched = "kept";
    RootKeyName(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)), untouched);
    EXPECT_EQ(untouched, "kept");
}

TEST(Folders, WindowsAndSystemFolderForms) {
    const std::string windows = WindowsDirectory();
    const std::string system = SystemDirectory();
    ASSERT_FALSE(windows.empty());
    EXPECT_NE(windows.back(), '\\');
    EXPECT_EQ(system.back(), '\\');
    EXPECT_TRUE(platform::files::DirectoryExists(system));
    EXPECT_EQ(RawSystemDirectory() + "\\", system);
}

TEST(Folders, SpecialFoldersBothWays) {
    for (int csidl : {kCsidlStartup, kCsidlCommonStartup, kCsidlProgramFiles}) {
        const std::string byPath = SpecialFolderPath(csidl);
        EXPECT_FALSE(byPath.empty()) << csidl;
        EXPECT_TRUE(SameCaption(byPath, ShellFolderPath(csidl))) << csidl;
    }
}

TEST(ListFiles, DepthFirstWithOrWithoutHiddenFiles) {
    ScopedFolder folder("listing");
    ScopedFile top(folder.Path() + "\\top.txt", "a");
    ScopedFile nested(folder.Path() + "\\sub\\deeper\\nested.lnk", "b");
    ScopedFile hidden(folder.Path() + "\\desktop.ini", "c");
    ScopedFile inHidden(folder.Path() + "\\secret\\inside.txt", "d");
    ScopedFile unicode(folder.Path() + "\\sub\\Zürich – ✓.txt", "e");
    SetFileAttributesA(hidden.Path().c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((folder.Path() + "\\secret").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);

    std::vector<std::string> visible, all, withSeparator;
    ListFilesRecursive(folder.Path(), &visible);
    ListAllFilesRecursive(folder.Path(), &all);
    ListFilesRecursive(folder.Path() + "\\", &withSeparator);
    ListFilesRecursive(folder.Path(), nullptr);  // no list: nothing happens

    auto has = [](const std::vector<std::string>& list, const std::string& path) {
        return std::find(list.begin(), list.end(), path) != list.end();
    };
    EXPECT_EQ(visible.size(), 4u);
    EXPECT_TRUE(has(visible, top.Path()));
    EXPECT_TRUE(has(visible, nested.Path()));
    EXPECT_TRUE(has(visible, inHidden.Path()));  // hidden folders are descended into
    EXPECT_TRUE(has(visible, unicode.Path()));
    EXPECT_FALSE(has(visible, hidden.Path()));
    EXPECT_EQ(all.size(), 5u);
    EXPECT_TRUE(has(all, hidden.Path()));
    EXPECT_EQ(withSeparator, visible);

    std::vector<std::string> appended{"kept"};
    ListFilesRecursive(folder.Path() + "\\no such folder", &appended);
    EXPECT_EQ(appended, std::vector<std::string>{"kept"});
}

TEST(ListFiles, AnEmptyFolderListsNothing) {
    // An unresolved special folder comes back empty; it must not turn into
    // the root of the current drive and a walk over the whole disk.
    std::vector<std::string> visible{"kept"}, all{"kept"};
    ListFilesRecursive("", &visible);
    ListAllFilesRecursive("", &all);
    EXPECT_EQ(visible, std::vector<std::string>{"kept"});
    EXPECT_EQ(all, std::vector<std::string>{"kept"});
}

TEST(ResolveShortcut, ReadsTargetsAndKeepsOtherPaths) {
    ScopedFolder folder("links");
    const std::string target = folder.Path() + "\\Programm ünïcode.exe";
    ScopedFile program(target, "MZ");
    WriteShortcut(folder.Path() + "\\good.lnk", target);
    WriteShortcut(folder.Path() + "\\dangling.lnk", folder.Path() + "\\gone.exe");
    ScopedFile corrupt(folder.Path() + "\\corrupt.lnk", "this is no shell link");

    EXPECT_EQ(ResolveShortcut(folder.Path() + "\\good.lnk"), target);
    EXPECT_EQ(ResolveShortcut(folder.Path() + "\\dangling.lnk"), folder.Path() + "\\gone.exe");
    EXPECT_EQ(ResolveShortcut(corrupt.Path()), corrupt.Path());
    EXPECT_EQ(ResolveShortcut(folder.Path() + "\\missing.lnk"), folder.Path() + "\\missing.lnk");
}

// Texts are UTF-8: letters beyond ASCII compare without case as the user's
// locale has it, and nothing but case is ignored.
TEST(SameCaption, WholeTextsWithCaseIgnoredBeyondAscii) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"C:\\Tools\\App.EXE", "c:\\tools\\app.exe", true},
        {"C:\\Übersicht\\Tool.exe", "c:\\übersicht\\tool.EXE", true},
        {"Ωmega ÀÉÎ", "ωMEGA àéî", true},
        {"C:\\Программы", "c:\\пРОГРАММЫ", true},
        {"", "", true},
        {"ü", "u", false},  // an accent is more than case
        {"ü", "ö", false},
        {"app.exe", "app.exe ", false},
        {"app.exe", "app.ex", false},
        {"a", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameCaption(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(SameCaption(c.b, c.a), c.same) << c.b << " / " << c.a;
    }
}

TEST(Processes, MainModulePathOfARunningHelperAndOfNone) {
    ScopedFolder folder("processes");
    const std::string helper = CopyHelper("orvhelper.exe", folder.Path());
    HelperProcess process(helper);
    ASSERT_TRUE(process.WaitUntilListed());
    EXPECT_TRUE(SameCaption(MainModulePath(process.Id()), helper));
    EXPECT_EQ(MainModulePath(0), "none");
    EXPECT_EQ(MainModulePath(0xFFFFFFF0), "none");
}

TEST(Processes, RunProgramStartsOrReportsFailure) {
    ScopedFolder folder("runprogram");
    const std::string helper = CopyHelper("orvhelper.exe", folder.Path(), "run helper.exe");
    EXPECT_FALSE(RunProgram("\"" + folder.Path() + "\\missing.exe\"", SW_RESTORE));
    ASSERT_TRUE(RunProgram("\"" + helper + "\" 120", SW_RESTORE));  // lives until it is found and ended
    // Find it running, then let it end.
    bool seen = false;
    for (int attempt = 0; attempt < kProcessWaitSteps && !seen; ++attempt) {
        for (const auto& process : platform::processes::SnapshotProcesses())
            if (SameCaption(MainModulePath(process.id), helper)) {
                seen = true;
                platform::processes::TerminateProcessById(process.id);
                platform::processes::WaitForProcessEnd(process.id, 5000);
            }
        if (!seen) Sleep(kProcessWaitStep);
    }
    EXPECT_TRUE(seen);
}

}  // namespace

namespace {

// An installed program keeps its data in the user's local application data;
// a copy anywhere else (the zip, the build folder) keeps it beside itself.
TEST(ProgramSettings, DataFolderBesideTheProgramUnlessRunFromItsInstallation) {
    const std::string local = "C:\\Users\\ann\\AppData\\Local";
    const struct {
        const char* program;
        const char* installed;
        const char* expected;
    } cases[] = {
        {"C:\\Program Files\\Orvelin\\", "C:\\Program Files\\Orvelin\\", "C:\\Users\\ann\\AppData\\Local\\Orvelin\\"},
        {"C:\\Program Files\\Orvelin\\", "c:\\program files\\orvelin", "C:\\Users\\ann\\AppData\\Local\\Orvelin\\"},
        {"D:\\Tools\\Orvelin\\", "C:\\Program Files\\Orvelin\\", "D:\\Tools\\Orvelin\\"},
        {"D:\\Tools\\Orvelin", "", "D:\\Tools\\Orvelin\\"},
        {"C:\\Program Files\\Orvelin\\Old\\", "C:\\Program Files\\Orvelin\\", "C:\\Program Files\\Orvelin\\Old\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(common::DataFolderFor(c.program, c.installed, local), c.expected) << c.program << " | " << c.installed;
    // With no local application data folder there is nowhere else to go.
    EXPECT_EQ(common::DataFolderFor("C:\\Program Files\\Orvelin\\", "C:\\Program Files\\Orvelin\\", ""),
              "C:\\Program Files\\Orvelin\\");
}

// The running program (a test program in the build folder) is not installed:
// its data stays beside it, and a recorded installation elsewhere changes nothing.
TEST(ProgramSettings, TheRunningCopyKeepsItsDataBesideItself) {
    struct RemovedAtEnd {
        ~RemovedAtEnd() { RegDeleteKeyExA(HKEY_LOCAL_MACHINE, common::kInstallKey, KEY_WOW64_64KEY, 0); }
    } removed;
    platform::KeyHandle key;
    ASSERT_EQ(platform::reg::CreateKey(HKEY_LOCAL_MACHINE, common::kInstallKey, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                                            key),
              ERROR_SUCCESS);
    ASSERT_EQ(platform::reg::SetString(key.Get(), common::kInstallFolderValue, "C:\\Program Files\\Orvelin\\"),
              ERROR_SUCCESS);
    const common::ProgramSettings settings = common::RunningProgramSettings();
    EXPECT_FALSE(settings.installed);
    EXPECT_EQ(settings.dataFolder, settings.programFolder);
    EXPECT_EQ(settings.backupFolder, settings.programFolder + "Backup\\");
    EXPECT_EQ(settings.version, ORV_VERSION_TEXT);
    // Recorded as this very folder, it is the installed program.
    ASSERT_EQ(platform::reg::SetString(key.Get(), common::kInstallFolderValue, settings.programFolder),
              ERROR_SUCCESS);
    const common::ProgramSettings installed = common::RunningProgramSettings();
    EXPECT_TRUE(installed.installed);
    EXPECT_NE(installed.dataFolder, installed.programFolder);
    EXPECT_EQ(installed.dataFolder.substr(installed.dataFolder.size() - 8), "Orvelin\\");
}

}  // namespace
