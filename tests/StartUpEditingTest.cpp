// Adding, deleting, switching and moving startup entries, shortcuts in the
// Startup folder, and finding a program's process.
#include "common/Common.h"
#include "platform/Files.h"
#include "startup/ProcessLookup.h"
#include "startup/StartUpFunctions.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace startup;
using namespace testing_support;

namespace {

const std::string kUser = "HKEY_CURRENT_USER";

std::string Key(const std::string& root, const std::string& keyName) { return RunKeyPath(root, keyName); }

class RunKeyEditing : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        DeleteUserRunKeys({"RunOnceEx", "RunServiceOnce"});
        for (const char* suffix : {"", "-"})
            DeleteRegTree(HKEY_USERS, RunKeyPath("HKEY_USERS", "RunServiceOnce", suffix));
    }
    static bool In(const std::string& keyName, const std::string& name, HKEY root = HKEY_CURRENT_USER,
                   const std::string& rootName = kUser) {
        return RegValueExists(root, Key(rootName, keyName), name);
    }
};

TEST_F(RunKeyEditing, AddCreatesTheKeyAndNeverReplaces) {
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx")));
    EXPECT_TRUE(AddRunValue(kUser, "RunOnceEx", "OrvE app", "C:\\app.exe /tray"));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx"), "OrvE app"), "C:\\app.exe /tray");
    EXPECT_FALSE(AddRunValue(kUser, "RunOnceEx", "OrvE app", "C:\\other.exe"));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx"), "OrvE app"), "C:\\app.exe /tray");
    // Under HKEY_USERS the key lies below the default user.
    EXPECT_TRUE(AddRunValue("HKEY_USERS", "RunServiceOnce", "OrvE default", "C:\\d.exe"));
    EXPECT_TRUE(RegValueExists(HKEY_USERS, ".Default\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServiceOnce",
                               "OrvE default"));
}

TEST_F(RunKeyEditing, TextsNoListCouldShowAreRefused) {
    EXPECT_EQ(AddRunValueProblem("HKEY_LOCAL_MACHINE", "Run", "x"), "");
    EXPECT_EQ(AddRunValueProblem("HKEY_USERS", "RunServiceOnce", "x"), "");
    for (const char* root : {"HKEY_CLASSES_ROOT", "hkey_current_user", "", "HKEY_CURRENT_CONFIG", "HKCU"})
        EXPECT_NE(AddRunValueProblem(root, "Run", "x").find("is not a root key"), std::string::npos) << root;
    EXPECT_NE(AddRunValueProblem(kUser, "RunServices", "x").find("is not a startup section"), std::string::npos);
    EXPECT_EQ(AddRunValueProblem(kUser, "Run", ""), "Please enter a Name for the new value.");
}

TEST_F(RunKeyEditing, DeleteTakesTheValueFromTheKeyNamed) {
    SetRegString(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx"), "OrvE both", "C:\\on.exe");
    SetRegString(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx-"), "OrvE both", "C:\\off.exe");
    EXPECT_TRUE(DeleteRunValue(kUser, "RunOnceEx-", "OrvE both", "C:\\off.exe"));
    EXPECT_TRUE(In("RunOnceEx", "OrvE both"));
    EXPECT_FALSE(In("RunOnceEx-", "OrvE both"));
    EXPECT_FALSE(DeleteRunValue(kUser, "RunOnceEx-", "OrvE both", "C:\\off.exe"));
    EXPECT_FALSE(DeleteRunValue(kUser, "RunServiceOnce", "OrvE missing", "C:\\x.exe"));  // no key: nothing happens
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, Key(kUser, "RunServiceOnce")));
}

TEST_F(RunKeyEditing, SwitchingMovesBetweenTheKeyAndItsTwin) {
    SetRegString(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx"), "OrvE tool", "C:\\tool.exe -q");
    const RunEntry entry{"OrvE tool", "C:\\tool.exe -q", kUser, "RunOnceEx"};
    SwitchEntry(entry, false);
    EXPECT_FALSE(In("RunOnceEx", "OrvE tool"));
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx-"), "OrvE tool"), "C:\\tool.exe -q");
    SwitchEntry(entry, true);
    EXPECT_TRUE(In("RunOnceEx", "OrvE tool"));
    EXPECT_FALSE(In("RunOnceEx-", "OrvE tool"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx-")));  // the empty twin stays
}

TEST_F(RunKeyEditing, ADifferentValueInTheTargetKeepsTheSourceEntry) {
    SetRegString(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx"), "OrvE twin", "C:\\new.exe");
    SetRegString(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx-"), "OrvE twin", "C:\\old.exe");
    SwitchEntry(RunEntry{"OrvE twin", "C:\\old.exe", kUser, "RunOnceEx"}, true);
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx"), "OrvE twin"), "C:\\new.exe");
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx-"), "OrvE twin"), "C:\\old.exe");
}

TEST_F(RunKeyEditing, AnySequenceLeavesTheEntryInExactlyOneKey) {
    const RunEntry entry{"OrvE seq", "C:\\seq.exe", kUser, "RunServiceOnce"};
    SetRegString(HKEY_CURRENT_USER, Key(kUser, "RunServiceOnce"), entry.name, entry.location);
    std::mt19937 random(3);
    for (int step = 0; step < 60; ++step) {
        const bool active = random() % 2;
        switch (random() % 3) {
        case 0: SwitchEntry(entry, active); break;
        case 1: SwitchEntry(entry, !active); SwitchEntry(entry, active); break;
        default: MoveRunEntry(RunEntry{entry.name, entry.location, kUser, "RunServiceOnce"}, In("RunServiceOnce", entry.name), "RunServiceOnce"); break;
        }
        const bool on = In("RunServiceOnce", entry.name), off = In("RunServiceOnce-", entry.name);
        ASSERT_NE(on, off) << "step " << step;
    }
}

TEST_F(RunKeyEditing, MovingKeepsRootAndState) {
    SetRegString(HKEY_CURRENT_USER, Key(kUser, "RunOnceEx-"), "OrvE moved", "C:\\m.exe");
    MoveRunEntry(RunEntry{"OrvE moved", "C:\\m.exe", kUser, "RunOnceEx"}, false, "RunServiceOnce");
    EXPECT_FALSE(In("RunOnceEx-", "OrvE moved"));
    EXPECT_TRUE(In("RunServiceOnce-", "OrvE moved"));
    EXPECT_FALSE(In("RunServiceOnce", "OrvE moved"));
}

TEST(StartupShortcuts, NamesAndARealShortcut) {
    EXPECT_EQ(StartupShortcutName("C:\\tools\\setup.v2.exe"), "setup.lnk");
    EXPECT_EQ(StartupShortcutName("C:\\tools\\noext"), "lnk");
    EXPECT_EQ(StartupShortcutName("C:\\tools.d\\app.exe"), "app.lnk");
    EXPECT_EQ(StartupShortcutName("C:\\tools\\Ünïcode.exe"), "Ünïcode.lnk");
    ScopedFolder folder("shortcuts");
    const std::string program = CopyHelper("orvhelper.exe", folder.Path(), "OrvShort.exe");
    CreateStartupShortcut(program);
    const std::string link = SpecialFolderPath(kCsidlStartup) + "\\OrvShort.lnk";
    ASSERT_TRUE(platform::files::FileExists(link));
    EXPECT_EQ(ResolveShortcut(link), program);
    CreateStartupShortcut(program);  // replaces
    EXPECT_EQ(ResolveShortcut(link), program);
    platform::files::DeleteFilePath(link);
}

TEST(EditCommands, NotepadCommandLines) {
    const std::string windows = WindowsDirectory();
    EXPECT_EQ(EditCommandLine(kSuWinIni), windows + "\\NOTEPAD.EXE " + windows + "\\Win.ini");
    EXPECT_EQ(EditCommandLine(kSuWininitIni), windows + "\\NOTEPAD.EXE " + windows + "\\wininit.ini");
    EXPECT_EQ(EditCommandLine(kSuAutoexecBat), windows + "\\NOTEPAD.EXE C:\\autoexec.bat");
    EXPECT_EQ(EditCommandLine(kSuConfigSys), windows + "\\NOTEPAD.EXE C:\\config.sys");
    EXPECT_EQ(EditCommandLine(kSuConfigNt), windows + "\\NOTEPAD.EXE " + windows + "\\system32\\config.nt");
    EXPECT_EQ(EditCommandLine(kSuRun), "");
}

TEST(ProcessLookup, FindsTheLastByPathAndTheFirstByName) {
    ScopedFolder folder("lookup");
    const std::string helper = CopyHelper("orvhelper.exe", folder.Path(), "lookup helper.exe");
    EXPECT_EQ(FindProcessByPath(helper), "No");
    EXPECT_EQ(FindProcessByName("lookup helper.exe"), 0u);
    HelperProcess first(helper), second(helper);
    ASSERT_TRUE(first.WaitUntilListed());
    ASSERT_TRUE(second.WaitUntilListed());
    const std::string byPath = FindProcessByPath(helper);
    ASSERT_EQ(byPath.size(), 8u);
    const DWORD lastId = static_cast<DWORD>(std::strtoul(byPath.c_str(), nullptr, 16));
    EXPECT_TRUE(lastId == first.Id() || lastId == second.Id());
    EXPECT_EQ(lastId, LastListedOf({first.Id(), second.Id()}));  // the last one the system lists
    for (char c : byPath) EXPECT_TRUE(isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'));
    const DWORD byName = FindProcessByName("LOOKUP HELPER.EXE");
    EXPECT_TRUE(byName == first.Id() || byName == second.Id());
    const auto modules = ProcessModuleNames(first.Id());
    ASSERT_FALSE(modules.empty());
    EXPECT_EQ(modules[0], "lookup helper.exe");  // its own file first
    EXPECT_TRUE(ProcessModuleNames(0).empty());
}

}  // namespace
