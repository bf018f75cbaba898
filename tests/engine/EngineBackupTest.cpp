// Backup points of whole roots made and restored by the engine alone, with no
// window: what a run returns, a stop request, what each root could not do, and
// what made each point.
#include "backup/BackupPoint.h"
#include "backup/BackupRun.h"
#include "backup/RegistryTree.h"
#include "snapshots/SnapshotRepair.h"
#include "startup/StartUpEditing.h"
#include "startup/StartUpFunctions.h"
#include "EngineTestSupport.h"
#include "PartlyRestorablePoint.h"
#include "RegSeed.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <tuple>

using namespace backup;
using namespace snapshots;
using namespace testing_support;
namespace files = platform::files;

namespace {

const BackupRootFlags kUserRootOnly{false, false, true, false, false};
const std::string kUser = "HKEY_CURRENT_USER";

SYSTEMTIME At(int hour, int minute) { return TimeAt(2026, 3, 4, hour, minute); }

// Every key below a path with its values' types and bytes.
using Tree = std::map<std::string, std::map<std::string, std::tuple<uint32_t, std::vector<uint8_t>>>>;

class EngineBackup : public ::testing::Test {
protected:
    Tree Values(const std::string& below = "") const {
        std::vector<RegKeyData> keys;
        std::string error;
        EXPECT_TRUE(ExportRegistryTree(kUser, relative_ + below, keys, error)) << error;
        Tree tree;
        for (const auto& key : keys)
            for (const auto& value : key.values) tree[key.path][value.name] = {value.type, value.data};
        return tree;
    }

    ScratchRegKey scratch_{"EngineBackup"};
    const std::string relative_ = scratch_.Relative(), base_ = scratch_.Full();
    ScopedFolder folder_{"EngineBackup"};
    const std::string backup_ = folder_.Path() + "\\Backup\\";
};

TEST_F(EngineBackup, APointOfTheUserRootGivesBackWhatChangedSince) {
    SetRawValue(HKEY_CURRENT_USER, relative_, "text", REG_SZ, Utf16Z("C:\\Programme\\Über.exe /x"));
    SetRawValue(HKEY_CURRENT_USER, relative_, "Ω expandable", REG_EXPAND_SZ, Utf16Z("%SystemRoot%\\x.exe"));
    SetRawValue(HKEY_CURRENT_USER, relative_, "count", REG_DWORD, {7, 0, 0, 0});
    SetRawValue(HKEY_CURRENT_USER, relative_ + "\\sub [x]", "bytes", REG_BINARY, {0, 1, 2, 0xFF});
    const Tree before = Values();
    ASSERT_EQ(before.size(), 2u);

    const BackUpOutcome made = MakeBackupPoint(backup_, At(9, 5), kUserRootOnly);
    EXPECT_EQ(made.mode, kMakeBackupPoint);
    EXPECT_EQ(made.pointName, "2026.03.04  9.05");
    EXPECT_EQ(made.done, std::vector<std::string>{kUser});
    EXPECT_TRUE(made.problems.empty()) << BackUpOutcomeText(made);
    EXPECT_EQ(BackUpOutcomeText(made), "The backup point 2026.03.04  9.05 was made: 1 root saved.");
    EXPECT_EQ(ListBackupPoints(backup_), std::vector<std::string>{made.pointName});
    EXPECT_TRUE(files::FileExists(backup_ + made.pointName + "\\HKEY_CURRENT_USER.reg"));
    EXPECT_FALSE(files::FileExists(backup_ + made.pointName + "\\HKEY_LOCAL_MACHINE.reg"));

    DeleteRegTree(HKEY_CURRENT_USER, relative_ + "\\sub [x]");
    SetRawValue(HKEY_CURRENT_USER, relative_, "text", REG_SZ, Utf16Z("changed"));
    SetRawValue(HKEY_CURRENT_USER, relative_, "count", REG_BINARY, {7});
    ASSERT_NE(Values(), before);

    const BackUpOutcome restored = RestoreBackupPoint(backup_, made.pointName);
    EXPECT_EQ(restored.mode, kRestoreBackupPoint);
    EXPECT_EQ(restored.pointName, made.pointName);
    EXPECT_EQ(restored.done, std::vector<std::string>{kUser});
    EXPECT_TRUE(restored.problems.empty()) << BackUpOutcomeText(restored);
    EXPECT_EQ(BackUpOutcomeText(restored), "The backup point 2026.03.04  9.05 was restored: 1 root written back.");
    EXPECT_EQ(Values(), before);
}

// A point of a root made in the minute of a delete's point merges into it,
// unless it would replace a value that point saved: then the whole run goes
// into the minute's next point, which a restore gives back as any other.
TEST_F(EngineBackup, APointOfARootNeverReplacesAValueSavedInItsMinute) {
    SetRawValue(HKEY_CURRENT_USER, relative_, "tool", REG_SZ, Utf16Z("first.exe"));
    std::string deletePoint, error;
    ASSERT_TRUE(BackUpBeforeDelete(backup_, At(12, 0), {{kUser, relative_, false, "tool"}}, deletePoint, error))
        << error;
    ASSERT_EQ(deletePoint, backup_ + "2026.03.04 12.00\\");

    const BackUpOutcome same = MakeBackupPoint(backup_, At(12, 0), kUserRootOnly);  // "tool" unchanged
    EXPECT_EQ(same.pointName, "2026.03.04 12.00") << BackUpOutcomeText(same);
    SetRawValue(HKEY_CURRENT_USER, relative_, "tool", REG_SZ, Utf16Z("second.exe"));
    const BackUpOutcome changed = MakeBackupPoint(backup_, At(12, 0), kUserRootOnly);
    EXPECT_EQ(changed.pointName, "2026.03.04 12.00 (2)") << BackUpOutcomeText(changed);
    EXPECT_EQ(changed.done, std::vector<std::string>{kUser}) << BackUpOutcomeText(changed);
    const auto saved = [&](const std::string& point) {
        std::vector<RegKeyData> keys;
        EXPECT_TRUE(LoadRegFile(backup_ + point + "\\HKEY_CURRENT_USER.reg", keys, error)) << error;
        for (const auto& key : keys)
            for (const auto& value : key.values)
                if (key.path == base_ && value.name == "tool") return value.data;
        return std::vector<uint8_t>();
    };
    EXPECT_EQ(saved("2026.03.04 12.00"), Utf16Z("first.exe"));
    EXPECT_EQ(saved("2026.03.04 12.00 (2)"), Utf16Z("second.exe"));

    SetRawValue(HKEY_CURRENT_USER, relative_, "tool", REG_SZ, Utf16Z("third.exe"));
    for (const auto& [point, data] : {std::pair{"2026.03.04 12.00 (2)", "second.exe"}, {"2026.03.04 12.00", "first.exe"}}) {
        const BackUpOutcome restored = RestoreBackupPoint(backup_, point);
        EXPECT_TRUE(restored.problems.empty()) << BackUpOutcomeText(restored);
        EXPECT_EQ(RegString(HKEY_CURRENT_USER, relative_, "tool"), data);
    }
}

// Each command that deletes saves first into a point that tells what made it.
TEST_F(EngineBackup, EachCommandTellsInItsPointWhatMadeIt) {
    const std::string name = "OrvelinDescribed" + std::to_string(GetCurrentProcessId());
    const std::string run = startup::RunKeyPath(kUser, "Run");
    const ScopedRegValue seeded(HKEY_CURRENT_USER, run, name);  // should a command leave it
    const snapshots::CompareRows present{{{name, "C:\\described.exe", kUser, "Run", "True"}}, {}};
    const struct {
        std::string description;
        std::function<std::string(const SYSTEMTIME&)> run;  // gives the point's folder
    } commands[] = {
        {"StartUp Delete: " + name,
         [&](const SYSTEMTIME& now) {
             return startup::DeleteRunEntryWithBackup({name, "C:\\described.exe", kUser, "Run"}, true, backup_, now)
                 .pointFolder;
         }},
        {"Delete Created: 1 item", [&](const SYSTEMTIME& now) { return DeleteCreated({}, present, backup_, now).pointFolder; }},
        {"Restore All: 1 item", [&](const SYSTEMTIME& now) { return RestoreAll({}, present, backup_, now).pointFolder; }},
    };
    int minute = 0;
    for (const auto& command : commands) {
        SCOPED_TRACE(command.description);
        SetRawValue(HKEY_CURRENT_USER, run, name, REG_SZ, Utf16Z("C:\\described.exe"));
        const std::string point = command.run(At(13, ++minute));
        ASSERT_FALSE(point.empty());
        EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, run, name));
        EXPECT_EQ(BackupPointDescription(backup_, BackupPointName(2026, 3, 4, 13, minute)), command.description);
    }
}

TEST_F(EngineBackup, AStopRequestedBeforeARootLeavesItUntouched) {
    common::StopSource stop;
    stop.RequestStop();
    const BackUpOutcome made = MakeBackupPoint(backup_, At(10, 0), kUserRootOnly, "", common::NoProgressSink(), stop.Token());
    EXPECT_TRUE(made.done.empty());
    EXPECT_EQ(made.problems, std::vector<std::string>{"The backup was stopped before HKEY_CURRENT_USER was saved."});
    EXPECT_FALSE(files::FileExists(backup_ + made.pointName + "\\HKEY_CURRENT_USER.reg"));

    const std::string point = backup_ + "by hand\\";
    std::string error;
    ASSERT_TRUE(files::CreateFolderPath(point));
    ASSERT_TRUE(SaveRegFile(point + "HKEY_CURRENT_USER.reg", {{base_, {{"v", REG_DWORD, {1, 0, 0, 0}, false}}}}, error))
        << error;
    const BackUpOutcome restored = RestoreBackupPoint(backup_, "by hand", common::NoProgressSink(), stop.Token());
    EXPECT_TRUE(restored.done.empty());
    EXPECT_EQ(restored.problems,
              std::vector<std::string>{"The restore was stopped before HKEY_CURRENT_USER was restored."});
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, relative_));
}

// A restore writes what it can and names, root by root, what it could not.
TEST_F(EngineBackup, ARestoreTellsRootByRootWhatItCouldNotWrite) {
    const std::string point = backup_ + "by hand\\";
    const PartlyRestorablePoint seeded(point, base_, relative_, "OrvelinEngineForeign");
    const std::string& foreignBelow = seeded.foreignBelow;

    const BackUpOutcome outcome = RestoreBackupPoint(backup_, "by hand");
    EXPECT_TRUE(outcome.done.empty());
    ASSERT_EQ(outcome.problems.size(), 2u) << BackUpOutcomeText(outcome);
    EXPECT_EQ(outcome.problems[0].rfind("HKEY_LOCAL_MACHINE was not restored: " + point + "HKEY_LOCAL_MACHINE.reg", 0),
              0u)
        << outcome.problems[0];
    EXPECT_EQ(outcome.problems[1].rfind("HKEY_CURRENT_USER: 2 of 3 keys could not be written: ", 0), 0u)
        << outcome.problems[1];
    EXPECT_NE(outcome.problems[1].find(base_ + "\\read only"), std::string::npos);
    EXPECT_NE(outcome.problems[1].find("is not a key of HKEY_CURRENT_USER"), std::string::npos);

    EXPECT_EQ(Values("\\back"), (Tree{{base_ + "\\back", {{"v", {REG_DWORD, {9, 0, 0, 0}}}}}}));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, relative_ + "\\read only", "w"));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, foreignBelow));
    EXPECT_FALSE(outcome.machineWideRefused);  // only the user's keys refused

    // A machine key that refuses is one a restart as administrator could write.
    const std::string machineKey = "Software\\OrvelinEngineLocked" + std::to_string(GetCurrentProcessId());
    ScopedRegKeys cleanup;
    cleanup.Add(HKEY_LOCAL_MACHINE, machineKey);
    const ScopedReadOnlyKey locked(HKEY_LOCAL_MACHINE, machineKey + "\\below");
    std::string error;
    ASSERT_TRUE(CreateDirectoryA((backup_ + "machine").c_str(), nullptr));
    ASSERT_TRUE(backup::SaveRegFile(backup_ + "machine\\HKEY_LOCAL_MACHINE.reg",
                                       {{"HKEY_LOCAL_MACHINE\\" + machineKey + "\\below",
                                         {{"v", REG_DWORD, {1, 0, 0, 0}, false}}}},
                                       error))
        << error;
    const BackUpOutcome machine = RestoreBackupPoint(backup_, "machine");
    EXPECT_TRUE(machine.machineWideRefused) << BackUpOutcomeText(machine);
}

TEST_F(EngineBackup, NothingIsDoneWithoutAPointFolder) {
    ScopedFile blocker(folder_.Path() + "\\blocked", "a file where the backup folder must be");
    ASSERT_TRUE(files::CreateFolderPath(backup_ + "empty"));
    const struct {
        const char* what;
        BackUpOutcome outcome;
        std::string problem;  // how the one problem begins
    } cases[] = {
        {"a file where the folder must be", MakeBackupPoint(blocker.Path() + "\\Backup", At(11, 30), kUserRootOnly),
         "Its folder could not be made, so nothing was saved: "},
        {"no root ticked", MakeBackupPoint(backup_, At(11, 31), BackupRootFlags{}), kNoRootTickedText},
        {"a point that went", RestoreBackupPoint(backup_, "gone"), "Its folder is missing (" + backup_ + "gone\\)."},
        {"a point without root files", RestoreBackupPoint(backup_, "empty"),
         "It holds no registry files (" + backup_ + "empty\\), so nothing was restored."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(c.outcome.done.empty());
        ASSERT_EQ(c.outcome.problems.size(), 1u);
        EXPECT_EQ(c.outcome.problems[0].rfind(c.problem, 0), 0u) << c.outcome.problems[0];
    }
    EXPECT_NE(cases[0].outcome.problems[0].find(blocker.Path() + "\\Backup\\2026.03.04 11.30\\"), std::string::npos);
    EXPECT_FALSE(files::DirectoryExists(blocker.Path()));
    // Refused before it began: the user reads the refusal, not of a point
    // left incomplete.
    EXPECT_EQ(BackUpOutcomeText(cases[1].outcome), kNoRootTickedText);
    // A point of no root would be an empty folder listed as a point.
    EXPECT_EQ(ListBackupPoints(backup_), std::vector<std::string>{"empty"});
}

// The text the user reads after a run: how many roots a complete one did, and
// everything a run that left something undone or has notices has to say.
TEST(BackUpOutcomeText, HeadNoticesProblemsAndWhatWasComplete) {
    const struct {
        BackUpOutcome outcome;
        std::string text;
    } cases[] = {
        {{kMakeBackupPoint, "p", {"HKEY_USERS"}, {}, {}}, "The backup point p was made: 1 root saved."},
        {{kMakeBackupPoint, "p", {"HKEY_USERS", "HKEY_CURRENT_USER"}, {}, {}},
         "The backup point p was made: 2 roots saved."},
        {{kRestoreBackupPoint, "q", {"HKEY_USERS", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"}, {}, {}},
         "The backup point q was restored: 3 roots written back."},
        {{kMakeBackupPoint, "p", {"HKEY_USERS", "HKEY_CURRENT_CONFIG"}, {"a.", "b."}, {}},
         "The backup point p is incomplete.\r\n\r\na.\r\nb.\r\n\r\nSaved completely: HKEY_USERS, HKEY_CURRENT_CONFIG."},
        {{kRestoreBackupPoint, "q", {}, {"c."}, {}}, "The backup point q was not fully restored.\r\n\r\nc."},
        {{kRestoreBackupPoint, "q", {"HKEY_USERS"}, {"c."}, {}},
         "The backup point q was not fully restored.\r\n\r\nc.\r\n\r\nRestored completely: HKEY_USERS."},
        {{kRestoreBackupPoint, "q", {"HKEY_USERS"}, {}, {"n."}},
         "The backup point q was restored: 1 root written back.\r\n\r\nn."},
        {{kRestoreBackupPoint, "q", {"HKEY_USERS"}, {"c."}, {"n.", "m."}},
         "The backup point q was not fully restored.\r\n\r\nn.\r\nm.\r\n\r\nc.\r\n\r\nRestored completely: HKEY_USERS."},
        {{kMakeBackupPoint, "p", {}, {"a."}, {"n."}}, "The backup point p is incomplete.\r\n\r\nn.\r\n\r\na."},
    };
    for (const auto& c : cases) EXPECT_EQ(BackUpOutcomeText(c.outcome), c.text);
}

}  // namespace
