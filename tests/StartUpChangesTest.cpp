// Switching, moving and deleting startup entries and Startup-folder files
// without ever losing an entry the row does not show, and ending only the
// process of the file asked for.
#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "startup/ProcessLookup.h"
#include "startup/StartUpFunctions.h"
#include "RestrictedRegKey.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace startup;
using namespace testing_support;

namespace startup {

// Outcomes by name in failure messages.
void PrintTo(EntryMoveOutcome outcome, std::ostream* out) {
    const char* names[] = {"Moved", "AlreadyInPlace", "Conflict", "NotWritable"};
    *out << names[static_cast<int>(outcome)];
}

}  // namespace startup

namespace {

const std::string kUser = "HKEY_CURRENT_USER";
const std::string kName = "OrvX entry";
const std::string kWinver = "C:\\windows\\system32\\winver.exe";
const std::string kNotepad = "C:\\windows\\system32\\notepad.exe";

std::string Key(const std::string& keyName) { return RunKeyPath(kUser, keyName); }

// What the key holds under the entry's name; "(none)" when nothing.
std::string Held(const std::string& keyName, const std::string& name = kName) {
    return RegValueExists(HKEY_CURRENT_USER, Key(keyName), name) ? RegString(HKEY_CURRENT_USER, Key(keyName), name)
                                                                  : "(none)";
}

void Seed(const std::string& keyName, const char* location) {
    if (location) SetRegString(HKEY_CURRENT_USER, Key(keyName), kName, location);
}

class EntryChanges : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        DeleteUserRunKeys({"RunOnceEx", "RunServiceOnce"});
    }
};

struct SwitchCase {
    const char* what;
    const char* on;   // what RunOnceEx and RunOnceEx- hold before (nullptr: nothing)
    const char* off;
    std::string rowLocation;
    bool active;  // the state the row asks for
    EntryMoveOutcome outcome;
    std::string onAfter, offAfter;
    bool registryActive;
    std::string messageNames;  // what a conflict's message must name; empty: no message
};

TEST_F(EntryChanges, SwitchingNeverTakesAValueTheRowDoesNotShow) {
    const char* W = kWinver.c_str();
    const char* N = kNotepad.c_str();
    const std::string none = "(none)";
    using O = EntryMoveOutcome;
    const SwitchCase cases[] = {
        {"switch off", W, nullptr, kWinver, false, O::Moved, none, kWinver, false, ""},
        {"switch on", nullptr, W, kWinver, true, O::Moved, kWinver, none, true, ""},
        {"the twin holds another program", W, N, kWinver, false, O::Conflict, kWinver, kNotepad, true,
         "RunOnceEx- notepad.exe"},
        {"the key holds another program", W, N, kNotepad, true, O::Conflict, kWinver, kNotepad, false,
         "RunOnceEx winver.exe"},
        {"re-applying a ticked row", W, N, kWinver, true, O::AlreadyInPlace, kWinver, kNotepad, true, ""},
        {"re-applying a clear row", W, N, kNotepad, false, O::AlreadyInPlace, kWinver, kNotepad, false, ""},
        {"the key changed since listing", N, nullptr, kWinver, false, O::Conflict, kNotepad, none, false,
         "RunOnceEx notepad.exe"},
        {"the value is gone since listing", nullptr, nullptr, kWinver, false, O::Conflict, none, none, false,
         "RunOnceEx"},
        {"both keys hold the row's program", W, W, kWinver, false, O::Moved, none, kWinver, false, ""},
        {"already off", nullptr, W, kWinver, false, O::AlreadyInPlace, none, kWinver, false, ""},
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(c.what);
        Clean();
        Seed("RunOnceEx", c.on);
        Seed("RunOnceEx-", c.off);
        const EntryMoveResult result = SwitchEntry(RunEntry{kName, c.rowLocation, kUser, "RunOnceEx"}, c.active);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(Held("RunOnceEx"), c.onAfter);
        EXPECT_EQ(Held("RunOnceEx-"), c.offAfter);
        EXPECT_EQ(result.registryActive, c.registryActive);
        if (c.messageNames.empty()) {
            EXPECT_EQ(result.message, "");
        } else {
            EXPECT_NE(result.message.find("'" + kName + "'"), std::string::npos) << result.message;
            size_t start = 0;
            for (size_t end; start < c.messageNames.size(); start = end + 1) {
                end = std::min(c.messageNames.find(' ', start), c.messageNames.size());
                const std::string word = c.messageNames.substr(start, end - start);
                EXPECT_NE(result.message.find(word), std::string::npos) << word << " in: " << result.message;
            }
        }
    }
}

TEST_F(EntryChanges, MovingRefusesOtherProgramsInEitherKey) {
    // The target run key holds another program under the name.
    Seed("RunOnceEx", kWinver.c_str());
    Seed("RunServiceOnce", kNotepad.c_str());
    const RunEntry entry{kName, kWinver, kUser, "RunOnceEx"};
    EntryMoveResult result = MoveRunEntry(entry, true, "RunServiceOnce");
    EXPECT_EQ(result.outcome, EntryMoveOutcome::Conflict);
    EXPECT_NE(result.message.find("notepad.exe"), std::string::npos) << result.message;
    EXPECT_EQ(Held("RunOnceEx"), kWinver);
    EXPECT_EQ(Held("RunServiceOnce"), kNotepad);
    // The row is stale: its key holds another program by now.
    Clean();
    Seed("RunOnceEx", kNotepad.c_str());
    result = MoveRunEntry(entry, true, "RunServiceOnce");
    EXPECT_EQ(result.outcome, EntryMoveOutcome::Conflict);
    EXPECT_EQ(Held("RunOnceEx"), kNotepad);
    EXPECT_EQ(Held("RunServiceOnce"), "(none)");
    EXPECT_FALSE(result.registryActive);
    // A plain move keeps the state; moving again finds it in place.
    Clean();
    Seed("RunOnceEx-", kWinver.c_str());
    result = MoveRunEntry(entry, false, "RunServiceOnce");
    EXPECT_EQ(result.outcome, EntryMoveOutcome::Moved);
    EXPECT_EQ(Held("RunServiceOnce-"), kWinver);
    EXPECT_EQ(Held("RunOnceEx-"), "(none)");
    EXPECT_FALSE(result.registryActive);
    EXPECT_EQ(MoveRunEntry(entry, false, "RunServiceOnce").outcome, EntryMoveOutcome::AlreadyInPlace);
}

// The type and bytes of a value, as the registry stores them.
struct Stored {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const Stored&) const = default;
};

void PrintTo(const Stored& stored, std::ostream* out) {
    *out << "type " << stored.type << ", " << stored.bytes.size() << " bytes";
}

Stored StoredIn(const std::string& keyName, const std::string& name) {
    Stored stored;
    platform::KeyHandle key;
    if (platform::reg::OpenKey(HKEY_CURRENT_USER, Key(keyName), KEY_READ, key) == ERROR_SUCCESS)
        platform::reg::QueryValue(key.Get(), name, stored.type, stored.bytes);
    return stored;
}

TEST_F(EntryChanges, SwitchingAndMovingKeepTypeAndBytes) {
    const std::string expand = "%SystemRoot%\\system32\\winver.exe";
    const char withTail[] = "C:\\tail.exe\0kept tail";  // text after the NUL is no business of ours
    {
        platform::KeyHandle key;
        ASSERT_EQ(platform::reg::CreateKey(HKEY_CURRENT_USER, Key("RunOnceEx"), KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        platform::reg::SetValue(key.Get(), "OrvX expand", REG_EXPAND_SZ, expand.c_str(),
                                static_cast<DWORD>(expand.size() + 1));
        platform::reg::SetValue(key.Get(), "OrvX tail", REG_SZ, withTail, sizeof(withTail));
    }
    const std::string unicode = "C:\\Программы\\Ünïcode ✓.exe";
    SetRegString(HKEY_CURRENT_USER, Key("RunOnceEx"), "OrvX Ünïcode", unicode);
    const RunEntry entries[] = {{"OrvX expand", expand, kUser, "RunOnceEx"},
                                {"OrvX tail", "C:\\tail.exe", kUser, "RunOnceEx"},
                                {"OrvX Ünïcode", unicode, kUser, "RunOnceEx"}};
    for (const RunEntry& entry : entries) {
        SCOPED_TRACE(entry.name);
        const Stored original = StoredIn("RunOnceEx", entry.name);
        ASSERT_NE(original.type, static_cast<DWORD>(REG_NONE));
        EXPECT_EQ(SwitchEntry(entry, false).outcome, EntryMoveOutcome::Moved);
        EXPECT_EQ(StoredIn("RunOnceEx-", entry.name), original);
        EXPECT_EQ(SwitchEntry(entry, true).outcome, EntryMoveOutcome::Moved);
        EXPECT_EQ(StoredIn("RunOnceEx", entry.name), original);
        EXPECT_EQ(MoveRunEntry(entry, true, "RunServiceOnce").outcome, EntryMoveOutcome::Moved);
        EXPECT_EQ(StoredIn("RunServiceOnce", entry.name), original);
        EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, Key("RunOnceEx"), entry.name));
    }
    EXPECT_EQ(StoredIn("RunServiceOnce", "OrvX expand").type, static_cast<DWORD>(REG_EXPAND_SZ));
}

TEST_F(EntryChanges, TwoCopiesStoredDifferentlyAreBothKept) {
    // The same line as an expandable string in the key and a plain one in its
    // twin: neither copy is the other, so switching removes neither.
    const std::string line = "%SystemRoot%\\system32\\winver.exe";
    {
        platform::KeyHandle key;
        ASSERT_EQ(platform::reg::CreateKey(HKEY_CURRENT_USER, Key("RunOnceEx"), KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        platform::reg::SetValue(key.Get(), kName, REG_EXPAND_SZ, line.c_str(), static_cast<DWORD>(line.size() + 1));
    }
    Seed("RunOnceEx-", line.c_str());
    const RunEntry entry{kName, line, kUser, "RunOnceEx"};
    const EntryMoveResult result = SwitchEntry(entry, false);
    EXPECT_EQ(result.outcome, EntryMoveOutcome::Conflict);
    EXPECT_FALSE(result.message.empty());
    EXPECT_EQ(StoredIn("RunOnceEx", kName).type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(StoredIn("RunOnceEx-", kName).type, static_cast<DWORD>(REG_SZ));
}

TEST_F(EntryChanges, KeysThatRefuseWritingAreReadAndLeftAlone) {
    Seed("RunOnceEx", kWinver.c_str());
    const RunEntry entry{kName, kWinver, kUser, "RunOnceEx"};
    {
        ScopedReadOnlyKey readOnly(HKEY_CURRENT_USER, Key("RunOnceEx"));
        // The registry already is as the row asks: found with read access alone.
        EntryMoveResult result = SwitchEntry(entry, true);
        EXPECT_EQ(result.outcome, EntryMoveOutcome::AlreadyInPlace);
        EXPECT_TRUE(result.registryActive);
        result = SwitchEntry(entry, false);
        EXPECT_EQ(result.outcome, EntryMoveOutcome::NotWritable);
        EXPECT_EQ(result.message, "");
        EXPECT_TRUE(result.registryActive);
        EXPECT_EQ(Held("RunOnceEx"), kWinver);
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, Key("RunOnceEx-")));  // nothing made on the way
        EXPECT_FALSE(DeleteRunValue(kUser, "RunOnceEx", kName, kWinver));
        EXPECT_EQ(Held("RunOnceEx"), kWinver);
    }
    {
        ScopedReadOnlyKey readOnlyTwin(HKEY_CURRENT_USER, Key("RunOnceEx-"));
        const EntryMoveResult result = SwitchEntry(entry, false);
        EXPECT_EQ(result.outcome, EntryMoveOutcome::NotWritable);
        EXPECT_EQ(Held("RunOnceEx"), kWinver);
        EXPECT_EQ(Held("RunOnceEx-"), "(none)");
    }
}

TEST_F(EntryChanges, DeleteTakesOnlyTheProgramTheRowShows) {
    Seed("RunOnceEx", kNotepad.c_str());
    EXPECT_FALSE(DeleteRunValue(kUser, "RunOnceEx", kName, kWinver));  // listed as winver, holds notepad now
    EXPECT_EQ(Held("RunOnceEx"), kNotepad);
    EXPECT_FALSE(DeleteRunValue(kUser, "RunOnceEx-", kName, kNotepad));  // no such key
    EXPECT_TRUE(DeleteRunValue(kUser, "RunOnceEx", kName, kNotepad));
    EXPECT_EQ(Held("RunOnceEx"), "(none)");
    EXPECT_FALSE(DeleteRunValue(kUser, "RunOnceEx", kName, kNotepad));  // already gone
    SetRegDword(HKEY_CURRENT_USER, Key("RunOnceEx"), kName, 1);
    EXPECT_FALSE(DeleteRunValue(kUser, "RunOnceEx", kName, ""));  // a number is no program line
    EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, Key("RunOnceEx"), kName));
}

// ---- Startup folder files -----------------------------------------------

class StartupFolderFiles : public ::testing::Test {
protected:
    void SetUp() override {
        user_ = SpecialFolderPath(kCsidlStartup);
        platform::files::CreateFolderPath(user_);
        program_ = CopyHelper("orvhelper.exe", programs_.Path(), "OrvF Target.exe");
    }
    std::string user_;
    ScopedFolder programs_{"startup files"};
    std::string program_;
};

TEST_F(StartupFolderFiles, DeleteRemovesExactlyTheRowsFile) {
    // A program and a shortcut of the same name side by side.
    ScopedFile plain(user_ + "\\OrvF Twin.exe", "MZ");
    ScopedFile shortcut(user_ + "\\OrvF Twin.lnk", "");  // removes it at the end
    WriteShortcut(shortcut.Path(), program_);
    struct RemoveSubfolder {
        std::string path;
        ~RemoveSubfolder() { RemoveFolderTree(path); }
    } subfolder{user_ + "\\OrvF sub"};
    ScopedFile nested(subfolder.path + "\\inner.exe", "MZ");
    ScopedFile outside(programs_.Path() + "\\outside.txt", "keep");

    StartupListing list;
    FileVersionInfo info;
    ReadStartupFolders(list, StartupContext{info, {}});
    std::vector<std::string> ours;
    for (const StartupRow& row : list.rows)
        if (row.caption == "OrvF Twin") ours.push_back(row.filePath);
    std::sort(ours.begin(), ours.end());
    EXPECT_EQ(ours, (std::vector<std::string>{plain.Path(), shortcut.Path()}));

    EXPECT_TRUE(IsInStartupFolder(plain.Path()));
    EXPECT_TRUE(IsInStartupFolder(nested.Path()));
    for (const std::string& refused : {outside.Path(), user_ + "\\..\\" + "OrvF escape.txt", std::string(),
                                       user_, programs_.Path() + "\\OrvF Target.exe"}) {
        EXPECT_FALSE(IsInStartupFolder(refused)) << refused;
        EXPECT_EQ(DeleteStartupFile(refused).outcome, StartupFileOutcome::NotInStartupFolder) << refused;
    }
    EXPECT_TRUE(platform::files::FileExists(outside.Path()));
    EXPECT_TRUE(platform::files::FileExists(program_));

    EXPECT_EQ(DeleteStartupFile(plain.Path()).outcome, StartupFileOutcome::Deleted);
    EXPECT_FALSE(platform::files::FileExists(plain.Path()));
    EXPECT_TRUE(platform::files::FileExists(shortcut.Path()));  // the shortcut beside it stays
    EXPECT_EQ(DeleteStartupFile(plain.Path()).outcome, StartupFileOutcome::Gone);
    EXPECT_EQ(DeleteStartupFile(nested.Path()).outcome, StartupFileOutcome::Deleted);
}

TEST_F(StartupFolderFiles, InfoDescribesTheRowsOwnFile) {
    ScopedFile plain(user_ + "\\OrvF Info.exe", "MZ");
    ScopedFile shortcut(user_ + "\\OrvF Info.lnk", "");
    WriteShortcut(shortcut.Path(), program_);
    FileVersionInfo info;
    const std::string folder = user_ + "\\";
    for (int position : {kSuAutostart, kSuAll}) {
        SCOPED_TRACE(position);
        EXPECT_EQ(programInfoPath(position, "OrvF Info", folder, plain.Path(), info), plain.Path());
        EXPECT_EQ(programInfoPath(position, "OrvF Info", folder, shortcut.Path(), info), program_);
    }
    // Registry rows have no file and describe their Location as before.
    EXPECT_EQ(programInfoPath(kSuRun, "x", kWinver, "", info), kWinver);
    EXPECT_EQ(programInfoPath(kSuAll, "x", kWinver, "", info), kWinver);
}

TEST_F(StartupFolderFiles, AShortcutToAnotherProgramIsNeverReplaced) {
    const std::string other = CopyHelper("orvhelper.exe", programs_.Path(), "other.exe");
    ScopedFile existing(user_ + "\\OrvF Target.lnk", "");
    WriteShortcut(existing.Path(), other);
    std::string problem;
    EXPECT_FALSE(CreateStartupShortcut(program_, &problem));
    EXPECT_NE(problem.find("OrvF Target.lnk"), std::string::npos) << problem;
    EXPECT_EQ(ResolveShortcut(existing.Path()), other);
    // One to the same program is simply made again.
    WriteShortcut(existing.Path(), program_);
    EXPECT_TRUE(CreateStartupShortcut(program_, &problem));
    EXPECT_EQ(ResolveShortcut(existing.Path()), program_);
    // A file of that name that is no shortcut stays as well.
    ScopedFile notALink(user_ + "\\OrvF Target.lnk", "plain text");
    EXPECT_FALSE(CreateStartupShortcut(program_));
    std::string bytes;
    platform::files::ReadFileBytes(notALink.Path(), bytes);
    EXPECT_EQ(bytes, "plain text");
}

// The user's Startup folder moved elsewhere, as a user may move it; back
// where it was on scope exit.
class MovedUserStartupFolder {
public:
    explicit MovedUserStartupFolder(const std::string& folder) {
        EXPECT_EQ(platform::reg::CreateKey(HKEY_CURRENT_USER, kUserShellFolders, KEY_QUERY_VALUE | KEY_SET_VALUE, key_),
                  ERROR_SUCCESS);
        hadValue_ = platform::reg::QueryRawValue(key_.Get(), "Startup", saved_) == ERROR_SUCCESS;
        EXPECT_EQ(platform::reg::SetString(key_.Get(), "Startup", folder), ERROR_SUCCESS);
    }
    ~MovedUserStartupFolder() {
        if (hadValue_)
            platform::reg::SetRawValue(key_.Get(), "Startup", saved_);
        else
            platform::reg::DeleteValue(key_.Get(), "Startup");
    }
    MovedUserStartupFolder(const MovedUserStartupFolder&) = delete;
    MovedUserStartupFolder& operator=(const MovedUserStartupFolder&) = delete;

private:
    static constexpr const char* kUserShellFolders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    platform::KeyHandle key_;
    bool hadValue_ = false;
    platform::reg::RawValue saved_;
};

// Paths are UTF-8: a path into the Startup folder, or a shortcut's target,
// that differs from the folder's or the program's only in the case of a
// letter beyond ASCII ("Ü" and "ü") is the same.
TEST_F(StartupFolderFiles, CaseBeyondAsciiIsIgnoredInStartupFolderPaths) {
    ScopedFolder moved("Startup Ü");
    MovedUserStartupFolder redirect(moved.Path());
    ASSERT_EQ(SpecialFolderPath(kCsidlStartup), moved.Path());
    const std::string otherCase = "C:\\orvtests\\startup ü";

    ScopedFile program(moved.Path() + "\\OrvF Über.exe", "MZ");
    EXPECT_TRUE(IsInStartupFolder(otherCase + "\\OrvF Über.exe"));
    EXPECT_EQ(DeleteStartupFile(otherCase + "\\OrvF Über.exe").outcome, StartupFileOutcome::Deleted);
    EXPECT_FALSE(platform::files::FileExists(program.Path()));

    // A shortcut there to the same program spelled with "Ü" is made again
    // for "ü", not refused as one to another program.
    ScopedFolder programs("programs Ü");
    const std::string target = CopyHelper("orvhelper.exe", programs.Path(), "OrvF Tool.exe");
    WriteShortcut(moved.Path() + "\\OrvF Tool.lnk", target);
    std::string problem;
    EXPECT_TRUE(CreateStartupShortcut("C:\\orvtests\\programs ü\\OrvF Tool.exe", &problem)) << problem;
    EXPECT_EQ(problem, "");
}

// ---- ending a program's process -----------------------------------------

TEST(EndingProcesses, OnlyAProcessStillRunningTheFileIsEnded) {
    ScopedFolder folder("ending");
    const std::string target = CopyHelper("orvhelper.exe", folder.Path(), "end target.exe");
    const std::string other = CopyHelper("orvhelper.exe", folder.Path(), "end other.exe");
    HelperProcess bystander(other);
    ASSERT_TRUE(bystander.WaitUntilListed());
    // An identifier that now belongs to another program is left running.
    DWORD error = 0;
    auto runsTarget = [&](const std::string& path) { return SameCaption(path, target); };
    EXPECT_EQ(platform::processes::TerminateProcessRunning(bystander.Id(), runsTarget, error),
              platform::processes::EndResult::NotRunning);
    EXPECT_FALSE(platform::processes::WaitForProcessEnd(bystander.Id(), 200));
    EXPECT_EQ(EndProcessOfFile(target, error), platform::processes::EndResult::NotRunning);

    HelperProcess process(target);
    ASSERT_TRUE(process.WaitUntilListed());
    EXPECT_EQ(EndProcessOfFile(target, error), platform::processes::EndResult::Ended);
    EXPECT_TRUE(platform::processes::WaitForProcessEnd(process.Id(), 5000));
    EXPECT_FALSE(platform::processes::WaitForProcessEnd(bystander.Id(), 0));
}

}  // namespace
