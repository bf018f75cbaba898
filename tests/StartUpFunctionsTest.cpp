// The startup sources, listed from a seeded test machine.
#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "startup/ProcessLookup.h"
#include "startup/StartUpFunctions.h"
#include "RestrictedRegKey.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <iterator>

using namespace startup;
using namespace testing_support;

namespace {

const HKEY kRoots[3] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS};

// The run keys' nodes and their keys, in listing order.
struct RunKeyNode {
    int id;
    const char* key;
};
const RunKeyNode kRunKeyNodes[5] = {{kSuRun, "Run"},
                                    {kSuRunOnce, "RunOnce"},
                                    {kSuRunOnceEx, "RunOnceEx"},
                                    {kSuRunService, "RunService"},
                                    {kSuRunServiceOnce, "RunServiceOnce"}};

std::string KeyPath(int root, const std::string& section, const std::string& suffix = "") {
    return RunKeyPath(kRunRoots[root], section, suffix);
}

const StartupRow* FindRow(const StartupListing& list, const std::string& caption) {
    auto it = std::find_if(list.rows.begin(), list.rows.end(),
                           [&](const StartupRow& row) { return row.caption == caption; });
    return it == list.rows.end() ? nullptr : &*it;
}

int IndexOf(const StartupListing& list, const std::string& caption) {
    for (size_t i = 0; i < list.rows.size(); ++i)
        if (list.rows[i].caption == caption) return static_cast<int>(i);
    return -1;
}

StartupListing List(int id) {
    static FileVersionInfo info;
    StartupListing list;
    ListSection(id, list, info);
    return list;
}

// Every run key of every root gets an active entry and a switched-off twin
// entry named after its place, such as "OrvT 1 RunOnce" and "OrvT 1 RunOnce off".
class SeededRunKeys : public ::testing::Test {
protected:
    void SetUp() override {
        for (int root = 0; root < 3; ++root)
            for (const auto& [id, section] : kRunKeyNodes) {
                const std::string name = Name(root, section);
                SetRegString(kRoots[root], KeyPath(root, section), name, "C:\\missing\\" + name + ".exe /x");
                SetRegString(kRoots[root], KeyPath(root, section, "-"), name + " off", "C:\\missing\\off.exe");
                cleanup_.emplace_back(kRoots[root], KeyPath(root, section), name);
                cleanup_.emplace_back(kRoots[root], KeyPath(root, section, "-"), name + " off");
            }
    }
    static std::string Name(int root, const std::string& section) {
        return "OrvT " + std::to_string(root) + " " + section;
    }
    std::deque<ScopedRegValue> cleanup_;  // never moves its elements
};

TEST_F(SeededRunKeys, AllViewListsActiveEntriesOnlyWithoutCheckBoxes) {
    const StartupListing list = List(kSuAll);
    EXPECT_FALSE(list.checkBoxes);
    EXPECT_EQ(list.popup, SuPopupMenu::ValueReg);
    int previous = -1;
    for (int root = 0; root < 3; ++root)
        for (const auto& [id, section] : kRunKeyNodes) {
            const StartupRow* row = FindRow(list, Name(root, section));
            ASSERT_NE(row, nullptr) << Name(root, section);
            EXPECT_EQ(row->subItems, (std::vector<std::string>{"C:\\missing\\" + Name(root, section) + ".exe /x",
                                                               kRunRoots[root], section, "N/A"}));
            EXPECT_EQ(FindRow(list, Name(root, section) + " off"), nullptr);
            // Roots in the order machine, user, default user; sections in key order.
            const int index = IndexOf(list, Name(root, section));
            EXPECT_GT(index, previous);
            previous = index;
        }
}

TEST_F(SeededRunKeys, RegistryGroupListsEachKeyThenItsTwin) {
    const StartupListing list = List(kSuRegistry);
    EXPECT_TRUE(list.checkBoxes);
    for (int root = 0; root < 3; ++root)
        for (const auto& [id, section] : kRunKeyNodes) {
            const StartupRow* active = FindRow(list, Name(root, section));
            const StartupRow* off = FindRow(list, Name(root, section) + " off");
            ASSERT_NE(active, nullptr);
            ASSERT_NE(off, nullptr);
            EXPECT_TRUE(active->checked);
            EXPECT_FALSE(off->checked);
            EXPECT_EQ(off->subItems[2], section);  // the twin's row names the section itself
            EXPECT_EQ(IndexOf(list, Name(root, section) + " off"), IndexOf(list, Name(root, section)) + 1);
        }
}

TEST_F(SeededRunKeys, EachRunKeyNodeListsItsKeyUnderTheThreeRoots) {
    for (const auto& [id, section] : kRunKeyNodes) {
        const StartupListing list = List(id);
        EXPECT_TRUE(list.checkBoxes);
        EXPECT_EQ(list.popup, SuPopupMenu::ValueReg);
        std::vector<std::string> ours;
        for (const StartupRow& row : list.rows)
            if (row.caption.rfind("OrvT ", 0) == 0) ours.push_back(row.caption);
        std::vector<std::string> expected;
        for (int root = 0; root < 3; ++root) {
            expected.push_back(Name(root, section));
            expected.push_back(Name(root, section) + " off");
        }
        EXPECT_EQ(ours, expected) << section;
        for (const StartupRow& row : list.rows) EXPECT_EQ(row.subItems[2], section);
    }
}

TEST_F(SeededRunKeys, PresenceFlagsFollowTheRunKeys) {
    const SuSectionFlags flags = UpdateSectionFlags();
    for (const RunKeyNode& node : kRunKeyNodes) {
        EXPECT_TRUE(flags[node.id]) << node.key;
        EXPECT_EQ(SectionImage(node.id, flags), kSuImagePresent);
    }
}

TEST(RunKeyReader, DefaultValuesAndEmptyLocationsAreNeverListed) {
    ScopedRegKeys keys;
    const std::string path = KeyPath(1, "RunServiceOnce");
    keys.Add(HKEY_CURRENT_USER, path);
    SetRegString(HKEY_CURRENT_USER, path, "", "C:\\default.exe");
    SetRegString(HKEY_CURRENT_USER, path, "OrvT empty", "");
    SetRegString(HKEY_CURRENT_USER, path, "OrvT Ünïcode ✓", "C:\\Программы\\x.exe");
    const StartupListing list = List(kSuRunServiceOnce);
    EXPECT_EQ(FindRow(list, ""), nullptr);
    EXPECT_EQ(FindRow(list, "OrvT empty"), nullptr);
    const StartupRow* unicode = FindRow(list, "OrvT Ünïcode ✓");
    ASSERT_NE(unicode, nullptr);
    EXPECT_EQ(unicode->subItems[0], "C:\\Программы\\x.exe");
}

TEST(RunKeyReader, ValuesThatAreNotStringsAreSkippedInEveryView) {
    // Windows starts only string values; the others must not hide the rest.
    ScopedRegKeys keys;
    const std::string path = KeyPath(1, "RunOnceEx"), twin = KeyPath(1, "RunOnceEx", "-");
    keys.Add(HKEY_CURRENT_USER, path);
    keys.Add(HKEY_CURRENT_USER, twin);
    SetRegDword(HKEY_CURRENT_USER, path, "OrvT number", 5);
    SetRegString(HKEY_CURRENT_USER, path, "OrvT first", "C:\\first.exe");
    {
        platform::KeyHandle key;
        ASSERT_EQ(platform::reg::OpenKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        const BYTE binary[] = {1, 2, 3};
        platform::reg::SetValue(key.Get(), "OrvT binary", REG_BINARY, binary, sizeof(binary));
        const char multi[] = "C:\\multi.exe\0\0";
        platform::reg::SetValue(key.Get(), "OrvT multi", REG_MULTI_SZ, multi, sizeof(multi));
        const char expand[] = "%SystemRoot%\\expand.exe";
        platform::reg::SetValue(key.Get(), "OrvT expand", REG_EXPAND_SZ, expand, sizeof(expand));
    }
    SetRegString(HKEY_CURRENT_USER, path, "OrvT last", "C:\\last.exe");
    SetRegDword(HKEY_CURRENT_USER, twin, "OrvT twin number", 1);
    SetRegString(HKEY_CURRENT_USER, twin, "OrvT twin", "C:\\twin.exe");
    for (int view : {kSuAll, kSuRegistry, kSuRunOnceEx}) {
        SCOPED_TRACE(view);
        const StartupListing list = List(view);
        for (const char* listed : {"OrvT first", "OrvT expand", "OrvT last"})
            EXPECT_NE(FindRow(list, listed), nullptr) << listed;
        EXPECT_EQ(FindRow(list, "OrvT twin") != nullptr, view != kSuAll);
        for (const char* skipped : {"OrvT number", "OrvT binary", "OrvT multi", "OrvT twin number"})
            EXPECT_EQ(FindRow(list, skipped), nullptr) << skipped;
    }
    const StartupListing own = List(kSuRunOnceEx);
    const StartupRow* expandRow = FindRow(own, "OrvT expand");
    ASSERT_NE(expandRow, nullptr);
    EXPECT_EQ(expandRow->subItems[0], "%SystemRoot%\\expand.exe");
}

TEST(RunKeyReader, KeysThatRefuseWritingAreStillListed) {
    // As the machine's run keys are for a user without administrator rights.
    ScopedRegKeys keys;
    const std::string path = KeyPath(1, "RunServiceOnce"), twin = KeyPath(1, "RunServiceOnce", "-");
    keys.Add(HKEY_CURRENT_USER, path);
    keys.Add(HKEY_CURRENT_USER, twin);
    SetRegString(HKEY_CURRENT_USER, path, "OrvT locked", "C:\\locked.exe");
    SetRegString(HKEY_CURRENT_USER, twin, "OrvT locked off", "C:\\off.exe");
    ScopedReadOnlyKey lockedKey(HKEY_CURRENT_USER, path), lockedTwin(HKEY_CURRENT_USER, twin);
    EXPECT_NE(FindRow(List(kSuAll), "OrvT locked"), nullptr);
    const StartupListing list = List(kSuRunServiceOnce);
    EXPECT_NE(FindRow(list, "OrvT locked"), nullptr);
    EXPECT_NE(FindRow(list, "OrvT locked off"), nullptr);
    EXPECT_TRUE(UpdateSectionFlags()[kSuRunServiceOnce]);
}

TEST(ActiveState, RunningMissingAndStopped) {
    ScopedFolder folder("active");
    const std::string running = CopyHelper("orvhelper.exe", folder.Path(), "running helper.exe");
    const std::string stopped = CopyHelper("orvhelper.exe", folder.Path(), "stopped helper.exe");
    HelperProcess process(running);
    ASSERT_TRUE(process.WaitUntilListed());
    FileVersionInfo info;
    const auto paths = RunningProcessPaths();
    EXPECT_EQ(ActiveState("\"" + running + "\" -tray", info, paths), "Yes");
    EXPECT_EQ(ActiveState(stopped, info, paths), "No");
    EXPECT_EQ(ActiveState(folder.Path() + "\\gone.exe", info, paths), "N/A");
    // Letter case does not matter in the comparison.
    std::string upper = running;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return static_cast<char>(toupper(c)); });
    EXPECT_EQ(ActiveState(upper, info, paths), "Yes");

    SetRegString(HKEY_CURRENT_USER, KeyPath(1, "Run"), "OrvT running", "\"" + running + "\"");
    ScopedRegValue value(HKEY_CURRENT_USER, KeyPath(1, "Run"), "OrvT running");
    const StartupListing list = List(kSuRun);
    const StartupRow* row = FindRow(list, "OrvT running");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->subItems[3], "Yes");
    EXPECT_EQ(row->iconFile, running);
}

// A listed path and a running program's path that differ only in the case of
// a letter beyond ASCII ("Ü" and "ü") name the same file.
TEST(ActiveState, CaseBeyondAsciiIsIgnoredToo) {
    ScopedFolder folder("active Ü");
    const std::string running = CopyHelper("orvhelper.exe", folder.Path(), "Über helper.exe");
    HelperProcess process(running);
    ASSERT_TRUE(process.WaitUntilListed());
    const std::string listed = "C:\\orvtests\\active ü\\über helper.exe";
    ASSERT_EQ(running, "C:\\orvtests\\active Ü\\Über helper.exe");
    FileVersionInfo info;
    EXPECT_EQ(ActiveState("\"" + listed + "\" /min", info, RunningProcessPaths()), "Yes");
    EXPECT_EQ(FindProcessByPath(listed), FindProcessByPath(running));
    EXPECT_NE(FindProcessByPath(listed), "No");
}

std::string Windows() { return WindowsDirectory(); }

// win.ini [windows] and system.ini [boot] may live in the registry (ini
// mapping), so they are seeded through the profile API.
TEST(IniFiles, WinIniAndSystemIniRows) {
    const std::string winIni = Windows() + "\\win.ini", systemIni = Windows() + "\\system.ini";
    ScopedIniValue load(winIni, "windows", "load", "C:\\loader.exe");
    ScopedIniValue run(winIni, "windows", "run", "");
    ScopedIniValue shell(systemIni, "boot", "shell", "regedit.exe");
    ScopedIniValue saver(systemIni, "boot", "scrnsave.exe", "C:\\saver.scr");

    StartupListing win8 = List(kSuWinIni);
    EXPECT_FALSE(win8.checkBoxes);
    EXPECT_EQ(win8.popup, SuPopupMenu::ValueFiles);
    ASSERT_EQ(win8.rows.size(), 1u);  // "run" is empty and removed
    EXPECT_EQ(win8.rows[0].caption, "load");
    EXPECT_EQ(win8.rows[0].subItems, (std::vector<std::string>{"C:\\loader.exe", "", "", "N/A"}));

    StartupListing system9 = List(kSuSystemIni);
    ASSERT_EQ(system9.rows.size(), 2u);
    EXPECT_EQ(system9.rows[0].caption, "shell");
    EXPECT_EQ(system9.rows[0].subItems[3], "No");  // regedit.exe exists and is not running
    EXPECT_EQ(system9.rows[1].caption, "scrnsave.exe");

    StartupListing all = List(kSuAll);
    EXPECT_NE(FindRow(all, "load"), nullptr);
    EXPECT_NE(FindRow(all, "shell"), nullptr);
    EXPECT_EQ(FindRow(all, "scrnsave.exe"), nullptr);  // the All view shows only the shell
}

TEST(IniFiles, EmptyWinIniValuesAddNothingToAll) {
    ScopedIniValue load(Windows() + "\\win.ini", "windows", "load", "");
    ScopedIniValue run(Windows() + "\\win.ini", "windows", "run", "");
    const StartupListing all = List(kSuAll);
    EXPECT_EQ(FindRow(all, "load"), nullptr);
    EXPECT_EQ(FindRow(all, "run"), nullptr);
    EXPECT_TRUE(List(kSuWinIni).rows.empty());
}

TEST(IniFiles, WininitHeadersStayWithTheirKeys) {
    ScopedFile wininit(Windows() + "\\wininit.ini",
                       "[rename]\r\nNUL=C:\\temp\\old.dll\r\nC:\\a.dll=C:\\b.dll\r\nNUL=C:\\second.dll\r\n[empty]\r\n");
    const StartupListing list = List(kSuWininitIni);
    std::vector<std::string> captions;
    for (const StartupRow& row : list.rows) captions.push_back(row.caption);
    ASSERT_GE(captions.size(), 4u);
    EXPECT_EQ(captions[0], "[rename]");
    EXPECT_TRUE(list.rows[0].subItems.empty());
    EXPECT_EQ(list.rows[1].caption, "NUL");
    EXPECT_EQ(list.rows[1].subItems, std::vector<std::string>{"C:\\temp\\old.dll"});
    EXPECT_EQ(list.rows[2].caption, "C:\\a.dll");
    EXPECT_EQ(captions.back(), "[empty]");
    EXPECT_TRUE(UpdateSectionFlags()[kSuWininitIni]);
}

TEST(BatchFiles, EqualsSignsAndTheCaseSensitiveRemTest) {
    ScopedFile winstart(Windows() + "\\winstart.bat",
                        "SET PATH=C:\\tools\r\nrem lower=listed\r\nREM upper=skipped\r\n@echo off\r\nx=\r\n");
    const StartupListing list = List(kSuWinstartBat);
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[0].caption, "SET PATH");
    EXPECT_EQ(list.rows[0].subItems, std::vector<std::string>{"C:\\tools"});
    EXPECT_EQ(list.rows[1].caption, "rem lower");
    EXPECT_TRUE(list.rows[1].iconFile.empty());
}

TEST(BatchFiles, AutoexecNtTakesTheTextAfterLh) {
    ScopedFile autoexec(Windows() + "\\system32\\autoexec.nt",
                        "lh %SystemRoot%\\system32\\mscdexnt.exe\nREM lh skipped\nlh\nnothing here\n");
    const StartupListing list = List(kSuAutoexecNt);
    ASSERT_EQ(list.rows.size(), 1u);  // the bare "lh" has an empty Location
    EXPECT_EQ(list.rows[0].caption, "lh");
    EXPECT_EQ(list.rows[0].subItems, std::vector<std::string>{"%SystemRoot%\\system32\\mscdexnt.exe"});
}

TEST(BatchFiles, EveryFileNodeAndTheFilesGroup) {
    ScopedFile config(Windows() + "\\system32\\config.nt", "files=40\r\n");
    ScopedFile dosstart(Windows() + "\\dosstart.bat", "mode=co80\r\n");
    ScopedFile autoexecBat("C:\\autoexec.bat", "PROMPT=$p$g\r\n");
    ScopedFile configSys("C:\\config.sys", "DEVICE=C:\\himem.sys\r\n");
    ScopedFile empty(Windows() + "\\winstart.bat", "");
    EXPECT_EQ(List(kSuConfigNt).rows.at(0).caption, "files");
    EXPECT_EQ(List(kSuDosstartBat).rows.at(0).caption, "mode");
    EXPECT_EQ(List(kSuAutoexecBat).rows.at(0).subItems.at(0), "$p$g");
    EXPECT_EQ(List(kSuConfigSys).rows.at(0).subItems.at(0), "C:\\himem.sys");
    EXPECT_TRUE(List(kSuWinstartBat).rows.empty());

    const StartupListing group = List(kSuStartUpFiles);
    EXPECT_FALSE(group.checkBoxes);
    EXPECT_EQ(group.popup, SuPopupMenu::ValueFiles);
    // Batch files in node order after the ini files.
    EXPECT_LT(IndexOf(group, "PROMPT"), IndexOf(group, "DEVICE"));
    EXPECT_LT(IndexOf(group, "DEVICE"), IndexOf(group, "mode"));
    EXPECT_LT(IndexOf(group, "mode"), IndexOf(group, "files"));

    const SuSectionFlags flags = UpdateSectionFlags();
    for (int id : {kSuWinstartBat, kSuAutoexecBat, kSuConfigSys, kSuDosstartBat, kSuConfigNt})
        EXPECT_TRUE(flags[id]) << id;
}

TEST(BatchFiles, MissingFilesListNothingAndShowAbsent) {
    platform::files::DeleteFilePath(Windows() + "\\dosstart.bat");
    EXPECT_TRUE(List(kSuDosstartBat).rows.empty());
    const SuSectionFlags flags = UpdateSectionFlags();
    EXPECT_FALSE(flags[kSuDosstartBat]);
    EXPECT_EQ(SectionImage(kSuDosstartBat, flags), kSuImageAbsent);
}

TEST(StartupFolders, ShortcutsProgramsAndHiddenFiles) {
    const std::string user = SpecialFolderPath(kCsidlStartup);
    const std::string common = SpecialFolderPath(kCsidlCommonStartup);
    ScopedFolder programs("startupfolders");
    const std::string program = CopyHelper("orvhelper.exe", programs.Path(), "Ünïcode Tool.exe");
    platform::files::CreateFolderPath(user);
    platform::files::CreateFolderPath(common);
    WriteShortcut(user + "\\OrvT Tool.lnk", program);
    WriteShortcut(common + "\\OrvT Dangling.lnk", programs.Path() + "\\gone.exe");
    ScopedFile plainProgram(user + "\\OrvT Plain.exe", "MZ");
    ScopedFile hidden(user + "\\OrvT Hidden.lnk", "x");
    SetFileAttributesA(hidden.Path().c_str(), FILE_ATTRIBUTE_HIDDEN);
    struct Cleanup {
        std::string a, b;
        ~Cleanup() {
            platform::files::DeleteFilePath(a);
            platform::files::DeleteFilePath(b);
        }
    } cleanup{user + "\\OrvT Tool.lnk", common + "\\OrvT Dangling.lnk"};

    const StartupListing list = List(kSuAutostart);
    EXPECT_FALSE(list.checkBoxes);
    EXPECT_EQ(list.popup, SuPopupMenu::ValueReg);
    const StartupRow* tool = FindRow(list, "OrvT Tool");
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->subItems, (std::vector<std::string>{user + "\\", "", "", "No"}));
    EXPECT_EQ(tool->iconFile, program);
    EXPECT_EQ(tool->filePath, user + "\\OrvT Tool.lnk");
    const StartupRow* dangling = FindRow(list, "OrvT Dangling");
    ASSERT_NE(dangling, nullptr);
    EXPECT_EQ(dangling->subItems[0], common + "\\");
    EXPECT_EQ(dangling->subItems[3], "N/A");
    const StartupRow* plain = FindRow(list, "OrvT Plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->subItems[3], "N/A");  // resolved through a .lnk name that does not exist
    EXPECT_EQ(plain->filePath, plainProgram.Path());
    EXPECT_EQ(FindRow(list, "OrvT Hidden"), nullptr);
    EXPECT_LT(IndexOf(list, "OrvT Tool"), IndexOf(list, "OrvT Dangling"));  // user folder first
    EXPECT_NE(FindRow(List(kSuAll), "OrvT Tool"), nullptr);
    EXPECT_TRUE(UpdateSectionFlags()[kSuAutostart]);
    FileVersionInfo info;
    EXPECT_EQ(programInfoPath(kSuAutostart, "OrvT Tool", user + "\\", info), program);
    EXPECT_EQ(programInfoPath(kSuAll, "OrvT Tool", user + "\\", info), program);
    EXPECT_EQ(programInfoPath(kSuAll, "OrvT Dangling", common + "\\", info), common + "\\");
}

// Node by node, what the commands may do and how the listing shows, as the
// page had them when the nodes were positions in the tree.
TEST(SourceRows, AllowAndListAsTheTreeDid) {
    constexpr SuPopupMenu reg = SuPopupMenu::ValueReg, files = SuPopupMenu::ValueFiles;
    struct Expected {
        int id;
        bool add, remove, ticks, edit, drop;
        SuPopupMenu popup;
    };
    const Expected table[] = {
        {kSuAll, 0, 0, 0, 0, 0, reg},         {kSuRegistry, 1, 1, 1, 0, 0, reg},
        {kSuRun, 1, 1, 1, 0, 1, reg},         {kSuRunOnce, 1, 1, 1, 0, 1, reg},
        {kSuRunOnceEx, 1, 1, 1, 0, 1, reg},   {kSuRunService, 1, 1, 1, 0, 1, reg},
        {kSuRunServiceOnce, 1, 1, 1, 0, 1, reg}, {kSuStartUpFiles, 0, 0, 0, 0, 0, files},
        {kSuWinIni, 0, 0, 0, 1, 0, files},    {kSuSystemIni, 0, 0, 0, 1, 0, files},
        {kSuWininitIni, 0, 0, 0, 1, 0, files}, {kSuWinstartBat, 0, 0, 0, 1, 0, files},
        {kSuAutoexecBat, 0, 0, 0, 1, 0, files}, {kSuConfigSys, 0, 0, 0, 1, 0, files},
        {kSuDosstartBat, 0, 0, 0, 1, 0, files}, {kSuAutoexecNt, 0, 0, 0, 1, 0, files},
        {kSuConfigNt, 0, 0, 0, 1, 0, files},  {kSuAutostart, 1, 1, 0, 0, 0, reg},
    };
    ASSERT_EQ(StartupSources().size(), std::size(table));
    for (const Expected& node : table) {
        const StartupSource& source = SourceOf(node.id);
        ASSERT_EQ(source.id, node.id);
        EXPECT_EQ(source.allows.add, node.add) << source.caption;
        EXPECT_EQ(source.allows.remove, node.remove) << source.caption;
        EXPECT_EQ(source.allows.edit, node.edit) << source.caption;
        EXPECT_EQ(!EditCommandLine(node.id).empty(), node.edit) << source.caption;
        EXPECT_EQ(source.allows.dropTarget, node.drop) << source.caption;
        EXPECT_TRUE(source.allows.info) << source.caption;
        const StartupListing list = List(node.id);
        EXPECT_EQ(list.checkBoxes, node.ticks) << source.caption;
        EXPECT_EQ(list.popup, node.popup) << source.caption;
    }
    // No node chosen: nothing listed, nothing allowed.
    EXPECT_TRUE(List(kNoSource).rows.empty());
    EXPECT_FALSE(SourceOf(kNoSource).allows.add || SourceOf(kNoSource).allows.info);
    // The snapshot holds the five run keys, in its file's order.
    EXPECT_EQ(SnapshotRunKeyNames(),
              (std::vector<std::string>{"Run", "RunOnce", "RunOnceEx", "RunService", "RunServiceOnce"}));
    EXPECT_EQ(RunKeyPath("HKEY_USERS", "Run", "-"), ".Default\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run-");
    EXPECT_EQ(RunKeyPath("HKEY_CURRENT_USER", "RunOnce"), "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
}

}  // namespace
