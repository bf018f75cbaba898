// The demo's startup snapshot: run entries and Startup files of its own, the
// snapshot saved through the program's writer, then the machine changed so
// that comparing the snapshot with it shows every kind of record: an entry
// switched off, one moved to the machine's key, one moved to RunOnce, one
// given another command line, one renamed, one added and one deleted; a
// Startup file deleted, one added and one moved to the common folder.
#include "DemoPaths.h"

#include "common/Common.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "snapshots/StartupSnapshot.h"
#include "startup/StartUpEditing.h"

#include <cstdio>
#include <string>

namespace {

namespace files = platform::files;
using startup::RunEntry;

constexpr const char* kMachine = "HKEY_LOCAL_MACHINE";
constexpr const char* kUser = "HKEY_CURRENT_USER";
const std::string kNotepad = "C:\\windows\\notepad.exe";
const std::string kWinver = "C:\\windows\\system32\\winver.exe";

// The snapshot's entries, named by what happens to them after it is saved.
// None goes into the machine's RunOnce: Wine's boot step runs and empties
// that key at every session start, as Windows does at boot, and the
// comparison would then show only a deletion.
const RunEntry kSwitchedOff{"Clipboard Viewer", kNotepad + " /clipboard", kUser, "Run"};
const RunEntry kToMachine{"Font Preview", kWinver + " /fonts", kUser, "Run"};
const RunEntry kToRunOnce{"Welcome Tips", kWinver, kUser, "Run"};
const RunEntry kRewritten{"Notes Reminder", kNotepad + " C:\\users\\Public\\reminders.txt", kMachine, "Run"};
const std::string kRewrittenTo = kNotepad + " /p C:\\users\\Public\\reminders.txt";
const RunEntry kRenamed{"Desk Clock", kWinver + " /clock", kUser, "Run"};
const std::string kRenamedTo = "Desktop Clock";
const RunEntry kDeleted{"Old Reminder", kNotepad + " C:\\users\\Public\\old.txt", kMachine, "Run"};
// Added after the snapshot.
const RunEntry kAdded{"Quick Notes", kNotepad + " C:\\users\\Public\\quick.txt", kUser, "Run"};

// Startup-folder shortcuts of the snapshot; the one added afterwards is
// made by the StartUp page's own command, named after its program.
const char* const kFileDeleted = "Daily Planner";
const char* const kFileMoved = "System Info";

bool Step(bool done, const char* what) {
    if (!done) std::fprintf(stderr, "snapshot demo: %s failed\n", what);
    return done;
}

bool Shortcut(const std::string& folder, const std::string& name, const std::string& target) {
    files::CreateFolderPath(folder);
    platform::shell::LinkFields fields;
    fields.target = target;
    fields.description = name;
    fields.workingDirectory = files::ExtractFilePath(target);
    return platform::shell::WriteLink(folder + "\\" + name + ".lnk", fields) == S_OK;
}

bool DeleteShortcut(const std::string& folder, const std::string& name) {
    return startup::DeleteStartupFile(folder + "\\" + name + ".lnk").outcome == startup::StartupFileOutcome::Deleted;
}

// The same value under another root or name: no command of the program does
// that in one step, so it is added there first and then taken from here.
bool Transfer(const RunEntry& entry, const std::string& toRoot, const std::string& toName) {
    return startup::AddRunValue(toRoot, entry.section, toName, entry.location) &&
           startup::DeleteRunValue(entry.rootName, entry.section, entry.name, entry.location);
}

void EnsureEntry(const RunEntry& entry) {
    // An entry already there is left as it is; a step that needs it as
    // written here then says so.
    startup::AddRunValue(entry.rootName, entry.section, entry.name, entry.location);
}

void EnsureShortcut(const std::string& folder, const std::string& name, const std::string& target) {
    if (!files::FileExists(folder + "\\" + name + ".lnk")) Shortcut(folder, name, target);
}

}  // namespace

// Seeds the snapshot and the changes after it once: a machine that already
// has the snapshot file is left as it is. False when a step failed (each
// failure is written to the error output).
bool SeedStartupSnapshot() {
    const std::string path = demo::SnapshotPath();
    if (files::FileExists(path)) {
        std::printf("the demo's startup snapshot is already there: %s\n", path.c_str());
        return true;
    }
    const std::string user = SpecialFolderPath(kCsidlStartup);
    const std::string common = SpecialFolderPath(kCsidlCommonStartup);
    if (!Step(!user.empty() && !common.empty(), "finding the Startup folders")) return false;

    for (const RunEntry* entry : {&kSwitchedOff, &kToMachine, &kToRunOnce, &kRewritten, &kRenamed, &kDeleted})
        EnsureEntry(*entry);
    EnsureShortcut(user, kFileDeleted, kNotepad);
    EnsureShortcut(user, kFileMoved, kWinver);

    files::CreateFolderPath(files::ExtractFilePath(path));
    std::string error;
    if (!snapshots::SaveStartupSnapshot(path, error)) {
        std::fprintf(stderr, "snapshot demo: %s\n", error.c_str());
        return false;
    }

    bool ok = true;
    ok &= Step(startup::SwitchEntry(kSwitchedOff, false).outcome == startup::EntryMoveOutcome::Moved,
               "switching off an entry");
    ok &= Step(Transfer(kToMachine, kMachine, kToMachine.name), "moving an entry to the machine's key");
    ok &= Step(startup::MoveRunEntry(kToRunOnce, true, "RunOnce").outcome == startup::EntryMoveOutcome::Moved,
               "moving an entry to RunOnce");
    ok &= Step(startup::RewriteRunValue(kRewritten.rootName, kRewritten.section, kRewritten.name,
                                        kRewritten.location, kRewrittenTo) == startup::RunValueChange::Done,
               "changing an entry's command line");
    ok &= Step(Transfer(kRenamed, kRenamed.rootName, kRenamedTo), "renaming an entry");
    ok &= Step(startup::DeleteRunValue(kDeleted.rootName, kDeleted.section, kDeleted.name, kDeleted.location),
               "deleting an entry");
    ok &= Step(startup::AddRunValue(kAdded.rootName, kAdded.section, kAdded.name, kAdded.location),
               "adding an entry");

    ok &= Step(DeleteShortcut(user, kFileDeleted), "deleting a Startup file");
    // Written in the common folder before it leaves the user's, so the
    // shortcut is never in neither.
    ok &= Step(Shortcut(common, kFileMoved, kWinver) && DeleteShortcut(user, kFileMoved),
               "moving a Startup file to the common folder");
    std::string problem;
    ok &= Step(startup::CreateStartupShortcut(kWinver, &problem), "adding a Startup file");
    if (!problem.empty()) std::fprintf(stderr, "snapshot demo: %s\n", problem.c_str());
    return ok;
}
