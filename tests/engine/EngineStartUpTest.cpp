// The StartUp Delete of a run entry run by the engine alone: the value goes
// only once a checked backup point holds it, and only while it still holds
// what the row showed.
#include "backup/RegistryTree.h"
#include "startup/StartUpEditing.h"
#include "startup/StartUpFunctions.h"
#include "EngineTestSupport.h"
#include "NulNamedValue.h"
#include "RestrictedRegKey.h"
#include "RegSeed.h"

#include "platform/Files.h"

#include <gtest/gtest.h>

#include <memory>

using namespace startup;
using namespace testing_support;

namespace startup {

void PrintTo(EntryMoveOutcome outcome, std::ostream* out) {
    const char* names[] = {"Moved", "AlreadyInPlace", "Conflict", "NotWritable"};
    *out << names[static_cast<int>(outcome)];
}

void PrintTo(RunDeleteOutcome outcome, std::ostream* out) {
    const char* names[] = {"Deleted", "Changed", "NotWritable", "BackupFailed", "Refused"};
    *out << names[static_cast<int>(outcome)];
}

}  // namespace startup

namespace {

const std::string kUser = "HKEY_CURRENT_USER";
const std::string kSection = "RunServiceOnce";
const std::string kName = "OrvE entry Ü";
const char kPointName[] = "2026.05.06 10.20";

SYSTEMTIME Now() { return TimeAt(2026, 5, 6, 10, 20); }

std::string Key(const std::string& keyName) { return RunKeyPath(kUser, keyName); }

// What the key holds under the entry's name; "(none)" when nothing.
std::string Held(const std::string& keyName) {
    return RegValueExists(HKEY_CURRENT_USER, Key(keyName), kName) ? RegString(HKEY_CURRENT_USER, Key(keyName), kName)
                                                                   : "(none)";
}

// The value of the entry's name that the point's user root file holds, as
// type and bytes; null when the file or the value is missing.
std::unique_ptr<backup::RegValueData> SavedValue(const std::string& pointFolder, const std::string& keyName) {
    std::vector<backup::RegKeyData> keys;
    std::string error;
    if (!backup::LoadRegFile(pointFolder + "HKEY_CURRENT_USER.reg", keys, error)) return nullptr;
    for (const auto& key : keys)
        if (key.path == kUser + "\\" + Key(keyName))
            for (const auto& value : key.values)
                if (value.name == kName) return std::make_unique<backup::RegValueData>(value);
    return nullptr;
}

class EngineRunDelete : public ::testing::Test {
protected:
    void SetUp() override { DeleteUserRunKeys({kSection.c_str()}); }
    void TearDown() override { DeleteUserRunKeys({kSection.c_str()}); }
};

TEST_F(EngineRunDelete, TheValueGoesOnlyOnceThePointHoldsItAndWhileItIsAsShown) {
    const struct {
        const char* what;
        const char* active;  // what the section's key and its "-" twin hold (null: nothing)
        const char* off;
        bool deleteActive;  // the row's state
        std::string location;
        RunDeleteOutcome outcome;
        const char* activeAfter;
        const char* offAfter;
    } cases[] = {
        {"an active entry", "C:\\on.exe /x", "C:\\off.exe", true, "C:\\on.exe /x", RunDeleteOutcome::Deleted, "(none)",
         "C:\\off.exe"},
        {"a switched-off entry", "C:\\on.exe /x", "C:\\off.exe", false, "C:\\off.exe", RunDeleteOutcome::Deleted,
         "C:\\on.exe /x", "(none)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteUserRunKeys({kSection.c_str()});
        if (c.active) SetRegString(HKEY_CURRENT_USER, Key(kSection), kName, c.active);
        if (c.off) SetRegString(HKEY_CURRENT_USER, Key(kSection + "-"), kName, c.off);
        ScopedFolder backups("engine run delete");
        const std::string backup = backups.Path() + "\\Backup";

        const RunDeleteResult result =
            DeleteRunEntryWithBackup({kName, c.location, kUser, kSection}, c.deleteActive, backup, Now());
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.problem, "");
        EXPECT_EQ(Held(kSection), c.activeAfter);
        EXPECT_EQ(Held(kSection + "-"), c.offAfter);
        // The point holds what the key held before, type and bytes.
        EXPECT_EQ(result.pointFolder, backup + "\\" + kPointName + "\\");
        const auto saved = SavedValue(result.pointFolder, c.deleteActive ? kSection : kSection + "-");
        ASSERT_NE(saved, nullptr);
        EXPECT_EQ(saved->type, static_cast<uint32_t>(REG_SZ));
        EXPECT_EQ(saved->data, Utf16Z(c.deleteActive ? c.active : c.off));
    }
}

// A value changed or gone since the row was listed is left as it is and
// told as that, not as a backup that failed; no point is made for it.
TEST_F(EngineRunDelete, AValueChangedOrGoneSinceItWasListedIsToldAsChanged) {
    const struct {
        const char* what;
        const char* held;  // null: gone
    } cases[] = {{"changed", "C:\\other.exe"}, {"gone", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteUserRunKeys({kSection.c_str()});
        if (c.held) SetRegString(HKEY_CURRENT_USER, Key(kSection), kName, c.held);
        ScopedFolder backups("engine run delete");
        const RunDeleteResult result =
            DeleteRunEntryWithBackup({kName, "C:\\on.exe", kUser, kSection}, true, backups.Path() + "\\Backup", Now());
        EXPECT_EQ(result.outcome, RunDeleteOutcome::Changed);
        EXPECT_EQ(result.problem, "");
        EXPECT_EQ(Held(kSection), c.held ? c.held : "(none)");
        EXPECT_FALSE(platform::files::DirectoryExists(backups.Path() + "\\Backup"));
    }
}

TEST_F(EngineRunDelete, AKeyThatRefusesWritingKeepsTheValue) {
    SetRegString(HKEY_CURRENT_USER, Key(kSection), kName, "C:\\on.exe");
    ScopedReadOnlyKey readOnly(HKEY_CURRENT_USER, Key(kSection));
    ScopedFolder backups("engine run delete");
    const RunDeleteResult result =
        DeleteRunEntryWithBackup({kName, "C:\\on.exe", kUser, kSection}, true, backups.Path(), Now());
    EXPECT_EQ(result.outcome, RunDeleteOutcome::NotWritable);
    EXPECT_EQ(Held(kSection), "C:\\on.exe");
    EXPECT_NE(SavedValue(result.pointFolder, kSection), nullptr);
}

// Nothing is deleted when the point cannot be written; the reason says why.
TEST_F(EngineRunDelete, NoPointNoDelete) {
    ScopedFolder backups("engine run delete");
    ScopedFile blocker(backups.Path() + "\\not a folder", "a file where the backup folder must be");
    const std::string failed = std::string("The backup point ") + kPointName + " could not be written: ";
    const struct {
        const char* what;
        const char* seeded;
        std::string backupFolder;
        std::string mentions;
    } cases[] = {
        {"a file where the folder must be", "C:\\on.exe", blocker.Path() + "\\Backup\\",
         blocker.Path() + "\\Backup\\" + kPointName + "\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteUserRunKeys({kSection.c_str()});
        if (c.seeded) SetRegString(HKEY_CURRENT_USER, Key(kSection), kName, c.seeded);
        const RunDeleteResult result =
            DeleteRunEntryWithBackup({kName, "C:\\on.exe", kUser, kSection}, true, c.backupFolder, Now());
        EXPECT_EQ(result.outcome, RunDeleteOutcome::BackupFailed);
        EXPECT_EQ(result.pointFolder, "");
        EXPECT_EQ(result.problem.rfind(failed, 0), 0u) << result.problem;
        EXPECT_NE(result.problem.find(c.mentions), std::string::npos) << result.problem;
        EXPECT_EQ(Held(kSection), c.seeded ? c.seeded : "(none)");
    }
    EXPECT_FALSE(platform::files::DirectoryExists(blocker.Path()));
}

// ---- names holding a NUL ---------------------------------------------------------

class EngineNulNames : public ::testing::Test {
protected:
    void SetUp() override { DeleteUserRunKeys({kSection.c_str(), "RunOnceEx"}); }
    void TearDown() override { DeleteUserRunKeys({kSection.c_str(), "RunOnceEx"}); }
};

// A value whose name holds a NUL beside the value its name is cut to there
// (a way to hide a startup entry): the list shows it under its whole name
// with its own program, and On/Off, a move and a conflict's message deal
// with exactly that value; Delete refuses it and says why. The namesake is
// never touched.
TEST_F(EngineNulNames, TheRowActsOnlyOnTheValueOfItsWholeName) {
    const struct {
        std::string name, shown, cut;  // the cut name is what the ANSI and wide calls would reach
    } cases[] = {
        {std::string("OrvN\0tail", 9), "OrvN\\0tail", "OrvN"},
        {std::string("OrvN\0", 5), "OrvN\\0", "OrvN"},
        {std::string("\0OrvN", 5), "\\0OrvN", ""},  // cut: the key's default value
        {std::string("OrvN\0\0two", 9), "OrvN\\0\\0two", "OrvN"},
    };
    const std::string hidden = "C:\\orvnul\\hidden.exe", plain = "C:\\orvnul\\plain.exe";
    const std::string on = Key(kSection), off = Key(kSection + "-"), moved = Key("RunOnceEx");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        DeleteUserRunKeys({kSection.c_str(), "RunOnceEx"});
        const std::wstring name = WideName(c.name), cut = WideName(c.cut);
        SetNulNamed(HKEY_CURRENT_USER, on, cut, plain);
        SetNulNamed(HKEY_CURRENT_USER, on, name, hidden);

        StartupListing listing;
        FileVersionInfo info;
        ListSection(kSuRunServiceOnce, listing, info);
        const StartupRow* row = nullptr;
        int hiddenRows = 0;
        for (const StartupRow& listed : listing.rows) {
            if (listed.caption == c.shown) row = &listed;
            hiddenRows += !listed.subItems.empty() && listed.subItems[0] == hidden;
        }
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->subItems.at(0), hidden);
        EXPECT_EQ(row->valueName, c.name);
        EXPECT_EQ(hiddenRows, 1);
        const RunEntry entry{row->valueName, hidden, kUser, kSection};

        EXPECT_EQ(SwitchEntry(entry, false).outcome, EntryMoveOutcome::Moved);
        EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, off, name), hidden);
        EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, on, name), std::nullopt);
        EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, off, cut), std::nullopt);
        EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, on, cut), plain);
        EXPECT_EQ(SwitchEntry(entry, true).outcome, EntryMoveOutcome::Moved);
        EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, on, name), hidden);

        // Another program under the whole name in the twin: refused, and the
        // message shows the name as the list does.
        SetNulNamed(HKEY_CURRENT_USER, off, name, "C:\\orvnul\\other.exe");
        const EntryMoveResult conflict = SwitchEntry(entry, false);
        EXPECT_EQ(conflict.outcome, EntryMoveOutcome::Conflict);
        EXPECT_NE(conflict.message.find("'" + c.shown + "'"), std::string::npos) << conflict.message;
        EXPECT_EQ(conflict.message.find('\0'), std::string::npos);
        DeleteNulNamed(HKEY_CURRENT_USER, off, name);

        EXPECT_EQ(MoveRunEntry(entry, true, "RunOnceEx").outcome, EntryMoveOutcome::Moved);
        EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, moved, name), hidden);
        EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, moved, cut), std::nullopt);
        EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, on, cut), plain);

        ScopedFolder backups("engine nul delete");
        const RunDeleteResult refused =
            DeleteRunEntryWithBackup({c.name, hidden, kUser, "RunOnceEx"}, true, backups.Path() + "\\Backup", Now());
        EXPECT_EQ(refused.outcome, RunDeleteOutcome::Refused);
        EXPECT_NE(refused.problem.find("NUL"), std::string::npos) << refused.problem;
        EXPECT_EQ(refused.pointFolder, "");
        EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, moved, name), hidden);
        EXPECT_EQ(NulNamedText(HKEY_CURRENT_USER, on, cut), plain);
        EXPECT_FALSE(platform::files::DirectoryExists(backups.Path() + "\\Backup"));
    }
}

}  // namespace
